// Fuzz target: the whole import (format recognition and every decoder) on
// arbitrary bytes.
#include "uImport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TImportParams params;
    params.Flags = 776;
    const std::int32_t rc = ipImportMemory(data, size, params);
    if ((rc == ieOk) == params.Dib.IsEmpty())
        __builtin_trap();
    if (rc == ieOk) {
        const int bits = params.Dib.BitCount();
        if (bits != 1 && bits != 4 && bits != 8 && bits != 24)
            __builtin_trap();
    }
    return 0;
}
