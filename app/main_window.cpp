#include "app/main_window.h"

#include <dbt.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>

#include "app/about_box.h"
#include "app/network_open.h"
#include "app/program_arguments.h"
#include "link/link_state_win32.h"
#include "link/log_file_win32.h"
#include "link/raw_recording_win32.h"
#include "link/source_address.h"
#include "nmea/sentence_intake.h"
#include "res/resource.h"
#include "win32/dpi.h"
#include "win32/messages.h"
#include "win32/window_items.h"

int32_t g_creating = 0;
uint8_t g_settleArmed = 0;

namespace {

constexpr UINT kStartupPeriodMs = 1200;
constexpr UINT kSettlePeriodMs = 2000;
constexpr DWORD kArrivalPauseMs = 500;
constexpr int kTextUnits = 512;
constexpr size_t kNoticePortUnits = 64;

void ArmSettleTimer(HWND hwnd) {
    if (g_settleArmed == 0) {
        g_settleArmed = 1;
        SetTimer(hwnd, TIMER_DEVICE_SETTLE, kSettlePeriodMs, nullptr);
    }
}

// The port a device notice names ("COM5"), when it is a port notice. The
// system's notices carry one; a notice sent with lParam 0 (Wine sends none of
// its own for ports, so tests and other programs send these) is only a cue
// to look at the ports again, and its lParam is never read.
bool PortNamedIn(LPARAM notice, wchar_t* port, size_t capacity) {
    const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(notice);
    if (header == nullptr || header->dbch_devicetype != DBT_DEVTYP_PORT ||
        header->dbch_size <= offsetof(DEV_BROADCAST_PORT_W, dbcp_name))
        return false;
    const auto* named = reinterpret_cast<const DEV_BROADCAST_PORT_W*>(notice);
    const size_t units =
        (header->dbch_size - offsetof(DEV_BROADCAST_PORT_W, dbcp_name)) / sizeof(wchar_t);
    size_t n = 0;
    while (n < units && n + 1 < capacity && named->dbcp_name[n] != 0) {
        port[n] = named->dbcp_name[n];
        ++n;
    }
    port[n] = 0;
    return n > 0;
}

}  // namespace

CBaseWnd::CBaseWnd()
    : statusPanel(model),
      intakeHost(setupPanel, statusPanel),
      linkControl(setupPanel, statusPanel, model, intakeHost),
      ttffRun(linkControl, model, ttffDialog),
      positionRun(positionDialog) {}

void CBaseWnd::RegisterWindowClass(HINSTANCE instance, const wchar_t* className) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = CWnd::StaticWndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_SKYLOOM));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszMenuName = MAKEINTRESOURCEW(IDR_MENU);
    wc.lpszClassName = className;
    wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_SKYLOOM), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    // A failed registration shows as the failure of CreateWindowExW.
    RegisterClassExW(&wc);
}

bool CBaseWnd::CreateMainWindow(HINSTANCE instance, int showCommand) {
    g_hInstance = instance;
    wchar_t className[kTextUnits] = {};
    wchar_t caption[kTextUnits] = {};
    LoadStringW(instance, IDS_APP_NAME, className, kTextUnits);
    LoadStringW(instance, IDS_APP_NAME, caption, kTextUnits);
    RegisterWindowClass(instance, className);

    // A new window opens on the primary monitor, at the system's DPI; a
    // monitor of another DPI tells it with WM_DPICHANGED.
    dpi_ = DpiOfSystem();
    const SIZE outer = DefaultOuterSize(dpi_);
    HWND window =
        CreateWindowExW(0, className, caption, kMainWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                        outer.cx, outer.cy, nullptr, nullptr, instance, static_cast<CWnd*>(this));
    if (window == nullptr)
        return false;

    ShowWindow(window, showCommand);
    UpdateWindow(window);
    SetTimer(window, TIMER_STARTUP, kStartupPeriodMs, nullptr);
    return true;
}

void CBaseWnd::OpenStartSource(const linkrules::CommandLineChoice& choice) {
    if (!choice.error.empty()) {
        ShowArgumentsRefused(hwnd, choice);
        return;
    }
    SendDlgItemMessageW(setupPanel.hwnd, IDC_BAUD, CB_SETCURSEL,
                        static_cast<WPARAM>(choice.baudIndex), 0);
    // The list shows what was opened, as if it had been chosen there.
    const wchar_t* entry = linkrules::IsNetworkSource(choice.source)                 ? L"Network:"
                           : choice.source.kind == linkrules::SourceKind::kRecording ? L"Log File:"
                                                                                     : nullptr;
    const LRESULT at =
        entry ? SendDlgItemMessageW(setupPanel.hwnd, IDC_PORT, CB_FINDSTRINGEXACT,
                                    static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry))
              : CB_ERR;
    if (at != CB_ERR)
        SendDlgItemMessageW(setupPanel.hwnd, IDC_PORT, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    if (choice.source.kind != linkrules::SourceKind::kNone)
        setupPanel.ShowToggled(linkControl.OpenChosen(choice.source));
}

