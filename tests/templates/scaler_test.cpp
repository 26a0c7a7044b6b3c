#include "uPrinterInfo.h"
#include "uScaler.h"

#include "TestSupport.h"

#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QScreen>

#include <gtest/gtest.h>

#include <cmath>

namespace {

class FakePrinter : public IPrinterInfo {
public:
    FakePrinter(int dpi, int offset) : dpi_(dpi), offset_(offset) {}
    int LogicalDpiX() const override { return dpi_; }
    int LogicalDpiY() const override { return dpi_; }
    int PhysicalOffsetX() const override { return offset_; }
    int PhysicalOffsetY() const override { return offset_; }
    QPaintDevice* Device() const override { return nullptr; }
    bool Printing() const override { return false; }
    bool Monochrome() const override { return false; }

private:
    int dpi_;
    int offset_;
};

// Installs a printer for one test.
class PrinterGuard {
public:
    explicit PrinterGuard(IPrinterInfo* p) { SetCurrentPrinterInfo(p); }
    ~PrinterGuard() { SetCurrentPrinterInfo(nullptr); }
};

QImage Grey(int w, int h, int dpi = 96) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(200, 200, 200));
    const int dpm = static_cast<int>(std::lround(dpi / 0.0254));
    img.setDotsPerMeterX(dpm);
    img.setDotsPerMeterY(dpm);
    return img;
}

bool IsBlack(const QImage& img, int x, int y) {
    return img.pixel(x, y) == qRgb(0, 0, 0);
}

} // namespace

TEST(Scaler, UnitDeviceAndRounding) {
    TScaler s;
    EXPECT_EQ(s.Zoom(), 1.0f);
    EXPECT_EQ(s.PixelsPerMMX(), 1.0f);
    s.SetDevice(sdUnit);
    EXPECT_EQ(s.X(10), 10);
    EXPECT_EQ(s.Y(20), 20);
    s.SetOffsetX(1.5f);
    EXPECT_EQ(s.X(10), 12); // 11.5 rounds to the even 12
    EXPECT_EQ(s.Y(20), 20);
    s.SetOffsetX(0);
    EXPECT_EQ(s.X(2.5f), 2);
    EXPECT_EQ(s.X(3.5f), 4);
    EXPECT_EQ(s.X(-2.5f), -2);
    EXPECT_EQ(s.Length(0.5f), 0);
    EXPECT_EQ(s.Length(1.5f), 2);

    // Origins and device offsets shift; zoom scales.
    s.SetOriginX(-1);
    s.SetOriginY(5);
    s.SetDeviceOffsetX(3);
    EXPECT_EQ(s.ShiftX(), 2);
    EXPECT_EQ(s.X(10), 8);
    EXPECT_EQ(s.Y(10), 5);
    s.SetZoom(2.0f);
    EXPECT_EQ(s.X(10), 18);
    EXPECT_EQ(s.Rect(1, 2, 11, 12), QRect(0, -1, 20, 20));

    // Lengths and pixels-to-mm use the vertical scale only.
    s.SetDevice(sdUnit);
    s.SetPixelsPerMMX(2);
    s.SetPixelsPerMMY(3);
    EXPECT_EQ(s.Length(10), 30);
    EXPECT_EQ(s.X(10), 20);
    EXPECT_FLOAT_EQ(s.PixelsToMM(30), 10.0f);

    // SetDevice resets zoom, origins and offsets.
    s.SetZoom(3);
    s.SetOffsetY(4);
    s.SetOriginX(7);
    s.SetDevice(sdUnit);
    EXPECT_EQ(s.Zoom(), 1.0f);
    EXPECT_EQ(s.OffsetY(), 0.0f);
    EXPECT_EQ(s.OriginX(), 0);
    EXPECT_EQ(s.ScaleX(), 1.0f);
    EXPECT_EQ(s.ScaleY(), 1.0f);

    // No scale: nothing divides by zero; far-away values stay in range.
    s.SetZoom(0);
    EXPECT_EQ(s.PixelsToMM(10), 0.0f);
    s.SetZoom(1e30f);
    EXPECT_EQ(s.X(1e10f), 2147483647);
    EXPECT_EQ(s.X(-1e10f), -2147483647 - 1);
}

