#include "FInfo.h"
#include "FMaster.h"
#include "MessageCapture.h"
#include "TestSupport.h"
#include "uException.h"
#include "uFormStyle.h"
#include "uSheetLayout.h"
#include "uZRRegistry.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

const QString kNotFound = QStringLiteral(
    "Die Anleitungsdatei wurde nicht gefunden. Bitte installieren das Programm neu.");
const QString kNotOpened =
    QStringLiteral("Die Anleitungsdatei konnte nicht geöffnet werden. Bitte installieren Sie den "
                   "Adobe Acrobat Reader neu.");

// A shown main window whose world panel has settled.
struct ShownMaster {
    TMaster w;
    ShownMaster() {
        w.showNormal();
        w.resize(800, 580);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        QCoreApplication::processEvents();
    }
};

} // namespace

TEST(Master, ComponentsAndCaption) {
    TMaster w;
    EXPECT_EQ(w.windowTitle(), "Kestrelon Velamor");
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), "Kestrelon Velamor");
    EXPECT_EQ(w.minimumSize(), QSize(460, 460));
    EXPECT_EQ(HintHidePause(), 5000);
    for (const char* name :
         {"panLeft", "Panel2", "Image1", "Bevel1", "panBar", "Panel1", "panTop", "BtnLeeren",
          "BtnDrucken", "BtnInfo", "BtnAnleitung", "Bevel2", "panWelt", "shBlatt"})
        EXPECT_NE(w.findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    EXPECT_EQ(w.panLeft->width(), 139);
    EXPECT_EQ(w.Image1->size(), QSize(135, 60));
    EXPECT_EQ(w.Panel2->height(), 64);
    EXPECT_EQ(w.panTop->height(), 28);
    EXPECT_EQ(w.Bevel2->height(), 4);
    EXPECT_EQ(w.BarHost(), w.panBar);
    EXPECT_EQ(w.panWelt->palette().color(QPalette::Window), QColor(0xF2, 0xF2, 0xF2));

    struct {
        QToolButton* button;
        const char* text;
        QRect geometry;
        bool enabled;
    } const buttons[] = {
        {w.BtnLeeren, "Leeren", QRect(3, 3, 73, 22), true}, // the positions clear the sheet
        {w.BtnDrucken, "Drucken", QRect(79, 3, 73, 22), true},
        {w.BtnInfo, "Info", QRect(155, 3, 73, 22), true},
        {w.BtnAnleitung, "Anleitung", QRect(230, 3, 79, 22), true},
    };
    for (const auto& b : buttons) {
        EXPECT_EQ(b.button->text(), b.text);
        EXPECT_EQ(b.button->geometry(), b.geometry) << b.text;
        EXPECT_EQ(b.button->isEnabled(), b.enabled) << b.text;
        EXPECT_FALSE(b.button->icon().isNull()) << b.text;
    }
}

TEST(Master, OwnsTheCatalogueWithTemplateZeroCurrent) {
    TMaster w;
    ASSERT_EQ(w.Templates.size(), 27u);
    EXPECT_EQ(w.CurrentTemplate, w.Templates[0].get());
}

TEST(Master, SheetFillsThePanelAfterShowing) {
    ShownMaster m;
    const QRect expected =
        SheetRect(*m.w.CurrentTemplate, m.w.panWelt->width(), m.w.panWelt->height());
    EXPECT_EQ(m.w.shBlatt->geometry(), expected);
    EXPECT_GT(expected.height(), 300);
    EXPECT_TRUE(m.w.shBlatt->isVisible());
}

TEST(Master, PanelResizeRefitsTheSheet) {
    ShownMaster m;
    m.w.panWelt->resize(800, 400);
    EXPECT_EQ(m.w.shBlatt->geometry(), QRect(265, 10, 269, 380));
    m.w.panWelt->resize(500, 1000);
    EXPECT_EQ(m.w.shBlatt->geometry(), QRect(10, 160, 480, 679));
    m.w.panWelt->resize(15, 12);
    EXPECT_EQ(m.w.shBlatt->geometry().topLeft(), QPoint(10, 10));
}

