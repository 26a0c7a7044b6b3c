// Spin edit: clamping, the typed-character filter, the repeat of a held
// arrow, the drag strip, the button layout.

#include "uKNSpinEdit.h"

#include <QMouseEvent>
#include <QStyle>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

void SendMouse(QWidget* w, QEvent::Type type, int y, Qt::MouseButtons buttons) {
    const QPointF local(2, y);
    QMouseEvent e(type, local, w->mapToGlobal(local),
                  type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

class SpinEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&form);
        spin = new TKNSpinEdit(&form);
        other = new QLineEdit(&form);
        layout->addWidget(spin);
        layout->addWidget(other);
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    void Type(const QString& s) {
        spin->setFocus(Qt::TabFocusReason);
        spin->selectAll();
        QTest::keyClicks(spin, s);
    }

    QWidget form;
    TKNSpinEdit* spin = nullptr;
    QLineEdit* other = nullptr;
};

TEST_F(SpinEditTest, LeavingClampsTheTypedValue) {
    spin->SetMinValue(1);
    spin->SetMaxValue(99);
    Type("150");
    EXPECT_EQ(spin->text(), "150");
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(spin->text(), "99");
    Type("-4");
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(spin->text(), "1");
}

TEST_F(SpinEditTest, TextThatIsNoNumberReadsAsMinValue) {
    spin->SetMinValue(3);
    spin->SetMaxValue(9);
    spin->setText("abc");
    EXPECT_EQ(spin->Value(), 3);
    spin->setFocus(Qt::TabFocusReason);
    other->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(spin->text(), "3") << "the text shows the value that counts";
}

TEST_F(SpinEditTest, EqualLimitsAcceptAnyValue) {
    spin->SetValue(-123456);
    EXPECT_EQ(spin->Value(), -123456);
    spin->SetValue(INT_MAX);
    spin->UpClick();
    EXPECT_EQ(spin->Value(), INT_MAX) << "no overflow past the largest integer";
}

TEST_F(SpinEditTest, TypedCharacterFilter) {
    Type("1a2+-x");
    EXPECT_EQ(spin->text(), "12+-");
    EXPECT_TRUE(spin->IsValidChar(u'7'));
    EXPECT_TRUE(spin->IsValidChar(QChar(8)));
    EXPECT_FALSE(spin->IsValidChar(QChar(13)));
    EXPECT_FALSE(spin->IsValidChar(u','));
}

TEST_F(SpinEditTest, ArrowKeysAndIncrement) {
    spin->SetIncrement(5);
    spin->SetMaxValue(12);
    spin->setFocus(Qt::TabFocusReason);
    QTest::keyClick(spin, Qt::Key_Up);
    QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(spin->Value(), 10);
    QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(spin->Value(), 12);
    QTest::keyClick(spin, Qt::Key_Down);
    EXPECT_EQ(spin->Value(), 7);
    spin->setReadOnly(true);
    QTest::keyClick(spin, Qt::Key_Down);
    EXPECT_EQ(spin->Value(), 7) << "read-only ignores the arrows";
}

TEST_F(SpinEditTest, DisabledEditorStillSpins) {
    spin->SetEditorEnabled(false);
    spin->setText("4");
    spin->setFocus(Qt::TabFocusReason);
    spin->setCursorPosition(1);
    QTest::keyClicks(spin, "57");
    QTest::keyClick(spin, Qt::Key_Backspace);
    QTest::keyClick(spin, Qt::Key_Home);
    QTest::keyClick(spin, Qt::Key_Delete);
    EXPECT_EQ(spin->text(), "4");
    QTest::keyClick(spin, Qt::Key_Up);
    EXPECT_EQ(spin->text(), "5");
    spin->Button()->UpButton()->click();
    EXPECT_EQ(spin->text(), "6");
}

TEST_F(SpinEditTest, HeldArrowRepeatsAfter400ThenEvery100Ms) {
    spin->SetMinValue(1);
    spin->SetMaxValue(99);
    spin->SetValue(95);
    TKNTimerSpeedButton* up = spin->Button()->UpButton();
    QTest::mousePress(up, Qt::LeftButton, Qt::NoModifier, up->rect().center());
    EXPECT_TRUE(spin->hasFocus()) << "pressing an arrow focuses the edit";
    EXPECT_TRUE(up->RepeatActive());
    EXPECT_EQ(up->RepeatInterval(), 400);
    EXPECT_EQ(spin->Value(), 95);
    up->RepeatTimerExpired();
    EXPECT_EQ(spin->Value(), 96);
    EXPECT_EQ(up->RepeatInterval(), 100);
    for (int i = 0; i < 5; ++i)
        up->RepeatTimerExpired();
    EXPECT_EQ(spin->Value(), 99);
    QTest::mouseRelease(up, Qt::LeftButton, Qt::NoModifier, up->rect().center());
    EXPECT_FALSE(up->RepeatActive());
    EXPECT_EQ(spin->Value(), 99);

    // A single click on release.
    TKNTimerSpeedButton* down = spin->Button()->DownButton();
    QTest::mouseClick(down, Qt::LeftButton, Qt::NoModifier, down->rect().center());
    EXPECT_EQ(spin->Value(), 98);
    EXPECT_EQ(spin->Button()->FocusedButton(), down);
}

