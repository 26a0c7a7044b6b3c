// TIFF import through libtiff over the file held in memory. Palette,
// bilevel and grey pictures are read sample by sample and keep a colour
// table; everything else goes through libtiff's RGBA conversion.

#include "uDecoders.h"
#include "uOrient.h"
#include "uPlatform.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <limits>
#include <vector>

#include <tiffio.h>

namespace {

// The in-memory file and what libtiff told us while reading it.
struct TTiffSource {
    const std::uint8_t* data = nullptr;
    std::uint64_t size = 0;
    std::uint64_t pos = 0;
    bool hitEnd = false; // a read asked for bytes behind the end
};

tmsize_t ReadProc(thandle_t h, void* buf, tmsize_t n) {
    auto* src = static_cast<TTiffSource*>(h);
    if (n <= 0)
        return 0;
    const std::uint64_t want = static_cast<std::uint64_t>(n);
    const std::uint64_t avail = src->pos < src->size ? src->size - src->pos : 0;
    const std::uint64_t take = std::min(want, avail);
    if (take < want)
        src->hitEnd = true;
    if (take)
        std::memcpy(buf, src->data + src->pos, static_cast<std::size_t>(take));
    src->pos += take;
    return static_cast<tmsize_t>(take);
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t) {
    return 0;
}

toff_t SeekProc(thandle_t h, toff_t off, int whence) {
    auto* src = static_cast<TTiffSource*>(h);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR)
        base = src->pos;
    else if (whence == SEEK_END)
        base = src->size;
    if (off > std::numeric_limits<std::uint64_t>::max() - base)
        return static_cast<toff_t>(-1);
    src->pos = base + off;
    return src->pos;
}

int CloseProc(thandle_t) {
    return 0;
}

toff_t SizeProc(thandle_t h) {
    return static_cast<TTiffSource*>(h)->size;
}

int MapProc(thandle_t, void**, toff_t*) {
    return 0;
}

void UnmapProc(thandle_t, void*, toff_t) {}

// libtiff's messages: the answer code says what went wrong, so they are
// only kept off stderr (and off the process-wide handlers).
int QuietHandler(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

// Closes the TIFF handle on every path.
struct TTiffCloser {
    TIFF* tif;
    ~TTiffCloser() {
        if (tif)
            TIFFClose(tif);
    }
};

struct TOptionsFree {
    TIFFOpenOptions* opts;
    ~TOptionsFree() { TIFFOpenOptionsFree(opts); }
};

void SetResolution(TDib& dib, TIFF* tif) {
    float xres = 0, yres = 0;
    std::uint16_t unit = RESUNIT_INCH;
    if (!TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres) ||
        !TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres))
        return;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    double f;
    if (unit == RESUNIT_INCH)
        f = 10000.0 / 254.0;
    else if (unit == RESUNIT_CENTIMETER)
        f = 100.0;
    else
        return;
    if (!(xres > 0 && yres > 0 && xres < 1e6f && yres < 1e6f))
        return;
    TBitmapInfoHeader h = dib.Header();
    h.biXPelsPerMeter = std::int32_t(xres * f + 0.5);
    h.biYPelsPerMeter = std::int32_t(yres * f + 0.5);
    std::memcpy(dib.Data(), &h, sizeof h);
}

class TProgress {
public:
    explicit TProgress(TImportParams& params) : params_(params) {}
    void Rows(std::uint32_t done, std::uint32_t total) {
        const std::int32_t p = std::int32_t(std::uint64_t(done) * 99 / (total ? total : 1));
        if (p != last_) {
            last_ = p;
            ReportProgress(params_, p);
        }
    }

private:
    TImportParams& params_;
    std::int32_t last_ = -1;
};

