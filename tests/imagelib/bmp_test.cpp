// Windows/OS2 bitmap decoding: files written by ImageMagick and netpbm,
// compared pixel for pixel with the picture they were made from, and hand-built
// files for the variants no tool writes and for damaged files.

#include "ImageTestUtil.h"
#include "TestSupport.h"
#include "uDecoders.h"
#include "uLeonardo.h"

#include <gtest/gtest.h>

using namespace ImageTest;

namespace {

struct ToolCase {
    const char* name;
    int colours;       // source picture: 0 = full colour, else palette size
    const char* tool;  // "convert" or a shell command template
    const char* args;  // %1 = source file, %2 = output file
    int bits;          // expected bit depth of the decoded picture
    int tolerance = 0; // per channel (16-bit formats lose bits)
};

const ToolCase kToolCases[] = {
    {"im_bmp3_24", 0, "convert", "%1 BMP3:%2", 24},
    {"im_bmp3_8", 256, "convert", "%1 -type Palette BMP3:%2", 8},
    {"im_bmp3_4", 16, "convert", "%1 -type Palette BMP3:%2", 4},
    {"im_bmp3_1", 2, "convert", "%1 -type Palette BMP3:%2", 1},
    {"im_bmp3_rle8", 256, "convert", "%1 -type Palette -compress RLE BMP3:%2", 8},
    {"im_bmp3_rle8_16col", 16, "convert", "%1 -type Palette -depth 8 -compress RLE BMP3:%2", 0},
    {"im_bmp2_os2_24", 0, "convert", "%1 BMP2:%2", 24},
    {"im_bmp2_os2_8", 256, "convert", "%1 -type Palette BMP2:%2", 8},
    {"im_bmp_v5_24", 0, "convert", "%1 BMP:%2", 24},
    {"im_bmp_v5_alpha32", 0, "convert", "%1 -alpha set BMP:%2", 24},
    {"im_bmp_rgb565", 0, "convert", "%1 -define bmp:subtype=RGB565 BMP:%2", 24, 8},
    {"im_bmp_rgb555", 0, "convert", "%1 -define bmp:subtype=RGB555 BMP:%2", 24, 8},
    {"pnm_24", 0, "sh", "ppmtobmp -bpp 24 %1 > %2", 24},
    {"pnm_8", 256, "sh", "ppmtobmp -bpp 8 %1 > %2", 8},
    {"pnm_4", 16, "sh", "ppmtobmp -bpp 4 %1 > %2", 4},
    {"pnm_1", 2, "sh", "ppmtobmp -bpp 1 %1 > %2", 1},
    {"pnm_os2_8", 256, "sh", "ppmtobmp -os2 -bpp 8 %1 > %2", 8},
    {"pnm_os2_24", 0, "sh", "ppmtobmp -os2 -bpp 24 %1 > %2", 24},
    {"pnm_os2_1", 2, "sh", "ppmtobmp -os2 -bpp 1 %1 > %2", 1},
};

class BmpFromTools : public ::testing::TestWithParam<ToolCase> {};

} // namespace

TEST_P(BmpFromTools, DecodesLikeTheSource) {
    const ToolCase& c = GetParam();
    const QString program = c.tool == QString("sh") ? QString(c.args).section(' ', 0, 0) : c.tool;
    if (!TestSupport::HaveProgram(program)) {
        GTEST_SKIP() << qPrintable(program) << " is not installed";
    }
    const QString dir = TestSupport::NewTempDir();
    // Odd sizes: every row needs padding.
    const QImage source = Pattern(37, 23, c.colours);
    const QString in = Save(source, dir, "source.ppm");
    const QString out = dir + "/out.bmp";
    QString args = QString(c.args).arg(in, out);
    const QString written =
        c.tool == QString("sh") ? EncodeShell(args, out) : Encode(c.tool, args.split(' '), out);
    ASSERT_FALSE(written.isEmpty());
    TDib dib;
    ASSERT_EQ(DecodeBytes(DecodeBmp, ReadFile(written), dib), ieOk);
    if (c.bits) {
        EXPECT_EQ(dib.BitCount(), c.bits);
    }
    EXPECT_EQ(Compare(dib, source, c.tolerance), QString());
}

INSTANTIATE_TEST_SUITE_P(Encoders, BmpFromTools, ::testing::ValuesIn(kToolCases),
                         [](const auto& info) { return std::string(info.param.name); });

