#pragma once
// Helpers of the image library tests: deterministic test pictures, running
// the encoders of other programs, comparing decoded DIBs with the source.

#include "uDib.h"
#include "uImport.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace ImageTest {

// A w x h picture with `colours` distinct colours (2, 16, 256) or, with 0,
// a full RGB pattern.
QImage Pattern(int w, int h, int colours);

// Writes the picture to dir/name (format from the suffix) and answers the path.
QString Save(const QImage& image, const QString& dir, const QString& name);

// Runs an encoder; answers the output file's path, or an empty string when the
// program fails (the failure is added to the test).
QString Encode(const QString& program, const QStringList& args, const QString& out);
// A shell pipeline (for netpbm tools writing to stdout).
QString EncodeShell(const QString& command, const QString& out);

// Reads a file and runs one decoder / the whole import on it.
QByteArray ReadFile(const QString& path);
using TDecoder = std::int32_t (*)(const std::uint8_t*, std::size_t, TImportParams&);
std::int32_t DecodeBytes(TDecoder decoder, const QByteArray& bytes, TDib& out);

// Pixel-for-pixel comparison; answers the first difference as text, or an
// empty string. tolerance: largest difference allowed per channel.
QString Compare(const TDib& dib, const QImage& expected, int tolerance = 0);

// Little-endian byte writer for hand-built files.
struct Bytes {
    std::vector<std::uint8_t> v;
    Bytes& u8(unsigned x) {
        v.push_back(static_cast<std::uint8_t>(x));
        return *this;
    }
    Bytes& u16(unsigned x) { return u8(x & 0xFF).u8((x >> 8) & 0xFF); }
    Bytes& u32(std::uint32_t x) { return u16(x & 0xFFFF).u16(x >> 16); }
    Bytes& raw(std::initializer_list<unsigned> xs) {
        for (unsigned x : xs)
            u8(x);
        return *this;
    }
    Bytes& fill(std::size_t n, unsigned x = 0) {
        v.insert(v.end(), n, static_cast<std::uint8_t>(x));
        return *this;
    }
    void put32(std::size_t at, std::uint32_t x) {
        for (int i = 0; i < 4; ++i)
            v[at + i] = static_cast<std::uint8_t>(x >> (8 * i));
    }
    std::size_t size() const { return v.size(); }
    QByteArray bytes() const {
        return QByteArray(reinterpret_cast<const char*>(v.data()), qsizetype(v.size()));
    }
};

} // namespace ImageTest
