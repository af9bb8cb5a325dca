#include "panels/address_dialog.h"

#include "link/source_address.h"
#include "res/resource.h"
#include "win32/window_items.h"

bool CAddressDlg::Ask(HWND owner, const std::u16string& offered, linkrules::SourceSpec* chosen,
                      std::u16string* typed) {
    text_ = offered;
    INT_PTR result =
        DialogBoxParamW(g_hInstance, MAKEINTRESOURCEW(IDD_NETWORK_ADDRESS), owner,
                        CWnd::StaticDlgProc, reinterpret_cast<LPARAM>(static_cast<CWnd*>(this)));
    if (result != IDOK)
        return false;
    *chosen = spec_;
    *typed = text_;
    return true;
}

void CAddressDlg::OnOk(HWND dialog) {
    HWND field = GetDlgItem(dialog, IDC_NET_ADDRESS);
    const std::wstring text = WindowTextOf(field);
    std::u16string typed(text.begin(), text.end());
    linkrules::AddressParse parsed = linkrules::ParseSourceAddress(typed);
    if (parsed.error) {
        SetDlgItemTextW(dialog, IDC_NET_ERROR, reinterpret_cast<const wchar_t*>(parsed.error));
        // The whole text selected: typing replaces it, an arrow key edits it.
        SendMessageW(field, EM_SETSEL, 0, -1);
        SetFocus(field);
        return;
    }
    text_ = typed;
    spec_ = parsed.spec;
    EndDialog(dialog, IDOK);
}

LRESULT CAddressDlg::HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG: {
            HWND field = GetDlgItem(dialog, IDC_NET_ADDRESS);
            SendMessageW(field, EM_LIMITTEXT, 300, 0);
            SetWindowTextW(field, reinterpret_cast<const wchar_t*>(text_.c_str()));
            SendMessageW(field, EM_SETSEL, 0, -1);
            SetFocus(field);
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                OnOk(dialog);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}
