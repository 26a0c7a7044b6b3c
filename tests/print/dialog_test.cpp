// The print dialog, the progress window and the print command's job with it.

#include "FDruckAbbrechen.h"
#include "FZRDruckDlg.h"
#include "PrintTestSupport.h"
#include "uException.h"
#include "uKNSpinEdit.h"
#include "uPrinter.h"
#include "uPrinterSupport.h"
#include "uSheetPrint.h"
#include "uTemplateData.h"
#include "uZRRegistry.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QWidget>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class DialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        PrintTest::UseTestCupsServer();
        SetPrintDIBPause(0);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }
    static void TearDownTestSuite() { QLocale::setDefault(QLocale::c()); }
    void SetUp() override {
        Printer().SetPrinterIndex(Printer().IndexOf(TPrinter::PdfPrinterName()));
        ZRRegIniFile().EraseSection(Section());
    }
    static QString Section() { return QStringLiteral("Drucker\\") + Printer().DeviceName(); }
};

} // namespace

TEST_F(DialogTest, ShiftButtonsShowAndStoreEveryClick) {
    TZRDruckDlg dlg;
    EXPECT_EQ(dlg.windowTitle(), "Drucken");
    EXPECT_EQ(dlg.lblPosX->text(), "keine waarechte Verschiebung");
    EXPECT_EQ(dlg.lblPosY->text(), "keine senkrechte Verschiebung");
    EXPECT_EQ(dlg.BtnLeft->toolTip(), "nach links verschieben");
    EXPECT_EQ(dlg.BtnRight->toolTip(), "nach rechts verscheiben");
    EXPECT_EQ(dlg.BtnUp->toolTip(), "nach oben verschieben");
    EXPECT_EQ(dlg.BtnDown->toolTip(), "nach unten verschieben");
    EXPECT_EQ(dlg.BtnCenter->toolTip(), "Verschiebung auf 0 setzen");

    for (int i = 0; i < 3; ++i)
        dlg.BtnLeft->click();
    dlg.BtnDown->click();
    EXPECT_EQ(dlg.lblPosX->text(), "1,5 mm nach links verschieben");
    EXPECT_EQ(dlg.lblPosY->text(), "0,5 mm nach unten verschieben");
    EXPECT_FLOAT_EQ(dlg.OffsetX(), -1.5f);
    EXPECT_FLOAT_EQ(dlg.OffsetY(), 0.5f);
    // Stored at once, whatever button closes the dialog.
    EXPECT_DOUBLE_EQ(ZRRegIniFile().ReadFloat(Section(), "OffsetX", 99), -1.5);
    EXPECT_DOUBLE_EQ(ZRRegIniFile().ReadFloat(Section(), "OffsetY", 99), 0.5);
    EXPECT_EQ(ZRRegIniFile().ReadString(Section(), "OffsetX", ""), "-1,5");

    dlg.BtnRight->click();
    dlg.BtnRight->click();
    dlg.BtnRight->click();
    dlg.BtnRight->click();
    dlg.BtnUp->click();
    dlg.BtnUp->click();
    EXPECT_EQ(dlg.lblPosX->text(), "0,5 mm nach rechts verschieben");
    EXPECT_EQ(dlg.lblPosY->text(), "0,5 mm nach oben verschieben");

    dlg.BtnCenter->click();
    EXPECT_EQ(dlg.lblPosX->text(), "keine waarechte Verschiebung");
    EXPECT_EQ(dlg.lblPosY->text(), "keine senkrechte Verschiebung");
    EXPECT_DOUBLE_EQ(ZRRegIniFile().ReadFloat(Section(), "OffsetX", 99), 0);

    // A new dialog reads the stored values back; unreadable ones count as 0.
    dlg.BtnDown->click();
    ZRRegIniFile().WriteString(Section(), "OffsetX", "Unsinn");
    TZRDruckDlg again;
    EXPECT_FLOAT_EQ(again.OffsetX(), 0);
    EXPECT_FLOAT_EQ(again.OffsetY(), 0.5f);
}

