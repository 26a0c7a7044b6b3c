#include "uSheetJob.h"

#include "uRound.h"
#include "uTemplateData.h"

#include <algorithm>

void SetPrinterScaler(TCustomScaler& scaler, float offsetX, float offsetY) {
    scaler.SetDevice(sdPrinter);
    scaler.SetOffsetX(offsetX);
    scaler.SetOffsetY(offsetY);
}

TPrintRect AreaRect(const TPosdata& a, const TCustomScaler& scaler) {
    const float left = a.X - a.BleedLeft;
    const float top = a.Y - a.BleedTop;
    const float right = a.X + a.Width + a.BleedRight;
    const float bottom = a.Y + a.Height + a.BleedBottom;
    return TPrintRect{scaler.X(left), scaler.Y(top), scaler.X(right), scaler.Y(bottom)};
}

namespace {

// Makes the job's device the current printer for the job's duration.
class CurrentDeviceScope {
public:
    explicit CurrentDeviceScope(TPrintDevice& device) : previous_(CurrentPrintDevice()) {
        SetCurrentPrintDevice(&device);
    }
    ~CurrentDeviceScope() { SetCurrentPrintDevice(previous_); }
    CurrentDeviceScope(const CurrentDeviceScope&) = delete;
    CurrentDeviceScope& operator=(const CurrentDeviceScope&) = delete;

private:
    TPrintDevice* previous_;
};

} // namespace

int DelegateCopies(TPrintDevice& device, int copies) {
    if (device.MaxCopies() > copies) {
        device.SetDeviceCopies(copies);
        return 1;
    }
    // The job prints every copy itself; a count left in the device mode by an
    // earlier job would multiply them.
    if (device.MaxCopies() >= 1)
        device.SetDeviceCopies(1);
    return copies;
}

TSheetJobResult RunSheetJob(TPrintDevice& device, const TPaperTemplate& sheet,
                            const std::vector<IPrintPosition*>& positions,
                            const TSheetJobOptions& options, IPrintProgress& progress) {
    TSheetJobResult result;
    CurrentDeviceScope current(device);
    const int copies = DelegateCopies(device, std::max(1, options.Copies));
    result.CopiesByJob = copies;
    result.CopiesByDevice = device.DeviceCopies();

    TScaler scaler;
    bool begun = false;
    try {
        progress.ShowPrintProgress(QStringLiteral("Drucke Seite"));
        device.SetTitle(options.Title);
        device.BeginDoc();
        begun = true;
        result.Pages = 1;
        const int n = sheet.Count();
        for (int i = 1; i <= copies; ++i) {
            SetPrinterScaler(scaler, options.OffsetX, options.OffsetY);
            for (int k = 0; k < n; ++k) {
                const TPrintRect rect = AreaRect(sheet.Position(k), scaler);
                progress.ShowPrintProgress(
                    QStringLiteral("Drucke Grafik %1 von %2").arg(k + 1).arg(n));
                IPrintPosition* pos = k < int(positions.size()) ? positions[size_t(k)] : nullptr;
                if (pos && pos->HasPicture())
                    pos->PrintTo(device, rect);
                progress.ProcessMessages();
                if (progress.PrintAborted())
                    break;
            }
            if (progress.PrintAborted())
                break;
            if (copies != i) {
                device.NewPage();
                ++result.Pages;
            }
        }
        result.Aborted = progress.PrintAborted();
        progress.ShowPrintProgress(result.Aborted
                                       ? QStringLiteral("Druck wird abgebrochen")
                                       : QStringLiteral("Daten werden zum Drucker gesendet"));
        if (result.Aborted)
            device.Abort();
        else
            device.EndDoc();
    } catch (...) {
        // The document never stays open: what was spooled is discarded, the
        // progress window goes and the owner window is usable again.
        if (begun) {
            try {
                device.Abort();
            } catch (...) {
            }
        }
        progress.ClosePrintProgress();
        throw;
    }
    progress.ClosePrintProgress();
    return result;
}
