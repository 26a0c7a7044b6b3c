#include "uSheetPrint.h"

#include "FDruckAbbrechen.h"
#include "FZRDruckDlg.h"
#include "uPrinter.h"
#include "uZRRegistry.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>

#include <memory>

void TWindowPrintProgress::ShowPrintProgress(const QString& text) {
    ::ShowPrintProgress(owner_, text);
}

void TWindowPrintProgress::ClosePrintProgress() {
    ::ClosePrintProgress(owner_);
}

bool TWindowPrintProgress::PrintAborted() const {
    return ::PrintAborted();
}

void TWindowPrintProgress::ProcessMessages() {
    QApplication::processEvents();
}

bool PrintSheet(QWidget* owner, const TPaperTemplate& sheet,
                const std::vector<IPrintPosition*>& positions) {
    auto dlg = std::make_unique<TZRDruckDlg>(owner);
    if (dlg->ShowModal() != QDialog::Accepted)
        return false;

    TPrinter& printer = Printer();
    if (printer.IsPdfPrinter()) {
        // The PDF printer asks for its file when the job starts.
        const QString section = QStringLiteral("Drucker\\") + printer.DeviceName();
        QString last = ZRRegIniFile().ReadString(section, QStringLiteral("LastFile"), QString());
        if (last.isEmpty())
            last = QDir::home().filePath(QStringLiteral("Bogen.pdf"));
        const QString file =
            QFileDialog::getSaveFileName(owner, QStringLiteral("PDF-Datei speichern"), last,
                                         QStringLiteral("PDF-Dateien (*.pdf)"));
        if (file.isEmpty())
            return false;
        printer.SetOutputFileName(file);
        ZRRegIniFile().WriteString(section, QStringLiteral("LastFile"), file);
    }

    TSheetJobOptions options;
    options.Copies = dlg->Copies();
    options.OffsetX = dlg->OffsetX();
    options.OffsetY = dlg->OffsetY();
    options.Title = QGuiApplication::applicationDisplayName();
    if (options.Title.isEmpty())
        options.Title = QStringLiteral("Kestrelon Velamor");
    TWindowPrintProgress progress(owner);
    RunSheetJob(printer, sheet, positions, options, progress);
    return true;
}
