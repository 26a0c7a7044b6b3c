#pragma once
// Word-wrapped text in a rectangle: lines break at spaces and at explicit line
// breaks (CR LF, a lone CR or a lone LF), words longer than a line are split,
// the block is aligned vertically and every line horizontally.
//
// Text is drawn with the painter's current font and pen colour (a painter's
// pen is its text colour); the background is never painted. Rectangles are
// QRect with the right edge at x() + width() and the bottom at y() + height()
// (exclusive, like a Windows RECT).

#include <QRect>
#include <QString>

#include <vector>

class QFontMetrics;
class QPainter;

// Horizontal alignment of every line.
enum TWrapHAlign : int { waLeft = 0, waCenter = 1, waRight = 2, waJustify = 3 };
// Vertical alignment of the block.
enum TWrapVAlign : int { waTop = 0, waMiddle = 1, waBottom = 2 };

struct TWrapLine {
    QString Text;
    // 1 = the line ends at an explicit break or at the end of the text,
    // 0 = the line was wrapped (such lines are stretched when justified).
    int Flag = 1;
};
using TWrapLines = std::vector<TWrapLine>;

// Draws text word-wrapped into rect and answers the height in pixels it
// takes (at most the rectangle's height). A rectangle without width or
// height draws nothing and answers 0. Alignments out of range count as
// left and top.
int DrawWrappedText(QPainter& painter, const QString& text, const QRect& rect, int hAlign,
                    int vAlign);

// Breaks text into lines no wider than maxWidth pixels. An empty text gives
// one empty line. When not even one character fits, each line takes one
// character, so breaking always advances.
void BreakLines(const QFontMetrics& fm, int maxWidth, const QString& text, TWrapLines& lines);
void BreakLines(QPainter& painter, int maxWidth, const QString& text, TWrapLines& lines);

// Draws broken lines into rect (line height = the font's height, of "Yy");
// a line is drawn while its top lies inside the rectangle. Answers the height
// the block takes, at most the rectangle's height.
int DrawLines(QPainter& painter, const TWrapLines& lines, const QRect& rect, int hAlign,
              int vAlign);

// Advance widths of the characters of a justified line: each character's
// advance within the line, with extraPixels spread over the spaceCount spaces
// as evenly as whole pixels allow. One entry per UTF-16 code unit; the low
// half of a surrogate pair gets 0.
std::vector<int> JustifyWidths(const QFontMetrics& fm, const QString& line, int extraPixels,
                               int spaceCount);
