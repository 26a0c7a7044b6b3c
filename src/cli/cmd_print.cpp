// velamor-cli print: fills the areas of a template with picture files, in
// order, as a load in the main window does, and prints the sheet with the
// sheet print job, without dialogs.

#include "cli.h"
#include "uException.h"
#include "uFilePosition.h"
#include "uPrintDIB.h"
#include "uPrinter.h"
#include "uSheetJob.h"
#include "uVorlagen.h"
#include "uZRRegistry.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <cmath>
#include <cstdio>
#include <memory>

namespace {

int Usage(const char* why) {
    if (why)
        std::fprintf(stderr, "%s\n", why);
    std::fputs("Aufruf: velamor-cli print --template N (--printer NAME | --pdf AUSGABE.pdf) "
               "[--offset X,Y] [--copies N] [--autorotate] DATEI...\n",
               stderr);
    return 2;
}

class SilentProgress : public IPrintProgress {
public:
    void ShowPrintProgress(const QString&) override {}
    void ClosePrintProgress() override {}
    bool PrintAborted() const override { return false; }
    void ProcessMessages() override {}
};

// Parses "X,Y" in millimetres (decimal point).
bool ParseOffset(const QString& text, float* x, float* y) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 2)
        return false;
    bool okX = false, okY = false;
    const double vx = parts[0].trimmed().toDouble(&okX);
    const double vy = parts[1].trimmed().toDouble(&okY);
    if (!okX || !okY || !std::isfinite(vx) || !std::isfinite(vy) || std::abs(vx) > 1000 ||
        std::abs(vy) > 1000)
        return false;
    *x = float(vx);
    *y = float(vy);
    return true;
}

} // namespace

int CmdPrint(const QStringList& args) {
    int templateNo = -1;
    QString printerName, pdfFile;
    bool haveOffset = false, autoRotate = false;
    float offsetX = 0, offsetY = 0;
    int copies = 1;
    QStringList files;
    for (int i = 0; i < int(args.size()); ++i) {
        const QString& a = args[i];
        auto value = [&](QString* out) {
            if (i + 1 >= int(args.size()))
                return false;
            *out = args[++i];
            return true;
        };
        QString v;
        if (a == "--template") {
            bool ok = false;
            if (!value(&v) || (templateNo = v.toInt(&ok), !ok))
                return Usage("--template braucht eine Vorlagennummer.");
        } else if (a == "--printer") {
            if (!value(&printerName))
                return Usage("--printer braucht einen Druckernamen.");
        } else if (a == "--pdf") {
            if (!value(&pdfFile))
                return Usage("--pdf braucht einen Dateinamen.");
        } else if (a == "--offset") {
            if (!value(&v) || !ParseOffset(v, &offsetX, &offsetY))
                return Usage("--offset braucht zwei Millimeterwerte: X,Y (z.B. 1.5,-0.5).");
            haveOffset = true;
        } else if (a == "--copies") {
            bool ok = false;
            if (!value(&v) || (copies = v.toInt(&ok), !ok) || copies < 1 || copies > 99)
                return Usage("--copies braucht eine Anzahl von 1 bis 99.");
        } else if (a == "--autorotate") {
            autoRotate = true;
        } else if (a.startsWith("--")) {
            return Usage(qPrintable(QStringLiteral("Unbekannte Option: %1").arg(a)));
        } else {
            files << a;
        }
    }
    if (printerName.isEmpty() == pdfFile.isEmpty())
        return Usage("Genau eine der Optionen --printer und --pdf angeben.");

    TTemplateList templates;
    BuildCatalogue(templates);
    if (templateNo < 0 || templateNo >= int(templates.size()))
        return Usage(qPrintable(QStringLiteral("Die Vorlage %1 gibt es nicht (0 bis %2).")
                                    .arg(templateNo)
                                    .arg(templates.size() - 1)));
    const TPaperTemplate& sheet = *templates[size_t(templateNo)];
    if (files.size() > sheet.Count())
        return Usage(qPrintable(QStringLiteral("Die Vorlage %1 hat nur %2 Bildfelder.")
                                    .arg(templateNo)
                                    .arg(sheet.Count())));

    try {
        TPrinter& printer = Printer();
        const int index = pdfFile.isEmpty() ? printer.IndexOf(printerName)
                                            : printer.IndexOf(TPrinter::PdfPrinterName());
        if (index < 0) {
            std::fprintf(stderr, "Den Drucker \"%s\" gibt es nicht.\n", qPrintable(printerName));
            return 1;
        }
        if (pdfFile.isEmpty() && printerName == TPrinter::PdfPrinterName())
            return Usage("Der PDF-Drucker schreibt in die Datei, die --pdf angibt.");
        printer.SetPrinterIndex(index);
        printer.SetOutputFileName(pdfFile.isEmpty() ? QString()
                                                    : QFileInfo(pdfFile).absoluteFilePath());
        // The settings stored for this printer, as the print dialog takes them.
        const QString section = QStringLiteral("Drucker\\") + printer.DeviceName();
        const QByteArray stored = ZRRegIniFile().ReadBinary(section, QStringLiteral("DevMode"));
        if (!stored.isEmpty())
            printer.SetPrinter(printer.DeviceName(), printer.DriverName(), printer.PortName(),
                               stored);
        if (!haveOffset) {
            offsetX = float(ZRRegIniFile().ReadFloat(section, QStringLiteral("OffsetX"), 0));
            offsetY = float(ZRRegIniFile().ReadFloat(section, QStringLiteral("OffsetY"), 0));
        }

        // Each picture covers its area as the area measures on the printer.
        TScaler map;
        SetPrinterScaler(map, 0, 0);
        std::vector<std::unique_ptr<TFilePosition>> positions;
        std::vector<IPrintPosition*> list;
        for (int k = 0; k < sheet.Count(); ++k) {
            const TPosdata& a = sheet.Position(k);
            positions.push_back(std::make_unique<TFilePosition>(
                map.X(a.X + a.Width) - map.X(a.X), map.Y(a.Y + a.Height) - map.Y(a.Y)));
            if (k < int(files.size()))
                positions.back()->Load(files[k], autoRotate);
            list.push_back(positions.back().get());
        }

        TSheetJobOptions options;
        options.Copies = copies;
        options.OffsetX = offsetX;
        options.OffsetY = offsetY;
        options.Title = QStringLiteral("Kestrelon Velamor");
        if (qEnvironmentVariableIsSet("VELAMOR_JOB_TITLE"))
            options.Title = qEnvironmentVariable("VELAMOR_JOB_TITLE");
        SilentProgress progress;
        QElapsedTimer timer;
        timer.start();
        const TSheetJobResult r = RunSheetJob(printer, sheet, list, options, progress);
        std::printf("%s: %d Seite(n), %lld Bytes in %lld ms%s\n", qPrintable(printer.DeviceName()),
                    r.Pages, static_cast<long long>(printer.LastSpoolSize()),
                    static_cast<long long>(timer.elapsed()),
                    printer.LastJobId() > 0
                        ? qPrintable(QStringLiteral(", Auftrag %1").arg(printer.LastJobId()))
                        : "");
        return 0;
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.Message()));
        return 1;
    }
}
