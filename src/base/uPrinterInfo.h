#pragma once
// The seam between code that only needs to know the current printer's geometry
// (the scaler, the picture image) and the printer object of the print module,
// which links the print support library. Nothing here depends on widgets.

class QPaintDevice;

class IPrinterInfo {
public:
    virtual ~IPrinterInfo() = default;
    // Logical resolution of the printer in pixels per inch.
    virtual int LogicalDpiX() const = 0;
    virtual int LogicalDpiY() const = 0;
    // The unprintable left and top strip in device pixels.
    virtual int PhysicalOffsetX() const = 0;
    virtual int PhysicalOffsetY() const = 0;
    // The device a print job paints on (null when no job runs).
    virtual QPaintDevice* Device() const = 0;
    // True between the begin and the end (or abort) of a print job.
    virtual bool Printing() const = 0;
    // True when the printer's settings ask for monochrome output.
    virtual bool Monochrome() const = 0;
};

// The application's current printer; null until the print module installs one.
IPrinterInfo* CurrentPrinterInfo();
// Installs the current printer (not owned); pass null to remove it.
void SetCurrentPrinterInfo(IPrinterInfo* info);
