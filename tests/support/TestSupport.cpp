#include "TestSupport.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <memory>

namespace {
std::unique_ptr<QTemporaryDir> g_home;
int g_counter = 0;
} // namespace

namespace TestSupport {

QString TempHome() {
    if (!g_home) {
        g_home = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/velamor-test-XXXXXX");
    }
    return g_home->path();
}

QString NewTempDir() {
    QString dir = TempHome() + QString("/t%1").arg(++g_counter);
    QDir().mkpath(dir);
    return dir;
}

bool HaveProgram(const QString& name) {
    return !QStandardPaths::findExecutable(name).isEmpty();
}

int Run(const QString& program, const QStringList& args, QByteArray* out, int timeoutMs) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForStarted(timeoutMs))
        return -1;
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return -1;
    }
    if (out)
        *out = p.readAll();
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

RunResult RunSplit(const QString& program, const QStringList& args,
                   const QProcessEnvironment& extra, int timeoutMs) {
    QProcess p;
    if (!extra.isEmpty()) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(extra);
        p.setProcessEnvironment(env);
    }
    p.start(program, args);
    RunResult r;
    if (!p.waitForStarted(timeoutMs) || !p.waitForFinished(timeoutMs))
        return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

} // namespace TestSupport
