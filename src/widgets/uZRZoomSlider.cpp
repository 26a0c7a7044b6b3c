#include "uZRZoomSlider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
constexpr int kRepeatMs = 200;
constexpr int kGrip = 4; // pixels around the thumb's centre that grab it
} // namespace

TZRZoomSlider::TZRZoomSlider(QWidget* parent) : QWidget(parent) {
    resize(10, 150);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    color_ = palette().color(QPalette::Button);
    timer_ = new QTimer(this);
    timer_->setInterval(kRepeatMs);
    connect(timer_, &QTimer::timeout, this, [this] { PageStep(); });
}

void TZRZoomSlider::SetMin(int v) {
    if (v > max_)
        return;
    min_ = v;
    position_ = std::clamp(position_, min_, max_);
    update();
}

void TZRZoomSlider::SetMax(int v) {
    if (v < min_)
        return;
    max_ = v;
    position_ = std::clamp(position_, min_, max_);
    update();
}

void TZRZoomSlider::SetPosition(int v) {
    v = std::clamp(v, min_, max_);
    if (v == position_)
        return;
    position_ = v;
    update();
}

void TZRZoomSlider::SetColor(const QColor& c) {
    color_ = c;
    update();
}

int TZRZoomSlider::PosToY(int v) const {
    if (max_ == min_)
        return 0;
    const double y = static_cast<double>(height() - 6) * (static_cast<double>(v) - min_) /
                         (static_cast<double>(max_) - min_) +
                     3;
    return static_cast<int>(std::trunc(y));
}

int TZRZoomSlider::YToPos(int y) const {
    if (height() == 6)
        return 0;
    const double v = (static_cast<double>(max_) - min_) * (y - 3) / (height() - 6) + min_;
    return static_cast<int>(std::clamp(std::trunc(v), -2147483648.0, 2147483647.0));
}

bool TZRZoomSlider::Repeating() const {
    return timer_->isActive();
}

int TZRZoomSlider::RepeatInterval() const {
    return timer_->interval();
}

void TZRZoomSlider::Change() {
    if (OnChange)
        OnChange(this);
}

void TZRZoomSlider::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const int w = width();
    const int h = height();
    p.fillRect(rect(), color_);
    // Track from (3, 3) to (w - 3, h - 3), right and bottom edges exclusive.
    const QRect track(3, 3, w - 6, h - 6);
    if (track.width() > 0 && track.height() > 0) {
        p.fillRect(track, palette().color(isEnabled() ? QPalette::Base : QPalette::Button));
        p.setPen(palette().color(QPalette::Dark));
        p.setBrush(Qt::NoBrush);
        p.drawRect(track.adjusted(0, 0, -1, -1));
    }
    if (!isEnabled())
        return;
    const int y = PosToY(position_);
    const QRect thumb(0, y - 3, w, 6);
    p.fillRect(thumb, QColor(192, 192, 192));
    p.setPen(QColor(128, 128, 128));
    p.drawRect(thumb.adjusted(0, 0, -1, -1));
}

void TZRZoomSlider::keyPressEvent(QKeyEvent* e) {
    QWidget::keyPressEvent(e);
    const int old = position_;
    switch (e->key()) {
    case Qt::Key_PageUp:
        SetPosition(position_ - pageSize_);
        break;
    case Qt::Key_PageDown:
        SetPosition(position_ + pageSize_);
        break;
    case Qt::Key_End:
        SetPosition(max_);
        break;
    case Qt::Key_Home:
        SetPosition(min_);
        break;
    case Qt::Key_Up:
        SetPosition(position_ - lineSize_);
        break;
    case Qt::Key_Down:
        SetPosition(position_ + lineSize_);
        break;
    default:
        return;
    }
    e->accept();
    if (position_ != old)
        Change();
}

void TZRZoomSlider::mousePressEvent(QMouseEvent* e) {
    if (focusPolicy() & Qt::TabFocus)
        setFocus(Qt::MouseFocusReason);
    if (e->button() != Qt::LeftButton)
        return;
    pointerY_ = qRound(e->position().y());
    const int thumbY = PosToY(position_);
    if (std::abs(pointerY_ - thumbY) > kGrip) {
        PageStep();
        return;
    }
    dragging_ = true;
    grabOffset_ = pointerY_ - thumbY;
}

void TZRZoomSlider::mouseMoveEvent(QMouseEvent* e) {
    pointerY_ = qRound(e->position().y());
    if (dragging_) {
        const int old = position_;
        SetPosition(YToPos(pointerY_ - grabOffset_));
        if (position_ != old)
            Change();
        repaint();
        return;
    }
    const bool overThumb = std::abs(pointerY_ - PosToY(position_)) <= kGrip;
    setCursor(overThumb ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TZRZoomSlider::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
    timer_->stop();
}

void TZRZoomSlider::PageStep() {
    timer_->stop();
    const int thumbY = PosToY(position_);
    if (thumbY < pointerY_) {
        if (PosToY(position_ + pageSize_) < pointerY_)
            SetPosition(position_ + pageSize_);
    } else {
        if (PosToY(position_ - pageSize_) > pointerY_)
            SetPosition(position_ - pageSize_);
    }
    Change();
    timer_->start(kRepeatMs);
}

void TZRZoomSlider::changeEvent(QEvent* e) {
    if (e->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(e);
}
