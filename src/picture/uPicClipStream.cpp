#include "uPicClipStream.h"

#include "uException.h"

#include <cmath>
#include <cstring>

namespace {

void PutBytes(QByteArray& out, const void* p, std::size_t n) {
    out.append(static_cast<const char*>(p), static_cast<qsizetype>(n));
}

void PutDouble(QByteArray& out, double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    unsigned char b[8];
    for (int i = 0; i < 8; ++i)
        b[i] = static_cast<unsigned char>(bits >> (8 * i));
    PutBytes(out, b, 8);
}

void PutInt32(QByteArray& out, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    unsigned char b[4];
    for (int i = 0; i < 4; ++i)
        b[i] = static_cast<unsigned char>(u >> (8 * i));
    PutBytes(out, b, 4);
}

[[noreturn]] void Incomplete() {
    throw Exception(QStringLiteral("Die Daten in der Zwischenablage sind unvollständig."));
}

[[noreturn]] void Damaged() {
    throw Exception(QStringLiteral("Die Daten in der Zwischenablage sind beschädigt."));
}

class TReader {
public:
    explicit TReader(const QByteArray& s) : data_(s.constData()), size_(s.size()) {}

    qsizetype Left() const { return size_ - pos_; }

    const char* Take(qsizetype n) {
        if (n < 0 || n > Left())
            Incomplete();
        const char* p = data_ + pos_;
        pos_ += n;
        return p;
    }

    double Double() {
        const auto* p = reinterpret_cast<const unsigned char*>(Take(8));
        std::uint64_t bits = 0;
        for (int i = 0; i < 8; ++i)
            bits |= static_cast<std::uint64_t>(p[i]) << (8 * i);
        double v;
        std::memcpy(&v, &bits, sizeof v);
        return v;
    }

    std::int32_t Int32() {
        const auto* p = reinterpret_cast<const unsigned char*>(Take(4));
        std::uint32_t u = 0;
        for (int i = 0; i < 4; ++i)
            u |= static_cast<std::uint32_t>(p[i]) << (8 * i);
        return static_cast<std::int32_t>(u);
    }

private:
    const char* data_;
    qsizetype size_;
    qsizetype pos_ = 0;
};

bool ValidFraction(double f) {
    return std::isfinite(f) && f >= 0.0 && f <= 1.0;
}

} // namespace

QByteArray WritePicClipStream(double panX, double panY, double zoom, const QString& fileName,
                              const TDib& dib) {
    const QByteArray name = fileName.toLocal8Bit();
    QByteArray out;
    out.reserve(32 + name.size() + static_cast<qsizetype>(dib.Size()));
    PutDouble(out, panX);
    PutDouble(out, panY);
    PutDouble(out, zoom);
    PutInt32(out, static_cast<std::int32_t>(name.size()));
    out.append(name);
    PutInt32(out, static_cast<std::int32_t>(dib.Size()));
    PutBytes(out, dib.Data(), dib.Size());
    return out;
}

TPicClipData ReadPicClipStream(const QByteArray& stream) {
    TReader r(stream);
    TPicClipData d;
    d.VerschiebungX = r.Double();
    d.VerschiebungY = r.Double();
    d.Zoom = r.Double();
    if (!ValidFraction(d.VerschiebungX) || !ValidFraction(d.VerschiebungY) ||
        !std::isfinite(d.Zoom) || d.Zoom > kMaxClipZoom)
        Damaged();
    const std::int32_t n = r.Int32();
    if (n < 0)
        Damaged();
    const char* name = r.Take(n);
    d.FileName = QString::fromLocal8Bit(name, n);
    const std::int32_t m = r.Int32();
    if (m < 0)
        Damaged();
    if (m == 0)
        throw Exception(QStringLiteral("Die Zwischenablage enthält kein Bild."));
    const char* bits = r.Take(m);
    d.Dib = TDib::FromPacked(bits, static_cast<std::size_t>(m));
    if (d.Dib.IsEmpty())
        throw Exception(QStringLiteral("Die Bilddaten in der Zwischenablage sind beschädigt."));
    return d;
}
