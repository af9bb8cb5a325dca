#include "panels/console_redraw.h"

#include <richedit.h>

#include <utility>

void ConsoleRedraw::Attach(HWND console, HWND timerOwner) {
    console_ = console;
    timerOwner_ = timerOwner;
    pending_ = false;
    quietDepth_ = 0;
    lastPaint_ = Now();
}

void ConsoleRedraw::SetClock(Clock clock) {
    clock_ = std::move(clock);
    lastPaint_ = Now();
}

void ConsoleRedraw::Detach() {
    if (timerOwner_ != nullptr)
        KillTimer(timerOwner_, kTimerId);
    console_ = nullptr;
    timerOwner_ = nullptr;
    pending_ = false;
}

ConsoleRedraw::Quiet::Quiet(ConsoleRedraw& redraw) : redraw_(redraw) {
    if (redraw_.console_ == nullptr)
        return;
    if (redraw_.quietDepth_++ == 0)
        SendMessageW(redraw_.console_, WM_SETREDRAW, FALSE, 0);
    redraw_.Owe();
}

ConsoleRedraw::Quiet::~Quiet() {
    if (redraw_.console_ == nullptr)
        return;
    // Painting back on paints nothing by itself: the changes wait for Flush.
    if (--redraw_.quietDepth_ == 0)
        SendMessageW(redraw_.console_, WM_SETREDRAW, TRUE, 0);
}

void ConsoleRedraw::Owe() {
    if (console_ == nullptr || pending_)
        return;
    pending_ = true;
    // A paint waits for the frame or for the queue to run dry, whichever
    // comes first: timers arrive only when nothing else is queued.
    SetTimer(timerOwner_, kTimerId, kFrameMs, nullptr);
}

void ConsoleRedraw::AfterChange() {
    // A steady stream never lets the timer through: paint from here once a
    // frame has passed.
    if (FrameDue())
        Flush();
}

bool ConsoleRedraw::FrameDue() const {
    return pending_ && Now() - lastPaint_ >= kFrameMs;
}

void ConsoleRedraw::Flush() {
    if (console_ == nullptr || !pending_)
        return;
    pending_ = false;
    KillTimer(timerOwner_, kTimerId);
    SendMessageW(console_, EM_SCROLLCARET, 0, 0);
    InvalidateRect(console_, nullptr, TRUE);
    UpdateWindow(console_);
    lastPaint_ = Now();
}
