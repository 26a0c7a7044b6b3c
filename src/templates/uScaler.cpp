#include "uScaler.h"

#include "uPrinterInfo.h"
#include "uRound.h"
#include "zrtextwrap.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Rounds half to even, holding results that do not fit 32 bits at the limits.
std::int32_t RoundPixels(double v) {
    if (std::isnan(v))
        return 0;
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    return RoundEven(std::clamp(v, lo, hi));
}

std::int32_t TruncPixels(double v) {
    if (std::isnan(v))
        return 0;
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::trunc(std::clamp(v, lo, hi)));
}

std::int32_t AddPixels(std::int64_t a, std::int64_t b) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        a + b, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

QScreen* PrimaryScreen() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return nullptr;
    return QGuiApplication::primaryScreen();
}

double ScreenDpiX() {
    QScreen* s = PrimaryScreen();
    return s && s->logicalDotsPerInchX() > 0 ? s->logicalDotsPerInchX() : 96.0;
}

double ScreenDpiY() {
    QScreen* s = PrimaryScreen();
    return s && s->logicalDotsPerInchY() > 0 ? s->logicalDotsPerInchY() : 96.0;
}

// The pixel height of a painter font (negative: character height).
int HeightOfFont(const QFont& f, int ppi) {
    if (f.pixelSize() > 0)
        return -f.pixelSize();
    if (f.pointSizeF() > 0)
        return -RoundPixels(f.pointSizeF() * ppi / 72.0);
    return 0;
}

// The em size in pixels for a font whose cell (ascent + descent) is h pixels.
int EmForCellHeight(QFont f, int h) {
    f.setPixelSize(1000);
    const double cell = QFontMetricsF(f).height();
    if (cell <= 0)
        return h;
    return std::max(1, RoundPixels(h * 1000.0 / cell));
}

} // namespace

// ---------------------------------------------------------------- TCustomScaler

TCustomScaler::TCustomScaler() {
    TCustomScaler::Recalculate();
}

void TCustomScaler::Recalculate() {
    shiftX_ = AddPixels(originX_, deviceOffsetX_);
    shiftY_ = AddPixels(originY_, deviceOffsetY_);
    scaleX_ = pixelsPerMMX_ * zoom_;
    scaleY_ = zoom_ * pixelsPerMMY_;
}

void TCustomScaler::SetZoom(float z) {
    zoom_ = z;
    Recalculate();
}

void TCustomScaler::SetDevice(int kind) {
    zoom_ = 1.0f;
    originX_ = originY_ = 0;
    offsetX_ = offsetY_ = 0;
    deviceOffsetX_ = deviceOffsetY_ = 0;
    switch (kind) {
    case sdUnit:
        pixelsPerMMX_ = pixelsPerMMY_ = 1.0f;
        break;
    case sdScreen:
        pixelsPerMMX_ = static_cast<float>(ScreenDpiX() / 25.4);
        pixelsPerMMY_ = static_cast<float>(ScreenDpiY() / 25.4);
        break;
    case sdPrinter: {
        const IPrinterInfo* p = CurrentPrinterInfo();
        if (p && p->LogicalDpiX() > 0 && p->LogicalDpiY() > 0) {
            pixelsPerMMX_ = static_cast<float>(p->LogicalDpiX() / 25.4);
            pixelsPerMMY_ = static_cast<float>(p->LogicalDpiY() / 25.4);
            deviceOffsetX_ = p->PhysicalOffsetX();
            deviceOffsetY_ = p->PhysicalOffsetY();
        } else {
            pixelsPerMMX_ = static_cast<float>(ScreenDpiX() / 25.4);
            pixelsPerMMY_ = static_cast<float>(ScreenDpiY() / 25.4);
        }
        break;
    }
    default:
        break;
    }
    Recalculate();
}

void TCustomScaler::SetOriginX(std::int32_t v) {
    originX_ = v;
    Recalculate();
}

void TCustomScaler::SetOriginY(std::int32_t v) {
    originY_ = v;
    Recalculate();
}

void TCustomScaler::SetOffsetX(float v) {
    offsetX_ = v;
    Recalculate();
}

void TCustomScaler::SetOffsetY(float v) {
    offsetY_ = v;
    Recalculate();
}

void TCustomScaler::SetDeviceOffsetX(std::int32_t v) {
    deviceOffsetX_ = v;
    Recalculate();
}

void TCustomScaler::SetDeviceOffsetY(std::int32_t v) {
    deviceOffsetY_ = v;
    Recalculate();
}

void TCustomScaler::SetPixelsPerMMX(float v) {
    pixelsPerMMX_ = v;
    Recalculate();
}

