#include "uZRRegistry.h"

#include "uException.h"
#include "uPlatform.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMutexLocker>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>
#include <QVariant>

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

const QString kOrganisation = QStringLiteral("Kestrelon");
const QString kProductRoot = QStringLiteral("Software\\Kestrelon\\Velamor");
const QString kDebugRoot = QStringLiteral("Software\\Kestrelon\\DebugWin32");

// Sections use backslashes like registry paths; the settings object nests
// groups with slashes.
QString GroupOf(const QString& section) {
    QString g = section;
    g.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (g.startsWith(QLatin1Char('/')))
        g.remove(0, 1);
    while (g.endsWith(QLatin1Char('/')))
        g.chop(1);
    return g;
}

QString KeyOf(const QString& section, const QString& name) {
    const QString g = GroupOf(section);
    return g.isEmpty() ? name : g + QLatin1Char('/') + name;
}

// The user's number format without thousands separators, so that a stored
// float reads back exactly as written.
QLocale NumberLocale() {
    QLocale loc;
    loc.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return loc;
}

QString WithSeparator(const QString& dir) {
    QString d = QDir::toNativeSeparators(dir);
    if (!d.endsWith(QDir::separator()))
        d += QDir::separator();
    return d;
}

} // namespace

TZRRegIniFile::TZRRegIniFile()
    : TZRRegIniFile(std::make_unique<QSettings>(kOrganisation, QStringLiteral("Velamor")),
                    kProductRoot) {}

TZRRegIniFile::TZRRegIniFile(std::unique_ptr<QSettings> settings, QString rootPath)
    : settings_(std::move(settings)), rootPath_(std::move(rootPath)) {}

TZRRegIniFile::~TZRRegIniFile() = default;

QString TZRRegIniFile::KeyPath(const QString& section) const {
    return section.isEmpty() ? rootPath_ : rootPath_ + QLatin1Char('\\') + section;
}

QString TZRRegIniFile::FileName() const {
    QMutexLocker lock(&mutex_);
    return settings_->fileName();
}

void TZRRegIniFile::EraseSection(const QString& section) {
    QMutexLocker lock(&mutex_);
    const QString g = GroupOf(section);
    if (g.isEmpty()) {
        settings_->clear();
    } else {
        settings_->remove(g);
    }
    settings_->sync();
    if (settings_->status() == QSettings::AccessError)
        throw Exception(
            QStringLiteral("Erzeugung von Schlüssel %1 misslungen").arg(KeyPath(section)));
}

bool TZRRegIniFile::ValueExists(const QString& section, const QString& name) const {
    QMutexLocker lock(&mutex_);
    return settings_->contains(KeyOf(section, name));
}

QString TZRRegIniFile::RawString(const QString& section, const QString& name, bool* found) const {
    QMutexLocker lock(&mutex_);
    const QVariant v = settings_->value(KeyOf(section, name));
    *found = v.isValid();
    if (!v.isValid())
        return QString();
    // A hand-edited INI value with commas comes back as a list.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(QLatin1Char(','));
    if (v.typeId() == QMetaType::QByteArray)
        return QString::fromUtf8(v.toByteArray());
    return v.toString();
}

std::int32_t TZRRegIniFile::ReadInteger(const QString& section, const QString& name,
                                        std::int32_t def) const {
    bool found = false;
    const QString s = RawString(section, name, &found).trimmed();
    if (!found)
        return def;
    bool ok = false;
    const int v = s.toInt(&ok, 10);
    return ok ? v : def;
}

bool TZRRegIniFile::ReadBool(const QString& section, const QString& name, bool def) const {
    return ReadInteger(section, name, def ? 1 : 0) != 0;
}

double TZRRegIniFile::ReadFloat(const QString& section, const QString& name, double def) const {
    bool found = false;
    const QString s = RawString(section, name, &found).trimmed();
    if (!found || s.isEmpty())
        return def;
    bool ok = false;
    double v = NumberLocale().toDouble(s, &ok);
    if (!ok) {
        // Written under another number format (the user switched between a
        // decimal comma and a decimal point): a calibration offset must not
        // fall back to 0 because of that.
        QString c = s;
        c.replace(QLatin1Char(','), QLatin1Char('.'));
        QLocale cLocale = QLocale::c();
        cLocale.setNumberOptions(QLocale::RejectGroupSeparator);
        v = cLocale.toDouble(c, &ok);
    }
    return ok && std::isfinite(v) ? v : def;
}

