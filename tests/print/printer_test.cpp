// The printer object, printer support, and sheets printed to PDF through the
// built-in PDF printer and through a real CUPS queue.

#include "FDocumentProperties.h"
#include "PageCheck.h"
#include "PrintTestSupport.h"
#include "uException.h"
#include "uPrinter.h"
#include "uPrinterSupport.h"
#include "uVorlagen.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const QString kQueue = QStringLiteral("VelamorPDF");

class PrinterTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        PrintTest::UseTestCupsServer();
        SetPrintDIBPause(0);
    }
    void SelectPdf() { Printer().SetPrinterIndex(Printer().IndexOf(TPrinter::PdfPrinterName())); }
    bool SelectQueue() {
        Printer().Refresh();
        const int i = Printer().IndexOf(kQueue);
        if (i < 0)
            return false;
        Printer().SetPrinterIndex(i);
        return true;
    }
};

std::vector<std::unique_ptr<PrintTest::SolidPosition>> Fill(const TPaperTemplate& sheet) {
    std::vector<std::unique_ptr<PrintTest::SolidPosition>> v;
    for (int k = 0; k < sheet.Count(); ++k)
        v.push_back(std::make_unique<PrintTest::SolidPosition>(PageCheck::AreaColor(k)));
    return v;
}

std::vector<IPrintPosition*> Ptrs(const std::vector<std::unique_ptr<PrintTest::SolidPosition>>& v) {
    std::vector<IPrintPosition*> p;
    for (auto& s : v)
        p.push_back(s.get());
    return p;
}

} // namespace

TEST_F(PrinterTest, ListEndsWithThePdfPrinterWhichIsAlwaysThere) {
    const QStringList names = Printer().Printers();
    ASSERT_FALSE(names.isEmpty());
    EXPECT_EQ(names.last(), TPrinter::PdfPrinterName());
    EXPECT_GE(Printer().DefaultIndex(), 0);
    SelectPdf();
    EXPECT_TRUE(Printer().IsPdfPrinter());
    EXPECT_EQ(Printer().LogicalDpiX(), 600);
    EXPECT_EQ(Printer().PhysicalOffsetX(), 0);
    EXPECT_EQ(Printer().PaperWidth(), 4958); // A4 is 595 x 842 points: 600 dpi
    EXPECT_EQ(Printer().PageHeight(), 7017);
    EXPECT_EQ(Printer().MaxCopies(), 1);
    EXPECT_EQ(CurrentPrinterInfo(), &Printer());
}

TEST_F(PrinterTest, DeviceModeIsTakenBackOnlyWhenItFits) {
    SelectPdf();
    TPrinter& p = Printer();
    QString device, driver, port;
    QByteArray original;
    p.GetPrinter(&device, &driver, &port, &original);
    TDevMode changed = *TDevMode::Parse(original);
    changed.Resolution = 300;
    changed.Orientation = 1;
    p.SetPrinter(device, driver, port, changed.Serialize());
    EXPECT_EQ(p.LogicalDpiX(), 300);
    EXPECT_GT(p.PaperWidth(), p.PaperHeight());

    // Damaged, foreign or another printer's blocks leave the settings alone.
    QByteArray damaged = changed.Serialize();
    damaged[damaged.size() / 2] = char(damaged[damaged.size() / 2] ^ 0x55);
    TDevMode other = changed;
    other.DeviceName = QStringLiteral("Irgendein anderer Drucker");
    other.Resolution = 150;
    for (const QByteArray& bad : {damaged, QByteArray(156, 'x'), other.Serialize()}) {
        p.SetPrinter(device, driver, port, bad);
        EXPECT_EQ(p.LogicalDpiX(), 300);
        EXPECT_EQ(p.Orientation(), 1);
    }
    // An unknown printer changes nothing.
    p.SetPrinter(QStringLiteral("Gibt es nicht"), driver, port, QByteArray());
    EXPECT_EQ(p.DeviceName(), device);

    // Resetting takes the driver's default but keeps the orientation.
    PrinterSupport().ResetDeviceMode();
    EXPECT_EQ(p.LogicalDpiX(), 600);
    EXPECT_EQ(p.Orientation(), 1);
    p.SetOrientation(0);
}

