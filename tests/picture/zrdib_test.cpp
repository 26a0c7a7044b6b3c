// The picture image: loading with its messages, the memory ceiling, the
// change and progress events, drawing and the hand-over to the printer output.

#include "TestSupport.h"
#include "uException.h"
#include "uLeonardo.h"
#include "uPrinterInfo.h"
#include "uZRDib.h"

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace {

TDib Filled(int w, int h, std::uint8_t value = 0x80) {
    TDib dib = TDib::Create(w, h, 24);
    std::memset(dib.Bits(), value, dib.Stride() * std::size_t(h));
    return dib;
}

// Writes a 24-bit bitmap file of the picture through Qt's own writer.
QString WriteBmp(const QImage& img, const QString& name) {
    const QString path = TestSupport::NewTempDir() + "/" + name;
    EXPECT_TRUE(img.convertToFormat(QImage::Format_RGB888).save(path, "BMP"));
    return path;
}

QImage Quadrants(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y,
                         x < w / 2 ? (y < h / 2 ? 0xFF0000 : 0x00FF00)
                                   : (y < h / 2 ? 0x0000FF : 0xFFFF00));
    return img;
}

} // namespace

TEST(ZRDib, ReducedSizeFollowsTheFormula) {
    EXPECT_EQ(TZRDib::ReducedSize(5000, 3000, 24), QSize(2906, 1743));
    EXPECT_EQ(TZRDib::ReducedSize(4000, 4000, 24), QSize(2251, 2251));
    EXPECT_EQ(TZRDib::ReducedSize(5000, 5000, 8), QSize(3900, 3900));
}

TEST(ZRDib, LargePictureIsReducedAtOnce) {
    TZRDib pic;
    int changes = 0;
    pic.OnChange = [&](TZRDib& sender) {
        EXPECT_EQ(&sender, &pic);
        ++changes;
    };
    TDib big = Filled(5000, 3000);
    ASSERT_EQ(big.Size(), 45000040u);
    pic.SetHandle(std::move(big));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(pic.Width(), 2906);
    EXPECT_EQ(pic.Height(), 1743);
    EXPECT_EQ(pic.BitCount(), 24);
    EXPECT_EQ(pic.Header().biSize, 40u);
    EXPECT_LE(pic.Handle().Size(), TZRDib::kMemoryCeiling);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "hourglass restored";
}

TEST(ZRDib, CeilingIsExactlyFifteenMillionTwoHundredTenThousandBytes) {
    TZRDib pic;
    TDib exact = Filled(1593, 3182);
    ASSERT_EQ(exact.Size(), 15210000u);
    const std::uint8_t* block = exact.Data();
    pic.SetHandle(std::move(exact));
    EXPECT_EQ(pic.Handle().Data(), block) << "not reduced";
    EXPECT_EQ(pic.Width(), 1593);

    // The smallest block above the ceiling (4 bytes more): reduced, and the
    // result fits below the ceiling although the formula alone would keep
    // the size.
    TDib above = Filled(550, 9207);
    ASSERT_EQ(above.Size(), 15210004u);
    pic.SetHandle(std::move(above));
    EXPECT_LE(pic.Handle().Size(), TZRDib::kMemoryCeiling);
    EXPECT_LT(pic.Width(), 550);
    EXPECT_NEAR(double(pic.Width()) / pic.Height(), 550.0 / 9207, 0.002);
}

TEST(ZRDib, PalettePictureAboveTheCeilingEndsBelowIt) {
    TZRDib pic;
    pic.SetHandle(TDib::Create(4000, 4000, 8));
    EXPECT_LE(pic.Handle().Size(), TZRDib::kMemoryCeiling);
    EXPECT_EQ(pic.Width(), pic.Height());
}

TEST(ZRDib, SetHandleOfNothingStillFiresAndClearsTheName) {
    TZRDib pic;
    int changes = 0;
    pic.OnChange = [&](TZRDib&) { ++changes; };
    pic.SetHandle(TDib());
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(pic.Handle().IsEmpty());

    pic.SetHandle(Filled(3, 3));
    pic.SetFileName("x.bmp");
    pic.SetHandle(Filled(2, 2));
    EXPECT_TRUE(pic.FileName().isEmpty());
    EXPECT_EQ(changes, 3);
}

TEST(ZRDib, LoadReplacesThePictureFiresOnceAndReportsProgress) {
    const QString path = WriteBmp(Quadrants(40, 300), "tall.bmp");
    TZRDib pic;
    pic.SetHandle(Filled(2, 2));
    int changes = 0;
    std::vector<int> progress;
    pic.OnChange = [&](TZRDib&) { ++changes; };
    pic.OnProgress = [&](TZRDib& sender, std::int32_t p) {
        EXPECT_EQ(&sender, &pic);
        progress.push_back(p);
    };
    pic.LoadFromFile(path);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(pic.FileName(), path);
    EXPECT_EQ(pic.Width(), 40);
    EXPECT_EQ(pic.Height(), 300);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    EXPECT_EQ(pic.Progress(), 100);
    for (std::size_t i = 1; i < progress.size(); ++i)
        EXPECT_NE(progress[i], progress[i - 1]) << "only changes are reported";
}

