#pragma once
// The thumbnail store: every thumbnail the picture browser has shown, kept in
// one block-structured file ("TDTHUMB.DAT").
//
// The file is a small file system of 512-byte blocks: block 0 is the header,
// a block allocation table (FAT) chains blocks together, and a tree of
// directories mirrors the folder tree of the disk. The leaves (subfiles) hold
// the thumbnail data. All integers are little-endian.
//
// Names are 8-bit byte strings in the file: the Windows ANSI code page on
// Windows, UTF-8 elsewhere (QString::toLocal8Bit / fromLocal8Bit).
//
// Order of directory entries: folders before subfiles, then names compared
// case-insensitively in the user's locale. Both names are case-folded
// (QString::toCaseFolded) and compared with a QCollator of the user's locale;
// names the collator finds equal but whose folded forms differ are ordered by
// their folded UTF-16 code units. Two names are thus the same entry exactly
// when they differ in letter case only, and the same comparison places and
// finds every entry.
//
// Robustness: the file is never trusted. Opening validates the header and the
// whole FAT (chains stay inside the file and the FAT, no block is shared by
// two chains, no loops, no chain runs into a free block); every directory that
// is read is checked against the FAT (sizes match chains, entry counts are
// sane, no chain is claimed twice). Every problem raises EThumbDB.
//
// Writes are held in memory until Close(), which commits them so that a
// killed process never leaves wrong data: first every block the store as
// opened does not use (new and free blocks); then, only if blocks in use must
// change, a journal of their new contents past the end of the store, the
// header marked "update in progress" (block size 0, which every reader of the
// format refuses) with the journal's place and checksum, the blocks in place,
// and the real header; last the file is cut to the store's end. Opening a
// marked store replays a complete journal; without one it refuses the file.
// A store whose operation failed is closed without writing anything.

#include "uException.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

// Failures of the thumbnail store (damaged file, file errors, limits).
class EThumbDB : public Exception {
public:
    using Exception::Exception;
};

// A growable list of unsigned 32-bit words; optionally kept sorted.
class TaaLongWordList {
public:
    int Count() const { return static_cast<int>(words_.size()); }
    int Capacity() const { return static_cast<int>(words_.capacity()); }
    void SetCapacity(int capacity);
    // Read and write access by index; no range check.
    quint32& operator[](int i) { return words_[static_cast<size_t>(i)]; }
    quint32 operator[](int i) const { return words_[static_cast<size_t>(i)]; }
    quint32 Last() const { return words_.back(); }
    bool Sorted() const { return sorted_; }
    // Switching Sorted on does not reorder the words already in the list.
    void SetSorted(bool sorted) { sorted_ = sorted; }
    // Empties the list and switches Sorted on.
    void Clear();
    // Unsorted: appends and answers the new index. Sorted and not empty:
    // answers -1 for a word already present, otherwise inserts it at its
    // ascending position and answers that position.
    int Add(quint32 word);
    const quint32* Data() const { return words_.data(); }
    // Appends n words (unsorted) and answers where they start, to be filled.
    quint32* Grow(int n) {
        words_.resize(words_.size() + static_cast<size_t>(n));
        return words_.data() + words_.size() - static_cast<size_t>(n);
    }

private:
    std::vector<quint32> words_;
    bool sorted_ = true;
};

// One directory entry.
struct TaaCFDirEntry {
    enum : quint8 { etFolder = 1, etSubfile = 2 };

    QByteArray Name; // 8-bit bytes as stored
    quint8 EntryType = 0;
    quint16 FirstBlock = 0; // 0 = no data
    qint32 Size = 0;
    double TimeStamp = 0; // days since 30 Dec 1899, local time
    qint32 Attributes[4] = {0, 0, 0, 0};

    QString Key; // case-folded name, the sort key
};

// An open directory of the store; the object is the handle passed around.
class TCFFolder {
public:
    TCFFolder(TCFFolder* parent, QByteArray name);

    // The leftmost entry with this name (any letter case) and type, or null.
    TaaCFDirEntry* FindEntry(const QByteArray& name, quint8 type);
    // Inserts a new all-zero entry at its sorted position and marks the folder
    // modified. Does not look for an existing entry.
    TaaCFDirEntry* AddEntry(const QByteArray& name, quint8 type);
    // Parses a directory stream (entries appended in stream order). Raises
    // EThumbDB for a stream that is shorter than its entries or otherwise
    // malformed.
    void ReadDirectory(const QByteArray& stream);
    QByteArray WriteDirectory() const;
    int Count() const { return static_cast<int>(Entries.size()); }

    std::vector<TaaCFDirEntry> Entries;
    bool Modified = false;
    QByteArray Name;
    TCFFolder* Parent = nullptr;

private:
    // Index of the leftmost entry not ordered before (key, type).
    size_t LowerBound(const QString& key, quint8 type) const;
};

