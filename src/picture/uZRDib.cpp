#include "uZRDib.h"

#include "uException.h"
#include "uImport.h"
#include "uLeonardo.h"
#include "uPrinterInfo.h"

#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {

std::mutex g_outputLock;
TPrinterPictureOutput g_printerOutput;

TPrinterPictureOutput PrinterOutput() {
    std::lock_guard<std::mutex> lock(g_outputLock);
    return g_printerOutput;
}

// Shows the hourglass while it lives, also when an exception passes.
// Without a GUI application (velamor-cli, tests) it does nothing.
class TWaitCursor {
public:
    TWaitCursor() : active_(qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (active_)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~TWaitCursor() {
        if (active_)
            QGuiApplication::restoreOverrideCursor();
    }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
    bool active_;
};

} // namespace

void SetPrinterPictureOutput(TPrinterPictureOutput output) {
    std::lock_guard<std::mutex> lock(g_outputLock);
    g_printerOutput = std::move(output);
}

QSize TZRDib::ReducedSize(std::int32_t width, std::int32_t height, int bitCount) {
    if (width <= 0 || height <= 0 || bitCount <= 0)
        return {};
    const double w = std::trunc(std::sqrt((double(width) / height) * (8.0 / bitCount)) * 3900.0);
    const auto newWidth = static_cast<std::int32_t>(std::clamp(w, 1.0, 2147483647.0));
    // The product in integers (64 bits, so that no size overflows), the
    // quotient in floating point.
    const std::int64_t product = std::int64_t(newWidth) * height;
    const double h = std::trunc(double(product) / width);
    const auto newHeight = static_cast<std::int32_t>(std::clamp(h, 1.0, 2147483647.0));
    return {newWidth, newHeight};
}

void TZRDib::SetHandle(TDib dib) {
    handle_ = std::move(dib); // frees the previous picture
    fileName_.clear();
    header_ = TBitmapInfoHeader{};
    DIBInfo(handle_, &header_, sizeof header_);
    if (handle_ && handle_.Size() > kMemoryCeiling) {
        TWaitCursor wait;
        // The resampled picture has 24 bits per pixel whatever the depth of
        // the original; a palette picture is measured at that depth so that
        // its reduction, too, ends below the ceiling.
        QSize size = ReducedSize(Width(), Height(), std::max(BitCount(), 24));
        // The formula counts pixels only; just above the ceiling the header
        // and the row padding would keep the block above it. Narrow the
        // picture until the block fits.
        while (size.width() > 1 &&
               TDib::BlockSizeFor(size.width(), size.height(), 24) > kMemoryCeiling) {
            const int w = size.width() - 1;
            size = QSize(w, std::max(1, static_cast<int>(std::trunc(
                                            double(std::int64_t(w) * Height()) / Width()))));
        }
        TDib reduced = StretchDIB(handle_, size.width(), size.height(), nullptr);
        if (reduced) {
            handle_ = std::move(reduced);
            DIBInfo(handle_, &header_, sizeof header_);
        }
        // Otherwise the picture stays at full size.
    }
    if (OnChange)
        OnChange(*this);
}

std::int32_t TZRDib::ImportProgress(std::int32_t percent, void* user) {
    auto* self = static_cast<TZRDib*>(user);
    if (self && percent != self->progress_) {
        self->progress_ = percent;
        if (self->OnProgress)
            self->OnProgress(*self, percent);
    }
    return 0;
}

TDib TZRDib::Import(const QString& fileName, TZRDib* listener) {
    if (!QFileInfo::exists(fileName))
        throw Exception(QString("Die Datei \"%1\" existiert nicht.").arg(fileName));
    TImportParams params;
    if (listener) {
        params.UserValue = listener;
        params.Progress = &TZRDib::ImportProgress;
        listener->progress_ = 0;
    }
    params.Flags = kImportFlags;
    params.Mode20 = 0;
    params.FileName = fileName.toUtf8().toStdString();
    const std::int32_t rc = ipImportInd(params);
    if (rc != 0)
        throw Exception(ImportFailedMessage(rc));
    return std::move(params.Dib);
}

QString TZRDib::ImportFailedMessage(std::int32_t code) {
    return QString("Grafik konnte nicht geladen werden. Fehlercode: %1\r\n%2")
        .arg(QString::number(code), ImportErrorText(code));
}

