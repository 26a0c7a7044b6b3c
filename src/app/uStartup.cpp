#include "uStartup.h"

#include "uException.h"
#include "uMessage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QWidget>

#include <algorithm>

namespace {

qint64 MonotonicMs() {
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

} // namespace

TSystemClock::TSystemClock() : start_(MonotonicMs()) {}

qint64 TSystemClock::NowMs() {
    return MonotonicMs() - start_;
}

void TSystemClock::SleepMs(int ms) {
    QThread::msleep(static_cast<unsigned long>(std::max(0, ms)));
}

void TSystemClock::Pump(int maxWaitMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    // A short nap instead of spinning: the window stays responsive.
    if (maxWaitMs > 0)
        QThread::msleep(static_cast<unsigned long>(std::min(maxWaitMs, 10)));
}

int PumpUntil(TStartupClock& clock, qint64 t0, qint64 minElapsedMs) {
    int rounds = 0;
    do {
        const qint64 left = minElapsedMs - (clock.NowMs() - t0);
        clock.Pump(static_cast<int>(std::clamp<qint64>(left, 0, 1000)));
        ++rounds;
    } while (clock.NowMs() - t0 < minElapsedMs);
    return rounds;
}

std::unique_ptr<QWidget> StartWithSplash(TStartupClock& clock, const TSplashFactory& createSplash,
                                         const TMainFactory& createMain) {
    const qint64 t0 = clock.NowMs();
    std::unique_ptr<QWidget> splash = createSplash();
    if (splash) {
        splash->show();
        splash->repaint();
    }
    clock.SleepMs(kSplashPauseMs);

    std::unique_ptr<QWidget> main;
    QString error;
    try {
        main = createMain();
    } catch (const Exception& e) {
        error = e.Message();
    } catch (const std::exception& e) {
        error = QString::fromUtf8(e.what());
    }

    if (main) {
        main->setEnabled(false);
        main->show();
    }
    // The splash stays above the new window also where no window manager
    // keeps it on top.
    if (splash)
        splash->raise();
    PumpUntil(clock, t0, kSplashMinMs);
    if (main)
        main->setEnabled(true);
    splash.reset();

    if (!main && !error.isEmpty())
        Msg::ShowError(nullptr, error);
    return main;
}
