#include "uThumbDB.h"

#include "uPlatform.h"

#include <QCollator>
#include <QDateTime>
#include <QDir>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

const char kMagic[] = "ZRThumbfile1000";
constexpr int kEntriesPerBlock = TThumbDB::kBlockSize / 4;
constexpr int kEntryFixedSize = 32;

TThumbDB::WriteObserver gWriteObserver = nullptr;

const char kJournalMagic[17] = "ZRThumbJournal01";

// Blocks of a journal's descriptor: magic, count and one block number each.
qint64 JournalDescriptorBlocks(qint64 n) {
    return (20 + 4 * n + 511) / 512;
}

quint64 Fnv1a(const QByteArray& bytes) {
    quint64 h = 14695981039346656037ull;
    for (char c : bytes) {
        h ^= static_cast<quint8>(c);
        h *= 1099511628211ull;
    }
    return h;
}

qint32 GetInt32(const char* p) {
    return qFromLittleEndian<qint32>(p);
}
void PutInt32(char* p, qint32 v) {
    qToLittleEndian<qint32>(v, p);
}

[[noreturn]] void Fail(const QString& message) {
    throw EThumbDB(message);
}

QCollator& UserCollator() {
    thread_local QCollator collator = [] {
        QCollator c{QLocale::system()};
        c.setCaseSensitivity(Qt::CaseSensitive); // the names are case-folded first
        c.setNumericMode(false);
        c.setIgnorePunctuation(false);
        return c;
    }();
    return collator;
}

QString KeyOf(const QByteArray& name) {
    return QString::fromLocal8Bit(name).toCaseFolded();
}

// Name as stored, limited to the one length byte of a directory entry.
QByteArray EncodeName(const QString& name, const char* operation) {
    QByteArray bytes = name.toLocal8Bit();
    if (bytes.size() > 255)
        Fail(QStringLiteral("TThumbDB.%1: name longer than 255 bytes: \"%2\"")
                 .arg(QLatin1String(operation), name));
    return bytes;
}

qint64 BlocksFor(qint64 size) {
    return (size + TThumbDB::kBlockSize - 1) / TThumbDB::kBlockSize;
}

} // namespace

// ---------------------------------------------------------------------------
// TaaLongWordList

void TaaLongWordList::SetCapacity(int capacity) {
    if (capacity > Capacity())
        words_.reserve(static_cast<size_t>(capacity));
}

void TaaLongWordList::Clear() {
    words_.clear();
    sorted_ = true;
}

int TaaLongWordList::Add(quint32 word) {
    if (!sorted_ || words_.empty()) {
        words_.push_back(word);
        return Count() - 1;
    }
    auto it = std::lower_bound(words_.begin(), words_.end(), word);
    if (it != words_.end() && *it == word)
        return -1;
    const int pos = static_cast<int>(it - words_.begin());
    words_.insert(it, word);
    return pos;
}

// ---------------------------------------------------------------------------
// Names and paths

int CompareThumbNames(const QString& foldedA, const QString& foldedB) {
    int c = UserCollator().compare(foldedA, foldedB);
    if (c == 0)
        c = QString::compare(foldedA, foldedB, Qt::CaseSensitive);
    return (c > 0) - (c < 0);
}

QStringList SplitThumbPath(const QString& path, ThumbPathStyle style) {
    QString p = path;
    if (style == ThumbPathStyle::Windows)
        p.replace(QLatin1Char('/'), QLatin1Char('\\'));
    p.remove(QLatin1Char(':'));
    p.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
    const QChar separator = style == ThumbPathStyle::Windows ? QLatin1Char('\\') : QLatin1Char('/');
    return p.split(separator, Qt::KeepEmptyParts);
}

QStringList SplitThumbPath(const QString& path) {
#ifdef Q_OS_WIN
    return SplitThumbPath(path, ThumbPathStyle::Windows);
#else
    return SplitThumbPath(path, ThumbPathStyle::Posix);
#endif
}

// ---------------------------------------------------------------------------
// TCFFolder

TCFFolder::TCFFolder(TCFFolder* parent, QByteArray name) : Name(std::move(name)), Parent(parent) {}

