// Pixel work on packed DIBs: information, copies, quarter turns, depth
// conversion and drawing onto a QPainter. Resampling (StretchDIB,
// ScaleToGray) lives in uResample.cpp.
//
// Nothing here keeps state between calls, so every function may run on the
// GUI thread and the thumbnail loader thread at the same time for different
// pictures.

#include "uLeonardo.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstring>

namespace {

// Reads the palette index of pixel x in a row of 1, 4 or 8 bits per pixel.
inline std::uint8_t IndexAt(const std::uint8_t* row, std::int32_t x, int bits) {
    switch (bits) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4:
        return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    default:
        return row[x];
    }
}

// Writes a palette index into a zero-initialised row (bits are or-ed in).
inline void PutIndex(std::uint8_t* row, std::int32_t x, int bits, std::uint8_t v) {
    switch (bits) {
    case 1:
        row[x >> 3] |= static_cast<std::uint8_t>((v & 1) << (7 - (x & 7)));
        break;
    case 4:
        row[x >> 1] |= (x & 1) ? (v & 0x0F) : static_cast<std::uint8_t>(v << 4);
        break;
    default:
        row[x] = v;
        break;
    }
}

// The source pixel that lands on destination (dx, dy) of a turned picture;
// all coordinates top-down. quarter: 1 = counter-clockwise, 2 = half turn,
// 3 = clockwise. w, h: size of the source.
inline void SourceOf(int quarter, std::int32_t dx, std::int32_t dy, std::int32_t w, std::int32_t h,
                     std::int32_t& sx, std::int32_t& sy) {
    switch (quarter) {
    case 1: // source (x, y) -> (y, w - 1 - x)
        sx = w - 1 - dy;
        sy = dx;
        break;
    case 2:
        sx = w - 1 - dx;
        sy = h - 1 - dy;
        break;
    default: // clockwise: source (x, y) -> (h - 1 - y, x)
        sx = dy;
        sy = h - 1 - dx;
        break;
    }
}

// Builds a top-down QImage of the block [srcX, srcX + srcW) x bottom-up rows
// [srcRow, srcRow + srcH) of a 4- or 32-bit picture, which have no QImage
// format of their own.
QImage BuildPart(const TDib& dib, std::int32_t srcX, std::int32_t srcRow, std::int32_t srcW,
                 std::int32_t srcH) {
    const int bits = dib.BitCount();
    QImage img(srcW, srcH, bits == 32 ? QImage::Format_RGB32 : QImage::Format_Indexed8);
    if (img.isNull())
        return img;
    if (bits != 32) {
        QList<QRgb> table(static_cast<qsizetype>(dib.ColorCount()));
        const TRgbQuad* pal = dib.Colors();
        for (qsizetype i = 0; i < table.size(); ++i)
            table[i] = qRgb(pal[i].rgbRed, pal[i].rgbGreen, pal[i].rgbBlue);
        img.setColorTable(table);
    }
    const std::size_t stride = dib.Stride();
    for (std::int32_t y = 0; y < srcH; ++y) {
        // Top row of the image is the highest bottom-up row of the block.
        const std::uint8_t* src =
            dib.Bits() + stride * static_cast<std::size_t>(srcRow + srcH - 1 - y);
        if (bits == 32) {
            auto* dst = reinterpret_cast<QRgb*>(img.scanLine(y));
            for (std::int32_t x = 0; x < srcW; ++x) {
                const std::uint8_t* p = src + 4 * static_cast<std::size_t>(srcX + x);
                dst[x] = qRgb(p[2], p[1], p[0]);
            }
        } else {
            std::uint8_t* dst = img.scanLine(y);
            for (std::int32_t x = 0; x < srcW; ++x)
                dst[x] = IndexAt(src, srcX + x, bits);
        }
    }
    return img;
}

} // namespace

bool DIBInfo(const TDib& dib, TBitmapInfoHeader* header, int size) {
    if (dib.IsEmpty() || !header || size != static_cast<int>(sizeof(TBitmapInfoHeader)))
        return false;
    *header = dib.Header();
    return true;
}

void DIBFree(TDib& dib) {
    dib.Reset();
}

TDib CopyHandle(const TDib& dib) {
    return dib.Clone();
}

