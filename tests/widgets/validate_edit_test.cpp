// Validating edits on a German system: dropped characters, range errors that
// put the focus back, the number format, the window's close query.

#include "uQTXValidateEdit.h"
#include "uWidgetErrors.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

class TRecordingForm : public QWidget {
public:
    std::vector<QString>* log = nullptr;
    bool allow = true;

protected:
    void closeEvent(QCloseEvent* e) override {
        if (log)
            log->push_back("form");
        e->setAccepted(allow);
    }
};

class FloatEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        SetWidgetErrorReporter([this](QWidget*, const QString& m) { errors.push_back(m); });
        form = std::make_unique<TRecordingForm>();
        auto* layout = new QVBoxLayout(form.get());
        edit = new TQTXFloatEdit(form.get());
        edit->setObjectName("edRandLinks");
        other = new QLineEdit(form.get());
        layout->addWidget(edit);
        layout->addWidget(other);
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void TearDown() override {
        form.reset();
        SetWidgetErrorReporter({});
        QLocale::setDefault(QLocale::c());
    }
    // The settings of the gallery dialog's margin fields.
    void MarginField() {
        edit->SetUpperLimit(5);
        edit->SetLowerLimit(0);
        edit->SetInvalidAction(vaNormalize | vaIgnoreChar | vaFocusBack | vaOutOfRangeException);
    }
    void Enter(const QString& text) {
        edit->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(edit->hasFocus());
        edit->setText(text);
    }
    void Leave() { other->setFocus(Qt::TabFocusReason); }

    std::vector<QString> errors;
    std::unique_ptr<TRecordingForm> form;
    TQTXFloatEdit* edit = nullptr;
    QLineEdit* other = nullptr;
};

TEST_F(FloatEditTest, StartsAtZeroWithTheDefaultChecks) {
    EXPECT_EQ(edit->text(), "0");
    EXPECT_EQ(edit->Validate(), TValidityCheck(veOnExit | veOnKeyPress));
    EXPECT_EQ(edit->InvalidAction(), TInvalidAction(vaNormalize | vaIgnoreChar | vaFocusBack));
}

TEST_F(FloatEditTest, TypedLetterIsDroppedSilently) {
    MarginField();
    Enter("");
    QTest::keyClicks(edit, "2a,x5");
    EXPECT_EQ(edit->text(), "2,5");
    QTest::keyClicks(edit, "E1");
    EXPECT_EQ(edit->text(), "2,5E1");
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), "2,5E");
    // The point is no decimal mark here.
    QTest::keyClicks(edit, ".");
    EXPECT_EQ(edit->text(), "2,5E");
    EXPECT_TRUE(errors.empty());
}

TEST_F(FloatEditTest, OutOfRangeRaisesAndPutsTheFocusBack) {
    MarginField();
    Enter("7");
    Leave();
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->selectedText(), "7");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], QString::fromUtf8("Wert muß zwischen 0 und 5 liegen"));

    // The same through the check itself.
    try {
        edit->Check();
        ADD_FAILURE() << "no EValidation";
    } catch (const EValidation& e) {
        EXPECT_EQ(e.Message(), QString::fromUtf8("Wert muß zwischen 0 und 5 liegen"));
    }
    EXPECT_EQ(edit->text(), "7");
}

TEST_F(FloatEditTest, HidingTheFieldOrWindowDoesNotCheck) {
    MarginField();
    Enter("7");
    edit->hide();
    EXPECT_TRUE(errors.empty());
    edit->show();
    Enter("7");
    form->hide();
    EXPECT_TRUE(errors.empty());
}

TEST_F(FloatEditTest, LeavingNormalisesTheNumber) {
    MarginField();
    Enter("2,50");
    Leave();
    EXPECT_TRUE(other->hasFocus());
    EXPECT_EQ(edit->text(), "2,5");
    EXPECT_DOUBLE_EQ(edit->Value(), 2.5);
    Enter(" 4,0 ");
    Leave();
    EXPECT_EQ(edit->text(), "4");
    EXPECT_TRUE(errors.empty());
}

