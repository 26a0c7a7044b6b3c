#include "uPlatform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace Platform {

QString ProgramFile() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QString();
}

QString ProgramDir() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QString();
}

bool MatchFileMask(const QString& fileName, const QString& mask) {
    const QString re = QRegularExpression::wildcardToRegularExpression(
        mask, QRegularExpression::UnanchoredWildcardConversion);
    QRegularExpression rx(QRegularExpression::anchoredPattern(re),
                          QRegularExpression::CaseInsensitiveOption);
    return rx.match(fileName).hasMatch();
}

void AdviseLargeBlock(void* data, std::size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;
    if (!data || size < 4 * kHuge)
        return;
    // only whole huge pages inside the block
    const std::uintptr_t begin =
        (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kHuge - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

bool PrefaultBlock(void* data, std::size_t size) {
#if defined(__linux__)
    constexpr std::uintptr_t kPage = 4096;
    const std::uintptr_t begin =
        (reinterpret_cast<std::uintptr_t>(data) + kPage - 1) & ~(kPage - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kPage - 1);
    if (!data || end <= begin)
        return false;
    constexpr int kPopulateWrite = 23; // MADV_POPULATE_WRITE, Linux 5.14
    return madvise(reinterpret_cast<void*>(begin), end - begin, kPopulateWrite) == 0;
#else
    (void)data;
    (void)size;
    return false;
#endif
}

} // namespace Platform