QString TZRRegIniFile::ReadString(const QString& section, const QString& name,
                                  const QString& def) const {
    bool found = false;
    const QString s = RawString(section, name, &found);
    return found ? s : def;
}

void TZRRegIniFile::Store(const QString& section, const QString& name, const QVariant& value) {
    QMutexLocker lock(&mutex_);
    bool failed = !settings_->isWritable();
    if (!failed) {
        settings_->setValue(KeyOf(section, name), value);
        settings_->sync();
        failed = settings_->status() == QSettings::AccessError;
    }
    if (failed)
        throw Exception(
            QStringLiteral("Erzeugung von Schlüssel %1 misslungen").arg(KeyPath(section)));
}

void TZRRegIniFile::WriteInteger(const QString& section, const QString& name, std::int32_t value) {
    Store(section, name, QString::number(value));
}

void TZRRegIniFile::WriteBool(const QString& section, const QString& name, bool value) {
    Store(section, name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TZRRegIniFile::WriteFloat(const QString& section, const QString& name, double value) {
    // Fifteen significant digits, as the program always wrote them.
    Store(section, name, NumberLocale().toString(value, 'g', 15));
}

void TZRRegIniFile::WriteString(const QString& section, const QString& name, const QString& value) {
    Store(section, name, value);
}

int TZRRegIniFile::DataSize(const QString& section, const QString& name) const {
    QMutexLocker lock(&mutex_);
    const QVariant v = settings_->value(KeyOf(section, name));
    if (!v.isValid())
        return 0;
    if (v.typeId() == QMetaType::QByteArray)
        return static_cast<int>(v.toByteArray().size());
    // A string value: its characters with the terminating zero, as the
    // registry counts them.
    return static_cast<int>((v.toString().size() + 1) * sizeof(char16_t));
}

QByteArray TZRRegIniFile::ReadBinary(const QString& section, const QString& name) const {
    QMutexLocker lock(&mutex_);
    const QVariant v = settings_->value(KeyOf(section, name));
    if (!v.isValid() || v.typeId() != QMetaType::QByteArray)
        return QByteArray();
    return v.toByteArray();
}

int TZRRegIniFile::ReadBinaryData(const QString& section, const QString& name, void* buffer,
                                  int bufferSize) const {
    if (!buffer || bufferSize <= 0)
        return 0;
    const QByteArray data = ReadBinary(section, name);
    const int n = std::min(bufferSize, static_cast<int>(data.size()));
    if (n > 0)
        std::memcpy(buffer, data.constData(), static_cast<size_t>(n));
    return n;
}

void TZRRegIniFile::WriteBinaryData(const QString& section, const QString& name, const void* buffer,
                                    int bufferSize) {
    if (!buffer || bufferSize < 0)
        bufferSize = 0;
    WriteBinary(section, name,
                QByteArray(static_cast<const char*>(buffer), static_cast<qsizetype>(bufferSize)));
}

void TZRRegIniFile::WriteBinary(const QString& section, const QString& name,
                                const QByteArray& data) {
    Store(section, name, data);
}

void TZRRegIniFile::Flush() {
    QMutexLocker lock(&mutex_);
    settings_->sync();
}

TZRRegIniFile& ZRRegIniFile() {
    static TZRRegIniFile store;
    return store;
}

TZRRegIniFile& DebugWin32Key() {
    static TZRRegIniFile store(
        std::make_unique<QSettings>(kOrganisation, QStringLiteral("DebugWin32")), kDebugRoot);
    return store;
}

QString DataFolder() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!base.isEmpty()) {
        const QString dir = QDir(base).filePath(QStringLiteral("Kestrelon/Velamor"));
        if (QFileInfo(dir).isDir() || QDir().mkpath(dir)) {
            if (QFileInfo(dir).isDir())
                return WithSeparator(dir);
        }
    }
    return InstallDir();
}

QString InstallDir() {
    const QString dir = Platform::ProgramDir();
    return WithSeparator(dir.isEmpty() ? QDir::currentPath() : dir);
}

bool WriteInstallDir() noexcept {
    try {
        ZRRegIniFile().WriteString(QString(), QStringLiteral("InstallDir"), InstallDir());
        return true;
    } catch (...) {
        return false;
    }
}
