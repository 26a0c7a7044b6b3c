#pragma once
// The print dialog "Drucken": printer choice, the printer's properties, the
// copy count and the per-printer shift of the print position.

#include <QByteArray>
#include <QDialog>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QToolButton;
class TKNSpinEdit;

class TZRDruckDlg : public QDialog {
    Q_OBJECT
public:
    explicit TZRDruckDlg(QWidget* parent = nullptr);

    // Shows the dialog modally. Any other ending than OK hands the printer
    // and the device mode it had before back to the printer object.
    int ShowModal();

    int Copies() const;
    void SetCopies(int copies);
    float OffsetX() const { return offsetX_; }
    float OffsetY() const { return offsetY_; }

    // Components.
    QGroupBox* gbDrucker;
    QComboBox* cbDrucker;
    QPushButton* BtnEigenschaften;
    QLabel* lblTyp;
    QLabel* lblOrt;
    QLabel* lblKommentar;
    QGroupBox* gbDruckbereich;
    QLabel* lblPosX;
    QLabel* lblPosY;
    QToolButton* BtnLeft;
    QToolButton* BtnRight;
    QToolButton* BtnUp;
    QToolButton* BtnDown;
    QToolButton* BtnCenter;
    QGroupBox* gbAnzahl;
    TKNSpinEdit* edAnzahl;
    QLabel* Label8;
    QPushButton* BtnOK;
    QPushButton* BtnAbbrechen;

    // Event handlers.
    void cbDruckerChange();
    void BtnEigenschaftenClick();
    void BtnPosClick(QToolButton* sender);

private:
    void FormCreate();
    void LoadDevMode();
    void SaveDevMode();
    void LoadOffsets();
    void SaveOffsets();
    void UpdatePositionLabels();
    void ShowPrinterInfo();
    QString Section() const;

    float offsetX_ = 0;
    float offsetY_ = 0;
};