TEST(Master, WindowResizeRefitsTheSheet) {
    ShownMaster m;
    const QRect before = m.w.shBlatt->geometry();
    m.w.resize(1000, 700);
    QCoreApplication::processEvents();
    const QRect after = m.w.shBlatt->geometry();
    EXPECT_NE(after, before);
    EXPECT_EQ(after, SheetRect(*m.w.CurrentTemplate, m.w.panWelt->width(), m.w.panWelt->height()));
}

TEST(Master, SelectTemplateLaysOutTheNewSheet) {
    ShownMaster m;
    m.w.panWelt->resize(800, 400);
    m.w.SelectTemplate(8); // 210 x 148.5 mm
    EXPECT_EQ(m.w.CurrentTemplate, m.w.Templates[8].get());
    EXPECT_EQ(m.w.shBlatt->geometry(), QRect(131, 10, 537, 380));
    // Its single area lies inside the sheet at its own proportions.
    ASSERT_EQ(m.w.CurrentTemplate->Count(), 1);
    EXPECT_EQ(m.w.AreaRect(0), AreaRect(*m.w.CurrentTemplate, 0, QRect(131, 10, 537, 380)));
    EXPECT_TRUE(m.w.shBlatt->geometry().contains(m.w.AreaRect(0)));

    m.w.SelectTemplate(0);
    EXPECT_EQ(m.w.shBlatt->geometry(), QRect(265, 10, 269, 380));
    ASSERT_EQ(m.w.CurrentTemplate->Count(), 4);
    // Areas in reading order: 2 x 2 grid.
    EXPECT_LT(m.w.AreaRect(0).right(), m.w.AreaRect(1).left());
    EXPECT_LT(m.w.AreaRect(0).bottom(), m.w.AreaRect(2).top());
}

TEST(Master, InvalidTemplateOrAreaIsRefusedAndChangesNothing) {
    TMaster w;
    EXPECT_THROW(w.SelectTemplate(27), Exception);
    EXPECT_THROW(w.SelectTemplate(-1), Exception);
    EXPECT_EQ(w.CurrentTemplate, w.Templates[0].get());
    EXPECT_THROW(w.AreaRect(4), Exception);
}

TEST(Manual, FileIsNamedLikeTheProgramNextToIt) {
    const QFileInfo program(QCoreApplication::applicationFilePath());
    const QString expected =
        QDir(program.absolutePath()).filePath(program.completeBaseName() + ".pdf");
    EXPECT_EQ(TMaster::ManualFile(), expected);
}

TEST(Manual, MissingFileSaysNotFound) {
    MessageCapture cap;
    OpenManual(nullptr, TestSupport::NewTempDir() + "/velamor.pdf");
    EXPECT_EQ(cap.Infos, QStringList{kNotFound});
    EXPECT_TRUE(cap.Opened.isEmpty());
    EXPECT_TRUE(cap.Errors.isEmpty());
}

TEST(Manual, ExistingFileIsOpenedWithTheDefaultProgram) {
    const QString pdf = TestSupport::NewTempDir() + "/velamor.pdf";
    QFile f(pdf);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("%PDF-1.4\n");
    f.close();
    {
        MessageCapture cap(true);
        OpenManual(nullptr, pdf);
        EXPECT_TRUE(cap.Infos.isEmpty());
        ASSERT_EQ(cap.Opened.size(), 1);
        EXPECT_EQ(cap.Opened[0], QUrl::fromLocalFile(pdf));
    }
    {
        MessageCapture cap(false);
        OpenManual(nullptr, pdf);
        EXPECT_EQ(cap.Infos, QStringList{kNotOpened});
    }
}

TEST(Manual, ButtonOpensTheManualOfTheProgram) {
    // No manual lies next to the test program.
    ASSERT_FALSE(QFileInfo::exists(TMaster::ManualFile()));
    TMaster w;
    MessageCapture cap;
    w.BtnAnleitung->click();
    EXPECT_EQ(cap.Infos, QStringList{kNotFound});
}

TEST(Master, InfoButtonShowsTheAboutBox) {
    TMaster w;
    w.show();
    QString seen;
    QTimer::singleShot(0, [&] {
        if (auto* dlg = qobject_cast<TDlgInfo*>(QApplication::activeModalWidget())) {
            seen = dlg->windowTitle();
            dlg->accept();
        }
    });
    w.BtnInfo->click();
    EXPECT_EQ(seen, "Infos");
    // The dialog is freed after use.
    EXPECT_EQ(w.findChild<TDlgInfo*>(), nullptr);
}

