// ZSoft PCX files: 1 bit (one plane), 2 to 4 planes of 1 bit (EGA, colours
// from the header), 4 bits packed, 8 bits with the 256-colour table at the end
// of the file, and 24 bits in three planes (a fourth plane is ignored).
//
// The run-length data is read strictly inside the buffer; a run may cross
// plane and row boundaries, as many writers produce it.

#include "uDecoders.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kHeaderSize = 128;
constexpr std::size_t kVgaPalette = 769; // marker 0x0C and 256 RGB triples

std::uint16_t U16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

// Unpacks the run-length (or plain) byte stream one scan line at a time.
class TPcxReader {
public:
    TPcxReader(const std::uint8_t* p, const std::uint8_t* end, bool rle)
        : p_(p), end_(end), rle_(rle) {}

    // Fills line with n bytes; false when the data ends first.
    bool Read(std::uint8_t* line, std::size_t n) {
        std::size_t i = 0;
        while (i < n) {
            if (run_ > 0) {
                const std::size_t k = std::min<std::size_t>(run_, n - i);
                std::memset(line + i, value_, k);
                run_ -= k;
                i += k;
                continue;
            }
            if (p_ >= end_)
                return false;
            const std::uint8_t c = *p_++;
            if (rle_ && (c & 0xC0) == 0xC0) {
                if (p_ >= end_)
                    return false;
                run_ = c & 0x3F;
                value_ = *p_++;
            } else {
                line[i++] = c;
            }
        }
        return true;
    }

private:
    const std::uint8_t* p_;
    const std::uint8_t* end_;
    bool rle_;
    std::size_t run_ = 0;
    std::uint8_t value_ = 0;
};

} // namespace

