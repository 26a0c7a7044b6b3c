// The picture positions of the main window: pairing with templates,
// selection, zoom panel, resolution light, position menu, wheel and keys.

#include "FMaster.h"
#include "FZRDruckDlg.h"
#include "MessageCapture.h"
#include "TestSupport.h"
#include "uClipboardUtils.h"
#include "uPicArtwork.h"
#include "uPositions.h"
#include "uZRZoomSlider.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>

namespace {

struct ShownMaster {
    TMaster w;
    TPositions& pos;
    ShownMaster() : pos(*w.Positions) {
        w.showNormal();
        w.resize(800, 580);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        QCoreApplication::processEvents();
    }
    ~ShownMaster() { pos.pmBild->hide(); }
    TPicPreview* At(int i) { return pos.PositionControls().at(static_cast<size_t>(i)); }
};

int TemplateWith(const TMaster& w, int areas) {
    for (size_t i = 0; i < w.Templates.size(); ++i)
        if (w.Templates[i]->Count() == areas)
            return static_cast<int>(i);
    return -1;
}

TDib Picture(int w, int h, std::uint8_t tag = 0) {
    TDib dib = TDib::Create(w, h, 24);
    if (h > 0)
        dib.Row(0)[0] = tag;
    return dib;
}

void Press(QWidget* w, QPoint p) {
    QMouseEvent e(QEvent::MouseButtonPress, p, w->mapToGlobal(p), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
    QMouseEvent r(QEvent::MouseButtonRelease, p, w->mapToGlobal(p), Qt::LeftButton, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &r);
}

QWheelEvent WheelEvent(QWidget* w, int delta) {
    const QPointF p(w->width() / 2.0, w->height() / 2.0);
    return QWheelEvent(p, w->mapToGlobal(p), QPoint(), QPoint(0, delta), Qt::NoButton,
                       Qt::NoModifier, Qt::NoScrollPhase, false);
}

// A wheel turn over a position as the control reports it; answers whether the
// positions took it.
bool Wheel(TPositions& pos, TPicPreview* w, int delta) {
    QWheelEvent e = WheelEvent(w, delta);
    return pos.PositionWheel(w, &e);
}

// A key press that reaches the window; answers whether it was handled.
bool Key(QWidget* w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent e(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(w, &e);
    return e.isAccepted();
}

} // namespace

TEST(Positions, ZoomPanelAndMenuComponents) {
    ShownMaster m;
    EXPECT_EQ(m.pos.panZoom->parentWidget(), m.w.panWelt);
    EXPECT_EQ(m.pos.panZoom->geometry(), QRect(1, 1, 50, 250));
    EXPECT_EQ(m.pos.Label2->text(), QStringLiteral("Zoom"));
    EXPECT_EQ(m.pos.ZoomSlider->geometry(), QRect(17, 30, 18, 150));
    EXPECT_EQ(m.pos.ZoomSlider->Min(), 100);
    EXPECT_EQ(m.pos.ZoomSlider->Max(), 500);
    EXPECT_EQ(m.pos.lblDPI->toolTip(), QStringLiteral("Bildauflösung beim Druck"));
    EXPECT_EQ(m.pos.imAmpel->geometry(), QRect(17, 210, 16, 32));
    // Template 0 starts empty: grey light, no resolution.
    EXPECT_EQ(m.pos.LightFrame(), lfGrey);
    EXPECT_FALSE(m.pos.lblDPI->isVisible());

    QStringList texts;
    for (QAction* a : m.pos.pmBild->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(texts, (QStringList{
                         "Bild laden...", "-", "Bild nach links drehen", "Bild nach rechts drehen",
                         "Bild 180° drehen", "-", "Helligkeit, Kontrast, Intensität, Gamma...",
                         "Farbton, Sättigung, Helligkeit...", "Schwarz-Weiß, Kolorieren...", "-",
                         "Ausschneiden", "Kopieren", "Einfügen", "-", "Leeren"}));
    EXPECT_EQ(m.pos.pmBild->defaultAction(), m.pos.mnuBildLaden);
    for (QAction* a :
         {m.pos.mnuBildLaden, m.pos.mnuLinks, m.pos.mnuRechts, m.pos.mnu180, m.pos.mnuAusschneiden,
          m.pos.mnuKopieren, m.pos.mnuEinfuegen, m.pos.mnuLeeren})
        EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
    EXPECT_EQ(m.pos.mnuKopieren->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_C));
    EXPECT_EQ(m.pos.mnuLeeren->shortcut(), QKeySequence(Qt::Key_Delete));
}

TEST(Positions, PairingKeepsPicturesByIndexAcrossTemplates) {
    ShownMaster m;
    const int t20 = TemplateWith(m.w, 20);
    const int t4 = TemplateWith(m.w, 4);
    ASSERT_GE(t20, 0);
    ASSERT_GE(t4, 0);
    m.w.SelectTemplate(t20);
    ASSERT_EQ(m.pos.PositionControls().size(), 20u);
    for (int i = 0; i < 20; ++i) {
        m.At(i)->Dib().SetHandle(Picture(60, 40, static_cast<std::uint8_t>(i)));
        EXPECT_TRUE(m.At(i)->isVisible());
        EXPECT_EQ(m.At(i)->geometry(), m.w.AreaRect(i));
    }
    m.At(2)->SetZoom(2.5);
    m.w.SelectTemplate(t4);
    EXPECT_EQ(m.pos.PositionControls().size(), 20u); // the list only grows
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(m.At(i)->HasPicture(), i < 4) << i;
        EXPECT_EQ(m.At(i)->isVisible(), i < 4) << i;
    }
    EXPECT_EQ(m.pos.CurrentPosition(), m.At(0));
    EXPECT_TRUE(m.At(0)->Active());
    m.w.SelectTemplate(t20);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(m.At(i)->HasPicture(), i < 4) << i;
        EXPECT_TRUE(m.At(i)->isVisible()) << i;
        if (i < 4) {
            EXPECT_EQ(m.At(i)->Dib().Handle().Row(0)[0], i);
        }
    }
    EXPECT_EQ(m.At(2)->Zoom(), 2.5);
    // The panel stays above the positions.
    EXPECT_EQ(m.w.panWelt->children().last(), m.pos.panZoom);
}

