// JPEG import: files written by cjpeg and ImageMagick, decoded and compared
// with their source; orientation, damaged and oversized files.

#include "CodecTestUtil.h"
#include "TestSupport.h"
#include "uDecoders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace CodecTest;

namespace {

class JpegTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TestSupport::HaveProgram("cjpeg") || !TestSupport::HaveProgram("convert"))
            GTEST_SKIP() << "cjpeg or convert missing";
        dir_ = TestSupport::NewTempDir();
        src_ = PhotoLike(123, 77);
        ASSERT_TRUE(WritePpm(dir_ + "/src.ppm", src_));
    }
    // cjpeg with the given options on the source; answers the file's bytes.
    std::vector<std::uint8_t> Cjpeg(const QStringList& options, const TRgb* img = nullptr) {
        QString in = dir_ + "/src.ppm";
        if (img) {
            in = dir_ + "/other.ppm";
            EXPECT_TRUE(WritePpm(in, *img));
        }
        const QString out = dir_ + "/out.jpg";
        QStringList args = options;
        args << "-outfile" << out << in;
        EXPECT_TRUE(Tool("cjpeg", args));
        return ReadBytes(out);
    }
    static std::int32_t Decode(const std::vector<std::uint8_t>& bytes, TImportParams& p) {
        return DecodeJpeg(bytes.data(), bytes.size(), p);
    }
    QString dir_;
    TRgb src_;
};

// An APP1 "Exif" block holding only the orientation tag, in either byte order.
std::vector<std::uint8_t> ExifBlock(int orientation, bool littleEndian) {
    std::vector<std::uint8_t> tiff;
    auto put16 = [&](unsigned v) {
        if (littleEndian) {
            tiff.push_back(std::uint8_t(v));
            tiff.push_back(std::uint8_t(v >> 8));
        } else {
            tiff.push_back(std::uint8_t(v >> 8));
            tiff.push_back(std::uint8_t(v));
        }
    };
    auto put32 = [&](unsigned v) {
        if (littleEndian) {
            put16(v & 0xFFFF);
            put16(v >> 16);
        } else {
            put16(v >> 16);
            put16(v & 0xFFFF);
        }
    };
    tiff.push_back(littleEndian ? 'I' : 'M');
    tiff.push_back(littleEndian ? 'I' : 'M');
    put16(42);
    put32(8);
    put16(2);      // two entries
    put16(0x010F); // Make, ASCII, pointing nowhere useful
    put16(2);
    put32(4);
    tiff.insert(tiff.end(), {'A', 'B', 'C', 0});
    put16(0x0112); // Orientation, SHORT, 1
    put16(3);
    put32(1);
    put16(unsigned(orientation));
    put16(0);
    put32(0); // no next IFD
    const std::size_t len = 2 + 6 + tiff.size();
    std::vector<std::uint8_t> seg;
    seg.reserve(2 + len);
    seg.push_back(0xFF);
    seg.push_back(0xE1);
    seg.push_back(std::uint8_t(len >> 8));
    seg.push_back(std::uint8_t(len));
    static const std::uint8_t kExifId[] = {'E', 'x', 'i', 'f', 0, 0};
    seg.insert(seg.end(), std::begin(kExifId), std::end(kExifId));
    seg.insert(seg.end(), tiff.begin(), tiff.end());
    return seg;
}

std::vector<std::uint8_t> WithExif(std::vector<std::uint8_t> jpeg, int orientation, bool le) {
    const std::vector<std::uint8_t> seg = ExifBlock(orientation, le);
    jpeg.insert(jpeg.begin() + 2, seg.begin(), seg.end()); // right behind SOI
    return jpeg;
}

// Offset of the first marker m (0xFF m) after SOI, or 0.
std::size_t FindMarker(const std::vector<std::uint8_t>& b, std::uint8_t m) {
    for (std::size_t i = 2; i + 1 < b.size(); ++i)
        if (b[i] == 0xFF && b[i + 1] == m)
            return i;
    return 0;
}

} // namespace

TEST_F(JpegTest, BaselineAndProgressiveMatchTheSource) {
    for (const QStringList& opts :
         {QStringList{"-quality", "90"}, QStringList{"-quality", "90", "-progressive"},
          QStringList{"-quality", "90", "-arithmetic"},
          QStringList{"-quality", "90", "-optimize", "-restart", "2"}}) {
        SCOPED_TRACE(opts.join(' ').toStdString());
        const auto bytes = Cjpeg(opts);
        TImportParams p;
        ASSERT_EQ(Decode(bytes, p), ieOk);
        ASSERT_EQ(p.Dib.BitCount(), 24);
        EXPECT_LT(MeanAbsDiff(p.Dib, src_), 3.5); // the source carries noise
    }
}

