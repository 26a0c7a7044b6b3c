#include "uFormStyle.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

namespace {

// Shows every tooltip with the application's hide pause.
class THintFilter : public QObject {
public:
    explicit THintFilter(QObject* parent) : QObject(parent) {}
    int Pause = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ToolTip || !watched->isWidgetType())
            return false;
        auto* w = static_cast<QWidget*>(watched);
        if (w->toolTipDuration() >= 0 || w->toolTip().isEmpty())
            return false;
        auto* help = static_cast<QHelpEvent*>(event);
        QToolTip::showText(help->globalPos(), w->toolTip(), w, QRect(), Pause);
        return true;
    }
};

THintFilter* g_hintFilter = nullptr;

} // namespace

QFont FormFont() {
    QFont f = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    f.setPointSize(8);
    return f;
}

void SetHintHidePause(int ms) {
    if (!g_hintFilter) {
        // Owned by the application object; lives until the program ends.
        g_hintFilter = new THintFilter(qApp);
        QObject::connect(g_hintFilter, &QObject::destroyed, [] { g_hintFilter = nullptr; });
        qApp->installEventFilter(g_hintFilter);
    }
    g_hintFilter->Pause = ms;
}

int HintHidePause() {
    return g_hintFilter ? g_hintFilter->Pause : -1;
}