void TCustomScaler::SetPixelsPerMMY(float v) {
    pixelsPerMMY_ = v;
    Recalculate();
}

// The float32 operands are exact in double, so sum and product carry no
// rounding of their own before the final rounding to pixels.
std::int32_t TCustomScaler::X(float x) const {
    return AddPixels(RoundPixels((static_cast<double>(x) + offsetX_) * scaleX_),
                     -std::int64_t{shiftX_});
}

std::int32_t TCustomScaler::Y(float y) const {
    return AddPixels(RoundPixels((static_cast<double>(y) + offsetY_) * scaleY_),
                     -std::int64_t{shiftY_});
}

std::int32_t TCustomScaler::Length(float l) const {
    return RoundPixels(static_cast<double>(l) * scaleY_);
}

QRect TCustomScaler::Rect(float x1, float y1, float x2, float y2) const {
    const std::int32_t l = X(x1);
    const std::int32_t t = Y(y1);
    return QRect(l, t, AddPixels(X(x2), -std::int64_t{l}), AddPixels(Y(y2), -std::int64_t{t}));
}

float TCustomScaler::PixelsToMM(std::int32_t p) const {
    if (scaleY_ == 0)
        return 0;
    return static_cast<float>(p / static_cast<double>(scaleY_));
}

// ---------------------------------------------------------------- TScaleFont

void TScaleFont::Changed() {
    if (OnChange)
        OnChange();
}

void TScaleFont::SetName(const QString& v) {
    name_ = v;
    Changed();
}

void TScaleFont::SetHeight(int v) {
    height_ = v;
    Changed();
}

int TScaleFont::Size() const {
    return -MulDiv(height_, 72, pixelsPerInch_);
}

void TScaleFont::SetSize(int points) {
    height_ = -MulDiv(points, pixelsPerInch_, 72);
    Changed();
}

void TScaleFont::SetPixelsPerInch(int v) {
    pixelsPerInch_ = v > 0 ? v : 96;
    Changed();
}

void TScaleFont::SetBold(bool v) {
    bold_ = v;
    Changed();
}

void TScaleFont::SetItalic(bool v) {
    italic_ = v;
    Changed();
}

void TScaleFont::SetUnderline(bool v) {
    underline_ = v;
    Changed();
}

void TScaleFont::SetStrikeOut(bool v) {
    strikeOut_ = v;
    Changed();
}

void TScaleFont::SetColor(const QColor& v) {
    color_ = v;
    Changed();
}

// ---------------------------------------------------------------- TScaleCanvas

TScaleCanvas::TScaleCanvas(QPainter* painter) : painter_(painter) {
    const int ppi = CanvasPixelsPerInch();
    if (painter_ && painter_->isActive()) {
        const QFont f = painter_->font();
        font_.name_ = f.family();
        font_.bold_ = f.bold();
        font_.italic_ = f.italic();
        font_.underline_ = f.underline();
        font_.strikeOut_ = f.strikeOut();
        font_.height_ = HeightOfFont(f, ppi);
        if (font_.height_ == 0)
            font_.height_ = -MulDiv(8, ppi, 72);
        const QPen pen = painter_->pen();
        font_.color_ = pen.style() == Qt::NoPen ? QColor(Qt::black) : pen.color();
    } else {
        font_.name_ = QFont().family();
        font_.height_ = -MulDiv(8, ppi, 72);
    }
    font_.pixelsPerInch_ = ppi;
    font_.OnChange = [this] { FontUpdate(); };
    Recalculate();
}

TScaleCanvas::~TScaleCanvas() {
    font_.OnChange = nullptr;
}

void TScaleCanvas::Recalculate() {
    TScaler::Recalculate();
    FontUpdate();
}

int TScaleCanvas::CanvasPixelsPerInch() const {
    if (painter_ && painter_->isActive() && painter_->device()) {
        const int ppi = painter_->device()->logicalDpiY();
        if (ppi > 0)
            return ppi;
    }
    return static_cast<int>(std::lround(ScreenDpiY()));
}

int TScaleCanvas::ExpectedCanvasHeight(int canvasPpi) const {
    return TruncPixels(static_cast<double>(font_.height_) * zoom_ * canvasPpi /
                       font_.pixelsPerInch_);
}

