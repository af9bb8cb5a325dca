// The port list as devices come and go, and the wait for a lost port.
#include <string>

#include "app/link_control.h"
#include "link/port_discovery_win32.h"
#include "link/port_refresh.h"
#include "link/source_address.h"
#include "nmea/receiver_model.h"
#include "panels/setup_panel.h"
#include "panels/status_panel.h"
#include "win32/messages.h"
#include "win32/wide_text.h"

namespace {

// How often a lost port is tried again: a device that comes back is in use
// within about a second, and a try that fails costs next to nothing.
constexpr UINT kRetryPeriodMs = 1000;

}  // namespace

void LinkControl::OnDeviceNotice(bool removed, const wchar_t* port) {
    portsStale_ = true;
    if (port == nullptr || reopen_.kind != linkrules::SourceKind::kPort)
        return;
    // The notice names a port without "\\.\": "COM5".
    const std::u16string named = linkrules::PortKey(AsText16(port));
    if (named.empty() || named != reopen_.device)
        return;
    if (removed && link_.IsOpen())
        LosePort();
    else if (!removed && waiting_)
        RetryLostPort();
}

bool LinkControl::OnPortsSettled() {
    if (link_.IsOpen()) {
        // The list waits for the link to close; but the system's list tells
        // whether the open port is still there, whatever its reads say. A
        // port the list never showed (typed, or opened by a test) proves
        // nothing by its absence.
        const std::u16string& key = reopen_.device;
        if (reopen_.kind == linkrules::SourceKind::kPort &&
            linkrules::ListsPort(setupPanel_.PortEntries(), key)) {
            linkrules::FoundPorts found;
            enumerate_(found);
            if (!linkrules::ListsPort(found.names, key))
                LosePort();
        }
        return true;
    }
    if (waiting_ || !portsStale_ || setupPanel_.LinkOpen != 0)
        return true;
    if (setupPanel_.RescanBusy != 0 || setupPanel_.PortListDropped())
        return false;
    RefreshPortList();
    return true;
}

void LinkControl::RefreshPortList() {
    linkrules::FoundPorts found;
    enumerate_(found);
    const int32_t selected = linkrules::RefreshedSelection(setupPanel_.PortEntries(),
                                                           setupPanel_.SelectedPort(), found.names);
    setupPanel_.ClearPortList();
    for (const std::u16string& name : found.names)
        setupPanel_.PortList().Add(name.c_str());
    setupPanel_.EndPortList();
    setupPanel_.PortList().Select(selected);
    PortCount = static_cast<int8_t>(found.names.size());
    portsStale_ = false;
}

void LinkControl::OnPortLost(WPARAM number) {
    if (!link_.IsOpen() || number != link_.Number() || reopen_.kind == linkrules::SourceKind::kNone)
        return;
    LosePort();
}

void LinkControl::LosePort() {
    link_.Close();
    waiting_ = true;
    console_.SetConsoleColor(kColorRed);
    console_.ConsoleInsert(linkrules::IsNetworkSource(reopen_) ? linkrules::kConnectionLostNote
                                                               : linkrules::kPortLostNote);
    setupPanel_.ShowLinkState(LinkView::kWaiting);
    const std::u16string caption = u"Skyloom  Waiting for " + reopenName_;
    SetWindowTextW(owner_, AsWide(caption.c_str()));
    SetTimer(owner_, TIMER_PORT_RETRY, kRetryPeriodMs, nullptr);
}

void LinkControl::RetryLostPort() {
    if (!waiting_) {
        KillTimer(owner_, TIMER_PORT_RETRY);
        return;
    }
    // The same open as the user's: same entry, same rate, a reader of its own.
    if (linkrules::IsNetworkSource(reopen_)) {
        uint32_t error = 0;
        if (!OpenNetwork(reopen_, &error))
            return;
    } else if (!link_.Open(reopen_, owner_).ok()) {
        return;
    }
    EndPortWait();
    ClearReceiverModel(model_);
    StartFresh();
    setupPanel_.LinkOpen = 1;
    setupPanel_.ShowLinkState(LinkView::kReopened);
    console_.SetConsoleColor(kColorBlack);
    console_.ConsoleInsert(linkrules::IsNetworkSource(reopen_) ? linkrules::kConnectionBackNote
                                                               : linkrules::kPortBackNote);
}

void LinkControl::EndPortWait() {
    if (!waiting_)
        return;
    waiting_ = false;
    KillTimer(owner_, TIMER_PORT_RETRY);
    SetWindowTextW(owner_, L"Skyloom");
}
