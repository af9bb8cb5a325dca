// The small dialog that asks for a network receiver's address: an edit
// field, the forms it takes, and a line that says why an address was
// refused. It keeps the dialog open until the text is an address or the
// user cancels, so nothing is opened for a mistyped one.
#pragma once

#include <windows.h>

#include <string>

#include "link/chosen_source.h"
#include "win32/wnd.h"

class CAddressDlg : public CWnd {
  public:
    // Shows the dialog over `owner` with `offered` in the field and returns
    // once it has closed: true with `chosen` and `typed` (the text as
    // accepted, for offering it again) on OK, false on Cancel.
    bool Ask(HWND owner, const std::u16string& offered, linkrules::SourceSpec* chosen,
             std::u16string* typed);

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void OnOk(HWND dialog);

    std::u16string text_;
    linkrules::SourceSpec spec_;
};