void TScaleCanvas::FontUpdate() {
    const int ppi = CanvasPixelsPerInch();
    canvasHeight_ = ExpectedCanvasHeight(ppi);
    fontTooSmall_ = canvasHeight_ == 0;
    if (!painter_ || !painter_->isActive())
        return;
    QFont f(font_.name_);
    f.setBold(font_.bold_);
    f.setItalic(font_.italic_);
    f.setUnderline(font_.underline_);
    f.setStrikeOut(font_.strikeOut_);
    int em = 1;
    if (canvasHeight_ < 0)
        em = canvasHeight_ == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max()
                                                              : -canvasHeight_;
    else if (canvasHeight_ > 0)
        em = EmForCellHeight(f, canvasHeight_);
    // Keep absurd zooms from asking the font engine for giant glyphs.
    f.setPixelSize(std::clamp(em, 1, 100000));
    painter_->setFont(f);
    appliedFont_ = painter_->font();
    applied_ = true;
}

TScaleFont& TScaleCanvas::Font() {
    if (!painter_ || !painter_->isActive() || !applied_)
        return font_;
    const QFont cf = painter_->font();
    if (cf == appliedFont_)
        return font_;
    // A caller changed the painter's font directly: the logical font takes
    // the change, without running the update.
    if (cf.family() != font_.name_)
        font_.name_ = cf.family();
    font_.bold_ = cf.bold();
    font_.italic_ = cf.italic();
    font_.underline_ = cf.underline();
    font_.strikeOut_ = cf.strikeOut();
    const int ppi = CanvasPixelsPerInch();
    const int h = HeightOfFont(cf, ppi);
    if (h != ExpectedCanvasHeight(ppi) && zoom_ != 0 && ppi > 0)
        font_.height_ = TruncPixels(static_cast<double>(h) / zoom_ / ppi * font_.pixelsPerInch_);
    appliedFont_ = cf;
    canvasHeight_ = h;
    return font_;
}

void TScaleCanvas::SetPenWidth(float w) {
    if (!painter_ || !painter_->isActive())
        return;
    QPen p = painter_->pen();
    p.setWidth(std::max(0, Length(w)));
    painter_->setPen(p);
}

void TScaleCanvas::MoveTo(float x, float y) {
    penPos_ = QPoint(X(x), Y(y));
}

void TScaleCanvas::LineTo(float x, float y) {
    const QPoint to(X(x), Y(y));
    if (painter_ && painter_->isActive())
        painter_->drawLine(penPos_, to);
    penPos_ = to;
}

void TScaleCanvas::Line(float x1, float y1, float x2, float y2) {
    MoveTo(x1, y1);
    LineTo(x2, y2);
}

void TScaleCanvas::Rectangle(float x1, float y1, float x2, float y2) {
    if (!painter_ || !painter_->isActive())
        return;
    // Device pixels l..r and t..b, inclusive.
    const int ax = X(x1), bx = X(x2), ay = Y(y1), by = Y(y2);
    const int l = std::min(ax, bx), r = std::max(ax, bx);
    const int t = std::min(ay, by), b = std::max(ay, by);
    const QRect cover(l, t, r - l + 1, b - t + 1);
    if (painter_->pen().style() == Qt::NoPen) {
        if (painter_->brush().style() != Qt::NoBrush)
            painter_->fillRect(cover, painter_->brush());
        return;
    }
    if (r == l || b == t) {
        // A rectangle one pixel wide or high is a line.
        painter_->drawLine(QPoint(l, t), QPoint(r, b));
        return;
    }
    // An aliased outline of QRect(x, y, w, h) covers x..x+w and y..y+h.
    painter_->drawRect(QRect(l, t, r - l, b - t));
}

QBrush TScaleCanvas::Brush() const {
    return painter_ ? painter_->brush() : QBrush();
}

void TScaleCanvas::SetBrush(const QBrush& b) {
    if (painter_ && painter_->isActive())
        painter_->setBrush(b);
}

QPen TScaleCanvas::Pen() const {
    return painter_ ? painter_->pen() : QPen();
}

void TScaleCanvas::SetPen(const QPen& p) {
    if (painter_ && painter_->isActive())
        painter_->setPen(p);
}

float TScaleCanvas::TextRect(const QString& text, int hAlign, int vAlign, float x1, float y1,
                             float x2, float y2) {
    if (!painter_ || !painter_->isActive())
        return 0;
    const QRect r = Rect(x1, y1, x2, y2);
    const QPen old = painter_->pen();
    painter_->setPen(QPen(font_.color_));
    const int h = DrawWrappedText(*painter_, text, r, hAlign, vAlign);
    painter_->setPen(old);
    return PixelsToMM(h);
}

float TScaleCanvas::TextWidth(const QString& s) const {
    if (!painter_ || !painter_->isActive())
        return 0;
    return PixelsToMM(painter_->fontMetrics().horizontalAdvance(s));
}

float TScaleCanvas::TextHeight(const QString&) const {
    if (!painter_ || !painter_->isActive())
        return 0;
    return PixelsToMM(painter_->fontMetrics().height());
}
