// The real main window, created in this process with the program's own
// resources, for the application shell's tests.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/message_loop.h"
#include "res/resource.h"

namespace app_test {

// Dispatches everything queued for this thread, the way the program's loop
// does. A WM_QUIT left by a destroyed window is dropped: the next test's
// window starts with a clean queue.
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

inline std::wstring WindowText(HWND hwnd) {
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<size_t>(n));
    return text;
}

// A rectangle of `child` in the client coordinates of `parent`.
inline RECT RectIn(HWND parent, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

inline bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

inline std::string Show(const RECT& r) {
    return "{" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + "}";
}

// Creates the main window (hidden unless asked: a hidden console takes lines
// about twenty times faster under Wine) and destroys it afterwards.
template <typename Window = CBaseWnd>
class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetCycleFlags();
        g_creating = 0;
        g_settleArmed = 0;
        ASSERT_TRUE(window.CreateMainWindow(GetModuleHandleW(nullptr), ShowCommand()));
        main = window.hwnd;
        ASSERT_NE(main, nullptr);
        PumpPending();
    }

    void TearDown() override {
        if (main != nullptr && IsWindow(main))
            DestroyWindow(main);
        PumpPending();
    }

    virtual int ShowCommand() const { return SW_HIDE; }

    Window window;
    HWND main = nullptr;
};

}  // namespace app_test
