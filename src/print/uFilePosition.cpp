#include "uFilePosition.h"

#include "uLeonardo.h"

#include <QPainter>

TFilePosition::TFilePosition(std::int32_t areaWidth, std::int32_t areaHeight)
    : cw_(areaWidth), ch_(areaHeight) {}

void TFilePosition::Load(const QString& fileName, bool autoRotate) {
    dib_.LoadFromFile(fileName);
    if (!HasPicture())
        return;
    if (autoRotate && NeedsAutoRotate(dib_.Width(), dib_.Height(), cw_, ch_)) {
        const QString name = dib_.FileName();
        dib_.SetHandle(RotateDIB(dib_.Handle(), 900, 0xFFFFFF)); // empty on failure
        if (HasPicture())
            dib_.SetFileName(name);
    }
}

TIntRect TFilePosition::VisibleSourceRect() const {
    if (!HasPicture())
        return {};
    const TPicLayout layout = LayoutPicture(dib_.Width(), dib_.Height(), cw_, ch_, 1.0, 0.5, 0.5);
    return ::VisibleSourceRect(dib_.Width(), dib_.Height(), cw_, ch_, layout);
}

void TFilePosition::PrintTo(TPrintDevice& device, const TPrintRect& rect) {
    QPainter* canvas = device.Canvas();
    if (!canvas || !HasPicture())
        return;
    const TIntRect s = VisibleSourceRect();
    dib_.DrawRect(*canvas, QRect(rect.left, rect.top, rect.Width(), rect.Height()),
                  QRect(s.left, s.top, s.Width(), s.Height()));
}
