// Fuzz target: the PCX decoder on arbitrary bytes.
#include "uDecoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TImportParams params;
    const std::int32_t rc = DecodePcx(data, size, params);
    // Success and a picture go together.
    if ((rc == ieOk) == params.Dib.IsEmpty())
        __builtin_trap();
    return 0;
}
