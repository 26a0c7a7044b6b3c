#pragma once
// The arithmetic of a picture position: how a picture of W x H pixels covers
// an area of cw x ch pixels (scaled to cover, cropped in one direction,
// magnified by a zoom factor and panned), which part of the picture the area
// shows, and the print resolution that part gives. No widgets: the position
// control, the sheet print job and velamor-cli share it.

#include "uIntRect.h"

#include <cstdint>

struct TIntSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const TIntSize&, const TIntSize&) = default;
};

// The size at which a W x H picture covers a cw x ch area: the area's width
// and MulDiv(cw, H, W) as height; when that falls short of ch, the area's
// height and MulDiv(ch, W, H) as width. {0, 0} for an empty picture or area.
TIntSize CoverFit(std::int32_t W, std::int32_t H, std::int32_t cw, std::int32_t ch);

// Zoom values up to this one are shown as 1.0; larger ones magnify.
constexpr double kNoZoom = 1.0;

// The state of a laid-out picture, in pixels of the area.
struct TPicLayout {
    std::int32_t DisplayWidth = 0; // size at which the whole picture is shown
    std::int32_t DisplayHeight = 0;
    std::int32_t RangeX = 0; // cw - DisplayWidth, never positive
    std::int32_t RangeY = 0;
    std::int32_t OffsetX = 0; // top-left corner of the picture, RangeX..0
    std::int32_t OffsetY = 0;

    // True when the picture can be panned in at least one direction.
    bool CanPan() const { return RangeX != 0 || RangeY != 0; }
    bool IsEmpty() const { return DisplayWidth <= 0 || DisplayHeight <= 0; }
};

// Lays out a W x H picture in a cw x ch area with the zoom and the pan
// fractions (0 = left/top edges together, 1 = right/bottom edges together).
// Fractions outside 0..1 and non-finite values are taken as the nearest valid
// ones, so the picture never uncovers any part of the area; a zoom that is not
// finite means no zoom; sizes are kept within 32-bit range. An empty picture
// or area gives an empty layout.
TPicLayout LayoutPicture(std::int32_t W, std::int32_t H, std::int32_t cw, std::int32_t ch,
                         double zoom, double panX, double panY);

// One pan step: offset + delta clamped into range..0.
std::int32_t PanOffset(std::int32_t offset, std::int32_t delta, std::int32_t range);

// The pan fraction an offset stands for: offset / range, 0.5 when range is 0.
double PanFraction(std::int32_t offset, std::int32_t range);

// The part of the picture that painting stretches onto the whole area: it may
// reach beyond the picture when the zoom is below the cover fit. Empty for an
// empty layout.
TIntRect PaintSourceRect(std::int32_t W, std::int32_t H, std::int32_t cw, std::int32_t ch,
                         const TPicLayout& layout);

// The part of the picture the area shows, clipped to the picture: what gets
// printed and what the print resolution is computed from. Empty for an empty
// layout.
TIntRect VisibleSourceRect(std::int32_t W, std::int32_t H, std::int32_t cw, std::int32_t ch,
                           const TPicLayout& layout);

// True when a W x H picture should be turned a quarter to suit a cw x ch area:
// one is landscape and the other portrait. Squares never turn.
bool NeedsAutoRotate(std::int32_t W, std::int32_t H, std::int32_t cw, std::int32_t ch);

// The print resolution in dots per inch of a visible source rectangle printed
// on an area heightMm high: only the vertical direction counts. 0 for an empty
// rectangle or a non-positive height.
std::int32_t PrintDpi(const TIntRect& visible, double heightMm);

// The frames of the resolution light.
enum TLightFrame : int { lfRed = 0, lfYellow = 1, lfGreen = 2, lfGrey = 3 };

// The light for a print resolution: green from 150 dpi, red below 50, yellow
// in between, grey for 0 (no picture).
TLightFrame LightFrameForDpi(std::int32_t dpi);
