// The About box: a modal dialog on template 101 that lives only inside the
// About command.
#pragma once

#include <windows.h>

#include "win32/wnd.h"

class CAbout : public CWnd {
  public:
    // Shows the box and returns once it has closed; the owner is disabled
    // meanwhile. A box that cannot be shown just ends the command.
    explicit CAbout(HWND owner);
    ~CAbout() override {}

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;
};