TEST(Positions, SelectionByMouse) {
    ShownMaster m;
    const int t4 = TemplateWith(m.w, 4);
    m.w.SelectTemplate(t4);
    m.At(3)->Dib().SetHandle(Picture(300, 200));
    m.At(3)->SetZoom(1.5);
    Press(m.At(3), {5, 5});
    EXPECT_EQ(m.pos.CurrentPosition(), m.At(3));
    EXPECT_TRUE(m.At(3)->Active());
    EXPECT_FALSE(m.At(0)->Active());
    EXPECT_TRUE(m.pos.panZoom->isVisible());
    EXPECT_TRUE(m.pos.ZoomSlider->isEnabled());
    EXPECT_EQ(m.pos.ZoomSlider->Position(), 150);
    Press(m.At(1), {5, 5}); // empty
    EXPECT_FALSE(m.pos.ZoomSlider->isEnabled());
    Press(m.w.shBlatt, {1, 1});
    EXPECT_EQ(m.pos.CurrentPosition(), nullptr);
    EXPECT_FALSE(m.pos.panZoom->isVisible());
    EXPECT_FALSE(m.At(1)->Active());
    Press(m.At(3), {5, 5});
    Press(m.w.panWelt, {2, 400});
    EXPECT_EQ(m.pos.CurrentPosition(), nullptr);
}

