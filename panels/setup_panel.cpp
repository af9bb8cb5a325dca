#include "panels/setup_panel.h"

#include <commctrl.h>

#include "app/messages.h"
#include "link/port_discovery_win32.h"
#include "res/resource.h"

namespace {

// The record size RichEdit 1.0 expects; it must match the platform's layout.
constexpr UINT kCharFormatSize = 92;
static_assert(sizeof(CHARFORMATW) == kCharFormatSize, "CHARFORMATW layout differs");

constexpr DWORD kConsoleStyle =
    WS_CHILD | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY;

const wchar_t* const kBaudRates[] = {L"1200",  L"2400",  L"4800",  L"9600",  L"14400",
                                     L"19200", L"38400", L"57600", L"115200"};
constexpr WPARAM kDefaultBaudIndex = 2;  // "4800"

// The port list's last entry: plays back a recording instead of a port.
const wchar_t kPlaybackEntry[] = L"Log File:";

// The combo boxes' places in pixels (left, top, right, bottom); the height
// includes the drop-down list.
constexpr RECT kPortPlace = {100, 0, 540, 140};
constexpr RECT kBaudPlace = {100, 30, 240, 140};

// Receiver commands other than the resets: enabled only while a link is open.
const int kLinkCommands[] = {IDC_VTG,         IDC_POWER_SAVE, IDC_SBAS,
                             IDC_GET_VERSION, IDC_SEND,       IDC_USER_SENTENCE};

void Place(HWND dialog, int id, const RECT& r) {
    MoveWindow(GetDlgItem(dialog, id), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void AddString(HWND dialog, int id, const wchar_t* text) {
    SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void Enable(HWND dialog, int id, bool enabled) {
    EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE);
}

// Near the emptying limit (more than 2000 lines) the control counts itself:
// whether it empties before a line must not hang on a prediction.
constexpr LRESULT kCountedByTheControlFrom = 2000 - 64;

// The console's window procedure sees every message sent to it, from this
// program or another one, before RichEdit does.
const wchar_t kPanelProperty[] = L"Skyloom.SetupPanel";
WNDPROC g_richEditProc = nullptr;

LRESULT CALLBACK ConsoleProc(HWND console, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* panel = static_cast<CBackupDlg*>(GetPropW(console, kPanelProperty));
    if (panel != nullptr)
        panel->BeforeConsoleMessage(message);
    return CallWindowProcW(g_richEditProc, console, message, wParam, lParam);
}

// Line breaks in an insertion: each CR LF pair is one line more. A CR or LF
// on its own gives -1: how the control counts those is left to the control.
LRESULT PairedBreaks(const wchar_t* text) {
    LRESULT breaks = 0;
    for (const wchar_t* p = text; *p != L'\0'; ++p) {
        if (*p == L'\r' && p[1] == L'\n') {
            ++breaks;
            ++p;
        } else if (*p == L'\r' || *p == L'\n') {
            return -1;
        }
    }
    return breaks;
}

// Messages after which the control still inserts in the colour it did.
bool KeepsInsertionFormat(UINT message) {
    switch (message) {
        case WM_PAINT:
        case WM_NCPAINT:
        case WM_ERASEBKGND:
        case WM_SETREDRAW:
        case EM_SCROLLCARET:
        case EM_GETLINECOUNT:
        case WM_GETTEXT:
        case WM_GETTEXTLENGTH:
            return true;
        default:
            return false;
    }
}

}  // namespace

bool CBackupDlg::Create(HWND parent) {
    HWND dialog =
        CreateDialogParamW(g_hInstance, MAKEINTRESOURCEW(IDD_SETUP_PANEL), parent,
                           CWnd::StaticDlgProc, reinterpret_cast<LPARAM>(static_cast<CWnd*>(this)));
    return dialog != nullptr;
}

LRESULT CBackupDlg::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            return OnInitDialog(window);
        case WM_COMMAND:
            OnCommand(window, LOWORD(wParam));
            return 0;
        case WM_PAINT:
            DefaultPaint(window);
            return 0;
        case WM_TIMER:
            if (wParam == ConsoleRedraw::kTimerId) {
                ConsoleFlush();
                return 0;
            }
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_DESTROY:
            KillTimer(window, ConsoleRedraw::kTimerId);
            // What was never shown goes with the window.
            pendingText.clear();
            if (console != nullptr)
                RemovePropW(console, kPanelProperty);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CBackupDlg::OnInitDialog(HWND window) {
    console = nullptr;
    PortCount = 0;
    Place(window, IDC_PORT, kPortPlace);
    Place(window, IDC_BAUD, kBaudPlace);
    FillLists(window);
    InitCommonControls();
    // RichEdit 1.0 registers its "RICHEDIT" class on load; the library stays
    // loaded for the life of the program.
    LoadLibraryW(L"RICHED32.DLL");
    CreateConsole(window);
    return 1;
}

void CBackupDlg::FillLists(HWND window) {
    SendDlgItemMessageW(window, IDC_BAUD, CB_RESETCONTENT, 0, 0);
    SendDlgItemMessageW(window, IDC_PORT, CB_RESETCONTENT, 0, 0);
    for (const wchar_t* rate : kBaudRates)
        AddString(window, IDC_BAUD, rate);
    AddString(window, IDC_FILTER_FIELD, L"Speed");
    AddString(window, IDC_FILTER_FIELD, L"Height");
    AddString(window, IDC_FILTER_OP, L"=");
    AddString(window, IDC_FILTER_OP, L">");
    AddString(window, IDC_FILTER_OP, L"<");
    SendDlgItemMessageW(window, IDC_BAUD, CB_SETCURSEL, kDefaultBaudIndex, 0);
    EnumeratePorts(window);
    AddString(window, IDC_PORT, kPlaybackEntry);
    SendDlgItemMessageW(window, IDC_PORT, CB_SETCURSEL, 0, 0);
}

void CBackupDlg::CreateConsole(HWND window) {
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
    console = CreateWindowExW(0, L"RICHEDIT", L"RichEdit", kConsoleStyle, 20, 100, 530, 190, window,
                              nullptr, instance, nullptr);
    if (console == nullptr)
        return;
    // Every RichEdit window shares its class's procedure.
    if (SetPropW(console, kPanelProperty, static_cast<HANDLE>(this))) {
        const auto previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(console, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ConsoleProc)));
        if (previous != &ConsoleProc)
            g_richEditProc = previous;
    }
    ConsoleClear();
    SendMessageW(console, WM_SETFOCUS, 0, 0);
    ShowWindow(console, SW_SHOW);
    consoleRedraw.Attach(console, window);
    // The default character height read here is kept by every later colour change.
    consoleFormat = CHARFORMATW{};
    consoleFormat.cbSize = kCharFormatSize;
    SendMessageW(console, EM_GETCHARFORMAT, SCF_SELECTION,
                 reinterpret_cast<LPARAM>(&consoleFormat));
}

