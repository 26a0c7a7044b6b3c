// velamor-cli convert FILE OUT.bmp [--keep-size]: imports a picture and
// writes it as a Windows bitmap file (the 14-byte file header and the packed
// DIB byte for byte). The picture is reduced to the memory ceiling like in a
// picture position unless --keep-size is given. The output is written
// completely or not at all.

#include "cli.h"
#include "uException.h"
#include "uLeonardo.h"
#include "uZRDib.h"

#include <QSaveFile>

#include <cstdio>

namespace {

void Put32(char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

// The 14-byte bitmap file header in front of a packed DIB.
QByteArray FileHeader(const TDib& dib) {
    QByteArray h(14, '\0');
    h[0] = 'B';
    h[1] = 'M';
    Put32(h.data() + 2, static_cast<std::uint32_t>(14 + dib.Size()));
    Put32(h.data() + 10, static_cast<std::uint32_t>(14 + sizeof(TBitmapInfoHeader) +
                                                    dib.ColorCount() * sizeof(TRgbQuad)));
    return h;
}

} // namespace

int CmdConvert(const QStringList& args) {
    QStringList files = args;
    const bool keepSize = files.removeAll(QStringLiteral("--keep-size")) > 0;
    if (files.size() != 2 || files.at(0).startsWith(QLatin1String("--")) ||
        files.at(1).startsWith(QLatin1String("--"))) {
        std::fputs("Aufruf: velamor-cli convert DATEI AUSGABE.bmp [--keep-size]\n", stderr);
        return 2;
    }
    try {
        TDib dib;
        if (keepSize) {
            dib = TZRDib::Import(files.at(0));
        } else {
            TZRDib picture;
            picture.LoadFromFile(files.at(0));
            dib = CopyHandle(picture.Handle());
        }
        QSaveFile out(files.at(1));
        if (!out.open(QIODevice::WriteOnly) || out.write(FileHeader(dib)) != 14 ||
            out.write(reinterpret_cast<const char*>(dib.Data()), qint64(dib.Size())) !=
                qint64(dib.Size()) ||
            !out.commit()) {
            const QString reason = out.errorString();
            if (out.isOpen())
                out.cancelWriting();
            throw Exception(QString("Die Datei \"%1\" konnte nicht geschrieben werden.\r\n%2")
                                .arg(files.at(1), reason));
        }
        return 0;
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
