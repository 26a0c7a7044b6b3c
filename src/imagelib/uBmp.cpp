// Windows and OS/2 bitmap files: 1, 4, 8, 16, 24 and 32 bits per pixel,
// RLE4 and RLE8, bit fields, top-down rows, the OS/2 1.x core header and the
// OS/2 2.x header, and the Windows v2 to v5 headers.
//
// Every read is checked against the end of the file and every write against
// the end of the row, whatever the header claims.

#include "uDecoders.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>

namespace {

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::size_t kFileHeader = 14;

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t U32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

// Reports row progress, only when the percentage changes.
class TRowProgress {
public:
    TRowProgress(TImportParams& params, std::int32_t rows) : params_(params), rows_(rows) {
        ReportProgress(params_, 0);
    }
    void Row(std::int32_t done) {
        const std::int32_t p =
            static_cast<std::int32_t>(std::int64_t(done) * 100 / std::max<std::int32_t>(rows_, 1));
        if (p != last_) {
            last_ = p;
            ReportProgress(params_, p);
        }
    }

private:
    TImportParams& params_;
    std::int32_t rows_;
    std::int32_t last_ = 0;
};

// One colour channel described by a bit mask, widened to 8 bits.
struct TChannel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit TChannel(std::uint32_t m) : mask(m) {
        if (m) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    std::uint8_t Get(std::uint32_t px) const {
        if (!max)
            return 0;
        const std::uint32_t v = (px & mask) >> shift;
        return static_cast<std::uint8_t>((std::uint64_t(v) * 255 + max / 2) / max);
    }
};

struct TBmpInfo {
    std::int32_t width = 0;
    std::int32_t rows = 0;
    bool topDown = false;
    int bits = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t colorsUsed = 0;
    std::int32_t xppm = 0;
    std::int32_t yppm = 0;
    std::uint32_t masks[3] = {0, 0, 0};
    bool haveMasks = false;
    std::size_t paletteAt = 0; // file offset of the colour table
    std::size_t entrySize = 4; // 3 for the OS/2 1.x core header
};

// RLE8 and RLE4: decodes into the bottom-up rows of a w x h picture. With
// bits null it only walks the data (to learn, before anything is allocated,
// whether the data hold a whole picture). Answers ieOk, or ieUnexpectedEnd
// when the data end inside the picture.
std::int32_t DecodeRle(const std::uint8_t* p, const std::uint8_t* end, std::int32_t w,
                       std::int32_t h, bool four, std::uint8_t* bits, std::size_t stride,
                       TRowProgress* progress) {
    std::int32_t x = 0;
    std::int32_t y = 0; // bottom-up row
    auto put = [&](std::uint8_t v) {
        if (bits && x < w && y < h) {
            std::uint8_t* row = bits + stride * static_cast<std::size_t>(y);
            if (four) {
                if (x & 1)
                    row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & 0xF0) | (v & 0x0F));
                else
                    row[x >> 1] = static_cast<std::uint8_t>((row[x >> 1] & 0x0F) | (v << 4));
            } else {
                row[x] = v;
            }
        }
        // Pixels beyond the row's end are dropped; x stays at the edge.
        if (x < w)
            ++x;
    };
    while (y < h) {
        if (end - p < 2)
            return ieUnexpectedEnd;
        const std::uint8_t count = p[0];
        const std::uint8_t value = p[1];
        p += 2;
        if (count > 0) {
            // Encoded run; pixels beyond the row's end are dropped.
            const int n = std::min<int>(count, std::max<std::int32_t>(w - x, 0));
            for (int i = 0; i < n; ++i)
                put(four ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
            continue;
        }
        switch (value) {
        case 0: // end of line
            x = 0;
            ++y;
            if (progress)
                progress->Row(y);
            break;
        case 1: // end of bitmap
            return ieOk;
        case 2: // delta
            if (end - p < 2)
                return ieUnexpectedEnd;
            x = static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t(x) + p[0], w));
            y += p[1];
            p += 2;
            if (progress)
                progress->Row(std::min(y, h));
            break;
        default: { // absolute run of `value` pixels, padded to 16 bits
            const std::size_t bytes = four ? (value + 1u) / 2u : value;
            const std::size_t padded = (bytes + 1u) & ~std::size_t(1);
            if (std::size_t(end - p) < bytes)
                return ieUnexpectedEnd;
            for (int i = 0; i < value; ++i)
                put(four ? ((i & 1) ? (p[i >> 1] & 0x0F) : (p[i >> 1] >> 4)) : p[i]);
            p += std::min<std::size_t>(padded, std::size_t(end - p));
            break;
        }
        }
    }
    return ieOk;
}

