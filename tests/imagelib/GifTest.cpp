// GIF import: files written by ImageMagick, compared with its own reading.

#include "CodecTestUtil.h"
#include "TestSupport.h"
#include "uDecoders.h"

#include <gtest/gtest.h>

using namespace CodecTest;

namespace {

class GifTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TestSupport::HaveProgram("convert"))
            GTEST_SKIP() << "convert missing";
        dir_ = TestSupport::NewTempDir();
        src_ = PhotoLike(83, 59);
        ASSERT_TRUE(WritePpm(Path("src.ppm"), src_));
    }
    QString Path(const QString& name) const { return dir_ + "/" + name; }
    static std::int32_t Decode(const QString& path, TImportParams& p) {
        const auto bytes = ReadBytes(path);
        return DecodeGif(bytes.data(), bytes.size(), p);
    }
    QString dir_;
    TRgb src_;
};

} // namespace

TEST_F(GifTest, PlainAndInterlacedMatchImageMagick) {
    ASSERT_TRUE(Tool("convert", {Path("src.ppm"), "-colors", "100", Path("plain.gif")}));
    ASSERT_TRUE(
        Tool("convert", {Path("src.ppm"), "-colors", "7", "-interlace", "GIF", Path("inter.gif")}));
    for (const char* name : {"plain.gif", "inter.gif"}) {
        SCOPED_TRACE(name);
        TImportParams p;
        ASSERT_EQ(Decode(Path(name), p), ieOk);
        EXPECT_EQ(p.Dib.BitCount(), 8);
        EXPECT_EQ(MaxAbsDiff(p.Dib, MagickDecode(Path(name))), 0);
        if (QString(name) == "plain.gif") {
            EXPECT_LT(MeanAbsDiff(p.Dib, src_), 12.0);
        }
    }
}

TEST_F(GifTest, TransparencyShowsWhite) {
    // a red disc on a transparent square
    ASSERT_TRUE(Tool("convert", {"-size", "40x30", "xc:none", "-fill", "red", "-draw",
                                 "circle 20,15 20,5", Path("t.gif")}));
    TImportParams p;
    ASSERT_EQ(Decode(Path("t.gif"), p), ieOk);
    ASSERT_EQ(p.Dib.Width(), 40);
    std::uint8_t c[3];
    DibPixel(p.Dib, 1, 1, c);
    EXPECT_EQ(c[0], 255);
    EXPECT_EQ(c[1], 255);
    EXPECT_EQ(c[2], 255);
    DibPixel(p.Dib, 20, 15, c);
    EXPECT_EQ(c[0], 255);
    EXPECT_EQ(c[1], 0);
    EXPECT_EQ(c[2], 0);
    EXPECT_EQ(MaxAbsDiff(p.Dib, MagickDecode(Path("t.gif"), {"-background", "white", "-flatten"})),
              0);
}

TEST_F(GifTest, FrameIsPlacedOnTheLogicalScreen) {
    // a 10x6 blue frame at (5, 7) on a 30x20 screen
    ASSERT_TRUE(
        Tool("convert", {"-size", "10x6", "xc:blue", "-repage", "30x20+5+7", Path("page.gif")}));
    TImportParams p;
    ASSERT_EQ(Decode(Path("page.gif"), p), ieOk);
    ASSERT_EQ(p.Dib.Width(), 30);
    ASSERT_EQ(p.Dib.Height(), 20);
    std::uint8_t c[3];
    DibPixel(p.Dib, 5, 7, c);
    EXPECT_EQ(c[2], 255);
    EXPECT_EQ(c[0], 0);
    DibPixel(p.Dib, 14, 12, c);
    EXPECT_EQ(c[2], 255);
    // outside the frame: the background colour of the global table
    const auto bytes = ReadBytes(Path("page.gif"));
    ASSERT_TRUE(bytes[10] & 0x80);
    const std::size_t bg = 13 + std::size_t(bytes[11]) * 3;
    for (auto [x, y] : {std::pair{4, 7}, {15, 13}, {0, 0}, {29, 19}}) {
        DibPixel(p.Dib, x, y, c);
        EXPECT_EQ(c[0], bytes[bg]);
        EXPECT_EQ(c[1], bytes[bg + 1]);
        EXPECT_EQ(c[2], bytes[bg + 2]);
    }
}

TEST_F(GifTest, AnimationGivesTheFirstFrame) {
    ASSERT_TRUE(
        Tool("convert", {"-size", "16x16", "xc:green", "xc:red", "xc:blue", Path("anim.gif")}));
    TImportParams p;
    ASSERT_EQ(Decode(Path("anim.gif"), p), ieOk);
    std::uint8_t c[3];
    DibPixel(p.Dib, 8, 8, c);
    EXPECT_EQ(c[0], 0);
    EXPECT_GT(c[1], 100);
    EXPECT_EQ(c[2], 0);
}

TEST_F(GifTest, TruncatedAndCorruptFilesFailCleanly) {
    ASSERT_TRUE(Tool("convert", {Path("src.ppm"), "-colors", "64", Path("g.gif")}));
    const auto full = ReadBytes(Path("g.gif"));
    for (std::size_t cut : {std::size_t(6), std::size_t(20), full.size() / 2, full.size() - 2}) {
        SCOPED_TRACE(cut);
        TImportParams p;
        const std::int32_t code = DecodeGif(full.data(), cut, p);
        // the last bytes are only the trailer: the picture is complete
        if (cut == full.size() - 2 && code == ieOk)
            continue;
        EXPECT_EQ(code, ieUnexpectedEnd);
        EXPECT_TRUE(p.Dib.IsEmpty());
    }
    auto bad = full;
    for (std::size_t i = 30; i < bad.size(); i += 11)
        bad[i] ^= 0x3C;
    TImportParams p;
    const std::int32_t code = DecodeGif(bad.data(), bad.size(), p);
    EXPECT_EQ(code == ieOk, !p.Dib.IsEmpty());
}

// A tiny file naming a huge logical screen is refused at once instead of
// allocating the screen; a real picture of the same frame still loads.
TEST(GifHeader, HugeScreenAroundATinyFrameIsCorrupt) {
    auto gif = [](std::uint16_t sw, std::uint16_t sh) {
        std::vector<std::uint8_t> b = {'G', 'I', 'F', '8', '9', 'a'};
        b.insert(b.end(), {std::uint8_t(sw), std::uint8_t(sw >> 8), std::uint8_t(sh),
                           std::uint8_t(sh >> 8), 0x80, 0, 0});
        b.insert(b.end(), {0, 0, 0, 255, 255, 255});          // two colours
        b.insert(b.end(), {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0}); // 1 x 1 frame at 0,0
        b.insert(b.end(), {2, 2, 0x44, 0x01, 0, 0x3B});       // its LZW data, trailer
        return b;
    };
    TImportParams p;
    const auto huge = gif(40000, 40000);
    EXPECT_EQ(DecodeGif(huge.data(), huge.size(), p), ieCorrupt);
    EXPECT_TRUE(p.Dib.IsEmpty());
    const auto small = gif(16, 16);
    ASSERT_EQ(DecodeGif(small.data(), small.size(), p), ieOk);
    EXPECT_EQ(p.Dib.Width(), 16);
    EXPECT_EQ(p.Dib.Height(), 16);
}
