// Deferred painting of the console. A visible RichEdit repaints and scrolls on
// every insertion, which under Wine costs far more than the insertion itself;
// a receiver sends lines much faster than anyone can read them. So the control
// changes with painting switched off, and the paint it owes is made at most
// once per frame, and once more when the lines stop (a timer on the panel),
// so that the newest line is on screen whenever the program is idle.
#pragma once

#include <windows.h>

#include <functional>

class ConsoleRedraw {
  public:
    // Shortest time between two paints while lines keep arriving.
    static constexpr DWORD kFrameMs = 50;
    // The panel's timer that paints what the last lines left behind.
    static constexpr UINT_PTR kTimerId = 1;
    // Milliseconds, wrapping at 2^32 as GetTickCount does.
    using Clock = std::function<DWORD()>;

    void Attach(HWND console, HWND timerOwner);
    // Forgets the console; its timer is stopped.
    void Detach();
    // The console is now this control; what is owed stays owed.
    void Follow(HWND console) { console_ = console; }
    // The frames' time from now on (GetTickCount when empty); a frame starts now.
    void SetClock(Clock clock);

    // Painting is off only for as long as one of these lives. It is never
    // left off while the program waits for messages: a window with painting
    // off is hidden, so clicks on the console would land on the panel and the
    // panel's paints would cover it.
    class Quiet {
      public:
        explicit Quiet(ConsoleRedraw& redraw);
        ~Quiet();
        Quiet(const Quiet&) = delete;
        Quiet& operator=(const Quiet&) = delete;

      private:
        ConsoleRedraw& redraw_;
    };

    // The console has changed, or is about to: a paint is owed.
    void Owe();
    // Pays the paint owed once a frame has passed since the last one.
    void AfterChange();

    // Paints now: the caret (where the newest line went) scrolled into view,
    // the console invalidated and updated. Does nothing when nothing is owed.
    void Flush();

    bool Pending() const { return pending_; }
    // A paint is owed and a frame has passed since the last one.
    bool FrameDue() const;

  private:
    DWORD Now() const { return clock_ ? clock_() : GetTickCount(); }

    Clock clock_;
    HWND console_ = nullptr;
    HWND timerOwner_ = nullptr;
    bool pending_ = false;
    int quietDepth_ = 0;
    DWORD lastPaint_ = 0;
};
