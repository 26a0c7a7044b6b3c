// velamor-cli thumbstore: stores and fetches thumbnails in a thumbnail store
// file the way the picture browser's cache does (one open, one operation, one
// close per call).
//
//   thumbstore put STORE PICTUREPATH DATAFILE [--time T] [--info W,H,BPP]
//   thumbstore get STORE PICTUREPATH OUTFILE
//
// T is the picture's time stamp as stored: days since 30 December 1899 with
// the time of day as the fraction.

#include "cli.h"
#include "uThumbDB.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <charconv>
#include <cstdio>
#include <string>

namespace {

int Usage() {
    std::fputs("Aufruf: velamor-cli thumbstore put SPEICHER BILDPFAD DATENDATEI [--time T] "
               "[--info B,H,BPP]\n"
               "       velamor-cli thumbstore get SPEICHER BILDPFAD AUSGABEDATEI\n",
               stderr);
    return 2;
}

int Failure(const QString& message) {
    std::fprintf(stderr, "%s\n", qPrintable(message));
    return 1;
}

bool ParseDouble(const QString& text, double* value) {
    const std::string s = text.trimmed().toStdString();
    const auto r = std::from_chars(s.data(), s.data() + s.size(), *value);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && !s.empty();
}

std::string FormatDouble(double value) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, r.ptr);
}

int Put(const QStringList& args) {
    if (args.size() < 3)
        return Usage();
    double time = 0;
    int info[3] = {0, 0, 0};
    for (qsizetype i = 3; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--time") && i + 1 < args.size()) {
            if (!ParseDouble(args[++i], &time))
                return Usage();
        } else if (args[i] == QLatin1String("--info") && i + 1 < args.size()) {
            const QStringList parts = args[++i].split(QLatin1Char(','));
            if (parts.size() != 3)
                return Usage();
            for (int k = 0; k < 3; ++k) {
                bool ok = false;
                info[k] = parts[k].trimmed().toInt(&ok);
                if (!ok)
                    return Usage();
            }
        } else {
            return Usage();
        }
    }
    QFile data(args[2]);
    if (!data.open(QIODevice::ReadOnly))
        return Failure(QStringLiteral("Datei %1 konnte nicht gelesen werden: %2")
                           .arg(args[2], data.errorString()));
    const QByteArray bytes = data.readAll();
    try {
        TThumbDB store(args[0], TThumbDB::omCreateOrOpen);
        store.WriteThumb(args[1], info[0], info[1], info[2], bytes, time);
        store.Close();
    } catch (const Exception& e) {
        return Failure(e.Message());
    }
    return 0;
}

int Get(const QStringList& args) {
    if (args.size() != 3)
        return Usage();
    if (!QFileInfo::exists(args[0])) {
        std::puts("not found");
        return 0;
    }
    QByteArray bytes;
    TThumbInfo info;
    bool found = false;
    try {
        TThumbDB store(args[0], TThumbDB::omOpenExisting);
        found = store.ReadThumb(args[1], bytes, &info);
        store.Close();
    } catch (const Exception& e) {
        return Failure(e.Message());
    }
    if (!found) {
        std::puts("not found");
        return 0;
    }
    QSaveFile out(args[2]);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        return Failure(QStringLiteral("Datei %1 konnte nicht geschrieben werden: %2")
                           .arg(args[2], out.errorString()));
    std::printf("found %s %d %d %d\n", FormatDouble(info.TimeStamp).c_str(), info.Width,
                info.Height, info.BitsPerPixel);
    return 0;
}

} // namespace

int CmdThumbstore(const QStringList& args) {
    if (args.isEmpty())
        return Usage();
    QStringList rest = args.mid(1);
    if (args[0] == QLatin1String("put"))
        return Put(rest);
    if (args[0] == QLatin1String("get"))
        return Get(rest);
    return Usage();
}