namespace {

const QString kSection = QStringLiteral("Mainform");

void StoreBounds(int left, int top, int width, int height, int state = 0) {
    TZRRegIniFile& s = ZRRegIniFile();
    s.EraseSection(kSection);
    s.WriteInteger(kSection, "WindowState", state);
    s.WriteInteger(kSection, "Left", left);
    s.WriteInteger(kSection, "Top", top);
    s.WriteInteger(kSection, "Width", width);
    s.WriteInteger(kSection, "Height", height);
}

QRect StoredBounds() {
    const TZRRegIniFile& s = ZRRegIniFile();
    return QRect(s.ReadInteger(kSection, "Left", -1), s.ReadInteger(kSection, "Top", -1),
                 s.ReadInteger(kSection, "Width", -1), s.ReadInteger(kSection, "Height", -1));
}

} // namespace

TEST(FormPlacement, FirstStartFillsTheWorkAreaLess30) {
    ZRRegIniFile().EraseSection(kSection);
    TMaster w;
    const QRect wa = w.screen()->availableGeometry();
    EXPECT_EQ(w.frameGeometry(),
              QRect(wa.x() + 30, wa.y() + 30, wa.width() - 60, wa.height() - 60));
    EXPECT_FALSE(w.windowState() & Qt::WindowMaximized);
}

TEST(FormPlacement, StoredBoundsAreRestored) {
    StoreBounds(50, 40, 600, 500);
    TMaster w;
    EXPECT_EQ(w.frameGeometry(), QRect(50, 40, 600, 500));
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.frameGeometry(), QRect(50, 40, 600, 500));
}

TEST(FormPlacement, OversizedWindowIsFittedIntoTheWorkArea) {
    TMaster probe;
    const QRect wa = probe.screen()->availableGeometry();
    StoreBounds(100, 20, 2000, wa.height() - 10);
    TMaster w;
    // As wide as the work area, hence at its left; moved up to end at its bottom.
    EXPECT_EQ(w.frameGeometry(),
              QRect(wa.x(), wa.bottom() + 1 - (wa.height() - 10), wa.width(), wa.height() - 10));
}

TEST(FormPlacement, MaximisedStateIsRestored) {
    StoreBounds(40, 50, 500, 470, 2);
    TMaster w;
    EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_TRUE(w.isMaximized());
    // The normal bounds underneath are the stored ones.
    EXPECT_EQ(w.normalGeometry().size(), QSize(500, 470));
}

TEST(FormPlacement, ClosingSavesTheOuterBoundsAndTheyComeBackUnchanged) {
    ZRRegIniFile().EraseSection(kSection);
    QRect outer;
    {
        TMaster w;
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        w.setGeometry(60, 70, 520, 480);
        QCoreApplication::processEvents();
        outer = w.frameGeometry();
        ASSERT_TRUE(outer.contains(QRect(60, 70, 520, 480)));
    }
    EXPECT_EQ(ZRRegIniFile().ReadInteger(kSection, "WindowState", -1), 0);
    EXPECT_EQ(StoredBounds(), outer);
    // The next window opens where this one closed, frame included: it
    // neither grows nor shifts once its frame is known.
    for (int run = 0; run < 2; ++run) {
        TMaster again;
        again.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&again));
        QCoreApplication::processEvents();
        EXPECT_EQ(again.frameGeometry(), outer) << run;
        EXPECT_EQ(again.geometry(), QRect(60, 70, 520, 480)) << run;
    }
    EXPECT_EQ(StoredBounds(), outer);
}

TEST(FormPlacement, ClosingMaximisedKeepsTheOldBounds) {
    StoreBounds(60, 70, 520, 480);
    {
        TMaster w;
        w.showMaximized();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        QCoreApplication::processEvents();
        ASSERT_TRUE(w.isMaximized());
    }
    EXPECT_EQ(ZRRegIniFile().ReadInteger(kSection, "WindowState", -1), 2);
    EXPECT_EQ(StoredBounds(), QRect(60, 70, 520, 480));
}
