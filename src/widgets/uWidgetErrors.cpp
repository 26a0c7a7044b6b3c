#include "uWidgetErrors.h"

#include "uMessage.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace {
TErrorReporter& Reporter() {
    static TErrorReporter reporter;
    return reporter;
}
} // namespace

void SetWidgetErrorReporter(TErrorReporter reporter) {
    Reporter() = std::move(reporter);
}

void ReportWidgetError(QWidget* where, const QString& message) {
    if (Reporter()) {
        Reporter()(where, message);
        return;
    }
    // The box opens from the event loop, not from inside the focus change or
    // key press that raised the error.
    QPointer<QWidget> window = where ? where->window() : nullptr;
    QTimer::singleShot(0, qApp, [window, message] { Msg::ShowError(window, message); });
}
