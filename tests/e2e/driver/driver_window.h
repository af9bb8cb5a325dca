// Finding Skyloom's windows from another process and talking to them with
// messages that Windows (and Wine) marshal across processes.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace driver {

// Every send to the program is bounded, so a hung program fails a test
// instead of hanging it.
constexpr UINT kSendTimeoutMs = 15000;

struct Target {
    HWND main = nullptr;
    HWND setup = nullptr;    // the panel holding "Start GPS"
    HWND console = nullptr;  // the RichEdit of that panel
    HWND status = nullptr;   // the other panel: status and sky
};

// Waits up to timeoutMs for the main window (class "Skyloom") and its panels.
bool FindTarget(DWORD timeoutMs, Target* target);

// SendMessageTimeoutW; false when the program did not answer in time.
bool SendBounded(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result,
                 UINT timeoutMs = kSendTimeoutMs);

// WM_GETTEXT of any window of any process (the caption of a top-level window
// too); false when it did not answer.
bool ReadText(HWND hwnd, std::wstring* text);

// The entries of a combo box and its selection (-1 for none).
bool ReadComboEntries(HWND combo, std::vector<std::wstring>* entries, int* selection);

// A top-level window of this desktop with that exact title, waiting up to timeoutMs.
HWND WaitForTitle(const wchar_t* title, DWORD timeoutMs);

// Waits until the window is gone; false on timeout.
bool WaitGone(HWND hwnd, DWORD timeoutMs);

}  // namespace driver
