#include "win32/wnd.h"

#include "win32/label_fit.h"

HINSTANCE g_hInstance = nullptr;

LRESULT CALLBACK CWnd::StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* self = nullptr;
    if (message == WM_CREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        self = static_cast<CWnd*>(create->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self != nullptr)
            self->hwnd = hwnd;
    } else {
        self = reinterpret_cast<CWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (self != nullptr)
        return self->HandleMessage(hwnd, message, wParam, lParam);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

INT_PTR CALLBACK CWnd::StaticDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* self = nullptr;
    if (message == WM_INITDIALOG) {
        self = reinterpret_cast<CWnd*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        if (self != nullptr)
            self->hwnd = hwnd;
        FitLabelsToText(hwnd);
    } else if (message == WM_SETFONT) {
        // The one message a DS_SETFONT template sends before WM_INITDIALOG; no
        // handler ever sees it.
        return 0;
    } else {
        self = reinterpret_cast<CWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (self != nullptr)
        return self->HandleMessage(hwnd, message, wParam, lParam);
    // An unbound dialog: "not handled" lets the dialog manager do its default
    // work. DefDlgProcW here would call this procedure again.
    return FALSE;
}

void CWnd::DefaultPaint(HWND hwnd) {
    PAINTSTRUCT ps;
    BeginPaint(hwnd, &ps);
    EndPaint(hwnd, &ps);
}
