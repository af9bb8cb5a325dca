// The link's side of the program messages: opening and closing it, the
// receiver commands, the log file and the port list. Each step reads what it
// needs from the setup panel, hands plain values to link/, and shows the
// outcome in the panels; the main window only routes the messages here.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>

#include "link/chosen_source.h"
#include "link/command_set.h"
#include "link/known_ports.h"
#include "link/link_win32.h"
#include "link/log_file_win32.h"
#include "nmea/intake_host.h"

class CBackupDlg;
class CRestoreDlg;
struct ReceiverModel;

class LinkControl {
  public:
    // `console` takes the command notes; `model` is cleared when a link opens
    // and on the receiver's resets.
    LinkControl(CBackupDlg& setupPanel, CRestoreDlg& statusPanel, ReceiverModel& model,
                IntakeHost& console);
    LinkControl(const LinkControl&) = delete;
    LinkControl& operator=(const LinkControl&) = delete;

    // The window that owns the recording dialog, receives the reader's lines
    // and the auto-send timer, and shows the first-fix caption.
    void SetOwner(HWND owner) { owner_ = owner; }

    // UM_TOGGLE_LINK: closes the open link (or ends the wait for a lost
    // port) or opens the selected entry. 1 when a link was opened or closed,
    // 0 when nothing was opened.
    LRESULT ToggleLink();
    // Opens `spec` as if it had been chosen in the lists and started by hand
    // (the command line's source): an address is not asked for, a port need
    // not be listed. The same answers as ToggleLink; 0 also while a link is
    // open.
    LRESULT OpenChosen(const linkrules::SourceSpec& spec);
    // The program's link: what is open, and the way commands reach it.
    Link& link() { return link_; }
    const Link& link() const { return link_; }
    // UM_COLD_START, UM_POWER_SAVE_ON .. UM_QUERY_VERSION,
    // UM_SEND_USER_SENTENCE, UM_AUTO_SEND_START/STOP, UM_FACTORY_RESET.
    LRESULT OnReceiverCommand(UINT message);
    // UM_LOG_START and UM_LOG_STOP; both return 0. A log that cannot go
    // beside the executable goes to the fallback folder, and the console
    // says where; one that can go nowhere unticks the box and says
    // "Log File ERROR!!".
    LRESULT StartLogging();
    LRESULT StopLogging();

    // File > Record Raw...: asks for the file, offering skyloom-<local
    // time>.pgl in the folder logs go to, and records into it. True when a
    // recording started; false when one already runs, the user cancelled or
    // the file could not be made ("Record ERROR!!").
    bool StartRecording();
    // The same without the dialog.
    bool RecordTo(const wchar_t* path);
    // File > Stop Recording.
    void StopRecording();

    // Where log files and recordings go. Tests point it at folders of their own.
    LogFolders logFolders = DefaultLogFolders();
    // Lists the ports the system has, the playback entry last.
    void ListPorts();
    // "Scan Com Port": rebuilds the list from the last enumeration, unless a
    // link is open or a rescan already runs.
    void RescanPorts();
    // A restart of the receiver (the cold start or factory reset script, or
    // a hot or warm start of a TTFF series): the record and the first-fix
    // clock start afresh, the caption says "Skyloom", then the sentences go
    // out. Until the next line, the factory reset disables its own button,
    // every other restart the Cold Start button.
    LRESULT Restart(linkrules::ReceiverCommand command);

    // A device arrived or was removed; `port` is the port the notice names
    // ("COM5"), or null when it names none. A removal of the open port loses
    // it at once; anything else only marks the port list for a refresh.
    void OnDeviceNotice(bool removed, const wchar_t* port);
    // The device notices have settled: the port list is enumerated again, or,
    // while a link is open, the open port looked for in the system's list.
    // False when the user has the list dropped down or a rescan runs: ask
    // again later.
    bool OnPortsSettled();
    // UM_PORT_LOST from the reader of link `number`: a stale or forged one is
    // ignored.
    void OnPortLost(WPARAM number);
    // TIMER_PORT_RETRY: tries to open the lost port again.
    void RetryLostPort();
    bool WaitingForPort() const { return waiting_; }

    // How the ports are enumerated (the system's SetupAPI list unless a test
    // gives its own).
    using PortEnumerator = std::function<void(linkrules::PortListSink&)>;
    void SetPortEnumerator(PortEnumerator enumerate) { enumerate_ = std::move(enumerate); }

  private:
    LRESULT StartAutoSend();
    // The status panel shows signals with the offset while a log file is open.
    void ShowSignalOffset();
    // A note in the console, in the style of the command notes.
    void Note(const wchar_t* what, const std::wstring& detail);

    // The panel and the record as every opened link starts them.
    void StartFresh();
    void RefreshPortList();
    void LosePort();
    void EndPortWait();

    CBackupDlg& setupPanel_;
    CRestoreDlg& statusPanel_;
    ReceiverModel& model_;
    IntakeHost& console_;
    HWND owner_ = nullptr;

    PortEnumerator enumerate_;
    bool portsStale_ = false;  // a device came or went since the list was built
    // Opens `spec`, asking for the recording first where playback has none,
    // and for the address where the Network entry has none. 1 opened, 0 not
    // opened (the panel's "ComPort ERROR!!"), kToggleAnswered: not opened, the
    // reason shown or the dialog cancelled.
    LRESULT Open(linkrules::SourceSpec spec);
    LRESULT StartLink(const linkrules::SourceSpec& spec);
    // The network open off this thread, the window answering meanwhile.
    bool OpenNetwork(const linkrules::SourceSpec& spec, uint32_t* error);

    Link link_;
    // The live source the open link reads (or waits for), as it was opened,
    // and its name for the caption; kind kNone for playback, which is never
    // lost.
    linkrules::SourceSpec reopen_;
    std::u16string reopenName_;
    bool waiting_ = false;
    // A network open waits in OpenNetworkAnswering: a click sent meanwhile
    // must not start or end another.
    bool opening_ = false;
    // What the address dialog offers: the last address taken in this run.
    std::u16string lastAddress_ = u"tcp://";
};
