#pragma once
// Errors raised inside a widget's event handling (leaving a field, typing,
// a repeat tick) cannot travel through Qt's event loop. The widgets catch
// them at the handler and hand the message to the application's error box.

#include <QString>

#include <functional>

class QWidget;

using TErrorReporter = std::function<void(QWidget* where, const QString& message)>;

// Replaces the error box (tests record the messages instead); an empty
// function restores the default box.
void SetWidgetErrorReporter(TErrorReporter reporter);

// Shows the message: by default the program's standard error box over the
// widget's window, opened after the current event has been handled.
void ReportWidgetError(QWidget* where, const QString& message);
