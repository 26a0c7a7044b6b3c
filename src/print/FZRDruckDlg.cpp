#include "FZRDruckDlg.h"

#include "uKNSpinEdit.h"
#include "uPrinter.h"
#include "uPrinterSupport.h"
#include "uZRRegistry.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>

#include <cmath>

namespace {

QLabel* Caption(QWidget* parent, const QString& text, int x, int y) {
    auto* l = new QLabel(text, parent);
    l->move(x, y);
    return l;
}

QToolButton* ShiftButton(QWidget* parent, int tag, Qt::ArrowType arrow, const QString& hint, int x,
                         int y) {
    auto* b = new QToolButton(parent);
    b->setAutoRaise(true);
    b->setGeometry(x, y, 25, 25);
    b->setToolTip(hint);
    b->setProperty("tag", tag);
    if (arrow != Qt::NoArrow)
        b->setArrowType(arrow);
    else
        b->setText(QStringLiteral("\u25CF")); // a dot in the middle of the cross
    return b;
}

} // namespace

TZRDruckDlg::TZRDruckDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Drucken"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(492, 326);

    gbDrucker = new QGroupBox(QStringLiteral("Drucker"), this);
    gbDrucker->setGeometry(8, 8, 476, 124);
    auto* lblName = Caption(gbDrucker, QStringLiteral("&Name:"), 12, 28);
    cbDrucker = new QComboBox(gbDrucker);
    cbDrucker->setEditable(false);
    cbDrucker->setGeometry(84, 24, 270, 24);
    lblName->setBuddy(cbDrucker);
    BtnEigenschaften = new QPushButton(QStringLiteral("&Eigenschaften"), gbDrucker);
    BtnEigenschaften->setGeometry(362, 23, 104, 26);
    Caption(gbDrucker, QStringLiteral("Typ:"), 12, 58);
    Caption(gbDrucker, QStringLiteral("Ort:"), 12, 78);
    Caption(gbDrucker, QStringLiteral("Kommentar:"), 12, 98);
    lblTyp = new QLabel(gbDrucker);
    lblTyp->setGeometry(84, 58, 382, 18);
    lblOrt = new QLabel(gbDrucker);
    lblOrt->setGeometry(84, 78, 382, 18);
    lblKommentar = new QLabel(gbDrucker);
    lblKommentar->setGeometry(84, 98, 382, 18);

    gbDruckbereich = new QGroupBox(QStringLiteral("Druckposition"), this);
    gbDruckbereich->setGeometry(8, 140, 296, 140);
    BtnUp = ShiftButton(gbDruckbereich, 3, Qt::UpArrow, QStringLiteral("nach oben verschieben"), 45,
                        24);
    BtnLeft = ShiftButton(gbDruckbereich, 1, Qt::LeftArrow,
                          QStringLiteral("nach links verschieben"), 16, 55);
    BtnCenter = ShiftButton(gbDruckbereich, 0, Qt::NoArrow,
                            QStringLiteral("Verschiebung auf 0 setzen"), 45, 55);
    BtnRight = ShiftButton(gbDruckbereich, 2, Qt::RightArrow,
                           QStringLiteral("nach rechts verscheiben"), 74, 55);
    BtnDown = ShiftButton(gbDruckbereich, 4, Qt::DownArrow,
                          QStringLiteral("nach unten verschieben"), 45, 86);
    lblPosX = new QLabel(gbDruckbereich);
    lblPosX->setWordWrap(true);
    lblPosX->setGeometry(112, 28, 176, 40);
    lblPosY = new QLabel(gbDruckbereich);
    lblPosY->setWordWrap(true);
    lblPosY->setGeometry(112, 76, 176, 40);
    for (QToolButton* b : {BtnLeft, BtnRight, BtnUp, BtnDown, BtnCenter})
        connect(b, &QToolButton::clicked, this, [this, b] { BtnPosClick(b); });

    gbAnzahl = new QGroupBox(QStringLiteral("Anzahl"), this);
    gbAnzahl->setGeometry(312, 140, 172, 60);
    auto* lblAnzahl = Caption(gbAnzahl, QStringLiteral("Anzahl"), 12, 28);
    edAnzahl = new TKNSpinEdit(gbAnzahl);
    edAnzahl->setGeometry(72, 24, 80, 24);
    edAnzahl->SetMinValue(1);
    edAnzahl->SetMaxValue(99);
    edAnzahl->SetValue(1);
    lblAnzahl->setBuddy(edAnzahl);

    Label8 =
        new QLabel(QStringLiteral("Bitte vergessen Sie nicht, die passende Einstellung für das "
                                  "verwendete Papier bei den Eigenschaften des Druckers zu "
                                  "wählen."),
                   this);
    Label8->setWordWrap(true);
    Label8->setGeometry(314, 206, 170, 74);
    Label8->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setGeometry(304, 292, 86, 26);
    BtnOK->setDefault(true);
    BtnAbbrechen = new QPushButton(QStringLiteral("Abbrechen"), this);
    BtnAbbrechen->setGeometry(398, 292, 86, 26);
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnAbbrechen, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnEigenschaften, &QPushButton::clicked, this, &TZRDruckDlg::BtnEigenschaftenClick);

    FormCreate();
    connect(cbDrucker, &QComboBox::activated, this, &TZRDruckDlg::cbDruckerChange);

    if (QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - rect().center());
    }
}

