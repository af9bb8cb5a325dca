#include "app/link_control.h"

#include <cstring>
#include <iterator>
#include <string>

#include "app/network_open.h"
#include "link/auto_send.h"
#include "link/device_name.h"
#include "link/log_file_win32.h"
#include "link/network_sources_win32.h"
#include "link/port_discovery_win32.h"
#include "link/port_refresh.h"
#include "link/raw_recording.h"
#include "link/raw_recording_win32.h"
#include "link/receiver_commands_win32.h"
#include "link/source_address.h"
#include "nmea/receiver_model.h"
#include "nmea/text16.h"
#include "panels/address_dialog.h"
#include "panels/setup_panel.h"
#include "panels/status_panel.h"
#include "win32/messages.h"
#include "win32/wide_text.h"

using linkrules::ReceiverCommand;

namespace {

// "%d" of a panel field into *value; a text that is no number leaves it.
void ScanInto(const std::wstring& text, int32_t* value) {
    text16::ScanInt(AsText16(text.c_str()), value);
}

}  // namespace

LinkControl::LinkControl(CBackupDlg& setupPanel, CRestoreDlg& statusPanel, ReceiverModel& model,
                         IntakeHost& console)
    : setupPanel_(setupPanel),
      statusPanel_(statusPanel),
      model_(model),
      console_(console),
      enumerate_([](linkrules::PortListSink& list) { EnumeratePorts(list); }) {}

LRESULT LinkControl::ToggleLink() {
    if (opening_)
        return kToggleAnswered;
    setupPanel_.EnableStart(false);
    if (link_.IsOpen() || waiting_) {
        link_.Close();
        EndPortWait();
        setupPanel_.LinkOpen = 0;
        // The list waited for the link to close.
        if (portsStale_)
            RefreshPortList();
        setupPanel_.EnableStart(true);
        return 1;
    }

    const linkrules::SourceSpec spec = setupPanel_.SelectedSource();
    // Playback needs no serial port; a port entry needs discovery to have
    // found one.
    if (spec.kind == linkrules::SourceKind::kNone ||
        (spec.kind == linkrules::SourceKind::kPort && PortCount == 0)) {
        setupPanel_.EnableStart(true);
        return 0;
    }

    const LRESULT result = StartLink(spec);
    setupPanel_.EnableStart(true);
    return result;
}

LRESULT LinkControl::OpenChosen(const linkrules::SourceSpec& spec) {
    if (opening_ || link_.IsOpen() || waiting_ || spec.kind == linkrules::SourceKind::kNone)
        return 0;
    if (linkrules::IsNetworkSource(spec))
        lastAddress_ = linkrules::SourceAddressText(spec);
    setupPanel_.EnableStart(false);
    const LRESULT result = StartLink(spec);
    setupPanel_.EnableStart(true);
    return result;
}

LRESULT LinkControl::StartLink(const linkrules::SourceSpec& spec) {
    ClearReceiverModel(model_);
    const LRESULT result = Open(spec);
    StartFresh();
    if (result == 1) {
        setupPanel_.LinkOpen = 1;
        setupPanel_.LinkReceivesOnly = link_.Live() && !link_.TakesCommands() ? 1 : 0;
        // What a lost source is opened with again: a recording is never lost.
        reopen_ = link_.Live() ? link_.Spec() : linkrules::SourceSpec();
        reopenName_ = link_.Description();
    }
    return result;
}

bool LinkControl::OpenNetwork(const linkrules::SourceSpec& spec, uint32_t* error) {
    opening_ = true;
    linkrules::ByteSourcePtr source = OpenNetworkAnswering(spec, error);
    opening_ = false;
    return source && link_.Open(std::move(source), spec, owner_).ok();
}

LRESULT LinkControl::Open(linkrules::SourceSpec spec) {
    if (spec.kind == linkrules::SourceKind::kRecording && spec.device.empty()) {
        // The dialog's own buffer, not a port name's 128 units: an ordinary
        // deep path must not be cut or refused.
        wchar_t path[MAX_PATH];
        if (!ChoosePlaybackPath(owner_, path, std::size(path)))
            return 0;
        spec.device = AsText16(path);
    }
    if (linkrules::AsksForAddress(spec)) {
        CAddressDlg dialog;
        std::u16string typed;
        if (!dialog.Ask(owner_, lastAddress_, &spec, &typed))
            return kToggleAnswered;
        lastAddress_ = typed;
    }
    if (linkrules::IsNetworkSource(spec)) {
        uint32_t error = 0;
        if (OpenNetwork(spec, &error))
            return 1;
        const std::u16string text =
            u"Connection ERROR!! " + netlink::NetworkFailureText(spec, error);
        setupPanel_.console.ShowOnly(AsWide(text.c_str()));
        return kToggleAnswered;
    }
    const OpenResult result = link_.Open(spec, owner_);
    if (result.ok())
        return 1;
    if (spec.kind == linkrules::SourceKind::kPort && result.failure == OpenFailure::kRefused) {
        // The port is there but will not run at this rate (or 8N1): say so,
        // rather than read it at whatever rate it had.
        const std::u16string text = u"ComPort ERROR!! " + linkrules::PortName(spec.device) +
                                    u" refuses " + AsText16(std::to_wstring(spec.baud).c_str()) +
                                    u" baud 8N1";
        setupPanel_.console.ShowOnly(AsWide(text.c_str()));
        return kToggleAnswered;
    }
    return 0;
}

void LinkControl::StartFresh() {
    ResetFixClock(model_);
    SetWindowTextW(owner_, L"Skyloom");
}

