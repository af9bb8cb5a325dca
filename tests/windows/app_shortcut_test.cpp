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
        {"Ctrl+D to the main window", main, 'D', true, {IDM_ADVANCED_CONTROLS}},
        {"Ctrl+R to the main window", main, 'R', true, {IDM_RECORD_RAW}},
        {"D alone", main, 'D', false, {}},
        {"Q alone", main, 'Q', false, {}},
        {"Ctrl+Z, no shortcut", main, 'Z', true, {}},
        {"Ctrl+Q to the console", console, 'Q', true, {}},
        {"Ctrl+A to the console", console, 'A', true, {}},
        {"Ctrl+Q to the baud list", baud, 'Q', true, {}},
        {"Ctrl+A to Start GPS", startButton, 'A', true, {}},
        {"Ctrl+D to the console", console, 'D', true, {}},
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
    ASSERT_EQ(n, 4);
    const struct {
        WORD key;
        WORD command;
    } expected[] = {
        {'A', IDM_ABOUT}, {'Q', IDM_EXIT}, {'D', IDM_ADVANCED_CONTROLS}, {'R', IDM_RECORD_RAW}};
    for (int i = 0; i < n; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(entries[i].key, expected[i].key);
        EXPECT_EQ(entries[i].cmd, expected[i].command);
        EXPECT_EQ(entries[i].fVirt & (FVIRTKEY | FCONTROL | FSHIFT | FALT), FVIRTKEY | FCONTROL);
    }

    HMENU bar = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MENU));
    ASSERT_NE(bar, nullptr);
    // Position on the bar (-1: a command on the bar itself) and in its drop-down.
    const struct {
        int onBar;
        int inMenu;
        UINT command;
        const wchar_t* text;
        bool grayed;
    } items[] = {
        {0, 0, IDM_RECORD_RAW, L"Record Raw...\tCtrl+R", false},
        {0, 1, IDM_RECORD_STOP, L"Stop Recording", true},
        {1, 0, IDM_ADVANCED_CONTROLS, L"Advanced Controls\tCtrl+D", false},
        {2, -1, IDM_SET_TIME, L"Set Time", true},
        {3, 0, IDM_TTFF_TEST, L"TTFF Test...", false},
        {3, 1, IDM_POSITION_STATS, L"Position Statistics...", false},
        {4, -1, IDM_ABOUT, L"About", false},
    };
    ASSERT_EQ(GetMenuItemCount(bar), 5);
    const struct {
        int onBar;
        const wchar_t* text;
    } dropDowns[] = {{0, L"File"}, {1, L"View"}, {3, L"Receiver"}};
    for (const auto& d : dropDowns) {
        wchar_t text[32] = {};
        GetMenuStringW(bar, d.onBar, text, 32, MF_BYPOSITION);
        EXPECT_STREQ(text, d.text);
        ASSERT_NE(GetSubMenu(bar, d.onBar), nullptr) << d.onBar;
    }
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, 0)), 2);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, 1)), 1);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(bar, 3)), 2);
    for (const auto& item : items) {
        SCOPED_TRACE(testing::Message() << item.onBar << "/" << item.inMenu);
        HMENU menu = item.inMenu < 0 ? bar : GetSubMenu(bar, item.onBar);
        const int at = item.inMenu < 0 ? item.onBar : item.inMenu;
        EXPECT_EQ(GetMenuItemID(menu, at), item.command);
        wchar_t text[64] = {};
        GetMenuStringW(menu, at, text, 64, MF_BYPOSITION);
        EXPECT_STREQ(text, item.text);
        const UINT state = GetMenuState(menu, at, MF_BYPOSITION);
        EXPECT_EQ((state & MF_GRAYED) != 0, item.grayed);
        EXPECT_EQ(state & MF_CHECKED, 0u);
    }
    DestroyMenu(bar);
}

}  // namespace
}  // namespace app_test
