// Widget tests of the picture position control (offscreen platform).

#include "TestPrintDevice.h"
#include "TestSupport.h"
#include "uClipboardUtils.h"
#include "uLeonardo.h"
#include "uPicArtwork.h"
#include "uPicClipStream.h"
#include "uPicPreview.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>

#include <gtest/gtest.h>

#include <cstring>

namespace {

// A picture file written by ImageMagick; 8-bit palette keeps it small.
QString MakeBmp(int w, int h) {
    const QString file =
        TestSupport::NewTempDir() + QStringLiteral("/bild_%1x%2.bmp").arg(w).arg(h);
    const int rc = TestSupport::Run(QStringLiteral("convert"),
                                    {QStringLiteral("-size"), QStringLiteral("%1x%2").arg(w).arg(h),
                                     QStringLiteral("xc:#3060a0"), QStringLiteral("-type"),
                                     QStringLiteral("Palette"), QStringLiteral("BMP3:") + file});
    EXPECT_EQ(rc, 0) << "convert failed";
    return file;
}

// A 24-bit picture whose pixel (x, y) encodes its position.
TDib Pattern(int w, int h) {
    TDib dib = TDib::Create(w, h, 24);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = dib.Row(y) + 3 * x;
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(y);
            p[2] = static_cast<std::uint8_t>(x ^ y);
        }
    return dib;
}

struct Preview {
    explicit Preview(int w, int h) {
        c.resize(w, h);
        c.show();
    }
    TPicPreview c;
};

