#include "uPlatform.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>

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

} // namespace Platform