TEST(Positions, SliderSetsTheZoomOfTheSelectedPosition) {
    ShownMaster m;
    m.At(0)->Dib().SetHandle(Picture(300, 200));
    m.pos.SelectPosition(m.At(0));
    m.pos.ZoomSlider->SetPosition(250);
    ASSERT_TRUE(m.pos.ZoomSlider->OnChange);
    m.pos.ZoomSlider->OnChange(m.pos.ZoomSlider);
    EXPECT_DOUBLE_EQ(m.At(0)->Zoom(), 2.5);
    m.pos.ZoomSlider->setFocus();
    QTest::keyClick(m.pos.ZoomSlider, Qt::Key_End);
    EXPECT_DOUBLE_EQ(m.At(0)->Zoom(), 5.0);
}

TEST(Positions, WheelZoomsTheSelectedPictureWithinOneToFive) {
    ShownMaster m;
    const int t4 = TemplateWith(m.w, 4);
    m.w.SelectTemplate(t4);
    TPicPreview* p = m.At(0);
    p->Dib().SetHandle(Picture(300, 200));
    m.pos.SelectPosition(p);
    EXPECT_TRUE(Wheel(m.pos, p, 120)); // away from the user: smaller
    EXPECT_EQ(p->Zoom(), 1.0);
    p->SetZoom(4.2);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(Wheel(m.pos, p, -120));
    EXPECT_DOUBLE_EQ(p->Zoom(), 5.0);
    EXPECT_EQ(m.pos.ZoomSlider->Position(), 500);
    // Through the control's own wheel event.
    QWheelEvent e = WheelEvent(p, 120);
    QApplication::sendEvent(p, &e);
    EXPECT_NEAR(p->Zoom(), 4.8, 1e-9);
    EXPECT_EQ(m.pos.ZoomSlider->Position(), 480);
    // Over another position the turn is not the picture's.
    EXPECT_FALSE(Wheel(m.pos, m.At(1), -120));
    EXPECT_NEAR(p->Zoom(), 4.8, 1e-9);
    m.pos.SelectPosition(nullptr);
    EXPECT_FALSE(Wheel(m.pos, p, -120));
}

TEST(Positions, ResolutionLightThresholds) {
    ShownMaster m;
    const int t4 = TemplateWith(m.w, 4);
    m.w.SelectTemplate(t4);
    TPicPreview* p = m.At(0);
    m.pos.SelectPosition(p);
    const double h = m.w.CurrentTemplate->Position(0).Height;
    struct Case {
        int dpi;
        int frame;
    };
    for (Case c : {Case{150, lfGreen}, Case{149, lfYellow}, Case{50, lfYellow}, Case{49, lfRed},
                   Case{300, lfGreen}}) {
        // A picture wider than the area: the full height is visible (8 bits
        // keep it below the memory ceiling).
        int rows = 1;
        while (std::nearbyint(rows / (h / 25.4)) < c.dpi)
            ++rows;
        ASSERT_EQ(std::nearbyint(rows / (h / 25.4)), c.dpi) << "no exact row count for " << c.dpi;
        p->Dib().SetHandle(TDib::Create(rows * 4, rows, 8));
        ASSERT_EQ(p->Dib().Height(), rows);
        m.pos.UpdateResolutionDisplay();
        EXPECT_EQ(m.pos.PrintResolution(), c.dpi);
        EXPECT_EQ(m.pos.lblDPI->text(), QStringLiteral("%1 dpi").arg(c.dpi));
        EXPECT_TRUE(m.pos.lblDPI->isVisible());
        EXPECT_EQ(m.pos.LightFrame(), c.frame) << c.dpi;
        EXPECT_EQ(m.pos.imAmpel->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
                  ResolutionLightFrame(ResolutionLightStrip(), c.frame));
    }
    p->Clear();
    m.pos.UpdateResolutionDisplay();
    EXPECT_FALSE(m.pos.lblDPI->isVisible());
    EXPECT_EQ(m.pos.LightFrame(), lfGrey);
}

