// What a process killed in the middle of writing the thumbnail store leaves
// behind: every kill point of several kinds of write, and random kills of a
// process that writes thumbnails in a loop. Each file left behind must either
// read back the right thumbnails (the old or the new one of the picture being
// written, all others untouched) or refuse to open with a message.

#include "TestSupport.h"
#include "ThumbDBCrashShared.h"
#include "uThumbDB.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <set>

namespace {

struct Thumb {
    QByteArray data;
    double stamp = 0;
};
using Contents = std::map<QString, Thumb>;

void WriteInProcess(const QString& store, Contents& contents, const QString& path, int size,
                    int stamp) {
    TThumbDB db(store, TThumbDB::omCreateOrOpen);
    db.WriteThumb(path, 80, 60, 24, CrashPattern(size, stamp), stamp);
    db.Close();
    contents[path] = {CrashPattern(size, stamp), static_cast<double>(stamp)};
}

int RunHelper(const QStringList& args) {
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QStringLiteral(THUMBDB_CRASH_HELPER), args);
    if (!p.waitForStarted() || !p.waitForFinished(60000))
        return -1;
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

enum class Outcome { Old, New, Refused };

// Checks a store left by a killed write of `path`.
Outcome Check(const QString& store, const Contents& before, const QString& path,
              const Thumb& written) {
    std::optional<TThumbDB> db;
    try {
        db.emplace(store, TThumbDB::omOpenExisting);
    } catch (const EThumbDB& e) {
        EXPECT_FALSE(e.Message().isEmpty());
        return Outcome::Refused;
    }
    Outcome outcome = Outcome::Old;
    for (const auto& [p, thumb] : before) {
        if (p == path)
            continue;
        QByteArray back;
        TThumbInfo info;
        EXPECT_TRUE(db->ReadThumb(p, back, &info)) << p.toStdString();
        EXPECT_EQ(back, thumb.data) << p.toStdString();
        EXPECT_EQ(info.TimeStamp, thumb.stamp) << p.toStdString();
    }
    QByteArray back;
    TThumbInfo info;
    const bool found = db->ReadThumb(path, back, &info);
    auto it = before.find(path);
    if (found && back == written.data && info.TimeStamp == written.stamp) {
        outcome = Outcome::New;
    } else if (it == before.end()) {
        EXPECT_FALSE(found) << "a thumbnail that was never written completely";
    } else {
        EXPECT_TRUE(found);
        EXPECT_EQ(back, it->second.data);
        EXPECT_EQ(info.TimeStamp, it->second.stamp);
    }
    // The store stays usable.
    db->WriteThumb("after/crash.jpg", 1, 1, 1, CrashPattern(900, 5), 5);
    db->Close();
    db.reset();
    TThumbDB again(store, TThumbDB::omOpenExisting);
    EXPECT_TRUE(again.ReadThumb("after/crash.jpg", back));
    EXPECT_EQ(back, CrashPattern(900, 5));
    again.Close();
    return outcome;
}

bool HeaderMarked(const QString& store) {
    QFile f(store);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray h = f.read(32);
    return h.size() == 32 && h.mid(16, 4) == QByteArray(4, '\0');
}

// A store whose update was cut off after its journal: the next writer replays
// the journal first; kill that one at every write, too.
void ExpectReplaySurvivesKills(const QString& crashed, const QString& path, int size, int stamp,
                               const Contents& before, const Thumb& written) {
    for (int r = 1; r < 100; ++r) {
        const QString store = crashed + QString(".r%1").arg(r);
        QFile::remove(store);
        ASSERT_TRUE(QFile::copy(crashed, store));
        const int rc = RunHelper({store, "once", QString::number(r), path, QString::number(size),
                                  QString::number(stamp)});
        ASSERT_TRUE(rc == 0 || rc == 77) << rc;
        EXPECT_EQ(Check(store, before, path, written), Outcome::New) << "replay kill point " << r;
        QFile::remove(store);
        if (rc == 0)
            return;
    }
    ADD_FAILURE() << "the replaying writer never finished";
}

struct Scenario {
    const char* name;
    std::function<void(const QString&, Contents&)> build;
    QString path;
    int size;
};

void BaseTree(const QString& store, Contents& c) {
    for (int i = 0; i < 12; ++i)
        WriteInProcess(store, c, QString("x/y%1/p%2.jpg").arg(i % 3).arg(i), 300 + i * 250,
                       100 + i);
    WriteInProcess(store, c, "top.jpg", 2000, 200);
}

} // namespace

