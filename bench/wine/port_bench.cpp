// The real main window on a live port, opened and closed, pulled and given
// back, over and over (scripts/bench-wine.sh ports runs it):
//   skyloom-port-bench PORT OPENCLOSE PULLS CONTROLDIR
// opens PORT (e.g. COM8) through the Start button OPENCLOSE times, then keeps
// it open while the script pulls the port and gives it back PULLS times. The
// script is asked through files in CONTROLDIR: "pull" (end the port's socat)
// and "return" (start it and the receiver again); it deletes each once done.
// Reported: hangs (a step that did not finish in its bound), readers still
// running, the process's threads, GDI objects and handles at the end against
// the start, and the longest time the window did not answer.
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/main_window.h"
#include "bench/wine/answer_probe.h"
#include "link/device_name.h"
#include "link/link_state_win32.h"
#include "res/resource.h"
#include "win32/messages.h"

namespace {

// Bounds of one step: far above what a step takes, so only a hang passes them.
constexpr double kToggleBound = 5;
constexpr double kLossBound = 10;
constexpr double kReturnBound = 20;

std::atomic<long> g_lines{0};
WNDPROC g_mainProc = nullptr;

LRESULT CALLBACK CountingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallWindowProcW(g_mainProc, hwnd, message, wParam, lParam);
    if (message == UM_LINE_RECEIVED && result != 0)
        ++g_lines;
    return result;
}

struct Counts {
    long threads = 0;
    DWORD gdi = 0;
    DWORD user = 0;
    DWORD handles = 0;
};

// Wine answers GetProcessHandleCount with 0; its list of every handle in the
// system says how many are this process's.
DWORD HandlesFromSystemList() {
    struct Entry {
        ULONG ownerPid;
        BYTE objectType;
        BYTE flags;
        USHORT value;
        void* object;
        ULONG access;
    };
    struct List {
        ULONG count;
        Entry entries[1];
    };
    using Query = LONG(WINAPI*)(int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<Query>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr)
        return 0;
    constexpr int kSystemHandleInformation = 16;
    std::string buffer(1 << 16, '\0');
    for (int attempt = 0; attempt < 12; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(kSystemHandleInformation, buffer.data(),
                                  static_cast<ULONG>(buffer.size()), &needed);
        if (status == 0) {
            const auto* list = reinterpret_cast<const List*>(buffer.data());
            DWORD mine = 0;
            for (ULONG i = 0; i < list->count; ++i)
                mine += list->entries[i].ownerPid == GetCurrentProcessId();
            return mine;
        }
        buffer.resize(std::max<size_t>(buffer.size() * 2, needed));
    }
    return 0;
}

Counts Measure() {
    Counts counts;
    const DWORD self = GetCurrentProcessId();
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap != INVALID_HANDLE_VALUE) {
        THREADENTRY32 entry{};
        entry.dwSize = sizeof entry;
        for (BOOL more = Thread32First(snap, &entry); more; more = Thread32Next(snap, &entry))
            counts.threads += entry.th32OwnerProcessID == self;
        CloseHandle(snap);
    }
    counts.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    counts.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    if (!GetProcessHandleCount(GetCurrentProcess(), &counts.handles) || counts.handles == 0)
        counts.handles = HandlesFromSystemList();
    return counts;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

