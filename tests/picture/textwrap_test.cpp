#include "zrtextwrap.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

const QString kHint = QStringLiteral("Klicken Sie zum Öffnen des Menüs mit der rechten Maustaste");
const QString kParagraph = QStringLiteral(
    "Jedes Bild wird an der Millimeterposition seines Feldes gedruckt, um einen kleinen "
    "Beschnitt vergrößert und um den Versatz des Druckers verschoben.");

QFont TestFont() {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(12);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

QImage White(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

bool Ink(const QImage& img, int x, int y) {
    return qGray(img.pixel(x, y)) < 128;
}

// Columns with ink within the rows [top, bottom): first and last, -1 when none.
std::pair<int, int> InkColumns(const QImage& img, int top, int bottom) {
    int first = -1, last = -1;
    for (int x = 0; x < img.width(); ++x)
        for (int y = std::max(0, top); y < std::min(img.height(), bottom); ++y)
            if (Ink(img, x, y)) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
    return {first, last};
}

std::pair<int, int> InkRows(const QImage& img) {
    int first = -1, last = -1;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (Ink(img, x, y)) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
    return {first, last};
}

struct Drawn {
    QImage image;
    int result = 0;
    TWrapLines lines;
    int lineHeight = 0;
};

Drawn Draw(const QString& text, const QRect& rect, int h, int v, QSize size = QSize(200, 200)) {
    Drawn d;
    d.image = White(size.width(), size.height());
    QPainter p(&d.image);
    p.setFont(TestFont());
    p.setPen(Qt::black);
    d.result = DrawWrappedText(p, text, rect, h, v);
    BreakLines(p, rect.width(), text, d.lines);
    d.lineHeight = p.fontMetrics().height();
    return d;
}

QStringList Texts(const TWrapLines& lines) {
    QStringList l;
    for (const TWrapLine& line : lines)
        l << line.Text;
    return l;
}

} // namespace

TEST(TextWrap, BreaksAtSpacesGreedily) {
    const QFontMetrics fm(TestFont());
    TWrapLines lines;
    BreakLines(fm, 100, kHint, lines);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(Texts(lines).join(' '), kHint);
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_LE(fm.horizontalAdvance(lines[i].Text), 100) << i;
        EXPECT_EQ(lines[i].Flag, i + 1 == lines.size() ? 1 : 0) << i;
        if (i + 1 < lines.size()) {
            // The next word would not have fitted.
            const QString next = lines[i + 1].Text.section(' ', 0, 0);
            EXPECT_GT(fm.horizontalAdvance(lines[i].Text + ' ' + next), 100) << i;
        }
    }
}

TEST(TextWrap, LongWordIsSplitWhereItStopsFitting) {
    const QFontMetrics fm(TestFont());
    const QString word = QStringLiteral("Donaudampfschifffahrtsgesellschaft");
    TWrapLines lines;
    BreakLines(fm, 60, word, lines);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(Texts(lines).join(QString()), word);
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        EXPECT_EQ(lines[i].Flag, 0);
        EXPECT_LE(fm.horizontalAdvance(lines[i].Text), 60);
        EXPECT_GT(fm.horizontalAdvance(lines[i].Text + lines[i + 1].Text.left(1)), 60);
    }
    EXPECT_EQ(lines.back().Flag, 1);
}

TEST(TextWrap, ExplicitBreaks) {
    const QFontMetrics fm(TestFont());
    TWrapLines lines;
    BreakLines(fm, 100, QStringLiteral("A\r\nB"), lines);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Text, "A");
    EXPECT_EQ(lines[1].Text, "B");
    EXPECT_EQ(lines[0].Flag, 1);
    EXPECT_EQ(lines[1].Flag, 1);

    BreakLines(fm, 100, QStringLiteral("A\r\n"), lines);
    EXPECT_EQ(Texts(lines), QStringList{"A"});
    BreakLines(fm, 100, QStringLiteral("A\r\n\r\nB"), lines);
    EXPECT_EQ(Texts(lines), (QStringList{"A", "", "B"}));
    // A lone CR or LF breaks too and loses no character.
    BreakLines(fm, 100, QStringLiteral("A\rB\nC"), lines);
    EXPECT_EQ(Texts(lines), (QStringList{"A", "B", "C"}));
    BreakLines(fm, 100, QString(), lines);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Text, QString());
    EXPECT_EQ(lines[0].Flag, 1);
}

