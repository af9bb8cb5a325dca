// View > Advanced Controls shows exactly the hidden controls that work, where
// the template put them (the panel tests check those places), covered by
// nothing and with the window on the screen; a second time restores the
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
        bool operator==(const State& o) const {
            return visible == o.visible && enabled == o.enabled && place == o.place;
        }
    };
    // The setup panel's children, the console too, and the main window's layout.
    std::map<HWND, State> Snapshot() const {
        const HWND setup = window.setupPanel.hwnd;
        std::map<HWND, State> all;
        for (HWND w = GetWindow(setup, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
            all[w] = {(GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) != 0, IsWindowEnabled(w) != 0,
                      RectIn(setup, w)};
        }
        RECT outer;
        GetWindowRect(main, &outer);
        all[main] = {true, true, {0, 0, outer.right - outer.left, outer.bottom - outer.top}};
        all[setup] = {true, true, RectIn(main, setup)};
        all[window.statusPanel.hwnd] = {true, true, RectIn(main, window.statusPanel.hwnd)};
        return all;
    }
};

TEST_F(AdvancedTest, ShowsExactlyTheWorkingHiddenControlsAndTheDefaultWindowComesBack) {
    const HWND setup = window.setupPanel.hwnd;
    std::set<HWND> advanced;
    for (int id :
         {IDC_FACTORY_RESET, IDC_GET_VERSION, IDC_POWER_SAVE, IDC_SBAS, IDC_VTG, IDC_USER_SENTENCE,
          IDC_SEND, IDC_AUTO_SEND, IDC_AUTO_PERIOD, IDC_LOG_FILE, IDC_LOG_NAME, IDC_SNR_OFFSET}) {
        advanced.insert(GetDlgItem(setup, id));
    }
    const auto home = Snapshot();
    for (const auto& [w, state] : home) {
        if (WindowText(w) == L"Mod:")
            advanced.insert(w);  // the signal offset's label
    }
    ASSERT_EQ(advanced.size(), 13u);
    const HWND console = window.setupPanel.console.hwnd();

    SendMessageW(main, WM_COMMAND, IDM_ADVANCED_CONTROLS, 0);
    EXPECT_TRUE(GetMenuState(GetMenu(main), IDM_ADVANCED_CONTROLS, MF_BYCOMMAND) & MF_CHECKED);
    const auto shown = Snapshot();
    const RECT& panel = shown.at(setup).place;
    for (const auto& [w, state] : shown) {
        if (GetParent(w) != setup || w == console)
            continue;
        SCOPED_TRACE(GetDlgCtrlID(w));
        EXPECT_EQ(state.visible, advanced.count(w) != 0 || home.at(w).visible);
        EXPECT_EQ(state.enabled, home.at(w).enabled) << "the view changes no control's state";
        EXPECT_TRUE(state.place == home.at(w).place) << "moved";
        RECT overlap;
        EXPECT_FALSE(state.visible &&
                     IntersectRect(&overlap, &state.place, &shown.at(console).place))
            << "under the console";
        EXPECT_LE(state.place.bottom, panel.bottom - panel.top) << "cut off";
    }
    // The console keeps its width and some lines; the status panel follows
    // the setup panel; the taller window stays within the screen's work area.
    const RECT& moved = shown.at(console).place;
    EXPECT_EQ(moved.right - moved.left, home.at(console).place.right - home.at(console).place.left);
    EXPECT_GE(moved.bottom - moved.top, 80);
    EXPECT_EQ(shown.at(window.statusPanel.hwnd).place.top, panel.bottom);
    RECT outer, work;
    GetWindowRect(main, &outer);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_TRUE(outer.top >= work.top && outer.bottom <= work.bottom);

    // The keyboard in a control that hides goes to the main window.
    SetFocus(GetDlgItem(setup, IDC_LOG_NAME));
    SendMessageW(main, WM_COMMAND, IDM_ADVANCED_CONTROLS, 0);
    EXPECT_EQ(GetFocus(), main);
    EXPECT_FALSE(GetMenuState(GetMenu(main), IDM_ADVANCED_CONTROLS, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_TRUE(Snapshot() == home);
}

TEST_F(AdvancedTest, TheMenuBarStaysOneLineSoTheClientAreaIsAsItWas) {
    RECT frame{0, 0, 0, 0};  // caption, borders and a menu bar of one line
    AdjustWindowRectEx(&frame, GetWindowLongW(main, GWL_STYLE), TRUE,
                       GetWindowLongW(main, GWL_EXSTYLE));
    RECT client, outer;
    GetClientRect(main, &client);
    GetWindowRect(main, &outer);
    EXPECT_EQ(client.bottom, (outer.bottom - outer.top) - (frame.bottom - frame.top));
}

}  // namespace
}  // namespace app_test