bool CBaseWnd::OnCreate(HWND hwnd) {
    g_creating = 1;
    dpi_ = DpiOfWindow(hwnd);
    // A missing picture leaves the sky chart blank; the program still runs.
    statusPanel.skyBitmap.reset(LoadBitmapW(g_hInstance, MAKEINTRESOURCEW(IDB_SKY)));

    if (!setupPanel.Create(hwnd))
        return false;
    setupPanel.mainWindow = hwnd;
    linkControl.SetOwner(hwnd);
    ttffRun.SetOwner(hwnd);
    positionRun.SetOwner(hwnd);
    linkControl.ListPorts();
    SetParent(setupPanel.hwnd, hwnd);
    ShowWindow(setupPanel.hwnd, SW_SHOW);

    if (!statusPanel.Create(hwnd))
        return false;
    SetParent(statusPanel.hwnd, hwnd);
    LayOutPanels();
    ShowWindow(statusPanel.hwnd, SW_SHOW);

    intakeHost.SetMainWindow(hwnd);
    g_creating = 0;
    return true;
}

void CBaseWnd::OnRecordingChanged() {
    const bool on = RawRecordingOn();
    HMENU menu = GetMenu(hwnd);
    EnableMenuItem(menu, IDM_RECORD_RAW, MF_BYCOMMAND | (on ? MF_GRAYED : MF_ENABLED));
    EnableMenuItem(menu, IDM_RECORD_STOP, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    // The caption's own text stays; SetCaption adds or drops the mark.
    SetWindowTextW(hwnd, WindowTextOf(hwnd).c_str());
}

// Every writer of the caption (the link's open, a cold start, the first-fix
// time) goes through here, so none of them needs to know about recording.
LRESULT CBaseWnd::SetCaption(HWND window, const wchar_t* text) {
    std::wstring caption = text != nullptr ? text : L"";
    const size_t markLength = sizeof kRecordingMark / sizeof kRecordingMark[0] - 1;
    if (caption.size() >= markLength &&
        caption.compare(caption.size() - markLength, markLength, kRecordingMark) == 0) {
        caption.resize(caption.size() - markLength);
    }
    if (RawRecordingOn())
        caption += kRecordingMark;
    return DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption.c_str()));
}

void CBaseWnd::OnDestroy() {
    KillTimer(hwnd, TIMER_DEVICE_SETTLE);
    ttffRun.Shutdown();
    positionRun.Shutdown();
    KillTimer(hwnd, TIMER_PORT_RETRY);
    // The panels outlive this step by a few messages; none may paint with a
    // deleted handle.
    statusPanel.skyBitmap.reset();
    linkControl.link().Close();
    StopLog();
    StopRawRecording();
    PostQuitMessage(0);
}

void CBaseWnd::OnActivate(UINT state) {
    if (state == WA_ACTIVE && g_creating == 0)
        statusPanel.Redraw();
}

void CBaseWnd::OnCommand(HWND hwnd, UINT command) {
    switch (command) {
        case IDM_ABOUT: {
            CAbout about(hwnd);
            break;
        }
        case IDM_EXIT:
            if (g_creating == 1)
                break;
            KillTimer(hwnd, TIMER_DEVICE_SETTLE);
            PostMessageW(hwnd, WM_CLOSE, 0, 0);
            break;
        case IDC_SCAN_PORTS:
            linkControl.RescanPorts();
            break;
        case IDM_TTFF_TEST:
            ttffRun.OpenDialog();
            break;
        case IDM_POSITION_STATS:
            positionRun.OpenDialog();
            break;
        case IDM_ADVANCED_CONTROLS:
            ShowAdvancedControls(!setupPanel.AdvancedShown());
            break;
        case IDM_RECORD_RAW:
            linkControl.StartRecording();
            OnRecordingChanged();
            break;
        case IDM_RECORD_STOP:
            linkControl.StopRecording();
            OnRecordingChanged();
            break;
        case IDM_SET_TIME: {
            SYSTEMTIME local;
            if (ClockTimeFromReceiver(model, &local))
                SetLocalTime(&local);  // fails quietly without the privilege
            break;
        }
        default:
            break;
    }
}

