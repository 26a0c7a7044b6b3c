#include "uOrient.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

// Pixel access for every depth; for palette depths the value is the index.
std::uint32_t GetPixel(const std::uint8_t* row, int bits, std::int32_t x) {
    switch (bits) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 4:
        return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
    case 8:
        return row[x];
    case 24: {
        const std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
        return p[0] | (p[1] << 8) | (std::uint32_t(p[2]) << 16);
    }
    default: {
        std::uint32_t v;
        std::memcpy(&v, row + static_cast<std::size_t>(x) * 4, 4);
        return v;
    }
    }
}

void SetPixel(std::uint8_t* row, int bits, std::int32_t x, std::uint32_t v) {
    switch (bits) {
    case 1: {
        const std::uint8_t mask = std::uint8_t(0x80u >> (x & 7));
        row[x >> 3] = std::uint8_t(v ? (row[x >> 3] | mask) : (row[x >> 3] & ~mask));
        break;
    }
    case 4:
        if (x & 1)
            row[x >> 1] = std::uint8_t((row[x >> 1] & 0xF0u) | (v & 0x0Fu));
        else
            row[x >> 1] = std::uint8_t((row[x >> 1] & 0x0Fu) | ((v & 0x0Fu) << 4));
        break;
    case 8:
        row[x] = std::uint8_t(v);
        break;
    case 24: {
        std::uint8_t* p = row + static_cast<std::size_t>(x) * 3;
        p[0] = std::uint8_t(v);
        p[1] = std::uint8_t(v >> 8);
        p[2] = std::uint8_t(v >> 16);
        break;
    }
    default:
        std::memcpy(row + static_cast<std::size_t>(x) * 4, &v, 4);
        break;
    }
}

void MirrorRow(std::uint8_t* row, int bits, std::int32_t width) {
    if (bits == 8) {
        std::reverse(row, row + width);
        return;
    }
    if (bits == 24) {
        for (std::int32_t a = 0, b = width - 1; a < b; ++a, --b)
            std::swap_ranges(row + std::size_t(a) * 3, row + std::size_t(a) * 3 + 3,
                             row + std::size_t(b) * 3);
        return;
    }
    for (std::int32_t a = 0, b = width - 1; a < b; ++a, --b) {
        const std::uint32_t va = GetPixel(row, bits, a);
        SetPixel(row, bits, a, GetPixel(row, bits, b));
        SetPixel(row, bits, b, va);
    }
}

void FlipRows(TDib& dib) {
    const std::size_t stride = dib.Stride();
    std::vector<std::uint8_t> tmp(stride);
    for (std::int32_t a = 0, b = dib.Height() - 1; a < b; ++a, --b) {
        std::memcpy(tmp.data(), dib.Row(a), stride);
        std::memcpy(dib.Row(a), dib.Row(b), stride);
        std::memcpy(dib.Row(b), tmp.data(), stride);
    }
}

} // namespace

bool ApplyOrientation(TDib& dib, int orientation) {
    if (dib.IsEmpty() || orientation < 2 || orientation > 8)
        return true;
    const int bits = dib.BitCount();
    const std::int32_t w = dib.Width();
    const std::int32_t h = dib.Height();
    if (orientation <= 4) {
        if (orientation == 2 || orientation == 3)
            for (std::int32_t y = 0; y < h; ++y)
                MirrorRow(dib.Row(y), bits, w);
        if (orientation == 3 || orientation == 4)
            FlipRows(dib);
        return true;
    }
    // 5..8: the stored rows become columns. Stored pixel (x, y) goes to the
    // upright position (nx, ny) in a picture of h x w.
    TDib out = TDib::Create(h, w, static_cast<std::uint16_t>(bits));
    if (!out)
        return false;
    std::memcpy(out.Colors(), dib.Colors(), dib.ColorCount() * sizeof(TRgbQuad));
    std::vector<std::uint8_t*> rows(static_cast<std::size_t>(w));
    for (std::int32_t y = 0; y < w; ++y)
        rows[static_cast<std::size_t>(y)] = out.Row(y);
    const bool flipX = orientation == 6 || orientation == 7; // first row on the right
    const bool flipY = orientation == 7 || orientation == 8; // first column at the bottom
    // Walk in tiles so that both pictures stay in the cache.
    constexpr std::int32_t kTile = 64;
    for (std::int32_t ty = 0; ty < h; ty += kTile) {
        for (std::int32_t tx = 0; tx < w; tx += kTile) {
            const std::int32_t yEnd = std::min(h, ty + kTile);
            const std::int32_t xEnd = std::min(w, tx + kTile);
            for (std::int32_t y = ty; y < yEnd; ++y) {
                const std::uint8_t* src = dib.Row(y);
                const std::int32_t nx = flipX ? h - 1 - y : y;
                for (std::int32_t x = tx; x < xEnd; ++x) {
                    std::uint8_t* dst = rows[static_cast<std::size_t>(flipY ? w - 1 - x : x)];
                    if (bits == 24)
                        std::memcpy(dst + std::size_t(nx) * 3, src + std::size_t(x) * 3, 3);
                    else if (bits == 8)
                        dst[nx] = src[x];
                    else
                        SetPixel(dst, bits, nx, GetPixel(src, bits, x));
                }
            }
        }
    }
    TBitmapInfoHeader hdr = out.Header();
    hdr.biXPelsPerMeter = dib.Header().biYPelsPerMeter;
    hdr.biYPelsPerMeter = dib.Header().biXPelsPerMeter;
    std::memcpy(out.Data(), &hdr, sizeof hdr);
    dib = std::move(out);
    return true;
}
