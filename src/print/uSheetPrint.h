#pragma once
// The main window's print command ("Drucken", Ctrl+P): the print dialog,
// the file name when the PDF printer is chosen, and the sheet print job with
// the progress window.

#include "uSheetJob.h"

#include <vector>

class QWidget;
class TPaperTemplate;

// The progress window as the sheet job sees it; the message loop runs once
// per picture.
class TWindowPrintProgress : public IPrintProgress {
public:
    explicit TWindowPrintProgress(QWidget* owner) : owner_(owner) {}
    void ShowPrintProgress(const QString& text) override;
    void ClosePrintProgress() override;
    bool PrintAborted() const override;
    void ProcessMessages() override;

private:
    QWidget* owner_;
};

// Runs the command for the sheet and its positions (in area order). Answers
// false when the user cancelled before printing. Exceptions of the job reach
// the caller after the document was ended or discarded and the progress
// window closed.
bool PrintSheet(QWidget* owner, const TPaperTemplate& sheet,
                const std::vector<IPrintPosition*>& positions);
