// GIF import through giflib: the first frame placed on the logical screen,
// as an 8-bit palette picture; the transparent colour shows as white.

#include "uDecoders.h"
#include "uPlatform.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <gif_lib.h>

namespace {

struct TGifSource {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t pos = 0;
    bool hitEnd = false;
};

int ReadFunc(GifFileType* gif, GifByteType* buf, int n) {
    auto* src = static_cast<TGifSource*>(gif->UserData);
    if (n <= 0)
        return 0;
    const std::size_t avail = src->size - src->pos;
    const std::size_t take = std::min(static_cast<std::size_t>(n), avail);
    if (take < static_cast<std::size_t>(n))
        src->hitEnd = true;
    std::memcpy(buf, src->data + src->pos, take);
    src->pos += take;
    return static_cast<int>(take);
}

std::int32_t CodeFor(int gifError, const TGifSource& src) {
    if (src.hitEnd)
        return ieUnexpectedEnd;
    switch (gifError) {
    case D_GIF_ERR_READ_FAILED:
    case D_GIF_ERR_EOF_TOO_SOON:
        return ieUnexpectedEnd;
    case D_GIF_ERR_NOT_ENOUGH_MEM:
        return ieNoMemory;
    case D_GIF_ERR_NOT_GIF_FILE:
        return ieUnknownFormat;
    default:
        return ieCorrupt;
    }
}

struct TGifCloser {
    GifFileType* gif;
    ~TGifCloser() {
        if (gif) {
            int err = 0;
            DGifCloseFile(gif, &err);
        }
    }
};

} // namespace

