// velamor: the program with its window.

#include "FMaster.h"
#include "FStartbild.h"
#include "uApplication.h"
#include "uStartup.h"

#include <memory>

int main(int argc, char** argv) {
    TApplication app(argc, argv);
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Tindrel Fotodruck Schablone"));

    TSystemClock clock;
    std::unique_ptr<QWidget> master = StartWithSplash(
        clock, [] { return std::make_unique<TStartbild>(); },
        [] { return std::make_unique<TMaster>(); });
    if (!master)
        return 1;
    return app.exec();
}
