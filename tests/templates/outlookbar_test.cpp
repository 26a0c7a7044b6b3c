// The chooser bar: slide steps, stacking, scrolling, wheel, resize rule,
// painting and the error for a panel outside a bar.

#include "uZROutlookbar.h"

#include "uException.h"

#include <QImage>
#include <QLabel>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

QPixmap Thumb() {
    QPixmap pm(60, 85);
    pm.fill(Qt::white);
    return pm;
}

class OutlookBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        bar.resize(139, 466);
        for (int p = 0; p < 4; ++p) {
            TZROutlookBarPanel* panel = bar.AddPanel(QString("Gruppe %1").arg(p));
            const int items = p == 1 ? 13 : 3;
            for (int i = 0; i < items; ++i)
                panel->AddItem(QString("Vorlage %1").arg(i), QString(), p * 100 + i, Thumb());
        }
        bar.show();
        QApplication::processEvents();
    }
    int ItemHeight() const { return bar.Panel(0)->Item(0)->Height(); }
    // A wheel turn as the window system delivers it: to the widget under the
    // pointer, then to its parents until one takes it.
    bool SendWheel(QWidget* target, QPoint local, int delta) {
        const QPointF global = target->mapToGlobal(QPointF(local));
        for (QWidget* w = target; w; w = w->parentWidget()) {
            QWheelEvent e(w->mapFromGlobal(global), global, QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(w, &e);
            if (e.isAccepted())
                return true;
        }
        return false;
    }

    TZROutlookBar bar;
};

TEST_F(OutlookBarTest, PanelsStackAroundTheOpenOne) {
    EXPECT_EQ(bar.PanelCount(), 4);
    EXPECT_EQ(bar.OpenPanel(), 0);
    EXPECT_EQ(bar.FreeHeight(), 378);
    EXPECT_EQ(bar.Panel(0)->geometry(), QRect(0, 0, 139, 466));
    EXPECT_EQ(bar.Panel(1)->y(), 400);
    EXPECT_EQ(bar.Panel(2)->y(), 422);
    EXPECT_EQ(bar.Panel(3)->y(), 444);
    EXPECT_EQ(bar.Panel(2)->HeaderButton()->text(), "Gruppe 2");
    EXPECT_EQ(bar.Panel(2)->HeaderButton()->geometry(), QRect(0, 0, 139, 22));
}

TEST_F(OutlookBarTest, OpeningSlidesInStepsOfAtMost50) {
    std::vector<std::vector<int>> steps;
    std::vector<int> pauses;
    bar.SetPauseFunction([&](int ms) {
        pauses.push_back(ms);
        steps.push_back({bar.Panel(1)->y(), bar.Panel(2)->y(), bar.Panel(3)->y()});
    });
    QTest::mouseClick(bar.Panel(3)->HeaderButton(), Qt::LeftButton);
    ASSERT_EQ(steps.size(), 8u);
    EXPECT_EQ(pauses, std::vector<int>(8, 5));
    const int moved[] = {50, 100, 150, 200, 250, 300, 350, 378};
    for (size_t i = 0; i < 8; ++i)
        EXPECT_EQ(steps[i], (std::vector<int>{400 - moved[i], 422 - moved[i], 444 - moved[i]}));
    EXPECT_EQ(bar.OpenPanel(), 3);
    EXPECT_EQ(bar.Panel(1)->y(), 22);
    EXPECT_EQ(bar.Panel(3)->y(), 66);
    EXPECT_EQ(bar.Panel(0)->y(), 0);

    // Back to panel 1: panels 2 and 3 slide down.
    steps.clear();
    bar.Open(bar.Panel(1));
    EXPECT_EQ(steps.size(), 8u);
    EXPECT_EQ(bar.Panel(2)->y(), 422);
    EXPECT_EQ(bar.Panel(3)->y(), 444);
    EXPECT_EQ(bar.OpenPanel(), 1);
    steps.clear();
    bar.Open(bar.Panel(1));
    EXPECT_TRUE(steps.empty()) << "the open panel does not slide";
}