TEST(ThumbDBKill, EveryKillPointLeavesOldNewOrRefused) {
    const std::vector<Scenario> scenarios = {
        {"new store", [](const QString&, Contents&) {}, "a/b.jpg", 3000},
        {"new thumbnail in a folder", BaseTree, "x/y1/new.jpg", 2600},
        {"new folders", BaseTree, "n1/n2/n3/n4.jpg", 1500},
        {"replace with longer", BaseTree, "x/y0/p3.jpg", 5200},
        {"replace with shorter", BaseTree, "x/y2/p11.jpg", 40},
        {"replace with empty", BaseTree, "x/y1/p4.jpg", 0},
        {"FAT grows",
         [](const QString& store, Contents& c) {
             WriteInProcess(store, c, "big", 120 * 512, 300);
             WriteInProcess(store, c, "d/small", 100, 301);
         },
         "d/next.jpg", 3000},
    };
    int totalPoints = 0;
    std::map<Outcome, int> totals;
    for (const Scenario& s : scenarios) {
        SCOPED_TRACE(s.name);
        const QString dir = TestSupport::NewTempDir();
        const QString base = dir + "/base.dat";
        Contents before;
        {
            QFile f(base);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        s.build(base, before);
        const int stamp = 999;
        const Thumb written{CrashPattern(s.size, stamp), static_cast<double>(stamp)};
        std::map<Outcome, int> outcomes;
        bool finished = false;
        for (int k = 1; k < 200 && !finished; ++k) {
            const QString store = dir + QString("/k%1.dat").arg(k);
            ASSERT_TRUE(QFile::copy(base, store));
            const int rc = RunHelper({store, "once", QString::number(k), s.path,
                                      QString::number(s.size), QString::number(stamp)});
            if (rc == 0) {
                finished = true;
                EXPECT_EQ(Check(store, before, s.path, written), Outcome::New);
                continue;
            }
            ASSERT_EQ(rc, 77) << "kill point " << k;
            if (HeaderMarked(store))
                ExpectReplaySurvivesKills(store, s.path, s.size, stamp, before, written);
            const Outcome o = Check(store, before, s.path, written);
            ++outcomes[o];
            ++totals[o];
            ++totalPoints;
            QFile::remove(store);
        }
        EXPECT_TRUE(finished);
        // The journal finishes every update cut off after it was complete.
        EXPECT_EQ(outcomes[Outcome::Refused], 0);
        std::cout << "[kill points] " << s.name << ": old " << outcomes[Outcome::Old] << ", new "
                  << outcomes[Outcome::New] << ", refused " << outcomes[Outcome::Refused] << "\n";
    }
    std::cout << "[kill points] all: " << totalPoints << " points, old " << totals[Outcome::Old]
              << ", new " << totals[Outcome::New] << ", refused " << totals[Outcome::Refused]
              << "\n";
}

// Random SIGKILLs (TerminateProcess on Windows) of a process that writes
// thumbnails in a loop, each in its own open-write-close cycle.
TEST(ThumbDBKill, RandomKillsOfAWritingProcess) {
    const QString store = TestSupport::NewTempDir() + "/TDTHUMB.DAT";
    QRandomGenerator rng(2026);
    int next = 0;
    std::map<int, int> latestDone; // picture -> newest round known complete
    std::set<int> cut;             // rounds a kill may have cut off
    int checked = 0;
    int refused = 0;
    for (int round = 0; round < 40; ++round) {
        QProcess p;
        p.start(QStringLiteral(THUMBDB_CRASH_HELPER), {store, "loop", QString::number(next)});
        ASSERT_TRUE(p.waitForStarted());
        QThread::msleep(30 + rng.bounded(250));
        p.kill();
        p.waitForFinished();
        int last = next - 1;
        for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
            if (line.trimmed().isEmpty())
                continue;
            last = line.trimmed().toInt();
            latestDone[last % kLoopPictures] = last;
        }
        cut.insert(last + 1);
        next = last + 2;

        try {
            TThumbDB db(store, TThumbDB::omOpenExisting);
            for (int j = 0; j < kLoopPictures; ++j) {
                QByteArray back;
                TThumbInfo info;
                const bool found = db.ReadThumb(LoopPath(j), back, &info);
                const auto done = latestDone.find(j);
                if (!found) {
                    EXPECT_TRUE(done == latestDone.end()) << "picture " << j << " lost";
                    continue;
                }
                const int i = static_cast<int>(info.TimeStamp);
                ASSERT_EQ(static_cast<double>(i), info.TimeStamp);
                ASSERT_EQ(i % kLoopPictures, j) << "thumbnail of another picture";
                ASSERT_EQ(back, LoopThumb(i)) << "picture " << j << " round " << i;
                // The newest complete version, or a newer one a kill cut short.
                if (done == latestDone.end() || i != done->second) {
                    EXPECT_TRUE(cut.count(i) == 1) << "picture " << j << " round " << i;
                    if (done != latestDone.end()) {
                        EXPECT_GT(i, done->second) << "an older version came back";
                    }
                }
            }
            db.Close();
            ++checked;
        } catch (const EThumbDB& e) {
            ++refused;
            ADD_FAILURE() << "store refused after a kill: " << e.what();
            QFile::remove(store);
            latestDone.clear();
        }
    }
    std::cout << "[random kills] " << checked << " stores read back right, " << refused
              << " refused to open, " << next << " thumbnails written\n";
}
