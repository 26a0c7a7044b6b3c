#include "uArtwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace Artwork {

namespace {

const QColor kNavy(0x1f, 0x3a, 0x5f);
const QColor kSky(0x4a, 0x90, 0xc8);
const QColor kAmber(0xf2, 0xa9, 0x3b);

QImage Blank(int w, int h, QColor fill = Qt::transparent) {
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(fill);
    return img;
}

// A small photo print: white card with a picture (sky, sun, hills) inside.
void DrawPrint(QPainter& p, const QRectF& r, qreal angle) {
    p.save();
    p.translate(r.center());
    p.rotate(angle);
    const QRectF card(-r.width() / 2, -r.height() / 2, r.width(), r.height());
    p.setPen(QPen(QColor(0, 0, 0, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(card);
    const qreal m = qMax<qreal>(2, r.width() * 0.08);
    const QRectF pic = card.adjusted(m, m, -m, -m);
    QLinearGradient sky(pic.topLeft(), pic.bottomLeft());
    sky.setColorAt(0, kSky.lighter(130));
    sky.setColorAt(1, kSky);
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRect(pic);
    p.setBrush(kAmber);
    const qreal sun = pic.height() * 0.22;
    p.drawEllipse(QPointF(pic.right() - sun * 1.4, pic.top() + sun * 1.3), sun * 0.8, sun * 0.8);
    QPainterPath hills;
    hills.moveTo(pic.left(), pic.bottom());
    hills.lineTo(pic.left(), pic.top() + pic.height() * 0.7);
    hills.quadTo(pic.left() + pic.width() * 0.3, pic.top() + pic.height() * 0.35,
                 pic.left() + pic.width() * 0.6, pic.top() + pic.height() * 0.72);
    hills.quadTo(pic.left() + pic.width() * 0.8, pic.top() + pic.height() * 0.55, pic.right(),
                 pic.top() + pic.height() * 0.68);
    hills.lineTo(pic.right(), pic.bottom());
    hills.closeSubpath();
    p.setBrush(QColor(0x3c, 0x8d, 0x4f));
    p.drawPath(hills);
    p.restore();
}

QFont Sans(int pixelSize, bool bold) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

} // namespace

QImage Logo() {
    QImage img = Blank(135, 60, Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, 60);
    bg.setColorAt(0, Qt::white);
    bg.setColorAt(1, QColor(0xe4, 0xec, 0xf5));
    p.fillRect(img.rect(), bg);
    DrawPrint(p, QRectF(8, 12, 30, 22), -8);
    DrawPrint(p, QRectF(16, 24, 30, 22), 6);
    p.setPen(kNavy);
    p.setFont(Sans(17, true));
    p.drawText(QRectF(52, 8, 82, 26), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Velamor"));
    p.setPen(kSky.darker(130));
    p.setFont(Sans(10, false));
    p.drawText(QRectF(53, 32, 82, 16), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Kestrelon"));
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.setBrush(Qt::NoBrush);
    p.drawRect(0, 0, 134, 59);
    return img;
}

QImage Splash() {
    QImage img = Blank(400, 300, kNavy);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 400, 300);
    bg.setColorAt(0, kNavy.lighter(140));
    bg.setColorAt(1, kNavy.darker(140));
    p.fillRect(img.rect(), bg);
    // A fan of prints on the left.
    DrawPrint(p, QRectF(22, 150, 110, 80), -14);
    DrawPrint(p, QRectF(52, 168, 110, 80), -3);
    DrawPrint(p, QRectF(82, 176, 110, 80), 9);
    p.setPen(Qt::white);
    p.setFont(Sans(34, true));
    p.drawText(QRectF(188, 50, 200, 44), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Velamor"));
    p.setPen(kAmber);
    p.setFont(Sans(14, false));
    p.drawText(QRectF(190, 92, 200, 22), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("Kestrelon"));
    p.setPen(QColor(0xd0, 0xdc, 0xea));
    p.setFont(Sans(12, false));
    p.drawText(QRectF(188, 170, 200, 60), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap,
               QStringLiteral("Fotodruck auf Etiketten, Karten und vorgestanzten Fotopapieren"));
    return img;
}

QImage AboutPicture() {
    QImage img = Blank(60, 180, kNavy);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient bg(0, 0, 0, 180);
    bg.setColorAt(0, kNavy.lighter(150));
    bg.setColorAt(1, kNavy.darker(130));
    p.fillRect(img.rect(), bg);
    DrawPrint(p, QRectF(9, 14, 42, 32), -8);
    DrawPrint(p, QRectF(9, 66, 42, 32), 5);
    DrawPrint(p, QRectF(9, 118, 42, 32), -4);
    return img;
}

QImage Glyph(TGlyph glyph) {
    QImage img = Blank(16, 16);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    switch (glyph) {
    case TGlyph::Leeren: {
        // An empty sheet with a red cross.
        p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(2.5, 1.5, 9, 12));
        p.setPen(QPen(QColor(0xc8, 0x28, 0x28), 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(8, 8), QPointF(14, 14));
        p.drawLine(QPointF(14, 8), QPointF(8, 14));
        break;
    }
    case TGlyph::Drucken: {
        // A printer with a sheet coming out.
        p.setPen(QPen(QColor(0x50, 0x50, 0x50), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 1.5, 7, 5));
        p.setBrush(QColor(0xb8, 0xbe, 0xc6));
        p.drawRoundedRect(QRectF(1.5, 5.5, 13, 6), 1, 1);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(4.5, 9.5, 7, 5));
        p.setPen(QPen(kSky, 1));
        p.drawLine(QPointF(6, 12), QPointF(10, 12));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x3c, 0xb0, 0x4f));
        p.drawEllipse(QPointF(12.5, 7.5), 0.9, 0.9);
        break;
    }
    case TGlyph::Info: {
        // A blue disc with a white "i".
        p.setPen(QPen(kNavy, 1));
        p.setBrush(kSky);
        p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(8, 4.8), 1.1, 1.1);
        p.drawRect(QRectF(7, 6.8, 2, 5.5));
        break;
    }
    case TGlyph::Anleitung: {
        // An open book.
        p.setPen(QPen(kNavy, 1));
        p.setBrush(Qt::white);
        QPainterPath left;
        left.moveTo(8, 4);
        left.quadTo(5, 2.5, 1.5, 3.5);
        left.lineTo(1.5, 13);
        left.quadTo(5, 12, 8, 13.5);
        left.closeSubpath();
        QPainterPath right;
        right.moveTo(8, 4);
        right.quadTo(11, 2.5, 14.5, 3.5);
        right.lineTo(14.5, 13);
        right.quadTo(11, 12, 8, 13.5);
        right.closeSubpath();
        p.drawPath(left);
        p.drawPath(right);
        p.setPen(QPen(kSky, 1));
        for (qreal y : {6.5, 8.5, 10.5}) {
            p.drawLine(QPointF(3.5, y), QPointF(6.5, y + 0.5));
            p.drawLine(QPointF(9.5, y + 0.5), QPointF(12.5, y));
        }
        break;
    }
    }
    return img;
}

} // namespace Artwork
