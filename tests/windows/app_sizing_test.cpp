// The main window grown, maximised, moved to a monitor of another DPI and
// back, and started at the system's DPI: the panels follow, the default
// comes back exactly, and the dialogs scale with their fonts. The DpiTest
// cases run again in prefixes of LogPixels 144 and 192 (tests/windows/
// dpi_tests.cmake).
#include <map>

#include "app_main_window_fixture.h"
#include "panels/ttff_dialog.h"
#include "panels/window_layout.h"
#include "win32/dpi.h"
#include "win32/label_fit.h"

namespace app_test {
namespace {

int64_t Area(const RECT& r) {
    return static_cast<int64_t>(r.right - r.left) * (r.bottom - r.top);
}

RECT Scaled(const RECT& r, UINT dpi) {
    return {ScaleToDpi(r.left, dpi), ScaleToDpi(r.top, dpi), ScaleToDpi(r.right, dpi),
            ScaleToDpi(r.bottom, dpi)};
}

void ExpectSame(const std::map<std::string, RECT>& got, const std::map<std::string, RECT>& want) {
    for (const auto& [name, place] : want)
        EXPECT_TRUE(got.at(name) == place)
            << name << " " << Show(got.at(name)) << " expected " << Show(place);
}

class SizingTest : public MainWindowTest<> {
  protected:
    int ShowCommand() const override { return SW_SHOW; }
    // Every place a layout sets, and the status panel's view.
    std::map<std::string, RECT> Places() const {
        RECT outer;
        GetWindowRect(main, &outer);
        const auto& view = window.statusPanel.CurrentView();
        return {
            {"outer", {0, 0, outer.right - outer.left, outer.bottom - outer.top}},
            {"setup", RectIn(main, window.setupPanel.hwnd)},
            {"status", RectIn(main, window.statusPanel.hwnd)},
            {"console", RectIn(window.setupPanel.hwnd, window.setupPanel.console.hwnd())},
            {"port", RectIn(window.setupPanel.hwnd, GetDlgItem(window.setupPanel.hwnd, IDC_PORT))},
            {"view", {0, view.dpi, view.width, view.height}}};
    }
    SIZE LeastSize() const {
        MINMAXINFO info{};
        SendMessageW(main, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        return {info.ptMinTrackSize.x, info.ptMinTrackSize.y};
    }
    void Resize(int width, int height) {
        SetWindowPos(main, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
        PumpPending();
    }
};

TEST_F(SizingTest, ALargerWindowGrowsTheConsoleAndThePanelAndTheDefaultComesBack) {
    const auto home = Places();
    const UINT dpi = window.Dpi();
    // Never smaller than the default window.
    const SIZE least = LeastSize();
    EXPECT_EQ(least.cx, home.at("outer").right);
    EXPECT_EQ(least.cy, home.at("outer").bottom);
    EXPECT_EQ(home.at("view").top, static_cast<LONG>(dpi));

    const struct {
        const char* what;
        int width, height;
        double least;  // both areas at least this many times the default's
    } rows[] = {
        {"1200 x 900 at 96 dpi, scaled", ScaleToDpi(1200, dpi), ScaleToDpi(900, dpi), 1.5},
        {"wider only", home.at("outer").right + ScaleToDpi(400, dpi), home.at("outer").bottom, 1.5},
        {"taller only", home.at("outer").right, home.at("outer").bottom + ScaleToDpi(300, dpi),
         1.3},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        Resize(r.width, r.height);
        const auto grown = Places();
        RECT client;
        GetClientRect(main, &client);
        const RECT& status = grown.at("status");
        const RECT shown{status.left, status.top, status.right, client.bottom};
        const RECT homeShown{0, home.at("status").top, home.at("status").right,
                             home.at("status").top + home.at("view").bottom};
        EXPECT_GE(Area(grown.at("console")), r.least * Area(home.at("console")));
        EXPECT_GE(Area(shown), r.least * Area(homeShown));
        // The panel fills the rest of the client area and paints for what shows.
        EXPECT_EQ(status.bottom, client.bottom);
        EXPECT_EQ(status.right, client.right);
        EXPECT_EQ(grown.at("view").right, client.right);
        EXPECT_EQ(grown.at("view").bottom, client.bottom - status.top);
        EXPECT_TRUE(grown.at("port") == home.at("port")) << "the controls stay where they are";
    }
    // Maximised: the same rules over the whole screen.
    ShowWindow(main, SW_MAXIMIZE);
    PumpPending();
    RECT client;
    GetClientRect(main, &client);
    EXPECT_EQ(RectIn(main, window.statusPanel.hwnd).bottom, client.bottom);
    EXPECT_EQ(window.statusPanel.CurrentView().width, client.right);
    ShowWindow(main, SW_RESTORE);
    Resize(home.at("outer").right, home.at("outer").bottom);
    ExpectSame(Places(), home);
}

TEST_F(SizingTest, ADpiChangeRescalesWindowPanelsAndConsoleAndBack) {
    const auto home = Places();
    const UINT from = window.Dpi();
    const UINT to = from == 144 ? 192 : 144;
    for (UINT dpi : {to, from}) {
        SCOPED_TRACE(dpi);
        // What Windows suggests when the window moves to a monitor of that DPI.
        const SIZE outer = window.DefaultOuterSize(dpi);
        RECT at;
        GetWindowRect(main, &at);
        const RECT suggested{at.left, at.top, at.left + outer.cx, at.top + outer.cy};
        SendMessageW(main, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        PumpPending();
        const auto now = Places();
        EXPECT_EQ(window.Dpi(), dpi);
        EXPECT_EQ(now.at("outer").right, outer.cx);
        EXPECT_EQ(now.at("outer").bottom, outer.cy);
        EXPECT_EQ(LeastSize().cx, outer.cx);
        // Wine keeps the frame of the system's DPI: the client area may come
        // out a few pixels larger than the default, and the console has them.
        const RECT console = now.at("console");
        const RECT design = Scaled(RECT{20, 100, 550, 290}, dpi);
        EXPECT_EQ(console.left, design.left);
        EXPECT_EQ(console.top, design.top);
        EXPECT_GE(console.right, design.right);
        EXPECT_LE(console.right, design.right + 10);
        EXPECT_GE(console.bottom, design.bottom);
        EXPECT_LE(console.bottom, design.bottom + 10);
        const RECT port = now.at("port");
        EXPECT_EQ(port.left, ScaleToDpi(100, dpi));
        EXPECT_EQ(port.right, ScaleToDpi(540, dpi));
        EXPECT_EQ(now.at("view").top, static_cast<LONG>(dpi));
        EXPECT_EQ(window.statusPanel.DrawingDpi(), static_cast<int32_t>(dpi));
        EXPECT_FALSE(window.statusPanel.CurrentView().width == 0);
    }
    ExpectSame(Places(), home);
}

// What the registry tells Wine the DPI is: HKCU first, as Wine reads it.
UINT PrefixDpi() {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", RRF_RT_REG_DWORD,
                     nullptr, &value, &size) == ERROR_SUCCESS)
        return value;
    return 96;
}

int FontPoints(HWND dialog, UINT dpi) {
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    return MulDiv(font.lfHeight < 0 ? -font.lfHeight : font.lfHeight, 72, static_cast<int>(dpi));
}

struct NoActions : TtffDialogActions {
    void OnTtffStart() override {}
    void OnTtffStop() override {}
    void OnTtffSave() override {}
    void OnTtffClosed() override {}
};

using DpiTest = MainWindowTest<>;

// Wine 8 treats the program as DPI-aware: GetDpiForSystem and
// GetDpiForWindow both answer the prefix's LogPixels.
TEST_F(DpiTest, TheWindowItsPanelsAndDialogsStartAtTheSystemsDpi) {
    const UINT dpi = PrefixDpi();
    EXPECT_EQ(DpiOfSystem(), dpi);
    EXPECT_EQ(DpiOfWindow(main), dpi);
    EXPECT_EQ(window.Dpi(), dpi);
    // Today's client area, scaled: 1.5 times it at 144 dpi.
    const SIZE fixed = OuterSizeForClient({0, 0}, kClassicFrameStyle, 0, true, 96);
    RECT client;
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, ScaleToDpi(kMainWindowWidth - fixed.cx, dpi));
    EXPECT_EQ(client.bottom, ScaleToDpi(kMainWindowHeight - fixed.cy, dpi));
    EXPECT_TRUE(RectIn(window.setupPanel.hwnd, window.setupPanel.console.hwnd()) ==
                Scaled(RECT{20, 100, 550, 290}, dpi));
    EXPECT_EQ(window.statusPanel.DrawingDpi(), static_cast<int32_t>(dpi));
    EXPECT_TRUE(status_layout::IsDefaultView(window.statusPanel.CurrentView()));