TEST_F(DialogTest, CopyCountStaysWithinOneAndNinetyNine) {
    TZRDruckDlg dlg;
    EXPECT_EQ(dlg.Copies(), 1);
    dlg.SetCopies(0);
    EXPECT_EQ(dlg.Copies(), 1);
    dlg.SetCopies(250);
    EXPECT_EQ(dlg.Copies(), 99);
    EXPECT_EQ(dlg.cbDrucker->currentText(), TPrinter::PdfPrinterName());
    EXPECT_EQ(dlg.lblTyp->text(), Printer().DriverName());
    EXPECT_FALSE(dlg.Label8->text().isEmpty());
}

TEST_F(DialogTest, CancelGivesThePrinterBackItsSettingsButKeepsWhatWasStored) {
    TPrinter& p = Printer();
    const QByteArray before = p.DevMode();
    TZRDruckDlg dlg;
    QTimer::singleShot(0, [&] {
        // As the properties dialog would leave them, confirmed and stored.
        TDevMode m = p.Settings();
        m.Resolution = 150;
        p.SetSettings(m);
        ZRRegIniFile().WriteBinary(Section(), "DevMode", p.DevMode());
        dlg.BtnAbbrechen->click();
    });
    EXPECT_NE(dlg.ShowModal(), QDialog::Accepted);
    EXPECT_EQ(p.DevMode(), before);
    EXPECT_EQ(p.LogicalDpiX(), 600);

    // The stored settings are in force the next time the dialog opens.
    TZRDruckDlg next;
    EXPECT_EQ(p.LogicalDpiX(), 150);
    QTimer::singleShot(0, [&] { next.BtnOK->click(); });
    EXPECT_EQ(next.ShowModal(), QDialog::Accepted);
    EXPECT_EQ(p.LogicalDpiX(), 150);

    // A damaged stored block is ignored without a message.
    QByteArray bad = p.DevMode();
    bad[8] = char(bad[8] ^ 1);
    ZRRegIniFile().WriteBinary(Section(), "DevMode", bad);
    PrinterSupport().ResetDeviceMode();
    TZRDruckDlg third;
    EXPECT_EQ(p.LogicalDpiX(), 600);
}

TEST_F(DialogTest, SwitchingPrintersReloadsEachOnesOffsets) {
    Printer().Refresh();
    const int queue = Printer().IndexOf(QStringLiteral("VelamorPDF"));
    if (queue < 0)
        GTEST_SKIP() << "needs the CUPS queue VelamorPDF";
    const QString pdfSection = Section();
    ZRRegIniFile().WriteFloat(pdfSection, "OffsetX", 2.0);
    const QString queueSection = QStringLiteral("Drucker\\VelamorPDF");
    ZRRegIniFile().EraseSection(queueSection);
    ZRRegIniFile().WriteFloat(queueSection, "OffsetY", -1.0);

    TZRDruckDlg dlg;
    EXPECT_EQ(dlg.lblPosX->text(), "2,0 mm nach rechts verschieben");
    dlg.cbDrucker->setCurrentIndex(queue);
    dlg.cbDruckerChange();
    EXPECT_EQ(Printer().DeviceName(), "VelamorPDF");
    EXPECT_EQ(dlg.lblPosX->text(), "keine waarechte Verschiebung");
    EXPECT_EQ(dlg.lblPosY->text(), "1,0 mm nach oben verschieben");
    EXPECT_FALSE(dlg.lblOrt->text().isEmpty()); // the queue's device URI
    dlg.cbDrucker->setCurrentIndex(Printer().IndexOf(TPrinter::PdfPrinterName()));
    dlg.cbDruckerChange();
    EXPECT_FLOAT_EQ(dlg.OffsetX(), 2.0f);
    EXPECT_FLOAT_EQ(dlg.OffsetY(), 0);
    ZRRegIniFile().EraseSection(queueSection);
}

