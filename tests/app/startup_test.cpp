#include "FStartbild.h"
#include "MessageCapture.h"
#include "uApplication.h"
#include "uException.h"
#include "uStartup.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

// A clock that advances only when the start-up sleeps or pumps.
class FakeClock : public TStartupClock {
public:
    explicit FakeClock(qint64 start, qint64 step) : Now(start), Step(step) {}
    qint64 NowMs() override { return Now; }
    void SleepMs(int ms) override {
        Log.push_back("sleep " + std::to_string(ms));
        Now += ms;
    }
    void Pump(int maxWaitMs) override {
        EXPECT_GE(maxWaitMs, 0);
        ++Pumps;
        if (OnPump)
            OnPump();
        Now += Step;
    }

    qint64 Now;
    qint64 Step;
    int Pumps = 0;
    std::vector<std::string> Log;
    std::function<void()> OnPump;
};

} // namespace

TEST(Startup, PumpsUntilTheMinimumHasPassed) {
    FakeClock c(0, 250);
    EXPECT_EQ(PumpUntil(c, 0, 3000), 12);
    EXPECT_EQ(c.Now, 3000);

    FakeClock d(100, 1000);
    EXPECT_EQ(PumpUntil(d, 100, 3000), 3); // 1100, 2100, 3100
    EXPECT_EQ(d.Now, 3100);
}

TEST(Startup, PumpsOnceEvenWhenTheTimeHasPassed) {
    FakeClock c(5000, 10);
    EXPECT_EQ(PumpUntil(c, 0, 3000), 1);
}

TEST(Startup, MainWindowWaitsDisabledUnderTheSplash) {
    FakeClock c(1000, 400);
    QPointer<QWidget> splash;
    QPointer<QWidget> main;
    bool splashShownBeforeCreation = false;
    std::vector<std::string> pumpStates;
    c.OnPump = [&] {
        pumpStates.push_back(std::string(main && !main->isEnabled() ? "disabled" : "enabled") +
                             (main && main->isVisible() ? " visible" : " hidden") +
                             (splash ? " splash" : " nosplash"));
    };
    std::unique_ptr<QWidget> result = StartWithSplash(
        c,
        [&] {
            auto s = std::make_unique<TStartbild>();
            splash = s.get();
            return std::unique_ptr<QWidget>(std::move(s));
        },
        [&] {
            splashShownBeforeCreation = splash && splash->isVisible();
            c.Log.push_back("create at " + std::to_string(c.Now));
            auto w = std::make_unique<QWidget>();
            main = w.get();
            return w;
        });
    ASSERT_TRUE(result);
    EXPECT_TRUE(splashShownBeforeCreation);
    // 300 ms pause first, then the main window.
    EXPECT_EQ(c.Log, (std::vector<std::string>{"sleep 300", "create at 1300"}));
    // Pumped while disabled and visible with the splash up, until 3000 ms
    // after the start tick: 1300 + 400 * 7 = 4100 >= 4000.
    EXPECT_EQ(c.Pumps, 7);
    for (const std::string& s : pumpStates)
        EXPECT_EQ(s, "disabled visible splash");
    EXPECT_GE(c.Now - 1000, kSplashMinMs);
    EXPECT_TRUE(result->isEnabled());
    EXPECT_TRUE(result->isVisible());
    EXPECT_TRUE(splash.isNull());
}

TEST(Startup, FailedCreationStillWaitsThenShowsTheError) {
    MessageCapture cap;
    FakeClock c(0, 500);
    QPointer<QWidget> splash;
    std::unique_ptr<QWidget> result = StartWithSplash(
        c,
        [&] {
            auto s = std::make_unique<TStartbild>();
            splash = s.get();
            return std::unique_ptr<QWidget>(std::move(s));
        },
        []() -> std::unique_ptr<QWidget> {
            throw Exception(QStringLiteral("Hauptfenster kaputt"));
        });
    EXPECT_FALSE(result);
    EXPECT_GE(c.Now, kSplashMinMs);
    EXPECT_TRUE(splash.isNull());
    EXPECT_EQ(cap.Errors, QStringList{"Hauptfenster kaputt"});
}

TEST(Splash, FormPictureAndVersion) {
    TStartbild s;
    EXPECT_EQ(s.size(), QSize(400, 300));
    EXPECT_TRUE(s.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(s.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(s.lbVersion->text(), "Version 2.00");
    EXPECT_EQ(s.lbVersion->x(), 188);
    EXPECT_EQ(s.lbVersion->y(), 124);
    EXPECT_EQ(s.lbVersion->width(), 181);
    EXPECT_TRUE(s.lbVersion->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(s.lbVersion->palette().color(QPalette::WindowText), QColor(Qt::yellow));
    // A 1-pixel black frame along the picture's edge, not filled.
    const QImage img = s.Image1->pixmap().toImage();
    ASSERT_EQ(img.size(), QSize(400, 300));
    for (QPoint p : {QPoint(0, 0), QPoint(399, 0), QPoint(0, 299), QPoint(399, 299), QPoint(200, 0),
                     QPoint(0, 150)})
        EXPECT_EQ(img.pixelColor(p), QColor(Qt::black)) << p.x() << "," << p.y();
    EXPECT_NE(img.pixelColor(1, 1), QColor(Qt::black));
}

TEST(ErrorBox, CommandErrorsAreShownAndEndTheCommand) {
    MessageCapture cap;
    EXPECT_FALSE(TApplication::Guarded([]() -> bool { throw Exception("Datei fehlt"); }));
    EXPECT_FALSE(TApplication::Guarded([]() -> bool { throw std::runtime_error("kaputt"); }));
    EXPECT_EQ(cap.Errors, (QStringList{"Datei fehlt", "kaputt"}));
    EXPECT_TRUE(TApplication::Guarded([] { return true; }));
    EXPECT_FALSE(TApplication::Guarded([] { return false; }));
    EXPECT_EQ(cap.Errors.size(), 2);
}