LRESULT LinkControl::Restart(ReceiverCommand command) {
    if (command == ReceiverCommand::kFactoryReset)
        setupPanel_.EnableFactoryReset(false);
    else
        setupPanel_.EnableColdStart(false);
    ResetFixClock(model_);
    SetWindowTextW(owner_, L"Skyloom");
    ClearReceiverModel(model_);
    SendReceiverCommand(link_, command, console_);
    resetButtonsPending = 1;
    return 1;
}

LRESULT LinkControl::StartAutoSend() {
    ScanInto(setupPanel_.SignalOffset(), &SnrOffset);
    ShowSignalOffset();
    const uint32_t ms = linkrules::AutoSendPeriodMs(AsText16(setupPanel_.AutoSendPeriod().c_str()));
    if (ms == 0)
        setupPanel_.SetAutoSendChecked(false);
    else
        SetTimer(owner_, TIMER_AUTO_SEND, ms, nullptr);
    return 0;
}

LRESULT LinkControl::OnReceiverCommand(UINT message) {
    switch (message) {
        case UM_POWER_SAVE_ON:
            return SendReceiverCommand(link_, ReceiverCommand::kPowerSaveOn, console_);
        case UM_POWER_SAVE_OFF:
            return SendReceiverCommand(link_, ReceiverCommand::kPowerSaveOff, console_);
        case UM_SBAS_ON:
            return SendReceiverCommand(link_, ReceiverCommand::kSbasOn, console_);
        case UM_SBAS_OFF:
            return SendReceiverCommand(link_, ReceiverCommand::kSbasOff, console_);
        case UM_VTG_ON:
            return SendReceiverCommand(link_, ReceiverCommand::kVtgOn, console_);
        case UM_VTG_OFF:
            return SendReceiverCommand(link_, ReceiverCommand::kVtgOff, console_);
        case UM_QUERY_VERSION:
            return SendReceiverCommand(link_, ReceiverCommand::kQueryVersion, console_);
        case UM_COLD_START:
            return Restart(ReceiverCommand::kColdStart);
        case UM_FACTORY_RESET:
            return Restart(ReceiverCommand::kFactoryReset);
        case UM_SEND_USER_SENTENCE:
            return SendUserSentence(link_, setupPanel_.UserSentence().c_str(), console_);
        case UM_AUTO_SEND_START:
            return StartAutoSend();
        case UM_AUTO_SEND_STOP:
            KillTimer(owner_, TIMER_AUTO_SEND);
            return 0;
        default:
            return 0;
    }
}

LRESULT LinkControl::StartLogging() {
    // A failed start leaves no log open, also when one was open before it.
    const bool wasLogging = LogFileOpen();
    std::wstring path;
    const LogStart started = StartLog(setupPanel_.LogName().c_str(), logFolders, &path);
    if (started == LogStart::kFailed) {
        setupPanel_.SetLogChecked(false);
        if (wasLogging)
            setupPanel_.EnableLogFields(true);
        ShowSignalOffset();
        // Inserted like the command notes: the lines around it stay, and
        // lines that keep arriving follow it.
        console_.ConsoleInsert(u"Log File ERROR!!\r\n");
        return 0;
    }
    ScanInto(setupPanel_.SignalOffset(), &SnrOffset);
    setupPanel_.EnableLogFields(false);
    ShowSignalOffset();
    // Beside the executable is where the user looks; anywhere else is said.
    if (started == LogStart::kFallback)
        Note(L"Log File", path);
    return 0;
}

LRESULT LinkControl::StopLogging() {
    if (StopLog())
        setupPanel_.EnableLogFields(true);
    ShowSignalOffset();
    return 0;
}

void LinkControl::Note(const wchar_t* what, const std::wstring& detail) {
    const std::wstring note = std::wstring(what) + L"\r\n..." + detail + L"\r\n";
    console_.ConsoleInsert(AsText16(note.c_str()));
}

bool LinkControl::StartRecording() {
    if (RawRecordingOn())
        return false;
    SYSTEMTIME now;
    GetLocalTime(&now);
    CivilTime local;
    static_assert(sizeof local == sizeof now, "CivilTime mirrors SYSTEMTIME");
    std::memcpy(&local, &now, sizeof local);
    wchar_t path[MAX_PATH] = {};
    linkrules::DefaultRecordingName(local, AsText16Array(path));
    const std::wstring folder = WritableFolder(logFolders);
    if (!ChooseRawRecordingPath(owner_, folder.c_str(), path, std::size(path)))
        return false;
    return RecordTo(path);
}

bool LinkControl::RecordTo(const wchar_t* path) {
    if (RawRecordingOn())
        return false;
    if (!StartRawRecording(path)) {
        console_.ConsoleInsert(u"Record ERROR!!\r\n");
        return false;
    }
    Note(L"Record Raw", path);
    return true;
}

void LinkControl::StopRecording() {
    if (StopRawRecording())
        Note(L"Stop Recording", L"OK");
}

void LinkControl::ShowSignalOffset() {
    statusPanel_.signalOffsetOn = LogFileOpen();
    statusPanel_.signalOffset = SnrOffset;
}

void LinkControl::ListPorts() {
    setupPanel_.ClearPortList();
    enumerate_(setupPanel_.PortList());
    setupPanel_.EndPortList();
}

void LinkControl::RescanPorts() {
    if (setupPanel_.LinkOpen != 0 || setupPanel_.RescanBusy != 0)
        return;
    setupPanel_.EnableStart(false);
    setupPanel_.RescanBusy = 1;
    RefillPortList(setupPanel_.PortList());
    setupPanel_.RescanBusy = 0;
    setupPanel_.EnableStart(true);
}