    // The dialogs' fonts, and so their dialog units, follow the DPI: the
    // panels, the About box and the TTFF window in their templates' points.
    EXPECT_EQ(FontPoints(window.setupPanel.hwnd, dpi), 10);
    HWND about = CreateDialogParamW(
        g_hInstance, MAKEINTRESOURCEW(IDD_ABOUT), main,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(FontPoints(about, dpi), 10);
    RECT units{0, 0, 242, 124}, box;
    MapDialogRect(about, &units);
    GetClientRect(about, &box);
    EXPECT_EQ(box.right, units.right);
    EXPECT_GE(box.right, ScaleToDpi(300, dpi)) << "about 2 pixels a unit at 96 dpi";
    DestroyWindow(about);
    NoActions actions;
    CTtffDlg ttff;
    ASSERT_TRUE(ttff.Create(main, actions, stats::TtffSeriesConfig{}));
    EXPECT_EQ(FontPoints(ttff.hwnd, dpi), 8);
    // Every label holds its text on its one line: none wraps or is cut.
    for (HWND dialog : {window.setupPanel.hwnd, ttff.hwnd})
        for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t cls[16] = {};
            GetClassNameW(child, cls, 16);
            if (lstrcmpiW(cls, L"Static") == 0) {
                EXPECT_TRUE(LabelHoldsText(child)) << WindowText(child);
            }
        }
    DestroyWindow(ttff.hwnd);
}

}  // namespace
}  // namespace app_test
