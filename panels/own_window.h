// What the program's windows of their own (the TTFF test, Position
// Statistics) share: where they open, and texts that change only when they do.
#pragma once

#include <windows.h>

#include "win32/wnd.h"

// Creates the dialog of `templateId` bound to `window`, owned by `owner`,
// places it beside the owner and shows it. False when no dialog came about.
bool OpenOwnWindow(CWnd& window, int templateId, HWND owner);

// Beside the owner, or as far right as the screen allows, so that the
// console and the panel stay in sight as much as they can.
void PlaceBesideOwner(HWND window, HWND owner);

// Sets a control's text only when it changes: such texts are refreshed
// several times a second, and a repaint each time would flicker.
void SetTextIfChanged(HWND control, const wchar_t* text);