void Press(QWidget* w, QPoint p, Qt::MouseButton b = Qt::LeftButton) {
    QMouseEvent e(QEvent::MouseButtonPress, p, w->mapToGlobal(p), b, b, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void Move(QWidget* w, QPoint p) {
    QMouseEvent e(QEvent::MouseMove, p, w->mapToGlobal(p), Qt::NoButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void Release(QWidget* w, QPoint p) {
    QMouseEvent e(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), Qt::LeftButton, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void Drag(QWidget* w, QPoint from, QPoint to) {
    Press(w, from);
    Move(w, (from + to) / 2);
    Move(w, to);
    Release(w, to);
}

bool ShowsPanCursor(const QWidget& w) {
    return w.testAttribute(Qt::WA_SetCursor) && w.cursor().shape() == Qt::BitmapCursor &&
           w.cursor().hotSpot() == QPoint(7, 7);
}

bool SameDib(const TDib& a, const TDib& b) {
    return a.Size() == b.Size() && std::memcmp(a.Data(), b.Data(), a.Size()) == 0;
}

} // namespace

TEST(PicPreviewLayout, WidePictureLoadedIntoSquareAreaIsCentred) {
    Preview p(300, 300);
    EXPECT_FALSE(ShowsPanCursor(p.c));
    p.c.SetFileName(MakeBmp(3000, 2000));
    ASSERT_TRUE(p.c.HasPicture());
    const TPicLayout& l = p.c.PicLayout();
    EXPECT_EQ(l.DisplayWidth, 450);
    EXPECT_EQ(l.DisplayHeight, 300);
    EXPECT_EQ(l.RangeX, -150);
    EXPECT_EQ(l.RangeY, 0);
    EXPECT_EQ(l.OffsetX, -75);
    EXPECT_EQ(l.OffsetY, 0);
    EXPECT_EQ(p.c.Zoom(), 1.0);
    EXPECT_EQ(p.c.VerschiebungX(), 0.5);
    EXPECT_TRUE(ShowsPanCursor(p.c));
    EXPECT_TRUE(p.c.FileName().endsWith(QStringLiteral("bild_3000x2000.bmp")));
    // A third of the width is cut off, half on each side.
    const TIntRect v = p.c.VisibleSourceRect();
    EXPECT_EQ(v.top, 0);
    EXPECT_EQ(v.bottom, p.c.Dib().Height());
    EXPECT_NEAR(v.left, p.c.Dib().Width() / 6.0, 1.0);
}

TEST(PicPreviewLayout, MissingFileLeavesTheControlAsItWas) {
    Preview p(100, 100);
    p.c.Dib().SetHandle(Pattern(10, 10));
    EXPECT_THROW(p.c.SetFileName(TestSupport::NewTempDir() + QStringLiteral("/fehlt.bmp")),
                 std::exception);
    EXPECT_TRUE(p.c.HasPicture());
    EXPECT_EQ(p.c.Dib().Width(), 10);
}

TEST(PicPreviewPanning, MatchingAspectCannotMoveAndCentresOnRelease) {
    Preview p(200, 150);
    p.c.Dib().SetHandle(Pattern(400, 300));
    EXPECT_EQ(p.c.PicLayout().RangeX, 0);
    EXPECT_EQ(p.c.PicLayout().RangeY, 0);
    EXPECT_FALSE(ShowsPanCursor(p.c));
    Drag(&p.c, {50, 50}, {120, 90});
    EXPECT_EQ(p.c.PicLayout().OffsetX, 0);
    EXPECT_EQ(p.c.PicLayout().OffsetY, 0);
    EXPECT_EQ(p.c.VerschiebungX(), 0.5);
    EXPECT_EQ(p.c.VerschiebungY(), 0.5);
    EXPECT_FALSE(p.c.Dragging());
}

TEST(PicPreviewPanning, DragFollowsTheMouseAndStopsAtTheEdges) {
    Preview p(300, 300);
    p.c.SetFileName(MakeBmp(3000, 2000));
    Press(&p.c, {150, 150});
    Move(&p.c, {140, 170});
    EXPECT_EQ(p.c.PicLayout().OffsetX, -85);
    EXPECT_EQ(p.c.PicLayout().OffsetY, 0); // no vertical range
    Move(&p.c, {-400, 170});
    EXPECT_EQ(p.c.PicLayout().OffsetX, -150);
    // Pan positions are stored only on release.
    EXPECT_EQ(p.c.VerschiebungX(), 0.5);
    Release(&p.c, {-400, 170});
    EXPECT_EQ(p.c.VerschiebungX(), 1.0);
    EXPECT_EQ(p.c.VerschiebungY(), 0.5);
    Drag(&p.c, {10, 10}, {900, 10});
    EXPECT_EQ(p.c.PicLayout().OffsetX, 0);
    EXPECT_EQ(p.c.VerschiebungX(), 0.0);
    // The relative position survives a resize.
    Drag(&p.c, {100, 10}, {70, 10});
    EXPECT_DOUBLE_EQ(p.c.VerschiebungX(), 0.2);
    p.c.resize(600, 600);
    EXPECT_EQ(p.c.PicLayout().OffsetX, -60);
}

TEST(PicPreviewPanning, RightButtonAndDoubleClickStartNoDrag) {
    Preview p(300, 300);
    p.c.Dib().SetHandle(Pattern(3000, 2000));
    Press(&p.c, {100, 100}, Qt::RightButton);
    EXPECT_FALSE(p.c.Dragging());
    int dbl = 0;
    p.c.OnDblClick = [&](TPicPreview*) { ++dbl; };
    Press(&p.c, {100, 100});
    EXPECT_TRUE(p.c.Dragging());
    QMouseEvent d(QEvent::MouseButtonDblClick, QPointF(100, 100),
                  p.c.mapToGlobal(QPointF(100, 100)), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(&p.c, &d);
    EXPECT_FALSE(p.c.Dragging());
    EXPECT_EQ(dbl, 1);
}

TEST(PicPreviewZoom, TwoDoublesTheDisplayAndHalfIsLikeOne) {
    Preview p(300, 300);
    p.c.SetFileName(MakeBmp(3000, 2000));
    p.c.SetZoom(2.0);
    EXPECT_EQ(p.c.PicLayout().DisplayWidth, 900);
    EXPECT_EQ(p.c.PicLayout().DisplayHeight, 600);
    EXPECT_EQ(p.c.PicLayout().RangeX, -600);
    EXPECT_EQ(p.c.PicLayout().RangeY, -300);
    EXPECT_EQ(p.c.PicLayout().OffsetX, -300);
    EXPECT_EQ(p.c.PicLayout().OffsetY, -150);
    p.c.SetZoom(0.5);
    EXPECT_EQ(p.c.PicLayout().DisplayWidth, 450);
    EXPECT_EQ(p.c.PicLayout().DisplayHeight, 300);
    EXPECT_EQ(p.c.PicLayout().OffsetX, -75);
}

TEST(PicPreviewLoad, AutoRotateTurnsLandscapeIntoPortraitButNeverSquares) {
    const QString wide = MakeBmp(300, 200);
    {
        Preview p(200, 300);
        p.c.AutoRotate = true;
        p.c.SetFileName(wide);
        EXPECT_EQ(p.c.Dib().Width(), 200);
        EXPECT_EQ(p.c.Dib().Height(), 300);
        EXPECT_EQ(p.c.PicLayout().RangeX, 0);
        EXPECT_EQ(p.c.PicLayout().RangeY, 0);
        EXPECT_FALSE(p.c.FileName().isEmpty());
    }
    {
        Preview p(200, 300);
        p.c.AutoRotate = false;
        p.c.SetFileName(wide);
        EXPECT_EQ(p.c.Dib().Width(), 300);
    }
    {
        Preview p(200, 300);
        p.c.AutoRotate = true;
        p.c.SetFileName(MakeBmp(250, 250));
        EXPECT_EQ(p.c.Dib().Width(), 250);
    }
    {
        Preview p(300, 300);
        p.c.AutoRotate = true;
        p.c.SetFileName(wide);
        EXPECT_EQ(p.c.Dib().Width(), 300);
    }
}

TEST(PicPreviewRotate, QuarterTurnsResetZoomAndCentre) {
    Preview p(300, 300);
    p.c.Dib().SetHandle(Pattern(30, 20));
    p.c.SetZoom(3.0);
    Drag(&p.c, {100, 100}, {50, 50});
    p.c.RotateLeft();
    EXPECT_EQ(p.c.Dib().Width(), 20);
    EXPECT_EQ(p.c.Dib().Height(), 30);
    EXPECT_EQ(p.c.Zoom(), 1.0);
    EXPECT_EQ(p.c.VerschiebungX(), 0.5);
    EXPECT_EQ(p.c.VerschiebungY(), 0.5);
    // Counter-clockwise: the top-right corner comes to the top left.
    EXPECT_EQ(p.c.Dib().Handle().Row(0)[0], 29);
    p.c.RotateRight();
    p.c.Rotate180();
    EXPECT_EQ(p.c.Dib().Width(), 30);
    EXPECT_EQ(p.c.Dib().Handle().Row(0)[0], 29);
    EXPECT_EQ(p.c.Dib().Handle().Row(0)[1], 19);
}

TEST(PicPreviewClear, AnswersWhetherThereWasAPicture) {
    Preview p(100, 100);
    EXPECT_FALSE(p.c.Clear());
    p.c.Dib().SetHandle(Pattern(300, 100));
    EXPECT_TRUE(ShowsPanCursor(p.c));
    EXPECT_TRUE(p.c.Clear());
    EXPECT_FALSE(p.c.HasPicture());
    EXPECT_FALSE(ShowsPanCursor(p.c));
    EXPECT_EQ(p.c.VisibleSourceRect(), TIntRect{});
}

TEST(PicPreviewClipboard, CopyAndPasteIntoAnotherShapeKeepCropAndZoom) {
    Preview a(300, 300);
    a.c.SetFileName(MakeBmp(3000, 2000));
    a.c.SetZoom(2.0);
    Drag(&a.c, {100, 100}, {40, 130}); // offset -360, -120
    const double vx = a.c.VerschiebungX();
    const double vy = a.c.VerschiebungY();
    EXPECT_DOUBLE_EQ(vx, 0.6);
    EXPECT_DOUBLE_EQ(vy, 0.4);
    a.c.CopyToClipboard();
    // Only the private format is offered.
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->formats(),
              QStringList{PicPreviewClipboardFormat()});
    EXPECT_TRUE(TPicPreview::CanPaste());

    Preview b(400, 200);
    b.c.PasteFromClipboard();
    ASSERT_TRUE(b.c.HasPicture());
    EXPECT_EQ(b.c.Zoom(), 2.0);
    EXPECT_EQ(b.c.VerschiebungX(), vx);
    EXPECT_EQ(b.c.VerschiebungY(), vy);
    EXPECT_EQ(b.c.FileName(), a.c.FileName());
    EXPECT_TRUE(SameDib(b.c.Dib().Handle(), a.c.Dib().Handle()));
    const TPicLayout& l = b.c.PicLayout();
    EXPECT_EQ(l.OffsetX, static_cast<int>(l.RangeX * vx));
    EXPECT_EQ(l.OffsetY, static_cast<int>(l.RangeY * vy));

    // Cut empties the source; the paste still works from the clipboard.
    a.c.CutToClipboard();
    EXPECT_FALSE(a.c.HasPicture());
    Preview c(300, 300);
    c.c.PasteFromClipboard();
    EXPECT_EQ(c.c.VisibleSourceRect().left, b.c.Dib().Width() * 0.6 * 600 / 900);
}

TEST(PicPreviewClipboard, PlainImageOfAnotherProgramResetsOnlyTheZoom) {
    Preview p(300, 300);
    p.c.SetFileName(MakeBmp(3000, 2000));
    p.c.SetZoom(3.0);
    Drag(&p.c, {100, 100}, {0, 100});
    const double vx = p.c.VerschiebungX();
    QImage img(40, 30, QImage::Format_RGB32);
    img.fill(QColor(200, 10, 20));
    QGuiApplication::clipboard()->setImage(img);
    EXPECT_TRUE(TPicPreview::CanPaste());
    p.c.PasteFromClipboard();
    ASSERT_TRUE(p.c.HasPicture());
    EXPECT_EQ(p.c.Dib().Width(), 40);
    EXPECT_EQ(p.c.Dib().Height(), 30);
    EXPECT_EQ(p.c.Dib().BitCount(), 24);
    EXPECT_EQ(p.c.Zoom(), 1.0);
    EXPECT_EQ(p.c.VerschiebungX(), vx);
    EXPECT_TRUE(p.c.FileName().isEmpty());
    const std::uint8_t* px = p.c.Dib().Handle().Row(0);
    EXPECT_EQ(px[0], 20);
    EXPECT_EQ(px[2], 200);
}

TEST(PicPreviewClipboard, TextIsNotAPicture) {
    Preview p(100, 100);
    p.c.Dib().SetHandle(Pattern(20, 20));
    QGuiApplication::clipboard()->setText(QStringLiteral("Hallo"));
    EXPECT_FALSE(TPicPreview::CanPaste());
    p.c.PasteFromClipboard();
    EXPECT_EQ(p.c.Dib().Width(), 20);
    Preview e(100, 100);
    e.c.PasteFromClipboard();
    EXPECT_FALSE(e.c.HasPicture());
}

TEST(PicPreviewClipboard, DamagedPrivateBlockIsRejectedAndExplained) {
    const TDib dib = Pattern(20, 10);
    const QByteArray good = WritePicClipStream(0.5, 0.5, 1.0, QStringLiteral("x.bmp"), dib);
    for (int cut : {1, 5, 27, 30, 40, static_cast<int>(good.size()) - 1}) {
        Preview p(100, 100);
        p.c.Dib().SetHandle(Pattern(5, 5));
        QStringList shown;
        p.c.OnMessage = [&](const QString& m) { shown << m; };
        CopyStreamToClipboard(PicPreviewClipboardFormat(), QByteArray(good.constData(), cut));
        p.c.PasteFromClipboard();
        // The picture that was there stays.
        ASSERT_TRUE(p.c.HasPicture()) << cut;
        EXPECT_EQ(p.c.Dib().Width(), 5) << cut;
        ASSERT_EQ(shown.size(), 1) << cut;
        EXPECT_TRUE(shown[0].startsWith(QStringLiteral("Bild konnte nicht eingefügt werden.\r\n")));
        EXPECT_GT(shown[0].size(), 40);
    }
}

TEST(PicPreviewPaint, HintFrameAndPicture) {
    Preview narrow(105, 80);
    const QFont f = narrow.c.HintFont();
    EXPECT_EQ(f.family(), QStringLiteral("Arial"));
    EXPECT_EQ(f.pointSizeF(), narrow.c.font().pointSizeF() - 1);
    Preview wide(110, 80);
    EXPECT_EQ(wide.c.HintFont(), wide.c.font());

    wide.c.SetColor(Qt::white);
    QImage img = wide.c.grab().toImage();
    EXPECT_EQ(QColor(img.pixel(0, 0)), QColor(Qt::black));
    EXPECT_EQ(QColor(img.pixel(1, 1)), QColor(Qt::white));
    // The hint is drawn in silver: grey pixels, none darker than silver.
    int grey = 0;
    for (int y = 2; y < img.height() - 2; ++y)
        for (int x = 2; x < img.width() - 2; ++x) {
            const QColor c(img.pixel(x, y));
            EXPECT_GE(c.red(), 185);
            if (c.red() < 250 && c.red() == c.green() && c.green() == c.blue())
                ++grey;
        }
    EXPECT_GT(grey, 20);

    wide.c.SetActive(true);
    img = wide.c.grab().toImage();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(QColor(img.pixel(i, 40)), QColor(0, 0, 255)) << i;
    EXPECT_NE(QColor(img.pixel(3, 40)), QColor(0, 0, 255));

    // A red picture fills the whole area inside the frame.
    TDib red = TDib::Create(50, 20, 24);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 50; ++x)
            red.Row(y)[3 * x + 2] = 255;
    wide.c.Dib().SetHandle(std::move(red));
    img = wide.c.grab().toImage();
    EXPECT_EQ(QColor(img.pixel(50, 40)), QColor(255, 0, 0));
    EXPECT_EQ(QColor(img.pixel(106, 76)), QColor(255, 0, 0));
}

TEST(PicPreviewPaint, ImportProgressBarAcrossTheMiddle) {
    Preview p(120, 60);
    ASSERT_TRUE(p.c.Dib().OnProgress);
    p.c.Dib().OnProgress(p.c.Dib(), 50);
    const QImage img = p.c.grab().toImage();
    // Bar from x 5 to 114, y 25 to 34; the grey share starts 2 pixels inside.
    const QRgb shadow = p.c.palette().color(QPalette::Dark).rgb();
    EXPECT_EQ(img.pixel(5, 30), shadow);
    EXPECT_EQ(img.pixel(114, 30), shadow);
    EXPECT_EQ(img.pixel(60, 25), shadow);
    EXPECT_EQ(img.pixel(30, 30), qRgb(128, 128, 128));
    EXPECT_EQ(img.pixel(100, 30), p.c.palette().color(QPalette::Base).rgb());
    EXPECT_NE(img.pixel(30, 22), qRgb(128, 128, 128));
    // A finished load takes the bar away.
    p.c.SetFileName(MakeBmp(30, 20));
    const QImage after = p.c.grab().toImage();
    EXPECT_NE(after.pixel(5, 30), shadow);
}

TEST(PicPreviewPrint, PrintToDrawsTheVisiblePart) {
    Preview p(100, 100);
    QImage page(60, 60, QImage::Format_RGB32);
    page.fill(Qt::white);
    {
        QPainter painter(&page);
        p.c.PrintTo(painter, QRect(0, 0, 60, 60)); // empty: nothing
    }
    EXPECT_EQ(QColor(page.pixel(30, 30)), QColor(Qt::white));
    // Columns 0..49 black, the rest white: the area shows columns 0..99 (not
    // panned), so the print is black on the left and white on the right.
    TDib dib = TDib::Create(200, 100, 24);
    for (int y = 0; y < 100; ++y)
        std::memset(dib.Row(y) + 150, 255, 450);
    p.c.Dib().SetHandle(std::move(dib));
    p.c.SetZoom(1.0);
    {
        QPainter painter(&page);
        p.c.PrintTo(painter, QRect(0, 0, 60, 60));
    }
    EXPECT_EQ(QColor(page.pixel(5, 30)), QColor(Qt::black));
    EXPECT_EQ(QColor(page.pixel(55, 30)), QColor(Qt::white));
}

TEST(PicPreviewPrint, ThePrintJobGetsTheVisibleSourceRectangle) {
    Preview p(300, 300);
    p.c.Dib().SetHandle(Pattern(1500, 1000));
    p.c.SetZoom(2.0);
    ASSERT_EQ(p.c.VisibleSourceRect(), (TIntRect{0, 0, 500, 500}));
    TTestPrintDevice device(600, 600, 5000, 7000, 0, 0, 5000, 7000);
    device.Open();
    IPrintPosition& job = p.c;
    EXPECT_TRUE(job.HasPicture());
    job.PrintTo(device, TPrintRect{100, 200, 700, 800});
    ASSERT_EQ(device.sent.size(), 1u);
    EXPECT_EQ(device.sent[0].dest, (TPrintRect{100, 200, 700, 800}));
    // Only the visible part of the picture is sent.
    EXPECT_EQ(device.sent[0].imageSize, QSize(500, 500));
    p.c.Clear();
    job.PrintTo(device, TPrintRect{100, 200, 700, 800});
    EXPECT_EQ(device.sent.size(), 1u);
}

TEST(PicPreviewDrop, APictureFileFromTheFileManagerLoadsUnturned) {
    Preview p(200, 300);
    p.c.AutoRotate = true;
    const QString file = MakeBmp(300, 200);
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&p.c, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&p.c, &drop);
    ASSERT_TRUE(p.c.HasPicture());
    EXPECT_EQ(p.c.Dib().Width(), 300);
    EXPECT_EQ(p.c.FileName(), file);

    // Anything but a picture file is refused.
    Preview q(100, 100);
    QMimeData text;
    text.setUrls({QUrl::fromLocalFile(TestSupport::NewTempDir())});
    QDragEnterEvent enter2(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&q.c, &enter2);
    EXPECT_FALSE(enter2.isAccepted());
    QDropEvent drop2(QPointF(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&q.c, &drop2);
    EXPECT_FALSE(q.c.HasPicture());
}
