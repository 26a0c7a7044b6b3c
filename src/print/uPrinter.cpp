#include "uPrinter.h"

#include "uException.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kPdfResolution = 600;
const QList<int> kPdfResolutions{150, 300, 600, 1200};

int DpiFromChoice(const QString& choice) {
    // "300dpi", "600x600dpi", "1200x600dpi": the first number.
    static const QRegularExpression rx(QStringLiteral("^(\\d+)"));
    const auto m = rx.match(choice);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}

QPageSize PageSizeFor(const TDevMode& m, const QPrinterInfo& info) {
    if (!info.isNull()) {
        for (const QPageSize& s : info.supportedPageSizes()) {
            if (s.key() == m.PaperKey)
                return s;
        }
    }
    if (!m.PaperKey.isEmpty()) {
        for (int id = 0; id <= int(QPageSize::LastPageSize); ++id) {
            const QPageSize s(static_cast<QPageSize::PageSizeId>(id));
            if (s.key() == m.PaperKey)
                return s;
        }
    }
    return QPageSize(QSizeF(m.PaperWidthMM, m.PaperHeightMM), QPageSize::Millimeter, m.PaperKey);
}

int Pixels(double points, int dpi) {
    return int(std::lround(points * dpi / 72.0));
}

} // namespace

QString TPrinter::PdfPrinterName() {
    return QStringLiteral("PDF-Datei");
}

TPrinter::TPrinter() {
    Refresh();
    SetPrinterIndex(-1);
}

TPrinter::~TPrinter() {
    if (Printing())
        Abort();
    if (CurrentPrintDevice() == this)
        SetCurrentPrintDevice(nullptr);
}

void TPrinter::Refresh() {
    const QString current = index_ >= 0 ? DeviceName() : QString();
    queues_ = QPrinterInfo::availablePrinterNames();
    queues_.removeAll(PdfPrinterName());
    if (!current.isEmpty()) {
        const int i = IndexOf(current);
        if (i >= 0)
            index_ = i;
        else
            SetPrinterIndex(-1);
    }
}

QStringList TPrinter::Printers() const {
    return queues_ + QStringList{PdfPrinterName()};
}

int TPrinter::IndexOf(const QString& deviceName) const {
    return int(Printers().indexOf(deviceName));
}

int TPrinter::DefaultIndex() const {
    const int i = int(queues_.indexOf(QPrinterInfo::defaultPrinterName()));
    if (i >= 0)
        return i;
    return queues_.isEmpty() ? int(queues_.size()) : 0;
}

void TPrinter::SetPrinterIndex(int index) {
    if (Printing())
        throw Exception(QStringLiteral("Der Drucker kann nicht während eines Druckauftrags "
                                       "gewechselt werden"));
    if (index == -1)
        index = DefaultIndex();
    if (index < 0 || index >= int(Printers().size()))
        return;
    index_ = index;
    settings_ = DefaultSettings();
    UpdateLayout();
}

QString TPrinter::DeviceName() const {
    const QStringList all = Printers();
    return index_ >= 0 && index_ < int(all.size()) ? all[index_] : QString();
}

bool TPrinter::IsPdfPrinter() const {
    return index_ == int(queues_.size());
}

QString TPrinter::DriverName() const {
    if (IsPdfPrinter())
        return QStringLiteral("Kestrelon Velamor PDF");
    return QPrinterInfo::printerInfo(DeviceName()).makeAndModel();
}

QString TPrinter::PortName() const {
    if (IsPdfPrinter())
        return outputFile_.isEmpty() ? QStringLiteral("Datei") : outputFile_;
    return Platform::PrinterDeviceUri(DeviceName());
}

QString TPrinter::Comment() const {
    if (IsPdfPrinter())
        return QStringLiteral("Schreibt eine PDF-Datei");
    return QPrinterInfo::printerInfo(DeviceName()).description();
}

QString TPrinter::Location() const {
    if (IsPdfPrinter())
        return QString();
    return QPrinterInfo::printerInfo(DeviceName()).location();
}

