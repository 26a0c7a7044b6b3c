#pragma once
// The application's printer object: the installed print queues plus a
// built-in PDF printer that writes a PDF file, the current printer's names
// and device mode, its page geometry and the job operations.
//
// Pages are drawn into a PDF document at the printer's resolution with the
// printable area's origin as the painter's origin; at the end of a job the
// document goes to the queue as one print job (or becomes the PDF file).
// Aborting discards it, so nothing of an aborted job reaches the paper.

#include "uDevMode.h"
#include "uPlatform.h"
#include "uPrintDevice.h"

#include <QByteArray>
#include <QPageLayout>
#include <QPainter>
#include <QStringList>

#include <memory>

class QPrinter;

class TPrinter : public TPrintDevice {
public:
    // The name of the built-in PDF printer in the printer list.
    static QString PdfPrinterName();

    TPrinter();
    ~TPrinter() override;
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // Installed queues (as the print system lists them) and, last, the PDF
    // printer.
    QStringList Printers() const;
    // Index of the current printer in Printers().
    int PrinterIndex() const { return index_; }
    // Makes a printer current with its driver's default settings; -1 selects
    // the system's default printer. Out-of-range indexes are ignored.
    void SetPrinterIndex(int index);
    int IndexOf(const QString& deviceName) const;
    // Index of the system's default printer.
    int DefaultIndex() const;
    // Reads the list of queues again.
    void Refresh();

    QString DeviceName() const;
    QString DriverName() const; // the queue's make and model
    QString PortName() const;   // the queue's device URI
    QString Comment() const;
    QString Location() const;
    bool IsPdfPrinter() const;

    // The current names and the device mode block (a copy).
    void GetPrinter(QString* device, QString* driver, QString* port, QByteArray* devMode) const;
    // Makes the named printer current with the given device mode block. An
    // empty block gives the driver's default settings; a block that does not
    // fit the printer (damaged, other version, other printer) is ignored and
    // the printer keeps the settings it had.
    void SetPrinter(const QString& device, const QString& driver, const QString& port,
                    const QByteArray& devMode);
    QByteArray DevMode() const;

    const TDevMode& Settings() const { return settings_; }
    // Takes settings (of the current printer) into force.
    void SetSettings(const TDevMode& settings);
    // The driver's default settings of the current printer.
    TDevMode DefaultSettings() const;
    // The driver options of the current queue (empty for the PDF printer).
    QList<Platform::PrinterOption> DriverOptions() const;
    // The paper sizes the current printer offers: (key, caption, width mm,
    // height mm).
    struct Paper {
        QString Key;
        QString Name;
        double WidthMM;
        double HeightMM;
    };
    QList<Paper> PaperSizes() const;
    QList<int> Resolutions() const;

    int Orientation() const { return settings_.Orientation; }
    void SetOrientation(int orientation);

    // The file the PDF printer writes; a job on the PDF printer needs it.
    void SetOutputFileName(const QString& file) { outputFile_ = file; }
    QString OutputFileName() const { return outputFile_; }
    // What the last finished job handed on: the document's size in bytes and
    // the job number of the queue (0 for the PDF printer).
    qint64 LastSpoolSize() const { return lastSpoolSize_; }
    int LastJobId() const { return lastJobId_; }

    // IPrinterInfo
    int LogicalDpiX() const override;
    int LogicalDpiY() const override;
    int PhysicalOffsetX() const override;
    int PhysicalOffsetY() const override;
    bool Printing() const override;
    bool Monochrome() const override;

    // TPrintDevice
    int PageWidth() const override;
    int PageHeight() const override;
    int PaperWidth() const override;
    int PaperHeight() const override;
    QPainter* Canvas() override;
    void SetTitle(const QString& title) override { title_ = title; }
    QString Title() const override { return title_; }
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() override;
    bool Aborted() const override { return aborted_; }
    int MaxCopies() const override;
    void SetDeviceCopies(int copies) override;
    int DeviceCopies() const override { return settings_.Copies; }

    // The page layout in force (paper, orientation, printable margins).
    QPageLayout PageLayout() const { return layout_; }

private:
    void UpdateLayout();
    void Finish();

    QStringList queues_;
    int index_ = -1;
    TDevMode settings_;
    QPageLayout layout_;
    QString title_;
    QString outputFile_;
    QString spoolFile_;
    std::unique_ptr<QPrinter> job_;
    std::unique_ptr<QPainter> painter_;
    bool aborted_ = false;
    qint64 lastSpoolSize_ = 0;
    int lastJobId_ = 0;
};

// The application's printer, created on first use and installed as the
// current print device.
TPrinter& Printer();
