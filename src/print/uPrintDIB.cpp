#include "uPrintDIB.h"

#include "uDib.h"
#include "uRound.h"

#include <QImage>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>

namespace {

std::atomic<int> g_pause{100};

void Pause() {
    const int ms = g_pause.load();
    if (ms > 0)
        QThread::msleep(static_cast<unsigned long>(ms));
}

// The sw x sh block of 24-bit pixels starting at column src.left of the
// stored rows from `firstRow` (counted from the bottom) on, as a bottom-up
// image of its own.
QImage CutOut24(const TDib& dib, std::int32_t left, std::int32_t firstRow, std::int32_t sw,
                std::int32_t sh) {
    QImage out(sw, sh, QImage::Format_BGR888);
    if (out.isNull())
        return out;
    const std::size_t stride = dib.Stride();
    const std::uint8_t* bits = dib.Bits();
    for (std::int32_t r = 0; r < sh; ++r) {
        const std::uint8_t* from =
            bits + (std::size_t(firstRow) + r) * stride + std::size_t(left) * 3;
        std::memcpy(out.scanLine(r), from, std::size_t(sw) * 3);
    }
    return out;
}

QImage Gray8(const TDib& dib, std::int32_t left, std::int32_t firstRow, std::int32_t sw,
             std::int32_t sh) {
    QImage out(sw, sh, QImage::Format_Indexed8);
    if (out.isNull())
        return out;
    QList<QRgb> table(256);
    for (int i = 0; i < 256; ++i)
        table[i] = qRgb(i, i, i);
    out.setColorTable(table);
    const std::size_t stride = dib.Stride();
    const std::uint8_t* bits = dib.Bits();
    for (std::int32_t r = 0; r < sh; ++r) {
        const std::uint8_t* from =
            bits + (std::size_t(firstRow) + r) * stride + std::size_t(left) * 3;
        std::uint8_t* to = out.scanLine(r);
        for (std::int32_t x = 0; x < sw; ++x, from += 3)
            to[x] = GrayValue(from[0], from[1], from[2]);
    }
    return out;
}

// The whole picture as a bottom-up image sharing the DIB's memory.
QImage WrapWhole(const TDib& dib) {
    const int bits = dib.BitCount();
    QImage::Format format;
    if (bits == 24)
        format = QImage::Format_BGR888;
    else if (bits == 32)
        format = QImage::Format_RGB32; // blue, green, red, unused in memory
    else
        return QImage();
    return QImage(dib.Bits(), dib.Width(), dib.Height(), qsizetype(dib.Stride()), format);
}

} // namespace

std::uint8_t GrayValue(std::uint8_t blue, std::uint8_t green, std::uint8_t red) {
    const double v = 0.3 * red + 0.59 * green + 0.11 * blue;
    return static_cast<std::uint8_t>(std::clamp(RoundEven(v), 0, 255));
}

void SetPrintDIBPause(int milliseconds) {
    g_pause.store(std::max(0, milliseconds));
}

int PrintDIBPause() {
    return g_pause.load();
}

TPrintDIBPlan PlanPrintDIB(int pageWidth, int pageHeight, std::int32_t pictureWidth,
                           std::int32_t pictureHeight, int bitCount, const TPrintRect& destIn,
                           const TPrintRect& srcIn, bool gray) {
    TPrintDIBPlan plan;
    TPrintRect d = destIn;
    TPrintRect s = srcIn;
    const int pw = pageWidth;
    const int ph = pageHeight;
    if (d.left > pw || d.right < 0 || d.top > ph || d.bottom < 0)
        return plan;

    if (d.left < 0) {
        const std::int32_t w = d.right - d.left;
        d.left = 0;
        s.left = s.right - MulDiv(s.right - s.left, d.right, w);
    }
    if (d.top < 0) {
        const std::int32_t h = d.bottom - d.top;
        d.top = 0;
        s.top = s.bottom - MulDiv(s.bottom - s.top, d.bottom, h);
    }
    if (d.right > pw) {
        const std::int32_t w = d.right - d.left;
        d.right = pw;
        s.right = s.left + MulDiv(s.right - s.left, pw - d.left, w);
    }
    if (d.bottom > ph) {
        const std::int32_t h = d.bottom - d.top;
        d.bottom = ph;
        s.bottom = s.top + MulDiv(s.bottom - s.top, ph - d.top, h);
    }

    plan.dest = d;
    plan.src = s;
    plan.sw = std::min(s.right - s.left, pictureWidth);
    plan.sh = std::min(s.bottom - s.top, pictureHeight);

    if (gray && bitCount == 24) {
        plan.path = TPrintDIBPath::Gray;
    } else if ((double(plan.sw) / pictureWidth > 0.95 && double(plan.sh) / pictureHeight > 0.95) ||
               bitCount != 24) {
        plan.path = TPrintDIBPath::Whole;
        plan.originX = s.left;
        plan.originY = pictureHeight - s.top - plan.sh;
    } else {
        plan.path = TPrintDIBPath::CutOut;
    }
    return plan;
}

int PrintDIB(TPrintDevice& device, const TDib& dib, const TPrintRect& dest, const TPrintRect& src,
             bool gray) {
    if (dib.IsEmpty() || dib.Width() <= 0 || dib.Height() <= 0)
        return 0;
    const int bits = dib.BitCount();
    const TPrintDIBPlan plan = PlanPrintDIB(device.PageWidth(), device.PageHeight(), dib.Width(),
                                            dib.Height(), bits, dest, src, gray);
    if (plan.path == TPrintDIBPath::None)
        return 0;

    // The part to send must lie inside the picture; a source rectangle that
    // reaches outside it (or is empty after clipping) sends nothing rather
    // than reading beyond the pixel rows.
    const std::int32_t W = dib.Width();
    const std::int32_t H = dib.Height();
    const std::int32_t left = plan.src.left;
    const std::int32_t firstRow = H - plan.src.top - plan.sh;
    if (plan.sw <= 0 || plan.sh <= 0 || left < 0 || left + plan.sw > W || firstRow < 0 ||
        firstRow + plan.sh > H)
        return 0;
    const TPrintRect box{0, 0, plan.sw, plan.sh};

    switch (plan.path) {
    case TPrintDIBPath::Whole: {
        const QImage whole = WrapWhole(dib);
        if (whole.isNull())
            return 0; // pictures with a colour table are not printed
        const TPrintRect source{plan.originX, plan.originY, plan.originX + plan.sw,
                                plan.originY + plan.sh};
        return device.StretchDIBits(plan.dest, whole, source);
    }
    case TPrintDIBPath::CutOut:
    case TPrintDIBPath::Gray: {
        const QImage part = plan.path == TPrintDIBPath::Gray
                                ? Gray8(dib, left, firstRow, plan.sw, plan.sh)
                                : CutOut24(dib, left, firstRow, plan.sw, plan.sh);
        int result = 0;
        if (!part.isNull()) {
            try {
                result = device.StretchDIBits(plan.dest, part, box);
            } catch (const std::exception&) {
                result = 0;
            }
        }
        Pause();
        return result;
    }
    case TPrintDIBPath::None:
        break;
    }
    return 0;
}

int PrintDIB(const TDib& dib, const TPrintRect& dest, const TPrintRect& src, bool gray) {
    TPrintDevice* device = CurrentPrintDevice();
    if (!device)
        return 0;
    return PrintDIB(*device, dib, dest, src, gray);
}