TDib RotateDIB(const TDib& dib, std::int32_t angle, std::uint32_t /*background*/) {
    // Only quarter turns are offered: they move pixels exactly and never
    // uncover background.
    if (dib.IsEmpty() || angle % 900 != 0)
        return {};
    const int quarter = ((angle / 900) % 4 + 4) % 4;
    if (quarter == 0)
        return dib.Clone();
    const std::int32_t w = dib.Width();
    const std::int32_t h = dib.Height();
    const int bits = dib.BitCount();
    const bool swap = quarter != 2;
    const std::int32_t nw = swap ? h : w;
    const std::int32_t nh = swap ? w : h;
    TDib out = TDib::Create(nw, nh, static_cast<std::uint16_t>(bits));
    if (!out)
        return out;
    {
        TBitmapInfoHeader& oh = *reinterpret_cast<TBitmapInfoHeader*>(out.Data());
        const TBitmapInfoHeader& ih = dib.Header();
        oh.biXPelsPerMeter = swap ? ih.biYPelsPerMeter : ih.biXPelsPerMeter;
        oh.biYPelsPerMeter = swap ? ih.biXPelsPerMeter : ih.biYPelsPerMeter;
    }
    if (out.ColorCount())
        std::memcpy(out.Colors(), dib.Colors(), out.ColorCount() * sizeof(TRgbQuad));

    for (std::int32_t dy = 0; dy < nh; ++dy) {
        std::uint8_t* dst = out.Row(dy);
        std::int32_t sx = 0, sy = 0;
        if (bits >= 24) {
            const std::size_t bpp = static_cast<std::size_t>(bits / 8);
            if (quarter == 2) {
                const std::uint8_t* src = dib.Row(h - 1 - dy);
                for (std::int32_t dx = 0; dx < nw; ++dx)
                    std::memcpy(dst + bpp * dx, src + bpp * (w - 1 - dx), bpp);
                continue;
            }
            for (std::int32_t dx = 0; dx < nw; ++dx) {
                SourceOf(quarter, dx, dy, w, h, sx, sy);
                std::memcpy(dst + bpp * dx, dib.Row(sy) + bpp * sx, bpp);
            }
        } else {
            for (std::int32_t dx = 0; dx < nw; ++dx) {
                SourceOf(quarter, dx, dy, w, h, sx, sy);
                PutIndex(dst, dx, bits, IndexAt(dib.Row(sy), sx, bits));
            }
        }
    }
    return out;
}

bool ConvertDIB(TDib* dib, int bitCount, int /*flags*/) {
    if (!dib || dib->IsEmpty() || bitCount != 24)
        return false;
    const int bits = dib->BitCount();
    if (bits == 24)
        return true;
    const std::int32_t w = dib->Width();
    const std::int32_t h = dib->Height();
    TDib out = TDib::Create(w, h, 24);
    if (!out)
        return false;
    {
        TBitmapInfoHeader& oh = *reinterpret_cast<TBitmapInfoHeader*>(out.Data());
        oh.biXPelsPerMeter = dib->Header().biXPelsPerMeter;
        oh.biYPelsPerMeter = dib->Header().biYPelsPerMeter;
    }
    const TRgbQuad* pal = dib->Colors();
    for (std::int32_t y = 0; y < h; ++y) {
        const std::uint8_t* src = dib->Row(y);
        std::uint8_t* dst = out.Row(y);
        for (std::int32_t x = 0; x < w; ++x, dst += 3) {
            if (bits == 32) {
                std::memcpy(dst, src + 4 * static_cast<std::size_t>(x), 3);
            } else {
                const TRgbQuad& c = pal[IndexAt(src, x, bits)];
                dst[0] = c.rgbBlue;
                dst[1] = c.rgbGreen;
                dst[2] = c.rgbRed;
            }
        }
    }
    *dib = std::move(out);
    return true;
}

TDib DIBFromBitmap(const QImage& image) {
    if (image.isNull())
        return {};
    const QImage src = image.format() == QImage::Format_BGR888
                           ? image
                           : image.convertToFormat(QImage::Format_BGR888);
    if (src.isNull())
        return {};
    TDib out = TDib::Create(src.width(), src.height(), 24);
    if (!out)
        return out;
    {
        TBitmapInfoHeader& oh = *reinterpret_cast<TBitmapInfoHeader*>(out.Data());
        oh.biXPelsPerMeter = image.dotsPerMeterX();
        oh.biYPelsPerMeter = image.dotsPerMeterY();
    }
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(src.width());
    for (int y = 0; y < src.height(); ++y)
        std::memcpy(out.Row(y), src.constScanLine(y), rowBytes);
    return out;
}

