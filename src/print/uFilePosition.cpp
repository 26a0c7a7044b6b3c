#include "uFilePosition.h"

#include "uException.h"
#include "uImport.h"
#include "uLeonardo.h"
#include "uPrintDIB.h"

#include <QDir>
#include <QFileInfo>

TFilePosition::TFilePosition(std::int32_t areaWidth, std::int32_t areaHeight)
    : cw_(areaWidth), ch_(areaHeight) {}

QString ImportErrorText(int code) {
    switch (code) {
    case 1:
        return QStringLiteral("Umwandlung wurde vom Benutzer abgebrochen");
    case 2:
        return QStringLiteral("Datei hat unerwartetes Dateiformat, Dateiendung stimmt nicht mit "
                              "Dateiinhalt überein");
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
    default:
        return QString();
    }
}

void TFilePosition::Load(const QString& fileName, bool autoRotate) {
    if (!QFileInfo(fileName).isFile())
        throw Exception(QStringLiteral("Die Datei \"%1\" existiert nicht.")
                            .arg(QDir::toNativeSeparators(fileName)));
    TImportParams params;
    params.Flags = 776;
    params.FileName = fileName.toStdString();
    const std::int32_t code = ipImportInd(params);
    if (code != 0)
        throw Exception(QStringLiteral("Grafik konnte nicht geladen werden. Fehlercode: %1\r\n%2")
                            .arg(code)
                            .arg(ImportErrorText(code)));
    TDib dib = std::move(params.Dib);
    if (autoRotate && !dib.IsEmpty() && NeedsAutoRotate(dib.Width(), dib.Height(), cw_, ch_)) {
        TDib turned = RotateDIB(dib, 900, 0xFFFFFF);
        dib = std::move(turned); // an empty result leaves the position empty
    }
    dib_ = std::move(dib);
}

void TFilePosition::SetPicture(TDib dib) {
    dib_ = std::move(dib);
}

TIntRect TFilePosition::VisibleSourceRect() const {
    if (dib_.IsEmpty())
        return {};
    const TPicLayout layout = LayoutPicture(dib_.Width(), dib_.Height(), cw_, ch_, 1.0, 0.5, 0.5);
    return ::VisibleSourceRect(dib_.Width(), dib_.Height(), cw_, ch_, layout);
}

void TFilePosition::PrintTo(TPrintDevice& device, const TPrintRect& rect) {
    if (dib_.IsEmpty())
        return;
    const TIntRect s = VisibleSourceRect();
    PrintDIB(device, dib_, rect, TPrintRect{s.left, s.top, s.right, s.bottom}, device.Monochrome());
}
