#pragma once
// The start-up sequence: splash, main window creation, the wait until the
// splash has been shown long enough.

#include <QtGlobal>

#include <functional>
#include <memory>

class QWidget;

// Time source of the start-up. The program uses the monotonic millisecond
// clock; tests substitute their own.
class TStartupClock {
public:
    virtual ~TStartupClock() = default;
    virtual qint64 NowMs() = 0;
    virtual void SleepMs(int ms) = 0;
    // Delivers pending events once, waiting at most maxWaitMs for new ones.
    virtual void Pump(int maxWaitMs) = 0;
};

// The real clock: QElapsedTimer, QThread::msleep, processEvents.
class TSystemClock : public TStartupClock {
public:
    TSystemClock();
    qint64 NowMs() override;
    void SleepMs(int ms) override;
    void Pump(int maxWaitMs) override;

private:
    qint64 start_;
};

// How long the splash stays at least, from the start tick.
constexpr qint64 kSplashMinMs = 3000;
// The pause after the splash is first painted.
constexpr int kSplashPauseMs = 300;

// Pumps events until the clock has advanced at least minElapsedMs past t0
// (at least once). Answers the number of pump rounds.
int PumpUntil(TStartupClock& clock, qint64 t0, qint64 minElapsedMs);

using TMainFactory = std::function<std::unique_ptr<QWidget>()>;
using TSplashFactory = std::function<std::unique_ptr<QWidget>()>;

// Shows the splash, creates the main window, shows it disabled while the
// splash stays until kSplashMinMs after the start, then enables it and
// destroys the splash. When the main window cannot be created the wait still
// runs, the error shows in the standard error box afterwards, and the answer
// is empty.
std::unique_ptr<QWidget> StartWithSplash(TStartupClock& clock, const TSplashFactory& createSplash,
                                         const TMainFactory& createMain);
