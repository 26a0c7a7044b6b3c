#include "uFileInfo.h"

#include "uFileInfoData.h"
#include "uPlatform.h"
#include "uVersion.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString kNotFound = QStringLiteral("Nicht gefunden");
// German, Windows-1252: the only string table the program carries.
const QString kLanguageKey = QStringLiteral("040704E4");

QString StringPath(const QString& languageKey, const QString& name) {
    return QStringLiteral("\\StringFileInfo\\") + languageKey + QStringLiteral("\\") + name;
}

TVersionResource BuildProgramResource() {
    TVersionResource r;
    r.FileVersionMS = (std::uint32_t(VELAMOR_VERSION_MAJOR) << 16) | VELAMOR_VERSION_MINOR;
    r.FileVersionLS = (std::uint32_t(VELAMOR_VERSION_RELEASE) << 16) | VELAMOR_VERSION_BUILD;
    r.ProductVersionMS = r.FileVersionMS;
    r.ProductVersionLS = r.FileVersionLS;
    const std::pair<const char*, const char*> strings[] = {
        {"CompanyName", VELAMOR_COMPANY_NAME},
        {"FileDescription", VELAMOR_FILE_DESCRIPTION},
        {"FileVersion", VELAMOR_VERSION_STRING},
        {"InternalName", VELAMOR_INTERNAL_NAME},
        {"LegalCopyright", VELAMOR_LEGAL_COPYRIGHT},
        {"OriginalFilename", VELAMOR_ORIGINAL_FILENAME},
        {"ProductName", VELAMOR_PRODUCT_NAME},
        {"ProductVersion", VELAMOR_VERSION_STRING},
    };
    for (const auto& [name, value] : strings)
        r.Strings[StringPath(kLanguageKey, QString::fromLatin1(name))] = QString::fromUtf8(value);
    return r;
}

} // namespace

const TVersionResource& ProgramVersionResource() {
    static const TVersionResource resource = BuildProgramResource();
    return resource;
}

TProjVersion::TProjVersion(std::uint32_t ms, std::uint32_t ls)
    : vv(static_cast<std::uint8_t>((ms >> 16) & 0xFF)), rr(static_cast<std::uint8_t>(ms & 0xFF)),
      mm(static_cast<std::uint8_t>((ls >> 16) & 0xFF)), pp(static_cast<std::uint8_t>(ls & 0xFF)) {}

void TFileInfo::Load(const QString& fileName) {
    const QString own = QFileInfo(Platform::ProgramFile()).canonicalFilePath();
    const QString file = QFileInfo(fileName).canonicalFilePath();
    const bool isProgram = !file.isEmpty() && file == own;
    Load(fileName, isProgram ? &ProgramVersionResource() : nullptr);
}

void TFileInfo::Load(const QString& fileName, const TVersionResource* resource) {
    FileName = fileName;
    Buffer = resource;
    FileVersion.reset();
    ProductVersion.reset();
    if (Buffer) {
        LanguageKey = kLanguageKey;
        LastResult = true;
        FileVersion = std::make_unique<TProjVersion>(Buffer->FileVersionMS, Buffer->FileVersionLS);
        ProductVersion =
            std::make_unique<TProjVersion>(Buffer->ProductVersionMS, Buffer->ProductVersionLS);
        CompanyName = QueryString(QStringLiteral("CompanyName"));
        FileDescription = QueryString(QStringLiteral("FileDescription"));
        FileVersionText = QueryString(QStringLiteral("FileVersion"));
        InternalName = QueryString(QStringLiteral("InternalName"));
        LegalCopyright = QueryString(QStringLiteral("LegalCopyright"));
        OriginalFilename = QueryString(QStringLiteral("OriginalFilename"));
        ProductName = QueryString(QStringLiteral("ProductName"));
        ProductVersionText = QueryString(QStringLiteral("ProductVersion"));
    }
    FileDate = QDateTime();
    QFile f(fileName);
    if (f.open(QIODevice::ReadOnly)) {
        FileDate = QFileInfo(f).lastModified();
        f.close();
    }
}

QString TFileInfo::QueryString(const QString& name) {
    LastResult = false;
    if (!Buffer)
        return kNotFound;
    const auto it = Buffer->Strings.find(StringPath(LanguageKey, name));
    if (it == Buffer->Strings.end())
        return kNotFound;
    LastResult = true;
    return it->second;
}

TFileInfo& FileInfo() {
    static std::unique_ptr<TFileInfo> info;
    if (!info) {
        info = std::make_unique<TFileInfo>();
        // The built-in block belongs to the program file, whatever path the
        // platform reports for it.
        info->Load(Platform::ProgramFile(), &ProgramVersionResource());
    }
    return *info;
}