std::int32_t DecodePcx(const std::uint8_t* data, std::size_t size, TImportParams& params) {
    if (!data || size < 1 || data[0] != 0x0A)
        return ieUnknownFormat;
    if (size < kHeaderSize)
        return ieUnexpectedEnd;
    const std::uint8_t encoding = data[2];
    const int bpp = data[3];
    const int planes = data[65];
    const std::size_t bytesPerLine = U16(data + 66);
    if (encoding > 1)
        return ieCorrupt;
    const int xmin = U16(data + 4), ymin = U16(data + 6);
    const int xmax = U16(data + 8), ymax = U16(data + 10);
    if (xmax < xmin || ymax < ymin)
        return ieCorrupt;
    const std::int32_t width = xmax - xmin + 1;
    const std::int32_t height = ymax - ymin + 1;

    // Which layout, and what it becomes.
    int outBits = 0;
    if (bpp == 1 && planes == 1)
        outBits = 1;
    else if (bpp == 1 && planes >= 2 && planes <= 4)
        outBits = 4;
    else if (bpp == 4 && planes == 1)
        outBits = 4;
    else if (bpp == 8 && planes == 1)
        outBits = 8;
    else if (bpp == 8 && (planes == 3 || planes == 4))
        outBits = 24;
    else if (bpp == 0 || planes == 0)
        return ieCorrupt;
    else
        return ieUnsupported;
    if (bytesPerLine < (std::size_t(width) * bpp + 7) / 8)
        return ieCorrupt;
    if (TDib::BlockSizeFor(width, height, outBits) == 0)
        return ieNoMemory;

    // 8-bit pictures carry their colour table at the end of the file.
    const std::uint8_t* end = data + size;
    const std::uint8_t* vga = nullptr;
    if (outBits == 8 && size >= kHeaderSize + kVgaPalette && data[size - kVgaPalette] == 0x0C) {
        vga = data + size - kVgaPalette + 1;
        end = data + size - kVgaPalette;
    }

    // A run of two bytes yields at most 63 bytes: data that cannot possibly
    // hold the picture is cut short, and we know it before allocating.
    const std::size_t lineBytes = bytesPerLine * std::size_t(planes);
    const std::size_t dataBytes = std::size_t(end - (data + kHeaderSize));
    const std::uint64_t maxOut = encoding ? (std::uint64_t(dataBytes) / 2 + 1) * 63 : dataBytes;
    if (std::uint64_t(lineBytes) * std::uint64_t(height) > maxOut)
        return ieUnexpectedEnd;

    TDib dib = TDib::Create(width, height, static_cast<std::uint16_t>(outBits));
    if (!dib)
        return ieNoMemory;
    {
        auto& hdr = *reinterpret_cast<TBitmapInfoHeader*>(dib.Data());
        // Resolution in dots per inch -> per metre.
        hdr.biXPelsPerMeter = static_cast<std::int32_t>(U16(data + 12) * 10000 / 254);
        hdr.biYPelsPerMeter = static_cast<std::int32_t>(U16(data + 14) * 10000 / 254);
    }
    TRgbQuad* colors = dib.Colors();
    if (outBits == 1) {
        colors[1].rgbRed = colors[1].rgbGreen = colors[1].rgbBlue = 255;
    } else if (outBits == 4) {
        for (int i = 0; i < 16; ++i) {
            colors[i].rgbRed = data[16 + 3 * i];
            colors[i].rgbGreen = data[17 + 3 * i];
            colors[i].rgbBlue = data[18 + 3 * i];
        }
    } else if (outBits == 8) {
        for (int i = 0; i < 256; ++i) {
            if (vga) {
                colors[i].rgbRed = vga[3 * i];
                colors[i].rgbGreen = vga[3 * i + 1];
                colors[i].rgbBlue = vga[3 * i + 2];
            } else {
                // No colour table: a grey picture.
                colors[i].rgbRed = colors[i].rgbGreen = colors[i].rgbBlue =
                    static_cast<std::uint8_t>(i);
            }
        }
    }

    ReportProgress(params, 0);
    std::int32_t last = 0;
    std::vector<std::uint8_t> line(lineBytes);
    TPcxReader reader(data + kHeaderSize, end, encoding == 1);
    for (std::int32_t y = 0; y < height; ++y) {
        if (!reader.Read(line.data(), lineBytes))
            return ieUnexpectedEnd;
        std::uint8_t* dst = dib.Row(y);
        switch (bpp * 10 + (outBits == 24 ? 3 : (bpp == 1 && planes > 1 ? 2 : 1))) {
        case 11: // 1 bit, one plane
        case 81: // 8 bits, one plane
            std::memcpy(dst, line.data(), (std::size_t(width) * bpp + 7) / 8);
            if (bpp == 1 && width % 8)
                dst[(width - 1) / 8] &= static_cast<std::uint8_t>(0xFF00 >> (width % 8));
            break;
        case 41: // 4 bits packed
            std::memcpy(dst, line.data(), (std::size_t(width) + 1) / 2);
            if (width & 1)
                dst[width / 2] &= 0xF0;
            break;
        case 12: // planar EGA: plane i gives bit i of the colour index
            for (std::int32_t x = 0; x < width; ++x) {
                std::uint8_t v = 0;
                for (int pl = 0; pl < planes; ++pl) {
                    const std::uint8_t b = line[std::size_t(pl) * bytesPerLine + (x >> 3)];
                    v |= static_cast<std::uint8_t>(((b >> (7 - (x & 7))) & 1) << pl);
                }
                dst[x >> 1] |= (x & 1) ? v : static_cast<std::uint8_t>(v << 4);
            }
            break;
        default: // 83: 24 bits, red, green and blue planes
            for (std::int32_t x = 0; x < width; ++x) {
                dst[3 * x] = line[2 * bytesPerLine + std::size_t(x)];
                dst[3 * x + 1] = line[bytesPerLine + std::size_t(x)];
                dst[3 * x + 2] = line[std::size_t(x)];
            }
            break;
        }
        const std::int32_t pct = static_cast<std::int32_t>(std::int64_t(y + 1) * 100 / height);
        if (pct != last) {
            last = pct;
            ReportProgress(params, pct);
        }
    }
    params.Dib = std::move(dib);
    return ieOk;
}
