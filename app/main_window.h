// The main window: creates and places the two panels, routes every message
// (menu, shortcuts, timers, device changes and the program messages through
// which the panels, the reader thread and the auto-send timer ask for work).
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/link_control.h"
#include "app/position_run.h"
#include "app/ttff_run.h"
#include "app/win32_intake_host.h"
#include "link/command_line.h"
#include "panels/position_dialog.h"
#include "panels/setup_panel.h"
#include "panels/status_panel.h"
#include "panels/ttff_dialog.h"
#include "win32/wnd.h"

// 1 while the WM_CREATE step runs: Exit, device arrivals and the activation
// repaint are suppressed meanwhile.
extern int32_t g_creating;
// 1 while TIMER_DEVICE_SETTLE is armed.
extern uint8_t g_settleArmed;

class CBaseWnd : public CWnd {
  public:
    CBaseWnd();
    ~CBaseWnd() override {}

    // Registers the class, creates and shows the 580x600 window with both
    // panels, arms the startup timer. False when no window came about.
    bool CreateMainWindow(HINSTANCE instance, int showCommand);

    static void RegisterWindowClass(HINSTANCE instance, const wchar_t* className);

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The intake step of UM_LINE_RECEIVED once the line is known to be the
    // reader's own: decode, show, redraw. 1 when handled, 0 when dropped.
    LRESULT DeliverLine(const char16_t* line);

    // The receiver model: the intake writes it, every view reads it.
    ReceiverModel model{};
    CBackupDlg setupPanel;
    CRestoreDlg statusPanel;
    Win32IntakeHost intakeHost;
    LinkControl linkControl;
    CTtffDlg ttffDialog;
    TtffRun ttffRun;
    CPositionDlg positionDialog;
    PositionRun positionRun;

    // The command line's choice, once the window shows: its refusal in a
    // message box, or its rate set in the baud list and its source opened as
    // if started by hand.
    void OpenStartSource(const linkrules::CommandLineChoice& choice);

    // View > Advanced Controls: the setup panel shows or hides them, and the
    // window grows below them by what the panel needs, or shrinks back to
    // exactly the default view.
    void ShowAdvancedControls(bool shown);

    // The outer size of the default window at `dpi`: today's client area,
    // scaled, in the sizing frame. The window is never made smaller.
    SIZE DefaultOuterSize(UINT dpi) const;
    UINT Dpi() const { return dpi_; }

  private:
    bool OnCreate(HWND hwnd);
    // Places the panels and the console for the client area's size and DPI.
    void LayOutPanels();
    void OnDpiChanged(UINT dpi, const RECT* suggested);
    void OnMinMaxInfo(MINMAXINFO* info) const;
    void OnRecordingChanged();
    LRESULT SetCaption(HWND hwnd, const wchar_t* text);
    void OnDestroy();
    void OnActivate(UINT state);
    void OnCommand(HWND hwnd, UINT command);
    void OnTimer(HWND hwnd, UINT_PTR timer);
    void OnDeviceChange(HWND hwnd, WPARAM event, LPARAM notice);
    LRESULT OnProgramMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    UINT dpi_ = 96;          // the monitor's the window is on
    int advancedExtra_ = 0;  // how much taller the setup panel is with its advanced controls
};

// The main window's frame: sizing border, minimise and maximise boxes.
constexpr DWORD kMainWindowStyle = WS_OVERLAPPEDWINDOW;

// What the caption carries behind its text while a raw recording runs.
constexpr wchar_t kRecordingMark[] = L" - Recording";

// The outer size the window had in its fixed frame at 96 dpi: the client
// area that frame left is the default and the least one.
constexpr int kMainWindowWidth = 580;
constexpr int kMainWindowHeight = 600;
constexpr DWORD kClassicFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;

// The local time IDM_SET_TIME sets: false while the receiver has not yet
// delivered a valid date and time.
bool ClockTimeFromReceiver(const ReceiverModel& status, SYSTEMTIME* local);

// Height of the setup panel for a client area of the given height.
constexpr int SplitHeight(int clientHeight) {
    return clientHeight / 2 + 30;
}