TEST(ZRDib, FailuresRaiseTheGermanMessagesAndKeepThePicture) {
    TZRDib pic;
    pic.SetHandle(Filled(7, 5));
    pic.SetFileName("vorher.bmp");
    int changes = 0;
    pic.OnChange = [&](TZRDib&) { ++changes; };

    const QString missing = TestSupport::NewTempDir() + "/fehlt.bmp";
    try {
        pic.LoadFromFile(missing);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Die Datei \"" + missing + "\" existiert nicht.");
    }

    const QString text = TestSupport::NewTempDir() + "/kein-bild.bmp";
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Dies ist kein Bild, nur Text.\n");
    }
    try {
        pic.LoadFromFile(text);
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(),
                  QString::fromUtf8("Grafik konnte nicht geladen werden. Fehlercode: 2\r\n"
                                    "Datei hat unerwartetes Dateiformat, Dateiendung stimmt "
                                    "nicht mit Dateiinhalt überein"));
    }
    EXPECT_EQ(pic.Width(), 7);
    EXPECT_EQ(pic.FileName(), "vorher.bmp");
    EXPECT_EQ(changes, 0);
}

TEST(ZRDib, ErrorTexts) {
    EXPECT_EQ(TZRDib::ImportFailedMessage(17),
              "Grafik konnte nicht geladen werden. Fehlercode: 17\r\n");
    EXPECT_EQ(TZRDib::ImportErrorText(0), QString());
    EXPECT_EQ(TZRDib::ImportErrorText(17), QString());
    EXPECT_EQ(TZRDib::ImportErrorText(-1), QString());
    EXPECT_EQ(TZRDib::ImportErrorText(1), "Umwandlung wurde vom Benutzer abgebrochen");
    EXPECT_EQ(TZRDib::ImportErrorText(7), "Unerwartetes Dateiende oder Lesefehler");
    EXPECT_EQ(TZRDib::ImportErrorText(8), QString::fromUtf8("Nicht genügend Speicher"));
    EXPECT_EQ(TZRDib::ImportErrorText(16),
              "Grafiken mit LZW Komprimierung werden nicht unterstützt");
    for (int code = 1; code <= 16; ++code)
        EXPECT_FALSE(TZRDib::ImportErrorText(code).isEmpty()) << code;
}

