#include "uPrintDevice.h"

#include "uPrintDIB.h"
#include "uZRDib.h"

#include <QImage>
#include <QPainter>
#include <QTransform>

namespace {
TPrintDevice* g_device = nullptr;
}

int DrawBottomUp(QPainter& painter, const TPrintRect& dest, const QImage& bottomUp,
                 const TPrintRect& source) {
    const int sw = source.Width();
    const int sh = source.Height();
    if (sw <= 0 || sh <= 0 || dest.Width() == 0 || dest.Height() == 0)
        return 0;
    // The block's first stored line is the bottom of the picture: map the
    // block's box onto the destination upside down.
    const QRectF box(0, 0, sw, sh);
    QTransform t;
    t.translate(dest.left, dest.bottom);
    t.scale(double(dest.Width()) / sw, -double(dest.Height()) / sh);
    painter.save();
    painter.setTransform(t, true);
    painter.drawImage(box, bottomUp, QRectF(source.left, source.top, sw, sh));
    painter.restore();
    return sh;
}

int TPrintDevice::StretchDIBits(const TPrintRect& dest, const QImage& bottomUp,
                                const TPrintRect& source) {
    QPainter* p = Canvas();
    if (!p)
        return 0;
    return DrawBottomUp(*p, dest, bottomUp, source);
}

QPaintDevice* TPrintDevice::Device() const {
    auto* self = const_cast<TPrintDevice*>(this);
    QPainter* p = self->Canvas();
    return p ? p->device() : nullptr;
}

TPrintDevice* CurrentPrintDevice() {
    return g_device;
}

void SetCurrentPrintDevice(TPrintDevice* device) {
    g_device = device;
    SetCurrentPrinterInfo(device);
    // Pictures drawn on the printer's page go through the picture output.
    static const bool installed = [] {
        SetPrinterPictureOutput(
            [](const TDib& dib, const QRect& dest, const QRect& source, bool gray) {
                return PrintDIB(dib,
                                TPrintRect{dest.x(), dest.y(), dest.x() + dest.width(),
                                           dest.y() + dest.height()},
                                TPrintRect{source.x(), source.y(), source.x() + source.width(),
                                           source.y() + source.height()},
                                gray);
            });
        return true;
    }();
    (void)installed;
}
