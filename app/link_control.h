// The link's side of the program messages: opening and closing it, the
// receiver commands, the log file and the port list. Each step reads what it
// needs from the setup panel, hands plain values to link/, and shows the
// outcome in the panels; the main window only routes the messages here.
#pragma once

#include <windows.h>

#include <string>

#include "link/command_set.h"
#include "link/log_file_win32.h"
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

  private:
    LRESULT Restart(linkrules::ReceiverCommand command);
    LRESULT StartAutoSend();
    // The status panel shows signals with the offset while a log file is open.
    void ShowSignalOffset();
    // A note in the console, in the style of the command notes.
    void Note(const wchar_t* what, const std::wstring& detail);

    CBackupDlg& setupPanel_;
    CRestoreDlg& statusPanel_;
    IntakeHost& console_;
    HWND owner_ = nullptr;
};
