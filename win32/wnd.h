// The window object framework: one object per window or dialog, bound to its
// window through GWL_USERDATA, each with one virtual HandleMessage.
#pragma once

#include <windows.h>

extern HINSTANCE g_hInstance;

class CWnd {
  public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd() {}

    virtual LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) = 0;

    // The window procedure of the main window class; the creation parameter
    // is the object.
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // The dialog procedure of every dialog; the initialisation parameter is the object.
    static INT_PTR CALLBACK StaticDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // BeginPaint and EndPaint at once: validates the update region, draws nothing.
    void DefaultPaint(HWND hwnd);

    HWND hwnd = nullptr;
};