namespace {

// Columns alternating black and white: a device that shrinks it without
// resampling shows pure black or white, a resampled copy shows grey.
TDib Stripes(int w, int h) {
    TDib dib = TDib::Create(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            std::memset(dib.Row(y) + 3 * x, (x & 1) ? 255 : 0, 3);
    return dib;
}

QImage Canvas(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(qRgb(1, 2, 3));
    return img;
}

} // namespace

TEST(ZRDib, DrawStretchesDirectlyOrResamplesFirst) {
    TZRDib pic;
    pic.SetHandle(Stripes(10, 10));

    // Larger rectangle: the picture is stretched, stripes stay pure.
    QImage big = Canvas(30, 30);
    {
        QPainter p(&big);
        pic.Draw(p, QRect(5, 5, 20, 20));
    }
    EXPECT_EQ(big.pixel(5, 5), qRgb(0, 0, 0));
    EXPECT_EQ(big.pixel(7, 5), qRgb(255, 255, 255));
    EXPECT_EQ(big.pixel(24, 24), qRgb(255, 255, 255));
    EXPECT_EQ(big.pixel(4, 4), qRgb(1, 2, 3));
    EXPECT_EQ(big.pixel(25, 25), qRgb(1, 2, 3));

    // Narrower rectangle: resampled to 5 x 10 first, so neighbours blend.
    QImage narrow = Canvas(10, 30);
    {
        QPainter p(&narrow);
        pic.Draw(p, QRect(0, 0, 5, 20));
    }
    for (int x = 0; x < 5; ++x) {
        const int g = qGreen(narrow.pixel(x, 10));
        EXPECT_GT(g, 60) << x;
        EXPECT_LT(g, 195) << x;
    }
    EXPECT_EQ(narrow.pixel(5, 0), qRgb(1, 2, 3));

    TZRDib empty;
    QImage untouched = Canvas(4, 4);
    {
        QPainter p(&untouched);
        empty.Draw(p, QRect(0, 0, 4, 4));
    }
    EXPECT_EQ(untouched.pixel(0, 0), qRgb(1, 2, 3));
}

TEST(ZRDib, DrawRectShowsTheSourcePartTheRightWayUp) {
    TZRDib pic;
    pic.SetHandle(DIBFromBitmap(Quadrants(40, 40)));
    // Enlarged: the lower-right quadrant (yellow) and one row of the upper
    // one, doubled.
    QImage out = Canvas(40, 40);
    {
        QPainter p(&out);
        pic.DrawRect(p, QRect(0, 0, 20, 22), QRect(25, 19, 10, 11));
    }
    EXPECT_EQ(out.pixel(0, 0), qRgb(0, 0, 255)) << "top row is source row 19";
    EXPECT_EQ(out.pixel(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(out.pixel(0, 2), qRgb(255, 255, 0)) << "then rows from 20 down";
    EXPECT_EQ(out.pixel(19, 21), qRgb(255, 255, 0));
    EXPECT_EQ(out.pixel(20, 0), qRgb(1, 2, 3));
    EXPECT_EQ(out.pixel(0, 22), qRgb(1, 2, 3));

    // Reduced: the left half (red above green) into 10 x 20.
    out = Canvas(40, 40);
    {
        QPainter p(&out);
        pic.DrawRect(p, QRect(2, 3, 10, 20), QRect(0, 0, 20, 40));
    }
    EXPECT_EQ(out.pixel(2, 3), qRgb(255, 0, 0));
    EXPECT_EQ(out.pixel(11, 11), qRgb(255, 0, 0));
    EXPECT_EQ(out.pixel(2, 15), qRgb(0, 255, 0));
    EXPECT_EQ(out.pixel(11, 22), qRgb(0, 255, 0));
    EXPECT_EQ(out.pixel(12, 3), qRgb(1, 2, 3));
    EXPECT_EQ(out.pixel(2, 23), qRgb(1, 2, 3));
}

namespace {

class FakePrinter : public IPrinterInfo {
public:
    QPaintDevice* device = nullptr;
    bool printing = true;
    bool mono = false;
    int LogicalDpiX() const override { return 600; }
    int LogicalDpiY() const override { return 600; }
    int PhysicalOffsetX() const override { return 0; }
    int PhysicalOffsetY() const override { return 0; }
    QPaintDevice* Device() const override { return device; }
    bool Printing() const override { return printing; }
    bool Monochrome() const override { return mono; }
};

struct PrinterGuard {
    ~PrinterGuard() {
        SetCurrentPrinterInfo(nullptr);
        SetPrinterPictureOutput({});
    }
};

} // namespace

TEST(ZRDib, PrinterPainterGoesToThePrinterOutput) {
    PrinterGuard guard;
    TZRDib pic;
    pic.SetHandle(Filled(8, 6, 0x40));
    QImage page = Canvas(20, 20);
    FakePrinter printer;
    printer.device = &page;
    printer.mono = true;
    SetCurrentPrinterInfo(&printer);

    int calls = 0;
    QRect gotDest, gotSource;
    bool gotGray = false;
    SetPrinterPictureOutput([&](const TDib& dib, const QRect& d, const QRect& s, bool gray) {
        EXPECT_EQ(&dib, &pic.Handle());
        ++calls;
        gotDest = d;
        gotSource = s;
        gotGray = gray;
        return s.height();
    });
    {
        QPainter p(&page);
        pic.DrawRect(p, QRect(1, 2, 10, 12), QRect(0, 1, 8, 5));
    }
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(gotDest, QRect(1, 2, 10, 12));
    EXPECT_EQ(gotSource, QRect(0, 1, 8, 5));
    EXPECT_TRUE(gotGray);
    EXPECT_EQ(page.pixel(5, 5), qRgb(1, 2, 3)) << "nothing drawn by the picture itself";

    // Another painter, or no job running: drawn normally.
    QImage screen = Canvas(20, 20);
    {
        QPainter p(&screen);
        pic.DrawRect(p, QRect(0, 0, 16, 12), QRect(0, 0, 8, 6));
    }
    printer.printing = false;
    {
        QPainter p(&page);
        pic.DrawRect(p, QRect(0, 0, 16, 12), QRect(0, 0, 8, 6));
    }
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(screen.pixel(3, 3), qRgb(0x40, 0x40, 0x40));
    EXPECT_EQ(page.pixel(3, 3), qRgb(0x40, 0x40, 0x40));

    // No output installed: the printer's painter is drawn on like any other.
    printer.printing = true;
    SetPrinterPictureOutput({});
    page = Canvas(20, 20);
    printer.device = &page;
    {
        QPainter p(&page);
        pic.DrawRect(p, QRect(0, 0, 16, 12), QRect(0, 0, 8, 6));
    }
    EXPECT_EQ(page.pixel(3, 3), qRgb(0x40, 0x40, 0x40));
}
