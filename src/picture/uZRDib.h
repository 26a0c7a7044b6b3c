#pragma once
// TZRDib: the picture of one position, a filter dialog or the clipboard. It
// owns one packed DIB, loads it from a picture file through the import
// function, keeps it below the memory ceiling, tells listeners about import
// progress and every change of picture, and draws the whole picture or a part
// of it onto a painter. Used on the GUI thread only.

#include "uDib.h"

#include <QRect>
#include <QSize>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>

class QPainter;

// The printer picture output: draws the source rectangle (picture pixels,
// counted from the top-left corner) of the picture into the destination
// rectangle (printer device pixels) of the running print job, as 8-bit grey
// when gray is set. Answers the number of scan lines printed.
using TPrinterPictureOutput =
    std::function<int(const TDib& dib, const QRect& dest, const QRect& source, bool gray)>;

// The print module installs its output here; an empty function removes it.
// While none is installed, pictures are drawn on the printer's painter like
// on any other.
void SetPrinterPictureOutput(TPrinterPictureOutput output);

class TZRDib {
public:
    // A picture block larger than this (3900 x 3900 x 8 bits) is reduced at
    // once when it arrives.
    static constexpr std::size_t kMemoryCeiling = 15210000;
    // The flag word of the import for a picture image.
    static constexpr std::uint32_t kImportFlags = 776;

    TZRDib() = default;
    ~TZRDib() = default; // the TDib frees the block
    TZRDib(const TZRDib&) = delete;
    TZRDib& operator=(const TZRDib&) = delete;

    // The picture; empty means no picture.
    const TDib& Handle() const noexcept { return handle_; }
    // Copy of the picture's header, refreshed whenever the picture changes.
    const TBitmapInfoHeader& Header() const noexcept { return header_; }
    // The file the picture was loaded from; empty for pictures from anywhere
    // else.
    const QString& FileName() const noexcept { return fileName_; }
    // Set by whoever hands over a picture that came from a file (the paste of
    // a copied position).
    void SetFileName(const QString& fileName) { fileName_ = fileName; }
    // Last percentage reported during the current import.
    std::int32_t Progress() const noexcept { return progress_; }

    // Meaningful only while Handle() is not empty.
    std::int32_t Width() const noexcept { return header_.biWidth; }
    std::int32_t Height() const noexcept { return header_.biHeight; }
    int BitCount() const noexcept { return header_.biBitCount; }

    // Import progress 0..100.
    std::function<void(TZRDib& sender, std::int32_t percent)> OnProgress;
    // After every assignment of a picture (also of none).
    std::function<void(TZRDib& sender)> OnChange;

    // Takes the picture (which may be empty), frees the previous one, clears
    // FileName, reduces a picture above the memory ceiling and fires OnChange.
    void SetHandle(TDib dib);

    // Imports the file. Throws Exception with a German message when the file
    // does not exist or cannot be imported; the picture held before then
    // stays.
    void LoadFromFile(const QString& fileName);

    // Imports a file without keeping it (no reduction): the same checks and
    // messages as LoadFromFile. listener, when given, receives the progress.
    static TDib Import(const QString& fileName, TZRDib* listener = nullptr);

    // Draws the whole picture stretched into rect (a picture larger than the
    // rectangle is resampled to fit first).
    void Draw(QPainter& painter, const QRect& rect) const;
    // Draws the source rectangle of the picture (pixels from the top-left
    // corner) stretched into the destination rectangle. On the painter of a
    // running print job the picture goes to the printer picture output.
    void DrawRect(QPainter& painter, const QRect& dest, const QRect& source) const;

    // The German explanation of an import error code; empty for unknown
    // codes.
    static QString ImportErrorText(std::int32_t code);
    // "Grafik konnte nicht geladen werden. Fehlercode: <code>\r\n<text>"
    static QString ImportFailedMessage(std::int32_t code);

    // The size a picture of width x height x bitCount is reduced to when its
    // block is above the ceiling: about kMemoryCeiling bytes of pixels,
    // aspect ratio kept.
    static QSize ReducedSize(std::int32_t width, std::int32_t height, int bitCount);

    // The import's progress callback; user is the TZRDib.
    static std::int32_t ImportProgress(std::int32_t percent, void* user);

private:
    TDib handle_;
    TBitmapInfoHeader header_{};
    QString fileName_;
    std::int32_t progress_ = 0;
};
