#pragma once
// Picture output to the printer: sends a rectangle of a packed DIB to the
// printer's page, clipped to the printable area, with only the used part of
// the picture spooled, and as 8-bit grey for monochrome settings.

#include "uPrintDevice.h"

#include <cstdint>

class TDib;

// How a picture goes to the page.
enum class TPrintDIBPath {
    None,   // nothing to draw (destination off the page)
    Whole,  // the picture handed whole, with a source origin
    CutOut, // the used part copied out first (24 bits only)
    Gray,   // the used part converted to 8-bit grey (24 bits only)
};

// The decisions of PrintDIB, without any pixels.
struct TPrintDIBPlan {
    TPrintDIBPath path = TPrintDIBPath::None;
    TPrintRect dest;     // clipped destination, device pixels
    TPrintRect src;      // source shrunk in proportion, picture pixels top-down
    std::int32_t sw = 0; // size of the part sent
    std::int32_t sh = 0;
    // Origin of the part in the picture's stored (bottom-up) rows, for the
    // whole path; the cut-out and grey buffers start at (0, 0).
    std::int32_t originX = 0;
    std::int32_t originY = 0;
};

// The clipping and the path choice for a picture of the given size and depth
// on a printable page of pageWidth x pageHeight device pixels.
TPrintDIBPlan PlanPrintDIB(int pageWidth, int pageHeight, std::int32_t pictureWidth,
                           std::int32_t pictureHeight, int bitCount, const TPrintRect& dest,
                           const TPrintRect& src, bool gray);

// Sends the source rectangle of the picture (picture pixels, top-down) into
// the destination rectangle (device pixels relative to the printable area) of
// the device's running job. Answers the number of rows sent, 0 when nothing
// was printed.
int PrintDIB(TPrintDevice& device, const TDib& dib, const TPrintRect& dest, const TPrintRect& src,
             bool gray);
// The same on the current printer; 0 when there is none.
int PrintDIB(const TDib& dib, const TPrintRect& dest, const TPrintRect& src, bool gray);

// The pause after a cut-out or grey picture, in milliseconds (100 by
// default), which gives the spooler time to take the data.
void SetPrintDIBPause(int milliseconds);
int PrintDIBPause();

// The grey value of a blue, green, red pixel: 0.3 R + 0.59 G + 0.11 B
// rounded to the nearest, halves to even.
std::uint8_t GrayValue(std::uint8_t blue, std::uint8_t green, std::uint8_t red);
