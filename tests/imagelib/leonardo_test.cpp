// The DIB functions: quarter turns, depth conversion, copies and drawing.

#include "ImageTestUtil.h"
#include "uLeonardo.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace ImageTest;

namespace {

// A palette picture with distinct indices per pixel (as far as the depth
// allows) and a colour table that maps index i to a distinct colour.
TDib IndexPicture(int w, int h, int bits) {
    TDib dib = TDib::Create(w, h, static_cast<std::uint16_t>(bits));
    for (std::uint32_t i = 0; i < dib.ColorCount(); ++i) {
        dib.Colors()[i].rgbRed = static_cast<std::uint8_t>(i * 7);
        dib.Colors()[i].rgbGreen = static_cast<std::uint8_t>(255 - i);
        dib.Colors()[i].rgbBlue = static_cast<std::uint8_t>(i * 3);
    }
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = dib.Row(y);
        for (int x = 0; x < w; ++x) {
            const unsigned v = (x * 5 + y * 11 + x * y) & ((1u << bits) - 1);
            if (bits == 8)
                row[x] = static_cast<std::uint8_t>(v);
            else if (bits == 4)
                row[x / 2] |= static_cast<std::uint8_t>((x & 1) ? v : v << 4);
            else
                row[x / 8] |= static_cast<std::uint8_t>(v << (7 - x % 8));
        }
    }
    return dib;
}

TDib ColourPicture(int w, int h, int bits) {
    TDib dib = TDib::Create(w, h, static_cast<std::uint16_t>(bits));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = dib.Row(y) + x * (bits / 8);
            p[0] = static_cast<std::uint8_t>(x * 13 + y);
            p[1] = static_cast<std::uint8_t>(y * 29 + x);
            p[2] = static_cast<std::uint8_t>(x * y + 7);
        }
    return dib;
}

TDib Picture(int w, int h, int bits) {
    return bits <= 8 ? IndexPicture(w, h, bits) : ColourPicture(w, h, bits);
}

bool SameBlock(const TDib& a, const TDib& b) {
    return a.Size() == b.Size() && std::memcmp(a.Data(), b.Data(), a.Size()) == 0;
}

class Rotate : public ::testing::TestWithParam<int> {};

} // namespace

TEST_P(Rotate, QuarterTurnsMovePixelsExactly) {
    const int bits = GetParam();
    const TDib dib = Picture(13, 6, bits); // odd sizes: row padding and partial bytes
    const QImage img = DIBToImage(dib);

    const TDib left = RotateDIB(dib, 900);
    ASSERT_FALSE(left.IsEmpty());
    EXPECT_EQ(left.BitCount(), bits);
    EXPECT_EQ(left.Width(), 6);
    EXPECT_EQ(left.Height(), 13);
    // A quarter turn to the left: the top-right corner becomes the top-left.
    const QImage l = DIBToImage(left);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 13; ++x)
            ASSERT_EQ(l.pixel(y, 12 - x), img.pixel(x, y)) << x << "," << y;

    // 90 = -270, -90 = 270, 180 twice = identity, four turns = identity.
    EXPECT_TRUE(SameBlock(left, RotateDIB(dib, -2700)));
    EXPECT_TRUE(SameBlock(RotateDIB(dib, -900), RotateDIB(dib, 2700)));
    EXPECT_TRUE(SameBlock(RotateDIB(RotateDIB(dib, 1800), 1800), dib));
    TDib turned = CopyHandle(dib);
    for (int i = 0; i < 4; ++i)
        turned = RotateDIB(turned, 900);
    EXPECT_TRUE(SameBlock(turned, dib));
    EXPECT_TRUE(SameBlock(RotateDIB(RotateDIB(dib, 900), -900), dib));

    const QImage r = DIBToImage(RotateDIB(dib, -900));
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 13; ++x)
            ASSERT_EQ(r.pixel(5 - y, x), img.pixel(x, y));
}

INSTANTIATE_TEST_SUITE_P(Depths, Rotate, ::testing::Values(1, 4, 8, 24, 32));

TEST(Leonardo, RotateRefusesOtherAnglesAndEmptyPictures) {
    EXPECT_TRUE(RotateDIB(Picture(4, 4, 24), 450).IsEmpty());
    EXPECT_TRUE(RotateDIB(TDib(), 900).IsEmpty());
}

