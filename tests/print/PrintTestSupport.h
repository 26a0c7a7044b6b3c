#pragma once
// Helpers of the printing tests: solid test pictures, the private CUPS
// queue and PDF rasterisation.

#include "TestSupport.h"
#include "uDib.h"
#include "uPrintDIB.h"
#include "uSheetJob.h"

#include <QColor>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QThread>

namespace PrintTest {

inline TDib SolidDib(int w, int h, const QColor& c) {
    TDib dib = TDib::Create(w, h, 24);
    for (int y = 0; y < h; ++y) {
        std::uint8_t* row = dib.Row(y);
        for (int x = 0; x < w; ++x) {
            row[x * 3] = std::uint8_t(c.blue());
            row[x * 3 + 1] = std::uint8_t(c.green());
            row[x * 3 + 2] = std::uint8_t(c.red());
        }
    }
    return dib;
}

// A position holding a solid picture, printed whole into its rectangle.
class SolidPosition : public IPrintPosition {
public:
    explicit SolidPosition(const QColor& c) : dib_(SolidDib(60, 40, c)) {}
    bool HasPicture() const override { return true; }
    void PrintTo(TPrintDevice& device, const TPrintRect& rect) override {
        PrintDIB(device, dib_, rect, {0, 0, 60, 40}, device.Monochrome());
    }

private:
    TDib dib_;
};

class NoProgress : public IPrintProgress {
public:
    void ShowPrintProgress(const QString&) override {}
    void ClosePrintProgress() override {}
    bool PrintAborted() const override { return false; }
    void ProcessMessages() override {}
};

// The private CUPS server of scripts/cups-start.sh, when CUPS_SERVER is not
// set already. Call before the printer object is first used.
inline void UseTestCupsServer() {
    if (qEnvironmentVariableIsEmpty("CUPS_SERVER") &&
        QFileInfo::exists(QStringLiteral("/tmp/velamor-cups/cups.sock")))
        qputenv("CUPS_SERVER", "127.0.0.1:6631");
}

// True when a failing queue must fail the test (CI) rather than skip it.
inline bool CupsRequired() {
    return qEnvironmentVariable("VELAMOR_REQUIRE_CUPS") == QLatin1String("1");
}

inline QString CupsPdfOut() {
    const QString d = qEnvironmentVariable("VELAMOR_CUPS_PDF_OUT");
    return d.isEmpty() ? QStringLiteral("/var/spool/cups-pdf-velamor") : d;
}

// Waits for cups-pdf's file of the job whose title contains token.
inline QString WaitForCupsPdf(const QString& token, int timeoutMs = 60000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < timeoutMs) {
        QDirIterator it(CupsPdfOut(), {QStringLiteral("*.pdf")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString f = it.next();
            if (QFileInfo(f).fileName().contains(token)) {
                // cups-pdf writes the file in one go after the job's conversion;
                // wait until its size settles.
                qint64 last = -1;
                for (int i = 0; i < 50; ++i) {
                    const qint64 size = QFileInfo(f).size();
                    if (size > 0 && size == last)
                        return f;
                    last = size;
                    QThread::msleep(100);
                }
                return f;
            }
        }
        QThread::msleep(200);
    }
    return QString();
}

// Renders the first page of a PDF at dpi with poppler's pdftoppm.
inline QImage Rasterise(const QString& pdf, int dpi = 150) {
    const QString base = TestSupport::NewTempDir() + QStringLiteral("/page");
    QByteArray out;
    if (TestSupport::Run(QStringLiteral("pdftoppm"),
                         {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                          QStringLiteral("-singlefile"), pdf, base},
                         &out) != 0)
        return QImage();
    QImage img(base + QStringLiteral(".png"));
    return img.convertToFormat(QImage::Format_RGB32);
}

inline int PdfPages(const QString& pdf) {
    QByteArray out;
    if (TestSupport::Run(QStringLiteral("pdfinfo"), {pdf}, &out) != 0)
        return -1;
    for (const QByteArray& line : out.split('\n')) {
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    }
    return -1;
}

} // namespace PrintTest
