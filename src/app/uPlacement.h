#pragma once
// Window placement arithmetic, free of widgets: where a window reopens and
// what is stored when it closes. The widget side (uSaveFormPosition) reads
// the window's state and outer bounds and applies the answer.
//
// Stored per window in one settings section ("Mainform", "OpenPicture"):
// "WindowState" (0 normal, 2 maximised), "Left", "Top", "Width", "Height"
// (the window's outer bounds, frame included), all integers.
//
// Rectangles are QRect in desktop pixels; the right edge of an area is
// x() + width() (exclusive), as for a Windows RECT.

#include <QRect>
#include <QString>

class TZRRegIniFile;

// Values of "WindowState".
enum TWindowState : int { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };

// Where a window reopens.
struct TRestoredPlacement {
    QRect Bounds;           // outer bounds, frame included
    bool Maximised = false; // show maximised after taking Bounds
};

// The bounds of a window that has no stored placement: 30 pixels inside the
// work area on every side.
QRect DefaultPlacementBounds(const QRect& workArea);

// Fits stored bounds into the desktop's work area (screen minus task bar):
// a window wider or higher than the work area shrinks to it; a window
// reaching past the right or bottom edge moves back until that edge meets
// the work area's; then a left or top outside the work area becomes the work
// area's left or top (0 for a work area at the desktop's origin).
QRect FitPlacementBounds(const QRect& bounds, const QRect& workArea);

// Reads the placement of the section with the defaults above and fits it into
// the work area. The window state is the stored "WindowState" (2 maximised,
// any other stored value normal); without a stored state the window keeps
// its current one (currentlyMaximised). A stored width or height of 0 or less
// counts as missing.
TRestoredPlacement RestorePlacement(const TZRRegIniFile& store, const QString& section,
                                    const QRect& workArea, bool currentlyMaximised);

// Saves a window's placement when it closes: nothing when it is minimised;
// else "WindowState", and the outer bounds only when it is not maximised (a
// maximised window keeps the normal bounds stored before). Raises Exception
// when the store cannot write.
void SavePlacement(TZRRegIniFile& store, const QString& section, bool minimised, bool maximised,
                   const QRect& bounds);
