#pragma once
// Look shared by every form: the form font and the tooltip display time.

#include <QFont>

// The font of all forms: the platform's standard GUI font at 8 pt. This is
// the one place that chooses it.
QFont FormFont();

// How long a tooltip stays before it hides by itself, for the whole
// application (widgets with their own tooltip duration keep theirs).
void SetHintHidePause(int ms);
int HintHidePause();
