#pragma once
// The program's settings store: an INI-style facade (section, value name,
// default) over the per-user settings of "Kestrelon/Velamor" (the registry key
// HKEY_CURRENT_USER\Software\Kestrelon\Velamor on Windows, an INI file
// elsewhere), plus the per-user data folder.
//
// A backslash in a section name addresses a deeper key ("OpenPicture\LastDirs",
// "Drucker\" + printer name); the empty section is the root key.
//
// Value encodings (kept compatible with the settings older releases wrote):
// - integers as strings holding the decimal number ("5");
// - booleans as the strings "0" and "1";
// - floats as strings in the user's locale number format (German: "2,5");
//   reading also accepts the other decimal separator, so values survive a
//   change of the user's number format;
// - strings as strings;
// - binary blocks as binary values.
//
// Reading never fails: a missing value or one that does not parse yields the
// default. A write that cannot be stored raises Exception with the message
// "Erzeugung von Schlüssel %s misslungen" naming the key path.
//
// All operations are safe to call from several threads.

#include <QByteArray>
#include <QMutex>
#include <QString>

#include <cstdint>
#include <memory>

class QSettings;
class QVariant;

class TZRRegIniFile {
public:
    // The store of the product: QSettings("Kestrelon", "Velamor") in the
    // native format, named Software\Kestrelon\Velamor in error messages.
    TZRRegIniFile();
    // A store over the given settings object (taken over). rootPath is the key
    // path shown in error messages, e.g. "Software\Kestrelon\Velamor".
    TZRRegIniFile(std::unique_ptr<QSettings> settings, QString rootPath);
    ~TZRRegIniFile();

    TZRRegIniFile(const TZRRegIniFile&) = delete;
    TZRRegIniFile& operator=(const TZRRegIniFile&) = delete;

    // Deletes the section's key with everything below it.
    void EraseSection(const QString& section);
    // True when the section holds the value.
    bool ValueExists(const QString& section, const QString& name) const;

    bool ReadBool(const QString& section, const QString& name, bool def) const;
    double ReadFloat(const QString& section, const QString& name, double def) const;
    std::int32_t ReadInteger(const QString& section, const QString& name, std::int32_t def) const;
    QString ReadString(const QString& section, const QString& name, const QString& def) const;

    void WriteBool(const QString& section, const QString& name, bool value);
    void WriteFloat(const QString& section, const QString& name, double value);
    void WriteInteger(const QString& section, const QString& name, std::int32_t value);
    void WriteString(const QString& section, const QString& name, const QString& value);

    // Size in bytes of the stored value; 0 when it is missing.
    int DataSize(const QString& section, const QString& name) const;
    // Copies the binary value into buffer, at most bufferSize bytes, and
    // answers the number of bytes copied (0 when the value is missing). A
    // value longer than the buffer is cut, never written past its end.
    int ReadBinaryData(const QString& section, const QString& name, void* buffer,
                       int bufferSize) const;
    // The whole binary value (empty when missing).
    QByteArray ReadBinary(const QString& section, const QString& name) const;
    void WriteBinaryData(const QString& section, const QString& name, const void* buffer,
                         int bufferSize);
    void WriteBinary(const QString& section, const QString& name, const QByteArray& data);

    // Writes pending changes to permanent storage.
    void Flush();

    // The key path of a section as shown in messages:
    // "Software\Kestrelon\Velamor" or "Software\Kestrelon\Velamor\Mainform".
    QString KeyPath(const QString& section) const;

    // The settings file (or registry path) behind the store.
    QString FileName() const;

private:
    QString RawString(const QString& section, const QString& name, bool* found) const;
    void Store(const QString& section, const QString& name, const QVariant& value);

    mutable QMutex mutex_;
    std::unique_ptr<QSettings> settings_;
    QString rootPath_;
};

// The program's settings store, created on first use.
TZRRegIniFile& ZRRegIniFile();

// The store over the debug viewer's key Software\Kestrelon\DebugWin32
// (HKEY_CURRENT_USER on Windows, a settings file of its own elsewhere).
TZRRegIniFile& DebugWin32Key();

// The per-user data folder: the user's application-data folder followed by
// "Kestrelon/Velamor", created with its parents when missing; the program's
// folder when it cannot be created. Always ends in a separator.
QString DataFolder();

// The program's folder with a trailing separator, as written to "InstallDir".
QString InstallDir();

// Records the program's folder as the root value "InstallDir"; called once at
// start. Answers false (and leaves the start going) when it cannot be written.
bool WriteInstallDir() noexcept;