std::int32_t ParseHeader(const std::uint8_t* data, std::size_t size, TBmpInfo& info) {
    if (size < kFileHeader + 4)
        return ieUnexpectedEnd;
    const std::uint32_t hsize = U32(data + kFileHeader);
    if (hsize < 12 || (hsize > 12 && hsize < 16))
        return ieCorrupt;
    if (size - kFileHeader < hsize)
        return ieUnexpectedEnd;
    const std::uint8_t* h = data + kFileHeader;
    info.paletteAt = kFileHeader + hsize;
    if (hsize == 12) {
        // OS/2 1.x: 16-bit unsigned sizes, 3-byte colour table entries.
        info.width = U16(h + 4);
        info.rows = U16(h + 6);
        info.bits = U16(h + 10);
        info.entrySize = 3;
        if (info.bits != 1 && info.bits != 4 && info.bits != 8 && info.bits != 24)
            return ieCorrupt;
    } else {
        // Windows (40 and up) and OS/2 2.x (16 to 64): the first fields are
        // alike, fields the header is too short for are zero.
        std::uint8_t full[124] = {};
        std::memcpy(full, h, std::min<std::size_t>(hsize, sizeof full));
        const bool os2 = hsize < 40 || hsize == 64;
        const std::int32_t height = static_cast<std::int32_t>(U32(full + 8));
        info.width = static_cast<std::int32_t>(U32(full + 4));
        info.bits = U16(full + 14);
        info.compression = U32(full + 16);
        info.xppm = static_cast<std::int32_t>(U32(full + 24));
        info.yppm = static_cast<std::int32_t>(U32(full + 28));
        info.colorsUsed = U32(full + 32);
        if (height == std::numeric_limits<std::int32_t>::min())
            return ieCorrupt;
        info.topDown = height < 0;
        info.rows = height < 0 ? -height : height;
        if (os2 && info.compression > kRle4)
            return ieUnsupported; // OS/2 Huffman 1D and RLE24
        switch (info.compression) {
        case kRgb:
            break;
        case kRle8:
        case kRle4:
            if (info.bits != (info.compression == kRle8 ? 8 : 4) || info.topDown)
                return ieCorrupt;
            break;
        case kBitFields:
            if (info.bits != 16 && info.bits != 32)
                return ieCorrupt;
            info.haveMasks = true;
            if (hsize >= 52) {
                for (int i = 0; i < 3; ++i)
                    info.masks[i] = U32(full + 40 + 4 * i);
            } else {
                // Masks follow a 40-byte header.
                if (size - info.paletteAt < 12)
                    return ieUnexpectedEnd;
                for (int i = 0; i < 3; ++i)
                    info.masks[i] = U32(data + info.paletteAt + 4 * i);
                info.paletteAt += 12;
            }
            break;
        default:
            return ieUnsupported; // embedded JPEG or PNG, alpha bit fields
        }
        switch (info.bits) {
        case 1:
        case 4:
        case 8:
        case 16:
        case 24:
        case 32:
            break;
        case 0:
        case 2:
        case 64:
            return ieUnsupported;
        default:
            return ieCorrupt;
        }
    }
    if (info.width <= 0 || info.rows <= 0)
        return ieCorrupt;
    return ieOk;
}

} // namespace