TEST_F(JpegTest, MatchesDjpegExactly) {
    // Same library, same defaults: the pixels must be the very same.
    const auto bytes = Cjpeg({"-quality", "85", "-sample", "2x2"});
    ASSERT_TRUE(Tool("djpeg", {"-outfile", dir_ + "/ref.ppm", dir_ + "/out.jpg"}));
    TImportParams p;
    ASSERT_EQ(Decode(bytes, p), ieOk);
    EXPECT_EQ(MaxAbsDiff(p.Dib, ReadPpm(dir_ + "/ref.ppm")), 0);
}

TEST_F(JpegTest, GreyscaleBecomesEightBitWithGreyTable) {
    const auto bytes = Cjpeg({"-quality", "95", "-grayscale"});
    TImportParams p;
    ASSERT_EQ(Decode(bytes, p), ieOk);
    ASSERT_EQ(p.Dib.BitCount(), 8);
    for (int i = 0; i < 256; ++i) {
        const TRgbQuad q = p.Dib.Colors()[i];
        ASSERT_TRUE(q.rgbRed == i && q.rgbGreen == i && q.rgbBlue == i) << i;
    }
    ASSERT_TRUE(Tool("djpeg", {"-outfile", dir_ + "/ref.ppm", "-pnm", dir_ + "/out.jpg"}));
    // djpeg writes PGM for grey; let convert make it PPM
    EXPECT_EQ(MaxAbsDiff(p.Dib, MagickDecode(dir_ + "/out.jpg")), 0);
}

TEST_F(JpegTest, CmykIsConvertedToRgb) {
    // ImageMagick writes Adobe (inverted) CMYK
    ASSERT_TRUE(Tool("convert", {dir_ + "/src.ppm", "-colorspace", "CMYK", "-quality", "97",
                                 dir_ + "/cmyk.jpg"}));
    const auto bytes = ReadBytes(dir_ + "/cmyk.jpg");
    TImportParams p;
    ASSERT_EQ(Decode(bytes, p), ieOk);
    ASSERT_EQ(p.Dib.BitCount(), 24);
    EXPECT_LT(MeanAbsDiff(p.Dib, src_), 4.0);
}

TEST_F(JpegTest, ExifOrientationTurnsThePictureUpright) {
    const TRgb quad = Quadrants(150, 100); // more rows than one block
    const auto plain = Cjpeg({"-quality", "95"}, &quad);
    for (bool le : {true, false}) {
        for (int o = 1; o <= 8; ++o) {
            SCOPED_TRACE(testing::Message() << "orientation " << o << (le ? " II" : " MM"));
            const auto bytes = WithExif(plain, o, le);
            const QString path = dir_ + QString("/o%1.jpg").arg(o);
            ASSERT_TRUE(WriteBytes(path, bytes));
            TImportParams p;
            ASSERT_EQ(Decode(bytes, p), ieOk);
            const TRgb ref = MagickDecode(path, {"-auto-orient"});
            ASSERT_EQ(p.Dib.Width(), ref.width);
            ASSERT_EQ(p.Dib.Height(), ref.height);
            EXPECT_LT(MeanAbsDiff(p.Dib, ref), 1.0);
            if (o == 6) { // turned clockwise: the white corner is now top right
                std::uint8_t c[3];
                DibPixel(p.Dib, p.Dib.Width() - 3, 2, c);
                EXPECT_GT(c[0], 230);
                EXPECT_GT(c[2], 230);
            }
        }
    }
}

