#include "ImageTestUtil.h"

#include "TestSupport.h"
#include "uLeonardo.h"

#include <QFile>

#include <gtest/gtest.h>

namespace ImageTest {

namespace {
QRgb PaletteColour(int i, int n) {
    if (n == 2)
        return i ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
    return qRgb((i * 37) & 255, (i * 91 + 13) & 255, (i * 53 + 101) & 255);
}
} // namespace

QImage Pattern(int w, int h, int colours) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (colours == 0) {
                img.setPixel(x, y, qRgb((x * 7 + y * 3) & 255, (x * y) & 255, ((x ^ y) * 5) & 255));
            } else {
                const int i = (x * 3 + y * 5 + x * y) % colours;
                img.setPixel(x, y, PaletteColour(i, colours));
            }
        }
    }
    return img;
}

QString Save(const QImage& image, const QString& dir, const QString& name) {
    const QString path = dir + "/" + name;
    const bool ok = image.save(path);
    EXPECT_TRUE(ok) << qPrintable(path);
    return ok ? path : QString();
}

QString Encode(const QString& program, const QStringList& args, const QString& out) {
    QByteArray log;
    const int rc = TestSupport::Run(program, args, &log);
    EXPECT_EQ(rc, 0) << qPrintable(program + " " + args.join(' ')) << "\n" << log.constData();
    return rc == 0 && QFile::exists(out) ? out : QString();
}

QString EncodeShell(const QString& command, const QString& out) {
    return Encode("sh", {"-c", command}, out);
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

std::int32_t DecodeBytes(TDecoder decoder, const QByteArray& bytes, TDib& out) {
    TImportParams params;
    const std::int32_t rc = decoder(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                    std::size_t(bytes.size()), params);
    out = std::move(params.Dib);
    return rc;
}

QString Compare(const TDib& dib, const QImage& expected, int tolerance) {
    if (dib.IsEmpty())
        return "empty picture";
    const QImage got = DIBToImage(dib).convertToFormat(QImage::Format_RGB32);
    const QImage want = expected.convertToFormat(QImage::Format_RGB32);
    if (got.size() != want.size())
        return QString("size %1x%2, expected %3x%4")
            .arg(got.width())
            .arg(got.height())
            .arg(want.width())
            .arg(want.height());
    for (int y = 0; y < want.height(); ++y) {
        for (int x = 0; x < want.width(); ++x) {
            const QRgb a = got.pixel(x, y), b = want.pixel(x, y);
            if (std::abs(qRed(a) - qRed(b)) > tolerance ||
                std::abs(qGreen(a) - qGreen(b)) > tolerance ||
                std::abs(qBlue(a) - qBlue(b)) > tolerance)
                return QString("pixel %1,%2 is %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(a & 0xFFFFFF, 6, 16, QChar('0'))
                    .arg(b & 0xFFFFFF, 6, 16, QChar('0'));
        }
    }
    return {};
}

} // namespace ImageTest
