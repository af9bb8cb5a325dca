// What the program's windows of their own (the TTFF test, Position
// Statistics) share: where they open, and texts that change only when they do.
#pragma once

#include <windows.h>

// Beside the owner, or as far right as the screen allows, so that the
// console and the panel stay in sight as much as they can.
void PlaceBesideOwner(HWND window, HWND owner);

// Sets a control's text only when it changes: such texts are refreshed
// several times a second, and a repaint each time would flicker.
void SetTextIfChanged(HWND control, const wchar_t* text);
