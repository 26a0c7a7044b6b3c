#include "uPrinterSupport.h"

#include "FDocumentProperties.h"
#include "uException.h"
#include "uPrinter.h"

#include <QPrinterInfo>

QString TPrinterSupport::DeviceName() const {
    return Printer().DeviceName();
}

QString TPrinterSupport::PortName() const {
    return Printer().PortName();
}

void TPrinterSupport::GetPrinterInfo(TPrinterInfo& info) const {
    TPrinter& p = Printer();
    const QString name = p.DeviceName();
    if (name.isEmpty())
        return;
    if (!p.IsPdfPrinter() && QPrinterInfo::printerInfo(name).isNull())
        return; // the queue is gone
    TPrinterInfo r;
    r.PrinterName = name;
    r.PortName = p.PortName();
    r.DriverName = p.DriverName();
    r.Comment = p.Comment();
    r.Location = p.Location();
    info = r;
}

void TPrinterSupport::GetPageInfo(TPrinterPageInfo& info) const {
    TPrinter& p = Printer();
    const int dpiX = p.LogicalDpiX();
    const int dpiY = p.LogicalDpiY();
    info.OffsetXPx = p.PhysicalOffsetX();
    info.OffsetYPx = p.PhysicalOffsetY();
    info.PaperWidthPx = p.PaperWidth();
    info.PaperHeightPx = p.PaperHeight();
    info.RightMarginPx = info.PaperWidthPx - info.OffsetXPx - p.PageWidth();
    info.BottomMarginPx = info.PaperHeightPx - info.OffsetYPx - p.PageHeight();
    info.OffsetXMM = float(info.OffsetXPx / double(dpiX) * 25.4);
    info.OffsetYMM = float(info.OffsetYPx / double(dpiY) * 25.4);
    info.RightMarginMM = float(info.RightMarginPx / double(dpiX) * 25.4);
    info.BottomMarginMM = float(info.BottomMarginPx / double(dpiY) * 25.4);
}

int TPrinterSupport::PixelsPerInchX() const {
    return Printer().LogicalDpiX();
}

int TPrinterSupport::PixelsPerInchY() const {
    return Printer().LogicalDpiY();
}

int TPrinterSupport::MaxCopies() const {
    return Printer().MaxCopies();
}

bool TPrinterSupport::IsColorPrinter() const {
    return !Printer().Monochrome();
}

void TPrinterSupport::SetCopies(std::int16_t copies) {
    if (Printer().Printing())
        throw Exception(
            QStringLiteral("Kopien können nicht während eines Druckauftrags gesetzt werden"));
    Printer().SetDeviceCopies(copies);
}

bool TPrinterSupport::ShowDocumentProperties(QWidget* parent) {
    TPrinter& p = Printer();
    QString device, driver, port;
    QByteArray devMode;
    p.GetPrinter(&device, &driver, &port, &devMode);
    if (devMode.isEmpty())
        throw Exception(QStringLiteral("Documentproperties kann nicht aufgerufen werden"));
    const std::optional<TDevMode> current = TDevMode::Parse(devMode);
    if (!current)
        throw Exception(QStringLiteral("Documentproperties kann nicht aufgerufen werden"));
    TDocumentPropertiesDlg dlg(p, *current, parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    p.SetPrinter(device, driver, port, dlg.Settings().Serialize());
    return true;
}

void TPrinterSupport::ResetDeviceMode() {
    TPrinter& p = Printer();
    const int orientation = p.Orientation();
    QString device, driver, port;
    p.GetPrinter(&device, &driver, &port, nullptr);
    p.SetPrinter(device, driver, port, QByteArray());
    p.SetOrientation(orientation);
}

TPrinterSupport& PrinterSupport() {
    static TPrinterSupport support;
    return support;
}
