// velamor-cli info and convert, run as the user runs them.

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace {

using Result = TestSupport::RunResult;

Result RunCli(const QStringList& args) {
    return TestSupport::RunSplit(VELAMOR_CLI, args);
}

QImage Pattern(int w, int h) {
    QImage img(w, h, QImage::Format_RGB888);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb(x & 255, y & 255, (x * y) & 255));
    return img;
}

} // namespace

TEST(CliImage, InfoPrintsSizeAndDepth) {
    const QString dir = TestSupport::NewTempDir();
    // A PCX file named .bmp: the content decides.
    const QString path = dir + "/bild.bmp";
    ASSERT_TRUE(Pattern(37, 23).save(dir + "/bild.ppm"));
    ASSERT_EQ(TestSupport::Run("convert", {dir + "/bild.ppm", "PCX:" + path}), 0);
    const Result r = RunCli({"info", path});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(r.out, "37 23 24\n");
}

TEST(CliImage, InfoAndConvertReduceToTheCeilingUnlessKeepSize) {
    const QString dir = TestSupport::NewTempDir();
    const QString in = dir + "/gross.bmp";
    ASSERT_TRUE(Pattern(2400, 2400).save(in, "BMP"));
    Result r = RunCli({"info", in});
    EXPECT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(r.out, "2251 2251 24\n");

    const QString reduced = dir + "/klein.bmp";
    r = RunCli({"convert", in, reduced});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    EXPECT_EQ(QImage(reduced).size(), QSize(2251, 2251));

    const QString full = dir + "/voll.bmp";
    r = RunCli({"convert", in, full, "--keep-size"});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    // Same pixels as the source, and a bitmap file like any other writer's.
    const QImage back(full);
    ASSERT_EQ(back.size(), QSize(2400, 2400));
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB888), Pattern(2400, 2400));
    EXPECT_EQ(QFile(full).size(), 14 + 40 + qint64(2400 * 3) * 2400);
}

TEST(CliImage, ConvertKeepsPaletteAndWritesHeaderAndDibByteForByte) {
    const QString dir = TestSupport::NewTempDir();
    const QString in = dir + "/pal.bmp";
    QImage img = Pattern(9, 5).convertToFormat(QImage::Format_Indexed8);
    ASSERT_TRUE(img.save(in, "BMP"));
    const QString out = dir + "/out.bmp";
    const Result r = RunCli({"convert", in, out});
    ASSERT_EQ(r.code, 0) << r.err.constData();
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray b = f.readAll();
    ASSERT_GE(b.size(), 54);
    EXPECT_EQ(b.left(2), "BM");
    const auto u32 = [&](int at) {
        return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 |
               quint32(quint8(b[at + 2])) << 16 | quint32(quint8(b[at + 3])) << 24;
    };
    EXPECT_EQ(u32(2), quint32(b.size()));
    EXPECT_EQ(u32(10), 14u + 40u + 256u * 4u);
    EXPECT_EQ(u32(14), 40u);
    EXPECT_EQ(quint8(b[28]), 8) << "palette picture stays one";
    EXPECT_EQ(QImage(out).convertToFormat(QImage::Format_RGB32),
              img.convertToFormat(QImage::Format_RGB32));
}

TEST(CliImage, FailuresPrintTheGermanMessageAndWriteNothing) {
    const QString dir = TestSupport::NewTempDir();
    const QString missing = dir + "/fehlt.jpg";
    Result r = RunCli({"info", missing});
    EXPECT_EQ(r.code, 1);
    // Qt may add its own diagnostics on stderr; our message is one line of it.
    EXPECT_TRUE(QString::fromUtf8(r.err).split('\n').contains("Die Datei \"" + missing +
                                                              "\" existiert nicht."))
        << r.err.constData();

    const QString broken = dir + "/kaputt.bmp";
    {
        QFile f(broken);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("BM\x36\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x10\0\0\0\x10\0\0\0\1\0\x18\0",
                           30));
    }
    const QString out = dir + "/out.bmp";
    r = RunCli({"convert", broken, out});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("Grafik konnte nicht geladen werden. Fehlercode: 7\r\n"
                               "Unerwartetes Dateiende oder Lesefehler\n"))
        << r.err.constData();
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_EQ(QDir(dir).entryList(QDir::Files).size(), 1) << "no temporary file left";

    // An output folder that does not exist: no file, a message, exit 1.
    const QString good = dir + "/gut.bmp";
    ASSERT_TRUE(Pattern(4, 4).save(good, "BMP"));
    r = RunCli({"convert", good, dir + "/nicht/da/out.bmp"});
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(r.err.isEmpty());

    r = RunCli({"convert", good});
    EXPECT_EQ(r.code, 2);
}
