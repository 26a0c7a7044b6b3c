#include "udebug.h"

#include "uZRRegistry.h"

#include <QDateTime>
#include <QLocale>
#include <QLoggingCategory>
#include <QProcess>

#include <cstdarg>

namespace {

Q_LOGGING_CATEGORY(lcDebugLog, "velamor.debuglog", QtWarningMsg)

const QString kPfad = QStringLiteral("Pfad");

QString Stamp() {
    const QLocale loc;
    const QDateTime now = QDateTime::currentDateTime();
    return loc.toString(now.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           loc.toString(now.time(), QLocale::LongFormat);
}

} // namespace

TDebug::TDebug() {
    // The viewer announces itself by its window title ("Kestrelon DebugWin");
    // windows of other programs cannot be looked up here, so no viewer counts
    // as running and the configured one is started. There is no waiting for
    // it: logging does not depend on the viewer.
    try {
        TZRRegIniFile& key = DebugWin32Key();
        if (!key.ValueExists(QString(), kPfad))
            key.WriteString(QString(), kPfad, QString()); // creates the key
        viewerPath_ = key.ReadString(QString(), kPfad, QString()).trimmed();
    } catch (...) {
        viewerPath_.clear();
    }
    if (!viewerPath_.isEmpty())
        viewerStarted_ = QProcess::startDetached(viewerPath_, QStringList());
    Log(QStringLiteral("Debug.Create"));
}

TDebug::~TDebug() {
    Log(QStringLiteral("Debug.Destroy"));
}

void TDebug::Log(const QString& text) noexcept {
    try {
        qCDebug(lcDebugLog).noquote() << text;
    } catch (...) {
    }
}

void TDebug::LogFmt(const char* format, ...) noexcept {
    if (!format)
        return;
    try {
        va_list ap;
        va_start(ap, format);
        const QString line = QString::vasprintf(format, ap);
        va_end(ap);
        Log(line);
    } catch (...) {
    }
}

TDebug& Debug() {
    static TDebug logger;
    return logger;
}

QString DebugBeginLine() {
    return QStringLiteral("**** BEGINN ****\t") + Stamp() + QStringLiteral(" **** ");
}

QString DebugEndLine() {
    return QStringLiteral("**** ENDE ****\t") + Stamp() + QStringLiteral(" **** ");
}

void DebugStart() {
    Debug().Log(DebugBeginLine());
}

void DebugEnd() {
    Debug().Log(DebugEndLine());
}