TEST_F(PrinterTest, CopiesCannotBeSetWhileAJobRuns) {
    SelectPdf();
    Printer().SetOutputFileName(TestSupport::NewTempDir() + "/x.pdf");
    PrinterSupport().SetCopies(2);
    EXPECT_EQ(Printer().DeviceCopies(), 2);
    Printer().BeginDoc();
    try {
        PrinterSupport().SetCopies(5);
        ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Kopien können nicht während eines Druckauftrags gesetzt werden");
    }
    EXPECT_EQ(Printer().DeviceCopies(), 2);
    Printer().Abort();
    PrinterSupport().SetCopies(1);
}

TEST_F(PrinterTest, AbortedPdfJobLeavesNoFile) {
    SelectPdf();
    const QString dir = TestSupport::NewTempDir();
    Printer().SetOutputFileName(dir + "/abgebrochen.pdf");
    Printer().BeginDoc();
    Printer().Canvas()->fillRect(0, 0, 100, 100, Qt::red);
    Printer().Abort();
    EXPECT_TRUE(Printer().Aborted());
    EXPECT_TRUE(QDir(dir).entryList(QDir::Files).isEmpty());
    EXPECT_FALSE(Printer().Printing());
}

TEST_F(PrinterTest, PageInfoOfThePdfPrinter) {
    SelectPdf();
    TPrinterPageInfo info;
    PrinterSupport().GetPageInfo(info);
    EXPECT_EQ(info.PaperWidthPx, 4958);
    EXPECT_EQ(info.OffsetXPx, 0);
    EXPECT_EQ(info.RightMarginPx, 0);
    EXPECT_FLOAT_EQ(info.BottomMarginMM, 0);
    TPrinterInfo pi;
    PrinterSupport().GetPrinterInfo(pi);
    EXPECT_EQ(pi.PrinterName, TPrinter::PdfPrinterName());
    EXPECT_TRUE(PrinterSupport().IsColorPrinter());
}

TEST_F(PrinterTest, PropertiesDialogCancelledChangesNothingConfirmedTakesEffect) {
    SelectPdf();
    const QByteArray before = Printer().DevMode();
    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QDialog*>(w); d && d->isVisible())
                d->reject();
    });
    EXPECT_FALSE(PrinterSupport().ShowDocumentProperties(nullptr));
    EXPECT_EQ(Printer().DevMode(), before);

    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<TDocumentPropertiesDlg*>(w); d && d->isVisible()) {
                d->cbFarbe->setCurrentIndex(1);
                d->cbAufloesung->setCurrentIndex(d->cbAufloesung->findData(300));
                d->accept();
            }
    });
    EXPECT_TRUE(PrinterSupport().ShowDocumentProperties(nullptr));
    EXPECT_FALSE(PrinterSupport().IsColorPrinter());
    EXPECT_EQ(Printer().LogicalDpiY(), 300);
    PrinterSupport().ResetDeviceMode();
    EXPECT_TRUE(PrinterSupport().IsColorPrinter());
}

TEST_F(PrinterTest, SheetThroughThePdfPrinterLandsAtItsMillimetres) {
    SelectPdf();
    TTemplateList templates;
    BuildCatalogue(templates);
    for (int t : {3, 22}) {
        const TPaperTemplate& sheet = *templates[size_t(t)];
        const auto positions = Fill(sheet);
        const QString file = TestSupport::NewTempDir() + "/bogen.pdf";
        Printer().SetOutputFileName(file);
        TSheetJobOptions o;
        o.OffsetX = 1.5f;
        o.OffsetY = -2.0f;
        o.Title = "Kestrelon Velamor";
        PrintTest::NoProgress progress;
        RunSheetJob(Printer(), sheet, Ptrs(positions), o, progress);
        EXPECT_EQ(PrintTest::PdfPages(file), 1);
        const QImage page = PrintTest::Rasterise(file);
        ASSERT_FALSE(page.isNull());
        const QStringList faults = PageCheck::Check(page, sheet, sheet.Count(), 1.5f, -2.0f, 150);
        EXPECT_TRUE(faults.isEmpty())
            << "template " << t << ": " << faults.join("\n").toStdString();
    }
}

