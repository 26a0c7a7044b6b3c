// Helper of the kill tests: writes thumbnails the way the cache does (one
// open-write-close cycle each) and can stop dead before a chosen write to the
// file, as a killed process would.
//
//   thumbdb_crash_helper STORE once K PATH SIZE STAMP
//       writes Pattern(SIZE, STAMP) as the thumbnail of PATH with time stamp
//       STAMP; with K > 0 the process ends before the K-th write to the file
//       (exit code 77); exit code 0 when it finished, 3 when the store failed.
//   thumbdb_crash_helper STORE loop FIRST
//       writes LoopThumb(i) for i = FIRST, FIRST + 1, ... until killed.

#include "ThumbDBCrashShared.h"
#include "uThumbDB.h"

#include <cstdio>
#include <cstdlib>

namespace {
int g_crashAt = 0;
int g_writes = 0;

void Observer(qint64, qint64) {
    if (++g_writes == g_crashAt)
        std::_Exit(77);
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 4)
        return 2;
    const QString store = QString::fromLocal8Bit(argv[1]);
    const QByteArray mode = argv[2];
    if (mode == "once" && argc == 7) {
        g_crashAt = std::atoi(argv[3]);
        TThumbDB::SetWriteObserver(Observer);
        try {
            TThumbDB db(store, TThumbDB::omCreateOrOpen);
            const int stamp = std::atoi(argv[6]);
            db.WriteThumb(QString::fromLocal8Bit(argv[4]), 80, 60, 24,
                          CrashPattern(std::atoi(argv[5]), stamp), stamp);
            db.Close();
        } catch (const EThumbDB& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 3;
        }
        return 0;
    }
    if (mode == "loop") {
        for (int i = std::atoi(argv[3]);; ++i) {
            try {
                TThumbDB db(store, TThumbDB::omCreateOrOpen);
                db.WriteThumb(LoopPath(i), 80, 60, 24, LoopThumb(i), i);
                db.Close();
            } catch (const EThumbDB& e) {
                std::fprintf(stderr, "%s\n", e.what());
                return 3;
            }
            std::printf("%d\n", i);
            std::fflush(stdout);
        }
    }
    return 2;
}
