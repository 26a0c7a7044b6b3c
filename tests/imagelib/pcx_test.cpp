// PCX decoding: files written by ImageMagick and netpbm compared with their
// source picture, and hand-built files for damaged data.

#include "ImageTestUtil.h"
#include "TestSupport.h"
#include "uDecoders.h"
#include "uLeonardo.h"

#include <gtest/gtest.h>

using namespace ImageTest;

namespace {

struct ToolCase {
    const char* name;
    int colours;
    const char* command; // %1 source, %2 output
    int bits;
};

const ToolCase kToolCases[] = {
    {"im_24", 0, "convert %1 PCX:%2", 24},
    {"im_8", 256, "convert %1 -type Palette PCX:%2", 8},
    {"im_1", 2, "convert %1 -type Bilevel PCX:%2", 0},
    {"pnm_24", 0, "ppmtopcx -24bit %1 > %2", 24},
    {"pnm_8", 256, "ppmtopcx -8bit %1 > %2", 8},
    {"pnm_planes4", 16, "ppmtopcx -planes=4 %1 > %2", 4},
    {"pnm_planes3", 8, "ppmtopcx -planes=3 %1 > %2", 4},
    {"pnm_packed4", 16, "ppmtopcx -packed %1 > %2", 4},
    {"pnm_1", 2, "ppmtopcx %1 > %2", 0},
};

class PcxFromTools : public ::testing::TestWithParam<ToolCase> {};

} // namespace

TEST_P(PcxFromTools, DecodesLikeTheSource) {
    const ToolCase& c = GetParam();
    const QString program = QString(c.command).section(' ', 0, 0);
    if (!TestSupport::HaveProgram(program)) {
        GTEST_SKIP() << qPrintable(program) << " is not installed";
    }
    const QString dir = TestSupport::NewTempDir();
    // An odd width: scan lines are padded to an even byte count.
    const QImage source = Pattern(45, 19, c.colours);
    const QString in = Save(source, dir, "source.ppm");
    const QString out = dir + "/out.pcx";
    ASSERT_FALSE(EncodeShell(QString(c.command).arg(in, out), out).isEmpty());
    TDib dib;
    ASSERT_EQ(DecodeBytes(DecodePcx, ReadFile(out), dib), ieOk);
    if (c.bits) {
        EXPECT_EQ(dib.BitCount(), c.bits);
    }
    EXPECT_EQ(Compare(dib, source), QString());
}

INSTANTIATE_TEST_SUITE_P(Encoders, PcxFromTools, ::testing::ValuesIn(kToolCases),
                         [](const auto& info) { return std::string(info.param.name); });

namespace {

Bytes PcxHeader(int w, int h, int bpp, int planes, int bytesPerLine, int encoding = 1) {
    Bytes b;
    b.u8(0x0A).u8(5).u8(encoding).u8(bpp);
    b.u16(0).u16(0).u16(w - 1).u16(h - 1).u16(72).u16(72);
    for (int i = 0; i < 16; ++i) // EGA palette: colour i = (i*16, i*8, 255-i)
        b.u8(i * 16).u8(i * 8).u8(255 - i);
    b.u8(0).u8(planes).u16(bytesPerLine).u16(1).u16(0).u16(0);
    b.fill(128 - b.size());
    return b;
}

std::int32_t Decode(const Bytes& b, TDib& dib) {
    return DecodeBytes(DecodePcx, b.bytes(), dib);
}

} // namespace

TEST(Pcx, PlanarEgaTakesColoursFromTheHeader) {
    // 8 pixels, 4 planes: plane p has bit p of the index; indices 0..7 then 15.
    Bytes b = PcxHeader(9, 1, 1, 4, 2);
    b.raw({0x55, 0x80, 0x33, 0x80, 0x0F, 0x80, 0x00, 0x80});
    TDib dib;
    ASSERT_EQ(Decode(b, dib), ieOk);
    ASSERT_EQ(dib.BitCount(), 4);
    const QImage img = DIBToImage(dib);
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(img.pixel(x, 0) & 0xFFFFFF, qRgb(x * 16, x * 8, 255 - x) & 0xFFFFFFu) << x;
    EXPECT_EQ(img.pixel(8, 0) & 0xFFFFFF, qRgb(15 * 16, 15 * 8, 255 - 15) & 0xFFFFFFu);
}

TEST(Pcx, RunsMayCrossPlanesAndRows) {
    // 24 bits, 2x2: one run of 12 bytes covers everything.
    Bytes b = PcxHeader(2, 2, 8, 3, 2);
    b.raw({0xC0 | 12, 0x7F});
    TDib dib;
    ASSERT_EQ(Decode(b, dib), ieOk);
    EXPECT_EQ(DIBToImage(dib).pixel(1, 1) & 0xFFFFFF, 0x7F7F7Fu);
}

TEST(Pcx, EightBitsWithoutTrailingPaletteIsGrey) {
    Bytes b = PcxHeader(2, 1, 8, 1, 2);
    b.raw({0x10, 0xC1, 0xC8});
    TDib dib;
    ASSERT_EQ(Decode(b, dib), ieOk);
    EXPECT_EQ(DIBToImage(dib).pixel(0, 0) & 0xFFFFFF, 0x101010u);
    EXPECT_EQ(DIBToImage(dib).pixel(1, 0) & 0xFFFFFF, 0xC8C8C8u);
}

TEST(Pcx, DamagedFilesGiveTheirCodes) {
    TDib dib;
    Bytes shortHeader;
    shortHeader.raw({0x0A, 5, 1, 8}).fill(40);
    EXPECT_EQ(Decode(shortHeader, dib), ieUnexpectedEnd);

    Bytes cut = PcxHeader(16, 16, 8, 3, 16);
    cut.fill(100, 1);
    EXPECT_EQ(Decode(cut, dib), ieUnexpectedEnd);

    Bytes runCut = PcxHeader(4, 1, 8, 1, 4);
    runCut.raw({1, 2, 3, 0xC5}); // the run's value byte is missing
    EXPECT_EQ(Decode(runCut, dib), ieUnexpectedEnd);

    Bytes narrowLine = PcxHeader(100, 1, 8, 1, 50);
    narrowLine.fill(100, 1);
    EXPECT_EQ(Decode(narrowLine, dib), ieCorrupt);

    Bytes badEncoding = PcxHeader(2, 1, 8, 1, 2, 7);
    badEncoding.fill(4);
    EXPECT_EQ(Decode(badEncoding, dib), ieCorrupt);

    Bytes cga = PcxHeader(4, 1, 2, 1, 2);
    cga.fill(2);
    EXPECT_EQ(Decode(cga, dib), ieUnsupported);

    // 65535 x 65535 in three planes: no block is that large.
    Bytes huge = PcxHeader(65535, 65535, 8, 3, 65535);
    huge.fill(16);
    EXPECT_EQ(Decode(huge, dib), ieNoMemory);

    // Plausible size, but far more than the data could ever hold.
    Bytes claim = PcxHeader(20000, 20000, 8, 1, 20000);
    claim.fill(64, 0xFF);
    EXPECT_EQ(Decode(claim, dib), ieUnexpectedEnd);
    EXPECT_TRUE(dib.IsEmpty());
}
