#pragma once
// Artwork of the picture positions, drawn in code: the open-hand pan cursor,
// the resolution light and the glyphs of the position menu.

#include <QCursor>
#include <QImage>

// The open-hand cursor shown over a picture that can be panned: 32 x 32
// monochrome, hot spot (7, 7). Created once, on first use.
const QCursor& PanCursor();

// The cursor's shape as text rows: '#' black, '.' white, ' ' transparent.
// 32 rows of 32 characters.
const char* const* PanCursorRows();

// The resolution light: four 16 x 32 frames side by side (frame 0 red lamp
// lit, 1 yellow lit, 2 green lit, 3 all grey) on magenta, the transparent
// colour.
QImage ResolutionLightStrip();

// Frame n (0..3) of the strip, magenta made transparent.
QImage ResolutionLightFrame(const QImage& strip, int n);

// The magenta that marks transparent pixels in the strip.
constexpr QRgb kLightTransparent = 0xFFFF00FF;

// The eight 16 x 16 glyphs of the position menu: 0 load, 1 turn left, 2 turn
// right, 3 turn 180 degrees, 4 cut, 5 copy, 6 paste, 7 clear.
QImage PositionMenuGlyph(int index);
constexpr int kPositionMenuGlyphCount = 8;