void TPrinter::GetPrinter(QString* device, QString* driver, QString* port,
                          QByteArray* devMode) const {
    if (device)
        *device = DeviceName();
    if (driver)
        *driver = DriverName();
    if (port)
        *port = PortName();
    if (devMode)
        *devMode = DevMode();
}

void TPrinter::SetPrinter(const QString& device, const QString&, const QString&,
                          const QByteArray& devMode) {
    if (Printing())
        throw Exception(QStringLiteral("Der Drucker kann nicht während eines Druckauftrags "
                                       "gewechselt werden"));
    const int i = IndexOf(device);
    if (i < 0)
        return; // an unknown printer: nothing changes
    if (i != index_)
        SetPrinterIndex(i);
    if (devMode.isEmpty()) {
        settings_ = DefaultSettings();
        UpdateLayout();
        return;
    }
    const std::optional<TDevMode> m = TDevMode::Parse(devMode);
    if (m && m->DeviceName == device)
        SetSettings(*m);
}

QByteArray TPrinter::DevMode() const {
    return settings_.Serialize();
}

void TPrinter::SetSettings(const TDevMode& settings) {
    TDevMode m = settings;
    m.DeviceName = DeviceName();
    if (m.Copies < 1)
        m.Copies = 1;
    settings_ = m;
    UpdateLayout();
}

TDevMode TPrinter::DefaultSettings() const {
    TDevMode m;
    m.DeviceName = DeviceName();
    if (IsPdfPrinter()) {
        const QPageSize a4(QPageSize::A4);
        m.PaperKey = a4.key();
        m.Resolution = kPdfResolution;
        return m;
    }
    const QPrinterInfo info = QPrinterInfo::printerInfo(m.DeviceName);
    const QPageSize size = info.defaultPageSize();
    if (size.isValid()) {
        m.PaperKey = size.key();
        const QSizeF mm = size.size(QPageSize::Millimeter);
        m.PaperWidthMM = mm.width();
        m.PaperHeightMM = mm.height();
    }
    m.Color =
        info.defaultColorMode() == QPrinter::GrayScale ? TDevMode::kMonochrome : TDevMode::kColor;
    switch (info.defaultDuplexMode()) {
    case QPrinter::DuplexLongSide:
        m.Duplex = TDevMode::kDuplexLongEdge;
        break;
    case QPrinter::DuplexShortSide:
        m.Duplex = TDevMode::kDuplexShortEdge;
        break;
    default:
        m.Duplex = TDevMode::kSimplex;
    }
    int dpi = 0;
    for (const Platform::PrinterOption& o : Platform::PrinterOptions(m.DeviceName)) {
        m.Options.append({o.Key, o.Default});
        if (o.Key == QLatin1String("Resolution"))
            dpi = DpiFromChoice(o.Default);
        if (o.Key == QLatin1String("PageSize") && !o.Default.isEmpty())
            m.PaperKey = o.Default;
    }
    if (dpi <= 0) {
        const QList<int> r = info.supportedResolutions();
        dpi = r.isEmpty() ? 300 : r.first();
    }
    m.Resolution = dpi;
    return m;
}

QList<Platform::PrinterOption> TPrinter::DriverOptions() const {
    if (IsPdfPrinter())
        return {};
    return Platform::PrinterOptions(DeviceName());
}

QList<TPrinter::Paper> TPrinter::PaperSizes() const {
    QList<Paper> result;
    QList<QPageSize> sizes;
    if (IsPdfPrinter()) {
        for (auto id : {QPageSize::A3, QPageSize::A4, QPageSize::A5, QPageSize::A6, QPageSize::B5,
                        QPageSize::Letter, QPageSize::Legal})
            sizes << QPageSize(id);
    } else {
        sizes = QPrinterInfo::printerInfo(DeviceName()).supportedPageSizes();
    }
    for (const QPageSize& s : sizes) {
        const QSizeF mm = s.size(QPageSize::Millimeter);
        result.append({s.key(), s.name(), mm.width(), mm.height()});
    }
    return result;
}

