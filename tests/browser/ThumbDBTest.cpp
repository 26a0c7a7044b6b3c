// The thumbnail store: file layout, allocation, directories, paths, limits and
// damaged files.

#include "TestSupport.h"
#include "uThumbDB.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtEndian>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

constexpr double kClock = 46000.5;
double FixedClock() {
    return kClock;
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

qint32 Int32At(const QByteArray& b, qint64 offset) {
    return qFromLittleEndian<qint32>(b.constData() + offset);
}
void SetInt32(QByteArray& b, qint64 offset, qint32 v) {
    qToLittleEndian<qint32>(v, b.data() + offset);
}

// FAT entry of block i (for blocks covered by the first FAT block).
qint32 Fat(const QByteArray& file, int i) {
    return Int32At(file, 512 + 4 * i);
}
void SetFat(QByteArray& file, int i, qint32 v) {
    SetInt32(file, 512 + 4 * i, v);
}

QByteArray Pattern(int size, int seed) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = static_cast<char>((i * 31 + seed * 7 + 1) & 0xFF);
    return b;
}

QString NewStore() {
    return TestSupport::NewTempDir() + "/TDTHUMB.DAT";
}

// One open-operate-close cycle, as the cache does it.
void Put(const QString& store, const QString& path, const QByteArray& data, double time = 1.0) {
    TThumbDB db(store, TThumbDB::omCreateOrOpen);
    db.SetClock(FixedClock);
    db.WriteThumb(path, 80, 60, 24, data, time);
    db.Close();
}

bool Get(const QString& store, const QString& path, QByteArray* data, TThumbInfo* info = nullptr) {
    TThumbDB db(store, TThumbDB::omOpenExisting);
    db.SetClock(FixedClock);
    QByteArray bytes;
    const bool found = db.ReadThumb(path, bytes, info);
    db.Close();
    if (data)
        *data = bytes;
    return found;
}

// Expected bytes of one directory entry.
QByteArray EntryBytes(const QByteArray& name, quint8 type, quint16 first, qint32 size, double time,
                      qint32 w, qint32 h, qint32 bpp) {
    QByteArray e(32 + name.size(), '\0');
    char* p = e.data();
    *p++ = static_cast<char>(name.size());
    std::memcpy(p, name.constData(), static_cast<size_t>(name.size()));
    p += name.size();
    *p++ = static_cast<char>(type);
    qToLittleEndian<quint16>(first, p);
    qToLittleEndian<qint32>(size, p + 2);
    quint64 bits;
    std::memcpy(&bits, &time, 8);
    qToLittleEndian<quint64>(bits, p + 6);
    qToLittleEndian<qint32>(0, p + 14);
    qToLittleEndian<qint32>(w, p + 18);
    qToLittleEndian<qint32>(h, p + 22);
    qToLittleEndian<qint32>(bpp, p + 26);
    return e;
}

QByteArray FreshStoreBytes() {
    QByteArray f(1536, '\0');
    std::memcpy(f.data(), "ZRThumbfile1000", 16);
    SetInt32(f, 16, 512);
    SetInt32(f, 20, 1);
    SetInt32(f, 24, 0);
    std::memset(f.data() + 512, 0xFF, 512);
    for (int i = 0; i < 3; ++i)
        SetFat(f, i, -2);
    return f;
}

} // namespace

// ---------------------------------------------------------------------------
// Layout

TEST(ThumbDBLayout, FreshStoreIsExactly1536Bytes) {
    const QString store = NewStore();
    {
        TThumbDB db(store, TThumbDB::omCreateOrOpen);
        db.Close();
    }
    const QByteArray file = ReadAll(store);
    ASSERT_EQ(file.size(), 1536);
    EXPECT_EQ(file, FreshStoreBytes());
    EXPECT_EQ(Fat(file, 3), -1);
    EXPECT_EQ(Fat(file, 127), -1);

    // Opening and closing again changes nothing.
    {
        TThumbDB db(store, TThumbDB::omOpenExisting);
        EXPECT_EQ(db.EndOfFile(), 1536);
        db.Close();
    }
    EXPECT_EQ(ReadAll(store), FreshStoreBytes());
}

TEST(ThumbDBLayout, OpenExistingNeedsTheFile) {
    const QString store = NewStore();
    EXPECT_THROW(TThumbDB(store, TThumbDB::omOpenExisting), EThumbDB);
    EXPECT_FALSE(QFile::exists(store));
}

