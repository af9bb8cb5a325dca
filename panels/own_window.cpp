#include "panels/own_window.h"

#include <string>

#include "win32/window_items.h"

bool OpenOwnWindow(CWnd& window, int templateId, HWND owner) {
    HWND dialog = CreateDialogParamW(g_hInstance, MAKEINTRESOURCEW(templateId), owner,
                                     CWnd::StaticDlgProc, reinterpret_cast<LPARAM>(&window));
    if (dialog == nullptr)
        return false;
    PlaceBesideOwner(dialog, owner);
    ShowWindow(dialog, SW_SHOW);
    return true;
}

void PlaceBesideOwner(HWND window, HWND owner) {
    RECT main;
    RECT own;
    RECT work;
    if (!GetWindowRect(owner, &main) || !GetWindowRect(window, &own) ||
        !SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) {
        return;
    }
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    int x = main.right + width <= work.right ? main.right : work.right - width;
    int y = main.top + height <= work.bottom ? main.top : work.bottom - height;
    x = x < work.left ? work.left : x;
    y = y < work.top ? work.top : y;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetTextIfChanged(HWND control, const wchar_t* text) {
    if (WindowTextOf(control) != text)
        SetWindowTextW(control, text);
}
