#include "uPicArtwork.h"

#include <QBitmap>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstring>

namespace {

// An open hand, palm at the hot spot (7, 7).
const char* const kHandRows[32] = {
    "     ## ## ##                   ", //
    "    #..#..#..#                  ", //
    "    #..#..#..#                  ", //
    " ## #..#..#..#                  ", //
    "#..##..#..#..#                  ", //
    "#..##..#..#..#                  ", //
    " #..#........#                  ", //
    " #...........#                  ", //
    "  #..........#                  ", //
    "  #.........#                   ", //
    "   #........#                   ", //
    "   #.......#                    ", //
    "    #......#                    ", //
    "    #......#                    ", //
    "    ########                    ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
    "                                ", //
};

QCursor MakePanCursor() {
    QImage bits(32, 32, QImage::Format_MonoLSB);
    QImage mask(32, 32, QImage::Format_MonoLSB);
    bits.setColorCount(2);
    mask.setColorCount(2);
    bits.setColor(0, qRgb(255, 255, 255));
    bits.setColor(1, qRgb(0, 0, 0));
    mask.setColor(0, qRgb(255, 255, 255));
    mask.setColor(1, qRgb(0, 0, 0));
    bits.fill(0);
    mask.fill(0);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const char c = kHandRows[y][x];
            if (c == '#') {
                bits.setPixel(x, y, 1);
                mask.setPixel(x, y, 1);
            } else if (c == '.') {
                mask.setPixel(x, y, 1);
            }
        }
    }
    return QCursor(QBitmap::fromImage(bits), QBitmap::fromImage(mask), 7, 7);
}

void DrawLamp(QPainter& p, int cx, int cy, QColor color) {
    p.setPen(QColor(40, 40, 40));
    p.setBrush(color);
    p.drawEllipse(QPoint(cx, cy), 4, 4);
}

