// StretchDIB and ScaleToGray: sizes, exact averages, rectangles, palette
// pictures, and agreement with a plain area-average reference.

#include "CodecTestUtil.h"
#include "uLeonardo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

using namespace CodecTest;

namespace {

TDib FromRgb(const TRgb& img) {
    TDib dib = TDib::Create(img.width, img.height, 24);
    for (int y = 0; y < img.height; ++y)
        for (int x = 0; x < img.width; ++x) {
            const std::uint8_t* s = img.At(x, y);
            std::uint8_t* d = dib.Row(y) + x * 3;
            d[0] = s[2];
            d[1] = s[1];
            d[2] = s[0];
        }
    return dib;
}

TRgb Flat(int w, int h, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    TRgb img{w, h, std::vector<std::uint8_t>(std::size_t(w) * h * 3)};
    for (std::size_t i = 0; i < img.px.size(); i += 3) {
        img.px[i] = r;
        img.px[i + 1] = g;
        img.px[i + 2] = b;
    }
    return img;
}

// Each destination pixel: the source area it covers, averaged with the
// covered fraction of every source pixel (both axes reduced).
TRgb AreaAverage(const TRgb& src, int w, int h) {
    TRgb out{w, h, std::vector<std::uint8_t>(std::size_t(w) * h * 3)};
    const double sx = double(src.width) / w, sy = double(src.height) / h;
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            double acc[3] = {0, 0, 0}, area = 0;
            const double x0 = i * sx, x1 = (i + 1) * sx, y0 = j * sy, y1 = (j + 1) * sy;
            for (int y = int(y0); y < std::min(src.height, int(std::ceil(y1))); ++y)
                for (int x = int(x0); x < std::min(src.width, int(std::ceil(x1))); ++x) {
                    const double a = (std::min(x1, x + 1.0) - std::max(x0, double(x))) *
                                     (std::min(y1, y + 1.0) - std::max(y0, double(y)));
                    for (int k = 0; k < 3; ++k)
                        acc[k] += a * src.At(x, y)[k];
                    area += a;
                }
            for (int k = 0; k < 3; ++k)
                out.At(i, j)[k] = std::uint8_t(std::lround(acc[k] / area));
        }
    return out;
}

TRgb Crop(const TRgb& src, int x0, int y0, int w, int h) {
    TRgb out{w, h, std::vector<std::uint8_t>(std::size_t(w) * h * 3)};
    for (int y = 0; y < h; ++y)
        std::memcpy(out.At(0, y), src.At(x0, y0 + y), std::size_t(w) * 3);
    return out;
}

} // namespace

