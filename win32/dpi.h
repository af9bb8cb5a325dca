// The monitor DPI a window is drawn at, and sizes scaled to it. Windows 10
// has the per-window calls, older systems and Wine builds without them fall
// back to the screen's DPI: looked up at run time, so the program still
// starts where they are missing.
#pragma once

#include <windows.h>

// 96 is the DPI every size in the program's own tables is written for.
constexpr UINT kDesignDpi = 96;

// The DPI of the monitor `window` is on (the system's DPI without one).
UINT DpiOfWindow(HWND window);
// The system's DPI: the one a new top-level window starts at.
UINT DpiOfSystem();

// A design size at `dpi`, rounded to the nearest pixel.
inline int ScaleToDpi(int value, UINT dpi) {
    return MulDiv(value, static_cast<int>(dpi), static_cast<int>(kDesignDpi));
}

// The outer size of a window whose client area is `client`, with the frame
// metrics of `dpi` (a menu bar of one line counted when `menu`).
SIZE OuterSizeForClient(SIZE client, DWORD style, DWORD exStyle, bool menu, UINT dpi);