TEST_F(JpegTest, BrokenExifBlocksAreIgnored) {
    auto bytes = Cjpeg({"-quality", "90"});
    auto seg = ExifBlock(6, true);
    // IFD offset far outside the block
    seg[16] = 0xF0;
    seg[17] = 0x7F;
    bytes.insert(bytes.begin() + 2, seg.begin(), seg.end());
    // an entry count that runs past the block, the orientation entry cut off
    auto seg2 = ExifBlock(6, false);
    seg2[18] = 0x7F;
    seg2[19] = 0xFF;
    seg2.resize(seg2.size() - 16);
    seg2[3] = std::uint8_t(seg2[3] - 16);
    auto bytes2 = Cjpeg({"-quality", "90"});
    bytes2.insert(bytes2.begin() + 2, seg2.begin(), seg2.end());
    TImportParams p2;
    ASSERT_EQ(Decode(bytes2, p2), ieOk);
    EXPECT_EQ(p2.Dib.Width(), src_.width);
    TImportParams p;
    ASSERT_EQ(Decode(bytes, p), ieOk);
    EXPECT_EQ(p.Dib.Width(), src_.width);
}

TEST_F(JpegTest, TruncatedFilesAnswerUnexpectedEnd) {
    for (const QStringList& opts :
         {QStringList{"-quality", "90"}, QStringList{"-quality", "90", "-progressive"}}) {
        const auto full = Cjpeg(opts);
        for (std::size_t cut :
             {std::size_t(3), std::size_t(40), full.size() / 3, full.size() / 2, full.size() - 3}) {
            SCOPED_TRACE(testing::Message() << opts.join(' ').toStdString() << " cut " << cut);
            const std::vector<std::uint8_t> part(full.begin(), full.begin() + std::ptrdiff_t(cut));
            TImportParams p;
            EXPECT_EQ(Decode(part, p), ieUnexpectedEnd);
            EXPECT_TRUE(p.Dib.IsEmpty());
        }
    }
}

TEST_F(JpegTest, CorruptHeadersAnswerCorrupt) {
    const auto good = Cjpeg({"-quality", "90"});
    {
        auto bad = good; // no components in the frame
        const std::size_t sof = FindMarker(bad, 0xC0);
        ASSERT_GT(sof, 0u);
        bad[sof + 9] = 0;
        TImportParams p;
        EXPECT_EQ(Decode(bad, p), ieCorrupt);
    }
    {
        auto bad = good; // a Huffman table with too many codes
        const std::size_t dht = FindMarker(bad, 0xC4);
        ASSERT_GT(dht, 0u);
        for (int i = 0; i < 16; ++i)
            bad[dht + 5 + std::size_t(i)] = 0xFF;
        TImportParams p;
        EXPECT_EQ(Decode(bad, p), ieCorrupt);
    }
    {
        auto bad = good; // 12-bit samples
        const std::size_t sof = FindMarker(bad, 0xC0);
        bad[sof + 4] = 12;
        TImportParams p;
        EXPECT_EQ(Decode(bad, p), ieUnsupported);
    }
    {
        // scattered damage: any answer, but no crash and no leak
        auto bad = good;
        for (std::size_t i = bad.size() / 2; i < bad.size() - 2; i += 37)
            bad[i] ^= 0x5A;
        TImportParams p;
        const std::int32_t code = Decode(bad, p);
        EXPECT_TRUE(code == ieOk || code == ieCorrupt || code == ieUnexpectedEnd) << code;
        EXPECT_EQ(code == ieOk, !p.Dib.IsEmpty());
    }
}

TEST_F(JpegTest, OversizedFrameIsRefusedBeforeAllocating) {
    auto bytes = Cjpeg({"-quality", "90"});
    const std::size_t sof = FindMarker(bytes, 0xC0);
    ASSERT_GT(sof, 0u);
    bytes[sof + 5] = 0xFF; // height 65280
    bytes[sof + 6] = 0x00;
    bytes[sof + 7] = 0xFF; // width 65280
    bytes[sof + 8] = 0x00;
    TImportParams p;
    EXPECT_EQ(Decode(bytes, p), ieNoMemory);
    EXPECT_TRUE(p.Dib.IsEmpty());
}

TEST_F(JpegTest, ProgressiveBuffersStayWithinThePictureLimit) {
    // 20000 x 20000 fits a DIB, but its full-resolution coefficients (6 bytes
    // per pixel without subsampling) would not: refused, nothing allocated
    auto bytes = Cjpeg({"-quality", "90", "-progressive", "-sample", "1x1"});
    const std::size_t sof = FindMarker(bytes, 0xC2);
    ASSERT_GT(sof, 0u);
    bytes[sof + 5] = 0x4E; // height 20000
    bytes[sof + 6] = 0x20;
    bytes[sof + 7] = 0x4E; // width 20000
    bytes[sof + 8] = 0x20;
    TImportParams p;
    EXPECT_EQ(Decode(bytes, p), ieNoMemory);
}

