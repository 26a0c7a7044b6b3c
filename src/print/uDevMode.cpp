#include "uDevMode.h"

#include <QDataStream>
#include <QIODevice>

#include <array>

namespace {

const char kMagic[4] = {'V', 'D', 'E', 'V'};
constexpr int kHeaderSize = 4 + 2 + 4;
constexpr int kMaxOptions = 4096;

quint32 Crc32(const char* data, qsizetype size) {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (qsizetype i = 0; i < size; ++i)
        crc = table[(crc ^ static_cast<quint8>(data[i])) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void SetupStream(QDataStream& s) {
    s.setByteOrder(QDataStream::LittleEndian);
    s.setVersion(QDataStream::Qt_6_0);
    s.setFloatingPointPrecision(QDataStream::DoublePrecision);
}

} // namespace

QByteArray TDevMode::Serialize() const {
    QByteArray payload;
    {
        QDataStream s(&payload, QIODevice::WriteOnly);
        SetupStream(s);
        s << DeviceName.toUtf8() << PaperKey.toUtf8() << PaperWidthMM << PaperHeightMM
          << qint32(Orientation) << qint32(Color) << qint32(Resolution) << qint32(Duplex)
          << qint16(Copies) << quint32(Options.size());
        for (const auto& o : Options)
            s << o.first.toUtf8() << o.second.toUtf8();
    }
    QByteArray block;
    {
        QDataStream s(&block, QIODevice::WriteOnly);
        SetupStream(s);
        s.writeRawData(kMagic, 4);
        s << kVersion << quint32(payload.size());
        s.writeRawData(payload.constData(), int(payload.size()));
        s << Crc32(block.constData(), block.size());
    }
    return block;
}

std::optional<TDevMode> TDevMode::Parse(const QByteArray& block) {
    if (block.size() < kHeaderSize + 4 || !block.startsWith(QByteArray(kMagic, 4)))
        return std::nullopt;
    QDataStream s(block);
    SetupStream(s);
    s.skipRawData(4);
    quint16 version = 0;
    quint32 length = 0;
    s >> version >> length;
    if (version != kVersion || qsizetype(length) != block.size() - kHeaderSize - 4)
        return std::nullopt;
    quint32 crc = 0;
    {
        QDataStream c(block.mid(block.size() - 4));
        SetupStream(c);
        c >> crc;
    }
    if (crc != Crc32(block.constData(), block.size() - 4))
        return std::nullopt;

    TDevMode m;
    QByteArray device, paper;
    qint32 orientation = 0, color = 0, resolution = 0, duplex = 0;
    qint16 copies = 0;
    quint32 count = 0;
    s >> device >> paper >> m.PaperWidthMM >> m.PaperHeightMM >> orientation >> color >>
        resolution >> duplex >> copies >> count;
    if (s.status() != QDataStream::Ok || count > quint32(kMaxOptions))
        return std::nullopt;
    for (quint32 i = 0; i < count; ++i) {
        QByteArray key, value;
        s >> key >> value;
        if (s.status() != QDataStream::Ok)
            return std::nullopt;
        m.Options.append({QString::fromUtf8(key), QString::fromUtf8(value)});
    }
    if (s.status() != QDataStream::Ok || s.device()->pos() != kHeaderSize + qint64(length))
        return std::nullopt;
    if (!(m.PaperWidthMM > 0 && m.PaperWidthMM < 10000 && m.PaperHeightMM > 0 &&
          m.PaperHeightMM < 10000) ||
        (orientation != 0 && orientation != 1) || (color != kMonochrome && color != kColor) ||
        resolution < 1 || resolution > 100000 || duplex < kSimplex || duplex > kDuplexShortEdge ||
        copies < 1)
        return std::nullopt;
    m.DeviceName = QString::fromUtf8(device);
    m.PaperKey = QString::fromUtf8(paper);
    m.Orientation = orientation;
    m.Color = color;
    m.Resolution = resolution;
    m.Duplex = duplex;
    m.Copies = copies;
    return m;
}

QString TDevMode::Option(const QString& key) const {
    for (const auto& o : Options) {
        if (o.first == key)
            return o.second;
    }
    return QString();
}

void TDevMode::SetOption(const QString& key, const QString& value) {
    for (auto& o : Options) {
        if (o.first == key) {
            o.second = value;
            return;
        }
    }
    Options.append({key, value});
}