QList<int> TPrinter::Resolutions() const {
    if (IsPdfPrinter())
        return kPdfResolutions;
    QList<int> r;
    for (const Platform::PrinterOption& o : DriverOptions()) {
        if (o.Key == QLatin1String("Resolution")) {
            for (const QString& c : o.Choices) {
                const int dpi = DpiFromChoice(c);
                if (dpi > 0 && !r.contains(dpi))
                    r << dpi;
            }
        }
    }
    if (r.isEmpty())
        r = QPrinterInfo::printerInfo(DeviceName()).supportedResolutions();
    if (r.isEmpty())
        r << settings_.Resolution;
    return r;
}

void TPrinter::SetOrientation(int orientation) {
    settings_.Orientation = orientation == 1 ? 1 : 0;
    UpdateLayout();
}

void TPrinter::UpdateLayout() {
    const QPrinterInfo info =
        IsPdfPrinter() ? QPrinterInfo() : QPrinterInfo::printerInfo(DeviceName());
    const QPageSize size = PageSizeFor(settings_, info);
    const QPageLayout::Orientation orientation =
        settings_.Orientation == 1 ? QPageLayout::Landscape : QPageLayout::Portrait;
    QMarginsF minimum;
    if (!info.isNull()) {
        // The queue's unprintable margins for this paper, as its driver states them.
        QPrinter probe(info, QPrinter::HighResolution);
        probe.setPageSize(size);
        probe.setPageOrientation(orientation);
        minimum = probe.pageLayout().minimumMargins();
    }
    layout_ = QPageLayout(size, orientation, minimum, QPageLayout::Point, minimum);
}

int TPrinter::LogicalDpiX() const {
    return settings_.Resolution;
}

int TPrinter::LogicalDpiY() const {
    return settings_.Resolution;
}

int TPrinter::PhysicalOffsetX() const {
    return Pixels(layout_.margins(QPageLayout::Point).left(), LogicalDpiX());
}

int TPrinter::PhysicalOffsetY() const {
    return Pixels(layout_.margins(QPageLayout::Point).top(), LogicalDpiY());
}

int TPrinter::PaperWidth() const {
    return Pixels(layout_.fullRect(QPageLayout::Point).width(), LogicalDpiX());
}

int TPrinter::PaperHeight() const {
    return Pixels(layout_.fullRect(QPageLayout::Point).height(), LogicalDpiY());
}

int TPrinter::PageWidth() const {
    if (job_)
        return job_->width();
    return Pixels(layout_.paintRect(QPageLayout::Point).width(), LogicalDpiX());
}

int TPrinter::PageHeight() const {
    if (job_)
        return job_->height();
    return Pixels(layout_.paintRect(QPageLayout::Point).height(), LogicalDpiY());
}

bool TPrinter::Printing() const {
    return painter_ && painter_->isActive();
}

bool TPrinter::Monochrome() const {
    return settings_.Color == TDevMode::kMonochrome;
}

QPainter* TPrinter::Canvas() {
    return Printing() ? painter_.get() : nullptr;
}

int TPrinter::MaxCopies() const {
    if (IsPdfPrinter())
        return 1; // a file holds each copy as pages of its own
    return Platform::PrinterMaxCopies(DeviceName());
}

void TPrinter::SetDeviceCopies(int copies) {
    settings_.Copies = qint16(std::clamp(copies, 1, 32767));
}