TEST(ThumbDBLayout, SubfileOf513BytesExactFile) {
    const QString store = NewStore();
    const QByteArray data = Pattern(513, 1);
    Put(store, "a.jpg", data, 45000.25);

    QByteArray expected = FreshStoreBytes();
    SetFat(expected, 3, 4);
    SetFat(expected, 4, -2);
    const QByteArray root =
        QByteArray("\x01\0\0\0", 4) + EntryBytes("a.jpg", 2, 3, 513, 45000.25, 80, 60, 24);
    SetInt32(expected, 24, root.size());
    std::memcpy(expected.data() + 1024, root.constData(), static_cast<size_t>(root.size()));
    std::memset(expected.data() + 1024 + root.size(), 0xCC, static_cast<size_t>(512 - root.size()));
    QByteArray block4(512, static_cast<char>(0xCC));
    block4[0] = data[512];
    expected += data.left(512) + block4;

    EXPECT_EQ(ReadAll(store), expected);
    QByteArray back;
    TThumbInfo info;
    ASSERT_TRUE(Get(store, "a.jpg", &back, &info));
    EXPECT_EQ(back, data);
    EXPECT_EQ(info.TimeStamp, 45000.25);
    EXPECT_EQ(info.Width, 80);
    EXPECT_EQ(info.Height, 60);
    EXPECT_EQ(info.BitsPerPixel, 24);
}

TEST(ThumbDBLayout, SubfileOf512BytesTakesOneBlock) {
    const QString store = NewStore();
    const QByteArray data = Pattern(512, 2);
    Put(store, "a", data);
    const QByteArray file = ReadAll(store);
    ASSERT_EQ(file.size(), 4 * 512);
    EXPECT_EQ(Fat(file, 3), -2);
    EXPECT_EQ(file.mid(3 * 512), data);
}

TEST(ThumbDBLayout, ReplacingWithShorterAndLongerStreams) {
    const QString store = NewStore();
    Put(store, "a", Pattern(1500, 1)); // blocks 3, 4, 5
    Put(store, "b", Pattern(600, 2));  // blocks 6, 7
    QByteArray file = ReadAll(store);
    EXPECT_EQ(Fat(file, 3), 4);
    EXPECT_EQ(Fat(file, 5), -2);
    EXPECT_EQ(Fat(file, 6), 7);

    // Shorter: the first block stays, the rest is freed.
    Put(store, "a", Pattern(100, 3));
    file = ReadAll(store);
    EXPECT_EQ(Fat(file, 3), -2);
    EXPECT_EQ(Fat(file, 4), -1);
    EXPECT_EQ(Fat(file, 5), -1);
    EXPECT_EQ(file.mid(3 * 512, 100), Pattern(100, 3));
    EXPECT_EQ(file.at(3 * 512 + 100), static_cast<char>(0xCC));

    // Longer: the first block stays, further blocks are the lowest free ones.
    Put(store, "b", Pattern(1400, 4));
    file = ReadAll(store);
    EXPECT_EQ(Fat(file, 6), 4);
    EXPECT_EQ(Fat(file, 4), 5);
    EXPECT_EQ(Fat(file, 5), -2);
    EXPECT_EQ(Fat(file, 7), -1);
    EXPECT_EQ(file.size(), 8 * 512); // no growth: freed blocks were reused

    QByteArray back;
    ASSERT_TRUE(Get(store, "a", &back));
    EXPECT_EQ(back, Pattern(100, 3));
    ASSERT_TRUE(Get(store, "b", &back));
    EXPECT_EQ(back, Pattern(1400, 4));
}

TEST(ThumbDBLayout, EmptyStreamFreesTheChainAndKeepsTheEntry) {
    const QString store = NewStore();
    Put(store, "a", Pattern(700, 1));
    Put(store, "a", QByteArray());
    const QByteArray file = ReadAll(store);
    EXPECT_EQ(Fat(file, 3), -1);
    EXPECT_EQ(Fat(file, 4), -1);
    TThumbDB db(store, TThumbDB::omOpenExisting);
    const TCFFolder* root = db.Root();
    ASSERT_EQ(root->Count(), 1);
    EXPECT_EQ(root->Entries[0].FirstBlock, 0);
    EXPECT_EQ(root->Entries[0].Size, 0);
    QByteArray back = "x";
    EXPECT_TRUE(db.ReadThumb("a", back));
    EXPECT_TRUE(back.isEmpty());
    db.Close();
}

