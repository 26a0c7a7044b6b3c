#include "uKNSpinEdit.h"

#include "uWidgetErrors.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <exception>

// -------------------------------------------------------------------------
// TKNTimerSpeedButton

namespace {
constexpr int kFirstRepeatMs = 400;
constexpr int kNextRepeatMs = 100;
} // namespace

TKNTimerSpeedButton::TKNTimerSpeedButton(QWidget* parent) : QToolButton(parent) {
    setAutoRaise(true);
    setFocusPolicy(Qt::NoFocus);
    connect(this, &QAbstractButton::clicked, this, [this] {
        try {
            if (OnClick)
                OnClick();
        } catch (const std::exception& ex) {
            ReportWidgetError(this, QString::fromUtf8(ex.what()));
        }
    });
}

void TKNTimerSpeedButton::SetTimeBtnState(int state) {
    state_ = state;
    if (!(state_ & tbAllowTimer))
        StopRepeat();
    update();
}

bool TKNTimerSpeedButton::RepeatActive() const {
    return timer_ && timer_->isActive();
}

int TKNTimerSpeedButton::RepeatInterval() const {
    return timer_ ? timer_->interval() : 0;
}

void TKNTimerSpeedButton::StopRepeat() {
    if (timer_)
        timer_->stop();
}

void TKNTimerSpeedButton::RepeatTimerExpired() {
    if (timer_)
        timer_->setInterval(kNextRepeatMs);
    if (!isDown())
        return;
    try {
        if (OnClick)
            OnClick();
    } catch (...) {
        StopRepeat();
        throw;
    }
}

void TKNTimerSpeedButton::mousePressEvent(QMouseEvent* e) {
    QToolButton::mousePressEvent(e);
    if ((state_ & tbAllowTimer) && isDown()) {
        if (!timer_) {
            timer_ = new QTimer(this);
            connect(timer_, &QTimer::timeout, this, [this] {
                try {
                    RepeatTimerExpired();
                } catch (const std::exception& ex) {
                    ReportWidgetError(this, QString::fromUtf8(ex.what()));
                }
            });
        }
        timer_->start(kFirstRepeatMs);
    }
}

void TKNTimerSpeedButton::mouseReleaseEvent(QMouseEvent* e) {
    StopRepeat();
    QToolButton::mouseReleaseEvent(e);
}

void TKNTimerSpeedButton::paintEvent(QPaintEvent* e) {
    QToolButton::paintEvent(e);
    if (!(state_ & tbFocusRect))
        return;
    QPainter p(this);
    QStyleOptionFocusRect opt;
    opt.initFrom(this);
    opt.rect = rect().adjusted(3, 3, -3, -3);
    if (isDown())
        opt.rect.translate(1, 1);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &opt, &p, this);
}

// -------------------------------------------------------------------------
// TKNSpinButton

// The strip between the arrows: a plain area in the button-shadow colour.
class TKNSpinStrip : public QWidget {
public:
    explicit TKNSpinStrip(TKNSpinButton* owner) : QWidget(owner), owner_(owner) {
        setCursor(Qt::SizeVerCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Dark));
    }
    void mousePressEvent(QMouseEvent* e) override {
        if (e->button() == Qt::LeftButton)
            owner_->StripPress(qRound(e->position().y()));
    }
    void mouseMoveEvent(QMouseEvent* e) override {
        owner_->StripMove(qRound(e->position().y()), e->buttons() & Qt::LeftButton);
    }
    void mouseReleaseEvent(QMouseEvent*) override { owner_->StripRelease(); }

private:
    TKNSpinButton* owner_;
};

