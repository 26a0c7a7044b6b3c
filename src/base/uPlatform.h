#pragma once
// Everything that differs between Windows and the other platforms lives behind
// these functions (and in uPlatform.cpp only).

#include <QFile>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <cstddef>

namespace Platform {
// The folder of the running program file, without trailing separator.
QString ProgramDir();
// The full path of the running program file.
QString ProgramFile();
// Case-insensitive match of a file name against a pattern such as "*.jpg",
// as Windows does on every platform.
bool MatchFileMask(const QString& fileName, const QString& mask);

// The print system (CUPS on Linux; on Windows the printer object goes through
// the spooler and these answer nothing).

// One option of a printer queue as its driver describes it.
struct PrinterOption {
    QString Key;         // "PageSize"
    QString Text;        // "Page Size"
    QString Group;       // the driver's group caption
    QStringList Choices; // choice keys
    QStringList ChoiceTexts;
    QString Default; // the queue's default choice key
};

// The queue's port: the device URI it sends to.
QString PrinterDeviceUri(const QString& queue);
// The options of the queue's driver, in the driver's order.
QList<PrinterOption> PrinterOptions(const QString& queue);
// The largest copy count the queue makes by itself; -1 when it cannot be asked.
int PrinterMaxCopies(const QString& queue);
// Hands a PDF file to the queue as one job with the given options. Answers
// the job number, or 0 with a message in *error.
int SubmitPrintFile(const QString& queue, const QString& file, const QString& title,
                    const QList<QPair<QString, QString>>& options, QString* error);

// Locks an open file against every other process that asks for the same lock
// (the thumbnail store). Answers false when another process holds it. The
// lock ends when the file is closed.
bool LockFileExclusive(QFile& file);
// A hint that a freshly allocated large block (a decoded picture) is about to
// be written from end to end: where the system offers large memory pages
// for it, they are asked for, which saves most of the page faults. Does
// nothing elsewhere or for small blocks.
void AdviseLargeBlock(void* data, std::size_t size);
// Makes the pages of a freshly allocated block present and writable without
// changing its content, so that a thread writing it later meets no page
// faults; safe while another thread writes the block. Meant to run on a
// helper thread next to a decoder. False where the system cannot do it.
bool PrefaultBlock(void* data, std::size_t size);
} // namespace Platform