TEST(ThumbDBLayout, SecondFatBlockIsBlock128AndHandsOut129) {
    const QString store = NewStore();
    Put(store, "big", Pattern(125 * 512, 1)); // blocks 3..127: the first FAT block is full
    ASSERT_EQ(ReadAll(store).size(), 128 * 512);
    Put(store, "next", Pattern(10, 2));

    const QByteArray file = ReadAll(store);
    ASSERT_EQ(file.size(), 130 * 512);
    EXPECT_EQ(Int32At(file, 20), 2); // FATBlockCount
    EXPECT_EQ(Fat(file, 1), 128);    // the chain of FAT blocks
    EXPECT_EQ(Fat(file, 127), -2);
    const qint64 fat2 = 128 * 512;
    EXPECT_EQ(Int32At(file, fat2 + 0), -2); // block 128: the FAT block itself
    EXPECT_EQ(Int32At(file, fat2 + 4), -2); // block 129: the new subfile
    EXPECT_EQ(Int32At(file, fat2 + 8), -1);
    EXPECT_EQ(file.mid(129 * 512, 10), Pattern(10, 2));

    TThumbDB db(store, TThumbDB::omOpenExisting);
    ASSERT_EQ(db.FATBlocks().Count(), 2);
    EXPECT_EQ(db.FATBlocks()[1], 128u);
    EXPECT_EQ(db.FAT().Count(), 256);
    QByteArray back;
    EXPECT_TRUE(db.ReadThumb("next", back));
    EXPECT_EQ(back, Pattern(10, 2));
    EXPECT_TRUE(db.ReadThumb("big", back));
    EXPECT_EQ(back, Pattern(125 * 512, 1));
    db.Close();
}

// ---------------------------------------------------------------------------
// Paths, names, order

TEST(ThumbDBPaths, Normalisation) {
    using S = ThumbPathStyle;
    EXPECT_EQ(SplitThumbPath("C:\\Bilder\\a.jpg", S::Windows),
              QStringList({"C", "Bilder", "a.jpg"}));
    EXPECT_EQ(SplitThumbPath("C:/Bilder/a.jpg", S::Windows), QStringList({"C", "Bilder", "a.jpg"}));
    EXPECT_EQ(SplitThumbPath("\\\\server\\share\\a.jpg", S::Windows),
              QStringList({"", "server", "share", "a.jpg"}));
    EXPECT_EQ(SplitThumbPath("//server/share/a.jpg", S::Windows),
              QStringList({"", "server", "share", "a.jpg"}));
    // One pass over non-overlapping pairs: three backslashes leave two.
    EXPECT_EQ(SplitThumbPath("a\\\\\\b", S::Windows), QStringList({"a", "", "b"}));
    EXPECT_EQ(SplitThumbPath("a.jpg", S::Windows), QStringList({"a.jpg"}));
    EXPECT_EQ(SplitThumbPath("/home/ute/a.jpg", S::Posix),
              QStringList({"", "home", "ute", "a.jpg"}));
    EXPECT_EQ(SplitThumbPath("C:\\x\\a.jpg", S::Posix), QStringList({"C\\x\\a.jpg"}));
}

TEST(ThumbDBPaths, PathBecomesFolderTree) {
    const QString store = NewStore();
#ifdef Q_OS_WIN
    const QString path = "C:\\Bilder\\a.jpg";
#else
    const QString path = "C:/Bilder/a.jpg";
#endif
    Put(store, path, Pattern(20, 1));
    TThumbDB db(store, TThumbDB::omOpenExisting);
    TCFFolder* root = db.Root();
    ASSERT_EQ(root->Count(), 1);
    EXPECT_EQ(root->Entries[0].Name, "C");
    EXPECT_EQ(root->Entries[0].EntryType, TaaCFDirEntry::etFolder);
    TCFFolder* c = db.AddFolder(root, "C");
    ASSERT_EQ(c->Count(), 1);
    EXPECT_EQ(c->Entries[0].Name, "Bilder");
    TCFFolder* bilder = db.AddFolder(c, "Bilder");
    ASSERT_EQ(bilder->Count(), 1);
    EXPECT_EQ(bilder->Entries[0].Name, "a.jpg");
    EXPECT_EQ(bilder->Entries[0].EntryType, TaaCFDirEntry::etSubfile);
    // The same folder handle comes back for the same name in any letter case.
    EXPECT_EQ(db.AddFolder(c, "BILDER"), bilder);
    db.Close();
}

TEST(ThumbDBPaths, NetworkPathStartsWithAnEmptyFolderName) {
    const QString store = NewStore();
#ifdef Q_OS_WIN
    const QString path = "\\\\server\\share\\a.jpg";
#else
    const QString path = "//server/share/a.jpg"; // "" "" server share a.jpg
#endif
    Put(store, path, Pattern(20, 1));
    QByteArray back;
    ASSERT_TRUE(Get(store, path, &back));
    EXPECT_EQ(back, Pattern(20, 1));
    TThumbDB db(store, TThumbDB::omOpenExisting);
    ASSERT_EQ(db.Root()->Count(), 1);
    EXPECT_EQ(db.Root()->Entries[0].Name, QByteArray());
    db.Close();
}