// Reads the stored rows of a picture with its samples together (one sample,
// or contiguous RGB), packed as in the file (bits per pixel, first sample in
// the high bits), top to bottom in stored order, and hands each to
// sink(y, row). Answers false on a read error.
template <class Sink>
bool ReadPackedRows(TIFF* tif, std::uint32_t width, std::uint32_t height, int bits,
                    TProgress& progress, Sink sink) {
    const std::uint64_t rowBytes = (std::uint64_t(width) * std::uint32_t(bits) + 7) / 8;
    if (TIFFIsTiled(tif)) {
        std::uint32_t tw = 0, th = 0;
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tw);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &th);
        const tmsize_t tileSize = TIFFTileSize(tif);
        const tmsize_t tileRow = TIFFTileRowSize(tif);
        if (tw == 0 || th == 0 || tileSize <= 0 || tileRow <= 0 ||
            std::uint64_t(tileRow) < (std::uint64_t(tw) * std::uint32_t(bits) + 7) / 8 ||
            std::uint64_t(tileRow) * th > std::uint64_t(tileSize))
            return false;
        std::vector<std::uint8_t> tile(static_cast<std::size_t>(tileSize));
        std::vector<std::uint8_t> band(static_cast<std::size_t>(rowBytes) * th);
        for (std::uint32_t ty = 0; ty < height; ty += th) {
            const std::uint32_t rows = std::min(th, height - ty);
            for (std::uint32_t tx = 0; tx < width; tx += tw) {
                if (TIFFReadEncodedTile(tif, TIFFComputeTile(tif, tx, ty, 0, 0), tile.data(),
                                        tileSize) < 0)
                    return false;
                const std::uint32_t cols = std::min(tw, width - tx);
                const std::size_t bytes = (std::size_t(cols) * std::uint32_t(bits) + 7) / 8;
                // tile widths are multiples of 16, so a tile starts on a byte
                const std::size_t offset = std::size_t(tx) * std::uint32_t(bits) / 8;
                for (std::uint32_t r = 0; r < rows; ++r)
                    std::memcpy(band.data() + std::size_t(r) * rowBytes + offset,
                                tile.data() + std::size_t(r) * std::size_t(tileRow), bytes);
            }
            for (std::uint32_t r = 0; r < rows; ++r)
                sink(ty + r, band.data() + std::size_t(r) * rowBytes);
            progress.Rows(ty + rows, height);
        }
        return true;
    }
    std::uint32_t rps = 0;
    TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &rps);
    if (rps == 0 || rps > height)
        rps = height;
    const tmsize_t scanline = TIFFScanlineSize(tif);
    if (scanline <= 0 || std::uint64_t(scanline) < rowBytes)
        return false;
    std::vector<std::uint8_t> strip(static_cast<std::size_t>(scanline) * rps);
    for (std::uint32_t y = 0; y < height; y += rps) {
        const std::uint32_t rows = std::min(rps, height - y);
        const tmsize_t want = scanline * tmsize_t(rows);
        if (TIFFReadEncodedStrip(tif, TIFFComputeStrip(tif, y, 0), strip.data(), want) < want)
            return false;
        for (std::uint32_t r = 0; r < rows; ++r)
            sink(y + r, strip.data() + std::size_t(r) * std::size_t(scanline));
        progress.Rows(y + rows, height);
    }
    return true;
}

std::uint32_t Sample(const std::uint8_t* row, int bps, std::uint32_t x) {
    switch (bps) {
    case 1:
        return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 2:
        return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3u;
    case 4:
        return (x & 1) ? (row[x >> 1] & 15u) : (row[x >> 1] >> 4);
    case 8:
        return row[x];
    default: { // 16, host byte order
        std::uint16_t v;
        std::memcpy(&v, row + std::size_t(x) * 2, 2);
        return v;
    }
    }
}

std::int32_t Fail(const TTiffSource& src) {
    return src.hitEnd ? ieUnexpectedEnd : ieCorrupt;
}

} // namespace

