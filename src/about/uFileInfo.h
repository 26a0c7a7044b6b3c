#pragma once
// The version information of the program file: four version numbers and the
// eight standard strings, read once and offered to the splash and about box.
//
// The program's version information is compiled in from the build (the same
// values the Windows version resource of the program file carries), so the
// reader works alike on every platform.

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>

// A raw version information block: fixed part plus string tables.
struct TVersionResource {
    // The fixed part as two 32-bit halves each: most significant half holds
    // major (high word) and minor (low word), least significant half release
    // and build.
    std::uint32_t FileVersionMS = 0;
    std::uint32_t FileVersionLS = 0;
    std::uint32_t ProductVersionMS = 0;
    std::uint32_t ProductVersionLS = 0;
    // Query paths ("\StringFileInfo\040704E4\CompanyName") and their values.
    std::map<QString, QString> Strings;
};

// The version information built into this program.
const TVersionResource& ProgramVersionResource();

// One version number in four parts, each the low byte of its 16-bit word.
class TProjVersion {
public:
    TProjVersion(std::uint32_t mostSignificant, std::uint32_t leastSignificant);

    std::uint8_t vv = 0; // major
    std::uint8_t rr = 0; // minor
    std::uint8_t mm = 0; // release
    std::uint8_t pp = 0; // build
};

class TFileInfo {
public:
    TFileInfo() = default;
    virtual ~TFileInfo() = default;
    TFileInfo(const TFileInfo&) = delete;
    TFileInfo& operator=(const TFileInfo&) = delete;

    // Reads the version information of a file. The program file answers the
    // built-in block; other files have none (versions absent, strings empty).
    virtual void Load(const QString& fileName);
    // Reads the given block (none: no version information) and the file's date.
    void Load(const QString& fileName, const TVersionResource* resource);
    // A string of the string table in LanguageKey; "Nicht gefunden" when the
    // value (or the whole block) is missing, LastResult tells which.
    virtual QString QueryString(const QString& name);

    QString FileName;
    QDateTime FileDate; // invalid when the file cannot be opened
    QString LanguageKey;
    std::unique_ptr<TProjVersion> FileVersion;    // absent without version information
    std::unique_ptr<TProjVersion> ProductVersion; // absent without version information
    bool LastResult = false;

    QString CompanyName;
    QString FileDescription;
    QString FileVersionText;
    QString InternalName;
    QString LegalCopyright;
    QString OriginalFilename;
    QString ProductName;
    QString ProductVersionText;

private:
    const TVersionResource* Buffer = nullptr;
};

// The program file's version information, loaded on first use.
TFileInfo& FileInfo();
