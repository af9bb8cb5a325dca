// The program's message loop. Shortcuts are translated for the window the
// keystroke is addressed to, so Ctrl+A and Ctrl+Q act only while the main
// window itself has the keyboard; the panels get no dialog keyboard handling,
// a modeless dialog of its own (the TTFF test) gets it all.
#pragma once

#include <windows.h>

// Handles one retrieved message: a modeless dialog's keyboard first, then the
// accelerator table, then TranslateMessage and DispatchMessageW.
void DispatchWithAccelerators(MSG& msg, HACCEL accelerators);

// Runs until WM_QUIT and returns its wParam.
WPARAM RunMessageLoop(HACCEL accelerators);
