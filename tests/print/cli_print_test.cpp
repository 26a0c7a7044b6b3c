// velamor-cli printers and print, end to end: real picture files, the
// built-in PDF printer and a real CUPS queue (cups-pdf), pages rasterised
// with poppler's pdftoppm and checked area by area.

#include "PageCheck.h"
#include "PrintTestSupport.h"
#include "uVorlagen.h"

#include <QCoreApplication>
#include <QFile>

#include <gtest/gtest.h>

namespace {

const QString kCli = QStringLiteral(VELAMOR_CLI);
const QString kQueue = QStringLiteral("VelamorPDF");

struct Result {
    int code = -1;
    QString out;
    QString err;
};

Result Cli(const QStringList& args, const QString& title = QString()) {
    QProcessEnvironment extra;
    if (!title.isEmpty())
        extra.insert("VELAMOR_JOB_TITLE", title);
    const TestSupport::RunResult run = TestSupport::RunSplit(kCli, args, extra);
    return {run.code, QString::fromUtf8(run.out), QString::fromUtf8(run.err)};
}

// A solid picture file of the area's colour, written by ImageMagick.
QString SolidFile(const QString& dir, int k, int w, int h) {
    const QString file = QStringLiteral("%1/bild%2.bmp").arg(dir).arg(k);
    const QString size = QStringLiteral("%1x%2").arg(w).arg(h);
    EXPECT_EQ(TestSupport::Run("convert", {"-size", size, "xc:" + PageCheck::AreaColor(k).name(),
                                           "-type", "TrueColor", "BMP3:" + file}),
              0);
    return file;
}

QStringList SolidFiles(const TPaperTemplate& sheet, const QString& dir) {
    QStringList files;
    for (int k = 0; k < sheet.Count(); ++k) // mixed shapes: the crop must not show
        files << SolidFile(dir, k, k % 2 ? 640 : 300, k % 2 ? 300 : 500);
    return files;
}

bool HaveTools() {
    return TestSupport::HaveProgram("convert") && TestSupport::HaveProgram("pdftoppm");
}

class CliPrintTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrintTest::UseTestCupsServer(); }
    void SetUp() override {
        if (!HaveTools())
            GTEST_SKIP() << "needs ImageMagick and poppler-utils";
        BuildCatalogue(templates);
    }
    bool HaveQueue() {
        const Result r = Cli({"printers"});
        return r.out.contains(QStringLiteral(" %1\t").arg(kQueue));
    }
    TTemplateList templates;
};

} // namespace

TEST_F(CliPrintTest, PrintersListsThePdfPrinterAndMarksOneDefault) {
    const Result r = Cli({"printers"});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral("  PDF-Datei\t")) ||
                lines.last().startsWith(QStringLiteral("* PDF-Datei\t")));
    int marked = 0;
    for (const QString& l : lines)
        marked += l.startsWith('*');
    EXPECT_EQ(marked, 1);
    if (HaveQueue()) {
        EXPECT_TRUE(r.out.contains("VelamorPDF\tGeneric CUPS-PDF Printer"));
        EXPECT_TRUE(r.out.contains("cups-pdf:/velamor"));
    }
}

TEST_F(CliPrintTest, SheetsThroughThePdfPrinterLandAtTheirMillimetres) {
    for (int t : {3, 22}) {
        const TPaperTemplate& sheet = *templates[size_t(t)];
        const QString dir = TestSupport::NewTempDir();
        const QString pdf = dir + "/bogen.pdf";
        const Result r = Cli(QStringList{"print", "--template", QString::number(t), "--pdf", pdf,
                                         "--offset", "1.5,-2"} +
                             SolidFiles(sheet, dir));
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_EQ(PrintTest::PdfPages(pdf), 1);
        const QImage page = PrintTest::Rasterise(pdf);
        ASSERT_FALSE(page.isNull());
        const QStringList faults = PageCheck::Check(page, sheet, sheet.Count(), 1.5f, -2.0f, 150);
        EXPECT_TRUE(faults.isEmpty()) << "template " << t << ":\n"
                                      << faults.join("\n").toStdString();
    }
}

TEST_F(CliPrintTest, SheetsThroughACupsQueueLandAtTheirMillimetres) {
    if (!HaveQueue()) {
        if (PrintTest::CupsRequired())
            FAIL() << "the CUPS queue VelamorPDF is missing (scripts/cups-start.sh)";
        GTEST_SKIP() << "no CUPS queue VelamorPDF (scripts/cups-start.sh starts one)";
    }
    for (int t : {3, 22}) {
        const TPaperTemplate& sheet = *templates[size_t(t)];
        const QString dir = TestSupport::NewTempDir();
        const QString token =
            QStringLiteral("vcli%1t%2").arg(QCoreApplication::applicationPid()).arg(t);
        const Result r = Cli(QStringList{"print", "--template", QString::number(t), "--printer",
                                         kQueue, "--offset", "-1,2.5"} +
                                 SolidFiles(sheet, dir),
                             token);
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains("Auftrag")) << r.out.toStdString();
        const QString pdf = PrintTest::WaitForCupsPdf(token);
        ASSERT_FALSE(pdf.isEmpty()) << "cups-pdf wrote no file for " << token.toStdString();
        const QImage page = PrintTest::Rasterise(pdf);
        ASSERT_FALSE(page.isNull());
        const QStringList faults = PageCheck::Check(page, sheet, sheet.Count(), -1.0f, 2.5f, 150);
        EXPECT_TRUE(faults.isEmpty()) << "template " << t << ":\n"
                                      << faults.join("\n").toStdString();
        QFile::remove(pdf);
    }
}

