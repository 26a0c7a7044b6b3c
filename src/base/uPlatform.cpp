#include "uPlatform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

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

} // namespace Platform