TEST(Leonardo, ConvertToTwentyFourBitsKeepsTheColours) {
    for (int bits : {1, 4, 8, 32, 24}) {
        TDib dib = Picture(11, 5, bits);
        const QImage before = DIBToImage(dib);
        ASSERT_TRUE(ConvertDIB(&dib, 24, 0)) << bits;
        EXPECT_EQ(dib.BitCount(), 24);
        EXPECT_EQ(Compare(dib, before), QString()) << bits;
    }
    TDib dib = Picture(3, 3, 8);
    const TDib copy = CopyHandle(dib);
    EXPECT_FALSE(ConvertDIB(&dib, 16, 0));
    EXPECT_TRUE(SameBlock(dib, copy)) << "unchanged on failure";
    TDib empty;
    EXPECT_FALSE(ConvertDIB(&empty, 24, 0));
    EXPECT_FALSE(ConvertDIB(nullptr, 24, 0));
}

TEST(Leonardo, DibFromBitmapTakesAnyFormat) {
    const QImage source = Pattern(17, 9, 0);
    for (QImage::Format f : {QImage::Format_RGB32, QImage::Format_ARGB32, QImage::Format_RGB888,
                             QImage::Format_RGB16, QImage::Format_Indexed8, QImage::Format_Mono}) {
        const QImage img = source.convertToFormat(f);
        const TDib dib = DIBFromBitmap(img);
        ASSERT_FALSE(dib.IsEmpty()) << f;
        EXPECT_EQ(dib.BitCount(), 24);
        EXPECT_EQ(Compare(dib, img), QString()) << f;
    }
    EXPECT_TRUE(DIBFromBitmap(QImage()).IsEmpty());
}

TEST(Leonardo, InfoCopyAndFree) {
    TDib dib = Picture(7, 3, 24);
    TBitmapInfoHeader h;
    ASSERT_TRUE(DIBInfo(dib, &h, 40));
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 7);
    EXPECT_EQ(h.biHeight, 3);
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_FALSE(DIBInfo(dib, &h, 12));
    EXPECT_FALSE(DIBInfo(TDib(), &h, 40));
    const TDib copy = CopyHandle(dib);
    EXPECT_TRUE(SameBlock(copy, dib));
    EXPECT_NE(copy.Data(), dib.Data());
    DIBFree(dib);
    EXPECT_TRUE(dib.IsEmpty());
    EXPECT_FALSE(copy.IsEmpty());
}

namespace {
class Blit : public ::testing::TestWithParam<int> {};
} // namespace

TEST_P(Blit, DrawsTheSourceBlockTheRightWayUp) {
    const int bits = GetParam();
    const TDib dib = Picture(9, 7, bits);
    const QImage img = DIBToImage(dib).convertToFormat(QImage::Format_RGB32);

    // 1:1 copy of top-down rows 2..5 (bottom-up rows 1..4), columns 3..7.
    QImage canvas(20, 20, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    {
        QPainter p(&canvas);
        StretchDIBBlt(p, 10, 10, 5, 4, dib, 3, 7 - 6, 5, 4);
    }
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x)
            ASSERT_EQ(canvas.pixel(10 + x, 10 + y), img.pixel(3 + x, 2 + y)) << x << "," << y;
    EXPECT_EQ(canvas.pixel(9, 9), qRgb(0, 0, 0));
    EXPECT_EQ(canvas.pixel(15, 14), qRgb(0, 0, 0));

    // Twice the size: each source pixel becomes a 2x2 block.
    canvas.fill(Qt::black);
    {
        QPainter p(&canvas);
        StretchDIBBlt(p, 0, 0, 18, 14, dib, 0, 0, 9, 7);
    }
    for (int y = 0; y < 14; ++y)
        for (int x = 0; x < 18; ++x)
            ASSERT_EQ(canvas.pixel(x, y), img.pixel(x / 2, y / 2)) << x << "," << y;

    // Unscaled at an offset; a block larger than the picture is clipped.
    canvas.fill(Qt::black);
    {
        QPainter p(&canvas);
        DIBBlt(p, 2, 3, 100, 100, dib, 0, 0);
    }
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 9; ++x)
            ASSERT_EQ(canvas.pixel(2 + x, 3 + y), img.pixel(x, y));
    EXPECT_EQ(canvas.pixel(11, 3), qRgb(0, 0, 0));
    EXPECT_EQ(canvas.pixel(2, 10), qRgb(0, 0, 0));
}

INSTANTIATE_TEST_SUITE_P(Depths, Blit, ::testing::Values(1, 4, 8, 24, 32));

TEST(Leonardo, ImageCopyIsDeep) {
    TDib dib = Picture(3, 2, 24);
    const QImage img = DIBToImage(dib);
    const QRgb before = img.pixel(0, 0);
    dib.Row(0)[0] ^= 0xFF;
    EXPECT_EQ(img.pixel(0, 0), before);
}