TEST_F(PrinterTest, CopiesOnThePdfPrinterArePagesOfTheirOwn) {
    SelectPdf();
    TPaperTemplate sheet("t");
    sheet.AddPosition(10, 10, 50, 50, 0);
    const auto positions = Fill(sheet);
    const QString file = TestSupport::NewTempDir() + "/kopien.pdf";
    Printer().SetOutputFileName(file);
    TSheetJobOptions o;
    o.Copies = 3;
    PrintTest::NoProgress progress;
    const TSheetJobResult r = RunSheetJob(Printer(), sheet, Ptrs(positions), o, progress);
    EXPECT_EQ(r.CopiesByJob, 3);
    EXPECT_EQ(PrintTest::PdfPages(file), 3);
}

TEST_F(PrinterTest, SheetThroughACupsQueueLandsAtItsMillimetres) {
    if (!SelectQueue()) {
        if (PrintTest::CupsRequired())
            FAIL() << "the CUPS queue " << kQueue.toStdString() << " is missing";
        GTEST_SKIP() << "no CUPS queue " << kQueue.toStdString()
                     << " (scripts/cups-start.sh starts one)";
    }
    EXPECT_FALSE(Printer().PortName().isEmpty());
    EXPECT_GT(Printer().MaxCopies(), 1);
    TTemplateList templates;
    BuildCatalogue(templates);
    for (int t : {3, 22}) {
        const TPaperTemplate& sheet = *templates[size_t(t)];
        const auto positions = Fill(sheet);
        const QString token =
            QStringLiteral("vlmr%1t%2").arg(QCoreApplication::applicationPid()).arg(t);
        TSheetJobOptions o;
        o.OffsetX = -1.0f;
        o.OffsetY = 2.5f;
        o.Title = token;
        PrintTest::NoProgress progress;
        RunSheetJob(Printer(), sheet, Ptrs(positions), o, progress);
        EXPECT_GT(Printer().LastJobId(), 0);
        const QString pdf = PrintTest::WaitForCupsPdf(token);
        ASSERT_FALSE(pdf.isEmpty()) << "cups-pdf wrote no file for " << token.toStdString();
        const QImage page = PrintTest::Rasterise(pdf);
        ASSERT_FALSE(page.isNull());
        const QStringList faults = PageCheck::Check(page, sheet, sheet.Count(), -1.0f, 2.5f, 150);
        EXPECT_TRUE(faults.isEmpty())
            << "template " << t << ": " << faults.join("\n").toStdString();
        QFile::remove(pdf);
    }
}

TEST_F(PrinterTest, PropertiesOfACupsQueueShowItsOwnOptions) {
    if (!SelectQueue())
        GTEST_SKIP() << "needs the CUPS queue VelamorPDF";
    const TDevMode settings = Printer().Settings();
    EXPECT_EQ(settings.Option("PageSize"), settings.PaperKey);
    TDocumentPropertiesDlg dlg(Printer(), settings);
    EXPECT_GT(dlg.cbPapier->count(), 10);
    EXPECT_EQ(dlg.cbPapier->currentData().toString(), settings.PaperKey);
    EXPECT_NE(dlg.cbAufloesung->findData(600), -1);
    QStringList keys;
    for (const auto& [option, cb] : dlg.Weitere)
        keys << option.Key;
    EXPECT_TRUE(keys.contains("PDFVer")) << keys.join(",").toStdString();
    EXPECT_FALSE(keys.contains("PageSize"));

    dlg.cbAufloesung->setCurrentIndex(dlg.cbAufloesung->findData(600));
    dlg.cbPapier->setCurrentIndex(dlg.cbPapier->findData("A5"));
    for (const auto& [option, cb] : dlg.Weitere)
        if (option.Key == "PDFVer")
            cb->setCurrentIndex(cb->findData("1.4"));
    const TDevMode changed = dlg.Settings();
    EXPECT_EQ(changed.Resolution, 600);
    EXPECT_EQ(changed.Option("Resolution"), "600dpi");
    EXPECT_EQ(changed.PaperKey, "A5");
    EXPECT_EQ(changed.Option("PageSize"), "A5");
    EXPECT_EQ(changed.Option("PDFVer"), "1.4");
    EXPECT_NEAR(changed.PaperWidthMM, 148, 0.5);

    // In force once handed to the printer: 600 dpi on A5.
    Printer().SetSettings(changed);
    EXPECT_EQ(Printer().LogicalDpiX(), 600);
    EXPECT_EQ(Printer().PaperWidth(), 3500); // A5 is 420 points wide
    PrinterSupport().ResetDeviceMode();
    EXPECT_EQ(Printer().Settings().PaperKey, settings.PaperKey);
}