TEST(SpinButtonTest, RepeatErrorStopsTheTimerAndPassesOn) {
    TKNTimerSpeedButton b;
    b.SetTimeBtnState(TKNTimerSpeedButton::tbAllowTimer);
    b.resize(20, 20);
    b.OnClick = [] { throw std::runtime_error("kaputt"); };
    b.show();
    QTest::mousePress(&b, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    ASSERT_TRUE(b.RepeatActive());
    EXPECT_THROW(b.RepeatTimerExpired(), std::runtime_error);
    EXPECT_FALSE(b.RepeatActive());
    b.OnClick = nullptr;
    QTest::mouseRelease(&b, Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
}

TEST(SpinButtonTest, StripDragStepsOncePerPixel) {
    TKNSpinButton sb;
    sb.resize(20, 40);
    int ups = 0;
    int downs = 0;
    sb.OnUpClick = [&](QObject*) { ++ups; };
    sb.OnDownClick = [&](QObject*) { ++downs; };
    QWidget* strip = sb.DragStrip();
    SendMouse(strip, QEvent::MouseButtonPress, 10, Qt::LeftButton);
    SendMouse(strip, QEvent::MouseMove, 5, Qt::LeftButton);
    EXPECT_EQ(ups, 5);
    EXPECT_EQ(downs, 0);
    SendMouse(strip, QEvent::MouseMove, 8, Qt::LeftButton);
    EXPECT_EQ(downs, 3);
    SendMouse(strip, QEvent::MouseMove, 0, Qt::NoButton);
    EXPECT_EQ(ups, 5) << "no steps without the button held";
    SendMouse(strip, QEvent::MouseButtonRelease, 0, Qt::NoButton);
}

TEST_F(SpinEditTest, StripDragRaisesTheValue) {
    spin->SetMaxValue(50);
    spin->SetValue(10);
    QWidget* strip = spin->Button()->DragStrip();
    SendMouse(strip, QEvent::MouseButtonPress, 3, Qt::LeftButton);
    SendMouse(strip, QEvent::MouseMove, -2, Qt::LeftButton);
    SendMouse(strip, QEvent::MouseButtonRelease, -2, Qt::NoButton);
    EXPECT_EQ(spin->Value(), 15);
}

TEST(SpinButtonTest, Layout) {
    TKNSpinButton sb;
    EXPECT_EQ(sb.size(), QSize(20, 15));
    // h = 7: the strip shows 3 pixels between the arrows.
    EXPECT_EQ(sb.UpButton()->geometry(), QRect(1, 0, 19, 6));
    EXPECT_EQ(sb.DragStrip()->geometry(), QRect(1, 6, 20, 9));
    EXPECT_EQ(sb.DownButton()->geometry(), QRect(1, 9, 19, 6));
    sb.show();
    sb.resize(10, 20);
    QApplication::processEvents();
    EXPECT_EQ(sb.width(), 16);
    EXPECT_EQ(sb.UpButton()->geometry(), QRect(1, 0, 15, 9));
    EXPECT_EQ(sb.DownButton()->geometry(), QRect(1, 11, 15, 9));
}

TEST(SpinButtonTest, KeysClickTheFocusedArrow) {
    TKNSpinButton sb;
    sb.SetTabStop(true);
    std::vector<char> log;
    sb.OnUpClick = [&](QObject*) { log.push_back('u'); };
    sb.OnDownClick = [&](QObject*) { log.push_back('d'); };
    sb.show();
    sb.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&sb));
    sb.setFocus();
    QTest::keyClick(&sb, Qt::Key_Space);
    QTest::keyClick(&sb, Qt::Key_Down);
    QTest::keyClick(&sb, Qt::Key_Space);
    QTest::keyClick(&sb, Qt::Key_Up);
    EXPECT_EQ(log, (std::vector<char>{'u', 'd', 'd', 'u'}));
    EXPECT_TRUE(sb.UpButton()->TimeBtnState() & TKNTimerSpeedButton::tbFocusRect);
    EXPECT_FALSE(sb.DownButton()->TimeBtnState() & TKNTimerSpeedButton::tbFocusRect);
}

TEST_F(SpinEditTest, ButtonSitsInsideTheFrameAndNarrowsTheText) {
    spin->resize(100, 24);
    const int f = spin->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, spin);
    // The 15 pixels asked for become the arrow pair's smallest width, 16.
    EXPECT_EQ(spin->Button()->geometry(), QRect(100 - 16 - f, f - 1, 16, 24 - 2 * f + 1));
    EXPECT_EQ(spin->textMargins().right(), 18);
    spin->setFrame(false);
    spin->resize(100, 25);
    EXPECT_EQ(spin->Button()->geometry(), QRect(84, 1, 16, 22));
    EXPECT_GE(spin->sizeHint().height(), spin->fontMetrics().height() + 6);
}

} // namespace
