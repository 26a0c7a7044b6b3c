#pragma once
// Where the sheet of a paper template and its photo areas lie in the main
// window's world panel. Pure arithmetic, no widgets.
//
// The sheet fills the panel with at least 10 pixels of margin, keeps the
// paper's aspect ratio and is centred; in a panel too small for that it sticks
// 10 pixels from the left and top edges.

#include <QRect>

class TPosdata;
class TPaperTemplate;

// The sheet's rectangle for a sheet of sheetWidth x sheetHeight mm in a panel
// of clientWidth x clientHeight pixels. Width and height are never negative.
QRect SheetRect(double sheetWidth, double sheetHeight, int clientWidth, int clientHeight);
QRect SheetRect(const TPaperTemplate& paper, int clientWidth, int clientHeight);

// The screen rectangle of one photo area of a sheet laid out at `sheet`.
QRect AreaRect(const TPosdata& area, double sheetWidth, double sheetHeight, const QRect& sheet);
QRect AreaRect(const TPaperTemplate& paper, int index, const QRect& sheet);
