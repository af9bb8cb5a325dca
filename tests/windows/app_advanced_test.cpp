// View > Advanced Controls: it shows exactly the hidden controls that work,
// where the template put them (the panel tests check those places), makes
// room for them without covering any, and hiding them again restores the
// default window exactly.
#include <map>
#include <set>

#include "app_main_window_fixture.h"
#include "win32/messages.h"

namespace app_test {
namespace {

class AdvancedTest : public MainWindowTest<> {
  protected:
    int ShowCommand() const override { return SW_SHOW; }

    struct State {
        bool visible, enabled;
        RECT place;
    };
    // Every child of the setup panel, the console included, by handle.
    std::map<HWND, State> Children() const {
        std::map<HWND, State> children;
        for (HWND w = GetWindow(setup(), GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
            children[w] = {(GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) != 0,
                           IsWindowEnabled(w) != FALSE, RectIn(setup(), w)};
        }
        return children;
    }
    struct Geometry {
        RECT window, client, setup, status, console;
    };
    Geometry Layout() const {
        Geometry g{};
        GetWindowRect(main, &g.window);
        GetClientRect(main, &g.client);
        g.setup = RectIn(main, setup());
        g.status = RectIn(main, window.statusPanel.hwnd);
        g.console = RectIn(setup(), window.setupPanel.console.hwnd());
        return g;
    }
    void Toggle() { SendMessageW(main, WM_COMMAND, IDM_ADVANCED_CONTROLS, 0); }
    bool MenuChecked() const {
        return (GetMenuState(GetMenu(main), IDM_ADVANCED_CONTROLS, MF_BYCOMMAND) & MF_CHECKED) != 0;
    }
    HWND setup() const { return window.setupPanel.hwnd; }
};

bool Overlap(const RECT& a, const RECT& b) {
    RECT both;
    return IntersectRect(&both, &a, &b) != FALSE;
}

TEST_F(AdvancedTest, ShowsExactlyTheWorkingHiddenControlsAndHidesThemAgain) {
    std::set<HWND> advanced;
    for (int id :
         {IDC_FACTORY_RESET, IDC_GET_VERSION, IDC_POWER_SAVE, IDC_SBAS, IDC_VTG, IDC_USER_SENTENCE,
          IDC_SEND, IDC_AUTO_SEND, IDC_AUTO_PERIOD, IDC_LOG_FILE, IDC_LOG_NAME, IDC_SNR_OFFSET}) {
        advanced.insert(GetDlgItem(setup(), id));
    }
    const HWND console = window.setupPanel.console.hwnd();
    const auto before = Children();
    for (const auto& [w, state] : before) {
        if (WindowText(w) == L"Mod:")
            advanced.insert(w);  // the signal offset's label
    }
    ASSERT_EQ(advanced.size(), 13u);
    for (HWND w : advanced)
        ASSERT_FALSE(before.at(w).visible) << "the default view shows none of them";
    const Geometry home = Layout();
    EXPECT_FALSE(MenuChecked());

    Toggle();
    EXPECT_TRUE(MenuChecked());
    const Geometry shown = Layout();
    for (const auto& [w, state] : Children()) {
        SCOPED_TRACE(testing::Message() << GetDlgCtrlID(w) << " " << WindowText(w).size());
        const bool isAdvanced = advanced.count(w) != 0;
        EXPECT_EQ(state.visible, before.at(w).visible || isAdvanced);
        EXPECT_EQ(state.enabled, before.at(w).enabled) << "the view changes no control's state";
        if (w == console)
            continue;
        EXPECT_TRUE(state.place == before.at(w).place) << "moved to " << Show(state.place);
        if (state.visible) {
            EXPECT_FALSE(Overlap(state.place, shown.console)) << "under the console";
            EXPECT_LE(state.place.bottom, shown.setup.bottom - shown.setup.top) << "cut off";
        }
    }
    // The console keeps its width and a few lines, below the controls; the
    // status panel shows as much of itself as before, under the setup panel;
    // and the taller window stays on the screen.
    EXPECT_EQ(shown.console.left, home.console.left);
    EXPECT_EQ(shown.console.right, home.console.right);
    EXPECT_GE(shown.console.bottom - shown.console.top, 80);
    EXPECT_LE(shown.console.bottom, shown.setup.bottom);
    EXPECT_EQ(shown.status.top, shown.setup.bottom);
    EXPECT_EQ(shown.client.bottom - shown.status.top, home.client.bottom - home.status.top);
    EXPECT_EQ(shown.window.right - shown.window.left, kMainWindowWidth);
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    GetMonitorInfoW(MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST), &screen);
    EXPECT_LE(shown.window.bottom, screen.rcWork.bottom);
    EXPECT_GE(shown.window.top, screen.rcWork.top);

    // The keyboard in a control that hides goes to the main window, where
    // the shortcuts work.
    SetFocus(GetDlgItem(setup(), IDC_LOG_NAME));
    Toggle();
    EXPECT_EQ(GetFocus(), main);
    EXPECT_FALSE(MenuChecked());
    const Geometry back = Layout();
    EXPECT_EQ(back.window.bottom - back.window.top, kMainWindowHeight);
    for (auto [got, want] : {std::pair{back.client, home.client},
                             {back.setup, home.setup},
                             {back.status, home.status},
                             {back.console, home.console}}) {
        EXPECT_TRUE(got == want) << Show(got) << " expected " << Show(want);
    }
    const auto after = Children();
    for (const auto& [w, state] : after) {
        SCOPED_TRACE(GetDlgCtrlID(w));
        EXPECT_EQ(state.visible, before.at(w).visible);
        EXPECT_TRUE(state.place == before.at(w).place);
    }
}

TEST_F(AdvancedTest, TheMenuBarStaysOneLineHigh) {
    // The client area is what the frame leaves of 580 x 600 with a menu bar
    // of one line: the drop-down menus did not wrap it to a second.
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, GetWindowLongW(main, GWL_STYLE), TRUE,
                       GetWindowLongW(main, GWL_EXSTYLE));
    RECT client;
    GetClientRect(main, &client);
    EXPECT_EQ(client.bottom, kMainWindowHeight - (frame.bottom - frame.top));
    RECT bar{};
    MENUBARINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetMenuBarInfo(main, OBJID_MENU, 0, &info));
    bar = info.rcBar;
    EXPECT_LE(bar.bottom - bar.top, GetSystemMetrics(SM_CYMENU) + 1);
}

}  // namespace
}  // namespace app_test