TEST(Positions, MenuEnablesByPictureAndClipboard) {
    ShownMaster m;
    TPicPreview* p = m.At(0);
    QGuiApplication::clipboard()->setText(QStringLiteral("Text"));
    m.pos.PositionMenu(p, p->mapToGlobal(QPoint(5, 5)));
    EXPECT_TRUE(m.pos.pmBild->isVisible());
    m.pos.pmBild->hide();
    EXPECT_TRUE(m.pos.mnuBildLaden->isEnabled());
    for (QAction* a :
         {m.pos.mnuLinks, m.pos.mnuRechts, m.pos.mnu180, m.pos.mnuHKIG, m.pos.mnuFSH, m.pos.mnuSW,
          m.pos.mnuAusschneiden, m.pos.mnuKopieren, m.pos.mnuEinfuegen, m.pos.mnuLeeren})
        EXPECT_FALSE(a->isEnabled()) << a->text().toStdString();

    p->Dib().SetHandle(Picture(30, 20));
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(img);
    m.pos.PositionMenu(p, p->mapToGlobal(QPoint(5, 5)));
    m.pos.pmBild->hide();
    for (QAction* a : {m.pos.mnuLinks, m.pos.mnuRechts, m.pos.mnu180, m.pos.mnuAusschneiden,
                       m.pos.mnuKopieren, m.pos.mnuEinfuegen, m.pos.mnuLeeren})
        EXPECT_TRUE(a->isEnabled()) << a->text().toStdString();
    // The filters wait for their dialogs.
    for (QAction* a : {m.pos.mnuHKIG, m.pos.mnuFSH, m.pos.mnuSW})
        EXPECT_FALSE(a->isEnabled());

    // The menu commands act on the selected position.
    m.pos.mnuLinks->trigger();
    EXPECT_EQ(p->Dib().Width(), 20);
    m.pos.mnuKopieren->trigger();
    EXPECT_TRUE(ClipboardHasFormat(PicPreviewClipboardFormat()));
    m.pos.mnuLeeren->trigger();
    EXPECT_FALSE(p->HasPicture());
    m.pos.mnuEinfuegen->trigger();
    EXPECT_EQ(p->Dib().Width(), 20);
}

TEST(Positions, ContextMenuRequestSelectsThePosition) {
    ShownMaster m;
    const int t4 = TemplateWith(m.w, 4);
    m.w.SelectTemplate(t4);
    QContextMenuEvent e(QContextMenuEvent::Mouse, QPoint(3, 3), m.At(2)->mapToGlobal(QPoint(3, 3)));
    QApplication::sendEvent(m.At(2), &e);
    EXPECT_EQ(m.pos.CurrentPosition(), m.At(2));
    EXPECT_TRUE(m.pos.pmBild->isVisible());
}

TEST(Positions, KeysOfTheWindow) {
    ShownMaster m;
    MessageCapture capture;
    // F1 without a selection opens the manual (here: it is missing).
    m.pos.SelectPosition(nullptr);
    EXPECT_TRUE(Key(&m.w, Qt::Key_F1));
    EXPECT_EQ(capture.Infos.size(), 1);
    EXPECT_FALSE(Key(&m.w, Qt::Key_P, Qt::ControlModifier));
    EXPECT_FALSE(Key(&m.w, Qt::Key_Delete));

    TPicPreview* a = m.At(0);
    m.pos.SelectPosition(a);
    // Delete on an empty position is not handled; Ctrl+P prints.
    EXPECT_FALSE(Key(&m.w, Qt::Key_Delete));
    EXPECT_FALSE(Key(&m.w, Qt::Key_A, Qt::ControlModifier));
    int printed = 0;
    m.pos.PrintCommand = [&] { ++printed; };
    EXPECT_TRUE(Key(&m.w, Qt::Key_P, Qt::ControlModifier));
    EXPECT_EQ(printed, 1);

    a->Dib().SetHandle(Picture(40, 30, 7));
    a->SetZoom(2.0);
    EXPECT_TRUE(Key(&m.w, Qt::Key_C, Qt::ControlModifier));
    EXPECT_TRUE(ClipboardHasFormat(PicPreviewClipboardFormat()));
    EXPECT_TRUE(Key(&m.w, Qt::Key_Delete));
    EXPECT_FALSE(a->HasPicture());
    EXPECT_TRUE(Key(&m.w, Qt::Key_V, Qt::ControlModifier));
    EXPECT_TRUE(a->HasPicture());
    EXPECT_EQ(a->Zoom(), 2.0);
    EXPECT_EQ(m.pos.ZoomSlider->Position(), 200);
    EXPECT_TRUE(Key(&m.w, Qt::Key_X, Qt::ControlModifier));
    EXPECT_FALSE(a->HasPicture());
    // A key pressed on the focused position travels up to the window.
    EXPECT_TRUE(Key(a, Qt::Key_V, Qt::ControlModifier));
    EXPECT_TRUE(Key(a, Qt::Key_Delete));
    EXPECT_FALSE(a->HasPicture());
    EXPECT_FALSE(Key(a, Qt::Key_Delete));
    EXPECT_FALSE(m.pos.ZoomSlider->isEnabled());
    EXPECT_TRUE(capture.Errors.isEmpty());
}