void CBackupDlg::SetConsoleColor(COLORREF colour) {
    if (console == nullptr)
        return;
    if (!pendingText.empty()) {
        // The gathered text goes in the colour it was gathered in.
        if (insertionColour != kNoColour && colour == insertionColour)
            return;
        InsertPending();
    }
    consoleFormat.cbSize = kCharFormatSize;
    consoleFormat.dwMask = CFM_SIZE | CFM_COLOR | CFM_FACE | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE;
    consoleFormat.dwEffects = 0;
    consoleFormat.yOffset = 0;
    consoleFormat.crTextColor = colour;
    consoleFormat.bCharSet = 0;
    consoleFormat.bPitchAndFamily = 0;
    lstrcpynW(consoleFormat.szFaceName, L"System", LF_FACESIZE);
    SendMessageW(console, EM_SETCHARFORMAT, SCF_SELECTION,
                 reinterpret_cast<LPARAM>(&consoleFormat));
    insertionColour = colour;
}

int CBackupDlg::ConsoleLineCount() {
    if (console == nullptr)
        return 0;
    if (!pendingText.empty() && pendingBreaks >= 0) {
        const LRESULT lines = pendingBaseLines + pendingBreaks;
        if (lines < kCountedByTheControlFrom)
            return static_cast<int>(lines);
    }
    InsertPending();
    return static_cast<int>(SendMessageW(console, EM_GETLINECOUNT, 0, 0));
}

void CBackupDlg::BeforeConsoleMessage(UINT message) {
    if (insertingPending)
        return;
    if (!KeepsInsertionFormat(message))
        insertionColour = kNoColour;
    // Painting shows what the control holds; nothing else may find it behind.
    if (message != WM_PAINT && message != WM_NCPAINT && message != WM_ERASEBKGND)
        InsertPending();
}

void CBackupDlg::InsertPending() {
    if (pendingText.empty())
        return;
    insertingPending = true;
    {
        ConsoleRedraw::Quiet quiet(consoleRedraw);
        SendMessageW(console, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(pendingText.c_str()));
    }
    insertingPending = false;
    pendingText.clear();  // keeps its buffer for the next lines
}

void CBackupDlg::ConsoleClear() {
    if (console == nullptr)
        return;
    InsertPending();
    {
        ConsoleRedraw::Quiet quiet(consoleRedraw);
        EmptyConsole();
    }
    consoleRedraw.AfterChange();
}

