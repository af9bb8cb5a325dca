// Static labels whose text the dialog font makes wider than the template's
// box. A dialog's units follow its font, but text does not scale with them
// exactly: at 150 % Wine's "Core Version:" is a few pixels wider than its
// box and the label wraps to "Core" alone.
#pragma once

#include <windows.h>

// Widens each of `dialog`'s left-aligned static labels that is narrower than
// its text, to the right only and never into a control beside it on its
// line. A label that already holds its text is left as it is.
void FitLabelsToText(HWND dialog);

// Whether `label`'s text, on one line in its font, fits inside its client area.
bool LabelHoldsText(HWND label);
