#pragma once
// Saves and restores the placement of a top-level window (state and outer
// bounds) in a section of the settings store.

#include <QString>

class QWidget;

// Writes "WindowState" (0 normal, 2 maximised) and, for a normal window,
// "Left", "Top", "Width", "Height" (outer bounds). A minimised window writes
// nothing; a maximised one keeps the bounds stored before.
void SaveFormPosition(QWidget* window, const QString& section);

// Gives the window the stored bounds, fitted into the work area of its screen,
// then the stored state. Without stored values the window takes the work area
// less 30 pixels on every side.
void RestoreFormPosition(QWidget* window, const QString& section);
