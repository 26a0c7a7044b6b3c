// The import function: reads the file, recognises the format by its first
// bytes (never by the file name) and hands the bytes to the decoder.

#include "uImport.h"
#include "uDecoders.h"

#include <QFile>
#include <QString>

#include <cstring>

namespace {

enum class TFormat { Unknown, Bmp, Pcx, Jpeg, Tiff, Gif };

bool StartsWith(const std::uint8_t* data, std::size_t size, const char* magic, std::size_t n) {
    return size >= n && std::memcmp(data, magic, n) == 0;
}

TFormat Recognise(const std::uint8_t* data, std::size_t size) {
    if (StartsWith(data, size, "BM", 2))
        return TFormat::Bmp;
    if (StartsWith(data, size, "\xFF\xD8\xFF", 3))
        return TFormat::Jpeg;
    if (StartsWith(data, size, "II*\0", 4) || StartsWith(data, size, "MM\0*", 4))
        return TFormat::Tiff;
    if (StartsWith(data, size, "GIF87a", 6) || StartsWith(data, size, "GIF89a", 6))
        return TFormat::Gif;
    // PCX has only one magic byte; the version, the encoding and the bits per
    // pixel must be plausible too, so that a text file is not taken for one.
    if (size >= 4 && data[0] == 0x0A && (data[1] <= 5 && data[1] != 1) && data[2] <= 1 &&
        (data[3] == 1 || data[3] == 2 || data[3] == 4 || data[3] == 8))
        return TFormat::Pcx;
    return TFormat::Unknown;
}

} // namespace

std::int32_t ipImportMemory(const std::uint8_t* data, std::size_t size, TImportParams& params) {
    params.Dib.Reset();
    if (!data || size == 0)
        return ieUnexpectedEnd;
    std::int32_t rc = ieUnknownFormat;
    switch (Recognise(data, size)) {
    case TFormat::Bmp:
        rc = DecodeBmp(data, size, params);
        break;
    case TFormat::Pcx:
        rc = DecodePcx(data, size, params);
        break;
    case TFormat::Jpeg:
        rc = DecodeJpeg(data, size, params);
        break;
    case TFormat::Tiff:
        rc = DecodeTiff(data, size, params);
        break;
    case TFormat::Gif:
        rc = DecodeGif(data, size, params);
        break;
    case TFormat::Unknown:
        return ieUnknownFormat;
    }
    if (rc != ieOk) {
        params.Dib.Reset();
        return rc;
    }
    if (params.Dib.IsEmpty())
        return ieCorrupt;
    ReportProgress(params, 100);
    return ieOk;
}

std::int32_t ipImportInd(TImportParams& params) {
    params.Dib.Reset();
    QFile file(QString::fromUtf8(params.FileName.c_str()));
    if (params.FileName.empty() || !file.open(QIODevice::ReadOnly))
        return ieOpen;
    // Read, not mapped: a file shortened by another program while we decode
    // must give an error code, not a bus error.
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return ieUnexpectedEnd;
    return ipImportMemory(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                          static_cast<std::size_t>(bytes.size()), params);
}
