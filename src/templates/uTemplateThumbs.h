#pragma once
// Template thumbnails and the filling of the chooser bar from the catalogue.

#include "uTemplateData.h"
#include "uVorlagen.h"

#include <QImage>

class TZROutlookBar;

// Size of a catalogue thumbnail: 60 pixels wide, A4 proportion.
constexpr int ThumbWidth = 60;
constexpr int ThumbHeight = 85; // round(60 * sqrt(2))

// Draws the template into the image through the scaling canvas: 210 mm span
// the image width less 2 pixels, inset by one pixel; a sheet that is not A4
// shows the dotted A4 outline for comparison; the photo areas are grey
// rectangles on the white sheet.
void DrawTemplateThumb(QImage& image, const TPaperTemplate& paper);

// One panel per product group in its colour, one item per template with its
// thumbnail, caption, description (tooltip) and number (tag).
void FillBarFromCatalogue(TZROutlookBar& bar, const TTemplateList& templates,
                          const std::vector<TCatalogPanel>& panels);
