#include "panels/setup_panel.h"

#include <commctrl.h>

#include <algorithm>

#include "link/device_name.h"
#include "link/port_refresh.h"
#include "res/resource.h"
#include "win32/dpi.h"
#include "win32/messages.h"
#include "win32/wide_text.h"
#include "win32/window_items.h"

namespace {

// The combo boxes' places in pixels (left, top, right, bottom); the height
// includes the drop-down list.
constexpr RECT kPortPlace = {100, 0, 540, 140};
constexpr RECT kBaudPlace = {100, 30, 240, 140};

// Receiver commands other than the resets: enabled only while a link is open.
const int kLinkCommands[] = {IDC_VTG,         IDC_POWER_SAVE, IDC_SBAS,
                             IDC_GET_VERSION, IDC_SEND,       IDC_USER_SENTENCE};

// What "View > Advanced Controls" shows, besides the label "Mod:": every
// hidden control that works. The filter pair, "Set Filte", "P Version",
// "Time:" and "File:" do nothing and stay hidden, and so does "Scan Com
// Port", which only lists again what the start found.
const int kAdvancedControls[] = {IDC_FACTORY_RESET, IDC_GET_VERSION, IDC_POWER_SAVE,
                                 IDC_SBAS,          IDC_VTG,         IDC_USER_SENTENCE,
                                 IDC_SEND,          IDC_AUTO_SEND,   IDC_AUTO_PERIOD,
                                 IDC_LOG_FILE,      IDC_LOG_NAME,    IDC_SNR_OFFSET};

// Pixels between the lowest advanced control and the console moved below it,
// and the least height the console keeps when the screen is short.
constexpr int kConsoleGap = 6;
constexpr int kConsoleLeastHeight = 80;

void Place(HWND dialog, int id, const RECT& r) {
    MoveWindow(GetDlgItem(dialog, id), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

}  // namespace

CBackupDlg::CBackupDlg() : portSink_(*this) {}

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
            if (console.OnTimer(wParam))
                return 0;
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_DESTROY:
            console.Detach();
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT CBackupDlg::OnInitDialog(HWND window) {
    console.Detach();
    PlaceCombos(DpiOfWindow(window));
    FillLists(window);
    InitCommonControls();
    // RichEdit 1.0 registers its "RICHEDIT" class on load; the library stays
    // loaded for the life of the program.
    LoadLibraryW(L"RICHED32.DLL");
    if (console.Create(window))
        consoleHome_ = RectInParent(console.hwnd());
    FindAdvancedItems(window);
    return 1;
}

void CBackupDlg::FindAdvancedItems(HWND window) {
    offsetLabel_ = nullptr;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[16] = {};
        wchar_t text[16] = {};
        GetClassNameW(child, cls, 16);
        GetWindowTextW(child, text, 16);
        if (lstrcmpiW(cls, L"Static") == 0 && lstrcmpW(text, L"Mod:") == 0)
            offsetLabel_ = child;
    }
}

std::vector<HWND> CBackupDlg::AdvancedItems() const {
    std::vector<HWND> items;
    for (int id : kAdvancedControls)
        items.push_back(GetDlgItem(hwnd, id));
    items.push_back(offsetLabel_);
    return items;
}

int CBackupDlg::AdvancedConsoleShift() const {
    LONG lowest = consoleHome_.top;
    for (HWND item : AdvancedItems()) {
        if (item != nullptr)
            lowest = std::max(lowest, RectInParent(item).bottom);
    }
    return static_cast<int>(lowest + kConsoleGap - consoleHome_.top);
}

int CBackupDlg::ConsoleSpareHeight() const {
    return static_cast<int>(
        std::max(0L, consoleHome_.bottom - consoleHome_.top - kConsoleLeastHeight));
}

int CBackupDlg::ShowAdvanced(bool shown, int consoleCut) {
    advancedShown_ = shown;
    const HWND focus = GetFocus();
    for (HWND item : AdvancedItems()) {
        if (item == nullptr)
            continue;
        // A control that hides with the keyboard in it would leave the
        // keyboard nowhere: the main window takes it, and with it the shortcuts.
        if (!shown && item == focus)
            SetFocus(GetParent(hwnd));
        ShowWindow(item, shown ? SW_SHOW : SW_HIDE);
    }
    if (console.hwnd() == nullptr)
        return 0;
    consoleShift_ = shown ? AdvancedConsoleShift() : 0;
    consoleCut_ = shown ? std::min(std::max(consoleCut, 0), ConsoleSpareHeight()) : 0;
    MoveConsole();
    return consoleShift_ - consoleCut_;
}

void CBackupDlg::PlaceConsole(const RECT& home) {
    consoleHome_ = home;
    if (console.hwnd() != nullptr)
        MoveConsole();
}

void CBackupDlg::MoveConsole() {
    const RECT& home = consoleHome_;
    const RECT place{home.left, home.top + consoleShift_, home.right,
                     home.bottom + consoleShift_ - consoleCut_};
    // Moved only when it changes: every move repaints the whole console.
    const RECT now = RectInParent(console.hwnd());
    if (EqualRect(&now, &place))
        return;
    MoveWindow(console.hwnd(), place.left, place.top, place.right - place.left,
               place.bottom - place.top, TRUE);
}

void CBackupDlg::PlaceCombos(UINT dpi) {
    for (const auto& [id, place] :
         {std::make_pair(IDC_PORT, kPortPlace), std::make_pair(IDC_BAUD, kBaudPlace)}) {
        const RECT r{ScaleToDpi(place.left, dpi), ScaleToDpi(place.top, dpi),
                     ScaleToDpi(place.right, dpi), ScaleToDpi(place.bottom, dpi)};
        Place(hwnd, id, r);
    }
}

void CBackupDlg::FillLists(HWND window) {
    SendDlgItemMessageW(window, IDC_BAUD, CB_RESETCONTENT, 0, 0);
    SendDlgItemMessageW(window, IDC_PORT, CB_RESETCONTENT, 0, 0);
    for (uint32_t rate : linkrules::kBaudRates)
        AddComboString(window, IDC_BAUD, std::to_wstring(rate).c_str());
    AddComboString(window, IDC_FILTER_FIELD, L"Speed");
    AddComboString(window, IDC_FILTER_FIELD, L"Height");
    AddComboString(window, IDC_FILTER_OP, L"=");
    AddComboString(window, IDC_FILTER_OP, L">");
    AddComboString(window, IDC_FILTER_OP, L"<");
    SendDlgItemMessageW(window, IDC_BAUD, CB_SETCURSEL, linkrules::kDefaultBaudIndex, 0);
    EndPortList();
}

void CBackupDlg::OnCommand(HWND window, int id) {
    switch (id) {
        case IDC_START_GPS:
            ShowToggled(SendMessageW(mainWindow, UM_TOGGLE_LINK, 0, 0));
            return;
        case IDC_COLD_START:
        case IDC_FACTORY_RESET: {
            const UINT message = id == IDC_COLD_START ? UM_COLD_START : UM_FACTORY_RESET;
            if (SendMessageW(mainWindow, message, 0, 0) == 0)
                console.ShowOnly(L"Reset ERROR!!");
            // The receiver reports its firmware again after a restart.
            SetDlgItemTextW(window, IDC_FW_VERSION, L"");
            SetDlgItemTextW(window, IDC_P_VERSION, L"");
            return;
        }
        case IDC_SEND:
            if (SendMessageW(mainWindow, UM_SEND_USER_SENTENCE, 0, 0) == 0)
                console.ShowOnly(L"Send ERROR!!");
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
            EnableDlgItem(window, IDC_START_GPS, false);
            EnableDlgItem(window, IDC_SCAN_PORTS, false);
            SendMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(IDC_SCAN_PORTS, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_SCAN_PORTS)));
            EnableDlgItem(window, IDC_SCAN_PORTS, true);
            EnableDlgItem(window, IDC_START_GPS, true);
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

void CBackupDlg::ShowToggled(LRESULT answer) {
    if (answer == 0) {
        console.ShowOnly(L"ComPort ERROR!!");
        return;
    }
    if (answer == kToggleAnswered)
        return;
    ShowLinkState(LinkOpen != 0 ? LinkView::kOpen : LinkView::kClosed);
    if (LinkOpen != 0 && LinkReceivesOnly != 0) {
        console.SetColor(RGB(0, 0, 0));
        console.Insert(AsWide(linkrules::kNoCommandsNote));
    }
}

void CBackupDlg::ShowLinkState(LinkView view) {
    const HWND window = hwnd;
    // A port to send commands to; and a link (or the wait for one) that the
    // Start button ends, with its port and rate fixed meanwhile.
    const bool open = view == LinkView::kOpen || view == LinkView::kReopened;
    const bool held = view != LinkView::kClosed;
    if (open) {
        // A new link starts with a clean slate: old versions belong to the last receiver.
        SetDlgItemTextW(window, IDC_CORE_VERSION, L"");
        SetDlgItemTextW(window, IDC_FW_VERSION, L"");
        SetDlgItemTextW(window, IDC_P_VERSION, L"");
    }
    if (view == LinkView::kOpen) {
        console.Clear();
        if (console.hwnd() != nullptr)
            SendMessageW(console.hwnd(), WM_SETFOCUS, 0, 0);
    }
    // A source that only receives has nothing to command.
    const bool commands = open && LinkReceivesOnly == 0;
    EnableDlgItem(window, IDC_COLD_START, commands);
    EnableDlgItem(window, IDC_FACTORY_RESET, commands);
    EnableDlgItem(window, IDC_SCAN_PORTS, !held);
    SetDlgItemTextW(window, IDC_START_GPS, held ? L"Close GPS" : L"Start GPS");
    for (int id : kLinkCommands)
        EnableDlgItem(window, id, commands);
    EnableDlgItem(window, IDC_PORT, !held);
    EnableDlgItem(window, IDC_BAUD, !held);
}
