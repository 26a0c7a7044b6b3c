#pragma once
// The program's pictures, drawn at run time: logo, splash picture, the about
// box picture and the button glyphs.

#include <QImage>

namespace Artwork {

// The logo of the main window's left column, 135 x 60.
QImage Logo();
// The splash picture, 400 x 300. The version is written over it by the
// splash form, right of x = 188 at y = 124.
QImage Splash();
// The upright picture of the about box, 60 x 180.
QImage AboutPicture();

enum class TGlyph { Leeren, Drucken, Info, Anleitung };
// A 16 x 16 button glyph on a transparent background.
QImage Glyph(TGlyph glyph);

} // namespace Artwork
