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
#include "tests/windows/win_test_support.h"

namespace app_test {

using win_test::PumpPending;
using win_test::WindowText;

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
