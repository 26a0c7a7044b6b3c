#pragma once
// The printer object as the widget-free printing code sees it: the current
// printer's page geometry, resolution, drawing surface and job operations.
//
// The application's printer (uPrinter.h) implements it over the platform's
// print system; tests implement it over an image of chosen resolution and
// physical offset.

#include "uIntRect.h"
#include "uPrinterInfo.h"

#include <QString>

#include <cstdint>

class QImage;
class QPainter;
class QRect;

// A rectangle in device or picture pixels; right and bottom are exclusive.
using TPrintRect = TIntRect;

class TPrintDevice : public IPrinterInfo {
public:
    // Printable area in device pixels (the origin of the drawing surface is
    // its top-left corner).
    virtual int PageWidth() const = 0;
    virtual int PageHeight() const = 0;
    // The whole sheet of paper in device pixels.
    virtual int PaperWidth() const = 0;
    virtual int PaperHeight() const = 0;

    // The painter of the running job (null when no job runs).
    virtual QPainter* Canvas() = 0;

    // Job operations.
    virtual void SetTitle(const QString& title) = 0;
    virtual QString Title() const = 0;
    virtual void BeginDoc() = 0;
    virtual void NewPage() = 0;
    virtual void EndDoc() = 0;
    // Ends the job and discards what was spooled.
    virtual void Abort() = 0;
    virtual bool Aborted() const = 0;

    // Copies: the largest count the print system makes by itself (1 when it
    // cannot, -1 when it cannot be asked) and the count written into the
    // device mode.
    virtual int MaxCopies() const = 0;
    virtual void SetDeviceCopies(int copies) = 0;
    virtual int DeviceCopies() const = 0;

    // Sends pixel rows to the page, as the GDI call of the same name does:
    // `bottomUp` holds the rows bottom-up (its first line is the bottom row),
    // `source` is a block of it with y counted from that bottom row, `dest`
    // the device rectangle it is stretched into. Answers the number of rows
    // sent. The default draws through Canvas() with QPainter::drawImage.
    virtual int StretchDIBits(const TPrintRect& dest, const QImage& bottomUp,
                              const TPrintRect& source);

    // IPrinterInfo
    QPaintDevice* Device() const override;
};

// Draws the block of a bottom-up image into the painter's device rectangle,
// turning the rows the right way up. The helper behind StretchDIBits.
int DrawBottomUp(QPainter& painter, const TPrintRect& dest, const QImage& bottomUp,
                 const TPrintRect& source);

// The current printer as a print device, when one is installed.
TPrintDevice* CurrentPrintDevice();
// Installs the printer (not owned); also the IPrinterInfo of the base module.
void SetCurrentPrintDevice(TPrintDevice* device);
