#pragma once
// The progress window of a running sheet print job with its abort button,
// and the three operations of the abort protocol.

#include <QDialog>

class QLabel;
class QPushButton;

class TDlgDruckAbbrechen : public QDialog {
    Q_OBJECT
public:
    explicit TDlgDruckAbbrechen(QWidget* owner);

    void SetText(const QString& text);
    bool AbortRequested = false;

    QLabel* lText;
    QPushButton* cmdAbbrechen;

    void cmdAbbrechenClick() { AbortRequested = true; }

protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
};

// Sets the text of the progress window; creates and shows it first (not
// modal) when there is none, and disables the owner window.
void ShowPrintProgress(QWidget* owner, const QString& text);
// Enables the owner window again and destroys the progress window.
void ClosePrintProgress(QWidget* owner);
// True when the progress window exists and its button was pressed.
bool PrintAborted();
// The progress window while it exists.
TDlgDruckAbbrechen* PrintProgressWindow();
