// Another program's view of the window: a thread of its own asks the main
// window for its caption every ~100 ms with SendMessageTimeoutW, as a second
// program would, and keeps how long each answer took. The UI thread answers
// only between two handlers, so the longest wait is the longest time the
// window was deaf to the user.
#pragma once

#include <windows.h>

#include <atomic>
#include <vector>

#include "win32/unique_handle.h"

// Seconds on the performance counter, for timing steps of a benchmark.
double BenchSeconds();

class AnswerProbe {
  public:
    AnswerProbe() = default;
    AnswerProbe(const AnswerProbe&) = delete;
    AnswerProbe& operator=(const AnswerProbe&) = delete;
    ~AnswerProbe();

    // `clock` gives seconds; the report says when, on that clock, the worst
    // waits began.
    bool Start(HWND window, double (*clock)());
    void Stop();
    // Prints the number of reads, median, 99th percentile and worst answer
    // time, how many waited longer than 200 ms, and the five longest waits.
    void Report(const char* what, double origin) const;
    // After Stop: the longest wait in seconds, and the reads never answered.
    double Longest() const;
    long Unanswered() const { return unanswered_.load(); }

  private:
    struct Read {
        double start;
        double wait;
    };
    static DWORD WINAPI Run(void* self);

    HWND window_ = nullptr;
    double (*clock_)() = nullptr;
    UniqueHandle thread_;
    UniqueHandle stop_;
    std::vector<Read> reads_;  // the probe thread's until Stop returns
    std::atomic<long> unanswered_{0};
};
