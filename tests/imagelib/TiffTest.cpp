// TIFF import: files written by ImageMagick and the libtiff tools in every
// compression and layout, compared with ImageMagick's own reading.

#include "CodecTestUtil.h"
#include "TestSupport.h"
#include "uDecoders.h"

#include <gtest/gtest.h>

using namespace CodecTest;

namespace {

class TiffTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TestSupport::HaveProgram("convert") || !TestSupport::HaveProgram("tiffcp") ||
            !TestSupport::HaveProgram("tiffset"))
            GTEST_SKIP() << "convert or the libtiff tools missing";
        dir_ = TestSupport::NewTempDir();
        src_ = PhotoLike(97, 61);
        ASSERT_TRUE(WritePpm(dir_ + "/src.ppm", src_));
        ASSERT_TRUE(Tool("convert", {dir_ + "/src.ppm", "-compress", "None", dir_ + "/plain.tif"}));
    }
    QString Path(const QString& name) const { return dir_ + "/" + name; }
    static std::int32_t Decode(const QString& path, TImportParams& p) {
        const auto bytes = ReadBytes(path);
        return DecodeTiff(bytes.data(), bytes.size(), p);
    }
    QString dir_;
    TRgb src_;
};

// A minimal uncompressed 8-bit grey TIFF with its directory in front of the
// pixels; pixel (x, y) holds x + y.
std::vector<std::uint8_t> GreyTiff(int w, int h) {
    std::vector<std::uint8_t> b{'I', 'I', 42, 0, 8, 0, 0, 0};
    auto put16 = [&](unsigned v) {
        b.push_back(std::uint8_t(v));
        b.push_back(std::uint8_t(v >> 8));
    };
    auto put32 = [&](unsigned v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    const unsigned entries = 8;
    const unsigned dataOffset = 8 + 2 + entries * 12 + 4;
    auto entry = [&](unsigned tag, unsigned type, unsigned value) {
        put16(tag);
        put16(type);
        put32(1);
        if (type == 3) {
            put16(value);
            put16(0);
        } else {
            put32(value);
        }
    };
    put16(entries);
    entry(256, 4, unsigned(w));     // ImageWidth
    entry(257, 4, unsigned(h));     // ImageLength
    entry(258, 3, 8);               // BitsPerSample
    entry(259, 3, 1);               // Compression: none
    entry(262, 3, 1);               // Photometric: min-is-black
    entry(273, 4, dataOffset);      // StripOffsets
    entry(278, 4, unsigned(h));     // RowsPerStrip
    entry(279, 4, unsigned(w * h)); // StripByteCounts
    put32(0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b.push_back(std::uint8_t((x + y) & 0xFF));
    return b;
}

} // namespace

TEST_F(TiffTest, EveryCompressionAndLayoutGivesTheSourcePixels) {
    struct Case {
        const char* name;
        QStringList tiffcp;
    };
    const Case cases[] = {
        {"none", {"-c", "none"}},
        {"lzw", {"-c", "lzw"}},
        {"lzw-predictor", {"-c", "lzw:2"}},
        {"deflate", {"-c", "zip"}},
        {"packbits", {"-c", "packbits"}},
        {"tiled", {"-c", "lzw", "-t", "-w", "32", "-l", "16"}},
        {"separate", {"-c", "zip", "-p", "separate"}},
        {"strips-of-5", {"-c", "none", "-r", "5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString out = Path(QString(c.name) + ".tif");
        QStringList args = c.tiffcp;
        args << Path("plain.tif") << out;
        ASSERT_TRUE(Tool("tiffcp", args));
        TImportParams p;
        ASSERT_EQ(Decode(out, p), ieOk);
        EXPECT_EQ(p.Dib.BitCount(), 24);
        EXPECT_EQ(MaxAbsDiff(p.Dib, src_), 0);
    }
}

TEST_F(TiffTest, JpegInTiffIsClose) {
    ASSERT_TRUE(Tool("tiffcp", {"-c", "jpeg:90", "-r", "16", Path("plain.tif"), Path("jpeg.tif")}));
    TImportParams p;
    ASSERT_EQ(Decode(Path("jpeg.tif"), p), ieOk);
    EXPECT_LT(MeanAbsDiff(p.Dib, src_), 3.0);
    // YCbCr subsampled JPEG written by ImageMagick
    ASSERT_TRUE(Tool("convert",
                     {Path("src.ppm"), "-compress", "JPEG", "-quality", "92", Path("jpeg2.tif")}));
    TImportParams q;
    ASSERT_EQ(Decode(Path("jpeg2.tif"), q), ieOk);
    EXPECT_LT(MeanAbsDiff(q.Dib, src_), 3.0);
}

TEST_F(TiffTest, SixteenBitSamples) {
    ASSERT_TRUE(
        Tool("convert", {Path("src.ppm"), "-depth", "16", "-compress", "Zip", Path("rgb16.tif")}));
    TImportParams p;
    ASSERT_EQ(Decode(Path("rgb16.tif"), p), ieOk);
    EXPECT_EQ(MaxAbsDiff(p.Dib, src_), 0);

    ASSERT_TRUE(Tool("convert",
                     {Path("src.ppm"), "-colorspace", "Gray", "-depth", "16", Path("grey16.tif")}));
    TImportParams g;
    ASSERT_EQ(Decode(Path("grey16.tif"), g), ieOk);
    EXPECT_EQ(g.Dib.BitCount(), 8);
    EXPECT_LE(MaxAbsDiff(g.Dib, MagickDecode(Path("grey16.tif"))), 1);
}

TEST_F(TiffTest, PaletteStaysPalette) {
    for (int colors : {2, 16, 200}) {
        SCOPED_TRACE(colors);
        const QString out = Path(QString("pal%1.tif").arg(colors));
        ASSERT_TRUE(Tool("convert", {Path("src.ppm"), "+dither", "-colors", QString::number(colors),
                                     "-type", "Palette", "-compress", "LZW", out}));
        TImportParams p;
        ASSERT_EQ(Decode(out, p), ieOk);
        EXPECT_LE(p.Dib.BitCount(), 8);
        // ImageMagick rounds the 16-bit colour map down, we to the nearest
        EXPECT_LE(MaxAbsDiff(p.Dib, MagickDecode(out)), 1);
    }
    // a 4-bit palette
    ASSERT_TRUE(Tool("convert", {Path("src.ppm"), "+dither", "-colors", "16", "-type", "Palette",
                                 "-depth", "4", Path("pal4.tif")}));
    TImportParams p;
    ASSERT_EQ(Decode(Path("pal4.tif"), p), ieOk);
    EXPECT_EQ(p.Dib.BitCount(), 4);
    EXPECT_LE(MaxAbsDiff(p.Dib, MagickDecode(Path("pal4.tif"))), 1);
}

TEST_F(TiffTest, BilevelKeepsOneBitWithBlackAndWhite) {
    ASSERT_TRUE(Tool("convert", {Path("src.ppm"), "-threshold", "50%", "-type", "Bilevel",
                                 "-compress", "Group4", Path("g4.tif")}));
    ASSERT_TRUE(Tool("convert", {Path("src.ppm"), "-threshold", "50%", "-type", "Bilevel",
                                 "-define", "tiff:photometric=min-is-black", "-depth", "1",
                                 "-compress", "None", Path("mib.tif")}));
    for (const char* name : {"g4.tif", "mib.tif"}) {
        SCOPED_TRACE(name);
        TImportParams p;
        ASSERT_EQ(Decode(Path(name), p), ieOk);
        EXPECT_EQ(p.Dib.BitCount(), 1);
        EXPECT_EQ(MaxAbsDiff(p.Dib, MagickDecode(Path(name))), 0);
    }
}

TEST_F(TiffTest, GreyBecomesEightBitWithGreyTable) {
    ASSERT_TRUE(
        Tool("convert", {Path("src.ppm"), "-colorspace", "Gray", "-depth", "8", Path("grey.tif")}));
    ASSERT_TRUE(Tool("convert", {Path("src.ppm"), "-colorspace", "Gray", "-depth", "8", "-define",
                                 "tiff:photometric=min-is-white", Path("white.tif")}));
    ASSERT_TRUE(Tool("convert",
                     {Path("src.ppm"), "-colorspace", "Gray", "-depth", "4", Path("grey4.tif")}));
    for (const char* name : {"grey.tif", "white.tif", "grey4.tif"}) {
        SCOPED_TRACE(name);
        TImportParams p;
        ASSERT_EQ(Decode(Path(name), p), ieOk);
        ASSERT_EQ(p.Dib.BitCount(), 8);
        EXPECT_EQ(p.Dib.Colors()[200].rgbGreen, 200);
        EXPECT_LE(MaxAbsDiff(p.Dib, MagickDecode(Path(name))), 1);
    }
}

TEST_F(TiffTest, CmykIsConverted) {
    ASSERT_TRUE(Tool("convert", {Path("src.ppm"), "-colorspace", "CMYK", Path("cmyk.tif")}));
    TImportParams p;
    ASSERT_EQ(Decode(Path("cmyk.tif"), p), ieOk);
    EXPECT_EQ(p.Dib.BitCount(), 24);
    EXPECT_LE(MaxAbsDiff(p.Dib, src_), 2);
}

TEST_F(TiffTest, AlphaIsCompositedOnWhite) {
    // a horizontal alpha ramp over the photo, unassociated and associated
    ASSERT_TRUE(Tool("convert", {Path("src.ppm"), "(", "-size", "61x97", "gradient:white-black",
                                 "-rotate", "90", ")", "-alpha", "off", "-compose", "CopyOpacity",
                                 "-composite", Path("alpha.tif")}));
    ASSERT_TRUE(Tool("convert",
                     {Path("alpha.tif"), "-define", "tiff:alpha=associated", Path("assoc.tif")}));
    for (const char* name : {"alpha.tif", "assoc.tif"}) {
        SCOPED_TRACE(name);
        TImportParams p;
        ASSERT_EQ(Decode(Path(name), p), ieOk);
        EXPECT_EQ(p.Dib.BitCount(), 24);
        const TRgb ref = MagickDecode(Path(name), {"-background", "white", "-flatten"});
        EXPECT_LE(MaxAbsDiff(p.Dib, ref), 2);
        // the left edge is fully transparent: white
        std::uint8_t c[3];
        DibPixel(p.Dib, 0, 10, c);
        EXPECT_GE(c[0], 250);
        EXPECT_GE(c[1], 250);
        EXPECT_GE(c[2], 250);
    }
}

TEST_F(TiffTest, OrientationTagIsApplied) {
    const TRgb quad = Quadrants(40, 24);
    ASSERT_TRUE(WritePpm(Path("quad.ppm"), quad));
    for (int o = 1; o <= 8; ++o) {
        SCOPED_TRACE(o);
        for (const char* kind : {"rgb", "pal"}) {
            const QString out = Path(QString("o%1%2.tif").arg(o).arg(kind));
            QStringList args{Path("quad.ppm")};
            if (QString(kind) == "pal")
                args << "-type"
                     << "Palette";
            args << out;
            ASSERT_TRUE(Tool("convert", args));
            ASSERT_TRUE(Tool("tiffset", {"-s", "274", QString::number(o), out}));
            TImportParams p;
            ASSERT_EQ(Decode(out, p), ieOk);
            const TRgb ref = MagickDecode(out, {"-auto-orient"});
            EXPECT_EQ(MaxAbsDiff(p.Dib, ref), 0);
        }
    }
}

TEST_F(TiffTest, FirstPageOfSeveral) {
    ASSERT_TRUE(Tool("convert", {Path("src.ppm"), "-size", "20x30", "xc:red", Path("pages.tif")}));
    TImportParams p;
    ASSERT_EQ(Decode(Path("pages.tif"), p), ieOk);
    EXPECT_EQ(MaxAbsDiff(p.Dib, src_), 0);
}

TEST_F(TiffTest, TruncatedAndCorruptFilesFailCleanly) {
    ASSERT_TRUE(Tool("tiffcp", {"-c", "lzw", Path("plain.tif"), Path("lzw.tif")}));
    for (const char* name : {"plain.tif", "lzw.tif"}) {
        const auto full = ReadBytes(Path(name));
        for (std::size_t cut :
             {std::size_t(4), std::size_t(12), full.size() / 2, full.size() - 1}) {
            SCOPED_TRACE(testing::Message() << name << " cut " << cut);
            TImportParams p;
            const std::int32_t code = DecodeTiff(full.data(), cut, p);
            if (cut == full.size() - 1 && code == ieOk) {
                // only an optional tag value was lost: the picture is whole
                EXPECT_EQ(MaxAbsDiff(p.Dib, src_), 0);
                continue;
            }
            // the directory sits at the end of ImageMagick's files: losing it
            // leaves no picture at all
            EXPECT_TRUE(code == ieUnexpectedEnd || code == ieCorrupt) << code;
            EXPECT_TRUE(p.Dib.IsEmpty());
        }
    }
    // Pixel data cut short with the directory intact (it stands in front)
    const auto grey = GreyTiff(64, 48);
    for (std::size_t cut : {grey.size() - 1, grey.size() / 2}) {
        TImportParams p;
        EXPECT_EQ(DecodeTiff(grey.data(), cut, p), ieUnexpectedEnd);
        EXPECT_TRUE(p.Dib.IsEmpty());
    }
    TImportParams whole;
    ASSERT_EQ(DecodeTiff(grey.data(), grey.size(), whole), ieOk);
    EXPECT_EQ(whole.Dib.Row(47)[63], std::uint8_t((63 + 47) & 0xFF));

    auto bad = ReadBytes(Path("lzw.tif"));
    for (std::size_t i = 8; i < bad.size(); i += 13)
        bad[i] ^= 0xA5;
    TImportParams p;
    const std::int32_t code = DecodeTiff(bad.data(), bad.size(), p);
    EXPECT_EQ(code == ieOk, !p.Dib.IsEmpty());

    const std::uint8_t notTiff[16] = {'I', 'I', 42, 0, 0xFF, 0xFF, 0xFF, 0x7F};
    TImportParams q;
    EXPECT_NE(DecodeTiff(notTiff, sizeof notTiff, q), ieOk);
}

TEST_F(TiffTest, TiledPaletteGreyAndBilevel) {
    // partial tiles at the right and bottom edge, sub-byte samples
    ASSERT_TRUE(Tool("convert", {Path("src.ppm"), "+dither", "-colors", "16", "-type", "Palette",
                                 "-depth", "4", Path("p4.tif")}));
    ASSERT_TRUE(
        Tool("convert", {Path("src.ppm"), "-colorspace", "Gray", "-depth", "8", Path("g8.tif")}));
    ASSERT_TRUE(Tool("convert", {Path("src.ppm"), "-threshold", "50%", "-type", "Bilevel",
                                 "-compress", "None", Path("b1.tif")}));
    for (const char* name : {"p4", "g8", "b1"}) {
        SCOPED_TRACE(name);
        const QString in = Path(QString(name) + ".tif");
        const QString out = Path(QString(name) + "-tiled.tif");
        ASSERT_TRUE(Tool("tiffcp", {"-t", "-w", "32", "-l", "16", "-c", "zip", in, out}));
        TImportParams a, b;
        ASSERT_EQ(Decode(in, a), ieOk);
        ASSERT_EQ(Decode(out, b), ieOk);
        EXPECT_EQ(a.Dib.BitCount(), b.Dib.BitCount());
        ASSERT_EQ(a.Dib.Size(), b.Dib.Size());
        EXPECT_LE(MaxAbsDiff(b.Dib, MagickDecode(in)), 1);
        for (int y = 0; y < a.Dib.Height(); ++y)
            for (int x = 0; x < a.Dib.Width(); ++x) {
                std::uint8_t ca[3], cb[3];
                DibPixel(a.Dib, x, y, ca);
                DibPixel(b.Dib, x, y, cb);
                ASSERT_TRUE(ca[0] == cb[0] && ca[1] == cb[1] && ca[2] == cb[2]) << x << "," << y;
            }
    }
}
