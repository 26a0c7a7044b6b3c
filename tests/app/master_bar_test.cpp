// The chooser bar in the main window: filled from the catalogue, its items
// select templates, the window's wheel turns reach it.

#include "FMaster.h"
#include "uTemplateThumbs.h"
#include "uZROutlookbar.h"

#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

struct ShownMaster {
    TMaster w;
    ShownMaster() {
        w.showNormal();
        w.resize(800, 580);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&w));
        QCoreApplication::processEvents();
        w.Bar->SetPauseFunction({});
    }
};

TEST(MasterBar, FilledFromTheCatalogue) {
    ShownMaster m;
    TZROutlookBar* bar = m.w.Bar;
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->parentWidget(), m.w.panBar);
    EXPECT_TRUE(m.w.panBar->contentsRect().contains(bar->geometry()));
    EXPECT_EQ(bar->width(), m.w.panBar->contentsRect().width());
    ASSERT_EQ(bar->PanelCount(), 4);
    EXPECT_EQ(bar->Panel(0)->ItemCount(), 3);
    EXPECT_EQ(bar->Panel(1)->ItemCount(), 13);
    EXPECT_EQ(bar->Panel(2)->ItemCount(), 6);
    EXPECT_EQ(bar->Panel(3)->ItemCount(), 5);
    EXPECT_EQ(bar->OpenPanel(), 0);
    EXPECT_EQ(bar->Panel(3)->y() + 22, bar->height()) << "later headers stacked at the bottom";
}

TEST(MasterBar, ClickingAnItemSelectsItsTemplate) {
    ShownMaster m;
    TZROutlookBar* bar = m.w.Bar;
    QTest::mouseClick(bar->Panel(1)->HeaderButton(), Qt::LeftButton);
    ASSERT_EQ(bar->OpenPanel(), 1);
    QTest::mouseClick(bar->Panel(1)->Item(5)->Button, Qt::LeftButton);
    EXPECT_EQ(m.w.CurrentTemplate, m.w.Templates[8].get());
    // Template 8 is half an A4 sheet: fitted by its own proportions.
    const QRect sheet = m.w.shBlatt->geometry();
    EXPECT_NEAR(double(sheet.height()) / sheet.width(), 148.5 / 210.0, 0.01);
}

TEST(MasterBar, WindowWheelScrollsTheBarOnlyOverIt) {
    ShownMaster m;
    TZROutlookBar* bar = m.w.Bar;
    bar->Open(bar->Panel(1));
    TZROutlookBarPanel* open = bar->Panel(1);
    ASSERT_FALSE(open->DownButton()->isHidden());
    const QPoint overBar = bar->mapToGlobal(QPoint(10, 200));
    EXPECT_TRUE(m.w.FormMouseWheel(-120, overBar));
    EXPECT_EQ(open->FirstItem(), 1);
    EXPECT_TRUE(m.w.FormMouseWheel(120, overBar));
    EXPECT_EQ(open->FirstItem(), 0);
    const QPoint overSheet = m.w.panWelt->mapToGlobal(QPoint(100, 100));
    EXPECT_FALSE(m.w.FormMouseWheel(-120, overSheet));
    EXPECT_EQ(open->FirstItem(), 0);
    // Over the header of panel 0, inside the bar but above the open panel:
    // handled by the window, the panel does not move.
    EXPECT_TRUE(m.w.FormMouseWheel(-120, bar->mapToGlobal(QPoint(10, 5))));
    EXPECT_EQ(open->FirstItem(), 0);
}

} // namespace