TEST(StretchDIBTest, FlatColourStaysExactAtEverySize) {
    const TDib dib = FromRgb(Flat(101, 77, 37, 150, 201));
    for (auto [w, h] :
         {std::pair{50, 40}, {7, 3}, {1, 1}, {101, 77}, {300, 200}, {101, 20}, {13, 500}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        const TDib out = StretchDIB(dib, w, h);
        ASSERT_FALSE(out.IsEmpty());
        ASSERT_EQ(out.Width(), w);
        ASSERT_EQ(out.Height(), h);
        ASSERT_EQ(out.BitCount(), 24);
        EXPECT_EQ(MaxAbsDiff(out, Flat(w, h, 37, 150, 201)), 0);
    }
}

TEST(StretchDIBTest, ReductionAveragesCoveredPixelsWithTheirFraction) {
    // 2x2 blocks average exactly
    TRgb src{4, 2, {10, 20, 30, 50, 60, 70, 0,   0,   0,   255, 255, 255,
                    30, 40, 50, 70, 80, 90, 100, 100, 100, 1,   1,   1}};
    TDib out = StretchDIB(FromRgb(src), 2, 1);
    EXPECT_EQ(MaxAbsDiff(out, TRgb{2, 1, {40, 50, 60, 89, 89, 89}}), 0);
    // three pixels into two: each takes one whole pixel and half of the middle
    TRgb row{3, 1, {0, 0, 0, 90, 90, 90, 180, 180, 180}};
    out = StretchDIB(FromRgb(row), 2, 1);
    EXPECT_EQ(MaxAbsDiff(out, TRgb{2, 1, {30, 30, 30, 150, 150, 150}}), 0);
}

TEST(StretchDIBTest, EnlargementInterpolatesBetweenCentres) {
    TRgb row{2, 1, {0, 0, 0, 200, 200, 200}};
    const TDib out = StretchDIB(FromRgb(row), 4, 1);
    EXPECT_EQ(MaxAbsDiff(out, TRgb{4, 1, {0, 0, 0, 50, 50, 50, 150, 150, 150, 200, 200, 200}}), 0);
}

TEST(StretchDIBTest, AgreesWithAreaAverageOnLargePictures) {
    // large enough to be split over several threads
    const TRgb src = PhotoLike(1003, 701, 7);
    const TDib dib = FromRgb(src);
    for (auto [w, h] : {std::pair{433, 289}, {100, 700}, {1002, 350}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        const TDib out = StretchDIB(dib, w, h);
        EXPECT_LE(MaxAbsDiff(out, AreaAverage(src, w, h)), 1);
    }
}

TEST(StretchDIBTest, ExtremeRatiosStayAverages) {
    // hundreds of source pixels per destination pixel in either direction
    const TRgb src = PhotoLike(2400, 1300, 11);
    const TDib dib = FromRgb(src);
    for (auto [w, h] : {std::pair{3, 2}, {1, 1}, {2400, 1}, {1, 1300}, {7, 650}}) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        EXPECT_LE(MaxAbsDiff(StretchDIB(dib, w, h), AreaAverage(src, w, h)), 1);
    }
}

TEST(StretchDIBTest, RectangleRowsCountFromTheBottom) {
    const TRgb src = PhotoLike(40, 24, 3);
    const TDib dib = FromRgb(src);
    constexpr int H = 24;
    // top-down source rectangle (left, top, right, bottom exclusive) converted
    // the way the picture drawing does it
    auto rect = [](int l, int t, int r, int b) { return TDibRect{l, H - 1 - t, r, H - 1 - b}; };
    TDibRect tl = rect(0, 0, 20, 12);
    EXPECT_EQ(MaxAbsDiff(StretchDIB(dib, 20, 12, &tl), Crop(src, 0, 0, 20, 12)), 0);
    TDibRect br = rect(20, 12, 40, 24);
    EXPECT_EQ(MaxAbsDiff(StretchDIB(dib, 20, 12, &br), Crop(src, 20, 12, 20, 12)), 0);
    TDibRect mid = rect(5, 3, 33, 21);
    EXPECT_LE(MaxAbsDiff(StretchDIB(dib, 14, 9, &mid), AreaAverage(Crop(src, 5, 3, 28, 18), 14, 9)),
              1);
    TDibRect one = rect(7, 9, 8, 10); // a single pixel, enlarged
    TRgb same{3, 2, {}};
    for (int k = 0; k < 6; ++k)
        same.px.insert(same.px.end(), src.At(7, 9), src.At(7, 9) + 3);
    EXPECT_EQ(MaxAbsDiff(StretchDIB(dib, 3, 2, &one), same), 0);
}

TEST(StretchDIBTest, RectangleIsClippedToThePicture) {
    const TRgb src = PhotoLike(30, 20, 5);
    const TDib dib = FromRgb(src);
    TDibRect huge{-50, 1000, 4000, -300};
    EXPECT_EQ(MaxAbsDiff(StretchDIB(dib, 30, 20, &huge), src), 0);
    TDibRect overRight{25, 19, 60, 9}; // top-down rows 0..9, columns 25..29
    EXPECT_EQ(MaxAbsDiff(StretchDIB(dib, 5, 10, &overRight), Crop(src, 25, 0, 5, 10)), 0);
    for (TDibRect empty : {TDibRect{10, 10, 10, 5}, TDibRect{10, 5, 12, 5}, TDibRect{3, 2, 8, 9},
                           TDibRect{40, 19, 50, 0}, TDibRect{0, -1, 30, -5}}) {
        EXPECT_TRUE(StretchDIB(dib, 5, 5, &empty).IsEmpty());
    }
}

TEST(StretchDIBTest, PalettePicturesAreExpandedTo24Bit) {
    for (int bits : {1, 4, 8}) {
        SCOPED_TRACE(bits);
        TDib dib = TDib::Create(16, 8, std::uint16_t(bits));
        dib.Colors()[0] = TRgbQuad{200, 100, 0, 0};
        dib.Colors()[1] = TRgbQuad{0, 50, 250, 0};
        // left half index 0, right half index 1
        for (int y = 0; y < 8; ++y)
            for (int x = 8; x < 16; ++x) {
                std::uint8_t* row = dib.Row(y);
                if (bits == 1)
                    row[x >> 3] |= std::uint8_t(0x80 >> (x & 7));
                else if (bits == 4)
                    row[x >> 1] |= std::uint8_t((x & 1) ? 1 : 0x10);
                else
                    row[x] = 1;
            }
        const TDib out = StretchDIB(dib, 2, 2);
        ASSERT_EQ(out.BitCount(), 24);
        EXPECT_EQ(MaxAbsDiff(out, TRgb{2, 2, {0, 100, 200, 250, 50, 0, 0, 100, 200, 250, 50, 0}}),
                  0);
    }
}

TEST(StretchDIBTest, RefusesWhatCannotBeMade) {
    const TDib dib = FromRgb(Flat(10, 10, 1, 2, 3));
    EXPECT_TRUE(StretchDIB(TDib{}, 5, 5).IsEmpty());
    EXPECT_TRUE(StretchDIB(dib, 0, 5).IsEmpty());
    EXPECT_TRUE(StretchDIB(dib, 5, -1).IsEmpty());
    EXPECT_TRUE(StretchDIB(dib, 100000, 100000).IsEmpty()); // beyond the block limit
    EXPECT_FALSE(dib.IsEmpty());                            // input untouched
}

TEST(ScaleToGrayTest, ReducesToTheRequestedSize) {
    const TRgb src = PhotoLike(160, 118, 9);
    const TDib dib = FromRgb(src);
    const TDib out = ScaleToGray(dib, 80, 59, 0, 0);
    ASSERT_EQ(out.Width(), 80);
    ASSERT_EQ(out.Height(), 59);
    EXPECT_EQ(out.BitCount(), 24);
    EXPECT_LE(MaxAbsDiff(out, AreaAverage(src, 80, 59)), 1);
    // the thumbnail route: twice the size first, then this
    const TDib twice = StretchDIB(FromRgb(PhotoLike(900, 600)), 160, 106);
    const TDib thumb = ScaleToGray(twice, 80, 53);
    EXPECT_EQ(thumb.Width(), 80);
    EXPECT_EQ(thumb.Height(), 53);
}