TEST_F(JpegTest, ReportsRisingProgressUpTo100) {
    const TRgb big = PhotoLike(400, 300);
    const auto bytes = Cjpeg({"-quality", "90", "-progressive"}, &big);
    std::vector<std::int32_t> seen;
    TImportParams p;
    p.UserValue = &seen;
    p.Progress = [](std::int32_t percent, void* user) {
        static_cast<std::vector<std::int32_t>*>(user)->push_back(percent);
        return 0;
    };
    ASSERT_EQ(Decode(bytes, p), ieOk);
    ASSERT_GE(seen.size(), 3u);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 100);
    EXPECT_LT(seen.size(), 120u); // per block of rows, not per row
}

TEST_F(JpegTest, LargePictureMatchesDjpegAndFailsCleanlyWhenCut) {
    // big enough for the block to be prepared on a second thread
    const TRgb big = PhotoLike(2600, 2200, 5);
    const auto bytes = Cjpeg({"-quality", "80"}, &big);
    ASSERT_TRUE(Tool("djpeg", {"-outfile", dir_ + "/big.ppm", dir_ + "/out.jpg"}));
    TImportParams p;
    ASSERT_EQ(Decode(bytes, p), ieOk);
    EXPECT_EQ(MaxAbsDiff(p.Dib, ReadPpm(dir_ + "/big.ppm")), 0);
    // turned on the helper thread: the same pixels in their upright places
    for (int o : {5, 6, 7, 8}) {
        SCOPED_TRACE(o);
        TImportParams t;
        ASSERT_EQ(Decode(WithExif(bytes, o, true), t), ieOk);
        ASSERT_EQ(t.Dib.Width(), 2200);
        ASSERT_EQ(t.Dib.Height(), 2600);
        const int W = 2600, H = 2200;
        int wrong = 0;
        for (int y = 0; y < H && wrong < 5; y += 7) {
            for (int x = 0; x < W && wrong < 5; x += 3) {
                const int nx = (o == 6 || o == 7) ? H - 1 - y : y;
                const int ny = (o == 7 || o == 8) ? W - 1 - x : x;
                if (std::memcmp(p.Dib.Row(y) + x * 3, t.Dib.Row(ny) + nx * 3, 3) != 0)
                    ++wrong;
            }
        }
        EXPECT_EQ(wrong, 0);
        const auto cut = WithExif(bytes, o, false);
        TImportParams c;
        EXPECT_EQ(Decode(std::vector<std::uint8_t>(cut.begin(),
                                                   cut.begin() + std::ptrdiff_t(cut.size() / 2)),
                         c),
                  ieUnexpectedEnd);
    }
    const std::vector<std::uint8_t> part(bytes.begin(),
                                         bytes.begin() + std::ptrdiff_t(bytes.size() / 2));
    TImportParams q;
    EXPECT_EQ(Decode(part, q), ieUnexpectedEnd);
    EXPECT_TRUE(q.Dib.IsEmpty());
}

TEST_F(JpegTest, OrientationOfGreyAndCmykPictures) {
    const TRgb quad = Quadrants(40, 24);
    const auto grey = Cjpeg({"-quality", "95", "-grayscale"}, &quad);
    ASSERT_TRUE(WritePpm(dir_ + "/quad.ppm", quad));
    ASSERT_TRUE(Tool("convert", {dir_ + "/quad.ppm", "-colorspace", "CMYK", "-quality", "97",
                                 dir_ + "/quad-cmyk.jpg"}));
    const auto cmyk = ReadBytes(dir_ + "/quad-cmyk.jpg");
    for (const auto* plain : {&grey, &cmyk}) {
        for (int o = 2; o <= 8; ++o) {
            SCOPED_TRACE(testing::Message() << (plain == &grey ? "grey " : "cmyk ") << o);
            const auto bytes = WithExif(*plain, o, o % 2 == 0);
            const QString path = dir_ + QString("/k%1.jpg").arg(o);
            ASSERT_TRUE(WriteBytes(path, bytes));
            TImportParams p;
            ASSERT_EQ(Decode(bytes, p), ieOk);
            EXPECT_EQ(p.Dib.BitCount(), plain == &grey ? 8 : 24);
            EXPECT_LT(MeanAbsDiff(p.Dib, MagickDecode(path, {"-auto-orient"})), 1.5);
        }
    }
}
