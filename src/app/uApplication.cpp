#include "uApplication.h"

#include "uException.h"
#include "uMessage.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    return Guarded([&] { return QApplication::notify(receiver, event); });
}

bool TApplication::Guarded(const std::function<bool()>& deliver) {
    QString message;
    try {
        return deliver();
    } catch (const Exception& e) {
        message = e.Message();
    } catch (const std::exception& e) {
        message = QString::fromUtf8(e.what());
    }
    // Shown after the handler has unwound, so the box runs its own loop on a
    // clean stack.
    Msg::ShowError(QApplication::activeWindow(), message);
    return false;
}
