#include "FDruckAbbrechen.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

namespace {
QPointer<TDlgDruckAbbrechen> g_window;
}

TDlgDruckAbbrechen::TDlgDruckAbbrechen(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Drucken"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowStaysOnTopHint);
    setFixedSize(273, 110);
    lText = new QLabel(this);
    lText->setAlignment(Qt::AlignCenter);
    lText->setGeometry(8, 16, 257, 24);
    cmdAbbrechen = new QPushButton(QStringLiteral("Abbrechen"), this);
    cmdAbbrechen->setGeometry(99, 64, 75, 26);
    connect(cmdAbbrechen, &QPushButton::clicked, this, &TDlgDruckAbbrechen::cmdAbbrechenClick);
    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

void TDlgDruckAbbrechen::SetText(const QString& text) {
    lText->setText(text);
    lText->repaint();
}

void TDlgDruckAbbrechen::closeEvent(QCloseEvent* e) {
    // Only the job closes the window; closing it by hand asks for the abort.
    AbortRequested = true;
    e->ignore();
}

void TDlgDruckAbbrechen::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        AbortRequested = true;
        return;
    }
    QDialog::keyPressEvent(e);
}

void ShowPrintProgress(QWidget* owner, const QString& text) {
    if (g_window) {
        g_window->SetText(text);
        return;
    }
    g_window = new TDlgDruckAbbrechen(owner);
    g_window->SetText(text);
    g_window->show();
    g_window->repaint();
    if (owner)
        owner->setEnabled(false);
    // The window is a child of the disabled owner; it stays usable.
    g_window->setEnabled(true);
}

void ClosePrintProgress(QWidget* owner) {
    if (owner)
        owner->setEnabled(true);
    if (g_window) {
        g_window->hide();
        delete g_window.data();
    }
    g_window = nullptr;
}

bool PrintAborted() {
    return g_window && g_window->AbortRequested;
}

TDlgDruckAbbrechen* PrintProgressWindow() {
    return g_window.data();
}
