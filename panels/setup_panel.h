// The setup panel: port and baud choice, Start/Close, receiver commands, the
// two version fields and the console. It carries out nothing itself: every
// button and check box becomes a program message to the main window.
#pragma once

#include <windows.h>
#include <richedit.h>

#include <cstdint>

#include "app/wnd.h"

class CBackupDlg : public CWnd {
public:
    CBackupDlg() = default;

    // Creates the panel from dialog template 106 as a child of `parent`; the
    // initialisation runs inside this call.
    bool Create(HWND parent);

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The colour of the text appended to the console next.
    void SetConsoleColor(COLORREF colour);

    HWND Console() const { return console; }

    CHARFORMATW consoleFormat{};
    HWND console = nullptr;
    HWND mainWindow = nullptr;  // target of every message the panel sends
    int32_t LinkOpen = 0;
    int32_t RescanBusy = 0;

private:
    LRESULT OnInitDialog(HWND hwnd);
    void OnCommand(HWND hwnd, int id);
    void ApplyLinkState(bool open);
};
