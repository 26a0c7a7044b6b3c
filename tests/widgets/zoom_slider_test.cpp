// Zoom slider: mapping, setters, keys, dragging, page steps, painting.

#include "uZRZoomSlider.h"

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class ZoomSliderTest : public ::testing::Test {
protected:
    void SetUp() override {
        slider.SetMax(500);
        slider.SetMin(100);
        slider.resize(10, 150);
        slider.OnChange = [this](QObject* sender) {
            EXPECT_EQ(sender, &slider);
            ++changes;
        };
        slider.show();
        slider.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&slider));
    }

    TZRZoomSlider slider;
    int changes = 0;
};

TEST(ZoomSliderDefaults, NewSlider) {
    TZRZoomSlider s;
    EXPECT_EQ(s.size(), QSize(10, 150));
    EXPECT_EQ(s.Min(), 0);
    EXPECT_EQ(s.Max(), 100);
    EXPECT_EQ(s.Position(), 0);
    EXPECT_EQ(s.LineSize(), 5);
    EXPECT_EQ(s.PageSize(), 20);
    EXPECT_EQ(s.focusPolicy(), Qt::StrongFocus);
    s.SetMax(0);
    EXPECT_EQ(s.PosToY(0), 0) << "Max = Min maps to 0";
}

TEST_F(ZoomSliderTest, Mapping) {
    EXPECT_EQ(slider.PosToY(100), 3);
    EXPECT_EQ(slider.PosToY(500), 147);
    EXPECT_EQ(slider.PosToY(300), 75);
    EXPECT_EQ(slider.YToPos(3), 100);
    EXPECT_EQ(slider.YToPos(147), 500);
    EXPECT_EQ(slider.YToPos(75), 300);
    slider.resize(10, 6);
    EXPECT_EQ(slider.YToPos(3), 0) << "no track";
}

TEST_F(ZoomSliderTest, SettersKeepTheRangeAndStayQuiet) {
    slider.SetMin(600);
    EXPECT_EQ(slider.Min(), 100);
    slider.SetMax(50);
    EXPECT_EQ(slider.Max(), 500);
    EXPECT_EQ(slider.Position(), 100) << "clamped when Min became 100";
    slider.SetPosition(900);
    EXPECT_EQ(slider.Position(), 500);
    slider.SetMax(400);
    EXPECT_EQ(slider.Position(), 400);
    EXPECT_EQ(changes, 0);
}

TEST_F(ZoomSliderTest, Keys) {
    slider.SetPosition(200);
    QTest::keyClick(&slider, Qt::Key_Down);
    EXPECT_EQ(slider.Position(), 205);
    QTest::keyClick(&slider, Qt::Key_Up);
    QTest::keyClick(&slider, Qt::Key_Up);
    EXPECT_EQ(slider.Position(), 195);
    QTest::keyClick(&slider, Qt::Key_PageDown);
    EXPECT_EQ(slider.Position(), 215);
    QTest::keyClick(&slider, Qt::Key_PageUp);
    EXPECT_EQ(slider.Position(), 195);
    EXPECT_EQ(changes, 5);
    QTest::keyClick(&slider, Qt::Key_End);
    EXPECT_EQ(slider.Position(), 500);
    EXPECT_EQ(changes, 6);
    QTest::keyClick(&slider, Qt::Key_End);
    EXPECT_EQ(changes, 6) << "no change at Max";
    QTest::keyClick(&slider, Qt::Key_Home);
    EXPECT_EQ(slider.Position(), 100);
    QTest::keyClick(&slider, Qt::Key_Up);
    EXPECT_EQ(changes, 7);
}

TEST_F(ZoomSliderTest, DragTheThumb) {
    slider.SetPosition(300); // thumb at y 75
    QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(5, 77));
    EXPECT_TRUE(slider.Dragging());
    EXPECT_FALSE(slider.Repeating());
    QTest::mouseMove(&slider, QPoint(5, 113)); // thumb centre to y 111
    EXPECT_EQ(slider.Position(), slider.YToPos(111));
    EXPECT_EQ(slider.Position(), 400);
    EXPECT_EQ(changes, 1);
    QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(5, 113));
    EXPECT_FALSE(slider.Dragging());
    EXPECT_TRUE(slider.hasFocus());
}

TEST_F(ZoomSliderTest, PageStepsTowardsThePointerAndStopOneShort) {
    slider.SetPosition(100); // y 3; one page of 20 is 7.2 pixels
    QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(5, 30));
    EXPECT_FALSE(slider.Dragging());
    EXPECT_EQ(slider.Position(), 120);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(slider.Repeating());
    EXPECT_EQ(slider.RepeatInterval(), 200);
    slider.PageStep(); // y of 140 = 17
    slider.PageStep(); // y of 160 = 24
    EXPECT_EQ(slider.Position(), 160);
    slider.PageStep(); // 180 would be at y 31, below the pointer
    slider.PageStep();
    EXPECT_EQ(slider.Position(), 160);
    EXPECT_EQ(changes, 5) << "every page step reports";
    QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(5, 30));
    EXPECT_FALSE(slider.Repeating());
}

TEST_F(ZoomSliderTest, ClickJustBelowTheThumb) {
    slider.SetPosition(300); // y 75; next page at y 82
    QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(5, 80));
    EXPECT_EQ(slider.Position(), 300) << "the next page's thumb would pass the click";
    EXPECT_EQ(changes, 1);
    QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(5, 80));
    QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(5, 60));
    EXPECT_EQ(slider.Position(), 280) << "page up: y 68 is still below the pointer";
    QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier, QPoint(5, 60));
}

TEST_F(ZoomSliderTest, Painting) {
    slider.SetPosition(300);
    QImage img(slider.size(), QImage::Format_RGB32);
    slider.render(&img);
    const QPalette pal = slider.palette();
    EXPECT_EQ(img.pixel(5, 40), pal.color(QPalette::Base).rgb()) << "track inside";
    EXPECT_EQ(img.pixel(3, 40), pal.color(QPalette::Dark).rgb()) << "track outline";
    EXPECT_EQ(img.pixel(5, 75), QColor(192, 192, 192).rgb()) << "thumb";
    EXPECT_EQ(img.pixel(0, 72), QColor(128, 128, 128).rgb()) << "thumb outline";

    slider.setEnabled(false);
    slider.render(&img);
    EXPECT_EQ(img.pixel(5, 40), slider.palette().color(QPalette::Button).rgb());
    EXPECT_EQ(img.pixel(5, 75), slider.palette().color(QPalette::Button).rgb()) << "no thumb";
}

} // namespace
