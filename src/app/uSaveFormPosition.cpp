#include "uSaveFormPosition.h"

#include "uPlacement.h"
#include "uZRRegistry.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {

QRect WorkArea(const QWidget* window) {
    QScreen* screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

// Width and height the window frame adds to the client area (0 while the
// window system has not told them yet).
QSize FrameExtra(const QWidget* window) {
    return window->frameGeometry().size() - window->geometry().size();
}

// Gives a window the outer bounds `outer`: the frame's top-left corner at
// outer's, the client area outer's size less the frame.
void ApplyOuterBounds(QWidget* window, const QRect& outer) {
    const QSize extra = FrameExtra(window);
    window->resize(outer.size() - extra);
    window->move(outer.topLeft());
}

// Some window systems tell the frame size only once the window is on screen.
// Until then the outer bounds are applied as client bounds; this watcher
// corrects them the first time the frame is known, so the window neither
// grows nor shifts from run to run. It gives up a moment after the window
// is shown, before the user can have moved it.
class TFrameWatcher : public QObject {
public:
    TFrameWatcher(QWidget* window, const QRect& outer)
        : QObject(window), window_(window), outer_(outer) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Show:
            QTimer::singleShot(1500, this, [this] { deleteLater(); });
            Check();
            break;
        case QEvent::Move:
        case QEvent::Resize:
            Check();
            break;
        case QEvent::WindowStateChange:
            if (window_->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))
                deleteLater();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void Check() {
        if (done_ || !window_->isVisible() || FrameExtra(window_).isNull())
            return;
        done_ = true;
        ApplyOuterBounds(window_, outer_);
        deleteLater();
    }

    QPointer<QWidget> window_;
    QRect outer_;
    bool done_ = false;
};

} // namespace

void SaveFormPosition(QWidget* window, const QString& section) {
    SavePlacement(ZRRegIniFile(), section, window->isMinimized(), window->isMaximized(),
                  window->frameGeometry());
}

void RestoreFormPosition(QWidget* window, const QString& section) {
    if (window->isMinimized())
        window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    const TRestoredPlacement p =
        RestorePlacement(ZRRegIniFile(), section, WorkArea(window), window->isMaximized());
    const bool knownFrame = !FrameExtra(window).isNull();
    ApplyOuterBounds(window, p.Bounds);
    if (p.Maximised) {
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
    } else {
        window->setWindowState(window->windowState() & ~Qt::WindowMaximized);
        if (!knownFrame)
            new TFrameWatcher(window, p.Bounds);
    }
}
