// Speed of the thumbnail store as the picture browser's cache uses it: every
// thumbnail is written, and later read, in its own open-operate-close cycle.
// 10,000 thumbnails of about 3 KB (2,600 to 3,072 bytes) in a nested folder
// tree (5 years x 20 albums x 100 pictures below /home/ute/Bilder) are written
// into a fresh store and then read back in another order. Prints thumbnails
// per second for both phases and the final file size.

#include "uThumbDB.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <random>
#include <vector>

namespace {

// THUMBDB_BENCH_COUNT overrides the count (for profiling shorter runs).
const int kThumbs = [] {
    const int n = std::atoi(qgetenv("THUMBDB_BENCH_COUNT").constData());
    return n > 0 ? n : 10000;
}();

QString PicturePath(int i) {
    return QStringLiteral("/home/ute/Bilder/%1/Album %2/IMG_%3.JPG")
        .arg(2019 + i / 2000)
        .arg((i / 100) % 20, 2, 10, QLatin1Char('0'))
        .arg(i, 5, 10, QLatin1Char('0'));
}

QByteArray Thumb(int i) {
    std::mt19937 rng(static_cast<unsigned>(i));
    QByteArray b(2600 + static_cast<int>(rng() % 473), '\0');
    for (char& c : b)
        c = static_cast<char>(rng());
    return b;
}

void BM_ThumbStoreWriteThenRead(benchmark::State& state) {
    std::vector<QByteArray> thumbs;
    thumbs.reserve(kThumbs);
    for (int i = 0; i < kThumbs; ++i)
        thumbs.push_back(Thumb(i));
    std::vector<int> readOrder(kThumbs);
    std::iota(readOrder.begin(), readOrder.end(), 0);
    std::shuffle(readOrder.begin(), readOrder.end(), std::mt19937(42));

    for (auto _ : state) {
        QTemporaryDir dir(QDir::tempPath() + "/thumbdb-bench-XXXXXX");
        const QString store = dir.path() + "/TDTHUMB.DAT";
        using Clock = std::chrono::steady_clock;

        const auto w0 = Clock::now();
        for (int i = 0; i < kThumbs; ++i) {
            TThumbDB db(store, TThumbDB::omCreateOrOpen);
            db.WriteThumb(PicturePath(i), 4000, 3000, 24, thumbs[static_cast<size_t>(i)],
                          45000.0 + i);
            db.Close();
        }
        const double writeSeconds = std::chrono::duration<double>(Clock::now() - w0).count();

        const auto r0 = Clock::now();
        QByteArray back;
        TThumbInfo info;
        for (int i : readOrder) {
            TThumbDB db(store, TThumbDB::omOpenExisting);
            if (!db.ReadThumb(PicturePath(i), back, &info) ||
                back != thumbs[static_cast<size_t>(i)] || info.TimeStamp != 45000.0 + i) {
                state.SkipWithError("a thumbnail did not read back");
                return;
            }
            db.Close();
        }
        const double readSeconds = std::chrono::duration<double>(Clock::now() - r0).count();
        const qint64 size = QFileInfo(store).size();

        state.counters["write_thumbs_per_s"] = kThumbs / writeSeconds;
        state.counters["read_thumbs_per_s"] = kThumbs / readSeconds;
        state.counters["file_bytes"] = static_cast<double>(size);
        std::printf("thumbnail store: %d thumbnails written at %.0f/s, read at %.0f/s; "
                    "file %lld bytes (%.1f MiB, %lld blocks)\n",
                    kThumbs, kThumbs / writeSeconds, kThumbs / readSeconds,
                    static_cast<long long>(size), size / 1048576.0,
                    static_cast<long long>(size / 512));
    }
}

BENCHMARK(BM_ThumbStoreWriteThenRead)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