TEST(Scaler, PrinterResolutionAndOffset) {
    FakePrinter printer(600, 100);
    PrinterGuard guard(&printer);
    TScaler s;
    s.SetDevice(sdPrinter);
    EXPECT_EQ(s.DeviceOffsetX(), 100);
    EXPECT_EQ(s.DeviceOffsetY(), 100);
    EXPECT_EQ(s.PixelsPerMMX(), static_cast<float>(600 / 25.4));
    EXPECT_EQ(s.X(0), -100);
    EXPECT_EQ(s.X(25.4f), 500);
    EXPECT_EQ(s.Y(0), -100);
    EXPECT_EQ(s.Y(25.4f), 500);
    EXPECT_EQ(s.Y(297), 6916);      // 7015.74.. - 100
    EXPECT_EQ(s.Length(210), 4961); // 4960.63..
    // The calibration offset is added in mm before scaling.
    s.SetOffsetX(-1.0f);
    EXPECT_EQ(s.X(26.4f), 500);
}

TEST(Scaler, ScreenAndMissingPrinter) {
    SetCurrentPrinterInfo(nullptr);
    TScaler screen, printer;
    screen.SetDevice(sdScreen);
    printer.SetDevice(sdPrinter);
    QScreen* sc = QGuiApplication::primaryScreen();
    ASSERT_NE(sc, nullptr);
    EXPECT_EQ(screen.PixelsPerMMX(), static_cast<float>(sc->logicalDotsPerInchX() / 25.4));
    EXPECT_EQ(screen.PixelsPerMMY(), static_cast<float>(sc->logicalDotsPerInchY() / 25.4));
    EXPECT_EQ(printer.PixelsPerMMX(), screen.PixelsPerMMX());
    EXPECT_EQ(printer.PixelsPerMMY(), screen.PixelsPerMMY());
    EXPECT_EQ(printer.DeviceOffsetX(), 0);
    EXPECT_EQ(printer.DeviceOffsetY(), 0);
}

TEST(ScaleCanvas, RectangleCoversItsRightAndBottomEdges) {
    QImage img = Grey(20, 20);
    {
        QPainter p(&img);
        TScaleCanvas c(&p);
        c.SetDevice(sdUnit);
        c.SetPen(QPen(Qt::black, 0));
        c.SetBrush(Qt::white);
        c.Rectangle(0, 0, 10, 10);
    }
    for (int i = 0; i <= 10; ++i) {
        EXPECT_TRUE(IsBlack(img, i, 0)) << i;
        EXPECT_TRUE(IsBlack(img, i, 10)) << i;
        EXPECT_TRUE(IsBlack(img, 0, i)) << i;
        EXPECT_TRUE(IsBlack(img, 10, i)) << i;
    }
    EXPECT_EQ(img.pixel(11, 5), qRgb(200, 200, 200));
    EXPECT_EQ(img.pixel(5, 11), qRgb(200, 200, 200));
    EXPECT_EQ(img.pixel(5, 5), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(9, 9), qRgb(255, 255, 255));

    // Without a pen the fill covers the same pixels.
    QImage fill = Grey(20, 20);
    {
        QPainter p(&fill);
        TScaleCanvas c(&p);
        c.SetDevice(sdUnit);
        c.SetPen(Qt::NoPen);
        c.SetBrush(Qt::black);
        c.Rectangle(2, 3, 5, 4);
    }
    int black = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x)
            if (IsBlack(fill, x, y)) {
                ++black;
                EXPECT_TRUE(x >= 2 && x <= 5 && y >= 3 && y <= 4) << x << "," << y;
            }
    EXPECT_EQ(black, 8);
}