void TZRDib::LoadFromFile(const QString& fileName) {
    TDib dib = Import(fileName, this);
    SetHandle(std::move(dib));
    fileName_ = fileName;
}

void TZRDib::Draw(QPainter& painter, const QRect& rect) const {
    if (!handle_)
        return;
    const int rw = rect.width();
    const int rh = rect.height();
    if (rw <= 0 || rh <= 0)
        return;
    if (Width() > rw || Height() > rh) {
        // Resample first, so that the device never shrinks a large picture.
        const TDib copy = StretchDIB(handle_, std::min(rw, Width()), std::min(rh, Height()));
        if (copy)
            StretchDIBBlt(painter, rect.x(), rect.y(), rw, rh, copy, 0, 0, copy.Width(),
                          copy.Height());
        return;
    }
    StretchDIBBlt(painter, rect.x(), rect.y(), rw, rh, handle_, 0, 0, Width(), Height());
}

void TZRDib::DrawRect(QPainter& painter, const QRect& dest, const QRect& source) const {
    if (!handle_)
        return;
    IPrinterInfo* printer = CurrentPrinterInfo();
    if (printer && printer->Printing() && printer->Device() &&
        painter.device() == printer->Device()) {
        if (const TPrinterPictureOutput output = PrinterOutput()) {
            output(handle_, dest, source, printer->Monochrome());
            return;
        }
    }
    const int dw = dest.width(), dh = dest.height();
    const int sw = source.width(), sh = source.height();
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0)
        return;
    const std::int32_t top = source.y();
    const std::int32_t bottom = source.y() + sh; // exclusive
    if (dw < sw || dh < sh) {
        // Reduced: resample only the visible part, then copy it 1:1.
        const TDibRect rect{source.x(), Height() - 1 - top, source.x() + sw, Height() - 1 - bottom};
        const TDib part = StretchDIB(handle_, dw, dh, &rect);
        if (part)
            DIBBlt(painter, dest.x(), dest.y(), dw, dh, part, 0, 0);
        return;
    }
    // Enlarged or 1:1: the blit stretches. The block's lowest row counted
    // from the bottom is Height - bottom.
    StretchDIBBlt(painter, dest.x(), dest.y(), dw, dh, handle_, source.x(), Height() - bottom, sw,
                  sh);
}

QString TZRDib::ImportErrorText(std::int32_t code) {
    switch (code) {
    case 1:
        return QStringLiteral("Umwandlung wurde vom Benutzer abgebrochen");
    case 2:
        return QStringLiteral(
            "Datei hat unerwartetes Dateiformat, Dateiendung stimmt nicht mit Dateiinhalt überein");
    case 3:
        return QStringLiteral(
            "Datei ist beschädigt, d.h. der Header der Datei weist sie als Datei vom erwarteten "
            "Typ aus, aber die Datei enthält intern unpassende Angaben. Eventuell enthält die "
            "Datei Formaterweiterungen, die nicht kompatibel mit den Grafikfiltern sind.");
    case 4:
        return QStringLiteral("Fehler beim Schließen der Datei erkannt");
    case 5:
        return QStringLiteral("Fehler beim Öffnen der Datei (Datei nicht gefunden?), manchmal "
                              "auch bei falschem Dateiformat");
    case 6:
        return QStringLiteral("Fehler beim Schreiben in die Datei");
    case 7:
        return QStringLiteral("Unerwartetes Dateiende oder Lesefehler");
    case 8:
        return QStringLiteral("Nicht genügend Speicher");
    case 9:
        return QStringLiteral("Funktion oder Format nicht unterstützt");
    case 10:
        return QStringLiteral("GIF-Datei mit mehr als 256 Farben in mehreren Frames");
    case 11:
        return QStringLiteral("GIF-Umwandlung nicht abgeschlossen");
    case 12:
        return QStringLiteral("Ungültige Parameterkombination");
    case 13:
        return QStringLiteral("Fehlermeldung von FLT-Import-Filter");
    case 14:
        return QStringLiteral("Die FLT-Datei ist kein FLT-Import-Filter");
    case 15:
        return QStringLiteral("Bei dem Filter handelt es sich um ein Text-Filter");
    case 16:
        return QStringLiteral("Grafiken mit LZW Komprimierung werden nicht unterstützt");
    default:
        return {};
    }
}
