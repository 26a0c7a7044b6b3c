#pragma once
// The sheet print job without its dialogs: every photo area of a template is
// converted to printer pixels (area plus bleed, shifted by the per-printer
// offset) and the picture of its position is printed there.

#include "uPrintDevice.h"
#include "uScaler.h"

#include <QString>

#include <vector>

class TPaperTemplate;
class TPosdata;

// What the job needs of a picture position.
class IPrintPosition {
public:
    virtual ~IPrintPosition() = default;
    virtual bool HasPicture() const = 0;
    // Prints the part of the picture the position shows, stretched into the
    // device rectangle of the device's running job.
    virtual void PrintTo(TPrintDevice& device, const TPrintRect& rect) = 0;
};

// The progress window as the job uses it.
class IPrintProgress {
public:
    virtual ~IPrintProgress() = default;
    virtual void ShowPrintProgress(const QString& text) = 0;
    virtual void ClosePrintProgress() = 0;
    virtual bool PrintAborted() const = 0;
    // Lets the message loop process what is pending.
    virtual void ProcessMessages() = 0;
};

// Sets the scaler up for the current printer (its resolution in each
// direction and its physical offset) with the calibration offset in mm.
void SetPrinterScaler(TCustomScaler& scaler, float offsetX, float offsetY);

// The device rectangle of a photo area enlarged by its bleeds.
TPrintRect AreaRect(const TPosdata& area, const TCustomScaler& scaler);

struct TSheetJobOptions {
    int Copies = 1;
    float OffsetX = 0;
    float OffsetY = 0;
    QString Title;
};

// What a run did, for the caller and the tests.
struct TSheetJobResult {
    bool Aborted = false;
    int Pages = 0;          // pages started by the job (the first one included)
    int CopiesByDevice = 1; // the copy count left in the device mode for this job
    int CopiesByJob = 1;    // how often the job printed the sheet itself
};

// Decides who makes the copies: the print system when it can make more than
// requested (the device mode gets the count), otherwise the job.
// Answers the number of times the job prints the sheet.
int DelegateCopies(TPrintDevice& device, int copies);

// Runs the job from the copy decision to the end of the document on the
// device, which is the current printer while the job runs. Positions
// are paired with the template's areas by index; missing or empty positions
// print nothing. The document is ended, or aborted when the user asked for it
// or an exception passes; the progress window is closed on every path.
TSheetJobResult RunSheetJob(TPrintDevice& device, const TPaperTemplate& sheet,
                            const std::vector<IPrintPosition*>& positions,
                            const TSheetJobOptions& options, IPrintProgress& progress);