std::int32_t DecodeTiff(const std::uint8_t* data, std::size_t size, TImportParams& params) {
    if (!data || size < 8)
        return size == 0 ? ieCorrupt : ieUnexpectedEnd;
    TTiffSource src;
    src.data = data;
    src.size = size;

    TOptionsFree opts{TIFFOpenOptionsAlloc()};
    if (!opts.opts)
        return ieNoMemory;
    TIFFOpenOptionsSetErrorHandlerExtR(opts.opts, QuietHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(opts.opts, QuietHandler, nullptr);
    TIFFOpenOptionsSetMaxSingleMemAlloc(opts.opts, tmsize_t(TDib::kMaxBlockSize));
    // "m": no memory mapping, every byte comes through ReadProc.
    TTiffCloser closer{TIFFClientOpenExt("picture.tif", "rm", &src, ReadProc, WriteProc, SeekProc,
                                         CloseProc, SizeProc, MapProc, UnmapProc, opts.opts)};
    TIFF* tif = closer.tif;
    if (!tif)
        return Fail(src);

    std::uint32_t width = 0, height = 0;
    std::uint16_t bps = 1, spp = 1, photometric = 0, compression = COMPRESSION_NONE;
    std::uint16_t sampleFormat = SAMPLEFORMAT_UINT, orientation = ORIENTATION_TOPLEFT;
    if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height) || width == 0 || height == 0)
        return Fail(src);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bps);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &spp);
    TIFFGetFieldDefaulted(tif, TIFFTAG_COMPRESSION, &compression);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLEFORMAT, &sampleFormat);
    TIFFGetFieldDefaulted(tif, TIFFTAG_ORIENTATION, &orientation);
    const bool havePhotometric = TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric) != 0;
    std::uint16_t planar = PLANARCONFIG_CONTIG;
    TIFFGetFieldDefaulted(tif, TIFFTAG_PLANARCONFIG, &planar);
    if (!TIFFIsCODECConfigured(compression))
        return ieUnsupported;
    if (width > std::uint32_t(std::numeric_limits<std::int32_t>::max()) ||
        height > std::uint32_t(std::numeric_limits<std::int32_t>::max()))
        return ieNoMemory;
    const std::int32_t w = std::int32_t(width), h = std::int32_t(height);

    TProgress progress(params);
    TDib dib;
    const bool oneSample = spp == 1 && sampleFormat == SAMPLEFORMAT_UINT && havePhotometric;
    const bool palette = oneSample && photometric == PHOTOMETRIC_PALETTE &&
                         (bps == 1 || bps == 2 || bps == 4 || bps == 8);
    const bool grey =
        oneSample &&
        (photometric == PHOTOMETRIC_MINISBLACK || photometric == PHOTOMETRIC_MINISWHITE) &&
        (bps == 1 || bps == 2 || bps == 4 || bps == 8 || bps == 16);
    // the common case read directly, without libtiff's RGBA conversion
    const bool plainRgb = spp == 3 && bps == 8 && havePhotometric &&
                          photometric == PHOTOMETRIC_RGB && planar == PLANARCONFIG_CONTIG &&
                          sampleFormat == SAMPLEFORMAT_UINT;

    if (palette) {
        const int bits = bps == 2 ? 4 : bps;
        if (TDib::BlockSizeFor(w, h, bits) == 0)
            return ieNoMemory;
        std::uint16_t *red = nullptr, *green = nullptr, *blue = nullptr;
        if (!TIFFGetField(tif, TIFFTAG_COLORMAP, &red, &green, &blue))
            return ieCorrupt;
        dib = TDib::Create(w, h, std::uint16_t(bits));
        if (!dib)
            return ieNoMemory;
        Platform::AdviseLargeBlock(dib.Data(), dib.Size());
        const std::uint32_t n = 1u << bps;
        // Some writers store 8-bit values in the 16-bit colour map.
        bool eightBit = true;
        for (std::uint32_t i = 0; i < n; ++i)
            if (red[i] > 255 || green[i] > 255 || blue[i] > 255)
                eightBit = false;
        auto scale = [eightBit](std::uint16_t v) {
            return std::uint8_t(eightBit ? v : (std::uint32_t(v) * 255 + 32767) / 65535);
        };
        TRgbQuad* pal = dib.Colors();
        for (std::uint32_t i = 0; i < n; ++i)
            pal[i] = TRgbQuad{scale(blue[i]), scale(green[i]), scale(red[i]), 0};
        const std::size_t rowBytes = (std::size_t(width) * bps + 7) / 8;
        const bool ok = ReadPackedRows(tif, width, height, bps, progress,
                                       [&](std::uint32_t y, const std::uint8_t* row) {
                                           std::uint8_t* d = dib.Row(std::int32_t(y));
                                           if (bps != 2) {
                                               std::memcpy(d, row, rowBytes);
                                               return;
                                           }
                                           for (std::uint32_t x = 0; x < width; ++x) {
                                               const std::uint32_t v = Sample(row, 2, x);
                                               d[x >> 1] |= std::uint8_t((x & 1) ? v : v << 4);
                                           }
                                       });
        if (!ok)
            return Fail(src);
    } else if (grey) {
        const int bits = bps == 1 ? 1 : 8;
        if (TDib::BlockSizeFor(w, h, bits) == 0)
            return ieNoMemory;
        dib = TDib::Create(w, h, std::uint16_t(bits));
        if (!dib)
            return ieNoMemory;
        Platform::AdviseLargeBlock(dib.Data(), dib.Size());
        const bool whiteIsZero = photometric == PHOTOMETRIC_MINISWHITE;
        TRgbQuad* pal = dib.Colors();
        if (bits == 1) {
            // the bits stay as stored; the table says what they mean
            const std::uint8_t zero = whiteIsZero ? 255 : 0;
            pal[0] = TRgbQuad{zero, zero, zero, 0};
            pal[1] = TRgbQuad{std::uint8_t(255 - zero), std::uint8_t(255 - zero),
                              std::uint8_t(255 - zero), 0};
        } else {
            for (int i = 0; i < 256; ++i)
                pal[i] = TRgbQuad{std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0};
        }
        const std::size_t rowBytes = (std::size_t(width) + 7) / 8;
        const std::uint32_t maxValue = (1u << bps) - 1;
        const bool ok = ReadPackedRows(
            tif, width, height, bps, progress, [&](std::uint32_t y, const std::uint8_t* row) {
                std::uint8_t* d = dib.Row(std::int32_t(y));
                if (bits == 1) {
                    std::memcpy(d, row, rowBytes);
                    return;
                }
                for (std::uint32_t x = 0; x < width; ++x) {
                    std::uint32_t v = Sample(row, bps, x);
                    v = bps == 8 ? v : (v * 255 + maxValue / 2) / maxValue;
                    d[x] = std::uint8_t(whiteIsZero ? 255 - v : v);
                }
            });
        if (!ok)
            return Fail(src);
    } else if (plainRgb) {
        if (TDib::BlockSizeFor(w, h, 24) == 0)
            return ieNoMemory;
        dib = TDib::Create(w, h, 24);
        if (!dib)
            return ieNoMemory;
        Platform::AdviseLargeBlock(dib.Data(), dib.Size());
        const bool ok = ReadPackedRows(
            tif, width, height, 24, progress, [&](std::uint32_t y, const std::uint8_t* row) {
                std::uint8_t* d = dib.Row(std::int32_t(y));
                for (std::uint32_t x = 0; x < width; ++x, d += 3, row += 3) {
                    d[0] = row[2];
                    d[1] = row[1];
                    d[2] = row[0];
                }
            });
        if (!ok)
            return Fail(src);
    } else {
        char emsg[1024] = {};
        if (!TIFFRGBAImageOK(tif, emsg))
            return src.hitEnd ? ieUnexpectedEnd : ieUnsupported;
        if (TDib::BlockSizeFor(w, h, 24) == 0)
            return ieNoMemory;
        TIFFRGBAImage img;
        if (!TIFFRGBAImageBegin(&img, tif, 1, emsg))
            return src.hitEnd ? ieUnexpectedEnd : ieUnsupported;
        struct TEnd {
            TIFFRGBAImage* img;
            ~TEnd() { TIFFRGBAImageEnd(img); }
        } end{&img};
        // Rows come in stored order; the orientation is applied afterwards
        // for every kind of picture alike.
        img.req_orientation = img.orientation;
        std::uint32_t unit = 0;
        if (TIFFIsTiled(tif))
            TIFFGetField(tif, TIFFTAG_TILELENGTH, &unit);
        else
            TIFFGetFieldDefaulted(tif, TIFFTAG_ROWSPERSTRIP, &unit);
        if (unit == 0 || unit > height)
            unit = height;
        // whole strips or tiles per call, so that nothing is decoded twice
        const std::uint32_t chunk = std::min(height, unit * std::max(1u, 64u / unit));
        if (std::uint64_t(width) * chunk * 4 > TDib::kMaxBlockSize)
            return ieNoMemory;
        dib = TDib::Create(w, h, 24);
        if (!dib)
            return ieNoMemory;
        Platform::AdviseLargeBlock(dib.Data(), dib.Size());
        std::vector<std::uint32_t> raster;
        raster.resize(std::size_t(width) * chunk);
        for (std::uint32_t y = 0; y < height; y += chunk) {
            const std::uint32_t rows = std::min(chunk, height - y);
            img.row_offset = int(y);
            img.col_offset = 0;
            if (!TIFFRGBAImageGet(&img, raster.data(), width, rows))
                return Fail(src);
            for (std::uint32_t r = 0; r < rows; ++r) {
                const std::uint32_t* s = raster.data() + std::size_t(r) * width;
                std::uint8_t* d = dib.Row(std::int32_t(y + r));
                for (std::uint32_t x = 0; x < width; ++x, d += 3) {
                    // libtiff answers premultiplied colour: over white is c + (255 - a)
                    const std::uint32_t p = s[x];
                    const std::uint32_t under = 255 - TIFFGetA(p);
                    d[0] = std::uint8_t(std::min(255u, TIFFGetB(p) + under));
                    d[1] = std::uint8_t(std::min(255u, TIFFGetG(p) + under));
                    d[2] = std::uint8_t(std::min(255u, TIFFGetR(p) + under));
                }
            }
            progress.Rows(y + rows, height);
        }
    }
    SetResolution(dib, tif);
    if (!ApplyOrientation(dib, orientation))
        return ieNoMemory;
    ReportProgress(params, 100);
    params.Dib = std::move(dib);
    return ieOk;
}
