// Opens arbitrary bytes as a thumbnail store, reads and writes a few
// thumbnails. The store must answer with EThumbDB or work; whatever it
// accepted and wrote must read back.

#include "uThumbDB.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

QString StorePath() {
    static QTemporaryDir dir(QDir::tempPath() + "/thumbdb-fuzz-XXXXXX");
    return dir.path() + "/TDTHUMB.DAT";
}

const char* const kPaths[] = {"a", "d/a", "C:/Bilder/a.jpg", "//server/share/x.jpg", "d/e/f/g"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = StorePath();
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    const QByteArray thumb(700 + static_cast<int>(size % 600), 'T');
    bool written = false;
    try {
        TThumbDB db(path, TThumbDB::omOpenExisting);
        QByteArray back;
        for (const char* p : kPaths)
            db.ReadThumb(QString::fromLatin1(p), back);
        db.WriteThumb(QStringLiteral("d/e/new.jpg"), 80, 60, 24, thumb, 1.5);
        db.WriteThumb(QStringLiteral("a"), 1, 2, 3, QByteArray(), 2.5);
        db.Close();
        written = true;
    } catch (const EThumbDB&) {
    }
    if (written) {
        // Accepted and changed: the store must be valid and hold what was written.
        TThumbDB db(path, TThumbDB::omOpenExisting);
        QByteArray back;
        TThumbInfo info;
        if (!db.ReadThumb(QStringLiteral("D/E/NEW.JPG"), back, &info) || back != thumb ||
            info.TimeStamp != 1.5 || info.Width != 80)
            std::abort();
        db.Close();
    }
    return 0;
}