TEST_F(CliPrintTest, PicturesCoverTheirAreaCentredAndTurnOnRequest) {
    // Template 3 has portrait areas (90 x 130 mm). A landscape picture, left
    // half red, right half blue.
    const QString dir = TestSupport::NewTempDir();
    const QString file = dir + "/quer.bmp";
    ASSERT_EQ(TestSupport::Run("convert", {"-size", "300x200", "xc:#ff0000", "(", "-size",
                                           "300x200", "xc:#0000ff", ")", "+append", "-type",
                                           "TrueColor", "BMP3:" + file}),
              0);
    const TPaperTemplate& sheet = *templates[3];
    const QRectF a = PageCheck::PrintedRect(sheet.Position(0), 0, 0, 150);
    for (bool turn : {false, true}) {
        const QString pdf = dir + (turn ? "/turned.pdf" : "/plain.pdf");
        QStringList args{"print", "--template", "3", "--pdf", pdf, file};
        if (turn)
            args << "--autorotate";
        const Result r = Cli(args);
        ASSERT_EQ(r.code, 0) << r.err.toStdString();
        const QImage page = PrintTest::Rasterise(pdf);
        ASSERT_FALSE(page.isNull());
        const QPoint topLeft = (a.topLeft() + QPointF(5, 5)).toPoint();
        const QPoint bottomRight = (a.bottomRight() - QPointF(5, 5)).toPoint();
        if (!turn) {
            // Covered and centred: the middle of the picture fills the area,
            // red on the left, blue on the right.
            EXPECT_TRUE(PageCheck::Near(page.pixel(topLeft), Qt::red, 40));
            EXPECT_TRUE(PageCheck::Near(page.pixel(bottomRight), Qt::blue, 40));
        } else {
            // A quarter turn counter-clockwise: the left half goes down.
            EXPECT_TRUE(PageCheck::Near(page.pixel(topLeft), Qt::blue, 40));
            EXPECT_TRUE(PageCheck::Near(page.pixel(bottomRight), Qt::red, 40));
        }
        // The other areas stay blank.
        const QRectF b = PageCheck::PrintedRect(sheet.Position(1), 0, 0, 150);
        EXPECT_EQ(page.pixel(b.center().toPoint()), qRgb(255, 255, 255));
    }
}

TEST_F(CliPrintTest, CopiesOnThePdfPrinterBecomePages) {
    const QString dir = TestSupport::NewTempDir();
    const QString pdf = dir + "/kopien.pdf";
    const Result r = Cli(
        {"print", "--template", "3", "--pdf", pdf, "--copies", "2", SolidFile(dir, 0, 200, 300)});
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    EXPECT_EQ(PrintTest::PdfPages(pdf), 2);
}

TEST_F(CliPrintTest, BadInputGetsAGermanMessageAndWritesNothing) {
    const QString dir = TestSupport::NewTempDir();
    const QString pdf = dir + "/nie.pdf";
    Result r = Cli({"print", "--template", "3", "--pdf", pdf, dir + "/fehlt.jpg"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("existiert nicht")) << r.err.toStdString();

    QFile junk(dir + "/kaputt.jpg");
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write("\xFF\xD8\xFF\xE0 kein JPEG");
    junk.close();
    r = Cli({"print", "--template", "3", "--pdf", pdf, junk.fileName()});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("Grafik konnte nicht geladen werden")) << r.err.toStdString();

    const QString one = SolidFile(dir, 0, 20, 20);
    EXPECT_EQ(Cli({"print", "--template", "3", "--pdf", pdf, one, one, one, one, one}).code, 2);
    EXPECT_EQ(Cli({"print", "--template", "99", "--pdf", pdf, one}).code, 2);
    EXPECT_EQ(Cli({"print", "--template", "3", one}).code, 2);
    EXPECT_EQ(Cli({"print", "--template", "3", "--pdf", pdf, "--printer", "x", one}).code, 2);
    EXPECT_EQ(Cli({"print", "--template", "3", "--pdf", pdf, "--offset", "1", one}).code, 2);
    EXPECT_EQ(Cli({"print", "--template", "3", "--pdf", pdf, "--copies", "0", one}).code, 2);
    r = Cli({"print", "--template", "3", "--printer", "Gibt es nicht", one});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.err.contains("gibt es nicht"));
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(QDir(dir).entryList({"*.pdf*"}, QDir::Files).size(), 0);
}