void CBaseWnd::OnTimer(HWND hwnd, UINT_PTR timer) {
    switch (timer) {
        case TIMER_DEVICE_SETTLE:
            KillTimer(hwnd, TIMER_DEVICE_SETTLE);
            g_settleArmed = 0;
            if (!linkControl.OnPortsSettled())
                ArmSettleTimer(hwnd);  // the user is choosing from the list
            break;
        case TIMER_PORT_RETRY:
            linkControl.RetryLostPort();
            break;
        case TIMER_AUTO_SEND:
            SendMessageW(hwnd, UM_SEND_USER_SENTENCE, 0, 0);
            break;
        case TIMER_POSITION:
            positionRun.OnTimer();
            break;
        case TIMER_TTFF:
            ttffRun.OnTimer();
            break;
        default:
            break;
    }
}

void CBaseWnd::OnDeviceChange(HWND hwnd, WPARAM event, LPARAM notice) {
    const bool arrival = event == DBT_DEVICEARRIVAL;
    if ((!arrival && event != DBT_DEVICEREMOVECOMPLETE) || g_creating != 0)
        return;
    wchar_t port[kNoticePortUnits];
    const bool named = PortNamedIn(notice, port, kNoticePortUnits);
    if (arrival)
        Sleep(kArrivalPauseMs);
    linkControl.OnDeviceNotice(!arrival, named ? port : nullptr);
    ArmSettleTimer(hwnd);
}

bool ClockTimeFromReceiver(const ReceiverModel& status, SYSTEMTIME* local) {
    // Before the first RMC with date and time there is nothing to set the
    // clock from: an all-zero or half-made time must never reach it.
    if (status.receiverTimeSet == 0 || !IsValidCivilTime(status.receiverTime))
        return false;
    std::memcpy(local, &status.receiverTime, sizeof *local);
    return true;
}

LRESULT CBaseWnd::DeliverLine(const char16_t* line) {
    const LRESULT handled = OnLineReceived(intakeHost, model, line);
    ttffRun.AfterLine();
    positionRun.AfterLine(line);
    return handled;
}

LRESULT CBaseWnd::OnProgramMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case UM_TOGGLE_LINK:
            // The panel reads LinkOpen and applies the control state itself.
            return linkControl.ToggleLink();
        case UM_LINE_RECEIVED: {
            // Any process can send this number with any wParam: only the line
            // the reader is handing over right now is ever read.
            const wchar_t* line = ClaimDeliveredLine(wParam);
            if (line == nullptr)
                return 0;
            static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide text must be 16-bit");
            return DeliverLine(reinterpret_cast<const char16_t*>(line));
        }
        case UM_LOG_START:
            return linkControl.StartLogging();
        case UM_LOG_STOP:
            return linkControl.StopLogging();
        case UM_COLD_START:
        case UM_POWER_SAVE_ON:
        case UM_POWER_SAVE_OFF:
        case UM_SBAS_ON:
        case UM_SBAS_OFF:
        case UM_VTG_ON:
        case UM_VTG_OFF:
        case UM_QUERY_VERSION:
        case UM_SEND_USER_SENTENCE:
        case UM_AUTO_SEND_START:
        case UM_AUTO_SEND_STOP:
        case UM_FACTORY_RESET:
            return linkControl.OnReceiverCommand(message);
        default:  // 2727 is not used
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

LRESULT CBaseWnd::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            return OnCreate(hwnd) ? 0 : -1;
        case WM_DESTROY:
            OnDestroy();
            return 0;
        case WM_CLOSE:
            if (g_networkOpening != 0) {
                PostMessageW(hwnd, WM_CLOSE, 0, 0);
                return 0;
            }
            return DefWindowProcW(hwnd, message, wParam, lParam);
        case WM_ACTIVATE:
            OnActivate(LOWORD(wParam));
            return 0;
        case WM_PAINT:
            DefaultPaint(hwnd);
            return 0;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED)
                LayOutPanels();
            return 0;
        case WM_GETMINMAXINFO:
            OnMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
            return 0;
        case WM_DPICHANGED:
            OnDpiChanged(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_SETTEXT:
            return SetCaption(hwnd, reinterpret_cast<const wchar_t*>(lParam));
        case WM_SETTINGCHANGE:
        case WM_NOTIFY:
        case WM_HELP:
            return 0;
        case WM_COMMAND:
            OnCommand(hwnd, LOWORD(wParam));
            return 0;
        case WM_TIMER:
            OnTimer(hwnd, wParam);
            return 0;
        case WM_DEVICECHANGE:
            OnDeviceChange(hwnd, wParam, lParam);
            return TRUE;
        case UM_PORT_LOST:
            linkControl.OnPortLost(wParam);
            return 0;
        default:
            if (message >= kFirstProgramMessage && message <= kLastProgramMessage)
                return OnProgramMessage(hwnd, message, wParam, lParam);
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}
