// What every Windows test needs from the message loop and window texts: one
// way to let queued messages run, with or without a condition to wait for,
// and one way to read a window's text.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/message_loop.h"

namespace win_test {

// Bound of a wait for something the test set going: a loaded machine may take
// seconds, a broken program never gets there.
constexpr DWORD kAwaitMs = 10000;

// Dispatches everything queued for this thread, the way the program's loop
// does (through the accelerator table when one is given). A WM_QUIT left by a
// destroyed window is dropped: the next test's window starts with a clean
// queue.
inline void PumpPending(HACCEL accelerators = nullptr) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            continue;
        if (accelerators != nullptr) {
            DispatchWithAccelerators(msg, accelerators);
        } else {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

// Dispatches this thread's messages until done() holds or timeoutMs passes.
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        PumpPending();
        if (done())
            return true;
        if (GetTickCount() - start > timeoutMs)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

inline void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

inline std::wstring WindowText(HWND hwnd) {
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

inline std::wstring ItemText(HWND parent, int id) {
    return WindowText(GetDlgItem(parent, id));
}

}  // namespace win_test
