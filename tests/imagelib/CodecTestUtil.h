#pragma once
// Helpers for the image tests: synthetic pictures, files written by other
// programs, and pixel comparisons against a DIB.

#include "uDib.h"
#include "uImport.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace CodecTest {

// One of the decoders behind the import (uDecoders.h).
using TImportDecoder = std::int32_t (*)(const std::uint8_t*, std::size_t, TImportParams&);

// An RGB picture, top-down rows, 3 bytes per pixel.
struct TRgb {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> px;
    const std::uint8_t* At(int x, int y) const {
        return px.data() + (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3;
    }
    std::uint8_t* At(int x, int y) {
        return px.data() + (std::size_t(y) * std::size_t(width) + std::size_t(x)) * 3;
    }
};

// Smooth gradients, a few hard edges and a little noise, like a photo.
TRgb PhotoLike(int width, int height, unsigned seed = 1);
// Four flat quadrants (red, green, blue, yellow from top-left clockwise)
// with a white marker block at the top-left corner: shows every turn and
// mirror.
TRgb Quadrants(int width, int height);

bool WritePpm(const QString& path, const TRgb& img);
// Reads a binary PPM (P6, maxval 255), as convert and djpeg write it.
TRgb ReadPpm(const QString& path);
std::vector<std::uint8_t> ReadBytes(const QString& path);
bool WriteBytes(const QString& path, const std::vector<std::uint8_t>& bytes);

// Runs a program, answers true on exit code 0.
bool Tool(const QString& program, const QStringList& args);
// Decodes a file with ImageMagick into RGB (extra arguments go before the
// output name, e.g. "-background white -flatten").
TRgb MagickDecode(const QString& path, const QStringList& extra = {});

// The colour of pixel (x, y) (top-down) as r, g, b, resolving the palette.
void DibPixel(const TDib& dib, int x, int y, std::uint8_t rgb[3]);
// Mean absolute difference per sample; a huge value when sizes differ.
double MeanAbsDiff(const TDib& dib, const TRgb& img);
// Largest difference of any sample.
int MaxAbsDiff(const TDib& dib, const TRgb& img);

} // namespace CodecTest
