#include "uPlatform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <sys/file.h>
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

bool LockFileExclusive(QFile& file) {
    const int fd = file.handle();
    if (fd < 0)
        return false;
#ifdef Q_OS_WIN
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (h == INVALID_HANDLE_VALUE)
        return false;
    OVERLAPPED ov = {};
    return LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                      &ov) != 0;
#else
    return flock(fd, LOCK_EX | LOCK_NB) == 0;
#endif
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