std::int32_t DecodeBmp(const std::uint8_t* data, std::size_t size, TImportParams& params) {
    if (!data || size < 2 || data[0] != 'B' || data[1] != 'M')
        return ieUnknownFormat;
    TBmpInfo info;
    if (const std::int32_t rc = ParseHeader(data, size, info); rc != ieOk)
        return rc;

    const bool palette = info.bits <= 8;
    const int outBits = palette ? info.bits : 24;
    if (TDib::BlockSizeFor(info.width, info.rows, outBits) == 0)
        return ieNoMemory;

    // Colour table: as many entries as the header says (all when it says
    // 0), but never past the start of the pixels.
    std::uint32_t entries = 0;
    if (palette) {
        const std::uint32_t full = 1u << info.bits;
        entries = (info.colorsUsed && info.colorsUsed < full) ? info.colorsUsed : full;
        const std::uint32_t offBits = U32(data + 10);
        if (offBits > info.paletteAt && offBits <= size) {
            const std::size_t room = (offBits - info.paletteAt) / info.entrySize;
            entries = static_cast<std::uint32_t>(std::min<std::size_t>(entries, room));
        }
        if (size - info.paletteAt < entries * info.entrySize)
            return ieUnexpectedEnd;
    }

    // The pixels start where the file header says; a zero or impossible
    // offset means "right behind the colour table".
    std::size_t offBits = U32(data + 10);
    const std::size_t tableEnd = info.paletteAt + entries * info.entrySize;
    if (offBits < tableEnd)
        offBits = tableEnd;
    if (offBits > size)
        return ieUnexpectedEnd;
    const std::uint8_t* pixels = data + offBits;
    const std::size_t avail = size - offBits;

    const std::size_t srcStride = TDib::StrideFor(info.width, info.bits);
    const bool rle = info.compression == kRle8 || info.compression == kRle4;
    if (rle) {
        if (DecodeRle(pixels, pixels + avail, info.width, info.rows, info.compression == kRle4,
                      nullptr, 0, nullptr) != ieOk)
            return ieUnexpectedEnd;
    } else {
        // The last row may lack its padding.
        const std::size_t lastRow = (std::size_t(info.width) * info.bits + 7) / 8;
        const std::size_t need = srcStride * std::size_t(info.rows - 1) + lastRow;
        if (avail < need)
            return ieUnexpectedEnd;
    }

    TDib dib = TDib::Create(info.width, info.rows, static_cast<std::uint16_t>(outBits));
    if (!dib)
        return ieNoMemory;
    {
        auto& hdr = *reinterpret_cast<TBitmapInfoHeader*>(dib.Data());
        hdr.biXPelsPerMeter = info.xppm;
        hdr.biYPelsPerMeter = info.yppm;
    }
    TRgbQuad* colors = dib.Colors();
    for (std::uint32_t i = 0; i < entries; ++i) {
        const std::uint8_t* e = data + info.paletteAt + i * info.entrySize;
        colors[i].rgbBlue = e[0];
        colors[i].rgbGreen = e[1];
        colors[i].rgbRed = e[2];
        colors[i].rgbReserved = 0;
    }

    TRowProgress progress(params, info.rows);
    if (rle) {
        const std::int32_t rc =
            DecodeRle(pixels, pixels + avail, info.width, info.rows, info.compression == kRle4,
                      dib.Bits(), dib.Stride(), &progress);
        if (rc != ieOk)
            return rc;
    } else {
        const std::size_t outStride = dib.Stride();
        const std::size_t rowBytes = (std::size_t(info.width) * info.bits + 7) / 8;
        std::uint32_t m[3];
        if (info.haveMasks) {
            std::copy(info.masks, info.masks + 3, m);
        } else if (info.bits == 16) {
            m[0] = 0x7C00, m[1] = 0x03E0, m[2] = 0x001F;
        } else {
            m[0] = 0xFF0000, m[1] = 0x00FF00, m[2] = 0x0000FF;
        }
        const TChannel red(m[0]), green(m[1]), blue(m[2]);
        for (std::int32_t r = 0; r < info.rows; ++r) {
            const std::uint8_t* src = pixels + srcStride * std::size_t(r);
            // Stored row r is the bottom-up row r, or top-down row r.
            const std::int32_t outRow = info.topDown ? info.rows - 1 - r : r;
            std::uint8_t* dst = dib.Bits() + outStride * std::size_t(outRow);
            if (info.bits <= 8 || (info.bits == 24)) {
                std::memcpy(dst, src, rowBytes);
                if (info.bits < 8 && (info.width * info.bits) % 8) {
                    // Clear the unused low bits of the last byte.
                    const int used = (info.width * info.bits) % 8;
                    dst[rowBytes - 1] &= static_cast<std::uint8_t>(0xFF00 >> used);
                }
            } else if (info.bits == 16) {
                for (std::int32_t x = 0; x < info.width; ++x) {
                    const std::uint32_t px = U16(src + 2 * std::size_t(x));
                    dst[3 * x] = blue.Get(px);
                    dst[3 * x + 1] = green.Get(px);
                    dst[3 * x + 2] = red.Get(px);
                }
            } else {
                for (std::int32_t x = 0; x < info.width; ++x) {
                    const std::uint32_t px = U32(src + 4 * std::size_t(x));
                    dst[3 * x] = blue.Get(px);
                    dst[3 * x + 1] = green.Get(px);
                    dst[3 * x + 2] = red.Get(px);
                }
            }
            progress.Row(r + 1);
        }
    }
    ReportProgress(params, 100);
    params.Dib = std::move(dib);
    return ieOk;
}