TEST(ThumbDBNames, LetterCaseNamesTheSameEntry) {
    const QString store = NewStore();
    Put(store, "Bilder/Äpfel.JPG", Pattern(30, 1), 2.0);
    QByteArray back;
    TThumbInfo info;
    ASSERT_TRUE(Get(store, "bilder/äPFEL.jpg", &back, &info));
    EXPECT_EQ(back, Pattern(30, 1));
    // Writing under another case replaces the one entry, which keeps its name.
    Put(store, "BILDER/äpfel.jpg", Pattern(40, 2), 3.0);
    TThumbDB db(store, TThumbDB::omOpenExisting);
    TCFFolder* f = db.AddFolder(db.Root(), "bilder");
    ASSERT_EQ(f->Count(), 1);
    EXPECT_EQ(f->Entries[0].Name, QString("Äpfel.JPG").toUtf8()); // UTF-8 bytes on Linux
    EXPECT_EQ(f->Entries[0].Size, 40);
    ASSERT_EQ(db.Root()->Count(), 1);
    db.Close();
    EXPECT_FALSE(Get(store, "Bilder/Apfel.jpg", nullptr));
}

TEST(ThumbDBNames, FoldersBeforeSubfilesAndSortedNames) {
    const QString store = NewStore();
    QStringList names;
    QRandomGenerator rng(7);
    for (int i = 0; i < 300; ++i) {
        QString n;
        const int len = 1 + static_cast<int>(rng.bounded(8));
        for (int k = 0; k < len; ++k)
            n += QChar(QStringLiteral("aBcÄöü-_ .1Z")[static_cast<int>(rng.bounded(12))]);
        names << n;
    }
    {
        TThumbDB db(store, TThumbDB::omCreateOrOpen);
        for (int i = 0; i < names.size(); ++i) {
            if (i % 3 == 0)
                db.AddFolder(db.Root(), names[i]);
            else
                db.UpdateSubfile(db.Root(), names[i], Pattern(i % 50, i));
        }
        db.Close();
    }
    TThumbDB db(store, TThumbDB::omOpenExisting);
    const TCFFolder* root = db.Root();
    for (int i = 1; i < root->Count(); ++i) {
        const TaaCFDirEntry& a = root->Entries[static_cast<size_t>(i - 1)];
        const TaaCFDirEntry& b = root->Entries[static_cast<size_t>(i)];
        ASSERT_LE(a.EntryType, b.EntryType);
        if (a.EntryType == b.EntryType) {
            ASSERT_LT(CompareThumbNames(a.Key, b.Key), 0)
                << a.Name.data() << " / " << b.Name.data();
        }
    }
    for (int i = 0; i < names.size(); ++i) {
        const quint8 type = i % 3 == 0 ? TaaCFDirEntry::etFolder : TaaCFDirEntry::etSubfile;
        ASSERT_NE(const_cast<TCFFolder*>(root)->FindEntry(names[i].toUpper().toUtf8(), type),
                  nullptr)
            << names[i].toStdString();
    }
    db.Close();
}

TEST(ThumbDBNames, SameNameAsFolderAndSubfile) {
    const QString store = NewStore();
    Put(store, "x/y", Pattern(10, 1));
    Put(store, "x", Pattern(11, 2));
    QByteArray back;
    ASSERT_TRUE(Get(store, "x", &back));
    EXPECT_EQ(back, Pattern(11, 2));
    ASSERT_TRUE(Get(store, "x/y", &back));
    EXPECT_EQ(back, Pattern(10, 1));
    TThumbDB db(store, TThumbDB::omOpenExisting);
    ASSERT_EQ(db.Root()->Count(), 2);
    EXPECT_EQ(db.Root()->Entries[0].EntryType, TaaCFDirEntry::etFolder);
    db.Close();
}

TEST(ThumbDBNames, ReadingAMissingPathLeavesEmptyFolders) {
    const QString store = NewStore();
    Put(store, "a", Pattern(10, 1));
    EXPECT_FALSE(Get(store, "p/q/r.jpg", nullptr));
    TThumbDB db(store, TThumbDB::omOpenExisting);
    const TaaCFDirEntry* p = db.Root()->FindEntry("p", TaaCFDirEntry::etFolder);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Size, 4 + 32 + 1); // holds the empty folder q
    TCFFolder* q = db.AddFolder(db.AddFolder(db.Root(), "p"), "q");
    EXPECT_EQ(q->Count(), 0);
    db.Close();
}

