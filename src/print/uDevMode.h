#pragma once
// The device mode: the settings of one printer queue as a versioned binary
// block, the form in which the printer object takes and gives them and in
// which they are stored per printer.
//
// Layout (little-endian): "VDEV", version (16 bit), payload length (32 bit),
// payload, CRC-32 of everything before it. A block that does not parse, has
// another version, fails its checksum or names another printer is refused.

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

class TDevMode {
public:
    static constexpr quint16 kVersion = 1;
    // dmColor values.
    static constexpr int kMonochrome = 1;
    static constexpr int kColor = 2;
    // Duplex values.
    static constexpr int kSimplex = 0;
    static constexpr int kDuplexLongEdge = 1;
    static constexpr int kDuplexShortEdge = 2;

    QString DeviceName; // the queue the settings belong to
    QString PaperKey;   // the print system's name of the paper size ("A4")
    double PaperWidthMM = 210;
    double PaperHeightMM = 297;
    int Orientation = 0; // 0 portrait, 1 landscape
    int Color = kColor;
    int Resolution = 600; // dots per inch
    int Duplex = kSimplex;
    qint16 Copies = 1;
    // The queue's own options (option key, choice key) as its driver names
    // them, PageSize, Resolution, ColorModel and Duplex included.
    QList<QPair<QString, QString>> Options;

    QByteArray Serialize() const;
    // The settings of a block, or nothing when it is not a valid block of
    // this version.
    static std::optional<TDevMode> Parse(const QByteArray& block);

    QString Option(const QString& key) const;
    void SetOption(const QString& key, const QString& value);

    friend bool operator==(const TDevMode&, const TDevMode&) = default;
};