size_t TCFFolder::LowerBound(const QString& key, quint8 type) const {
    size_t lo = 0;
    size_t hi = Entries.size();
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        const TaaCFDirEntry& e = Entries[mid];
        const bool before =
            e.EntryType < type || (e.EntryType == type && CompareThumbNames(e.Key, key) < 0);
        if (before)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

TaaCFDirEntry* TCFFolder::FindEntry(const QByteArray& name, quint8 type) {
    const QString key = KeyOf(name);
    const size_t i = LowerBound(key, type);
    if (i < Entries.size() && Entries[i].EntryType == type &&
        CompareThumbNames(Entries[i].Key, key) == 0)
        return &Entries[i];
    return nullptr;
}

TaaCFDirEntry* TCFFolder::AddEntry(const QByteArray& name, quint8 type) {
    TaaCFDirEntry e;
    e.Name = name;
    e.EntryType = type;
    e.Key = KeyOf(name);
    const size_t i = LowerBound(e.Key, type);
    Entries.insert(Entries.begin() + static_cast<std::ptrdiff_t>(i), std::move(e));
    Modified = true;
    return &Entries[i];
}

void TCFFolder::ReadDirectory(const QByteArray& stream) {
    Entries.clear();
    const char* p = stream.constData();
    const qint64 n = stream.size();
    if (n < 4)
        Fail(QStringLiteral(
            "TCFFolder.ReadDirectory: directory stream is shorter than its entries"));
    const qint32 count = GetInt32(p);
    if (count < 0 || count > (n - 4) / kEntryFixedSize)
        Fail(
            QStringLiteral("TCFFolder.ReadDirectory: absurd entry count %1 in a stream of %2 bytes")
                .arg(count)
                .arg(n));
    Entries.reserve(static_cast<size_t>(count));
    qint64 pos = 4;
    for (qint32 i = 0; i < count; ++i) {
        if (pos + 1 > n)
            Fail(QStringLiteral(
                "TCFFolder.ReadDirectory: directory stream is shorter than its entries"));
        const int len = static_cast<quint8>(p[pos]);
        if (pos + 1 + len + 31 > n)
            Fail(QStringLiteral(
                "TCFFolder.ReadDirectory: directory stream is shorter than its entries"));
        TaaCFDirEntry e;
        e.Name = QByteArray(p + pos + 1, len);
        const char* q = p + pos + 1 + len;
        e.EntryType = static_cast<quint8>(q[0]);
        if (e.EntryType != TaaCFDirEntry::etFolder && e.EntryType != TaaCFDirEntry::etSubfile)
            Fail(QStringLiteral("TCFFolder.ReadDirectory: entry \"%1\" has the unknown type %2")
                     .arg(QString::fromLocal8Bit(e.Name))
                     .arg(e.EntryType));
        e.FirstBlock = qFromLittleEndian<quint16>(q + 1);
        e.Size = GetInt32(q + 3);
        const quint64 bits = qFromLittleEndian<quint64>(q + 7);
        std::memcpy(&e.TimeStamp, &bits, sizeof bits);
        for (int a = 0; a < 4; ++a)
            e.Attributes[a] = GetInt32(q + 15 + 4 * a);
        e.Key = KeyOf(e.Name);
        Entries.push_back(std::move(e));
        pos += 1 + len + 31;
    }
}

QByteArray TCFFolder::WriteDirectory() const {
    qint64 total = 4;
    for (const TaaCFDirEntry& e : Entries)
        total += kEntryFixedSize + e.Name.size();
    QByteArray out(total, '\0');
    char* p = out.data();
    PutInt32(p, static_cast<qint32>(Entries.size()));
    p += 4;
    for (const TaaCFDirEntry& e : Entries) {
        *p++ = static_cast<char>(static_cast<quint8>(e.Name.size()));
        std::memcpy(p, e.Name.constData(), static_cast<size_t>(e.Name.size()));
        p += e.Name.size();
        *p++ = static_cast<char>(e.EntryType);
        qToLittleEndian<quint16>(e.FirstBlock, p);
        PutInt32(p + 2, e.Size);
        quint64 bits;
        std::memcpy(&bits, &e.TimeStamp, sizeof bits);
        qToLittleEndian<quint64>(bits, p + 6);
        for (int a = 0; a < 4; ++a)
            PutInt32(p + 14 + 4 * a, e.Attributes[a]);
        p += 30;
    }
    return out;
}

// ---------------------------------------------------------------------------
// TThumbDB: opening and closing

void TThumbDB::SetWriteObserver(WriteObserver observer) {
    gWriteObserver = observer;
}

double TThumbDB::Now() {
    const QDateTime now = QDateTime::currentDateTime();
    const qint64 days = QDate(1899, 12, 30).daysTo(now.date());
    return static_cast<double>(days) + now.time().msecsSinceStartOfDay() / 86400000.0;
}

TThumbDB::TThumbDB(const QString& fileName, OpenMode mode) : file_(fileName), fileName_(fileName) {
    QIODevice::OpenMode m = QIODevice::ReadWrite | QIODevice::Unbuffered;
    if (mode == omOpenExisting)
        m |= QIODevice::ExistingOnly;
    if (!file_.open(m))
        Fail(QStringLiteral("Cannot open file \"%1\". %2")
                 .arg(QDir::toNativeSeparators(fileName), file_.errorString()));
    open_ = true;
    try {
        if (!Platform::LockFileExclusive(file_))
            Fail(QStringLiteral("Cannot open file \"%1\". The file is in use by another process.")
                     .arg(QDir::toNativeSeparators(fileName)));
        if (file_.size() == 0)
            CreateNew();
        else
            OpenExisting();
    } catch (...) {
        CloseFile();
        throw;
    }
}

TThumbDB::~TThumbDB() {
    try {
        Close();
    } catch (...) {
        // A destructor cannot report; callers who care call Close() themselves.
    }
}

void TThumbDB::CloseFile() {
    file_.close();
    open_ = false;
    openFolders_.clear();
    root_.reset();
    dirty_.clear();
}

void TThumbDB::CreateNew() {
    diskBlocks_ = 0;
    openedBlocks_ = 0;
    endOfFile_ = 0;
    openedFat_.clear();
    openedHeader_.fill(0);

    header_.fill(0);
    std::memcpy(header_.data(), kMagic, sizeof kMagic);
    PutInt32(header_.data() + 16, kBlockSize);
    PutInt32(header_.data() + 20, 1);
    PutInt32(header_.data() + 24, 0);
    AppendBlock(header_.data());

    Block fatBlock;
    fatBlock.fill(static_cast<char>(0xFF));
    for (int i = 0; i < 3; ++i)
        qToLittleEndian<quint32>(kEnd, fatBlock.data() + 4 * i);
    AppendBlock(fatBlock.data());

    LoadFAT();

    Block zero{};
    AppendBlock(zero.data());

    initialImage_ = QByteArray(header_.data(), kBlockSize) +
                    QByteArray(fatBlock.data(), kBlockSize) + QByteArray(zero.data(), kBlockSize);
    claimed_.assign(static_cast<size_t>(fat_.Count()), false);
    freeHint_ = 0;
}

void TThumbDB::OpenExisting() {
    const qint64 size = file_.size();
    if (size < 3 * kBlockSize || size % kBlockSize != 0)
        Fail(QStringLiteral("Stream is not a compound file: wrong size"));
    diskBlocks_ = size / kBlockSize;
    endOfFile_ = size;

    header_ = ReadBlock(0);
    const char* h = header_.data();
    const bool magicOk = qstrnlen(h, 16) == sizeof kMagic - 1 && std::memcmp(h, kMagic, 15) == 0;
    const qint32 blockSize = GetInt32(h + 16);
    const qint32 fatBlockCount = GetInt32(h + 20);
    if (magicOk && blockSize == 0 && fatBlockCount >= 1) {
        // An update was cut off while it rewrote blocks in use: finish it from
        // its journal, then open what it left.
        if (!ReplayJournal())
            Fail(QStringLiteral(
                "Stream is not a compound file: header invalid (an earlier update of the "
                "store was interrupted)"));
        OpenExisting();
        return;
    }
    if (!magicOk || blockSize != kBlockSize || fatBlockCount < 1)
        Fail(QStringLiteral("Stream is not a compound file: header invalid"));
    openedHeader_ = header_;

    LoadFAT();
    ValidateFAT();
}

void TThumbDB::LoadFAT() {
    fat_.Clear();
    fat_.SetSorted(false);
    fatBlocks_.Clear();
    // Room for the FAT the header announces, as far as the file can hold it.
    const qint64 announced = std::clamp<qint64>(GetInt32(header_.data() + 20), 1, diskBlocks_ + 1);
    fat_.SetCapacity(static_cast<int>(announced * kEntriesPerBlock));
    quint32 b = 1;
    for (;;) {
        if (fatBlocks_.Count() > 0 && b <= fatBlocks_.Last())
            Fail(QStringLiteral("TThumbDB.LoadFAT: the chain of FAT blocks loops back to block %1")
                     .arg(b));
        if (static_cast<qint64>(b) * kBlockSize >= endOfFile_)
            Fail(QStringLiteral(
                     "TThumbDB.LoadFAT: the chain of FAT blocks leaves the file at block %1")
                     .arg(b));
        fatBlocks_.Add(b);
        const Block block = ReadBlock(b);
        quint32* words = fat_.Grow(kEntriesPerBlock);
        for (int i = 0; i < kEntriesPerBlock; ++i)
            words[i] = qFromLittleEndian<quint32>(block.data() + 4 * i);
        const quint32 next = fat_[static_cast<int>(b)];
        if (next == kEnd)
            break;
        if (next == kFree)
            Fail(QStringLiteral("TThumbDB.LoadFAT: FAT block %1 is marked free").arg(b));
        // The next FAT block must hold its own entry (a FAT block added to a
        // FAT of k blocks is block 128 k).
        if (next >= static_cast<quint32>(fat_.Count() + kEntriesPerBlock))
            Fail(QStringLiteral(
                     "TThumbDB.LoadFAT: the chain of FAT blocks leaves the FAT at block %1")
                     .arg(next));
        b = next;
    }
}

// Checks that the FAT describes disjoint, loop-free chains inside the file.
void TThumbDB::ValidateFAT() {
    const qint32 fatBlockCount = GetInt32(header_.data() + 20);
    if (fatBlockCount != fatBlocks_.Count())
        Fail(QStringLiteral(
                 "TThumbDB.LoadFAT: the header counts %1 FAT blocks, the FAT chain has %2")
                 .arg(fatBlockCount)
                 .arg(fatBlocks_.Count()));

    const quint32 m = static_cast<quint32>(fat_.Count());
    // Blocks past the FAT are left over from an interrupted update: no chain
    // can reach them, so the store ends where the FAT ends.
    const quint32 n = static_cast<quint32>(std::min<qint64>(diskBlocks_, m));
    endOfFile_ = static_cast<qint64>(n) * kBlockSize;
    openedBlocks_ = n;

    const quint32* fat = fat_.Data();
    std::vector<quint8> indegree(m, 0);
    quint32 used = 0;
    for (quint32 i = 0; i < m; ++i) {
        const quint32 v = fat[i];
        if (v == kFree)
            continue;
        ++used;
        if (i >= n)
            Fail(QStringLiteral("TThumbDB.LoadFAT: block %1 lies past the end of the file but is "
                                "marked in use")
                     .arg(i));
        if (v == kEnd)
            continue;
        if (v >= m)
            Fail(QStringLiteral("TThumbDB.LoadFAT: the chain through block %1 leaves the FAT")
                     .arg(i));
        if (v >= n)
            Fail(QStringLiteral("TThumbDB.LoadFAT: the chain through block %1 leaves the file")
                     .arg(i));
        if (v == 0)
            Fail(QStringLiteral("TThumbDB.LoadFAT: the chain through block %1 runs into the header")
                     .arg(i));
        if (fat[v] == kFree)
            Fail(QStringLiteral(
                     "TThumbDB.LoadFAT: the chain through block %1 runs into free block %2")
                     .arg(i)
                     .arg(v));
        if (++indegree[v] > 1)
            Fail(QStringLiteral("TThumbDB.LoadFAT: block %1 belongs to two chains").arg(v));
    }
    if (fat[0] != kEnd)
        Fail(QStringLiteral("TThumbDB.LoadFAT: the header block is not reserved in the FAT"));
    if (fat[2] == kFree)
        Fail(QStringLiteral("TThumbDB.LoadFAT: the root directory's block is marked free"));
    for (quint32 start : {1u, 2u})
        if (indegree[start] != 0)
            Fail(QStringLiteral("TThumbDB.LoadFAT: block %1 belongs to two chains").arg(start));

    // No block has two predecessors, so a walk from a block without one ends
    // without repeating itself. Blocks in use that no such walk reaches lie on
    // a loop.
    quint32 reached = 0;
    for (quint32 i = 0; i < n; ++i) {
        if (fat[i] == kFree || indegree[i] != 0)
            continue;
        for (quint32 b = i; b != kEnd; b = fat[b])
            ++reached;
    }
    if (reached != used) {
        std::vector<bool> seen(m, false);
        for (quint32 i = 0; i < n; ++i)
            if (fat[i] != kFree && indegree[i] == 0)
                for (quint32 b = i; b != kEnd; b = fat[b])
                    seen[b] = true;
        quint32 first = 0;
        while (first < n && (fat[first] == kFree || seen[first]))
            ++first;
        Fail(QStringLiteral("TThumbDB.LoadFAT: loop in the chain through block %1").arg(first));
    }

    const qint32 rootSize = GetInt32(header_.data() + 24);
    qint64 rootBlocks = 0;
    for (quint32 b = 2; b != kEnd; b = fat_[static_cast<int>(b)])
        ++rootBlocks;
    if (rootSize < 0 || std::max<qint64>(1, BlocksFor(rootSize)) != rootBlocks)
        Fail(QStringLiteral(
                 "TThumbDB.Root: the root directory's size %1 does not match its chain of "
                 "%2 blocks")
                 .arg(rootSize)
                 .arg(rootBlocks));

    openedFat_.assign(fat_.Data(), fat_.Data() + m);
    openedIndegree_ = std::move(indegree);
    claimed_.assign(m, false);
    claimed_[1] = true; // the FAT's own chain
    claimed_[2] = true; // the root directory
    freeHint_ = 0;
}

void TThumbDB::Close() {
    if (!open_)
        return;
    if (failed_) {
        CloseFile();
        return;
    }
    try {
        for (auto it = openFolders_.rbegin(); it != openFolders_.rend(); ++it)
            if ((*it)->Modified)
                FlushFolder(it->get());
        if (root_ && root_->Modified) {
            const QByteArray stream = root_->WriteDirectory();
            WriteChain(2, stream);
            PutInt32(header_.data() + 24, static_cast<qint32>(stream.size()));
        }
        SaveFAT();
        WriteBlock(0, header_.data());
        Commit();
    } catch (...) {
        failed_ = true;
        CloseFile();
        throw;
    }
    CloseFile();
}

void TThumbDB::FlushFolder(TCFFolder* folder) {
    TaaCFDirEntry* entry = folder->Parent->FindEntry(folder->Name, TaaCFDirEntry::etFolder);
    if (!entry)
        Fail(QStringLiteral("TThumbDB.FlushFolder: the folder has no entry in its parent"));
    if (folder->Entries.empty()) {
        if (entry->FirstBlock != 0) {
            FreeChain(entry->FirstBlock, false);
            entry->FirstBlock = 0;
        }
        entry->Size = 0;
    } else {
        if (entry->FirstBlock == 0)
            entry->FirstBlock = static_cast<quint16>(AllocFirstBlock("FlushFolder"));
        const QByteArray stream = folder->WriteDirectory();
        WriteChain(entry->FirstBlock, stream);
        entry->Size = static_cast<qint32>(stream.size());
    }
    entry->TimeStamp = clock_();
    folder->Parent->Modified = true;
}

void TThumbDB::SaveFAT() {
    const int openedFatBlocks = static_cast<int>(openedFat_.size()) / kEntriesPerBlock;
    for (int k = 0; k < fatBlocks_.Count(); ++k) {
        const quint32* entries = fat_.Data() + static_cast<size_t>(k) * kEntriesPerBlock;
        // A FAT block that still holds what the file holds needs no write.
        if (k < openedFatBlocks &&
            std::equal(entries, entries + kEntriesPerBlock,
                       openedFat_.data() + static_cast<size_t>(k) * kEntriesPerBlock))
            continue;
        Block block;
        for (int i = 0; i < kEntriesPerBlock; ++i)
            qToLittleEndian<quint32>(entries[i], block.data() + 4 * i);
        WriteBlock(fatBlocks_[k], block.data());
    }
}

// Writes the session's blocks so that a process killed at any point leaves
// the store as it was opened, or one whose journal the next opening replays:
// 1. blocks the opened store does not use (new and free ones), in order;
// 2. if blocks in use change: a journal of their new contents past the end
//    of the store, the header marked "update in progress" with the journal's
//    place and checksum, the blocks in place, the real header;
// 3. the file is cut to the store's end (journal, leftovers).
void TThumbDB::Commit() {
    if (!initialImage_.isEmpty()) {
        // A new store reaches the file first as the bare store in one small
        // write; what this session added to it follows as an update.
        WriteToFile(0, initialImage_.constData(), initialImage_.size());
        openedBlocks_ = 3;
        openedFat_.resize(kEntriesPerBlock);
        for (int i = 0; i < kEntriesPerBlock; ++i)
            openedFat_[static_cast<size_t>(i)] =
                qFromLittleEndian<quint32>(initialImage_.constData() + kBlockSize + 4 * i);
        std::memcpy(openedHeader_.data(), initialImage_.constData(), kBlockSize);
        for (quint32 b = 0; b < 3; ++b) {
            auto it = dirty_.find(b);
            if (it != dirty_.end() &&
                std::memcmp(it->second.data(), initialImage_.constData() + b * kBlockSize,
                            kBlockSize) == 0)
                dirty_.erase(it);
        }
        initialImage_.clear();
    }
    auto inUse = [this](quint32 b) { return b < openedBlocks_ && openedFat_[b] != kFree; };
    std::vector<quint32> fresh;
    std::vector<quint32> used;
    for (const auto& [b, block] : dirty_) {
        if (b == 0 && openedBlocks_ > 0 && block == openedHeader_)
            continue;
        (inUse(b) ? used : fresh).push_back(b);
    }

    auto writeRuns = [this](const std::vector<quint32>& blocks, bool skipHeader) {
        size_t i = 0;
        while (i < blocks.size()) {
            if (skipHeader && blocks[i] == 0) {
                ++i;
                continue;
            }
            size_t j = i + 1;
            while (j < blocks.size() && blocks[j] == blocks[j - 1] + 1)
                ++j;
            QByteArray run;
            run.reserve(static_cast<qsizetype>((j - i) * kBlockSize));
            for (size_t k = i; k < j; ++k)
                run.append(dirty_.at(blocks[k]).data(), kBlockSize);
            WriteToFile(static_cast<qint64>(blocks[i]) * kBlockSize, run.constData(), run.size());
            i = j;
        }
    };

    writeRuns(fresh, false);
    const bool headerChanged = std::find(used.begin(), used.end(), 0u) != used.end();
    const bool othersChanged = used.size() > (headerChanged ? 1u : 0u);
    if (othersChanged) {
        // The journal: the new contents of every block in use that changes,
        // the header last, past the end of the store.
        std::vector<quint32> targets;
        for (quint32 b : used)
            if (b != 0)
                targets.push_back(b);
        targets.push_back(0);
        const qint64 n = static_cast<qint64>(targets.size());
        const qint64 d = JournalDescriptorBlocks(n);
        QByteArray journal((d + n) * kBlockSize, '\0');
        std::memcpy(journal.data(), kJournalMagic, 16);
        PutInt32(journal.data() + 16, static_cast<qint32>(n));
        for (qint64 i = 0; i < n; ++i) {
            PutInt32(journal.data() + 20 + 4 * i, static_cast<qint32>(targets[i]));
            std::memcpy(journal.data() + (d + i) * kBlockSize, dirty_.at(targets[i]).data(),
                        kBlockSize);
        }
        const qint64 journalBlock =
            std::max(endOfFile_, file_.size() / kBlockSize * kBlockSize) / kBlockSize;
        WriteToFile(journalBlock * kBlockSize, journal.constData(), journal.size());

        Block mark = openedHeader_;
        PutInt32(mark.data() + 16, 0);
        std::memcpy(mark.data() + 28, "JRNL", 4);
        PutInt32(mark.data() + 32, static_cast<qint32>(journalBlock));
        PutInt32(mark.data() + 36, static_cast<qint32>(n));
        PutInt32(mark.data() + 40, static_cast<qint32>(endOfFile_ / kBlockSize));
        qToLittleEndian<quint64>(Fnv1a(journal), mark.data() + 44);
        WriteToFile(0, mark.data(), kBlockSize);
        writeRuns(used, true);
        WriteToFile(0, header_.data(), kBlockSize);
    } else if (headerChanged) {
        WriteToFile(0, header_.data(), kBlockSize);
    }
    if (file_.size() > endOfFile_ && !file_.resize(endOfFile_))
        Fail(QStringLiteral("Stream write error: %1").arg(file_.errorString()));
    dirty_.clear();
}

// Finishes an update that was cut off after its journal was complete.
// Answers false when there is no usable journal.
bool TThumbDB::ReplayJournal() {
    const char* h = header_.data();
    if (std::memcmp(h + 28, "JRNL", 4) != 0)
        return false;
    const qint64 journalBlock = GetInt32(h + 32);
    const qint64 n = GetInt32(h + 36);
    const qint64 finalBlocks = GetInt32(h + 40);
    const quint64 sum = qFromLittleEndian<quint64>(h + 44);
    if (journalBlock < 3 || n < 1 || finalBlocks < 3 || journalBlock < finalBlocks ||
        n > diskBlocks_)
        return false;
    const qint64 d = JournalDescriptorBlocks(n);
    if (journalBlock + d + n > diskBlocks_)
        return false;
    QByteArray journal((d + n) * kBlockSize, '\0');
    if (!file_.seek(journalBlock * kBlockSize) ||
        file_.read(journal.data(), journal.size()) != journal.size())
        return false;
    if (Fnv1a(journal) != sum || std::memcmp(journal.constData(), kJournalMagic, 16) != 0 ||
        GetInt32(journal.constData() + 16) != n)
        return false;
    for (qint64 i = 0; i < n; ++i) {
        const qint64 target = GetInt32(journal.constData() + 20 + 4 * i);
        if (target < 0 || target >= finalBlocks || (target == 0) != (i == n - 1))
            return false;
    }
    for (qint64 i = 0; i < n; ++i) {
        const qint64 target = GetInt32(journal.constData() + 20 + 4 * i);
        WriteToFile(target * kBlockSize, journal.constData() + (d + i) * kBlockSize, kBlockSize);
    }
    if (!file_.resize(finalBlocks * kBlockSize))
        Fail(QStringLiteral("Stream write error: %1").arg(file_.errorString()));
    return true;
}

void TThumbDB::WriteToFile(qint64 offset, const char* data, qint64 length) {
    if (gWriteObserver)
        gWriteObserver(offset, length);
    if (!file_.seek(offset) || file_.write(data, length) != length)
        Fail(QStringLiteral("Stream write error: %1").arg(file_.errorString()));
}

// ---------------------------------------------------------------------------
// Blocks and chains

TThumbDB::Block TThumbDB::ReadBlock(quint32 b) {
    auto it = dirty_.find(b);
    if (it != dirty_.end())
        return it->second;
    Block block;
    if (static_cast<qint64>(b) >= diskBlocks_ || !file_.seek(static_cast<qint64>(b) * kBlockSize) ||
        file_.read(block.data(), kBlockSize) != kBlockSize)
        Fail(QStringLiteral("Stream read error"));
    return block;
}

void TThumbDB::WriteBlock(quint32 b, const char* data) {
    const qint64 offset = static_cast<qint64>(b) * kBlockSize;
    if (offset > endOfFile_)
        Fail(QStringLiteral("TThumbDB.WriteBlock: block %1 lies past the end of the file").arg(b));
    std::memcpy(dirty_[b].data(), data, kBlockSize);
    if (offset == endOfFile_)
        endOfFile_ += kBlockSize;
}

quint32 TThumbDB::AppendBlock(const char* data) {
    const quint32 b = static_cast<quint32>(endOfFile_ / kBlockSize);
    WriteBlock(b, data);
    return b;
}

quint32 TThumbDB::AllocBlock() {
    const quint32 m = static_cast<quint32>(fat_.Count());
    quint32 b = freeHint_;
    while (b < m && fat_[static_cast<int>(b)] != kFree)
        ++b;
    if (b >= m) {
        if (endOfFile_ != static_cast<qint64>(m) * kBlockSize)
            Fail(QStringLiteral("TThumbDB.AllocBlock: the file does not end where the FAT ends"));
        Block block;
        block.fill(static_cast<char>(0xFF));
        const quint32 f = AppendBlock(block.data());
        for (int i = 0; i < kEntriesPerBlock; ++i)
            fat_.Add(kFree);
        fat_[static_cast<int>(fatBlocks_.Last())] = f;
        fat_[static_cast<int>(f)] = kEnd;
        fatBlocks_.Add(f);
        PutInt32(header_.data() + 20, GetInt32(header_.data() + 20) + 1);
        b = f + 1;
    }
    freeHint_ = b + 1;
    fat_[static_cast<int>(b)] = kEnd;
    return b;
}

// A directory entry holds the first block in 16 bits: a chain that would have
// to start above block 65535 cannot be recorded, so the operation fails before
// anything changes.
quint32 TThumbDB::AllocFirstBlock(const char* operation) {
    const quint32 m = static_cast<quint32>(fat_.Count());
    quint32 b = freeHint_;
    while (b < m && fat_[static_cast<int>(b)] != kFree)
        ++b;
    freeHint_ = b;
    const quint32 candidate = b < m ? b : m + 1;
    if (candidate > static_cast<quint32>(kMaxFirstBlock))
        Fail(QStringLiteral("TThumbDB.%1: the store is full (no chain can start above block %2)")
                 .arg(QLatin1String(operation))
                 .arg(kMaxFirstBlock));
    return AllocBlock();
}

void TThumbDB::FreeChain(quint32 first, bool keepFirst) {
    const quint32 m = static_cast<quint32>(fat_.Count());
    quint32 b = first;
    if (keepFirst) {
        b = fat_[static_cast<int>(first)];
        fat_[static_cast<int>(first)] = kEnd;
    }
    quint32 steps = 0;
    while (b != kEnd) {
        if (b >= m || ++steps > m || fat_[static_cast<int>(b)] == kFree)
            Fail(
                QStringLiteral("TThumbDB.FreeChain: the chain from block %1 is broken").arg(first));
        const quint32 next = fat_[static_cast<int>(b)];
        fat_[static_cast<int>(b)] = kFree;
        freeHint_ = std::min(freeHint_, b);
        b = next;
    }
}

QByteArray TThumbDB::ReadChain(quint32 first, qint32 size) {
    QByteArray out;
    if (size <= 0)
        return out;
    out.resize(size);
    const quint32 m = static_cast<quint32>(fat_.Count());
    const qint64 n = BlocksFor(size);
    quint32 b = first;
    for (qint64 k = 0; k < n; ++k) {
        if (b >= m || fat_[static_cast<int>(b)] == kFree)
            Fail(QStringLiteral("TThumbDB.ReadChain: the chain from block %1 ends early")
                     .arg(first));
        const Block block = ReadBlock(b);
        const qint64 take = std::min<qint64>(kBlockSize, size - k * kBlockSize);
        std::memcpy(out.data() + k * kBlockSize, block.data(), static_cast<size_t>(take));
        b = fat_[static_cast<int>(b)];
    }
    return out;
}

void TThumbDB::WriteChain(quint32 first, const QByteArray& stream) {
    FreeChain(first, true);
    const qint64 size = stream.size();
    qint64 pos = 0;
    quint32 previous = 0;
    do {
        Block block;
        const qint64 take = std::min<qint64>(kBlockSize, size - pos);
        if (take < kBlockSize)
            block.fill(static_cast<char>(0xCC));
        std::memcpy(block.data(), stream.constData() + pos, static_cast<size_t>(take));
        quint32 b = first;
        if (pos > 0) {
            b = AllocBlock();
            fat_[static_cast<int>(previous)] = b;
        }
        WriteBlock(b, block.data());
        previous = b;
        pos += take;
    } while (pos < size);
}

// Checks the entries of a directory just read against the FAT as the store
// was opened: every chain starts where no other chain runs, is claimed by one
// entry only and is as long as the entry's size says.
void TThumbDB::CheckEntries(const TCFFolder& folder) {
    for (const TaaCFDirEntry& e : folder.Entries) {
        const QString name = QString::fromLocal8Bit(e.Name);
        if (e.Size < 0)
            Fail(QStringLiteral("TThumbDB.ReadDirectory: entry \"%1\" has a negative size")
                     .arg(name));
        if (e.FirstBlock == 0) {
            if (e.Size != 0)
                Fail(
                    QStringLiteral("TThumbDB.ReadDirectory: entry \"%1\" has %2 bytes but no block")
                        .arg(name)
                        .arg(e.Size));
            continue;
        }
        const quint32 first = e.FirstBlock;
        if (first >= openedBlocks_ || openedFat_[first] == kFree)
            Fail(QStringLiteral("TThumbDB.ReadDirectory: the chain of entry \"%1\" starts at free "
                                "block %2")
                     .arg(name)
                     .arg(first));
        if (openedIndegree_[first] != 0 || claimed_[first])
            Fail(QStringLiteral("TThumbDB.ReadDirectory: block %1 belongs to two chains")
                     .arg(first));
        claimed_[first] = true;
        qint64 length = 0;
        for (quint32 b = first; b != kEnd; b = openedFat_[b])
            ++length;
        if (length != std::max<qint64>(1, BlocksFor(e.Size)))
            Fail(QStringLiteral(
                     "TThumbDB.ReadDirectory: entry \"%1\" has %2 bytes but a chain of %3 "
                     "blocks")
                     .arg(name)
                     .arg(e.Size)
                     .arg(length));
    }
}

// ---------------------------------------------------------------------------
// Folders, subfiles, thumbnails

template <typename F> auto TThumbDB::Guarded(F&& f) -> decltype(f()) {
    if (!open_)
        Fail(QStringLiteral("TThumbDB: the store is closed"));
    if (failed_)
        Fail(QStringLiteral("TThumbDB: an earlier operation on the store failed"));
    try {
        return f();
    } catch (...) {
        // A failed operation may have left the store half changed: nothing of
        // this session is written.
        failed_ = true;
        throw;
    }
}

bool TThumbDB::IsValidHandle(const TCFFolder* folder) const {
    if (!folder)
        return false;
    if (folder == root_.get())
        return true;
    for (const auto& f : openFolders_)
        if (f.get() == folder)
            return true;
    return false;
}

TCFFolder* TThumbDB::Root() {
    return Guarded([&] {
        if (!root_) {
            auto root = std::make_unique<TCFFolder>(nullptr, QByteArray());
            const qint32 rootSize = GetInt32(header_.data() + 24);
            if (rootSize != 0) {
                root->ReadDirectory(ReadChain(2, rootSize));
                CheckEntries(*root);
            }
            root_ = std::move(root);
        }
        return root_.get();
    });
}

TCFFolder* TThumbDB::AddFolder(TCFFolder* parent, const QString& name) {
    return Guarded([&] {
        if (!IsValidHandle(parent))
            Fail(QStringLiteral("TThumbDB.AddFolder: parent is not valid handle"));
        const QByteArray bytes = EncodeName(name, "AddFolder");
        const TaaCFDirEntry* entry = parent->FindEntry(bytes, TaaCFDirEntry::etFolder);
        std::unique_ptr<TCFFolder> folder;
        if (entry) {
            const QString key = KeyOf(bytes);
            for (const auto& f : openFolders_)
                if (f->Parent == parent && CompareThumbNames(KeyOf(f->Name), key) == 0)
                    return f.get();
            folder = std::make_unique<TCFFolder>(parent, bytes);
            if (entry->Size != 0) {
                folder->ReadDirectory(ReadChain(entry->FirstBlock, entry->Size));
                CheckEntries(*folder);
            }
        } else {
            folder = std::make_unique<TCFFolder>(parent, bytes);
            folder->Modified = true;
            parent->AddEntry(bytes, TaaCFDirEntry::etFolder);
        }
        openFolders_.push_back(std::move(folder));
        return openFolders_.back().get();
    });
}

TaaCFDirEntry* TThumbDB::UpdateSubfile(TCFFolder* parent, const QString& name,
                                       const QByteArray& stream) {
    return Guarded([&] {
        if (!IsValidHandle(parent))
            Fail(QStringLiteral("TThumbDB.UpdateSubfile: parent is not valid handle"));
        const QByteArray bytes = EncodeName(name, "UpdateSubfile");
        if (stream.size() > std::numeric_limits<qint32>::max())
            Fail(QStringLiteral("TThumbDB.UpdateSubfile: stream too large"));
        TaaCFDirEntry* entry = parent->FindEntry(bytes, TaaCFDirEntry::etSubfile);
        quint32 first = entry ? entry->FirstBlock : 0;
        if (!stream.isEmpty() && first == 0)
            first = AllocFirstBlock("UpdateSubfile");
        if (!entry)
            entry = parent->AddEntry(bytes, TaaCFDirEntry::etSubfile);
        if (!stream.isEmpty()) {
            entry->FirstBlock = static_cast<quint16>(first);
            WriteChain(first, stream);
        } else if (entry->FirstBlock != 0) {
            FreeChain(entry->FirstBlock, false);
            entry->FirstBlock = 0;
        }
        entry->Size = static_cast<qint32>(stream.size());
        entry->TimeStamp = clock_();
        parent->Modified = true;
        return entry;
    });
}

void TThumbDB::WriteThumb(const QString& path, int width, int height, int bitsPerPixel,
                          const QByteArray& stream, double pictureTimeStamp) {
    Guarded([&] {
        const QStringList parts = SplitThumbPath(path);
        for (const QString& part : parts)
            EncodeName(part, "WriteThumb");
        TCFFolder* folder = Root();
        for (qsizetype i = 0; i + 1 < parts.size(); ++i)
            folder = AddFolder(folder, parts[i]);
        TaaCFDirEntry* entry = UpdateSubfile(folder, parts.last(), stream);
        entry->TimeStamp = pictureTimeStamp;
        entry->Attributes[0] = 0;
        entry->Attributes[1] = width;
        entry->Attributes[2] = height;
        entry->Attributes[3] = bitsPerPixel;
    });
}

bool TThumbDB::ReadThumb(const QString& path, QByteArray& stream, TThumbInfo* info) {
    return Guarded([&] {
        const QStringList parts = SplitThumbPath(path);
        for (const QString& part : parts)
            EncodeName(part, "ReadThumb");
        TCFFolder* folder = Root();
        for (qsizetype i = 0; i + 1 < parts.size(); ++i)
            folder = AddFolder(folder, parts[i]);
        const TaaCFDirEntry* entry =
            folder->FindEntry(parts.last().toLocal8Bit(), TaaCFDirEntry::etSubfile);
        stream.clear();
        if (!entry)
            return false;
        stream = ReadChain(entry->FirstBlock, entry->Size);
        if (info) {
            info->TimeStamp = entry->TimeStamp;
            info->Width = entry->Attributes[1];
            info->Height = entry->Attributes[2];
            info->BitsPerPixel = entry->Attributes[3];
        }
        return true;
    });
}
