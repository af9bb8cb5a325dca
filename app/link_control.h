// The link's side of the program messages: opening and closing it, the
// receiver commands, the log file and the port list. Each step reads what it
// needs from the setup panel, hands plain values to link/, and shows the
// outcome in the panels; the main window only routes the messages here.
#pragma once

#include <windows.h>

#include "link/command_set.h"
#include "nmea/intake_host.h"

class CBackupDlg;
class CRestoreDlg;

class LinkControl {
  public:
    // `console` takes the command notes.
    LinkControl(CBackupDlg& setupPanel, CRestoreDlg& statusPanel, IntakeHost& console);
    LinkControl(const LinkControl&) = delete;
    LinkControl& operator=(const LinkControl&) = delete;

    // The window that owns the recording dialog, receives the reader's lines
    // and the auto-send timer, and shows the first-fix caption.
    void SetOwner(HWND owner) { owner_ = owner; }

    // UM_TOGGLE_LINK: closes the open link or opens the selected entry. 1
    // when a link was opened or closed, 0 when nothing was opened.
    LRESULT ToggleLink();
    // UM_COLD_START, UM_POWER_SAVE_ON .. UM_QUERY_VERSION,
    // UM_SEND_USER_SENTENCE, UM_AUTO_SEND_START/STOP, UM_FACTORY_RESET.
    LRESULT OnReceiverCommand(UINT message);
    // UM_LOG_START and UM_LOG_STOP; both return 0.
    LRESULT StartLogging();
    LRESULT StopLogging();
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

  private:
    LRESULT StartAutoSend();
    // The status panel shows signals with the offset while a log file is open.
    void ShowSignalOffset();

    CBackupDlg& setupPanel_;
    CRestoreDlg& statusPanel_;
    IntakeHost& console_;
    HWND owner_ = nullptr;
};
