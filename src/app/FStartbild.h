#pragma once
// The splash form: the program's picture with the version, shown while the
// main window is created.

#include <QWidget>

class QLabel;

class TStartbild : public QWidget {
    Q_OBJECT
public:
    explicit TStartbild(QWidget* parent = nullptr);

    QLabel* Image1 = nullptr;
    QLabel* lbVersion = nullptr;
};