template <typename Done>
bool PumpUntil(Done done, double seconds) {
    const double end = BenchSeconds() + seconds;
    for (;;) {
        Pump();
        if (done())
            return true;
        if (BenchSeconds() > end)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

std::wstring Wide(const char* text) {
    return std::wstring(text, text + std::strlen(text));
}

bool Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Asks the script for `what` and waits, pumping, until it has done it.
bool Ask(const std::wstring& dir, const wchar_t* what) {
    const std::wstring path = dir + L"\\" + what;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return PumpUntil([&] { return !Exists(path); }, kReturnBound);
}

class Bench {
  public:
    explicit Bench(CBaseWnd& window) : window_(window) {}

    // The Start button as a user presses it; false when the button did not
    // end up as `expected` within its bound.
    bool Toggle(const wchar_t* expected) {
        const HWND setup = window_.setupPanel.hwnd;
        const HWND button = GetDlgItem(setup, IDC_START_GPS);
        const double start = BenchSeconds();
        SendMessageW(setup, WM_COMMAND, MAKEWPARAM(IDC_START_GPS, BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
        const double took = BenchSeconds() - start;
        longestToggle_ = std::max(longestToggle_, took);
        wchar_t text[32] = {};
        GetWindowTextW(button, text, 32);
        const bool ok = took < kToggleBound && std::wcscmp(text, expected) == 0;
        hangs_ += ok ? 0 : 1;
        return ok;
    }

    bool SelectPort(const char* port) {
        const std::wstring wanted = L"(" + Wide(port) + L")";
        const HWND list = GetDlgItem(window_.setupPanel.hwnd, IDC_PORT);
        const LRESULT count = SendMessageW(list, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            wchar_t entry[256] = {};
            if (SendMessageW(list, CB_GETLBTEXTLEN, i, 0) < 256)
                SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
            if (std::wcsstr(entry, wanted.c_str()) != nullptr) {
                SendMessageW(list, CB_SETCURSEL, i, 0);
                SendDlgItemMessageW(window_.setupPanel.hwnd, IDC_BAUD, CB_SETCURSEL,
                                    linkrules::BaudIndex(115200), 0);
                return true;
            }
        }
        return false;
    }

    void OpenClose(long cycles) {
        const double start = BenchSeconds();
        for (long i = 0; i < cycles; ++i) {
            Toggle(L"Close GPS");
            // Now and then a moment for lines to arrive before the close.
            if (i % 10 == 0)
                PumpUntil([] { return false; }, 0.02);
            else
                Pump();
            Toggle(L"Start GPS");
            Pump();
        }
        std::printf("open/close: %ld cycles in %.1f s, longest toggle %.0f ms, %ld lines shown\n",
                    cycles, BenchSeconds() - start, longestToggle_ * 1000, g_lines.load());
    }

    void PullAndReturn(long cycles, const std::wstring& dir) {
        LinkControl& control = window_.linkControl;
        if (!Toggle(L"Close GPS"))
            return;
        PumpUntil([] { return g_lines.load() > 0; }, kReturnBound);
        double longestLoss = 0, longestReturn = 0;
        long done = 0;
        for (long i = 0; i < cycles; ++i) {
            double start = BenchSeconds();
            if (!Ask(dir, L"pull") ||
                !PumpUntil([&] { return control.WaitingForPort(); }, kLossBound)) {
                ++hangs_;
                std::printf("pull %ld: the loss was not noticed\n", i);
                break;
            }
            longestLoss = std::max(longestLoss, BenchSeconds() - start);
            start = BenchSeconds();
            const long before = g_lines.load();
            if (!Ask(dir, L"return") ||
                !PumpUntil([&] { return control.link().IsOpen() && g_lines.load() > before; },
                           kReturnBound)) {
                ++hangs_;
                std::printf("return %ld: no line after the port came back\n", i);
                break;
            }
            longestReturn = std::max(longestReturn, BenchSeconds() - start);
            ++done;
        }
        std::printf(
            "pull/return: %ld of %ld cycles; longest from the pull to the wait %.0f ms, from "
            "the return to the first line %.0f ms\n",
            done, cycles, longestLoss * 1000, longestReturn * 1000);
        if (control.link().IsOpen() || control.WaitingForPort())
            Toggle(L"Start GPS");
    }

    long hangs() const { return hangs_; }

  private:
    CBaseWnd& window_;
    double longestToggle_ = 0;
    long hangs_ = 0;
};

void Report(const char* what, long before, long after) {
    if (before == 0 && after == 0)
        std::printf("  %-12s not reported by this system\n", what);
    else
        std::printf("  %-12s %ld at the start, %ld at the end (%+ld)\n", what, before, after,
                    after - before);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: skyloom-port-bench PORT OPENCLOSE PULLS CONTROLDIR\n");
        return 2;
    }
    const long openClose = std::atol(argv[2]);
    const long pulls = std::atol(argv[3]);
    const std::wstring dir = Wide(argv[4]);

    CBaseWnd window;
    if (!window.CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOW)) {
        std::fprintf(stderr, "no main window\n");
        return 1;
    }
    PumpUntil([] { return false; }, 0.5);
    g_mainProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingProc)));
    Bench bench(window);
    if (!bench.SelectPort(argv[1])) {
        std::fprintf(stderr, "%s is not in the port list\n", argv[1]);
        return 1;
    }
    // The first open loads what every later one reuses.
    bench.Toggle(L"Close GPS");
    PumpUntil([] { return g_lines.load() > 0; }, 5);
    bench.Toggle(L"Start GPS");
    PumpUntil([] { return LiveLinkStates() == 0; }, 3);

    int rc = 0;
    {
        AnswerProbe probe;
        probe.Start(window.hwnd, &BenchSeconds);
        PumpUntil([] { return false; }, 0.3);
        const Counts start = Measure();
        bench.OpenClose(openClose);
        bench.PullAndReturn(pulls, dir);
        PumpUntil([] { return LiveLinkStates() == 0; }, 5);
        PumpUntil([] { return false; }, 1);
        const Counts end = Measure();
        probe.Stop();
        std::printf("hangs: %ld (and %ld unanswered reads of the window)\n", bench.hangs(),
                    probe.Unanswered());
        std::printf("readers still running: %d\n", LiveLinkStates());
        std::printf("process, with a link neither open nor awaited:\n");
        Report("threads", start.threads, end.threads);
        Report("GDI objects", start.gdi, end.gdi);
        Report("USER objects", start.user, end.user);
        Report("handles", start.handles, end.handles);
        std::printf("longest the window did not answer: %.0f ms\n", probe.Longest() * 1000);
        rc = bench.hangs() == 0 && LiveLinkStates() == 0 ? 0 : 1;
    }
    SetWindowLongPtrW(window.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_mainProc));
    DestroyWindow(window.hwnd);
    PumpUntil([] { return false; }, 0.2);
    std::fflush(stdout);
    return rc;
}
