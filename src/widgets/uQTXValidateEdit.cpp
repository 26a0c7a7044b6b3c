#include "uQTXValidateEdit.h"

#include "uWidgetErrors.h"

#include <QCloseEvent>
#include <QDialog>
#include <QFocusEvent>
#include <QKeyEvent>

#include <cmath>
#include <vector>

// One per window: keeps the window's validating edits in order of creation
// and runs their close query after the window's own close handling.
class TCloseQueryHub : public QObject {
public:
    explicit TCloseQueryHub(QWidget* window) : QObject(window), window_(window) {
        window->installEventFilter(this);
    }

    static TCloseQueryHub* Of(QWidget* window, bool create) {
        for (QObject* child : window->children()) {
            if (auto* hub = dynamic_cast<TCloseQueryHub*>(child))
                return hub;
        }
        return create ? new TCloseQueryHub(window) : nullptr;
    }

    QWidget* Window() const { return window_; }
    void Add(TQTXValidateEdit* edit) { edits_.push_back(edit); }
    void Remove(TQTXValidateEdit* edit) {
        std::erase_if(edits_, [edit](const QPointer<TQTXValidateEdit>& p) { return p == edit; });
    }

    bool Query(bool canClose) {
        // A copy: a handler may create or delete edits.
        const auto edits = edits_;
        for (const auto& edit : edits) {
            if (edit)
                canClose = edit->OwnerCloseQuery(canClose);
        }
        return canClose;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (watched != window_ || e->type() != QEvent::Close)
            return false;
        // A dialog's close event is its cancel: the input is discarded, there
        // is nothing to check.
        if (qobject_cast<QDialog*>(window_))
            return false;
        auto* ce = static_cast<QCloseEvent*>(e);
        // The window's own close handling runs first.
        static_cast<QObject*>(window_)->event(ce);
        bool canClose = ce->isAccepted();
        try {
            canClose = Query(canClose);
        } catch (const EValidation& ex) {
            canClose = false;
            ReportWidgetError(window_, ex.Message());
        }
        ce->setAccepted(canClose);
        return true;
    }

private:
    QWidget* window_;
    std::vector<QPointer<TQTXValidateEdit>> edits_;
};

namespace {

// Focus changes inside the window, not the window losing or gaining the
// activation (switching to another program) nor a popup menu.
bool IsFieldChange(Qt::FocusReason r) {
    return r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason;
}

// Typed characters that take part in the character check: printable
// characters and backspace. Enter, Escape, Tab and control shortcuts
// (copy, paste, select all) keep their usual meaning.
bool IsCheckedChar(QChar c) {
    const char16_t u = c.unicode();
    return u == 8 || (u >= 32 && u != 127);
}

} // namespace

// -------------------------------------------------------------------------
// TQTXValidateEdit

TQTXValidateEdit::TQTXValidateEdit(QWidget* parent) : QLineEdit(parent) {
    AttachToOwner();
}

TQTXValidateEdit::~TQTXValidateEdit() {
    if (hub_)
        hub_->Remove(this);
}

void TQTXValidateEdit::AttachToOwner() {
    if (hub_)
        hub_->Remove(this);
    hub_ = nullptr;
    if (!parentWidget())
        return;
    hub_ = TCloseQueryHub::Of(window(), true);
    hub_->Add(this);
}

void TQTXValidateEdit::SetOnOwnerCloseQuery(TCloseQueryEvent handler) {
    onOwnerCloseQuery_ = std::move(handler);
    if (onOwnerCloseQuery_)
        validate_ |= veOnOwnerCloseQuery;
    else
        validate_ &= ~TValidityCheck(veOnOwnerCloseQuery);
}

bool TQTXValidateEdit::OwnerCloseQuery(bool canClose) {
    if (canClose && (validate_ & veOnOwnerCloseQuery))
        canClose = Check();
    if (onOwnerCloseQuery_)
        onOwnerCloseQuery_(this, canClose);
    return canClose;
}

bool TQTXValidateEdit::QueryOwnerClose(QWidget* window) {
    if (!window)
        return true;
    TCloseQueryHub* hub = TCloseQueryHub::Of(window, false);
    return hub ? hub->Query(true) : true;
}