TEST_F(OutlookBarTest, ScrollButtonsShowOnlyWhereItemsDoNotFit) {
    TZROutlookBarPanel* small = bar.Panel(0);
    EXPECT_TRUE(small->UpButton()->isHidden());
    EXPECT_TRUE(small->DownButton()->isHidden());
    small->ScrollTo(2);
    EXPECT_EQ(small->FirstItem(), 0) << "items that fit scroll back to the first";

    TZROutlookBarPanel* big = bar.Panel(1);
    EXPECT_TRUE(big->UpButton()->isHidden());
    EXPECT_FALSE(big->DownButton()->isHidden());
    QTest::mouseClick(big->DownButton(), Qt::LeftButton);
    EXPECT_EQ(big->FirstItem(), 1);
    EXPECT_FALSE(big->UpButton()->isHidden());
    EXPECT_EQ(big->Item(0)->Top, -ItemHeight()) << "scrolled out above";
    EXPECT_EQ(big->Item(1)->Top, 22);
    EXPECT_EQ(big->Item(2)->Top, 22 + ItemHeight());
    big->ScrollTo(12);
    EXPECT_TRUE(big->DownButton()->isHidden());
    big->ScrollTo(13);
    big->ScrollTo(-1);
    EXPECT_EQ(big->FirstItem(), 12) << "indexes outside the items are ignored";
    QTest::mouseClick(big->UpButton(), Qt::LeftButton);
    EXPECT_EQ(big->FirstItem(), 11);
    EXPECT_EQ(big->UpButton()->geometry(), QRect(139 - 22, 27, 17, 17));
    EXPECT_EQ(big->DownButton()->geometry().topLeft(), QPoint(139 - 22, 378));
}

TEST_F(OutlookBarTest, ItemLayout) {
    TZROutlookBarItem* item = bar.Panel(0)->Item(1);
    EXPECT_EQ(item->Button->size(), QSize(72, 91));
    EXPECT_EQ(item->Height(), 91 + item->Label->height() + 15);
    EXPECT_EQ(item->Top, 22 + ItemHeight());
    EXPECT_EQ(item->Button->pos(), QPoint((139 - 72) / 2, item->Top + 5));
    EXPECT_EQ(item->Label->y(), item->Top + 5 + 91 + 2);
    EXPECT_EQ(item->Label->x(), (139 - item->Label->width()) / 2);
    EXPECT_EQ(bar.Panel(1)->TotalItemHeight(), 13 * ItemHeight());
}

TEST_F(OutlookBarTest, CaptionWiderThanThePanelWraps) {
    TZROutlookBarPanel* panel = bar.Panel(2);
    TZROutlookBarItem* item = panel->AddItem(
        "Faltkarten 155x108,5 mm mit einer langen Beschriftung", QString(), 7, Thumb());
    const int oneLine = panel->Item(0)->Label->height();
    EXPECT_LE(item->Label->width(), 139 - 4);
    EXPECT_GE(item->Label->x(), 0);
    EXPECT_GT(item->Label->height(), oneLine);
    EXPECT_EQ(item->Height(), 91 + item->Label->height() + 15);
    bar.resize(600, 466);
    QApplication::processEvents();
    EXPECT_EQ(item->Label->height(), oneLine) << "one line when there is room";
    EXPECT_EQ(item->Label->x(), (600 - item->Label->width()) / 2);
}

TEST_F(OutlookBarTest, WheelOverHeadersAboveAndBelowTheOpenPanel) {
    bar.SetPauseFunction({});
    bar.Open(bar.Panel(1));
    TZROutlookBarPanel* open = bar.Panel(1);
    // Over the header of panel 0, above the open one: not handled.
    EXPECT_FALSE(SendWheel(bar.Panel(0)->HeaderButton(), QPoint(20, 10), -120));
    EXPECT_EQ(open->FirstItem(), 0);
    // Over the header of panel 3, below: the open panel lies under it.
    EXPECT_TRUE(SendWheel(bar.Panel(3)->HeaderButton(), QPoint(20, 10), -120));
    EXPECT_EQ(open->FirstItem(), 1);
    // Over an item of the open panel.
    EXPECT_TRUE(SendWheel(open->Item(2)->Button, QPoint(5, 5), -120));
    EXPECT_EQ(open->FirstItem(), 2);
    EXPECT_TRUE(SendWheel(open, QPoint(5, 200), 120));
    EXPECT_EQ(open->FirstItem(), 1);
    // A fine wheel adds up to a notch.
    EXPECT_TRUE(SendWheel(open, QPoint(5, 200), 60));
    EXPECT_EQ(open->FirstItem(), 1);
    EXPECT_TRUE(SendWheel(open, QPoint(5, 200), 60));
    EXPECT_EQ(open->FirstItem(), 0);
    // At the top the up button is hidden: nothing moves, still handled.
    EXPECT_TRUE(SendWheel(open, QPoint(5, 200), 120));
    EXPECT_EQ(open->FirstItem(), 0);
    // The bar's own entry for forwarded turns.
    EXPECT_FALSE(bar.MouseWheel(-120, bar.mapToGlobal(QPoint(5, 5))));
    EXPECT_TRUE(bar.MouseWheel(-120, bar.mapToGlobal(QPoint(5, 300))));
    EXPECT_EQ(open->FirstItem(), 1);
}

