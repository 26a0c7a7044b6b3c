// Fuzz target: a packed DIB taken from foreign memory (the clipboard), then
// the pixel work every picture may meet: turns, conversion, drawing.
#include "uDib.h"
#include "uLeonardo.h"

#include <QImage>
#include <QPainter>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TDib dib = TDib::FromPacked(data, size);
    if (dib.IsEmpty())
        return 0;
    // Keep each run quick: the pixel functions are linear in the picture.
    if (std::size_t(dib.Width()) * std::size_t(dib.Height()) > (1u << 20))
        return 0;
    TDib turned = RotateDIB(dib, 900);
    if (turned.IsEmpty() || turned.Width() != dib.Height())
        __builtin_trap();
    TDib copy = CopyHandle(dib);
    if (!ConvertDIB(&copy, 24, 0) || copy.BitCount() != 24)
        __builtin_trap();
    QImage canvas(16, 16, QImage::Format_RGB32);
    QPainter painter(&canvas);
    StretchDIBBlt(painter, 0, 0, 16, 16, dib, 1, 1, dib.Width(), dib.Height());
    DIBBlt(painter, 3, 3, 8, 8, dib, 1, 1);
    return 0;
}
