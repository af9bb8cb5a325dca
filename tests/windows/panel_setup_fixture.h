// The setup panel in process under Wine, on a stand-in main window, for the
// tests of its controls and of its console. The console's painting frames run
// on a clock the tests advance by hand, so whether a frame has passed never
// depends on how busy the machine is.
#pragma once

#include <richedit.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panels/setup_panel.h"
#include "tests/windows/app_main_window_fixture.h"
#include "tests/windows/panel_test_support.h"

namespace panel_test {

using app_test::RectIn;
using win_test::ItemText;
using win_test::PumpFor;
using win_test::WindowText;

inline bool Enabled(HWND panel, int id) {
    return IsWindowEnabled(GetDlgItem(panel, id)) != FALSE;
}

// Style bits as created, read straight from the window.
inline bool HasStyle(HWND w, LONG bits) {
    return (GetWindowLongW(w, GWL_STYLE) & bits) == bits;
}

// A setup panel on a stand-in main window, as CBaseWnd creates it.
struct SetupPanelFixture : testing::Test {
    FakeMainWindow main;
    CBackupDlg panel;
    // The console's clock: it stands still unless a test advances it.
    DWORD now = 100000;

    void SetUp() override {
        ASSERT_TRUE(panel.Create(main.hwnd()));
        panel.mainWindow = main.hwnd();
        panel.console.SetClock([this] { return now; });
    }
    void TearDown() override {
        // The panel is destroyed with its parent, before the object goes.
        DestroyWindow(panel.hwnd);
    }

    HWND Item(int id) const { return GetDlgItem(panel.hwnd, id); }
    HWND Console() const { return panel.console.hwnd(); }

    void Command(int id) {
        SendMessageW(panel.hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Item(id)));
    }

    COLORREF ColourAt(int position) {
        SendMessageW(Console(), EM_SETSEL, position, position + 1);
        CHARFORMATW cf{};
        cf.cbSize = sizeof cf;
        SendMessageW(Console(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
        return cf.crTextColor;
    }

    // Pumps until the console owes no paint and nothing of it waits to be
    // painted: the state a paint test starts from or waits for.
    bool PaintsPaid() {
        return win_test::PumpUntil(
            [this] {
                return !panel.console.PaintOwed() && !GetUpdateRect(Console(), nullptr, FALSE);
            },
            win_test::kAwaitMs);
    }

    // The panel's children in z-order.
    std::vector<HWND> Children() const {
        std::vector<HWND> children;
        for (HWND w = GetWindow(panel.hwnd, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
            children.push_back(w);
        return children;
    }
};

// Counts the paints of one console control, for the tests of deferred painting.
struct PaintCounter {
    static inline WNDPROC original = nullptr;
    static inline int paints = 0;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_PAINT)
            ++paints;
        return CallWindowProcW(original, hwnd, message, wParam, lParam);
    }
    explicit PaintCounter(HWND console) : console_(console) {
        paints = 0;
        original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(console, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    }
    ~PaintCounter() {
        if (IsWindow(console_))
            SetWindowLongPtrW(console_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    }
    HWND console_;
};

}  // namespace panel_test
