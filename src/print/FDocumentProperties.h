#pragma once
// The printer's properties dialog: paper size, orientation, colour mode,
// resolution, duplex and every other option the print system reports for
// the queue. Works on a copy of the device mode; Settings() answers the
// edited copy after OK.

#include "uDevMode.h"
#include "uPlatform.h"

#include <QDialog>
#include <QList>
#include <QPageSize>

class QComboBox;
class TPrinter;

class TDocumentPropertiesDlg : public QDialog {
    Q_OBJECT
public:
    TDocumentPropertiesDlg(const TPrinter& printer, const TDevMode& settings,
                           QWidget* parent = nullptr);

    TDevMode Settings() const;

    QComboBox* cbPapier = nullptr;
    QComboBox* cbAusrichtung = nullptr;
    QComboBox* cbFarbe = nullptr;
    QComboBox* cbAufloesung = nullptr;
    QComboBox* cbDuplex = nullptr; // null when the printer prints one side only
    // The queue's further options, one list per option, in driver order.
    QList<QPair<Platform::PrinterOption, QComboBox*>> Weitere;

private:
    TDevMode base_;
    QList<Platform::PrinterOption> options_;
};
