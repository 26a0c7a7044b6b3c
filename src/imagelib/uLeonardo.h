#pragma once
// Pixel work on packed DIBs. Every function that answers a TDib answers a new
// block owned by the caller (empty on failure) and leaves its input untouched.
// All functions are reentrant for different pictures.

#include "uDib.h"

#include <cstdint>

class QImage;
class QPainter;

// A rectangle of the DIB library: right and bottom exclusive; rows are
// counted from the bottom row of the picture (a top-down row y is
// Height - 1 - y). Precisely: the columns left .. right - 1 and the
// bottom-up rows bottom + 1 .. top, that is the top-down rows
// Height - 1 - top .. Height - 2 - bottom. A top-down source rectangle
// (t, b exclusive) is therefore passed as top = Height - 1 - t,
// bottom = Height - 1 - b, and holds top - bottom rows.
struct TDibRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

constexpr std::uint32_t SRCCOPY = 0x00CC0020;

// Fills *header with the picture's header; false for an empty picture or a
// size other than 40.
bool DIBInfo(const TDib& dib, TBitmapInfoHeader* header, int size = 40);
// Releases the block.
void DIBFree(TDib& dib);
// A copy of the block.
TDib CopyHandle(const TDib& dib);
// The whole picture (rect null) or the given part resampled to exactly
// width x height: a reduction averages the covered source pixels weighted by
// the covered fraction (exact on flat colours), an enlargement interpolates
// linearly; each axis on its own. The rectangle is clipped to the picture;
// empty when nothing of it remains, when width or height is not positive or
// the picture is empty. The result is always 24-bit (palette and 32-bit
// pictures are expanded), so that the averages are not forced back into a
// colour table. Large pictures are resampled on all cores.
TDib StretchDIB(const TDib& dib, std::int32_t width, std::int32_t height,
                const TDibRect* rect = nullptr);
// The picture turned counter-clockwise by the angle in tenths of a degree
// (900, -900, 1800): exact pixel moves.
TDib RotateDIB(const TDib& dib, std::int32_t angle, std::uint32_t background = 0xFFFFFF);
// Replaces the picture in *dib by its 24-bit conversion; false on failure
// (the picture is then unchanged).
bool ConvertDIB(TDib* dib, int bitCount = 24, int flags = 0);
// A new 24-bit DIB with the image's content.
TDib DIBFromBitmap(const QImage& image);
// An anti-aliased reduction to width x height (the same area averaging as
// StretchDIB over the whole picture; an enlargement interpolates); 24-bit.
// The last two arguments are unused.
TDib ScaleToGray(const TDib& dib, std::int32_t width, std::int32_t height, int a = 0, int b = 0);
// Draws the source block of the picture stretched into the destination
// rectangle. The block is srcWidth pixels from srcX and srcHeight rows upwards
// from the bottom-up row srcRow (its lowest row); for top-down pixel rows
// top..bottom-1 pass srcRow = Height - bottom. Parts of the block outside the
// picture are left out. Only SRCCOPY is offered.
void StretchDIBBlt(QPainter& painter, int x, int y, int width, int height, const TDib& dib,
                   int srcX, int srcRow, int srcWidth, int srcHeight, std::uint32_t rop = SRCCOPY);
// Draws the picture unscaled at x, y: the part of at most width x height
// pixels whose top-left corner is (srcX, srcY), counted from the top-left
// corner of the picture.
void DIBBlt(QPainter& painter, int x, int y, int width, int height, const TDib& dib, int srcX = 0,
            int srcY = 0, std::uint32_t rop = SRCCOPY);
// A QImage sharing nothing with the DIB (a deep copy), for drawing and tests.
QImage DIBToImage(const TDib& dib);
