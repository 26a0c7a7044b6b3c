// The import function: the content decides the format, files that cannot be
// read give their codes, progress reaches 100.

#include "ImageTestUtil.h"
#include "TestSupport.h"
#include "uImport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace ImageTest;

namespace {

std::int32_t ImportFile(const QString& path, TDib& dib, std::vector<int>* progress = nullptr) {
    TImportParams params;
    params.Flags = 776;
    params.FileName = path.toUtf8().toStdString();
    if (progress) {
        params.UserValue = progress;
        params.Progress = [](std::int32_t p, void* user) -> std::int32_t {
            static_cast<std::vector<int>*>(user)->push_back(p);
            return 0;
        };
    }
    const std::int32_t rc = ipImportInd(params);
    dib = std::move(params.Dib);
    return rc;
}

QString WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

} // namespace

TEST(Import, ContentDecidesNotTheName) {
    const QString dir = TestSupport::NewTempDir();
    const QImage source = Pattern(21, 13, 0);
    const QString ppm = Save(source, dir, "source.ppm");
    struct Case {
        const char* as;   // ImageMagick output format
        const char* name; // misleading file name
        int tolerance;
    } cases[] = {
        {"JPEG", "foto.bmp", 40}, {"BMP3", "foto.jpg", 0}, {"PCX", "foto.tif", 0},
        {"TIFF", "foto.pcx", 0},  {"GIF", "foto.bmp", 0},
    };
    for (const Case& c : cases) {
        const QString out = dir + "/" + c.name;
        QFile::remove(out);
        ASSERT_FALSE(Encode("convert", {ppm, QString(c.as) + ":" + out}, out).isEmpty());
        TDib dib;
        std::vector<int> progress;
        ASSERT_EQ(ImportFile(out, dib, &progress), ieOk) << c.as;
        EXPECT_EQ(dib.Width(), 21) << c.as;
        EXPECT_EQ(dib.Height(), 13) << c.as;
        if (std::string(c.as) != "GIF") {
            // A GIF has at most 256 colours; the others carry the picture.
            EXPECT_EQ(Compare(dib, source, c.tolerance), QString()) << c.as;
        }
        ASSERT_FALSE(progress.empty()) << c.as;
        EXPECT_EQ(progress.back(), 100) << c.as;
    }
}

TEST(Import, FilesThatCannotBeReadGiveTheirCodes) {
    const QString dir = TestSupport::NewTempDir();
    TDib dib;
    EXPECT_EQ(ImportFile(dir + "/fehlt.bmp", dib), ieOpen);
    EXPECT_EQ(ImportFile(dir, dib), ieOpen) << "a folder";
    EXPECT_EQ(ImportFile(WriteBytes(dir + "/leer.bmp", {}), dib), ieUnexpectedEnd);
    EXPECT_EQ(ImportFile(WriteBytes(dir + "/text.bmp", "\nkein Bild\n"), dib), ieUnknownFormat);
    EXPECT_EQ(ImportFile(WriteBytes(dir + "/png.bmp", "\x89PNG\r\n\x1a\n...."), dib),
              ieUnknownFormat);
    EXPECT_EQ(ImportFile(WriteBytes(dir + "/b.bmp", "B"), dib), ieUnknownFormat);
    EXPECT_EQ(
        ImportFile(WriteBytes(dir + "/jpeg.bmp", QByteArray("\xFF\xD8\xFF\xE0\0\x10JF", 9)), dib),
        ieUnexpectedEnd);
    EXPECT_TRUE(dib.IsEmpty());
}

TEST(Import, MemoryImportOfABitmap) {
    Bytes b;
    b.raw({'B', 'M'}).u32(58).u32(0).u32(54);
    b.u32(40).u32(1).u32(1).u16(1).u16(24).u32(0).u32(4).u32(0).u32(0).u32(0).u32(0);
    b.raw({9, 8, 7, 0});
    TImportParams params;
    ASSERT_EQ(ipImportMemory(b.v.data(), b.size(), params), ieOk);
    EXPECT_EQ(params.Dib.Row(0)[2], 7);
    EXPECT_EQ(ipImportMemory(nullptr, 0, params), ieUnexpectedEnd);
    EXPECT_TRUE(params.Dib.IsEmpty()) << "a failed import leaves no picture behind";
}
