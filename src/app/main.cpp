// velamor: the program with its window.

#include "FMaster.h"
#include "FStartbild.h"
#include "uApplication.h"
#include "uStartup.h"
#include "uZRRegistry.h"
#include "udebug.h"

#include <memory>

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    // The settings record the program folder; the debug log starts.
    WriteInstallDir();
    DebugStart();
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Tindrel Fotodruck Schablone"));

    TSystemClock clock;
    std::unique_ptr<QWidget> master = StartWithSplash(
        clock, [] { return std::make_unique<TStartbild>(); },
        [] { return std::make_unique<TMaster>(); });
    int result = 1;
    if (master) {
        result = app.exec();
        master.reset(); // saves the window placement
    }
    DebugEnd();
    return result;
}