TKNSpinButton::TKNSpinButton(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setMinimumWidth(16);
    up_ = new TKNTimerSpeedButton(this);
    down_ = new TKNTimerSpeedButton(this);
    strip_ = new TKNSpinStrip(this);
    for (TKNTimerSpeedButton* b : {up_, down_}) {
        b->SetTimeBtnState(TKNTimerSpeedButton::tbAllowTimer);
        connect(b, &QAbstractButton::pressed, this, [this, b] { ArrowPressed(b); });
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    up_->OnClick = [this] { Up(); };
    down_->OnClick = [this] { Down(); };
    focused_ = up_;
    resize(20, 15);
    Layout();
}

QWidget* TKNSpinButton::DragStrip() const {
    return strip_;
}

void TKNSpinButton::Up() {
    if (OnUpClick)
        OnUpClick(this);
}

void TKNSpinButton::Down() {
    if (OnDownClick)
        OnDownClick(this);
}

static void ApplyGlyph(TKNTimerSpeedButton* b, const QPixmap& glyph, Qt::ArrowType arrow) {
    if (glyph.isNull()) {
        b->setIcon(QIcon());
        b->setArrowType(arrow);
    } else {
        b->setArrowType(Qt::NoArrow);
        b->setIcon(QIcon(glyph));
        b->setIconSize(glyph.deviceIndependentSize().toSize());
    }
}

void TKNSpinButton::SetUpGlyph(const QPixmap& glyph) {
    upGlyph_ = glyph;
    ApplyGlyph(up_, glyph, Qt::UpArrow);
}

void TKNSpinButton::SetDownGlyph(const QPixmap& glyph) {
    downGlyph_ = glyph;
    ApplyGlyph(down_, glyph, Qt::DownArrow);
}

void TKNSpinButton::Layout() {
    const int w = std::max(16, width());
    const int h = height() / 2;
    const int total = height();
    up_->setGeometry(1, 0, w - 1, h - 1);
    strip_->setGeometry(1, h - 1, w, total - h + 1);
    down_->setGeometry(1, total - h + 1, w - 1, h - 1);
    down_->raise();
    up_->raise();
}

void TKNSpinButton::resizeEvent(QResizeEvent*) {
    Layout();
}

void TKNSpinButton::SetFocusBtn(TKNTimerSpeedButton* button) {
    if (focused_ == button)
        return;
    if (hasFocus()) {
        focused_->SetTimeBtnState(focused_->TimeBtnState() & ~TKNTimerSpeedButton::tbFocusRect);
        button->SetTimeBtnState(button->TimeBtnState() | TKNTimerSpeedButton::tbFocusRect);
    }
    focused_ = button;
}

void TKNSpinButton::ArrowPressed(TKNTimerSpeedButton* button) {
    SetFocusBtn(button);
    QWidget* fc = focusControl_;
    if (fc && (fc->focusPolicy() & Qt::TabFocus) && fc->isEnabled() && fc->isVisible()) {
        if (!fc->hasFocus())
            fc->setFocus(Qt::MouseFocusReason);
    } else if (TabStop() && !hasFocus() && isEnabled() && isVisible()) {
        setFocus(Qt::MouseFocusReason);
    }
}

void TKNSpinButton::keyPressEvent(QKeyEvent* e) {
    switch (e->key()) {
    case Qt::Key_Space:
        focused_->click();
        break;
    case Qt::Key_Up:
        SetFocusBtn(up_);
        up_->click();
        break;
    case Qt::Key_Down:
        SetFocusBtn(down_);
        down_->click();
        break;
    default:
        QWidget::keyPressEvent(e);
        return;
    }
    e->accept();
}

void TKNSpinButton::focusInEvent(QFocusEvent* e) {
    focused_->SetTimeBtnState(focused_->TimeBtnState() | TKNTimerSpeedButton::tbFocusRect);
    QWidget::focusInEvent(e);
}

void TKNSpinButton::focusOutEvent(QFocusEvent* e) {
    focused_->SetTimeBtnState(focused_->TimeBtnState() & ~TKNTimerSpeedButton::tbFocusRect);
    QWidget::focusOutEvent(e);
}

void TKNSpinButton::StripPress(int y) {
    dragY_ = y;
}

void TKNSpinButton::StripMove(int y, bool leftHeld) {
    if (!leftHeld)
        return;
    for (int i = y; i < dragY_; ++i)
        Up();
    for (int i = dragY_; i < y; ++i)
        Down();
    dragY_ = y;
}

void TKNSpinButton::StripRelease() {
    dragY_ = 0;
}

// -------------------------------------------------------------------------
// TKNSpinEdit

TKNSpinEdit::TKNSpinEdit(QWidget* parent) : QLineEdit(parent) {
    button_ = new TKNSpinButton(this);
    button_->resize(15, 18);
    button_->setCursor(Qt::ArrowCursor);
    button_->SetFocusControl(this);
    button_->OnUpClick = [this](QObject*) { UpClick(); };
    button_->OnDownClick = [this](QObject*) { DownClick(); };
    setText(QStringLiteral("0"));
    PlaceButton();
}

void TKNSpinEdit::SetEditorEnabled(bool on) {
    editorEnabled_ = on;
    setAcceptDrops(on);
}

int TKNSpinEdit::CheckValue(long long v) const {
    if (min_ != max_)
        v = std::clamp<long long>(v, min_, max_);
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

int TKNSpinEdit::Value() const {
    bool ok = false;
    const int v = text().trimmed().toInt(&ok);
    return ok ? v : min_;
}

void TKNSpinEdit::SetValue(int v) {
    setText(QString::number(CheckValue(v)));
}

bool TKNSpinEdit::IsValidChar(QChar key) const {
    const char16_t u = key.unicode();
    bool valid = u == u'+' || u == u'-' || (u >= u'0' && u <= u'9') || (u < 32 && u != 13);
    if (!editorEnabled_ && valid && (u >= 32 || u == 8))
        valid = false;
    return valid;
}

void TKNSpinEdit::UpClick() {
    if (isReadOnly())
        QApplication::beep();
    else
        SetValue(CheckValue(static_cast<long long>(Value()) + increment_));
}

void TKNSpinEdit::DownClick() {
    if (isReadOnly())
        QApplication::beep();
    else
        SetValue(CheckValue(static_cast<long long>(Value()) - increment_));
}

void TKNSpinEdit::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Up) {
        UpClick();
        e->accept();
        return;
    }
    if (e->key() == Qt::Key_Down) {
        DownClick();
        e->accept();
        return;
    }
    // Keys that change the text without typing a character.
    const bool editing = e->key() == Qt::Key_Delete || e->matches(QKeySequence::Cut) ||
                         e->matches(QKeySequence::Paste) || e->matches(QKeySequence::Undo) ||
                         e->matches(QKeySequence::Redo) ||
                         e->matches(QKeySequence::DeleteEndOfWord) ||
                         e->matches(QKeySequence::DeleteStartOfWord);
    if (editing && !editorEnabled_) {
        QApplication::beep();
        e->accept();
        return;
    }
    const QString typed = e->text();
    if (typed.size() == 1) {
        const char16_t u = typed[0].unicode();
        const bool checked = u == 8 || (u >= 32 && u != 127);
        if (checked && !IsValidChar(typed[0])) {
            QApplication::beep();
            e->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(e);
}

void TKNSpinEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    if (autoSelect_ && !(QGuiApplication::mouseButtons() & Qt::LeftButton))
        selectAll();
}

void TKNSpinEdit::focusOutEvent(QFocusEvent* e) {
    // Show the value that counts: clamped, and as a plain number also when
    // the text was none.
    const int clamped = CheckValue(Value());
    if (text() != QString::number(clamped))
        SetValue(clamped);
    QLineEdit::focusOutEvent(e);
}

void TKNSpinEdit::contextMenuEvent(QContextMenuEvent* e) {
    QMenu* menu = createStandardContextMenu();
    if (!editorEnabled_) {
        for (QAction* a : menu->actions()) {
            const QString n = a->objectName();
            if (n == u"edit-cut" || n == u"edit-paste" || n == u"edit-delete" ||
                n == u"edit-undo" || n == u"edit-redo")
                a->setEnabled(false);
        }
    }
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(e->globalPos());
}

int TKNSpinEdit::MinHeight() const {
    const int text = fontMetrics().height();
    const int sys = QFontMetrics(QApplication::font()).height();
    return text + std::min(text, sys) / 4 + 4 * 1 + 2;
}

QSize TKNSpinEdit::sizeHint() const {
    QSize s = QLineEdit::sizeHint();
    s.setHeight(std::max(s.height(), MinHeight()));
    return s;
}

QSize TKNSpinEdit::minimumSizeHint() const {
    QSize s = QLineEdit::minimumSizeHint();
    s.setHeight(std::max(s.height(), MinHeight()));
    return s;
}

void TKNSpinEdit::PlaceButton() {
    const int bw = button_->width();
    if (hasFrame()) {
        // Inside the frame, overlapping its top edge by one pixel.
        const int f = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
        button_->setGeometry(width() - bw - f, f - 1, bw, height() - 2 * f + 1);
    } else {
        button_->setGeometry(width() - bw, 1, bw, height() - 3);
    }
    setTextMargins(0, 0, bw + 2, 0);
}

void TKNSpinEdit::resizeEvent(QResizeEvent* e) {
    QLineEdit::resizeEvent(e);
    PlaceButton();
}