TEST(ThumbDBFolders, InvalidHandles) {
    const QString store = NewStore();
    TThumbDB db(store, TThumbDB::omCreateOrOpen);
    TCFFolder stranger(nullptr, "x");
    try {
        db.AddFolder(&stranger, "a");
        FAIL();
    } catch (const EThumbDB& e) {
        EXPECT_EQ(e.Message(), "TThumbDB.AddFolder: parent is not valid handle");
    }
    TThumbDB db2(NewStore(), TThumbDB::omCreateOrOpen);
    try {
        db2.UpdateSubfile(nullptr, "a", "x");
        FAIL();
    } catch (const EThumbDB& e) {
        EXPECT_EQ(e.Message(), "TThumbDB.UpdateSubfile: parent is not valid handle");
    }
}

TEST(ThumbDBFolders, ManyFoldersAndSubfilesRoundTrip) {
    const QString store = NewStore();
    for (int i = 0; i < 60; ++i)
        Put(store, QString("d%1/e%2/f%3.jpg").arg(i % 4).arg(i % 7).arg(i),
            Pattern(100 + i * 37, i), i);
    for (int i = 0; i < 60; i += 2)
        Put(store, QString("D%1/E%2/F%3.JPG").arg(i % 4).arg(i % 7).arg(i),
            Pattern(50 + i * 53, -i), -i);
    for (int i = 0; i < 60; ++i) {
        QByteArray back;
        TThumbInfo info;
        ASSERT_TRUE(
            Get(store, QString("d%1/e%2/f%3.jpg").arg(i % 4).arg(i % 7).arg(i), &back, &info));
        const bool replaced = i % 2 == 0;
        EXPECT_EQ(back, replaced ? Pattern(50 + i * 53, -i) : Pattern(100 + i * 37, i));
        EXPECT_EQ(info.TimeStamp, replaced ? -i : i);
    }
}

// A store laid out by hand the way another conforming program may have left
// it: chains out of block order, freed blocks in the middle.
TEST(ThumbDBInterop, ForeignStoreReadsBack) {
    QByteArray f = FreshStoreBytes();
    f.resize(9 * 512);
    const QByteArray data = Pattern(700, 9);
    // Folder "Fotos" at block 7; subfile "b.jpg" in it at blocks 8 -> 4;
    // blocks 3, 5, 6 free.
    const QByteArray folder =
        QByteArray("\x01\0\0\0", 4) + EntryBytes("b.jpg", 2, 8, 700, 7.5, 1, 2, 8);
    const QByteArray root =
        QByteArray("\x01\0\0\0", 4) + EntryBytes("Fotos", 1, 7, folder.size(), 3.0, 0, 0, 0);
    SetInt32(f, 24, root.size());
    std::memcpy(f.data() + 2 * 512, root.constData(), static_cast<size_t>(root.size()));
    std::memcpy(f.data() + 7 * 512, folder.constData(), static_cast<size_t>(folder.size()));
    std::memcpy(f.data() + 8 * 512, data.constData(), 512);
    std::memcpy(f.data() + 4 * 512, data.constData() + 512, 188);
    SetFat(f, 7, -2);
    SetFat(f, 8, 4);
    SetFat(f, 4, -2);
    const QString store = NewStore();
    WriteAll(store, f);

    QByteArray back;
    TThumbInfo info;
    ASSERT_TRUE(Get(store, "FOTOS/B.JPG", &back, &info));
    EXPECT_EQ(back, data);
    EXPECT_EQ(info.TimeStamp, 7.5);
    EXPECT_EQ(info.BitsPerPixel, 8);
    // A new subfile takes the lowest free block.
    Put(store, "Fotos/c.jpg", Pattern(10, 1));
    const QByteArray after = ReadAll(store);
    EXPECT_EQ(Fat(after, 3), -2);
    EXPECT_EQ(after.mid(3 * 512, 10), Pattern(10, 1));
    ASSERT_TRUE(Get(store, "Fotos/b.jpg", &back));
    EXPECT_EQ(back, data);
}

// ---------------------------------------------------------------------------
// Header rules and damaged files. Nothing may be written to such a file.

namespace {

// Expects the store to refuse the file (at opening or at reading the path)
// with a message, and the file to stay as it was.
void ExpectRefused(const QByteArray& bytes, const QString& readPath = "a",
                   const QString& messagePart = QString()) {
    SCOPED_TRACE(messagePart.toStdString());
    const QString store = NewStore();
    WriteAll(store, bytes);
    try {
        TThumbDB db(store, TThumbDB::omOpenExisting);
        QByteArray back;
        db.ReadThumb(readPath, back);
        db.WriteThumb(readPath, 1, 1, 1, "new", 1);
        db.Close();
        ADD_FAILURE() << "damaged store accepted";
    } catch (const EThumbDB& e) {
        EXPECT_FALSE(e.Message().isEmpty());
        if (!messagePart.isEmpty()) {
            EXPECT_TRUE(e.Message().contains(messagePart)) << e.Message().toStdString();
        }
    }
    EXPECT_EQ(ReadAll(store), bytes);
}

// A store with the subfile "a" (1200 bytes, blocks 3-5) in folder "d"
// (block 6) next to the subfile "a" (10 bytes, block 7) in the root.
QByteArray SampleStore() {
    const QString store = NewStore();
    Put(store, "d/a", Pattern(1200, 1));
    Put(store, "a", Pattern(10, 2));
    return ReadAll(store);
}

} // namespace

