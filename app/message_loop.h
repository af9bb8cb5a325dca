// The program's message loop. Shortcuts are translated for the window the
// keystroke is addressed to, so Ctrl+A and Ctrl+Q act only while the main
// window itself has the keyboard; the panels get no dialog keyboard handling.
#pragma once

#include <windows.h>

// Handles one retrieved message: the accelerator table first, then
// TranslateMessage and DispatchMessageW.
void DispatchWithAccelerators(MSG& msg, HACCEL accelerators);

// Runs until WM_QUIT and returns its wParam.
WPARAM RunMessageLoop(HACCEL accelerators);
