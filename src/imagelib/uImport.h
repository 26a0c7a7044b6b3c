#pragma once
// The image import function: reads a picture file (Windows bitmap, TIFF, JPEG,
// PCX, GIF - recognised by content, not by the file name) into a packed DIB.
// Reentrant: the thumbnail loader thread imports while the GUI thread does.

#include "uDib.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Progress callback: percent 0..100 and the user value; answers 0.
using TImportProgress = std::int32_t (*)(std::int32_t percent, void* user);

// The parameter block of the import. The Windows library takes a 152-byte
// block of 32-bit fields; on 64-bit platforms the pointers do not fit there, so
// the block is a typed struct with the same fields.
struct TImportParams {
    std::uint32_t Size = 152;           // offset 0
    void* UserValue = nullptr;          // offset 4: handed back to the callback
    TImportProgress Progress = nullptr; // offset 8
    std::uint32_t Flags = 0;            // offset 12: 776 picture image, 1800 thumbnails
    std::uint32_t Reserved16 = 0;       // offset 16
    std::uint32_t Mode20 = 0;           // offset 20: 0 picture image, 1 thumbnails
    std::string FileName;               // offset 24: path in the local 8-bit encoding (UTF-8 here)
    TDib Dib;                           // offset 56: the imported picture on success
};

// Import result codes (0 = success).
enum TImportError : std::int32_t {
    ieOk = 0,
    ieCancelled = 1,
    ieUnknownFormat = 2,
    ieCorrupt = 3,
    ieClose = 4,
    ieOpen = 5,
    ieWrite = 6,
    ieUnexpectedEnd = 7,
    ieNoMemory = 8,
    ieUnsupported = 9,
};

// Imports params.FileName into params.Dib; answers 0 or an error code.
std::int32_t ipImportInd(TImportParams& params);

// The same for a file already in memory (used by tests and fuzzing).
std::int32_t ipImportMemory(const std::uint8_t* data, std::size_t size, TImportParams& params);