TEST(ThumbDBHeader, SizeRules) {
    const QByteArray fresh = FreshStoreBytes();
    ExpectRefused(fresh.left(1535), "a", "Stream is not a compound file: wrong size");
    ExpectRefused(fresh.left(1024), "a", "Stream is not a compound file: wrong size");
    ExpectRefused(fresh + "x", "a", "Stream is not a compound file: wrong size");
}

TEST(ThumbDBHeader, MagicBlockSizeAndFatCount) {
    const QString invalid = "Stream is not a compound file: header invalid";
    QByteArray b = FreshStoreBytes();
    b[0] = 'z';
    ExpectRefused(b, "a", invalid);
    b = FreshStoreBytes();
    b[15] = '0'; // no terminator: the magic reads "ZRThumbfile10000"
    ExpectRefused(b, "a", invalid);
    b = FreshStoreBytes();
    SetInt32(b, 16, 1024);
    ExpectRefused(b, "a", invalid);
    b = FreshStoreBytes();
    SetInt32(b, 20, 0);
    ExpectRefused(b, "a", invalid);
    b = FreshStoreBytes();
    SetInt32(b, 20, -5);
    ExpectRefused(b, "a", invalid);

    // The magic ends at its zero byte; whatever follows in the header's
    // reserved bytes does not count.
    QByteArray junk = SampleStore();
    std::memset(junk.data() + 28, 'Q', 484);
    const QString store = NewStore();
    WriteAll(store, junk);
    QByteArray back;
    EXPECT_TRUE(Get(store, "a", &back));
    EXPECT_EQ(back, Pattern(10, 2));
}

TEST(ThumbDBHeader, InterruptedUpdateIsReported) {
    QByteArray b = SampleStore();
    SetInt32(b, 16, 0);
    ExpectRefused(b, "a", "interrupted");
}

TEST(ThumbDBDamage, ChainLeavesTheFile) {
    QByteArray b = SampleStore();
    SetFat(b, 4, 100); // inside the FAT, past the end of the file
    ExpectRefused(b, "d/a", "leaves the file");
    b = SampleStore();
    SetFat(b, 120, -2); // a block past the end marked in use
    ExpectRefused(b, "a", "past the end");
}

TEST(ThumbDBDamage, ChainLeavesTheFat) {
    QByteArray b = SampleStore();
    SetFat(b, 4, 5000);
    ExpectRefused(b, "d/a", "leaves the FAT");
    b = SampleStore();
    SetFat(b, 1, 5000); // the chain of FAT blocks
    ExpectRefused(b, "a", "leaves the FAT");
    b = SampleStore();
    SetFat(b, 1, 9); // a FAT block past the end of the file
    ExpectRefused(b, "a", "leaves the file");
}

TEST(ThumbDBDamage, Loops) {
    QByteArray b = SampleStore();
    SetFat(b, 5, 3); // 3 -> 4 -> 5 -> 3
    ExpectRefused(b, "d/a", "loop");
    b = SampleStore();
    SetFat(b, 1, 1); // the FAT chain points back at itself
    ExpectRefused(b, "a", "loop");
    b = SampleStore();
    SetFat(b, 7, 7); // a block that is its own successor
    ExpectRefused(b, "a");
}

TEST(ThumbDBDamage, BlockInTwoChains) {
    QByteArray b = SampleStore();
    SetFat(b, 7, 4); // root's "a" runs on into the chain of d/a
    ExpectRefused(b, "a", "two chains");

    // Two directory entries with the same first block.
    const QString store = NewStore();
    Put(store, "x", Pattern(600, 1)); // blocks 3, 4
    Put(store, "y", Pattern(600, 2)); // blocks 5, 6
    QByteArray c = ReadAll(store);
    const qint64 root = 1024 + 4;
    const qint64 second = root + 32 + 1;
    ASSERT_EQ(c.at(second + 1), 'y');
    qToLittleEndian<quint16>(3, c.data() + second + 3); // y starts at x's block
    SetFat(c, 5, -1);
    SetFat(c, 6, -1);
    ExpectRefused(c, "y", "two chains");

    // An entry whose chain starts at the root directory's block.
    c = ReadAll(store);
    qToLittleEndian<quint16>(2, c.data() + second + 3);
    ExpectRefused(c, "y", "two chains");

    // An entry that starts in the middle of another chain.
    c = ReadAll(store);
    qToLittleEndian<quint16>(4, c.data() + second + 3);
    ExpectRefused(c, "y", "two chains");
}