std::int32_t DecodeGif(const std::uint8_t* data, std::size_t size, TImportParams& params) {
    if (!data || size < 13)
        return size == 0 ? ieCorrupt : ieUnexpectedEnd;
    TGifSource src;
    src.data = data;
    src.size = size;
    int error = 0;
    TGifCloser closer{DGifOpen(&src, ReadFunc, &error)};
    GifFileType* gif = closer.gif;
    if (!gif)
        return CodeFor(error, src);

    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            return CodeFor(gif->Error, src);
        if (type == TERMINATE_RECORD_TYPE)
            return ieCorrupt; // no picture in the file
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* ext = nullptr;
            if (DGifGetExtension(gif, &code, &ext) == GIF_ERROR)
                return CodeFor(gif->Error, src);
            if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4) {
                GraphicsControlBlock gcb;
                if (DGifExtensionToGCB(ext[0], ext + 1, &gcb) == GIF_OK)
                    transparent = gcb.TransparentColor;
            }
            while (ext) {
                if (DGifGetExtensionNext(gif, &ext) == GIF_ERROR)
                    return CodeFor(gif->Error, src);
            }
            continue;
        }
        if (type == IMAGE_DESC_RECORD_TYPE)
            break;
    }
    if (DGifGetImageDesc(gif) == GIF_ERROR)
        return CodeFor(gif->Error, src);

    const GifImageDesc& desc = gif->Image;
    if (desc.Width <= 0 || desc.Height <= 0 || desc.Left < 0 || desc.Top < 0)
        return ieCorrupt;
    // A frame reaching beyond the logical screen widens the screen, as
    // browsers do, rather than being cut.
    const std::int32_t width = std::max<std::int32_t>(gif->SWidth, desc.Left + desc.Width);
    const std::int32_t height = std::max<std::int32_t>(gif->SHeight, desc.Top + desc.Height);
    const std::size_t block = TDib::BlockSizeFor(width, height, 8);
    if (block == 0)
        return ieNoMemory;
    // The screen around the frame costs no data, so a few bytes can name a
    // screen of a gigabyte. LZW never expands one byte into more than about
    // 2,730 pixels; a block above 64 MiB that would be more than 4096 times
    // the file is taken for a damaged header, not allocated.
    if (block > (std::size_t(64) << 20) && block / 4096 > size)
        return ieCorrupt;
    TDib dib = TDib::Create(width, height, 8);
    if (!dib)
        return ieNoMemory;
    Platform::AdviseLargeBlock(dib.Data(), dib.Size());

    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    TRgbQuad* pal = dib.Colors();
    int colors = 0;
    if (map && map->Colors && map->ColorCount > 0) {
        colors = std::min(map->ColorCount, 256);
        for (int i = 0; i < colors; ++i)
            pal[i] = TRgbQuad{map->Colors[i].Blue, map->Colors[i].Green, map->Colors[i].Red, 0};
    } else {
        // no colour table at all: a grey ramp
        colors = 256;
        for (int i = 0; i < 256; ++i)
            pal[i] = TRgbQuad{std::uint8_t(i), std::uint8_t(i), std::uint8_t(i), 0};
    }
    if (transparent >= 0 && transparent < 256)
        pal[transparent] = TRgbQuad{255, 255, 255, 0};

    // The screen around the frame shows the background colour of the
    // global table (white when that is the transparent one).
    const bool frameCoversScreen =
        desc.Left == 0 && desc.Top == 0 && desc.Width == width && desc.Height == height;
    if (!frameCoversScreen) {
        TRgbQuad bg{255, 255, 255, 0};
        if (gif->SColorMap && gif->SBackGroundColor >= 0 &&
            gif->SBackGroundColor < gif->SColorMap->ColorCount &&
            gif->SBackGroundColor != transparent) {
            const GifColorType& c = gif->SColorMap->Colors[gif->SBackGroundColor];
            bg = TRgbQuad{c.Blue, c.Green, c.Red, 0};
        }
        int bgIndex = -1;
        if (map == gif->SColorMap && gif->SBackGroundColor < colors &&
            std::memcmp(&pal[gif->SBackGroundColor], &bg, sizeof bg) == 0)
            bgIndex = gif->SBackGroundColor;
        if (bgIndex < 0 && colors < 256) {
            bgIndex = colors;
            pal[colors] = bg;
        }
        if (bgIndex < 0) { // a full table: the nearest colour
            int best = 1 << 30;
            for (int i = 0; i < 256; ++i) {
                const int d = std::abs(pal[i].rgbRed - bg.rgbRed) +
                              std::abs(pal[i].rgbGreen - bg.rgbGreen) +
                              std::abs(pal[i].rgbBlue - bg.rgbBlue);
                if (d < best) {
                    best = d;
                    bgIndex = i;
                }
            }
        }
        std::memset(dib.Bits(), bgIndex, dib.Stride() * std::size_t(height));
    }

    std::vector<GifPixelType> line(static_cast<std::size_t>(desc.Width));
    auto putLine = [&](std::int32_t y) {
        std::memcpy(dib.Row(desc.Top + y) + desc.Left, line.data(), line.size());
    };
    std::int32_t done = 0, lastPercent = -1;
    auto progress = [&]() {
        ++done;
        const std::int32_t p = std::int32_t(std::int64_t(done) * 99 / desc.Height);
        if (p != lastPercent) {
            lastPercent = p;
            ReportProgress(params, p);
        }
    };
    if (desc.Interlace) {
        static constexpr int kStart[4] = {0, 4, 2, 1};
        static constexpr int kStep[4] = {8, 8, 4, 2};
        for (int pass = 0; pass < 4; ++pass) {
            for (std::int32_t y = kStart[pass]; y < desc.Height; y += kStep[pass]) {
                if (DGifGetLine(gif, line.data(), desc.Width) == GIF_ERROR)
                    return CodeFor(gif->Error, src);
                putLine(y);
                progress();
            }
        }
    } else {
        for (std::int32_t y = 0; y < desc.Height; ++y) {
            if (DGifGetLine(gif, line.data(), desc.Width) == GIF_ERROR)
                return CodeFor(gif->Error, src);
            putLine(y);
            progress();
        }
    }
    // Indices beyond a short colour table would show as black: keep them
    // inside the table.
    if (colors < 256) {
        const int limit = std::max(colors, 1);
        for (std::int32_t y = 0; y < desc.Height; ++y) {
            std::uint8_t* row = dib.Row(desc.Top + y) + desc.Left;
            for (std::int32_t x = 0; x < desc.Width; ++x)
                if (row[x] >= limit)
                    row[x] = 0;
        }
    }
    ReportProgress(params, 100);
    params.Dib = std::move(dib);
    return ieOk;
}
