#pragma once
// Checks a printed sheet rasterised from a PDF: every area's printed
// rectangle (area plus bleed, shifted by the offset) is filled with the
// area's colour, and the paper is blank elsewhere, to within one pixel.

#include "uTemplateData.h"

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <cmath>
#include <vector>

namespace PageCheck {

// A distinct, saturated colour per area.
inline QColor AreaColor(int k) {
    return QColor::fromHsv((k * 47) % 360, 200 + (k % 3) * 20, 160 + (k % 4) * 25);
}

// The printed rectangle of an area in pixels of a page rendered at dpi.
inline QRectF PrintedRect(const TPosdata& a, float ox, float oy, double dpi) {
    const double s = dpi / 25.4;
    return QRectF(QPointF((a.X - a.BleedLeft + ox) * s, (a.Y - a.BleedTop + oy) * s),
                  QPointF((a.X + a.Width + a.BleedRight + ox) * s,
                          (a.Y + a.Height + a.BleedBottom + oy) * s));
}

inline bool Near(QRgb c, const QColor& want, int tolerance) {
    return std::abs(qRed(c) - want.red()) <= tolerance &&
           std::abs(qGreen(c) - want.green()) <= tolerance &&
           std::abs(qBlue(c) - want.blue()) <= tolerance;
}

// Answers a list of faults (empty when the page is right). Pixels within one
// pixel of a rectangle's edge may be either.
inline QStringList Check(const QImage& page, const TPaperTemplate& sheet, int filled, float ox,
                         float oy, double dpi, int tolerance = 40) {
    QStringList faults;
    const QSizeF expected(sheet.Width / 25.4 * dpi, sheet.Height / 25.4 * dpi);
    if (std::abs(page.width() - expected.width()) > 1.5 ||
        std::abs(page.height() - expected.height()) > 1.5)
        faults << QStringLiteral("page is %1 x %2 pixels, expected %3 x %4")
                      .arg(page.width())
                      .arg(page.height())
                      .arg(expected.width())
                      .arg(expected.height());
    std::vector<QRectF> rects;
    for (int k = 0; k < filled; ++k)
        rects.push_back(PrintedRect(sheet.Position(k), ox, oy, dpi));
    int wrongInside = 0, wrongOutside = 0;
    for (int y = 0; y < page.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x) {
            const QPointF c(x + 0.5, y + 0.5);
            int inside = -1;
            bool nearEdge = false;
            for (int k = 0; k < filled; ++k) {
                const QRectF& r = rects[size_t(k)];
                if (r.adjusted(1, 1, -1, -1).contains(c)) {
                    inside = k;
                    break;
                }
                if (r.adjusted(-1, -1, 1, 1).contains(c))
                    nearEdge = true;
            }
            if (inside >= 0) {
                if (!Near(line[x], AreaColor(inside), tolerance) && wrongInside++ < 5)
                    faults << QStringLiteral("area %1: pixel %2,%3 is %4, expected %5")
                                  .arg(inside)
                                  .arg(x)
                                  .arg(y)
                                  .arg(QColor(line[x]).name(), AreaColor(inside).name());
            } else if (!nearEdge) {
                if (!Near(line[x], Qt::white, 8) && wrongOutside++ < 5)
                    faults << QStringLiteral("paper: pixel %1,%2 is %3, expected white")
                                  .arg(x)
                                  .arg(y)
                                  .arg(QColor(line[x]).name());
            }
        }
    }
    return faults;
}

} // namespace PageCheck