TEST(ScaleCanvas, PenWidthAndLines) {
    QImage img = Grey(30, 30);
    {
        QPainter p(&img);
        TScaleCanvas c(&p);
        c.SetDevice(sdUnit);
        c.SetPen(QPen(Qt::black));
        c.SetPenWidth(-3);
        EXPECT_EQ(c.Pen().width(), 0);
        c.SetPenWidth(2.5f);
        EXPECT_EQ(c.Pen().width(), 2);
        c.SetPenWidth(0);
        c.Line(2, 5, 20, 5);
        c.MoveTo(25, 2);
        c.LineTo(25, 20);
    }
    for (int x = 3; x < 20; ++x)
        EXPECT_TRUE(IsBlack(img, x, 5)) << x;
    for (int y = 3; y < 20; ++y)
        EXPECT_TRUE(IsBlack(img, 25, y)) << y;
    EXPECT_FALSE(IsBlack(img, 10, 6));
}

TEST(ScaleCanvas, FontFollowsZoomAndDevice) {
    QImage img = Grey(100, 100, 96);
    QPainter p(&img);
    QFont start(QStringLiteral("DejaVu Sans"));
    start.setPixelSize(13);
    p.setFont(start);
    TScaleCanvas c(&p);
    EXPECT_EQ(c.Font().Name(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(c.Font().Height(), -13);
    EXPECT_EQ(c.Font().PixelsPerInch(), 96);
    EXPECT_FALSE(c.FontTooSmall());
    EXPECT_EQ(p.font().pixelSize(), 13);

    c.SetZoom(2);
    EXPECT_EQ(c.CanvasFontHeight(), -26);
    EXPECT_EQ(p.font().pixelSize(), 26);

    // A zoom that truncates the height to 0 makes the font too small.
    c.SetZoom(0.05f);
    EXPECT_EQ(c.CanvasFontHeight(), 0);
    EXPECT_TRUE(c.FontTooSmall());
    c.SetZoom(1);
    EXPECT_FALSE(c.FontTooSmall());

    // Changes of the logical font reach the painter at once.
    c.Font().SetSize(8);
    EXPECT_EQ(c.Font().Height(), -11);
    EXPECT_EQ(c.Font().Size(), 8);
    EXPECT_EQ(p.font().pixelSize(), 11);
    c.Font().SetItalic(true);
    c.Font().SetName(QStringLiteral("DejaVu Serif"));
    EXPECT_TRUE(p.font().italic());
    EXPECT_EQ(p.font().family(), QStringLiteral("DejaVu Serif"));

    // A font meant at 72 ppi is drawn larger on this 96-ppi bitmap.
    c.Font().SetPixelsPerInch(72);
    c.Font().SetHeight(-30);
    EXPECT_EQ(c.CanvasFontHeight(), -40);

    // A positive height is the cell height.
    c.Font().SetPixelsPerInch(96);
    c.Font().SetHeight(30);
    EXPECT_NEAR(QFontMetrics(p.font()).height(), 30, 1);
}

TEST(ScaleCanvas, FontGetterTakesDirectChanges) {
    QImage img = Grey(50, 50, 96);
    QPainter p(&img);
    TScaleCanvas c(&p);
    c.Font().SetHeight(-10);
    c.SetZoom(2);
    EXPECT_EQ(p.font().pixelSize(), 20);
    QFont f = p.font();
    f.setPixelSize(31);
    f.setBold(true);
    f.setFamily(QStringLiteral("DejaVu Sans Mono"));
    p.setFont(f);
    TScaleFont& lf = c.Font();
    EXPECT_EQ(lf.Height(), -15); // trunc(-31 / 2)
    EXPECT_TRUE(lf.Bold());
    EXPECT_EQ(lf.Name(), QStringLiteral("DejaVu Sans Mono"));
    // The canvas keeps the caller's font until the next update.
    EXPECT_EQ(p.font().pixelSize(), 31);
    c.SetZoom(1);
    EXPECT_EQ(p.font().pixelSize(), 15);
    EXPECT_TRUE(p.font().bold());
}

TEST(ScaleCanvas, TextInMillimetres) {
    QImage img(200, 200, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(12);
    p.setFont(f);
    p.setPen(Qt::NoPen); // text still shows: it takes the font's colour
    TScaleCanvas c(&p);
    c.SetDevice(sdUnit);
    c.SetPixelsPerMMX(2);
    c.SetPixelsPerMMY(2);
    const int lineHeight = p.fontMetrics().height();
    EXPECT_FLOAT_EQ(c.TextHeight("Xy"), lineHeight / 2.0f);
    EXPECT_FLOAT_EQ(c.TextWidth("Bild"), p.fontMetrics().horizontalAdvance("Bild") / 2.0f);
    const float used = c.TextRect(QStringLiteral("Eins\r\nZwei"), 0, 0, 10, 10, 90, 90);
    EXPECT_FLOAT_EQ(used, 2 * lineHeight / 2.0f);
    EXPECT_EQ(p.pen().style(), Qt::NoPen);
    p.end();
    int ink = 0;
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 200; ++x)
            if (qGray(img.pixel(x, y)) < 128) {
                ++ink;
                EXPECT_TRUE(x >= 20 && x < 180 && y >= 20 && y < 20 + 2 * lineHeight);
            }
    EXPECT_GT(ink, 20);
    // Zero-size rectangles draw nothing.
    QPainter p2(&img);
    TScaleCanvas c2(&p2);
    EXPECT_EQ(c2.TextRect("x", 0, 0, 5, 5, 5, 50), 0.0f);
}

TEST(ScaleCanvas, PdfDeviceAtPrinterResolution) {
    const QString file = TestSupport::NewTempDir() + "/seite.pdf";
    QPdfWriter pdf(file);
    pdf.setResolution(600);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    QPainter p(&pdf);
    ASSERT_TRUE(p.isActive());
    TScaleCanvas c(&p);
    c.SetPixelsPerMMX(static_cast<float>(600 / 25.4));
    c.SetPixelsPerMMY(static_cast<float>(600 / 25.4));
    EXPECT_EQ(c.CanvasPixelsPerInch(), 600);
    c.Font().SetName(QStringLiteral("DejaVu Sans"));
    c.Font().SetSize(10);
    EXPECT_EQ(c.Font().PixelsPerInch(), 600);
    EXPECT_EQ(c.Font().Height(), -83);
    // A 10-point line is about 4 mm high whatever the resolution.
    EXPECT_GT(c.TextHeight("Xy"), 3.5f);
    EXPECT_LT(c.TextHeight("Xy"), 5.0f);
    c.SetPenWidth(0.25f);
    EXPECT_EQ(c.Pen().width(), 6);
    c.Rectangle(10, 10, 100, 50);
    c.TextRect(QStringLiteral("Kestrelon Velamor"), 1, 1, 10, 10, 100, 50);
    p.end();
    EXPECT_GT(QFileInfo(file).size(), 500);
}

TEST(ScaleCanvas, InactivePainterIsHarmless) {
    QPainter idle;
    TScaleCanvas c(&idle);
    TScaleCanvas none(nullptr);
    c.SetDevice(sdUnit);
    c.Rectangle(0, 0, 10, 10);
    c.Line(0, 0, 5, 5);
    c.SetPenWidth(1);
    EXPECT_EQ(c.TextRect("x", 0, 0, 0, 0, 10, 10), 0.0f);
    EXPECT_EQ(none.TextWidth("abc"), 0.0f);
    EXPECT_EQ(none.X(10), 10);
    none.Font().SetSize(12);
    EXPECT_FALSE(none.FontTooSmall());
}
