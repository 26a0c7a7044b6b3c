#pragma once
// Single-line edits that check their content at chosen moments (entering,
// leaving, per typed character, when the owning window is about to close)
// and react to bad input as configured: ignore the character, tidy the text,
// put the focus back, or raise EValidation with a German message.
//
// TQTXFloatEdit holds a floating-point number in the user's locale
// (a German system writes 2,5) with optional limits.

#include "uException.h"

#include <QFlags>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>

#include <functional>

class EValidation : public Exception {
public:
    using Exception::Exception;
};

enum TValCheck {
    veIgnore = 1 << 0,
    veOnOwnerCloseQuery = 1 << 1,
    veOnEnter = 1 << 2,
    veOnExit = 1 << 3,
    veOnKeyPress = 1 << 4,
};
Q_DECLARE_FLAGS(TValidityCheck, TValCheck)
Q_DECLARE_OPERATORS_FOR_FLAGS(TValidityCheck)

enum TValAction {
    vaIgnore = 1 << 0,
    vaNormalize = 1 << 1,
    vaIgnoreChar = 1 << 2,
    vaFocusBack = 1 << 3,
    vaFocusException = 1 << 4,
    vaOutOfRangeException = 1 << 5,
    vaInvalidCharException = 1 << 6,
};
Q_DECLARE_FLAGS(TInvalidAction, TValAction)
Q_DECLARE_OPERATORS_FOR_FLAGS(TInvalidAction)

// (sender, text in/out, valid in/out)
using TValidationEvent = std::function<void(QObject*, QString&, bool&)>;
// (sender, key in/out)
using TCharValidationEvent = std::function<void(QObject*, QChar&)>;
// (sender, may close in/out)
using TCloseQueryEvent = std::function<void(QObject*, bool&)>;

class TCloseQueryHub;

class TQTXValidateEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TQTXValidateEdit(QWidget* parent = nullptr);
    ~TQTXValidateEdit() override;

    TValidationEvent OnInvalidEntry;
    TValidationEvent OnInvalidRange;
    TCharValidationEvent OnInvalidChar;

    TValidityCheck Validate() const { return validate_; }
    void SetValidate(TValidityCheck v) { validate_ = v; }
    TInvalidAction InvalidAction() const { return action_; }
    void SetInvalidAction(TInvalidAction a) { action_ = a; }

    // Assigning a handler also turns the check on closing the window on;
    // clearing it turns that check off.
    const TCloseQueryEvent& OnOwnerCloseQuery() const { return onOwnerCloseQuery_; }
    void SetOnOwnerCloseQuery(TCloseQueryEvent handler);

    // 1-based position of the first bad character found by the last check,
    // 0 when there was none.
    int ErrorPosition() const { return errorPos_; }

    // The central check. A non-null key checks that typed character (and may
    // replace it by the null character, meaning: drop it); the null
    // character checks the whole content. Answers whether the input is
    // valid; raises EValidation where InvalidAction asks for it.
    bool Check(QChar& key);
    bool Check() {
        QChar none;
        return Check(none);
    }

    // This edit's part of its window's close query: runs the check when
    // veOnOwnerCloseQuery is set, then OnOwnerCloseQuery.
    bool OwnerCloseQuery(bool canClose);

    // Runs the close query of every validating edit in the window, in order
    // of creation, and answers whether the window may close. A window's
    // close event runs it by itself, after the window's own closeEvent; a
    // dialog calls it from accept() (a dialog's close event is its cancel).
    static bool QueryOwnerClose(QWidget* window);

protected:
    virtual bool IsValidEntry();
    virtual bool IsValidChar(QChar key);
    virtual bool IsValidRange();
    virtual void Normalize();
    virtual void FocusBack();
    virtual QString RangeMessage();

    bool event(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

    int errorPos_ = 0;

private:
    void AttachToOwner();

    TValidityCheck validate_ = veOnExit | veOnKeyPress;
    TInvalidAction action_ = vaNormalize | vaIgnoreChar | vaFocusBack;
    TCloseQueryEvent onOwnerCloseQuery_;
    QPointer<TCloseQueryHub> hub_;
};

class TQTXFloatEdit : public TQTXValidateEdit {
    Q_OBJECT
public:
    explicit TQTXFloatEdit(QWidget* parent = nullptr);

    // Limits; equal limits (the default 0 and 0) mean no range check.
    double UpperLimit() const { return upper_; }
    void SetUpperLimit(double v) { upper_ = v; }
    double LowerLimit() const { return lower_; }
    void SetLowerLimit(double v) { lower_ = v; }

    // The text as a number in the locale's format; text that is no number
    // reads as LowerLimit. Writing shows up to 15 significant digits.
    double Value() const;
    void SetValue(double v);

    // A number in the general format of the given locale: up to 15
    // significant digits, no group separators, "1E20" style exponents.
    static QString FormatGeneral(double v, const QLocale& locale);

protected:
    bool IsValidEntry() override;
    bool IsValidChar(QChar key) override;
    bool IsValidRange() override;
    void Normalize() override;
    QString RangeMessage() override;

private:
    bool ToNumber(const QString& s, double& v) const;

    double upper_ = 0;
    double lower_ = 0;
    QLocale locale_;
    QChar decimal_;
};
