#pragma once
// The decoders behind the import function. Each reads a whole file held in
// memory, fills params.Dib on success and answers an import code (uImport.h).
// Palette pictures (1, 4, 8 bits) stay palette pictures; everything else
// becomes 24-bit. A decoder never allocates what a header merely claims:
// sizes are checked against TDib::kMaxBlockSize first (code 8).

#include "uImport.h"

#include <cstddef>
#include <cstdint>

std::int32_t DecodeBmp(const std::uint8_t* data, std::size_t size, TImportParams& params);
std::int32_t DecodePcx(const std::uint8_t* data, std::size_t size, TImportParams& params);
std::int32_t DecodeJpeg(const std::uint8_t* data, std::size_t size, TImportParams& params);
std::int32_t DecodeTiff(const std::uint8_t* data, std::size_t size, TImportParams& params);
std::int32_t DecodeGif(const std::uint8_t* data, std::size_t size, TImportParams& params);

// Reports a percentage through the block's callback, if any.
inline void ReportProgress(TImportParams& params, std::int32_t percent) {
    if (params.Progress)
        params.Progress(percent, params.UserValue);
}
