#include "uZRRegistry.h"
#include "udebug.h"

#include "TestSupport.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <gtest/gtest.h>

TEST(DebugLog, CreatesTheViewerKeyAndStartsNothing) {
    DebugWin32Key().EraseSection(QString());
    ASSERT_FALSE(DebugWin32Key().ValueExists(QString(), "Pfad"));
    QElapsedTimer t;
    t.start();
    TDebug d;
    EXPECT_LT(t.elapsed(), 2000);
    EXPECT_TRUE(DebugWin32Key().ValueExists(QString(), "Pfad"));
    EXPECT_EQ(DebugWin32Key().ReadString(QString(), "Pfad", "x"), QString());
    EXPECT_TRUE(d.ViewerPath().isEmpty());
    EXPECT_FALSE(d.ViewerStarted());
}

TEST(DebugLog, LinesAreAccepted) {
    TDebug& d = Debug();
    d.Log("eine Zeile");
    d.Log(QString());
    d.LogFmt("%s %d %.2f", "Wert", 42, 2.5);
    d.LogFmt(nullptr);
    const QString big(100000, QLatin1Char('x'));
    d.Log(big);
    DebugStart();
    DebugEnd();
    EXPECT_TRUE(DebugBeginLine().startsWith("**** BEGINN ****\t"));
    EXPECT_TRUE(DebugBeginLine().endsWith(" **** "));
    EXPECT_TRUE(DebugEndLine().startsWith("**** ENDE ****\t"));
    EXPECT_TRUE(DebugEndLine().endsWith(" **** "));
}

TEST(DebugLog, ViewerThatCannotStartIsIgnored) {
    DebugWin32Key().WriteString(QString(), "Pfad", TestSupport::NewTempDir() + "/kein-programm");
    TDebug d;
    EXPECT_FALSE(d.ViewerStarted());
    d.Log("geht weiter");
    DebugWin32Key().EraseSection(QString());
}

#ifdef Q_OS_UNIX
TEST(DebugLog, ConfiguredViewerIsStarted) {
    const QString dir = TestSupport::NewTempDir();
    const QString marker = dir + "/started";
    const QString script = dir + "/viewer.sh";
    QFile f(script);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\ntouch '%1'\n").arg(marker).toUtf8());
    f.close();
    f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    DebugWin32Key().WriteString(QString(), "Pfad", script);
    TDebug d;
    EXPECT_TRUE(d.ViewerStarted());
    for (int i = 0; i < 100 && !QFileInfo::exists(marker); ++i)
        QThread::msleep(50);
    EXPECT_TRUE(QFileInfo::exists(marker));
    DebugWin32Key().EraseSection(QString());
}
#endif
