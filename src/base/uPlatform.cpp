#include "uPlatform.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#if defined(VELAMOR_HAVE_CUPS)
#include <cups/cups.h>
#include <cups/ppd.h>

#include <unistd.h>
#endif

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#ifdef Q_OS_WIN
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>
#else
#include <sys/file.h>
#endif

namespace Platform {

QString ProgramFile() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QString();
}

QString ProgramDir() {
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QString();
}

bool MatchFileMask(const QString& fileName, const QString& mask) {
    const QString re = QRegularExpression::wildcardToRegularExpression(
        mask, QRegularExpression::UnanchoredWildcardConversion);
    QRegularExpression rx(QRegularExpression::anchoredPattern(re),
                          QRegularExpression::CaseInsensitiveOption);
    return rx.match(fileName).hasMatch();
}

#if defined(VELAMOR_HAVE_CUPS)

// The PPD interface is marked deprecated in CUPS 2.x but is what describes a
// queue's driver options; CUPS itself still serves and uses PPDs.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

QString PrinterDeviceUri(const QString& queue) {
    const QByteArray name = queue.toUtf8();
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
    if (!dest)
        return QString();
    const char* uri = cupsGetOption("device-uri", dest->num_options, dest->options);
    const QString result = uri ? QString::fromUtf8(uri) : QString();
    cupsFreeDests(1, dest);
    return result;
}

QList<PrinterOption> PrinterOptions(const QString& queue) {
    QList<PrinterOption> result;
    const QByteArray name = queue.toUtf8();
    const char* file = cupsGetPPD(name.constData());
    if (!file)
        return result;
    const QByteArray path(file);
    ppd_file_t* ppd = ppdOpenFile(path.constData());
    if (ppd) {
        ppdMarkDefaults(ppd);
        for (int g = 0; g < ppd->num_groups; ++g) {
            const ppd_group_t& group = ppd->groups[g];
            for (int o = 0; o < group.num_options; ++o) {
                const ppd_option_t& opt = group.options[o];
                PrinterOption po;
                po.Key = QString::fromUtf8(opt.keyword);
                po.Text = QString::fromUtf8(opt.text[0] ? opt.text : opt.keyword);
                po.Group = QString::fromUtf8(group.text);
                po.Default = QString::fromUtf8(opt.defchoice);
                for (int c = 0; c < opt.num_choices; ++c) {
                    const ppd_choice_t& ch = opt.choices[c];
                    if (qstrcmp(ch.choice, "Custom") == 0)
                        continue; // free sizes need an editor of their own
                    po.Choices << QString::fromUtf8(ch.choice);
                    po.ChoiceTexts << QString::fromUtf8(ch.text[0] ? ch.text : ch.choice);
                }
                if (!po.Choices.isEmpty())
                    result << po;
            }
        }
        ppdClose(ppd);
    }
    ::unlink(path.constData());
    return result;
}

int PrinterMaxCopies(const QString& queue) {
    const QByteArray name = queue.toUtf8();
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.constData(), nullptr);
    if (!dest)
        return -1;
    int result = -1;
    if (cups_dinfo_t* info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, dest)) {
        ipp_attribute_t* attr = cupsFindDestSupported(CUPS_HTTP_DEFAULT, dest, info, "copies");
        if (attr && ippGetValueTag(attr) == IPP_TAG_RANGE) {
            int upper = 1;
            ippGetRange(attr, 0, &upper);
            result = upper;
        } else if (attr && ippGetValueTag(attr) == IPP_TAG_INTEGER) {
            result = ippGetInteger(attr, 0);
        } else {
            result = 1;
        }
        cupsFreeDestInfo(info);
    }
    cupsFreeDests(1, dest);
    return result;
}

int SubmitPrintFile(const QString& queue, const QString& file, const QString& title,
                    const QList<QPair<QString, QString>>& options, QString* error) {
    cups_option_t* opts = nullptr;
    int count = 0;
    for (const auto& o : options)
        count = cupsAddOption(o.first.toUtf8().constData(), o.second.toUtf8().constData(), count,
                              &opts);
    const int job = cupsPrintFile(queue.toUtf8().constData(), QFile::encodeName(file).constData(),
                                  title.toUtf8().constData(), count, opts);
    cupsFreeOptions(count, opts);
    if (job <= 0 && error)
        *error = QString::fromUtf8(cupsLastErrorString());
    return job;
}

#pragma GCC diagnostic pop

#else

QString PrinterDeviceUri(const QString&) {
    return QString();
}

QList<PrinterOption> PrinterOptions(const QString&) {
    return {};
}

int PrinterMaxCopies(const QString&) {
    return -1;
}

int SubmitPrintFile(const QString&, const QString&, const QString&,
                    const QList<QPair<QString, QString>>&, QString* error) {
    if (error)
        *error = QStringLiteral("Druckdateien werden auf diesem System nicht unterstützt");
    return 0;
}

#endif
bool LockFileExclusive(QFile& file) {
    const int fd = file.handle();
    if (fd < 0)
        return false;
#ifdef Q_OS_WIN
    HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (h == INVALID_HANDLE_VALUE)
        return false;
    OVERLAPPED ov = {};
    return LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                      &ov) != 0;
#else
    return flock(fd, LOCK_EX | LOCK_NB) == 0;
#endif
}

void AdviseLargeBlock(void* data, std::size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t kHuge = std::uintptr_t(2) << 20;
    if (!data || size < 4 * kHuge)
        return;
    // only whole huge pages inside the block
    const std::uintptr_t begin =
        (reinterpret_cast<std::uintptr_t>(data) + kHuge - 1) & ~(kHuge - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kHuge - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    (void)data;
    (void)size;
#endif
}

bool PrefaultBlock(void* data, std::size_t size) {
#if defined(__linux__)
    constexpr std::uintptr_t kPage = 4096;
    const std::uintptr_t begin =
        (reinterpret_cast<std::uintptr_t>(data) + kPage - 1) & ~(kPage - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(kPage - 1);
    if (!data || end <= begin)
        return false;
    constexpr int kPopulateWrite = 23; // MADV_POPULATE_WRITE, Linux 5.14
    return madvise(reinterpret_cast<void*>(begin), end - begin, kPopulateWrite) == 0;
#else
    (void)data;
    (void)size;
    return false;
#endif
}

} // namespace Platform