TEST_F(DialogTest, ProgressWindowDisablesItsOwnerAndTakesTheAbort) {
    QWidget owner;
    owner.show();
    EXPECT_FALSE(PrintAborted());
    ShowPrintProgress(&owner, "Drucke Seite");
    ASSERT_NE(PrintProgressWindow(), nullptr);
    EXPECT_FALSE(owner.isEnabled());
    EXPECT_TRUE(PrintProgressWindow()->isEnabled());
    EXPECT_EQ(PrintProgressWindow()->lText->text(), "Drucke Seite");
    EXPECT_EQ(PrintProgressWindow()->windowTitle(), "Drucken");
    ShowPrintProgress(&owner, "Drucke Grafik 1 von 4");
    EXPECT_EQ(PrintProgressWindow()->lText->text(), "Drucke Grafik 1 von 4");
    EXPECT_FALSE(PrintAborted());
    PrintProgressWindow()->cmdAbbrechen->click();
    PrintProgressWindow()->cmdAbbrechen->click();
    EXPECT_TRUE(PrintAborted());
    ClosePrintProgress(&owner);
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_EQ(PrintProgressWindow(), nullptr);
    EXPECT_FALSE(PrintAborted());
}

namespace {
// A position that presses the progress window's abort button while it prints,
// or raises.
class PressingPosition : public PrintTest::SolidPosition {
public:
    PressingPosition(bool press, bool raise)
        : SolidPosition(Qt::blue), press_(press), raise_(raise) {}
    void PrintTo(TPrintDevice& device, const TPrintRect& rect) override {
        ++printed;
        if (raise_)
            throw Exception("Druckerfehler");
        SolidPosition::PrintTo(device, rect);
        if (press_ && PrintProgressWindow())
            PrintProgressWindow()->cmdAbbrechen->click();
    }
    int printed = 0;

private:
    bool press_, raise_;
};
} // namespace

TEST_F(DialogTest, AbortDuringTheSecondPictureDiscardsTheJob) {
    QWidget owner;
    const QString dir = TestSupport::NewTempDir();
    Printer().SetOutputFileName(dir + "/bogen.pdf");
    TPaperTemplate sheet("t");
    sheet.AddGrid(2, 2, 40, 40, 10, 10, 5, 5, 0);
    PressingPosition a(false, false), b(true, false), c(false, false), d(false, false);
    TWindowPrintProgress progress(&owner);
    TSheetJobOptions o;
    o.Copies = 2;
    const TSheetJobResult r = RunSheetJob(Printer(), sheet, {&a, &b, &c, &d}, o, progress);
    EXPECT_TRUE(r.Aborted);
    EXPECT_EQ(a.printed + b.printed + c.printed + d.printed, 2);
    EXPECT_TRUE(QDir(dir).entryList(QDir::Files).isEmpty()) << "the aborted job left a file";
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_EQ(PrintProgressWindow(), nullptr);
}

TEST_F(DialogTest, ExceptionClosesTheProgressAndEnablesTheOwner) {
    QWidget owner;
    const QString dir = TestSupport::NewTempDir();
    Printer().SetOutputFileName(dir + "/bogen.pdf");
    TPaperTemplate sheet("t");
    sheet.AddGrid(2, 1, 40, 40, 10, 10, 5, 5, 0);
    PressingPosition a(false, false), b(false, true);
    TWindowPrintProgress progress(&owner);
    EXPECT_THROW(RunSheetJob(Printer(), sheet, {&a, &b}, TSheetJobOptions{}, progress), Exception);
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_EQ(PrintProgressWindow(), nullptr);
    EXPECT_FALSE(Printer().Printing());
    EXPECT_TRUE(QDir(dir).entryList(QDir::Files).isEmpty());
}

TEST_F(DialogTest, PrintCommandCancelledInTheDialogPrintsNothing) {
    QWidget owner;
    TPaperTemplate sheet("t");
    sheet.AddPosition(10, 10, 40, 40, 0);
    PrintTest::SolidPosition a(Qt::red);
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<TZRDruckDlg*>(w); d && d->isVisible())
                d->BtnAbbrechen->click();
    });
    EXPECT_FALSE(PrintSheet(&owner, sheet, {&a}));
    EXPECT_FALSE(Printer().Printing());
}
