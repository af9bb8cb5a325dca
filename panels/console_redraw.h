// Deferred painting of the console. A visible RichEdit repaints and scrolls on
// every insertion, which under Wine costs far more than the insertion itself;
// a receiver sends lines much faster than anyone can read them. So painting is
// switched off while lines arrive and switched on again at most once per
// frame, and once more when the lines stop (a timer on the panel), so that the
// newest line is on screen whenever the program is idle.
#pragma once

#include <windows.h>

class ConsoleRedraw {
  public:
    // Shortest time between two paints while lines keep arriving.
    static constexpr DWORD kFrameMs = 50;
    // The panel's timer that paints what the last lines left behind.
    static constexpr UINT_PTR kTimerId = 1;

    void Attach(HWND console, HWND timerOwner);

    // Around every change of the console's text.
    void BeforeChange();
    void AfterChange();

    // Paints now: painting on, the caret (where the newest line went) scrolled
    // into view, the console invalidated and updated. Does nothing when
    // nothing is waiting.
    void Flush();

    bool Pending() const { return pending_; }
    // A paint is waiting and a frame has passed since the last one.
    bool FrameDue() const;

  private:
    HWND console_ = nullptr;
    HWND timerOwner_ = nullptr;
    bool pending_ = false;
    DWORD lastPaint_ = 0;
};
