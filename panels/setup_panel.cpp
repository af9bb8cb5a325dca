#include "panels/setup_panel.h"

#include <commctrl.h>

#include <algorithm>

#include "link/device_name.h"
#include "link/port_refresh.h"
#include "res/resource.h"
#include "win32/dpi.h"
#include "win32/messages.h"
#include "win32/wide_text.h"

namespace {

// The port list's last entry: plays back a recording instead of a port.
const wchar_t kPlaybackEntry[] = L"Log File:";
// After the ports, before playback: a receiver on the network.
const wchar_t kNetworkEntry[] = L"Network:";

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

RECT RectInParent(HWND child) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void Place(HWND dialog, int id, const RECT& r) {
    MoveWindow(GetDlgItem(dialog, id), r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

void AddString(HWND dialog, int id, const wchar_t* text) {
    SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

void Enable(HWND dialog, int id, bool enabled) {
    EnableWindow(GetDlgItem(dialog, id), enabled ? TRUE : FALSE);
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
        AddString(window, IDC_BAUD, std::to_wstring(rate).c_str());
    AddString(window, IDC_FILTER_FIELD, L"Speed");
    AddString(window, IDC_FILTER_FIELD, L"Height");
    AddString(window, IDC_FILTER_OP, L"=");
    AddString(window, IDC_FILTER_OP, L">");
    AddString(window, IDC_FILTER_OP, L"<");
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
            Enable(window, IDC_START_GPS, false);
            Enable(window, IDC_SCAN_PORTS, false);
            SendMessageW(mainWindow, WM_COMMAND, MAKEWPARAM(IDC_SCAN_PORTS, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_SCAN_PORTS)));
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
    Enable(window, IDC_COLD_START, commands);
    Enable(window, IDC_FACTORY_RESET, commands);
    Enable(window, IDC_SCAN_PORTS, !held);
    SetDlgItemTextW(window, IDC_START_GPS, held ? L"Close GPS" : L"Start GPS");
    for (int id : kLinkCommands)
        Enable(window, id, commands);
    Enable(window, IDC_PORT, !held);
    Enable(window, IDC_BAUD, !held);
}

std::vector<std::u16string> CBackupDlg::PortEntries() const {
    std::vector<std::u16string> entries;
    const LRESULT count = SendDlgItemMessageW(hwnd, IDC_PORT, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = SendDlgItemMessageW(hwnd, IDC_PORT, CB_GETLBTEXTLEN, i, 0);
        std::u16string text(length > 0 ? static_cast<size_t>(length) + 1 : 0, u'\0');
        const LRESULT copied = text.empty()
                                   ? CB_ERR
                                   : SendDlgItemMessageW(hwnd, IDC_PORT, CB_GETLBTEXT, i,
                                                         reinterpret_cast<LPARAM>(text.data()));
        text.resize(copied == CB_ERR ? 0 : static_cast<size_t>(copied));
        entries.push_back(text);
    }
    return entries;
}

int CBackupDlg::SelectedPort() const {
    const LRESULT selected = SendDlgItemMessageW(hwnd, IDC_PORT, CB_GETCURSEL, 0, 0);
    return selected == CB_ERR ? -1 : static_cast<int>(selected);
}

bool CBackupDlg::PortListDropped() const {
    return SendDlgItemMessageW(hwnd, IDC_PORT, CB_GETDROPPEDSTATE, 0, 0) != FALSE;
}

linkrules::PortListSink& CBackupDlg::PortList() {
    return portSink_;
}

void CBackupDlg::ClearPortList() {
    portSink_.Clear();
}

void CBackupDlg::EndPortList() {
    const LRESULT ports = SendDlgItemMessageW(hwnd, IDC_PORT, CB_GETCOUNT, 0, 0);
    AddString(hwnd, IDC_PORT, kNetworkEntry);
    AddString(hwnd, IDC_PORT, kPlaybackEntry);
    // The first port; without one, playback, as before there was a network
    // entry: Start GPS on a machine without receivers plays a recording.
    SendDlgItemMessageW(hwnd, IDC_PORT, CB_SETCURSEL, ports > 0 ? 0 : 1, 0);
}

void CBackupDlg::ComboSink::Clear() {
    SendDlgItemMessageW(panel_.hwnd, IDC_PORT, CB_RESETCONTENT, 0, 0);
}

void CBackupDlg::ComboSink::Add(const char16_t* entry) {
    AddString(panel_.hwnd, IDC_PORT, AsWide(entry));
}

void CBackupDlg::ComboSink::SetEditText(const char16_t* text) {
    SetDlgItemTextW(panel_.hwnd, IDC_PORT, AsWide(text));
}

void CBackupDlg::ComboSink::Select(int32_t position) {
    SendDlgItemMessageW(panel_.hwnd, IDC_PORT, CB_SETCURSEL, position, 0);
}

bool CBackupDlg::SelectedEntry(wchar_t* entry, size_t capacity) const {
    const LRESULT selected = SendDlgItemMessageW(hwnd, IDC_PORT, CB_GETCURSEL, 0, 0);
    if (selected == CB_ERR)
        return false;
    const LRESULT length = SendDlgItemMessageW(hwnd, IDC_PORT, CB_GETLBTEXTLEN, selected, 0);
    if (length == CB_ERR || length >= static_cast<LRESULT>(capacity))
        return false;
    entry[0] = 0;
    return SendDlgItemMessageW(hwnd, IDC_PORT, CB_GETLBTEXT, selected,
                               reinterpret_cast<LPARAM>(entry)) != CB_ERR;
}

int CBackupDlg::BaudIndex() const {
    return static_cast<int>(SendDlgItemMessageW(hwnd, IDC_BAUD, CB_GETCURSEL, 0, 0));
}

linkrules::SourceSpec CBackupDlg::SelectedSource() const {
    wchar_t entry[linkrules::kEntryUnits];
    if (!SelectedEntry(entry))
        return linkrules::SourceSpec();
    return linkrules::SourceForEntry(AsText16(entry), BaudIndex());
}

std::wstring CBackupDlg::ItemText(int id) const {
    HWND item = GetDlgItem(hwnd, id);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::wstring CBackupDlg::UserSentence() const {
    return ItemText(IDC_USER_SENTENCE);
}

std::wstring CBackupDlg::AutoSendPeriod() const {
    return ItemText(IDC_AUTO_PERIOD);
}

std::wstring CBackupDlg::LogName() const {
    return ItemText(IDC_LOG_NAME);
}

std::wstring CBackupDlg::SignalOffset() const {
    return ItemText(IDC_SNR_OFFSET);
}

void CBackupDlg::Check(int id, bool checked) {
    SendDlgItemMessageW(hwnd, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CBackupDlg::EnableItem(int id, bool enabled) {
    Enable(hwnd, id, enabled);
}

void CBackupDlg::SetAutoSendChecked(bool checked) {
    Check(IDC_AUTO_SEND, checked);
}

void CBackupDlg::SetLogChecked(bool checked) {
    Check(IDC_LOG_FILE, checked);
}

void CBackupDlg::EnableLogFields(bool enabled) {
    EnableItem(IDC_LOG_NAME, enabled);
    EnableItem(IDC_SNR_OFFSET, enabled);
}

void CBackupDlg::EnableStart(bool enabled) {
    EnableItem(IDC_START_GPS, enabled);
}

void CBackupDlg::EnableColdStart(bool enabled) {
    EnableItem(IDC_COLD_START, enabled);
}

void CBackupDlg::EnableFactoryReset(bool enabled) {
    EnableItem(IDC_FACTORY_RESET, enabled);
}

void CBackupDlg::SetSbasChecked(bool checked) {
    Check(IDC_SBAS, checked);
}

void CBackupDlg::SetCoreVersion(const wchar_t* text) {
    SetDlgItemTextW(hwnd, IDC_CORE_VERSION, text);
}

void CBackupDlg::SetFirmwareVersion(const wchar_t* text) {
    SetDlgItemTextW(hwnd, IDC_FW_VERSION, text);
}
