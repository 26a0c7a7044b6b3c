#include "uSheetLayout.h"

#include "uRound.h"
#include "uTemplateData.h"

#include <algorithm>

QRect SheetRect(double W, double H, int CW, int CH) {
    if (!(W > 0) || !(H > 0))
        return QRect(10, 10, 0, 0);
    int w = CW - 20;
    int h = RoundEven(H * w / W);
    if (h > CH - 20) {
        h = CH - 20;
        w = RoundEven(W * h / H);
    }
    // A panel narrower or lower than the margins leaves no room for the
    // sheet: an empty sheet, never one of negative size.
    w = std::max(0, w);
    h = std::max(0, h);
    const int left = std::max(10, (CW - w) / 2);
    const int top = std::max(10, (CH - h) / 2);
    return QRect(left, top, w, h);
}

QRect SheetRect(const TPaperTemplate& paper, int clientWidth, int clientHeight) {
    return SheetRect(paper.Width, paper.Height, clientWidth, clientHeight);
}

QRect AreaRect(const TPosdata& a, double W, double H, const QRect& sheet) {
    if (!(W > 0) || !(H > 0))
        return QRect(sheet.topLeft(), QSize(0, 0));
    const int w = sheet.width();
    const int h = sheet.height();
    const double x = a.X;
    const double y = a.Y;
    const int L = RoundEven(w * x / W) + sheet.left();
    const int T = RoundEven(h * y / H) + sheet.top();
    const int R = RoundEven((x + a.Width) * w / W) + sheet.left();
    const int B = RoundEven((y + a.Height) * h / H) + sheet.top();
    return QRect(L, T, R - L, B - T);
}

QRect AreaRect(const TPaperTemplate& paper, int index, const QRect& sheet) {
    return AreaRect(paper.Position(index), paper.Width, paper.Height, sheet);
}