TEST(TextWrap, AlwaysAdvancesWhenNothingFits) {
    const QFontMetrics fm(TestFont());
    TWrapLines lines;
    BreakLines(fm, 1, QStringLiteral("Bild laden"), lines);
    // The space between the words is a (wrapped, empty) line of its own.
    EXPECT_EQ(Texts(lines), (QStringList{"B", "i", "l", "d", "", "l", "a", "d", "e", "n"}));
    BreakLines(fm, 0, QStringLiteral("ab"), lines);
    EXPECT_EQ(Texts(lines), (QStringList{"a", "b"}));
    BreakLines(fm, -5, QStringLiteral("  "), lines);
    EXPECT_LE(lines.size(), 3u);
    // A character outside the basic plane is never cut in half.
    BreakLines(fm, 1, QStringLiteral("a\U0001F600b"), lines);
    EXPECT_EQ(Texts(lines), (QStringList{"a", QStringLiteral("\U0001F600"), "b"}));

    // Drawn into a tiny rectangle it still ends.
    Drawn d = Draw(kHint, QRect(10, 10, 3, 40), waLeft, waTop);
    EXPECT_EQ(d.result, 40);
}

TEST(TextWrap, EmptyRectangleDrawsNothing) {
    for (const QRect& r : {QRect(10, 10, 0, 50), QRect(10, 10, 50, 0), QRect(10, 10, -5, 20)}) {
        Drawn d = Draw(kHint, r, waCenter, waMiddle);
        EXPECT_EQ(d.result, 0);
        EXPECT_EQ(InkRows(d.image).first, -1);
    }
}

TEST(TextWrap, CentredHint) {
    const QRect rect(50, 20, 100, 160);
    Drawn d = Draw(kHint, rect, waCenter, waMiddle);
    const int n = static_cast<int>(d.lines.size());
    ASSERT_GE(n, 3);
    EXPECT_EQ(d.result,
              n * d.lineHeight + (rect.y() + rect.bottom() + 1 - n * d.lineHeight) / 2 - rect.y());
    // The block is centred vertically...
    const int top = (rect.y() + rect.y() + rect.height() - n * d.lineHeight) / 2;
    const auto rows = InkRows(d.image);
    EXPECT_GE(rows.first, top);
    EXPECT_LE(rows.second, top + n * d.lineHeight);
    EXPECT_NEAR((rows.first + rows.second) / 2.0, rect.y() + rect.height() / 2.0,
                d.lineHeight / 2.0);
    // ...and every line horizontally.
    for (int i = 0; i < n; ++i) {
        const auto cols = InkColumns(d.image, top + i * d.lineHeight, top + (i + 1) * d.lineHeight);
        ASSERT_GE(cols.first, rect.x()) << i;
        EXPECT_LE(cols.second, rect.x() + rect.width() - 1) << i;
        EXPECT_NEAR((cols.first + cols.second) / 2.0, rect.x() + rect.width() / 2.0, 3.0) << i;
    }
}

TEST(TextWrap, LeftRightAndBottom) {
    const QRect rect(20, 20, 120, 150);
    Drawn left = Draw(kParagraph, rect, waLeft, waBottom);
    Drawn right = Draw(kParagraph, rect, waRight, waTop);
    const int n = static_cast<int>(left.lines.size());
    const int h = left.lineHeight;
    EXPECT_EQ(left.result, rect.height()); // bottom aligned: the block ends at the bottom
    EXPECT_EQ(right.result, n * h);
    const auto lrows = InkRows(left.image);
    EXPECT_GE(lrows.first, rect.y() + rect.height() - n * h);
    EXPECT_LE(lrows.second, rect.y() + rect.height());
    const auto rrows = InkRows(right.image);
    EXPECT_GE(rrows.first, rect.y());
    EXPECT_LE(rrows.second, rect.y() + n * h);
    for (int i = 0; i < n; ++i) {
        const auto l = InkColumns(left.image, rect.y() + rect.height() - (n - i) * h,
                                  rect.y() + rect.height() - (n - i - 1) * h);
        EXPECT_LE(l.first, rect.x() + 2) << i;
        const auto r = InkColumns(right.image, rect.y() + i * h, rect.y() + (i + 1) * h);
        EXPECT_GE(r.second, rect.x() + rect.width() - 4) << i;
        EXPECT_LE(r.second, rect.x() + rect.width() - 1) << i;
    }
}

TEST(TextWrap, OverfullBlockStartsAtTheTop) {
    const QRect rect(10, 30, 60, 40);
    Drawn d = Draw(kParagraph, rect, waLeft, waMiddle);
    ASSERT_GT(static_cast<int>(d.lines.size()) * d.lineHeight, rect.height());
    EXPECT_EQ(d.result, rect.height());
    const auto rows = InkRows(d.image);
    EXPECT_GE(rows.first, rect.y());
    EXPECT_LE(rows.first, rect.y() + d.lineHeight);
    EXPECT_LE(rows.second, rect.y() + rect.height() - 1); // clipped to the rectangle
    // Justified lines stay inside as well.
    Drawn j = Draw(kParagraph, rect, waJustify, waTop);
    EXPECT_LE(InkRows(j.image).second, rect.y() + rect.height() - 1);
    const auto cols = InkColumns(j.image, 0, 200);
    EXPECT_GE(cols.first, rect.x());
    EXPECT_LE(cols.second, rect.x() + rect.width() - 1);
    Drawn b = Draw(kParagraph, rect, waLeft, waBottom);
    EXPECT_EQ(b.result, rect.height());
    EXPECT_LE(InkRows(b.image).first, rect.y() + d.lineHeight);
}