TEST_F(OutlookBarTest, GrowingPullsHiddenItemsBackIn) {
    bar.SetPauseFunction({});
    bar.Open(bar.Panel(1));
    TZROutlookBarPanel* big = bar.Panel(1);
    big->ScrollTo(12);
    bar.resize(139, 466);
    bar.resize(139, 467);
    QApplication::processEvents();
    const int f = bar.FreeHeight();
    int s = 0;
    for (int i = big->FirstItem(); i < big->ItemCount(); ++i)
        s += big->Item(i)->Height();
    EXPECT_LT(big->FirstItem(), 12);
    EXPECT_LE(s, f);
    EXPECT_GE(big->Item(big->FirstItem() - 1)->Height(), f - s) << "the next would not fit";
    EXPECT_TRUE(big->DownButton()->isHidden());

    bar.resize(139, 2000);
    QApplication::processEvents();
    EXPECT_EQ(big->FirstItem(), 0);
    EXPECT_TRUE(big->UpButton()->isHidden());
    EXPECT_EQ(bar.Panel(2)->y(), 2000 - 2 * 22);
    EXPECT_EQ(bar.Panel(3)->y(), 2000 - 22);
}

TEST_F(OutlookBarTest, ItemClickReportsPanelItemAndTag) {
    std::vector<int> clicks;
    bar.OnItemClick = [&](TZROutlookBar* b, int p, int i) {
        EXPECT_EQ(b, &bar);
        clicks.push_back(p);
        clicks.push_back(i);
    };
    bar.OnItemSelected = [&](TZROutlookBar*, int tag) { clicks.push_back(tag); };
    QTest::mouseClick(bar.Panel(0)->Item(2)->Button, Qt::LeftButton);
    EXPECT_EQ(clicks, (std::vector<int>{0, 2, 2}));
}

TEST_F(OutlookBarTest, TabReachesOnlyTheOpenPanelsItems) {
    EXPECT_EQ(bar.Panel(0)->Item(0)->Button->focusPolicy(), Qt::TabFocus);
    EXPECT_EQ(bar.Panel(1)->Item(0)->Button->focusPolicy(), Qt::NoFocus);
    bar.SetPauseFunction({});
    bar.Open(bar.Panel(1));
    EXPECT_EQ(bar.Panel(0)->Item(0)->Button->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(bar.Panel(1)->Item(12)->Button->focusPolicy(), Qt::TabFocus);
}

TEST_F(OutlookBarTest, Painting) {
    TZROutlookBarPanel* panel = bar.Panel(1);
    panel->SetColor(QColor(168, 184, 168));
    QImage img(panel->size(), QImage::Format_RGB32);
    panel->render(&img);
    EXPECT_EQ(img.pixel(3, 200), QColor(168, 184, 168).rgb()) << "panel colour below the items";
    EXPECT_EQ(img.pixel(0, 10), panel->palette().color(QPalette::Light).rgb()) << "raised edge";
    EXPECT_EQ(img.pixel(138, 10), panel->palette().color(QPalette::Dark).rgb());
}

TEST(OutlookBarGlyphs, Triangles) {
    QPalette pal;
    pal.setColor(QPalette::Button, Qt::lightGray);
    pal.setColor(QPalette::WindowText, Qt::black);
    const QImage down = TZROutlookBarPanel::ScrollGlyph(false, pal, 1).toImage();
    const QImage up = TZROutlookBarPanel::ScrollGlyph(true, pal, 1).toImage();
    ASSERT_EQ(down.size(), QSize(9, 7));
    auto row = [](const QImage& img, int y) {
        QString s;
        for (int x = 0; x < 9; ++x)
            s += img.pixelColor(x, y) == QColor(Qt::black) ? '#' : '.';
        return s;
    };
    EXPECT_EQ(row(down, 1), ".........");
    EXPECT_EQ(row(down, 2), ".#######.");
    EXPECT_EQ(row(down, 3), "..#####..");
    EXPECT_EQ(row(down, 4), "...###...");
    EXPECT_EQ(row(down, 5), "....#....");
    EXPECT_EQ(row(up, 1), "....#....");
    EXPECT_EQ(row(up, 4), ".#######.");
    EXPECT_EQ(row(up, 5), ".........");
    const QPixmap hi = TZROutlookBarPanel::ScrollGlyph(true, pal, 2);
    EXPECT_EQ(hi.size(), QSize(18, 14));
    EXPECT_EQ(hi.deviceIndependentSize(), QSizeF(9, 7));
}

TEST(OutlookBarOwner, PanelOutsideABarIsRefused) {
    QWidget plain;
    try {
        TZROutlookBarPanel panel(&plain);
        ADD_FAILURE() << "panel created";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(),
                  QString::fromUtf8("TZROutlookBarPanel: Parent muß TZROutlookBar sein"));
    }
    EXPECT_TRUE(plain.children().isEmpty());
    EXPECT_THROW(TZROutlookBarPanel(nullptr), Exception);
}

} // namespace
