// Word wrapping of arbitrary text at arbitrary widths: breaking must end,
// keep every character that is not a break, and drawing must stay inside
// the rectangle's lines. Input: byte 0 width, byte 1 alignments, rest UTF-8.
// Run with ASAN_OPTIONS=detect_leaks=0: fontconfig keeps the fallback fonts
// Qt looks up for unusual characters, which the leak checker reports.

#include "zrtextwrap.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>

namespace {
QGuiApplication* g_app = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    g_app = new QGuiApplication(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const int width = static_cast<int>(data[0]) - 8;
    const int h = data[1] & 3;
    const int v = (data[1] >> 2) % 3;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 2),
                                           static_cast<qsizetype>(size - 2));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(1 + (data[1] >> 4));
    const QFontMetrics fm(font);

    TWrapLines lines;
    BreakLines(fm, width, text, lines);
    if (lines.empty() || lines.size() > static_cast<size_t>(text.size()) + 1)
        std::abort();
    QString kept;
    for (const TWrapLine& l : lines)
        kept += l.Text;
    QString expected = text;
    expected.remove(QLatin1Char('\r')).remove(QLatin1Char('\n')).remove(QLatin1Char(' '));
    kept.remove(QLatin1Char('\r')).remove(QLatin1Char('\n')).remove(QLatin1Char(' '));
    if (kept != expected)
        std::abort();

    QImage img(64, 64, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setFont(font);
    const QRect rect(4, 4, width, 40);
    const int used = DrawWrappedText(p, text, rect, h, v);
    if (used < 0 || used > std::max(0, rect.height()))
        std::abort();
    return 0;
}