namespace {

// A bitmap file with a 40-byte (or other) info header; offBits is patched.
struct BmpBuilder {
    Bytes b;
    std::size_t offPos = 10;
    BmpBuilder(std::int32_t w, std::int32_t h, int bits, std::uint32_t compression = 0,
               std::uint32_t clrUsed = 0, std::uint32_t hsize = 40) {
        b.raw({'B', 'M'}).u32(0).u32(0).u32(0);
        b.u32(hsize).u32(static_cast<std::uint32_t>(w)).u32(static_cast<std::uint32_t>(h));
        b.u16(1).u16(bits).u32(compression).u32(0).u32(2835).u32(2835).u32(clrUsed).u32(0);
        if (hsize > 40)
            b.fill(hsize - 40);
    }
    BmpBuilder& Colour(unsigned r, unsigned g, unsigned bl) {
        b.u8(bl).u8(g).u8(r).u8(0);
        return *this;
    }
    BmpBuilder& Pixels() {
        b.put32(offPos, static_cast<std::uint32_t>(b.size()));
        return *this;
    }
    QByteArray Done() {
        b.put32(2, static_cast<std::uint32_t>(b.size()));
        return b.bytes();
    }
};

std::int32_t Decode(const QByteArray& bytes, TDib& dib) {
    return DecodeBytes(DecodeBmp, bytes, dib);
}

// Palette index of pixel (x, y top-down) of a 4- or 8-bit DIB.
int Index(const TDib& dib, int x, int y) {
    const std::uint8_t* row = dib.Row(y);
    if (dib.BitCount() == 4)
        return (x & 1) ? (row[x / 2] & 15) : (row[x / 2] >> 4);
    return row[x];
}

} // namespace

TEST(Bmp, Rle4WithDeltaEndOfLineAndAbsoluteRuns) {
    BmpBuilder f(8, 4, 4, 2, 16);
    for (int i = 0; i < 16; ++i)
        f.Colour(i * 16, i * 16, i * 16);
    f.Pixels();
    // Bottom row: run of 5 pixels alternating 1,2; then absolute 3 pixels 3,4,5.
    f.b.raw({5, 0x12, 0, 3, 0x34, 0x50});
    f.b.raw({0, 0});           // end of line
    f.b.raw({0, 2, 2, 1});     // delta: 2 right, 1 up -> row 2, x 2
    f.b.raw({2, 0x77});        // two pixels of 7 at x 2, 3
    f.b.raw({0, 0, 20, 0x9A}); // next row: a run longer than the row is cut
    f.b.raw({0, 1});           // end of bitmap
    TDib dib;
    ASSERT_EQ(Decode(f.Done(), dib), ieOk);
    ASSERT_EQ(dib.BitCount(), 4);
    // Top-down: row 3 is the bottom row.
    const int bottom[8] = {1, 2, 1, 2, 1, 3, 4, 5};
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(Index(dib, x, 3), bottom[x]) << x;
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(Index(dib, x, 2), 0) << "skipped row stays index 0";
    EXPECT_EQ(Index(dib, 1, 1), 0);
    EXPECT_EQ(Index(dib, 2, 1), 7);
    EXPECT_EQ(Index(dib, 3, 1), 7);
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(Index(dib, x, 0), (x & 1) ? 10 : 9);
}

TEST(Bmp, RleNeverWritesOutsideThePicture) {
    BmpBuilder f(3, 2, 8, 1);
    f.Colour(0, 0, 0);
    f.Pixels();
    f.b.raw({255, 1});                 // run far past the row end
    f.b.raw({0, 2, 250, 0});           // delta beyond the right edge
    f.b.raw({0, 5, 1, 2, 3, 4, 5, 0}); // absolute run past the edge
    f.b.raw({0, 2, 0, 200});           // delta beyond the top: done
    TDib dib;
    ASSERT_EQ(Decode(f.Done(), dib), ieOk);
    EXPECT_EQ(Index(dib, 0, 1), 1);
    EXPECT_EQ(Index(dib, 2, 1), 1);
}

TEST(Bmp, EndlessRunsWithoutEndOfLineStayInTheRow) {
    // More run pixels in one row than a 32-bit position can count.
    BmpBuilder f(2, 1, 8, 1);
    f.Colour(0, 0, 0).Pixels();
    const std::size_t at = f.b.size();
    f.b.fill(2 * 8500000, 3);
    for (std::size_t i = at; i < f.b.size(); i += 2)
        f.b.v[i] = 255;
    f.b.raw({0, 2, 255, 0, 0, 1});
    TDib dib;
    ASSERT_EQ(Decode(f.Done(), dib), ieOk);
    EXPECT_EQ(Index(dib, 1, 0), 3);
}

