#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

namespace TestSupport {
// The temporary folder that stands for the user's home in this test run
// (settings, application data). Removed when the test program ends.
QString TempHome();
// A fresh, empty folder below TempHome() for one test.
QString NewTempDir();
// True when an external program can be found on the PATH.
bool HaveProgram(const QString& name);
// Runs a program, answers its exit code (-1 when it could not start).
int Run(const QString& program, const QStringList& args, QByteArray* out = nullptr,
        int timeoutMs = 60000);

// What a program wrote on each channel and its exit code (-1 when it could
// not start, crashed or timed out).
struct RunResult {
    int code = -1;
    QByteArray out;
    QByteArray err;
};
// Runs a program with stdout and stderr kept apart; extra variables are added
// to the test's own environment.
RunResult RunSplit(const QString& program, const QStringList& args,
                   const QProcessEnvironment& extra = QProcessEnvironment(),
                   int timeoutMs = 300000);
} // namespace TestSupport