TEST_F(FloatEditTest, BadNumberSelectsFromTheFirstCommaWithoutRaising) {
    Enter("1,2,3");
    Leave();
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(edit->ErrorPosition(), 2);
    EXPECT_EQ(edit->selectedText(), ",2,3");
    EXPECT_EQ(edit->text(), "1,2,3");
    EXPECT_TRUE(errors.empty());
    EXPECT_FALSE(edit->Check());
    // Text that is no number reads as the lower limit.
    edit->SetLowerLimit(1.5);
    EXPECT_DOUBLE_EQ(edit->Value(), 1.5);
}

TEST_F(FloatEditTest, PointIsNoDecimalMarkOnAGermanSystem) {
    Enter("1.5");
    EXPECT_FALSE(edit->Check());
    Enter("1.000");
    EXPECT_FALSE(edit->Check()) << "group separators are not numbers";
    Enter("x");
    EXPECT_FALSE(edit->Check());
    EXPECT_EQ(edit->ErrorPosition(), 1);
}

TEST_F(FloatEditTest, EqualLimitsMeanNoRangeCheck) {
    Enter("1000000");
    EXPECT_TRUE(edit->Check());
    EXPECT_EQ(edit->text(), "1000000");
    Enter("-3");
    EXPECT_TRUE(edit->Check());
}

TEST_F(FloatEditTest, FocusExceptionNamesTextAndField) {
    edit->SetInvalidAction(vaFocusBack | vaFocusException);
    Enter("1,2,3");
    EXPECT_THROW(edit->Check(), EValidation);
    Leave();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Falscher Eintrag 1,2,3 im Feld edRandLinks");
    EXPECT_TRUE(edit->hasFocus());
}

TEST_F(FloatEditTest, InvalidCharExceptionNamesTheLetter) {
    edit->SetInvalidAction(vaIgnoreChar | vaInvalidCharException);
    Enter("1");
    QTest::keyClicks(edit, "q");
    EXPECT_EQ(edit->text(), "1");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "Falscher Buchstabe q in der Eingabe!");
}

TEST_F(FloatEditTest, CharHandlerMayTranslateTheKey) {
    edit->OnInvalidChar = [](QObject*, QChar& key) {
        if (key == u'.')
            key = u',';
    };
    Enter("");
    QTest::keyClicks(edit, "2.5");
    EXPECT_EQ(edit->text(), "2,5");
}

TEST_F(FloatEditTest, EntryHandlerMayCorrectTheText) {
    edit->OnInvalidEntry = [](QObject*, QString& text, bool& valid) {
        text.replace('.', ',');
        valid = true;
    };
    Enter("3.25");
    EXPECT_TRUE(edit->Check());
    EXPECT_EQ(edit->text(), "3,25");
}

TEST_F(FloatEditTest, IgnoreAcceptsBadInputButStillChecksTheRange) {
    edit->SetInvalidAction(vaIgnore | vaNormalize | vaFocusBack);
    edit->SetUpperLimit(5);
    Enter("");
    QTest::keyClicks(edit, "1x");
    EXPECT_EQ(edit->text(), "1x");
    EXPECT_TRUE(edit->Check());
    EXPECT_EQ(edit->text(), "1x") << "text that is no number is kept";
    edit->setText("9");
    EXPECT_FALSE(edit->Check());
}

TEST_F(FloatEditTest, EnterCheckRunsOnlyWhenAsked) {
    edit->SetValidate(veOnEnter);
    edit->SetUpperLimit(5);
    edit->SetInvalidAction(vaOutOfRangeException);
    edit->setText("8");
    other->setFocus(Qt::TabFocusReason);
    edit->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(errors.size(), 1u);
    errors.clear();
    Leave();
    EXPECT_TRUE(errors.empty()) << "no check on leaving";
}

