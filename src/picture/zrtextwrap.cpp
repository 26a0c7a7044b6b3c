#include "zrtextwrap.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {

bool IsBreak(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\r') || c == QLatin1Char('\n');
}

int PrefixWidth(const QFontMetrics& fm, const QString& text, qsizetype start, qsizetype len) {
    if (len <= 0)
        return 0;
    return fm.horizontalAdvance(text.mid(start, len));
}

// Keeps a cut from landing between the halves of a surrogate pair.
qsizetype CharEnd(const QString& text, qsizetype i) {
    if (i < text.size() && text.at(i).isHighSurrogate() && i + 1 < text.size() &&
        text.at(i + 1).isLowSurrogate())
        return i + 2;
    return i + 1;
}

// The longest prefix of text[start, end) no wider than maxWidth, at least one
// character so that line breaking always advances.
qsizetype FittingPrefix(const QFontMetrics& fm, const QString& text, qsizetype start, qsizetype end,
                        int maxWidth) {
    qsizetype k = start;
    while (k < end) {
        const qsizetype next = std::min(CharEnd(text, k), end);
        if (PrefixWidth(fm, text, start, next - start) > maxWidth)
            break;
        k = next;
    }
    if (k == start)
        k = std::min(CharEnd(text, start), end);
    return k - start;
}

int Clamp(int v, int lo, int hi) {
    return v < lo ? lo : (v > hi ? hi : v);
}

} // namespace

void BreakLines(const QFontMetrics& fm, int maxWidth, const QString& text, TWrapLines& lines) {
    lines.clear();
    // The empty prefix always fits, so every overflow has a character to take.
    maxWidth = std::max(0, maxWidth);
    const qsizetype n = text.size();
    if (n == 0) {
        lines.push_back({QString(), 1});
        return;
    }
    qsizetype q = 0;
    while (q < n) {
        qsizetype lastSpace = -1;
        qsizetype pos = q;
        for (;;) {
            while (pos < n && !IsBreak(text.at(pos)))
                ++pos;
            if (PrefixWidth(fm, text, q, pos - q) > maxWidth) {
                if (lastSpace >= 0) {
                    // Wrap at the last space that still fitted; the space goes.
                    lines.push_back({text.mid(q, lastSpace - q), 0});
                    q = lastSpace + 1;
                } else {
                    // One word longer than the line: split it.
                    const qsizetype k = FittingPrefix(fm, text, q, pos, maxWidth);
                    lines.push_back({text.mid(q, k), 0});
                    q += k;
                }
                break;
            }
            if (pos >= n) {
                lines.push_back({text.mid(q), 1});
                q = n;
                break;
            }
            const QChar c = text.at(pos);
            if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
                lines.push_back({text.mid(q, pos - q), 1});
                q = pos + 1;
                if (c == QLatin1Char('\r') && q < n && text.at(q) == QLatin1Char('\n'))
                    ++q;
                break;
            }
            lastSpace = pos; // a space that still fits
            ++pos;
        }
    }
}

void BreakLines(QPainter& painter, int maxWidth, const QString& text, TWrapLines& lines) {
    BreakLines(painter.fontMetrics(), maxWidth, text, lines);
}

std::vector<int> JustifyWidths(const QFontMetrics& fm, const QString& line, int extraPixels,
                               int spaceCount) {
    const qsizetype k = line.size();
    std::vector<int> widths(static_cast<size_t>(k), 0);
    const int per = spaceCount > 0 ? extraPixels / spaceCount : 0;
    const int rest = spaceCount > 0 ? extraPixels % spaceCount : 0;
    int acc = 0;
    int before = 0;
    for (qsizetype i = 0; i < k;) {
        const qsizetype next = CharEnd(line, i);
        const int upTo = PrefixWidth(fm, line, 0, next);
        int w = upTo - before;
        before = upTo;
        if (line.at(i) == QLatin1Char(' ')) {
            w += per;
            acc += rest;
            // Only a remainder is spread; with no remainder (always so for a
            // single space) the spaces take exactly per pixels each.
            if (rest > 0 && acc >= spaceCount / 2) {
                ++w;
                acc -= spaceCount;
            }
        }
        widths[static_cast<size_t>(i)] = w;
        i = next;
    }
    return widths;
}

int DrawLines(QPainter& painter, const TWrapLines& lines, const QRect& rect, int hAlign,
              int vAlign) {
    painter.setBrush(Qt::NoBrush);
    painter.setBackgroundMode(Qt::TransparentMode);
    const QFontMetrics fm = painter.fontMetrics();
    const int L = rect.x();
    const int T = rect.y();
    const int R = rect.x() + rect.width();
    const int B = rect.y() + rect.height();
    const int h = fm.height();
    const int ascent = fm.ascent();
    const long long total = static_cast<long long>(lines.size()) * h;
    const int t = static_cast<int>(std::min<long long>(total, 1LL << 30));

    int y = T;
    if (vAlign == waMiddle)
        y = static_cast<int>((static_cast<long long>(T) + B - t) / 2);
    else if (vAlign == waBottom)
        y = B - t;
    const int result = std::min(t + y - T, B - T);
    if (y < T)
        y = T;

    const QRect clip(L, T, R - L, B - T);
    for (const TWrapLine& line : lines) {
        painter.save();
        // Justified lines are clipped too: a last line cut by the bottom edge
        // must not spill into what lies below the rectangle.
        painter.setClipRect(clip, Qt::IntersectClip);
        if (hAlign == waJustify && line.Flag == 0) {
            const int spaces = static_cast<int>(line.Text.count(QLatin1Char(' ')));
            const int extra = R - L - fm.horizontalAdvance(line.Text);
            const std::vector<int> widths = JustifyWidths(fm, line.Text, extra, spaces);
            int x = L;
            for (qsizetype i = 0; i < line.Text.size();) {
                const qsizetype next = CharEnd(line.Text, i);
                painter.drawText(QPoint(x, y + ascent), line.Text.mid(i, next - i));
                x += widths[static_cast<size_t>(i)];
                i = next;
            }
        } else {
            const int w = fm.horizontalAdvance(line.Text);
            int x = L;
            if (hAlign == waCenter)
                x = static_cast<int>((static_cast<long long>(R) + L - w) / 2);
            else if (hAlign == waRight)
                x = R - w;
            painter.drawText(QPoint(x, y + ascent), line.Text);
        }
        painter.restore();
        y += h;
        if (y > B)
            break;
    }
    return Clamp(result, 0, std::max(0, B - T));
}

int DrawWrappedText(QPainter& painter, const QString& text, const QRect& rect, int hAlign,
                    int vAlign) {
    if (rect.width() <= 0 || rect.height() <= 0)
        return 0;
    TWrapLines lines;
    BreakLines(painter.fontMetrics(), rect.width(), text, lines);
    return DrawLines(painter, lines, rect, hAlign, vAlign);
}