TEST(ThumbDBDamage, FreeBlockInAChain) {
    QByteArray b = SampleStore();
    SetFat(b, 4, -1);
    ExpectRefused(b, "d/a", "free block");
    b = SampleStore();
    SetFat(b, 7, -1); // the first block of an entry
    ExpectRefused(b, "a", "free");
    b = SampleStore();
    SetFat(b, 0, -1); // the header block handed out as free
    ExpectRefused(b, "a", "header");
}

TEST(ThumbDBDamage, DirectoryStreams) {
    // Shorter than its entries: the root's stream loses its last byte.
    QByteArray b = SampleStore();
    ASSERT_EQ(Int32At(b, 24), 70);
    SetInt32(b, 24, 69);
    ExpectRefused(b, "a", "shorter than its entries");
    // Absurd entry count.
    b = SampleStore();
    SetInt32(b, 1024, 0x7FFFFFFF);
    ExpectRefused(b, "a", "absurd entry count");
    b = SampleStore();
    SetInt32(b, 1024, -1);
    ExpectRefused(b, "a", "absurd entry count");
    // A name length byte that runs past the stream.
    b = SampleStore();
    b[1024 + 4] = static_cast<char>(200);
    ExpectRefused(b, "a", "shorter than its entries");
    // Root size too small for a count.
    b = SampleStore();
    SetInt32(b, 24, 2);
    ExpectRefused(b, "a", "shorter than its entries");
    // Root size larger than its chain.
    b = SampleStore();
    SetInt32(b, 24, 5000);
    ExpectRefused(b, "a", "root directory");
    // Unknown entry type.
    b = SampleStore();
    b[1024 + 4 + 1 + 1] = 7; // first entry "d": its type byte
    ExpectRefused(b, "a", "unknown type");
}

TEST(ThumbDBDamage, EntrySizeDisagreesWithChain) {
    QByteArray b = SampleStore();
    // The folder entry "d" (first entry of the root): size field.
    SetInt32(b, 1024 + 4 + 1 + 1 + 1 + 2, 100000);
    ExpectRefused(b, "d/a", "chain of");
    b = SampleStore();
    qToLittleEndian<quint16>(0, b.data() + 1024 + 4 + 1 + 1 + 1);
    ExpectRefused(b, "d/a", "no block");
}

TEST(ThumbDBDamage, HeaderFatCountMustMatchTheChain) {
    QByteArray b = SampleStore();
    SetInt32(b, 20, 3);
    ExpectRefused(b, "a", "FAT");
}

TEST(ThumbDBDamage, RandomBytesNeverCrash) {
    // Random damage to a real store: each variant either works or fails with
    // EThumbDB; the sanitizers watch the rest.
    const QByteArray good = SampleStore();
    QRandomGenerator rng(12345);
    for (int round = 0; round < 400; ++round) {
        QByteArray b = good;
        const int flips = 1 + static_cast<int>(rng.bounded(6));
        for (int k = 0; k < flips; ++k)
            b[static_cast<int>(rng.bounded(static_cast<quint32>(b.size())))] =
                static_cast<char>(rng.bounded(256));
        const QString store = NewStore();
        WriteAll(store, b);
        try {
            TThumbDB db(store, TThumbDB::omOpenExisting);
            QByteArray back;
            db.ReadThumb("d/a", back);
            db.ReadThumb("a", back);
            db.WriteThumb("d/n", 1, 2, 3, Pattern(900, round), 1);
            db.Close();
            // Whatever was accepted must read back what was just written.
            QByteArray again;
            ASSERT_TRUE(Get(store, "d/n", &again));
            EXPECT_EQ(again, Pattern(900, round));
        } catch (const EThumbDB&) {
        }
        QFile::remove(store);
    }
}

// ---------------------------------------------------------------------------
// Limits

TEST(ThumbDBLimits, NameLongerThan255Bytes) {
    const QString store = NewStore();
    Put(store, "a", Pattern(10, 1));
    const QByteArray before = ReadAll(store);
    const QString longName(256, QChar('n'));
    for (const QString& path : {longName, longName + "/a", "x/" + longName}) {
        TThumbDB db(store, TThumbDB::omOpenExisting);
        EXPECT_THROW(db.WriteThumb(path, 1, 1, 1, "data", 1), EThumbDB);
        db.Close();
        EXPECT_EQ(ReadAll(store), before);
        TThumbDB db2(store, TThumbDB::omOpenExisting);
        QByteArray back;
        EXPECT_THROW(db2.ReadThumb(path, back), EThumbDB);
        db2.Close();
        EXPECT_EQ(ReadAll(store), before);
    }
    // Multi-byte characters count in bytes: 128 x "ä" is 256 bytes in UTF-8.
#ifndef Q_OS_WIN
    EXPECT_THROW(Put(store, QString(128, QChar(0xE4)), "x"), EThumbDB);
#endif
    const QString longest(255, QChar('m'));
    Put(store, longest, Pattern(5, 5));
    QByteArray back;
    ASSERT_TRUE(Get(store, longest, &back));
    EXPECT_EQ(back, Pattern(5, 5));
}