void StretchDIBBlt(QPainter& painter, int x, int y, int width, int height, const TDib& dib,
                   int srcX, int srcRow, int srcWidth, int srcHeight, std::uint32_t /*rop*/) {
    if (dib.IsEmpty() || width <= 0 || height <= 0 || srcWidth <= 0 || srcHeight <= 0)
        return;
    // Clip the source block to the picture; the destination shrinks in the
    // same proportion so that the visible pixels keep their place.
    const std::int32_t w = dib.Width();
    const std::int32_t h = dib.Height();
    const double sx = double(width) / srcWidth;
    const double sy = double(height) / srcHeight;
    const std::int64_t left = std::max<std::int64_t>(srcX, 0);
    const std::int64_t right = std::min<std::int64_t>(std::int64_t(srcX) + srcWidth, w);
    const std::int64_t lowRow = std::max<std::int64_t>(srcRow, 0);
    const std::int64_t highRow = std::min<std::int64_t>(std::int64_t(srcRow) + srcHeight, h);
    if (left >= right || lowRow >= highRow)
        return;
    const auto cw = static_cast<std::int32_t>(right - left);
    const auto ch = static_cast<std::int32_t>(highRow - lowRow);
    // The block's top edge lies (srcRow + srcHeight - highRow) rows below the
    // top of the requested block.
    const QRectF target(x + (left - srcX) * sx,
                        y + (std::int64_t(srcRow) + srcHeight - highRow) * sy, cw * sx, ch * sy);

    const int bits = dib.BitCount();
    if (bits == 24 || bits == 8 || bits == 1) {
        // A read-only view of the stored rows: no pixel is copied. The rows
        // are bottom-up, so the view is drawn upside down through a mirrored
        // transform.
        const QImage::Format format = bits == 24  ? QImage::Format_BGR888
                                      : bits == 8 ? QImage::Format_Indexed8
                                                  : QImage::Format_Mono;
        const std::size_t stride = dib.Stride();
        QImage view(dib.Bits() + stride * static_cast<std::size_t>(lowRow), w, ch,
                    static_cast<qsizetype>(stride), format);
        if (view.isNull())
            return;
        if (bits != 24) {
            QList<QRgb> table(static_cast<qsizetype>(dib.ColorCount()));
            const TRgbQuad* pal = dib.Colors();
            for (qsizetype i = 0; i < table.size(); ++i)
                table[i] = qRgb(pal[i].rgbRed, pal[i].rgbGreen, pal[i].rgbBlue);
            view.setColorTable(table);
        }
        painter.save();
        painter.translate(target.left(), target.bottom());
        painter.scale(1, -1);
        painter.drawImage(QRectF(0, 0, target.width(), target.height()), view,
                          QRectF(double(left), 0, cw, ch));
        painter.restore();
        return;
    }
    const QImage part =
        BuildPart(dib, static_cast<std::int32_t>(left), static_cast<std::int32_t>(lowRow), cw, ch);
    if (!part.isNull())
        painter.drawImage(target, part, QRectF(0, 0, cw, ch));
}

void DIBBlt(QPainter& painter, int x, int y, int width, int height, const TDib& dib, int srcX,
            int srcY, std::uint32_t rop) {
    if (dib.IsEmpty() || width <= 0 || height <= 0)
        return;
    // Unscaled: the part that exists is drawn at x, y.
    const int w = std::min(width, dib.Width() - srcX);
    const int h = std::min(height, dib.Height() - srcY);
    if (w <= 0 || h <= 0)
        return;
    StretchDIBBlt(painter, x, y, w, h, dib, srcX, dib.Height() - srcY - h, w, h, rop);
}

QImage DIBToImage(const TDib& dib) {
    if (dib.IsEmpty())
        return {};
    if (dib.BitCount() == 24) {
        QImage img(dib.Width(), dib.Height(), QImage::Format_BGR888);
        if (img.isNull())
            return img;
        const std::size_t rowBytes = 3 * static_cast<std::size_t>(dib.Width());
        for (std::int32_t y = 0; y < dib.Height(); ++y)
            std::memcpy(img.scanLine(y), dib.Row(y), rowBytes);
        return img;
    }
    return BuildPart(dib, 0, 0, dib.Width(), dib.Height());
}
