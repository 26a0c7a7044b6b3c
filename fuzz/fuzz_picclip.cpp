// Fuzz target: the byte stream of a picture position read back from the
// clipboard, where any program may have put anything under our format. What
// is accepted must survive a second round trip unchanged.
#include "uException.h"
#include "uPicClipStream.h"

#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact copy, so that any read past the block is seen.
    const QByteArray stream(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    TPicClipData d;
    try {
        d = ReadPicClipStream(stream);
    } catch (const Exception&) {
        return 0;
    }
    if (d.Dib.IsEmpty() || !(d.VerschiebungX >= 0 && d.VerschiebungX <= 1) ||
        !(d.VerschiebungY >= 0 && d.VerschiebungY <= 1))
        __builtin_trap();
    const QByteArray again =
        WritePicClipStream(d.VerschiebungX, d.VerschiebungY, d.Zoom, d.FileName, d.Dib);
    const TPicClipData e = ReadPicClipStream(again);
    if (e.Dib.Size() != d.Dib.Size() || std::memcmp(e.Dib.Data(), d.Dib.Data(), d.Dib.Size()) ||
        e.Zoom != d.Zoom || e.FileName != d.FileName)
        __builtin_trap();
    return 0;
}
