#pragma once
// The application object with the standard error box: an error raised by any
// command (any event handler) ends that command and its message is shown.

#include <QApplication>

#include <functional>

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Runs one delivery; an Exception or std::exception it raises is shown in
    // the standard error box and the delivery answers false.
    static bool Guarded(const std::function<bool()>& deliver);
};
