// What the link's owner reads from and sets on the setup panel: the port
// list, the chosen source and rate, the fields' texts, the check boxes and
// the buttons it enables.
#include "panels/setup_panel.h"

#include "link/device_name.h"
#include "link/port_refresh.h"
#include "res/resource.h"
#include "win32/wide_text.h"
#include "win32/window_items.h"

namespace {

// The port list's last entry: plays back a recording instead of a port.
const wchar_t kPlaybackEntry[] = L"Log File:";
// After the ports, before playback: a receiver on the network.
const wchar_t kNetworkEntry[] = L"Network:";

}  // namespace

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
    AddComboString(hwnd, IDC_PORT, kNetworkEntry);
    AddComboString(hwnd, IDC_PORT, kPlaybackEntry);
    // The first port; without one, playback, as before there was a network
    // entry: Start GPS on a machine without receivers plays a recording.
    SendDlgItemMessageW(hwnd, IDC_PORT, CB_SETCURSEL, ports > 0 ? 0 : 1, 0);
}

void CBackupDlg::ComboSink::Clear() {
    SendDlgItemMessageW(panel_.hwnd, IDC_PORT, CB_RESETCONTENT, 0, 0);
}

void CBackupDlg::ComboSink::Add(const char16_t* entry) {
    AddComboString(panel_.hwnd, IDC_PORT, AsWide(entry));
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
    return WindowTextOf(GetDlgItem(hwnd, id));
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
    EnableDlgItem(hwnd, id, enabled);
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
