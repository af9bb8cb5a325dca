// Ctrl+A and Ctrl+Q act only while the keystroke is addressed to the main
// window itself; a panel's control that has the keyboard ignores them.
#include <algorithm>
#include <iterator>

#include "app_main_window_fixture.h"
#include "win32/messages.h"

namespace app_test {
namespace {

class RecordingMainWindow : public CBaseWnd {
  public:
    LRESULT HandleMessage(HWND h, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND) {
            commands.push_back(LOWORD(wParam));
            return 0;  // recorded only: no About box, no closing
        }
        return CBaseWnd::HandleMessage(h, message, wParam, lParam);
    }
    std::vector<UINT> commands;
};

// Holds the Ctrl key down in this thread's keyboard state for its lifetime.
class ControlKeyDown {
  public:
    explicit ControlKeyDown(bool down) {
        GetKeyboardState(saved_);
        BYTE state[256];
        std::copy(std::begin(saved_), std::end(saved_), std::begin(state));
        state[VK_CONTROL] = down ? 0x80 : 0;
        state[VK_LCONTROL] = state[VK_CONTROL];
        SetKeyboardState(state);
    }
    ~ControlKeyDown() { SetKeyboardState(saved_); }

  private:
    BYTE saved_[256];
};

using ShortcutTest = MainWindowTest<RecordingMainWindow>;

TEST_F(ShortcutTest, OnlyTheMainWindowItselfTakesShortcuts) {
    HACCEL accelerators =
        LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ASSERT_NE(accelerators, nullptr);
    const HWND setup = window.setupPanel.hwnd;
    const HWND console = window.setupPanel.console.hwnd();
    const HWND baud = GetDlgItem(setup, IDC_BAUD);
    const HWND startButton = GetDlgItem(setup, IDC_START_GPS);

    const struct {
        const char* what;
        HWND target;
        WPARAM key;
        bool ctrl;
        std::vector<UINT> expected;
    } rows[] = {
        {"Ctrl+A to the main window", main, 'A', true, {IDM_ABOUT}},
        {"Ctrl+Q to the main window", main, 'Q', true, {IDM_EXIT}},
        {"Q alone", main, 'Q', false, {}},
        {"Ctrl+Z, no shortcut", main, 'Z', true, {}},
        {"Ctrl+Q to the console", console, 'Q', true, {}},
        {"Ctrl+A to the console", console, 'A', true, {}},
        {"Ctrl+Q to the baud list", baud, 'Q', true, {}},
        {"Ctrl+A to Start GPS", startButton, 'A', true, {}},
        {"Ctrl+Q to the setup panel", setup, 'Q', true, {}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        ASSERT_NE(r.target, nullptr);
        window.commands.clear();
        {
            ControlKeyDown ctrl(r.ctrl);
            MSG msg{};
            msg.hwnd = r.target;
            msg.message = WM_KEYDOWN;
            msg.wParam = r.key;
            msg.lParam = 1;
            msg.time = GetMessageTime();
            DispatchWithAccelerators(msg, accelerators);
        }
        PumpPending();
        EXPECT_EQ(window.commands, r.expected);
        EXPECT_TRUE(IsWindow(main));
    }
}

TEST(ShortcutTableTest, AcceleratorsAndMenuCarryTheCommandNumbers) {
    HACCEL accelerators =
        LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
    ASSERT_NE(accelerators, nullptr);
    ACCEL entries[8];
    const int n = CopyAcceleratorTableW(accelerators, entries, 8);
    ASSERT_EQ(n, 2);
    const struct {
        WORD key;
        WORD command;
    } expected[] = {{'A', IDM_ABOUT}, {'Q', IDM_EXIT}};
    for (int i = 0; i < n; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(entries[i].key, expected[i].key);
        EXPECT_EQ(entries[i].cmd, expected[i].command);
        EXPECT_EQ(entries[i].fVirt & (FVIRTKEY | FCONTROL | FSHIFT | FALT), FVIRTKEY | FCONTROL);
    }

    HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MENU));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 3);  // the "Receiver" drop-down between them
    const struct {
        int position;
        UINT command;
        const wchar_t* text;
        bool grayed;
    } items[] = {{0, IDM_SET_TIME, L"Set Time", true}, {2, IDM_ABOUT, L"About", false}};
    for (const auto& item : items) {
        const int i = item.position;
        SCOPED_TRACE(i);
        EXPECT_EQ(GetMenuItemID(menu, i), item.command) << "a command, not a drop-down";
        wchar_t text[32] = {};
        GetMenuStringW(menu, i, text, 32, MF_BYPOSITION);
        EXPECT_STREQ(text, item.text);
        const UINT state = GetMenuState(menu, i, MF_BYPOSITION);
        EXPECT_EQ((state & MF_GRAYED) != 0, item.grayed);
    }
    DestroyMenu(menu);
}

}  // namespace
}  // namespace app_test
