// The Save dialog of the program's CSV files (TTFF results, position fixes).
#pragma once

#include <windows.h>

// Asks where to write a CSV file: `path` holds the name offered and gets the
// one chosen. False when the user cancels. The program's timers go on
// meanwhile: the dialog's own loop dispatches them.
bool ChooseCsvFile(HWND owner, const wchar_t* title, wchar_t (&path)[MAX_PATH]);