QString TZRDruckDlg::Section() const {
    return QStringLiteral("Drucker\\") + Printer().DeviceName();
}

void TZRDruckDlg::FormCreate() {
    TPrinter& printer = Printer();
    cbDrucker->addItems(printer.Printers());
    cbDrucker->setCurrentIndex(printer.PrinterIndex());
    LoadDevMode();
    ShowPrinterInfo();
    LoadOffsets();
}

int TZRDruckDlg::ShowModal() {
    TPrinter& printer = Printer();
    QString device, driver, port;
    QByteArray saved;
    printer.GetPrinter(&device, &driver, &port, &saved);
    const int result = exec();
    if (result != QDialog::Accepted)
        printer.SetPrinter(device, driver, port, saved);
    return result;
}

int TZRDruckDlg::Copies() const {
    return edAnzahl->Value();
}

void TZRDruckDlg::SetCopies(int copies) {
    edAnzahl->SetValue(copies);
}

void TZRDruckDlg::cbDruckerChange() {
    Printer().SetPrinterIndex(cbDrucker->currentIndex());
    PrinterSupport().ResetDeviceMode();
    LoadDevMode();
    ShowPrinterInfo();
    LoadOffsets();
}

void TZRDruckDlg::BtnEigenschaftenClick() {
    if (PrinterSupport().ShowDocumentProperties(this))
        SaveDevMode();
}

void TZRDruckDlg::BtnPosClick(QToolButton* sender) {
    switch (sender->property("tag").toInt()) {
    case 0:
        offsetX_ = 0;
        offsetY_ = 0;
        break;
    case 1:
        offsetX_ -= 0.5f;
        break;
    case 2:
        offsetX_ += 0.5f;
        break;
    case 3:
        offsetY_ -= 0.5f;
        break;
    case 4:
        offsetY_ += 0.5f;
        break;
    default:
        break;
    }
    UpdatePositionLabels();
    SaveOffsets();
}

void TZRDruckDlg::LoadDevMode() {
    const QString section = Section();
    if (ZRRegIniFile().DataSize(section, QStringLiteral("DevMode")) <= 0)
        return;
    try {
        const QByteArray block = ZRRegIniFile().ReadBinary(section, QStringLiteral("DevMode"));
        TPrinter& printer = Printer();
        QString device, driver, port;
        printer.GetPrinter(&device, &driver, &port, nullptr);
        // A block that does not fit the printer is ignored by the printer.
        printer.SetPrinter(device, driver, port, block);
    } catch (...) {
        // The printer keeps its settings.
    }
}

void TZRDruckDlg::SaveDevMode() {
    const QByteArray block = Printer().DevMode();
    if (!block.isEmpty())
        ZRRegIniFile().WriteBinary(Section(), QStringLiteral("DevMode"), block);
}

void TZRDruckDlg::LoadOffsets() {
    const QString section = Section();
    offsetX_ = float(ZRRegIniFile().ReadFloat(section, QStringLiteral("OffsetX"), 0));
    offsetY_ = float(ZRRegIniFile().ReadFloat(section, QStringLiteral("OffsetY"), 0));
    if (!std::isfinite(offsetX_))
        offsetX_ = 0;
    if (!std::isfinite(offsetY_))
        offsetY_ = 0;
    UpdatePositionLabels();
}

void TZRDruckDlg::SaveOffsets() {
    const QString section = Section();
    ZRRegIniFile().WriteFloat(section, QStringLiteral("OffsetX"), offsetX_);
    ZRRegIniFile().WriteFloat(section, QStringLiteral("OffsetY"), offsetY_);
}

void TZRDruckDlg::UpdatePositionLabels() {
    const QLocale locale;
    auto number = [&](float v) { return locale.toString(std::abs(double(v)), 'f', 1); };
    if (offsetX_ == 0)
        lblPosX->setText(QStringLiteral("keine waarechte Verschiebung"));
    else if (offsetX_ < 0)
        lblPosX->setText(QStringLiteral("%1 mm nach links verschieben").arg(number(offsetX_)));
    else
        lblPosX->setText(QStringLiteral("%1 mm nach rechts verschieben").arg(number(offsetX_)));
    if (offsetY_ == 0)
        lblPosY->setText(QStringLiteral("keine senkrechte Verschiebung"));
    else if (offsetY_ < 0)
        lblPosY->setText(QStringLiteral("%1 mm nach oben verschieben").arg(number(offsetY_)));
    else
        lblPosY->setText(QStringLiteral("%1 mm nach unten verschieben").arg(number(offsetY_)));
}

void TZRDruckDlg::ShowPrinterInfo() {
    TPrinterInfo info;
    PrinterSupport().GetPrinterInfo(info);
    lblTyp->setText(info.DriverName);
    lblOrt->setText(info.PortName);
    lblKommentar->setText(info.Comment);
}