// Compares two case-folded names in the user's locale (see above).
int CompareThumbNames(const QString& foldedA, const QString& foldedB);
// Splits a picture path into its store folders and subfile name: deletes
// every ":", replaces every "\\" by "\" and splits at the separators of the
// path style ("\" and "/" for Windows, "/" for POSIX). Empty parts are kept,
// so "\\server\share\a.jpg" starts with a folder of empty name.
enum class ThumbPathStyle { Windows, Posix };
QStringList SplitThumbPath(const QString& path, ThumbPathStyle style);
// The same for the platform the program runs on.
QStringList SplitThumbPath(const QString& path);

struct TThumbInfo {
    double TimeStamp = 0;
    int Width = 0;
    int Height = 0;
    int BitsPerPixel = 0;
};

class TThumbDB {
public:
    enum OpenMode {
        omOpenExisting, // read/write, the file must exist
        omCreateOrOpen  // read/write, an absent file is created (never truncated)
    };

    // Opens the store; an empty file gets a new store. The file is locked
    // against other processes until Close(). Raises EThumbDB; nothing is
    // written to a file that fails to open.
    TThumbDB(const QString& fileName, OpenMode mode);
    // Closes without raising (see Close()).
    ~TThumbDB();
    TThumbDB(const TThumbDB&) = delete;
    TThumbDB& operator=(const TThumbDB&) = delete;

    // Writes everything back and closes the file. After a failed operation
    // nothing is written. Raises EThumbDB when the changes cannot be written.
    void Close();

    TCFFolder* AddFolder(TCFFolder* parent, const QString& name);
    TaaCFDirEntry* UpdateSubfile(TCFFolder* parent, const QString& name, const QByteArray& stream);
    void WriteThumb(const QString& path, int width, int height, int bitsPerPixel,
                    const QByteArray& stream, double pictureTimeStamp);
    bool ReadThumb(const QString& path, QByteArray& stream, TThumbInfo* info = nullptr);

    TCFFolder* Root();

    // Days since 30 December 1899 in local time, with the time of day as the
    // fraction; the clock can be replaced (tests).
    static double Now();
    using Clock = double (*)();
    void SetClock(Clock clock) { clock_ = clock; }

    // Observer called before every write to the file with its byte offset and
    // length (tests use it to stop the process at a chosen write).
    using WriteObserver = void (*)(qint64 offset, qint64 length);
    static void SetWriteObserver(WriteObserver observer);

    // State for tests and tools.
    qint64 EndOfFile() const { return endOfFile_; }
    const TaaLongWordList& FAT() const { return fat_; }
    const TaaLongWordList& FATBlocks() const { return fatBlocks_; }

    static constexpr int kBlockSize = 512;
    static constexpr quint32 kFree = 0xFFFFFFFFu;
    static constexpr quint32 kEnd = 0xFFFFFFFEu;
    static constexpr int kMaxFirstBlock = 65535;

private:
    using Block = std::array<char, kBlockSize>;

    void CreateNew();
    void OpenExisting();
    void LoadFAT();
    void ValidateFAT();
    void SaveFAT();
    Block ReadBlock(quint32 b);
    void WriteBlock(quint32 b, const char* data);
    quint32 AppendBlock(const char* data);
    quint32 AllocBlock();
    quint32 AllocFirstBlock(const char* operation);
    void FreeChain(quint32 first, bool keepFirst);
    QByteArray ReadChain(quint32 first, qint32 size);
    void WriteChain(quint32 first, const QByteArray& stream);
    void CheckEntries(const TCFFolder& folder);
    void ClaimStart(quint32 block);
    void ReleaseStart(quint32 block);
    bool IsValidHandle(const TCFFolder* folder) const;
    void FlushFolder(TCFFolder* folder);
    void Commit();
    bool ReplayJournal();
    void WriteToFile(qint64 offset, const char* data, qint64 length);
    void CloseFile();
    template <typename F> auto Guarded(F&& f) -> decltype(f());

    QFile file_;
    QString fileName_;
    qint64 endOfFile_ = 0;
    std::array<char, kBlockSize> header_{};
    TaaLongWordList fat_;
    TaaLongWordList fatBlocks_;
    std::unique_ptr<TCFFolder> root_;
    std::vector<std::unique_ptr<TCFFolder>> openFolders_;
    Clock clock_ = &TThumbDB::Now;

    // The store as it was opened: what the commit must not disturb early.
    qint64 diskBlocks_ = 0;              // whole blocks in the file
    qint64 openedBlocks_ = 0;            // blocks of the store as opened
    std::vector<quint32> openedFat_;     // FAT as opened
    std::vector<quint8> openedIndegree_; // chains running into each block
    std::array<char, kBlockSize> openedHeader_{};
    QByteArray initialImage_; // a new store's first three blocks, until written
    // Blocks written by this session, by block number.
    std::map<quint32, Block> dirty_;
    // Blocks that start a chain claimed by a loaded directory.
    std::vector<bool> claimed_;
    // Lowest block that may be free.
    quint32 freeHint_ = 0;
    bool failed_ = false;
    bool open_ = false;
};