TEST_F(FloatEditTest, ValueIsWrittenInTheGeneralFormat) {
    edit->SetValue(2.5);
    EXPECT_EQ(edit->text(), "2,5");
    edit->SetValue(1234.5);
    EXPECT_EQ(edit->text(), "1234,5");
    edit->SetValue(1e20);
    EXPECT_EQ(edit->text(), "1E20");
    edit->SetValue(0.00001);
    EXPECT_EQ(edit->text(), "1E-5");
    edit->SetValue(1.0 / 3.0);
    EXPECT_EQ(edit->text(), "0,333333333333333");
    EXPECT_EQ(TQTXFloatEdit::FormatGeneral(2.5, QLocale::c()), "2.5");
}

TEST_F(FloatEditTest, CloseQueryRunsAfterTheWindowsOwnHandler) {
    std::vector<QString> log;
    form->log = &log;
    edit->SetUpperLimit(5);
    edit->SetOnOwnerCloseQuery(
        [&log](QObject*, bool& canClose) { log.push_back(canClose ? "edit:yes" : "edit:no"); });
    EXPECT_TRUE(edit->Validate() & veOnOwnerCloseQuery);
    edit->setText("6");
    EXPECT_FALSE(form->close());
    EXPECT_EQ(log, (std::vector<QString>{"form", "edit:no"}));
    EXPECT_TRUE(form->isVisible());

    // The window's own refusal skips the check.
    log.clear();
    form->allow = false;
    edit->setText("3");
    EXPECT_FALSE(form->close());
    EXPECT_EQ(log, (std::vector<QString>{"form", "edit:no"}));

    log.clear();
    form->allow = true;
    EXPECT_TRUE(form->close());
    EXPECT_EQ(log, (std::vector<QString>{"form", "edit:yes"}));

    edit->SetOnOwnerCloseQuery({});
    EXPECT_FALSE(edit->Validate() & veOnOwnerCloseQuery);
}

TEST_F(FloatEditTest, CloseQueryErrorKeepsTheWindowOpen) {
    MarginField();
    edit->SetValidate(edit->Validate() | veOnOwnerCloseQuery);
    edit->setText("9");
    EXPECT_FALSE(form->close());
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_THROW(TQTXValidateEdit::QueryOwnerClose(form.get()), EValidation);
    edit->setText("4");
    EXPECT_TRUE(TQTXValidateEdit::QueryOwnerClose(form.get()));
    EXPECT_TRUE(form->close());
}

TEST(ValidateEditTest, EditInAPanelBuiltBeforeItsFormJoinsTheFormsCloseQuery) {
    QWidget form;
    auto* panel = new QWidget;
    auto* edit = new TQTXFloatEdit(panel);
    edit->SetUpperLimit(5);
    edit->SetValidate(edit->Validate() | veOnOwnerCloseQuery);
    edit->setText("8");
    panel->setParent(&form);
    form.show();
    EXPECT_FALSE(form.close());
    edit->setText("3");
    EXPECT_TRUE(form.close());
}

TEST(ValidateEditTest, BaseEditTrimsBlanksAndControls) {
    QWidget form;
    TQTXValidateEdit edit(&form);
    EXPECT_EQ(edit.text(), "");
    edit.setText(" \t abc \x01 ");
    EXPECT_TRUE(edit.Check());
    EXPECT_EQ(edit.text(), "abc");
    QChar key = u'x';
    EXPECT_TRUE(edit.Check(key));
    EXPECT_EQ(key, u'x');
}

TEST(ValidateEditTest, EnglishSystemUsesThePoint) {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QWidget form;
    TQTXFloatEdit edit(&form);
    edit.setText("2.50");
    EXPECT_TRUE(edit.Check());
    EXPECT_EQ(edit.text(), "2.5");
    edit.setText("2,5");
    EXPECT_FALSE(edit.Check());
    QLocale::setDefault(QLocale::c());
}

} // namespace
