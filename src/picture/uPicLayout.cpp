#include "uPicLayout.h"

#include "uRound.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr std::int64_t kMaxExtent = std::numeric_limits<std::int32_t>::max() / 2;

std::int32_t Saturate(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, kMaxExtent));
}

// a * b / c rounded like MulDiv, in 64 bits (a, b, c positive).
std::int64_t MulDiv64(std::int64_t a, std::int64_t b, std::int64_t c) {
    return (a * b + c / 2) / c;
}

double SaneFraction(double f) {
    if (!std::isfinite(f))
        return 0.5;
    return std::clamp(f, 0.0, 1.0);
}

std::int32_t Nearest(double v) {
    constexpr double lim = std::numeric_limits<std::int32_t>::max();
    if (!std::isfinite(v))
        return 0;
    return RoundEven(std::clamp(v, -lim, lim));
}

} // namespace

TIntSize CoverFit(std::int32_t W, std::int32_t H, std::int32_t cw, std::int32_t ch) {
    if (W <= 0 || H <= 0 || cw <= 0 || ch <= 0)
        return {};
    std::int64_t w = cw;
    std::int64_t h = MulDiv64(cw, H, W);
    if (h < ch) {
        w = MulDiv64(ch, W, H);
        h = ch;
    }
    return {Saturate(w), Saturate(h)};
}

TPicLayout LayoutPicture(std::int32_t W, std::int32_t H, std::int32_t cw, std::int32_t ch,
                         double zoom, double panX, double panY) {
    TPicLayout l;
    const TIntSize fit = CoverFit(W, H, cw, ch);
    if (fit.width <= 0 || fit.height <= 0)
        return l;
    std::int64_t w = fit.width;
    std::int64_t h = fit.height;
    if (std::isfinite(zoom) && zoom > kNoZoom) {
        const double lim = static_cast<double>(kMaxExtent);
        w = static_cast<std::int64_t>(std::min(std::trunc(static_cast<double>(w) * zoom), lim));
        h = static_cast<std::int64_t>(std::min(std::trunc(static_cast<double>(h) * zoom), lim));
    }
    l.DisplayWidth = Saturate(w);
    l.DisplayHeight = Saturate(h);
    l.RangeX = cw - l.DisplayWidth;
    l.RangeY = ch - l.DisplayHeight;
    l.OffsetX = static_cast<std::int32_t>(std::trunc(l.RangeX * SaneFraction(panX)));
    l.OffsetY = static_cast<std::int32_t>(std::trunc(l.RangeY * SaneFraction(panY)));
    return l;
}

std::int32_t PanOffset(std::int32_t offset, std::int32_t delta, std::int32_t range) {
    const std::int64_t v = static_cast<std::int64_t>(offset) + delta;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::min(range, 0), 0));
}

double PanFraction(std::int32_t offset, std::int32_t range) {
    if (range == 0)
        return 0.5;
    return static_cast<double>(offset) / static_cast<double>(range);
}

TIntRect PaintSourceRect(std::int32_t W, std::int32_t H, std::int32_t cw, std::int32_t ch,
                         const TPicLayout& l) {
    if (l.IsEmpty() || W <= 0 || H <= 0)
        return {};
    // The products in integer arithmetic, the quotients in floating point.
    const double dw = l.DisplayWidth;
    const double dh = l.DisplayHeight;
    TIntRect r;
    r.left = Nearest(static_cast<double>(-static_cast<std::int64_t>(l.OffsetX) * W) / dw);
    r.top = Nearest(static_cast<double>(-static_cast<std::int64_t>(l.OffsetY) * H) / dh);
    r.right = r.left + Nearest(static_cast<double>(static_cast<std::int64_t>(cw) * W) / dw);
    r.bottom = r.top + Nearest(static_cast<double>(static_cast<std::int64_t>(ch) * H) / dh);
    return r;
}

TIntRect VisibleSourceRect(std::int32_t W, std::int32_t H, std::int32_t cw, std::int32_t ch,
                           const TPicLayout& l) {
    if (l.IsEmpty() || W <= 0 || H <= 0)
        return {};
    const double dw = l.DisplayWidth;
    const double dh = l.DisplayHeight;
    TIntRect r;
    r.left = std::max(0, Nearest(W * (std::abs(static_cast<double>(l.OffsetX)) / dw)));
    r.top = std::max(0, Nearest(H * (std::abs(static_cast<double>(l.OffsetY)) / dh)));
    r.right = std::min(W, Nearest(cw / dw * W + r.left));
    r.bottom = std::min(H, Nearest(ch / dh * H + r.top));
    return r;
}

bool NeedsAutoRotate(std::int32_t W, std::int32_t H, std::int32_t cw, std::int32_t ch) {
    const std::int64_t a = static_cast<std::int64_t>(W) - H;
    const std::int64_t b = static_cast<std::int64_t>(cw) - ch;
    return (a < 0 && b > 0) || (a > 0 && b < 0);
}

std::int32_t PrintDpi(const TIntRect& visible, double heightMm) {
    if (visible.IsEmpty() || !(heightMm > 0) || !std::isfinite(heightMm))
        return 0;
    return Nearest(visible.Height() / (heightMm / 25.4));
}

TLightFrame LightFrameForDpi(std::int32_t dpi) {
    if (dpi == 0)
        return lfGrey;
    if (dpi >= 150)
        return lfGreen;
    if (dpi < 50)
        return lfRed;
    return lfYellow;
}