// Setting the text of a full console to "" takes seconds under Wine (the
// reader waits all that time); cutting it from the end a hundred lines at a
// time gets to the same empty console several times faster.
void CBackupDlg::EmptyConsole() {
    constexpr LRESULT kLinesPerCut = 100;
    // Bounded: a control that refused to cut must not hold the program here.
    const LRESULT cuts = SendMessageW(console, EM_GETLINECOUNT, 0, 0) / kLinesPerCut + 1;
    for (LRESULT cut = 0; cut < cuts; ++cut) {
        const LRESULT lines = SendMessageW(console, EM_GETLINECOUNT, 0, 0);
        if (lines <= kLinesPerCut)
            break;
        const LRESULT from = SendMessageW(console, EM_LINEINDEX, lines - kLinesPerCut, 0);
        if (from <= 0)
            break;
        SendMessageW(console, EM_SETSEL, from, -1);
        SendMessageW(console, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    }
    // The rest, whatever the cuts left.
    SendMessageW(console, EM_SETSEL, 0, -1);
    SendMessageW(console, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    // The colour chosen for the next line is kept, as it is when nothing is cut.
    if (consoleFormat.dwMask != 0)
        SendMessageW(console, EM_SETCHARFORMAT, SCF_SELECTION,
                     reinterpret_cast<LPARAM>(&consoleFormat));
}

void CBackupDlg::ConsoleInsert(const wchar_t* text) {
    if (console == nullptr)
        return;
    consoleRedraw.Owe();
    if (pendingText.empty()) {
        pendingBaseLines = SendMessageW(console, EM_GETLINECOUNT, 0, 0);
        pendingBreaks = 0;
    }
    const LRESULT breaks = PairedBreaks(text);
    pendingBreaks = breaks < 0 || pendingBreaks < 0 ? -1 : pendingBreaks + breaks;
    pendingText += text;
    if (consoleRedraw.FrameDue())
        ConsoleFlush();
}

void CBackupDlg::ConsoleShowOnly(const wchar_t* text) {
    if (console == nullptr)
        return;
    // An error message is shown at once, not a frame later.
    InsertPending();
    {
        ConsoleRedraw::Quiet quiet(consoleRedraw);
        EmptyConsole();
        SetWindowTextW(console, text);
    }
    consoleRedraw.Flush();
}

void CBackupDlg::ConsoleFlush() {
    if (console != nullptr)
        InsertPending();
    consoleRedraw.Flush();
}

void CBackupDlg::OnCommand(HWND window, int id) {
    switch (id) {
        case IDC_START_GPS:
            if (SendMessageW(mainWindow, UM_TOGGLE_LINK, 0, 0) == 0) {
                ConsoleShowOnly(L"ComPort ERROR!!");
                return;
            }
            ApplyLinkState(window, LinkOpen != 0);
            return;
        case IDC_COLD_START:
        case IDC_FACTORY_RESET: {
            const UINT message = id == IDC_COLD_START ? UM_COLD_START : UM_FACTORY_RESET;
            if (SendMessageW(mainWindow, message, 0, 0) == 0)
                ConsoleShowOnly(L"Reset ERROR!!");
            // The receiver reports its firmware again after a restart.
            SetDlgItemTextW(window, IDC_FW_VERSION, L"");
            SetDlgItemTextW(window, IDC_P_VERSION, L"");
            return;
        }
        case IDC_SEND:
            if (SendMessageW(mainWindow, UM_SEND_USER_SENTENCE, 0, 0) == 0)
                ConsoleShowOnly(L"Send ERROR!!");
            return;
        case IDC_GET_VERSION:
            SendMessageW(mainWindow, UM_QUERY_VERSION, 0, 0);
            return;
        case IDC_VTG:
            OnCheckBox(window, id, UM_VTG_ON, UM_VTG_OFF);
            return;
        case IDC_POWER_SAVE:
            OnCheckBox(window, id, UM_POWER_SAVE_ON, UM_POWER_SAVE_OFF);
            return;
        case IDC_SBAS:
            OnCheckBox(window, id, UM_SBAS_ON, UM_SBAS_OFF);
            return;
        case IDC_LOG_FILE:
            OnCheckBox(window, id, UM_LOG_START, UM_LOG_STOP);
            return;
        case IDC_AUTO_SEND:
            OnCheckBox(window, id, UM_AUTO_SEND_START, UM_AUTO_SEND_STOP);
            return;
        case IDC_SCAN_PORTS:
            Enable(window, IDC_START_GPS, false);
            Enable(window, IDC_SCAN_PORTS, false);
            RescanPorts(window, LinkOpen, &RescanBusy);
            Enable(window, IDC_SCAN_PORTS, true);
            Enable(window, IDC_START_GPS, true);
            return;
        default:
            return;
    }
}

void CBackupDlg::OnCheckBox(HWND window, int id, UINT onMessage, UINT offMessage) {
    // An automatic check box has already toggled itself when it reports the click.
    const bool checked = SendDlgItemMessageW(window, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
    PostMessageW(mainWindow, checked ? onMessage : offMessage, 0, 0);
}

void CBackupDlg::ApplyLinkState(HWND window, bool open) {
    if (open) {
        // A new link starts with a clean slate: old versions belong to the last receiver.
        SetDlgItemTextW(window, IDC_CORE_VERSION, L"");
        SetDlgItemTextW(window, IDC_FW_VERSION, L"");
        SetDlgItemTextW(window, IDC_P_VERSION, L"");
        ConsoleClear();
        if (console != nullptr)
            SendMessageW(console, WM_SETFOCUS, 0, 0);
    }
    Enable(window, IDC_COLD_START, open);
    Enable(window, IDC_FACTORY_RESET, open);
    Enable(window, IDC_SCAN_PORTS, !open);
    SetDlgItemTextW(window, IDC_START_GPS, open ? L"Close GPS" : L"Start GPS");
    for (int id : kLinkCommands)
        Enable(window, id, open);
    Enable(window, IDC_PORT, !open);
    Enable(window, IDC_BAUD, !open);
}
