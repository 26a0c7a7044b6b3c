#pragma once
// The byte stream of a picture position on the clipboard (little-endian):
//
//   offset  size  content
//   0       8     pan fraction X (IEEE 754 double)
//   8       8     pan fraction Y (double)
//   16      8     zoom (double)
//   24      4     n = length of the file name in bytes (signed 32-bit)
//   28      n     the file name (8-bit local encoding, no terminator)
//   28 + n  4     m = size of the packed DIB block
//   32 + n  m     the packed DIB block, byte for byte
//
// A paste restores picture, crop and zoom exactly as they were copied, also
// into an area of another shape (the fractions are reapplied there).

#include "uDib.h"

#include <QByteArray>
#include <QString>

struct TPicClipData {
    double VerschiebungX = 0.5;
    double VerschiebungY = 0.5;
    double Zoom = 1.0;
    QString FileName;
    TDib Dib;
};

// The largest zoom a pasted stream may carry.
constexpr double kMaxClipZoom = 100.0;

// The stream for a picture (which must not be empty).
QByteArray WritePicClipStream(double panX, double panY, double zoom, const QString& fileName,
                              const TDib& dib);

// Reads a stream back. Never reads past the block: data that is too short for
// the lengths it states, that carries values no position can have or whose
// picture is not a consistent packed DIB raises an Exception with a German
// reason. Bytes behind the picture (a clipboard block rounded up) are ignored.
TPicClipData ReadPicClipStream(const QByteArray& stream);