TEST(ThumbDBLimits, NoChainStartsAbove65535) {
    // Fill the store so that block 65535 is the only free block below the
    // end of the 512th FAT block's range: 65536 blocks, of which 3 are the
    // fixed ones and 511 further FAT blocks.
    const QString store = NewStore();
    const int dataBlocks = 65536 - 3 - 511 - 1;
    Put(store, "big", QByteArray(dataBlocks * 512, 'b'));
    {
        TThumbDB db(store, TThumbDB::omOpenExisting);
        ASSERT_EQ(db.FATBlocks().Count(), 512);
        ASSERT_EQ(db.FAT()[65535], TThumbDB::kFree);
        db.Close();
    }
    // Block 65535 can still start a chain that runs on above it.
    Put(store, "last", Pattern(2000, 3));
    const QByteArray before = ReadAll(store);
    {
        TThumbDB db(store, TThumbDB::omOpenExisting);
        QByteArray back;
        ASSERT_TRUE(db.ReadThumb("last", back));
        EXPECT_EQ(back, Pattern(2000, 3));
        const TaaCFDirEntry* e = db.Root()->FindEntry("last", TaaCFDirEntry::etSubfile);
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->FirstBlock, 65535);
        db.Close();
    }
    // The next new chain would start above 65535: refused, nothing written.
    try {
        Put(store, "one more", Pattern(10, 4));
        FAIL();
    } catch (const EThumbDB& e) {
        EXPECT_TRUE(e.Message().contains("65535")) << e.Message().toStdString();
    }
    EXPECT_EQ(ReadAll(store), before);
    // Replacing an existing subfile still works: its chain keeps its start.
    Put(store, "last", Pattern(3000, 5));
    QByteArray back;
    ASSERT_TRUE(Get(store, "last", &back));
    EXPECT_EQ(back, Pattern(3000, 5));
}

TEST(ThumbDBLists, LongWordList) {
    TaaLongWordList l;
    EXPECT_TRUE(l.Sorted());
    EXPECT_EQ(l.Add(5), 0);
    EXPECT_EQ(l.Add(3), 0);
    EXPECT_EQ(l.Add(0xFFFFFFFEu), 2);
    EXPECT_EQ(l.Add(5), -1);
    EXPECT_EQ(l.Count(), 3);
    EXPECT_EQ(l.Last(), 0xFFFFFFFEu);
    l.SetSorted(false);
    EXPECT_EQ(l.Add(1), 3);
    EXPECT_EQ(l[3], 1u);
    l.Clear();
    EXPECT_TRUE(l.Sorted());
    EXPECT_EQ(l.Count(), 0);
}

TEST(ThumbDBFiles, AStoreInUseIsRefused) {
    const QString store = NewStore();
    Put(store, "a", Pattern(10, 1));
    const QByteArray before = ReadAll(store);
    TThumbDB first(store, TThumbDB::omOpenExisting);
    try {
        TThumbDB second(store, TThumbDB::omOpenExisting);
        FAIL() << "opened twice";
    } catch (const EThumbDB& e) {
        EXPECT_TRUE(e.Message().contains("in use")) << e.Message().toStdString();
    }
    first.Close();
    EXPECT_EQ(ReadAll(store), before);
    QByteArray back;
    EXPECT_TRUE(Get(store, "a", &back));
}

TEST(ThumbDBFiles, FailedOperationWritesNothing) {
    const QString store = NewStore();
    Put(store, "a", Pattern(10, 1));
    const QByteArray before = ReadAll(store);
    {
        TThumbDB db(store, TThumbDB::omOpenExisting);
        db.WriteThumb("b/c", 1, 1, 1, Pattern(2000, 2), 1);
        TCFFolder stranger(nullptr, "x");
        EXPECT_THROW(db.AddFolder(&stranger, "y"), EThumbDB);
        // The store refuses further work and closes without writing.
        EXPECT_THROW(db.WriteThumb("d", 1, 1, 1, "x", 1), EThumbDB);
        db.Close();
    }
    EXPECT_EQ(ReadAll(store), before);
}