bool TQTXValidateEdit::Check(QChar& key) {
    const bool act = action_ && !(action_ & vaIgnore);

    if (!key.isNull()) {
        bool valid = IsValidChar(key);
        if (!valid && act) {
            if (OnInvalidChar) {
                OnInvalidChar(this, key);
                valid = IsValidChar(key);
            }
            if (!valid) {
                // The message names the character the user typed, also when
                // it is being dropped.
                const QChar shown = key;
                if (action_ & vaIgnoreChar)
                    key = QChar();
                if (action_ & vaInvalidCharException)
                    throw EValidation(
                        QStringLiteral("Falscher Buchstabe %1 in der Eingabe!").arg(shown));
            }
        }
        return valid;
    }

    bool valid = IsValidEntry();
    if (!valid && act) {
        QString t = text();
        if (OnInvalidEntry)
            OnInvalidEntry(this, t, valid);
        if (!valid) {
            if (action_ & vaFocusBack)
                FocusBack();
            if (action_ & vaFocusException)
                throw EValidation(
                    QStringLiteral("Falscher Eintrag %1 im Feld %2").arg(text(), objectName()));
            return false;
        }
        setText(t);
    }

    valid = IsValidRange();
    if (!valid) {
        QString t = text();
        if (OnInvalidRange)
            OnInvalidRange(this, t, valid);
        if (!valid) {
            if (action_ & vaFocusBack)
                FocusBack();
            if (action_ & vaOutOfRangeException)
                throw EValidation(RangeMessage());
            return false;
        }
        setText(t);
    }

    if (action_ & vaNormalize)
        Normalize();
    return true;
}

bool TQTXValidateEdit::IsValidEntry() {
    errorPos_ = 0;
    return true;
}

bool TQTXValidateEdit::IsValidChar(QChar) {
    errorPos_ = 0;
    return true;
}

bool TQTXValidateEdit::IsValidRange() {
    errorPos_ = 0;
    return true;
}

void TQTXValidateEdit::Normalize() {
    const QString t = text();
    qsizetype b = 0;
    qsizetype e = t.size();
    while (b < e && t[b].unicode() <= 32)
        ++b;
    while (e > b && t[e - 1].unicode() <= 32)
        --e;
    if (b > 0 || e < t.size())
        setText(t.mid(b, e - b));
}

void TQTXValidateEdit::FocusBack() {
    setFocus(Qt::OtherFocusReason);
    selectAll();
    if (errorPos_ >= 1) {
        const int start = std::min<int>(errorPos_ - 1, static_cast<int>(text().size()));
        setSelection(start, static_cast<int>(text().size()) - start);
    }
}

QString TQTXValidateEdit::RangeMessage() {
    return QStringLiteral("Wert muß zwischen %1 und %2 liegen").arg(0).arg(0);
}

bool TQTXValidateEdit::event(QEvent* e) {
    // The owning window may change with the edit's parent or with a parent
    // further up (a panel built first and then put into its form).
    if (e->type() == QEvent::ParentChange ||
        (e->type() == QEvent::Show && (!hub_ || hub_->Window() != window())))
        AttachToOwner();
    return QLineEdit::event(e);
}

void TQTXValidateEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    if ((validate_ & veOnEnter) && IsFieldChange(e->reason())) {
        try {
            Check();
        } catch (const EValidation& ex) {
            ReportWidgetError(this, ex.Message());
        }
    }
}

void TQTXValidateEdit::focusOutEvent(QFocusEvent* e) {
    // Only a move to another field counts, not the field or its window
    // being hidden.
    if ((validate_ & veOnExit) && IsFieldChange(e->reason()) && isVisible()) {
        try {
            Check();
        } catch (const EValidation& ex) {
            ReportWidgetError(this, ex.Message());
        }
        // The check put the focus back: the edit keeps it.
        if (hasFocus())
            return;
    }
    QLineEdit::focusOutEvent(e);
}

