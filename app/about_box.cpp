#include "app/about_box.h"

#include "res/resource.h"

CAbout::CAbout(HWND owner) {
    DialogBoxParamW(g_hInstance, MAKEINTRESOURCEW(IDD_ABOUT), owner, CWnd::StaticDlgProc,
                    reinterpret_cast<LPARAM>(static_cast<CWnd*>(this)));
}

LRESULT CAbout::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            return TRUE;
        case WM_COMMAND:
            // Only IDCANCEL (Esc, the close box) ends the box: it has no
            // buttons, and Enter's IDOK is deliberately left unhandled.
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(hwnd, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}