TEST(Bmp, HugeRlePictureWithCutDataIsRefusedBeforeAllocating) {
    BmpBuilder f(40000, 40000, 8, 1);
    f.Colour(0, 0, 0).Pixels();
    f.b.raw({10, 1, 0, 0, 10, 1});
    TDib dib;
    EXPECT_EQ(Decode(f.Done(), dib), ieUnexpectedEnd);
}

TEST(Bmp, RleDataEndingInsideThePictureIsTruncated) {
    BmpBuilder f(4, 4, 8, 1);
    f.Colour(0, 0, 0).Pixels();
    f.b.raw({4, 1, 0, 0, 4, 1});
    TDib dib;
    EXPECT_EQ(Decode(f.Done(), dib), ieUnexpectedEnd);
    EXPECT_TRUE(dib.IsEmpty());
    BmpBuilder g(4, 4, 8, 1);
    g.Colour(0, 0, 0).Pixels();
    g.b.raw({0, 6, 1, 2}); // absolute run of 6 with only 2 bytes
    EXPECT_EQ(Decode(g.Done(), dib), ieUnexpectedEnd);
}

TEST(Bmp, BitFields16And32WithMasksBehindTheHeader) {
    // 32 bits: red in the low byte, green next, blue in bits 16..23.
    BmpBuilder f(2, 1, 32, 3);
    f.b.u32(0x000000FF).u32(0x0000FF00).u32(0x00FF0000);
    f.Pixels();
    f.b.u32(0x00302010).u32(0xFFC0B0A0);
    TDib dib;
    ASSERT_EQ(Decode(f.Done(), dib), ieOk);
    ASSERT_EQ(dib.BitCount(), 24);
    const QImage img = DIBToImage(dib);
    EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0x102030u);
    EXPECT_EQ(img.pixel(1, 0) & 0xFFFFFF, 0xA0B0C0u);

    // 16 bits 5-6-5: full red, full green, full blue, and a mid grey.
    BmpBuilder g(4, 1, 16, 3);
    g.b.u32(0xF800).u32(0x07E0).u32(0x001F);
    g.Pixels();
    g.b.u16(0xF800).u16(0x07E0).u16(0x001F).u16((16 << 11) | (32 << 5) | 16);
    ASSERT_EQ(Decode(g.Done(), dib), ieOk);
    const QImage img16 = DIBToImage(dib);
    EXPECT_EQ(img16.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(img16.pixel(1, 0) & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(img16.pixel(2, 0) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(img16.pixel(3, 0) & 0xFFFFFF, 0x848284u);
}

TEST(Bmp, TopDownRowsAndV5Header) {
    BmpBuilder f(1, -3, 24, 0, 0, 124);
    f.Pixels();
    f.b.raw({1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0}); // top row first
    TDib dib;
    ASSERT_EQ(Decode(f.Done(), dib), ieOk);
    EXPECT_EQ(dib.Height(), 3);
    EXPECT_EQ(dib.Row(0)[0], 1);
    EXPECT_EQ(dib.Row(2)[0], 7);
}

TEST(Bmp, Os2Headers) {
    // OS/2 2.x: a 64-byte header with 4-byte colour entries.
    BmpBuilder f(2, 1, 8, 0, 2, 64);
    f.Colour(10, 20, 30).Colour(40, 50, 60).Pixels();
    f.b.raw({1, 0, 0, 0});
    TDib dib;
    ASSERT_EQ(Decode(f.Done(), dib), ieOk);
    EXPECT_EQ(DIBToImage(dib).pixel(0, 0) & 0xFFFFFF, 0x28323Cu);
    EXPECT_EQ(DIBToImage(dib).pixel(1, 0) & 0xFFFFFF, 0x0A141Eu);

    // A shortened OS/2 2.x header of 16 bytes.
    Bytes s;
    s.raw({'B', 'M'}).u32(0).u32(0).u32(14 + 16);
    s.u32(16).u32(1).u32(1).u16(1).u16(24);
    s.raw({1, 2, 3, 0});
    ASSERT_EQ(Decode(s.bytes(), dib), ieOk);
    EXPECT_EQ(dib.Row(0)[2], 3);

    // OS/2 2.x Huffman compression is not offered.
    BmpBuilder h(8, 1, 1, 3, 0, 64);
    h.Pixels();
    h.b.fill(8);
    EXPECT_EQ(Decode(h.Done(), dib), ieUnsupported);
}

TEST(Bmp, ShortColourTableAndPaddingOfTheLastRow) {
    BmpBuilder f(3, 2, 8, 0, 2);
    f.Colour(255, 0, 0).Colour(0, 0, 255).Pixels();
    f.b.raw({0, 1, 0, 0, 1, 0, 1}); // the last row lacks its padding byte
    TDib dib;
    ASSERT_EQ(Decode(f.Done(), dib), ieOk);
    ASSERT_EQ(dib.BitCount(), 8);
    EXPECT_EQ(dib.ColorCount(), 256u);
    const QImage img = DIBToImage(dib);
    EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(img.pixel(0, 1) & 0xFFFFFF, 0xFF0000u);
}

TEST(Bmp, DamagedFilesGiveTheirCodes) {
    TDib dib;
    // Not a bitmap at all.
    EXPECT_EQ(Decode(QByteArray("GIF89a........"), dib), ieUnknownFormat);
    // The header ends early.
    EXPECT_EQ(Decode(QByteArray("BM\0\0\0\0\0\0\0\0\0\0\0\0\x28\0\0\0", 18), dib), ieUnexpectedEnd);
    // Pixel data cut short.
    {
        BmpBuilder f(10, 10, 24);
        f.Pixels();
        f.b.fill(100);
        EXPECT_EQ(Decode(f.Done(), dib), ieUnexpectedEnd);
    }
    // Inconsistent: zero width, odd bit depth, RLE8 with 24 bits, header size 5.
    {
        BmpBuilder f(0, 10, 24);
        f.Pixels();
        EXPECT_EQ(Decode(f.Done(), dib), ieCorrupt);
        BmpBuilder g(4, 4, 7);
        g.Pixels();
        g.b.fill(64);
        EXPECT_EQ(Decode(g.Done(), dib), ieCorrupt);
        BmpBuilder h(4, 4, 24, 1);
        h.Pixels();
        h.b.fill(64);
        EXPECT_EQ(Decode(h.Done(), dib), ieCorrupt);
        BmpBuilder i(4, 4, 24, 0, 0, 5);
        EXPECT_EQ(Decode(i.Done(), dib), ieCorrupt);
        BmpBuilder j(4, -4, 8, 1);
        j.Pixels();
        j.b.raw({0, 1});
        EXPECT_EQ(Decode(j.Done(), dib), ieCorrupt) << "top-down RLE";
    }
    // Sizes no block can hold: refused before anything is allocated.
    {
        BmpBuilder f(100000, 100000, 24);
        f.Pixels();
        EXPECT_EQ(Decode(f.Done(), dib), ieNoMemory);
        BmpBuilder g(60000, 40000, 8, 1);
        g.Colour(0, 0, 0).Pixels();
        g.b.raw({0, 1});
        EXPECT_EQ(Decode(g.Done(), dib), ieNoMemory);
    }
    // A large claim with a few bytes of data is cut short, not allocated.
    {
        BmpBuilder f(20000, 20000, 8);
        f.Pixels();
        f.b.fill(16);
        EXPECT_EQ(Decode(f.Done(), dib), ieUnexpectedEnd);
    }
    // Variants we do not read: embedded JPEG/PNG, 2 bits, 64 bits.
    {
        BmpBuilder f(4, 4, 24, 4);
        f.Pixels();
        f.b.fill(64);
        EXPECT_EQ(Decode(f.Done(), dib), ieUnsupported);
        BmpBuilder g(4, 4, 0, 5);
        g.Pixels();
        g.b.fill(64);
        EXPECT_EQ(Decode(g.Done(), dib), ieUnsupported);
        BmpBuilder h(4, 4, 2);
        h.Pixels();
        h.b.fill(64);
        EXPECT_EQ(Decode(h.Done(), dib), ieUnsupported);
    }
    EXPECT_TRUE(dib.IsEmpty());
}

TEST(Bmp, ReportsRisingProgressUpTo100) {
    BmpBuilder f(4, 200, 24);
    f.Pixels();
    f.b.fill(12 * 200, 0x55);
    std::vector<int> seen;
    TImportParams params;
    params.UserValue = &seen;
    params.Progress = [](std::int32_t p, void* user) -> std::int32_t {
        static_cast<std::vector<int>*>(user)->push_back(p);
        return 0;
    };
    const QByteArray bytes = f.Done();
    ASSERT_EQ(DecodeBmp(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                        std::size_t(bytes.size()), params),
              ieOk);
    ASSERT_GE(seen.size(), 10u);
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 100);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}
