#pragma once
// Questions about the current printer and changes of its device mode, for
// the print dialogs and the print jobs. Stateless: everything is read fresh
// from the printer object at each call.

#include <QString>

#include <cstdint>

class QWidget;

// What the print system tells about the current printer, in this order.
struct TPrinterInfo {
    QString ServerName;
    QString PrinterName;
    QString ShareName;
    QString PortName;
    QString DriverName;
    QString Comment;
    QString Location;
    QString SepFile;
    QString PrintProcessor;
    QString Datatype;
    QString Parameters;
};

// Page geometry of the current printer.
struct TPrinterPageInfo {
    std::int32_t OffsetXPx = 0;
    std::int32_t OffsetYPx = 0;
    std::int32_t RightMarginPx = 0;
    std::int32_t BottomMarginPx = 0;
    std::int32_t PaperWidthPx = 0;
    std::int32_t PaperHeightPx = 0;
    float OffsetXMM = 0;
    float OffsetYMM = 0;
    float RightMarginMM = 0;
    float BottomMarginMM = 0;
};

class TPrinterSupport {
public:
    QString DeviceName() const;
    QString PortName() const;
    // Leaves the record untouched when the printer cannot be asked.
    void GetPrinterInfo(TPrinterInfo& info) const;
    void GetPageInfo(TPrinterPageInfo& info) const;
    int PixelsPerInchX() const;
    int PixelsPerInchY() const;
    // The largest copy count the printer makes by itself; 1 when it cannot,
    // -1 when it cannot be asked.
    int MaxCopies() const;
    // False only when the device mode asks for monochrome output.
    bool IsColorPrinter() const;
    // Writes the copy count into the device mode; raises while a job runs.
    void SetCopies(std::int16_t copies);
    // The printer's own properties dialog; true when the user confirmed it
    // and the new settings are in force.
    bool ShowDocumentProperties(QWidget* parent);
    // Back to the driver's default settings, keeping the page orientation.
    void ResetDeviceMode();
};

TPrinterSupport& PrinterSupport();
