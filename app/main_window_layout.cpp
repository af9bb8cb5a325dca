// The main window's size and DPI: the default and least size, the panels'
// places for any client area, a move to a monitor of another DPI, and the
// advanced view's taller setup panel.
#include <algorithm>

#include "app/main_window.h"
#include "panels/window_layout.h"
#include "res/resource.h"
#include "win32/dpi.h"
#include "win32/label_fit.h"
#include "win32/messages.h"

namespace {

// What the fixed 580 x 600 frame left of the window at 96 dpi.
window_layout::Size DefaultClient96() {
    const SIZE frame = OuterSizeForClient(SIZE{0, 0}, kClassicFrameStyle, 0, true, kDesignDpi);
    return {kMainWindowWidth - frame.cx, kMainWindowHeight - frame.cy};
}

void Place(HWND window, const status_layout::Box& b) {
    MoveWindow(window, b.left, b.top, b.right - b.left, b.bottom - b.top, TRUE);
}

}  // namespace

SIZE CBaseWnd::DefaultOuterSize(UINT dpi) const {
    const window_layout::Size home =
        window_layout::HomeAt(DefaultClient96(), static_cast<int>(dpi));
    return OuterSizeForClient(SIZE{home.width, home.height}, kMainWindowStyle, 0, true, dpi);
}

void CBaseWnd::LayOutPanels() {
    if (setupPanel.hwnd == nullptr || statusPanel.hwnd == nullptr)
        return;
    RECT client;
    GetClientRect(hwnd, &client);
    const window_layout::Layout layout = window_layout::LayOut(
        {client.right, client.bottom}, DefaultClient96(), static_cast<int>(dpi_), advancedExtra_);
    Place(setupPanel.hwnd, layout.setup);
    setupPanel.PlaceConsole(RECT{layout.consoleHome.left, layout.consoleHome.top,
                                 layout.consoleHome.right, layout.consoleHome.bottom});
    Place(statusPanel.hwnd, layout.status);
    statusPanel.SetView(
        {layout.status.right - layout.status.left, layout.statusShown, static_cast<int32_t>(dpi_)});
}

void CBaseWnd::OnMinMaxInfo(MINMAXINFO* info) const {
    const SIZE least = DefaultOuterSize(dpi_);
    info->ptMinTrackSize.x = least.cx;
    info->ptMinTrackSize.y = least.cy + advancedExtra_;
}

void CBaseWnd::OnDpiChanged(UINT dpi, const RECT* suggested) {
    const UINT old = dpi_ != 0 ? dpi_ : kDesignDpi;
    dpi_ = dpi != 0 ? dpi : kDesignDpi;
    advancedExtra_ = MulDiv(advancedExtra_, static_cast<int>(dpi_), static_cast<int>(old));
    setupPanel.PlaceCombos(dpi_);
    FitLabelsToText(setupPanel.hwnd);
    // Windows suggests the rectangle that keeps the window's place and scale
    // on the new monitor; without one the window keeps its place.
    if (suggested != nullptr) {
        SetWindowPos(hwnd, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    LayOutPanels();
}

void CBaseWnd::ShowAdvancedControls(bool shown) {
    MONITORINFO screen{};
    screen.cbSize = sizeof screen;
    GetMonitorInfoW(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), &screen);
    const RECT& work = screen.rcWork;
    RECT outer;
    GetWindowRect(hwnd, &outer);
    // On a short screen the console gives up some of its lines rather than
    // the window running off the bottom.
    int cut = 0;
    if (shown) {
        const int room = (work.bottom - work.top) - (outer.bottom - outer.top - advancedExtra_);
        cut = std::max(0, setupPanel.AdvancedConsoleShift() - room);
    }
    const int extra = setupPanel.ShowAdvanced(shown, cut);
    const int height = outer.bottom - outer.top + extra - advancedExtra_;
    advancedExtra_ = extra;
    LONG top = outer.top;
    if (shown && top + height > work.bottom)
        top = std::max(work.top, work.bottom - height);
    if (!IsZoomed(hwnd)) {
        SetWindowPos(hwnd, nullptr, outer.left, top, outer.right - outer.left, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    LayOutPanels();
    CheckMenuItem(GetMenu(hwnd), IDM_ADVANCED_CONTROLS,
                  MF_BYCOMMAND | (shown ? MF_CHECKED : MF_UNCHECKED));
}