TEST(Positions, LoadByDoubleClickAndClearSheet) {
    ShownMaster m;
    const QString file = TestSupport::NewTempDir() + QStringLiteral("/quer.bmp");
    ASSERT_EQ(TestSupport::Run(QStringLiteral("convert"),
                               {QStringLiteral("-size"), QStringLiteral("90x60"),
                                QStringLiteral("xc:red"), QStringLiteral("BMP3:") + file}),
              0);
    int asked = 0;
    m.pos.ChoosePicture = [&](QWidget*) {
        ++asked;
        return file;
    };
    TPicPreview* p = m.At(0);
    QMouseEvent d(QEvent::MouseButtonDblClick, QPointF(4, 4), p->mapToGlobal(QPointF(4, 4)),
                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(p, &d);
    EXPECT_EQ(asked, 1);
    ASSERT_TRUE(p->HasPicture());
    EXPECT_EQ(p->Dib().Width(), 90); // the plain OK never turns
    EXPECT_EQ(p->FileName(), file);
    EXPECT_TRUE(m.pos.lblDPI->isVisible());

    MessageCapture capture;
    m.pos.ChoosePicture = [&](QWidget*) { return file + QStringLiteral(".fehlt"); };
    m.pos.LoadPicture(p);
    ASSERT_EQ(capture.Errors.size(), 1);
    EXPECT_TRUE(capture.Errors[0].contains(QStringLiteral("existiert nicht")));
    EXPECT_EQ(p->Dib().Width(), 90);

    const int t20 = TemplateWith(m.w, 20);
    m.w.SelectTemplate(t20);
    m.At(19)->Dib().SetHandle(Picture(5, 5));
    m.w.SelectTemplate(0);
    ASSERT_TRUE(m.w.BtnLeeren->isEnabled());
    m.w.BtnLeeren->click();
    for (TPicPreview* c : m.pos.PositionControls())
        EXPECT_FALSE(c->HasPicture());
    EXPECT_EQ(m.pos.LightFrame(), lfGrey);
}

// "Drucken" and Ctrl+P (with a position selected) open the print dialog; a
// cancelled dialog prints nothing and leaves the window usable.
TEST(Positions, DruckenAndCtrlPOpenThePrintDialog) {
    ShownMaster m;
    int dialogs = 0;
    auto cancelDialog = [&] {
        QTimer::singleShot(0, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* d = qobject_cast<TZRDruckDlg*>(w); d && d->isVisible()) {
                    ++dialogs;
                    d->BtnAbbrechen->click();
                }
        });
    };
    EXPECT_TRUE(m.w.BtnDrucken->isEnabled());
    cancelDialog();
    m.w.BtnDrucken->click();
    EXPECT_EQ(dialogs, 1);

    m.pos.SelectPosition(m.At(0));
    cancelDialog();
    EXPECT_TRUE(Key(&m.w, Qt::Key_P, Qt::ControlModifier));
    EXPECT_EQ(dialogs, 2);
    EXPECT_TRUE(m.w.isEnabled());
}