QPen GlyphPen(QColor c, qreal w = 1.5) {
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A three-quarter arc with an arrow head; clockwise when cw.
void DrawTurnArrow(QPainter& p, bool cw, int spanDeg) {
    const QRectF r(3, 3, 10, 10);
    const int start = cw ? 90 : 90;
    const int span = cw ? -spanDeg : spanDeg;
    p.setPen(GlyphPen(QColor(0, 70, 160), 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawArc(r, start * 16, span * 16);
    // Arrow head at the end of the arc.
    QPainterPath path;
    const double a = (start + span) * 3.14159265358979 / 180.0;
    const QPointF end(8 + 5 * std::cos(a), 8 - 5 * std::sin(a));
    const double dir = a + (cw ? -3.14159265358979 / 2 : 3.14159265358979 / 2);
    const QPointF tip = end + QPointF(3.5 * std::cos(dir), -3.5 * std::sin(dir));
    const QPointF side(2.5 * std::cos(dir + 3.14159265358979 / 2),
                       -2.5 * std::sin(dir + 3.14159265358979 / 2));
    path.moveTo(tip);
    path.lineTo(end + side);
    path.lineTo(end - side);
    path.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 70, 160));
    p.drawPath(path);
}

void DrawPage(QPainter& p, QRectF r) {
    p.setPen(GlyphPen(QColor(60, 60, 60), 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setPen(GlyphPen(QColor(150, 150, 150), 1));
    for (qreal y = r.top() + 3; y < r.bottom() - 1; y += 2)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

} // namespace

const char* const* PanCursorRows() {
    return kHandRows;
}

const QCursor& PanCursor() {
    static const QCursor cursor = MakePanCursor();
    return cursor;
}

QImage ResolutionLightStrip() {
    QImage strip(64, 32, QImage::Format_ARGB32);
    strip.fill(kLightTransparent);
    QPainter p(&strip);
    // No antialiasing: every pixel is either artwork or exactly magenta.
    const QColor lit[3] = {QColor(230, 0, 0), QColor(250, 210, 0), QColor(0, 200, 0)};
    const QColor dark(110, 110, 110);
    for (int n = 0; n < 4; ++n) {
        const int x0 = 16 * n;
        p.setPen(QColor(30, 30, 30));
        p.setBrush(QColor(60, 60, 60));
        p.drawRect(x0 + 2, 1, 11, 29);
        // Traffic-light order: red on top, yellow, green at the bottom.
        const int lampOf[3] = {0, 1, 2}; // frame n lights lamp n
        for (int lamp = 0; lamp < 3; ++lamp) {
            const bool on = n < 3 && lampOf[n] == lamp;
            DrawLamp(p, x0 + 7, 7 + 9 * lamp, on ? lit[lamp] : dark);
        }
    }
    return strip;
}

QImage ResolutionLightFrame(const QImage& strip, int n) {
    QImage frame(16, 32, QImage::Format_ARGB32);
    frame.fill(Qt::transparent);
    if (n < 0 || n > 3 || strip.isNull())
        return frame;
    const QImage src = strip.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < 32 && y < src.height(); ++y) {
        for (int x = 0; x < 16 && 16 * n + x < src.width(); ++x) {
            const QRgb c = src.pixel(16 * n + x, y);
            frame.setPixel(x, y, (c | 0xFF000000) == kLightTransparent ? 0u : c);
        }
    }
    return frame;
}

QImage PositionMenuGlyph(int index) {
    QImage img(16, 16, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
    case 0: { // load: an open folder
        p.setPen(GlyphPen(QColor(120, 90, 20), 1));
        p.setBrush(QColor(240, 200, 90));
        p.drawRect(QRectF(1.5, 4.5, 12, 9));
        p.setBrush(QColor(250, 225, 130));
        QPolygonF lid;
        lid << QPointF(3.5, 7.5) << QPointF(15, 7.5) << QPointF(13, 13.5) << QPointF(1.5, 13.5);
        p.drawPolygon(lid);
        p.drawRect(QRectF(1.5, 2.5, 5, 2));
        break;
    }
    case 1:
        DrawTurnArrow(p, false, 270);
        break;
    case 2:
        DrawTurnArrow(p, true, 270);
        break;
    case 3:
        DrawTurnArrow(p, true, 180);
        break;
    case 4: { // cut: scissors
        p.setPen(GlyphPen(QColor(80, 80, 80), 1.3));
        p.drawLine(QPointF(4, 2), QPointF(10.5, 11));
        p.drawLine(QPointF(12, 2), QPointF(5.5, 11));
        p.setBrush(Qt::NoBrush);
        p.setPen(GlyphPen(QColor(200, 30, 30), 1.5));
        p.drawEllipse(QPointF(4.5, 12.5), 2.3, 2.3);
        p.drawEllipse(QPointF(11.5, 12.5), 2.3, 2.3);
        break;
    }
    case 5: // copy: two pages
        DrawPage(p, QRectF(1.5, 1.5, 8, 10));
        DrawPage(p, QRectF(6.5, 4.5, 8, 10));
        break;
    case 6: { // paste: a page on a clipboard
        p.setPen(GlyphPen(QColor(90, 60, 20), 1));
        p.setBrush(QColor(190, 140, 70));
        p.drawRect(QRectF(1.5, 2.5, 10, 12));
        p.setBrush(QColor(160, 160, 160));
        p.drawRect(QRectF(4.5, 1.5, 4, 2.5));
        DrawPage(p, QRectF(6.5, 5.5, 8, 9));
        break;
    }
    case 7: // clear: a red cross
        p.setPen(GlyphPen(QColor(200, 20, 20), 2.2));
        p.drawLine(QPointF(3.5, 3.5), QPointF(12.5, 12.5));
        p.drawLine(QPointF(12.5, 3.5), QPointF(3.5, 12.5));
        break;
    default:
        break;
    }
    return img;
}
