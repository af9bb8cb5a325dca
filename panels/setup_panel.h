// The setup panel: port and baud choice, Start/Close, receiver commands, the
// two version fields and the console. It carries out nothing itself: every
// button and check box becomes a program message to the main window, which
// reads and sets the controls through the accessors below.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "link/chosen_source.h"
#include "link/known_ports.h"
#include "panels/console.h"
#include "win32/wnd.h"

// What the Start button and the controls around it offer.
enum class LinkView {
    kClosed,    // "Start GPS"; the port and rate can be chosen
    kOpen,      // "Close GPS", a fresh start: console and versions emptied
    kReopened,  // as kOpen, but the console keeps what the lost port said
    kWaiting,   // "Close GPS" ends the wait for a lost port; nothing to command
};

class CBackupDlg : public CWnd {
  public:
    CBackupDlg();

    // Creates the panel from dialog template 106 as a child of `parent`; the
    // initialisation runs inside this call. The port list then holds only
    // the playback entry: the main window lists the ports.
    bool Create(HWND parent);

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The port list, written by whoever enumerates the ports.
    linkrules::PortListSink& PortList();
    // Empties the port list.
    void ClearPortList();
    // Ends the list as start-up leaves it: the network and playback entries
    // last, the first port selected, or playback when there is none.
    void EndPortList();

    // Every entry of the port list, in order, and the selected one's place
    // (-1 for none).
    std::vector<std::u16string> PortEntries() const;
    int SelectedPort() const;
    // The user has the port list's drop-down open.
    bool PortListDropped() const;
    // The controls' state for the link (also applied after each toggle).
    void ShowLinkState(LinkView view);
    // What Start GPS shows for UM_TOGGLE_LINK's answer: the controls for the
    // link, "ComPort ERROR!!" for 0, nothing more when the reason is told.
    void ShowToggled(LRESULT answer);

    // The selected entry of the port list; false when nothing is selected or
    // the entry has `capacity` units or more.
    bool SelectedEntry(wchar_t* entry, size_t capacity) const;
    template <size_t N>
    bool SelectedEntry(wchar_t (&entry)[N]) const {
        return SelectedEntry(entry, N);
    }
    // The selected baud rate's place in the list; -1 for none.
    int BaudIndex() const;
    // What the selected entry opens, at the selected rate: a port, playback
    // (its recording still to be chosen), or kNone for nothing selected or an
    // entry that opens nothing.
    linkrules::SourceSpec SelectedSource() const;
    std::wstring UserSentence() const;
    std::wstring AutoSendPeriod() const;
    std::wstring LogName() const;
    std::wstring SignalOffset() const;

    void SetAutoSendChecked(bool checked);
    void SetLogChecked(bool checked);
    // The log name and the signal offset can be changed only while not logging.
    void EnableLogFields(bool enabled);
    void EnableStart(bool enabled);
    void EnableColdStart(bool enabled);
    void EnableFactoryReset(bool enabled);
    void SetSbasChecked(bool checked);
    void SetCoreVersion(const wchar_t* text);
    void SetFirmwareVersion(const wchar_t* text);

    // "View > Advanced Controls": shows (or hides again) the controls that
    // work but the default view leaves out, where the template places them,
    // and moves the console below them, `consoleCut` pixels shorter than by
    // default. Returns how many pixels taller than by default the panel must
    // be; 0 when hidden, and everything is then where it was.
    int ShowAdvanced(bool shown, int consoleCut);
    bool AdvancedShown() const { return advancedShown_; }
    // How far the console moves down when the advanced controls show, and
    // how much of its height it can give up and still show a few lines.
    int AdvancedConsoleShift() const;
    int ConsoleSpareHeight() const;

    // The console's place with the advanced controls hidden (the main window
    // lays it out for its size); with them shown it goes below them.
    void PlaceConsole(const RECT& home);
    // The port and baud lists' places at the panel's DPI.
    void PlaceCombos(UINT dpi);

    Console console;
    HWND mainWindow = nullptr;  // target of every message the panel sends
    int32_t LinkOpen = 0;
    // 1 while the open link is a live source that only receives (UDP, gpsd):
    // the command controls stay disabled, and the console says so once when
    // it opens.
    int32_t LinkReceivesOnly = 0;
    int32_t RescanBusy = 0;

  private:
    class ComboSink : public linkrules::PortListSink {
      public:
        explicit ComboSink(CBackupDlg& panel) : panel_(panel) {}
        void Clear() override;
        void Add(const char16_t* entry) override;
        void SetEditText(const char16_t* text) override;
        void Select(int32_t position) override;

      private:
        CBackupDlg& panel_;
    };
    ComboSink portSink_;
    bool advancedShown_ = false;
    HWND offsetLabel_ = nullptr;  // "Mod:", the signal offset's label (a static without id)
    RECT consoleHome_{};          // the console's place with the advanced controls hidden
    int consoleShift_ = 0;        // how far down the advanced controls move it
    int consoleCut_ = 0;          // and how much shorter they make it

    void MoveConsole();

    std::wstring ItemText(int id) const;
    void Check(int id, bool checked);
    void EnableItem(int id, bool enabled);

    LRESULT OnInitDialog(HWND hwnd);
    void FillLists(HWND hwnd);
    void OnCommand(HWND hwnd, int id);
    void OnCheckBox(HWND hwnd, int id, UINT onMessage, UINT offMessage);
    void FindAdvancedItems(HWND hwnd);
    std::vector<HWND> AdvancedItems() const;
};