TEST(TextWrap, JustifiedLinesReachTheRightEdge) {
    const QRect rect(10, 10, 170, 180);
    Drawn just = Draw(kParagraph, rect, waJustify, waTop);
    Drawn left = Draw(kParagraph, rect, waLeft, waTop);
    const QFontMetrics fm(TestFont());
    const int n = static_cast<int>(just.lines.size());
    const int h = just.lineHeight;
    ASSERT_GE(n, 3);
    for (int i = 0; i < n; ++i) {
        const TWrapLine& line = just.lines[i];
        const auto j = InkColumns(just.image, rect.y() + i * h, rect.y() + (i + 1) * h);
        if (line.Flag == 0) {
            // The advances add up to the rectangle's width exactly.
            const int spaces = static_cast<int>(line.Text.count(' '));
            const std::vector<int> w = JustifyWidths(
                fm, line.Text, rect.width() - fm.horizontalAdvance(line.Text), spaces);
            int sum = 0;
            for (int v : w)
                sum += v;
            EXPECT_EQ(sum, rect.width()) << i;
            EXPECT_GE(j.second, rect.x() + rect.width() - 4) << i;
            EXPECT_LE(j.second, rect.x() + rect.width() - 1) << i;
        } else {
            // The last line of the paragraph stays as left-aligned.
            for (int y = rect.y() + i * h; y < rect.y() + (i + 1) * h; ++y)
                EXPECT_EQ(just.image.copy(0, y, 200, 1), left.image.copy(0, y, 200, 1)) << y;
        }
    }

    // Explicit breaks keep both lines left-aligned.
    Drawn ab = Draw(QStringLiteral("A\r\nB"), rect, waJustify, waTop);
    Drawn abLeft = Draw(QStringLiteral("A\r\nB"), rect, waLeft, waTop);
    EXPECT_EQ(ab.image, abLeft.image);
}

TEST(TextWrap, JustifyWidthsSpreadTheExtraPixels) {
    const QFontMetrics fm(TestFont());
    const QString line = QStringLiteral("a b c d e");
    const std::vector<int> base = JustifyWidths(fm, line, 0, 4);
    for (int extra : {0, 1, 2, 3, 4, 5, 7, 13}) {
        const std::vector<int> w = JustifyWidths(fm, line, extra, 4);
        int added = 0, lo = 1 << 20, hi = -1;
        for (size_t i = 0; i < w.size(); ++i) {
            added += w[i] - base[i];
            if (line[static_cast<qsizetype>(i)] == ' ') {
                lo = std::min(lo, w[i] - base[i]);
                hi = std::max(hi, w[i] - base[i]);
            } else {
                EXPECT_EQ(w[i], base[i]);
            }
        }
        EXPECT_EQ(added, extra);
        EXPECT_LE(hi - lo, 1);
    }
    // A single space takes the whole extra, not one pixel more.
    const std::vector<int> one = JustifyWidths(fm, QStringLiteral("ab cd"), 9, 1);
    EXPECT_EQ(one[2], fm.horizontalAdvance("ab ") - fm.horizontalAdvance("ab") + 9);
    // Without spaces nothing changes.
    const std::vector<int> none = JustifyWidths(fm, QStringLiteral("abc"), 9, 0);
    EXPECT_EQ(none[0] + none[1] + none[2], fm.horizontalAdvance("abc"));
}

TEST(TextWrap, RandomTextsAlwaysEnd) {
    // Mixed words, spaces and breaks at every width: breaking ends, never
    // loses a printable character and never makes more lines than characters.
    const QFontMetrics fm(TestFont());
    const QString alphabet = QStringLiteral("aW  \r\n\r\nxyzÄ-");
    unsigned seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7fff;
    };
    for (int round = 0; round < 400; ++round) {
        QString text;
        const int len = static_cast<int>(next() % 40);
        for (int i = 0; i < len; ++i)
            text += alphabet.at(static_cast<qsizetype>(next() % alphabet.size()));
        const int width = static_cast<int>(next() % 70) - 5;
        TWrapLines lines;
        BreakLines(fm, width, text, lines);
        ASSERT_GE(lines.size(), 1u);
        ASSERT_LE(lines.size(), static_cast<size_t>(std::max(1, len)));
        QString kept, expected;
        for (const TWrapLine& l : lines)
            kept += l.Text;
        for (QChar c : text)
            if (c != ' ' && c != '\r' && c != '\n')
                expected += c;
        kept.remove(' ');
        EXPECT_EQ(kept, expected) << qPrintable(text) << " " << width;
    }
}
