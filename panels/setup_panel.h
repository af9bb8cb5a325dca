// The setup panel: port and baud choice, Start/Close, receiver commands, the
// two version fields and the console. It carries out nothing itself: every
// button and check box becomes a program message to the main window.
#pragma once

#include <richedit.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "app/wnd.h"
#include "panels/console_redraw.h"

class CBackupDlg : public CWnd {
  public:
    CBackupDlg() = default;

    // Creates the panel from dialog template 106 as a child of `parent`; the
    // initialisation runs inside this call.
    bool Create(HWND parent);

    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The colour of the text appended to the console next.
    void SetConsoleColor(COLORREF colour);

    // The console's operations. Every write into the console goes through
    // these, so how the console repaints is decided in one place. Without
    // the RichEdit library there is no console and they do nothing.
    //
    // Insertions of one colour are gathered and reach the control as one
    // EM_REPLACESEL: under Wine each insertion costs about a millisecond
    // whatever its length. Anything that asks the control for anything
    // (this panel, a test, another process) first gets the gathered text
    // inserted, so nobody sees the console other than line by line would
    // have left it; a frame later at the latest it is inserted anyway.
    int ConsoleLineCount();  // as if the gathered text were inserted
    void ConsoleClear();
    void ConsoleInsert(const wchar_t* text);  // at the caret, not undoable
    void ConsoleShowOnly(const wchar_t* text);
    // Inserts the gathered text and paints what the console's last writes
    // left unpainted, with the newest line in view. Writes paint on their
    // own a frame later at the latest.
    void ConsoleFlush();
    // Writes are waiting for their paint.
    bool ConsolePaintOwed() const { return consoleRedraw.Pending(); }

    HWND Console() const { return console; }

    CHARFORMATW consoleFormat{};
    HWND console = nullptr;
    HWND mainWindow = nullptr;  // target of every message the panel sends
    int32_t LinkOpen = 0;
    int32_t RescanBusy = 0;

    // Called by the console's window procedure before each message it gets.
    void BeforeConsoleMessage(UINT message);

  private:
    ConsoleRedraw consoleRedraw;

    static constexpr COLORREF kNoColour = CLR_INVALID;

    // The gathered insertions, not yet in the control.
    std::wstring pendingText;
    // The control's line count before them, and their line breaks; -1 when
    // they hold a CR or LF outside a CR LF pair (the control then counts).
    LRESULT pendingBaseLines = 0;
    LRESULT pendingBreaks = 0;
    // The colour the control inserts in: the last SetConsoleColor, while
    // nothing else has spoken to the control since; kNoColour otherwise.
    COLORREF insertionColour = kNoColour;
    bool insertingPending = false;

    void InsertPending();
    void EmptyConsole();

    LRESULT OnInitDialog(HWND hwnd);
    void FillLists(HWND hwnd);
    void CreateConsole(HWND hwnd);
    void OnCommand(HWND hwnd, int id);
    void OnCheckBox(HWND hwnd, int id, UINT onMessage, UINT offMessage);
    void ApplyLinkState(HWND hwnd, bool open);
};
