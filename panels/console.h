// The console: the RichEdit control that shows every received line in its
// colour. It owns how the control is written and painted, since under Wine
// both cost far more than decoding a line.
#pragma once

#include <richedit.h>
#include <windows.h>

#include <string>
#include <utility>

#include "panels/console_redraw.h"

class Console {
  public:
    Console() = default;
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;
    ~Console();

    // Creates the control as a child of `panel`, which receives the console's
    // timer. False without the RichEdit library: the operations below then
    // do nothing.
    bool Create(HWND panel);
    // The panel is being destroyed: what was never shown goes with it.
    void Detach();

    // Emptying a console of more than kRenewFromLines lines gives it a fresh
    // control in the old one's place, with its format, focus, place, z-order
    // and visibility: ask for the handle each time rather than keep it.
    HWND hwnd() const { return hwnd_; }
    const CHARFORMATW& format() const { return format_; }

    // The colour of the text appended next.
    void SetColor(COLORREF colour);

    // Insertions of one colour are gathered and reach the control as one
    // EM_REPLACESEL: under Wine each insertion costs about a millisecond
    // whatever its length. Anything that asks the control for anything
    // (this program, a test, another process) first gets the gathered text
    // inserted, so nobody sees the console other than line by line would
    // have left it; a frame later at the latest it is inserted anyway.
    int LineCount();  // as if the gathered text were inserted
    void Clear();
    void Insert(const wchar_t* text);  // at the caret, not undoable
    // Empties the console and shows `text` at once (an error message).
    void ShowOnly(const wchar_t* text);
    // Inserts the gathered text and paints what the last writes left
    // unpainted, with the newest line in view. Writes paint on their own a
    // frame later at the latest.
    void Flush();
    // Writes are waiting for their paint.
    bool PaintOwed() const { return redraw_.Pending(); }
    // The panel's WM_TIMER: true when the timer was the console's.
    bool OnTimer(UINT_PTR timer);
    // Where the painting frames take their time from (GetTickCount unless told).
    void SetClock(ConsoleRedraw::Clock clock) { redraw_.SetClock(std::move(clock)); }

    // Under Wine, RichEdit 1.0 cuts each line in a time that grows with the
    // lines it holds: emptying 2000 lines takes about a second, 200 about
    // 15 ms. Beyond this a fresh control is quicker than cutting.
    static constexpr LRESULT kRenewFromLines = 200;

  private:
    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    // A control of the console's class and style at `place` in the panel,
    // hidden and empty, its messages seen by this object.
    HWND NewControl(const RECT& place);
    // Called before the control sees each message sent to it.
    void BeforeMessage(UINT message);
    void InsertPending();
    // Leaves the control empty, the colour chosen for the next line kept.
    void Empty();
    void Cut();
    bool Renew();

    static constexpr COLORREF kNoColour = CLR_INVALID;

    HWND panel_ = nullptr;
    HWND hwnd_ = nullptr;
    CHARFORMATW format_{};
    ConsoleRedraw redraw_;
    // The gathered insertions, not yet in the control.
    std::wstring pendingText_;
    // The control's line count before them, and their line breaks; -1 when
    // they hold a CR or LF outside a CR LF pair (the control then counts).
    LRESULT pendingBaseLines_ = 0;
    LRESULT pendingBreaks_ = 0;
    // The colour the control inserts in: the last SetColor, while nothing
    // else has spoken to the control since; kNoColour otherwise.
    COLORREF insertionColour_ = kNoColour;
    bool insertingPending_ = false;
};