void TPrinter::BeginDoc() {
    if (Printing())
        throw Exception(QStringLiteral("TPrinter.BeginDoc: a print job is already running"));
    aborted_ = false;
    if (IsPdfPrinter()) {
        if (outputFile_.isEmpty())
            throw Exception(
                QStringLiteral("Für den PDF-Drucker ist keine Ausgabedatei angegeben."));
        // Written beside the target and renamed at the end, so that an
        // aborted or failed job leaves no half-written file.
        QTemporaryFile tmp(QFileInfo(outputFile_).absoluteFilePath() + QStringLiteral(".XXXXXX"));
        tmp.setAutoRemove(false);
        if (!tmp.open())
            throw Exception(QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.")
                                .arg(QDir::toNativeSeparators(outputFile_)));
        spoolFile_ = tmp.fileName();
    } else {
        QTemporaryFile tmp(QDir::temp().filePath(QStringLiteral("velamor-job-XXXXXX.pdf")));
        tmp.setAutoRemove(false);
        if (!tmp.open())
            throw Exception(
                QStringLiteral("Die Druckdaten können nicht zwischengespeichert werden."));
        spoolFile_ = tmp.fileName();
    }
    job_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    job_->setOutputFormat(QPrinter::PdfFormat);
    job_->setOutputFileName(spoolFile_);
    job_->setResolution(settings_.Resolution);
    job_->setFullPage(false);
    job_->setPageLayout(layout_);
    job_->setDocName(title_);
    job_->setCreator(QStringLiteral("Kestrelon Velamor"));
    job_->setColorMode(Monochrome() ? QPrinter::GrayScale : QPrinter::Color);
    painter_ = std::make_unique<QPainter>();
    if (!painter_->begin(job_.get())) {
        painter_.reset();
        job_.reset();
        QFile::remove(spoolFile_);
        spoolFile_.clear();
        throw Exception(QStringLiteral("Der Druckauftrag konnte nicht begonnen werden."));
    }
}

void TPrinter::NewPage() {
    if (!Printing())
        throw Exception(QStringLiteral("TPrinter.NewPage: no print job is running"));
    if (!job_->newPage())
        throw Exception(QStringLiteral("Es konnte keine neue Seite begonnen werden."));
}

void TPrinter::Finish() {
    if (painter_ && painter_->isActive())
        painter_->end();
    painter_.reset();
    job_.reset();
}

void TPrinter::EndDoc() {
    if (!Printing())
        throw Exception(QStringLiteral("TPrinter.EndDoc: no print job is running"));
    Finish();
    const QString spool = std::exchange(spoolFile_, QString());
    lastSpoolSize_ = QFileInfo(spool).size();
    lastJobId_ = 0;
    if (IsPdfPrinter()) {
        QFile::remove(outputFile_);
        if (!QFile::rename(spool, outputFile_)) {
            QFile::remove(spool);
            throw Exception(QStringLiteral("Die Datei \"%1\" kann nicht geschrieben werden.")
                                .arg(QDir::toNativeSeparators(outputFile_)));
        }
        return;
    }
    QList<QPair<QString, QString>> options = settings_.Options;
    options.append({QStringLiteral("copies"), QString::number(settings_.Copies)});
    if (Monochrome())
        options.append({QStringLiteral("print-color-mode"), QStringLiteral("monochrome")});
    switch (settings_.Duplex) {
    case TDevMode::kDuplexLongEdge:
        options.append({QStringLiteral("sides"), QStringLiteral("two-sided-long-edge")});
        break;
    case TDevMode::kDuplexShortEdge:
        options.append({QStringLiteral("sides"), QStringLiteral("two-sided-short-edge")});
        break;
    default:
        break;
    }
    QString error;
    const int id = Platform::SubmitPrintFile(DeviceName(), spool, title_, options, &error);
    QFile::remove(spool);
    if (id <= 0)
        throw Exception(QStringLiteral("Der Druckauftrag wurde vom Drucker \"%1\" nicht "
                                       "angenommen.\r\n%2")
                            .arg(DeviceName(), error));
    lastJobId_ = id;
}

void TPrinter::Abort() {
    Finish();
    if (!spoolFile_.isEmpty())
        QFile::remove(std::exchange(spoolFile_, QString()));
    aborted_ = true;
}

TPrinter& Printer() {
    static TPrinter* printer = [] {
        auto* p = new TPrinter();
        SetCurrentPrintDevice(p);
        return p;
    }();
    return *printer;
}
