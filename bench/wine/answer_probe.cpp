#include "bench/wine/answer_probe.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr DWORD kPeriodMs = 100;
// Long enough to see a freeze whole rather than cut short.
constexpr UINT kTimeoutMs = 30000;
constexpr double kSlow = 0.2;

}  // namespace

AnswerProbe::~AnswerProbe() {
    Stop();
}

bool AnswerProbe::Start(HWND window, double (*clock)()) {
    window_ = window;
    clock_ = clock;
    reads_.clear();
    unanswered_ = 0;
    stop_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stop_)
        return false;
    thread_.reset(CreateThread(nullptr, 0, &AnswerProbe::Run, this, 0, nullptr));
    return static_cast<bool>(thread_);
}

void AnswerProbe::Stop() {
    if (thread_) {
        SetEvent(stop_.get());
        // The last read may be waiting for this very thread: answer it while
        // waiting for the probe to end.
        const HANDLE thread = thread_.get();
        while (MsgWaitForMultipleObjects(1, &thread, FALSE, kTimeoutMs, QS_SENDMESSAGE) ==
               WAIT_OBJECT_0 + 1) {
            MSG msg;
            PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        thread_.reset();
    }
    stop_.reset();
}

double AnswerProbe::Longest() const {
    double longest = 0;
    for (const Read& r : reads_)
        longest = std::max(longest, r.wait);
    return longest;
}

double BenchSeconds() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

DWORD WINAPI AnswerProbe::Run(void* param) {
    auto* self = static_cast<AnswerProbe*>(param);
    while (WaitForSingleObject(self->stop_.get(), kPeriodMs) == WAIT_TIMEOUT) {
        wchar_t caption[256] = {};
        DWORD_PTR copied = 0;
        const double start = self->clock_();
        const LRESULT answered = SendMessageTimeoutW(self->window_, WM_GETTEXT, std::size(caption),
                                                     reinterpret_cast<LPARAM>(caption), SMTO_NORMAL,
                                                     kTimeoutMs, &copied);
        const double wait = self->clock_() - start;
        if (answered == 0)
            ++self->unanswered_;
        self->reads_.push_back({start, wait});
    }
    return 0;
}

void AnswerProbe::Report(const char* what, double origin) const {
    if (reads_.empty()) {
        std::printf("%s: the probe read nothing\n", what);
        return;
    }
    std::vector<double> waits;
    waits.reserve(reads_.size());
    for (const Read& r : reads_)
        waits.push_back(r.wait);
    std::sort(waits.begin(), waits.end());
    const auto at = [&](double share) {
        return waits[std::min(waits.size() - 1, static_cast<size_t>(share * waits.size()))];
    };
    const auto slow = std::count_if(waits.begin(), waits.end(), [](double w) { return w > kSlow; });
    std::printf(
        "%s: the window answered %zu caption reads (every %lu ms): median %.1f ms, 99%% %.1f "
        "ms, worst %.1f ms; %ld over %.0f ms, %ld unanswered\n",
        what, waits.size(), static_cast<unsigned long>(kPeriodMs), at(0.5) * 1000, at(0.99) * 1000,
        waits.back() * 1000, static_cast<long>(slow), kSlow * 1000, unanswered_.load());
    std::vector<Read> longest = reads_;
    std::sort(longest.begin(), longest.end(),
              [](const Read& a, const Read& b) { return a.wait > b.wait; });
    std::printf("%s: longest waits (ms at s):", what);
    for (size_t i = 0; i < longest.size() && i < 5; ++i)
        std::printf(" %.0f@%.1f", longest[i].wait * 1000, longest[i].start - origin);
    std::printf("\n");
}