void TQTXValidateEdit::keyPressEvent(QKeyEvent* e) {
    const QString typed = e->text();
    if ((validate_ & veOnKeyPress) && typed.size() == 1 && IsCheckedChar(typed[0])) {
        QChar key = typed[0];
        try {
            Check(key);
        } catch (const EValidation& ex) {
            e->accept();
            ReportWidgetError(this, ex.Message());
            return;
        }
        if (key.isNull()) {
            e->accept();
            return;
        }
        if (key != typed[0]) {
            QKeyEvent changed(e->type(), e->key(), e->modifiers(), QString(key), e->isAutoRepeat(),
                              static_cast<ushort>(e->count()));
            QLineEdit::keyPressEvent(&changed);
            e->setAccepted(changed.isAccepted());
            return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

// -------------------------------------------------------------------------
// TQTXFloatEdit

namespace {

// Where the standard string-to-number scan (point as the only decimal mark)
// stops: the 1-based position of the first character it cannot take, 0 when
// it takes the whole text.
int NumberScanStop(const QString& s) {
    const qsizetype n = s.size();
    qsizetype i = 0;
    auto digit = [&](qsizetype k) { return k < n && s[k] >= u'0' && s[k] <= u'9'; };
    while (i < n && s[i] == u' ')
        ++i;
    if (i < n && (s[i] == u'+' || s[i] == u'-'))
        ++i;
    bool digits = false;
    while (digit(i)) {
        ++i;
        digits = true;
    }
    if (i < n && s[i] == u'.') {
        ++i;
        while (digit(i)) {
            ++i;
            digits = true;
        }
    }
    if (!digits)
        return static_cast<int>(i) + 1;
    if (i < n && (s[i] == u'e' || s[i] == u'E')) {
        ++i;
        if (i < n && (s[i] == u'+' || s[i] == u'-'))
            ++i;
        if (!digit(i))
            return static_cast<int>(i) + 1;
        while (digit(i))
            ++i;
    }
    return i < n ? static_cast<int>(i) + 1 : 0;
}

} // namespace

TQTXFloatEdit::TQTXFloatEdit(QWidget* parent) : TQTXValidateEdit(parent) {
    locale_.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    const QString point = locale_.decimalPoint();
    decimal_ = point.isEmpty() ? QChar(u'.') : point[0];
    setText(QStringLiteral("0"));
}

bool TQTXFloatEdit::ToNumber(const QString& s, double& v) const {
    bool ok = false;
    const double d = locale_.toDouble(s.trimmed(), &ok);
    if (!ok || !std::isfinite(d))
        return false;
    v = d;
    return true;
}

double TQTXFloatEdit::Value() const {
    double v = 0;
    return ToNumber(text(), v) ? v : lower_;
}

void TQTXFloatEdit::SetValue(double v) {
    setText(FormatGeneral(v, locale_));
}

QString TQTXFloatEdit::FormatGeneral(double v, const QLocale& locale) {
    QLocale l = locale;
    l.setNumberOptions(QLocale::OmitGroupSeparator);
    QString s = l.toString(v, 'g', 15);
    // Exponent as 1E20 / 1E-5: capital E, no plus sign, no leading zeros.
    const qsizetype e = s.indexOf(QLatin1Char('e'), 0, Qt::CaseInsensitive);
    if (e < 0)
        return s;
    QString exp = s.mid(e + 1);
    bool negative = false;
    if (!exp.isEmpty() && (exp[0] == u'+' || exp[0] == u'-')) {
        negative = exp[0] == u'-';
        exp.remove(0, 1);
    }
    while (exp.size() > 1 && exp[0] == u'0')
        exp.remove(0, 1);
    return s.left(e) + QLatin1Char('E') + (negative ? QStringLiteral("-") : QString()) + exp;
}

bool TQTXFloatEdit::IsValidEntry() {
    bool valid = TQTXValidateEdit::IsValidEntry();
    double v = 0;
    if (!ToNumber(text(), v)) {
        errorPos_ = NumberScanStop(text());
        valid = false;
    }
    return valid;
}

bool TQTXFloatEdit::IsValidChar(QChar key) {
    const bool valid = TQTXValidateEdit::IsValidChar(key);
    const char16_t u = key.unicode();
    const bool accepted = u == 8 || u == u'+' || u == u'-' || (u >= u'0' && u <= u'9') ||
                          u == u'E' || u == u'e' || key == decimal_;
    return valid && accepted;
}

bool TQTXFloatEdit::IsValidRange() {
    const bool valid = TQTXValidateEdit::IsValidRange();
    if (upper_ <= lower_)
        return valid;
    const double v = Value();
    return valid && lower_ <= v && v <= upper_;
}

void TQTXFloatEdit::Normalize() {
    // Text that is no number (accepted under vaIgnore) is kept as typed
    // rather than being replaced by the lower limit.
    double v = 0;
    if (ToNumber(text(), v))
        SetValue(v);
}

QString TQTXFloatEdit::RangeMessage() {
    return QStringLiteral("Wert muß zwischen %1 und %2 liegen")
        .arg(FormatGeneral(lower_, locale_), FormatGeneral(upper_, locale_));
}
