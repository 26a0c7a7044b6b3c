#include "uPlacement.h"

#include "uZRRegistry.h"

namespace {
const QString kWindowState = QStringLiteral("WindowState");
const QString kLeft = QStringLiteral("Left");
const QString kTop = QStringLiteral("Top");
const QString kWidth = QStringLiteral("Width");
const QString kHeight = QStringLiteral("Height");
} // namespace

QRect DefaultPlacementBounds(const QRect& workArea) {
    return QRect(workArea.x() + 30, workArea.y() + 30, workArea.width() - 60,
                 workArea.height() - 60);
}

QRect FitPlacementBounds(const QRect& bounds, const QRect& workArea) {
    int left = bounds.x();
    int top = bounds.y();
    int width = bounds.width();
    int height = bounds.height();
    const int waRight = workArea.x() + workArea.width();
    const int waBottom = workArea.y() + workArea.height();
    if (width > workArea.width())
        width = workArea.width();
    if (height > workArea.height())
        height = workArea.height();
    if (left + width > waRight)
        left = waRight - width;
    if (top + height > waBottom)
        top = waBottom - height;
    // Never above or left of the work area: a title bar under a task bar at
    // the top or left could not be grabbed any more.
    if (left < workArea.x())
        left = workArea.x();
    if (top < workArea.y())
        top = workArea.y();
    return QRect(left, top, width, height);
}

TRestoredPlacement RestorePlacement(const TZRRegIniFile& store, const QString& section,
                                    const QRect& workArea, bool currentlyMaximised) {
    const QRect def = DefaultPlacementBounds(workArea);
    const int left = store.ReadInteger(section, kLeft, def.x());
    const int top = store.ReadInteger(section, kTop, def.y());
    int width = store.ReadInteger(section, kWidth, def.width());
    int height = store.ReadInteger(section, kHeight, def.height());
    // A window of no size could never be seen again.
    if (width <= 0)
        width = def.width();
    if (height <= 0)
        height = def.height();

    TRestoredPlacement r;
    r.Bounds = FitPlacementBounds(QRect(left, top, width, height), workArea);
    const int state =
        store.ReadInteger(section, kWindowState, currentlyMaximised ? wsMaximized : wsNormal);
    r.Maximised = state == wsMaximized;
    return r;
}

void SavePlacement(TZRRegIniFile& store, const QString& section, bool minimised, bool maximised,
                   const QRect& bounds) {
    if (minimised)
        return;
    store.WriteInteger(section, kWindowState, maximised ? wsMaximized : wsNormal);
    if (maximised)
        return;
    store.WriteInteger(section, kLeft, bounds.x());
    store.WriteInteger(section, kTop, bounds.y());
    store.WriteInteger(section, kWidth, bounds.width());
    store.WriteInteger(section, kHeight, bounds.height());
}
