// The real main window under Wine, fed by the real reader, timed from inside:
//   skyloom-window-bench playback FILE
//     plays FILE and reports lines per second from the first line handled to
//     the last one shown, and where the time of a line went.
//   skyloom-window-bench live PORT SECONDS LOGNAME
//     fills the console as a long session leaves it, then presses Start GPS
//     on PORT (e.g. COM5) at 115200 baud, or opens PORT as the command line
//     would when it is an address (tcp://127.0.0.1:4001), with the log file LOGNAME on for
//     SECONDS, and reports how far the newest line on screen lags behind the
//     clock (the receiver stamps its sentences with UTC).
// In both, a probe thread reads the caption as another program would and
// reports how long the window took to answer.
// The window procedures of the main window, the console and the status panel
// are wrapped so that the time spent in each is counted apart.
#include <windows.h>

#include <richedit.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "bench/wine/answer_probe.h"
#include "bench/wine/network_cases.h"
#include "link/device_name.h"
#include "link/link_win32.h"
#include "link/source_address.h"
#include "res/resource.h"
#include "win32/messages.h"
#include "win32/wide_text.h"

namespace {

struct Spent {
    double seconds = 0;
    long calls = 0;
};

struct Wrapped {
    HWND hwnd = nullptr;
    WNDPROC original = nullptr;
};

Wrapped g_main, g_console, g_status;
CBaseWnd* g_window = nullptr;
Spent g_lineTime;      // UM_LINE_RECEIVED as a whole
Spent g_insertTime;    // EM_REPLACESEL
Spent g_formatTime;    // EM_SETCHARFORMAT
Spent g_countTime;     // EM_GETLINECOUNT
Spent g_consolePaint;  // WM_PAINT of the console
Spent g_statusPaint;   // WM_PAINT of the status panel
Spent g_consoleOther;  // any other message of the console
Spent g_caption;       // WM_SETTEXT of the main window
Spent g_statusOther;   // any other message of the status panel
Spent g_consoleByMessage[0x1000];
long g_lines = 0;
double g_firstLine = 0;
double g_lastLine = 0;

void Wrap(Wrapped* w, HWND hwnd, WNDPROC proc) {
    w->hwnd = hwnd;
    w->original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}

void Unwrap(Wrapped* w) {
    if (w->hwnd != nullptr && IsWindow(w->hwnd))
        SetWindowLongPtrW(w->hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(w->original));
}

LRESULT Timed(Spent* spent, WNDPROC original, HWND hwnd, UINT message, WPARAM wParam,
              LPARAM lParam) {
    const double start = BenchSeconds();
    const LRESULT result = CallWindowProcW(original, hwnd, message, wParam, lParam);
    spent->seconds += BenchSeconds() - start;
    ++spent->calls;
    return result;
}

LRESULT CALLBACK ConsoleProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

// The console may be given a fresh control: time that one too.
void FollowConsole() {
    const HWND console = g_window->setupPanel.console.hwnd();
    if (console != nullptr && console != g_console.hwnd)
        Wrap(&g_console, console, ConsoleProc);
}

LRESULT CALLBACK MainProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETTEXT)
        return Timed(&g_caption, g_main.original, hwnd, message, wParam, lParam);
    if (message != UM_LINE_RECEIVED)
        return CallWindowProcW(g_main.original, hwnd, message, wParam, lParam);
    const LRESULT result = Timed(&g_lineTime, g_main.original, hwnd, message, wParam, lParam);
    FollowConsole();
    const double now = BenchSeconds();
    if (g_lines++ == 0)
        g_firstLine = now;
    g_lastLine = now;
    return result;
}

LRESULT CALLBACK ConsoleProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case EM_REPLACESEL:
            return Timed(&g_insertTime, g_console.original, hwnd, message, wParam, lParam);
        case EM_SETCHARFORMAT:
            return Timed(&g_formatTime, g_console.original, hwnd, message, wParam, lParam);
        case EM_GETLINECOUNT:
            return Timed(&g_countTime, g_console.original, hwnd, message, wParam, lParam);
        case WM_PAINT:
            return Timed(&g_consolePaint, g_console.original, hwnd, message, wParam, lParam);
        default: {
            const double before = g_consoleOther.seconds;
            const LRESULT r =
                Timed(&g_consoleOther, g_console.original, hwnd, message, wParam, lParam);
            if (message < 0x1000)
                g_consoleByMessage[message].seconds += g_consoleOther.seconds - before;
            if (message < 0x1000)
                ++g_consoleByMessage[message].calls;
            return r;
        }
    }
}

LRESULT CALLBACK StatusProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT)
        return Timed(&g_statusPaint, g_status.original, hwnd, message, wParam, lParam);
    return Timed(&g_statusOther, g_status.original, hwnd, message, wParam, lParam);
}

// Runs the message loop until `done` holds or `seconds` pass.
template <typename Done>
bool PumpUntil(Done done, double seconds) {
    const double end = BenchSeconds() + seconds;
    while (!done()) {
        if (BenchSeconds() > end)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

// Lets the queue run dry: every pending paint and timer has been handled.
void PumpIdle(double seconds) {
    const double end = BenchSeconds() + seconds;
    while (BenchSeconds() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    }
}

std::wstring LastConsoleLine(HWND console, const wchar_t* containing) {
    const LRESULT count = SendMessageW(console, EM_GETLINECOUNT, 0, 0);
    for (LRESULT i = count - 1; i >= 0 && i >= count - 40; --i) {
        wchar_t text[600] = {};
        *reinterpret_cast<WORD*>(text) = 599;
        const LRESULT n = SendMessageW(console, EM_GETLINE, static_cast<WPARAM>(i),
                                       reinterpret_cast<LPARAM>(text));
        text[std::min<LRESULT>(n, 599)] = 0;
        if (containing == nullptr ? n > 0 : std::wcsstr(text, containing) != nullptr)
            return text;
    }
    return L"";
}

// Seconds since midnight of field 1 of an NMEA sentence ("hhmmss.ss"), or -1.
double TimeOfDay(const std::wstring& sentence) {
    const size_t comma = sentence.find(L',');
    if (comma == std::wstring::npos || sentence.size() < comma + 7)
        return -1;
    const std::wstring field =
        sentence.substr(comma + 1, sentence.find(L',', comma + 1) - comma - 1);
    if (field.size() < 6)
        return -1;
    const double hh = std::wcstod(field.substr(0, 2).c_str(), nullptr);
    const double mm = std::wcstod(field.substr(2, 2).c_str(), nullptr);
    const double ss = std::wcstod(field.substr(4).c_str(), nullptr);
    return hh * 3600 + mm * 60 + ss;
}

double ClockTimeOfDay() {
    FILETIME ft;
    GetSystemTimePreciseAsFileTime(&ft);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return static_cast<double>(ticks % (86400ULL * 10000000ULL)) / 1e7;
}

void PrintBreakdown() {
    const double perLine = g_lines > 0 ? 1000.0 / static_cast<double>(g_lines) : 0;
    auto row = [&](const char* what, const Spent& s) {
        std::printf("  %-34s %8.3f ms/line  (%ld calls, %.2f s)\n", what, s.seconds * perLine,
                    s.calls, s.seconds);
    };
    std::printf("time per line (%ld lines):\n", g_lines);
    std::printf("  %-34s %8.3f ms/line\n", "wall, first line to last",
                (g_lastLine - g_firstLine) * perLine);
    row("UM_LINE_RECEIVED handler (all)", g_lineTime);
    row("  console EM_REPLACESEL", g_insertTime);
    row("  console EM_SETCHARFORMAT", g_formatTime);
    row("  console EM_GETLINECOUNT", g_countTime);
    row("  console, other messages", g_consoleOther);
    for (unsigned m = 0; m < 0x1000; ++m) {
        if (g_consoleByMessage[m].seconds > 0.05) {
            char what[40];
            std::snprintf(what, sizeof what, "    console message 0x%04x", m);
            row(what, g_consoleByMessage[m]);
        }
    }
    row("  main window caption (WM_SETTEXT)", g_caption);
    row("  status panel, other messages", g_statusOther);
    row("console WM_PAINT", g_consolePaint);
    row("status panel WM_PAINT", g_statusPaint);
    std::printf("  %-34s %8.3f ms/line\n", "outside the UI handler (reader+hand-over)",
                ((g_lastLine - g_firstLine) - g_lineTime.seconds - g_consolePaint.seconds -
                 g_statusPaint.seconds) *
                    perLine);
}

long CountLines(const char* path) {
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr)
        return -1;
    long lines = 0;
    for (int c; (c = std::fgetc(f)) != EOF;)
        lines += c == '\n';
    std::fclose(f);
    return lines;
}

// Selects the port list's entry of PORT ("COM7"), as discovery named it.
bool SelectPort(HWND setup, const char* port) {
    const std::wstring wanted = L"(" + std::wstring(port, port + std::strlen(port)) + L")";
    const LRESULT count = SendDlgItemMessageW(setup, IDC_PORT, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        if (SendDlgItemMessageW(setup, IDC_PORT, CB_GETLBTEXTLEN, i, 0) >= 256)
            continue;
        wchar_t entry[256] = {};
        SendDlgItemMessageW(setup, IDC_PORT, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
        if (std::wcsstr(entry, wanted.c_str()) != nullptr)
            return SendDlgItemMessageW(setup, IDC_PORT, CB_SETCURSEL, i, 0) == i;
    }
    return false;
}

// The console as a long session leaves it: as many lines as it holds before
// the intake empties it, so that Start GPS has all of them to clear.
void FillConsole(Console& console) {
    for (int i = 0; i < 2000; ++i) {
        console.SetColor(i % 50 == 0 ? RGB(255, 0, 0) : RGB(0, 0, 0));
        console.Insert(L"$GPGSV,3,1,12,02,04,005,37,04,10,200,23,05,33,120,40,07,55,300,44*7F\r\n");
    }
    console.Flush();
    PumpIdle(0.3);
}

int Playback(CBaseWnd& window, const char* file) {
    const long expected = CountLines(file);
    if (expected <= 0) {
        std::fprintf(stderr, "no lines in %s\n", file);
        return 1;
    }
    std::wstring path(file, file + std::strlen(file));
    std::replace(path.begin(), path.end(), L'/', L'\\');
    AnswerProbe probe;
    probe.Start(window.hwnd, &BenchSeconds);
    linkrules::SourceSpec recording;
    recording.kind = linkrules::SourceKind::kRecording;
    recording.device = AsText16(path.c_str());
    if (!window.linkControl.link().Open(recording, window.hwnd).ok()) {
        std::fprintf(stderr, "cannot play %s\n", file);
        return 1;
    }
    const bool all = PumpUntil([&] { return g_lines >= expected; }, 600);
    const double handled = BenchSeconds();
    // Until every deferred paint has run: the last line is then on screen.
    PumpUntil([&] { return !GetUpdateRect(window.setupPanel.console.hwnd(), nullptr, FALSE); }, 10);
    const double shown = BenchSeconds();
    PumpIdle(0.3);
    probe.Stop();
    window.linkControl.link().Close();
    std::printf("playback: %ld of %ld lines handled%s\n", g_lines, expected,
                all ? "" : " (timed out)");
    std::printf(
        "playback: %.0f lines/s from the first line handled to the last shown "
        "(%.2f s; last paint %.0f ms after the last line)\n",
        static_cast<double>(g_lines - 1) / (shown - g_firstLine), shown - g_firstLine,
        (shown - handled) * 1000);
    probe.Report("playback", g_firstLine);
    PrintBreakdown();
    return all ? 0 : 1;
}

int Live(CBaseWnd& window, const char* port, double seconds, const char* logName) {
    const HWND setup = window.setupPanel.hwnd;
    std::wstring name(logName, logName + std::strlen(logName));
    SetDlgItemTextW(setup, IDC_LOG_NAME, name.c_str());
    CheckDlgButton(setup, IDC_LOG_FILE, BST_CHECKED);
    SendMessageW(window.hwnd, UM_LOG_START, 0, 0);
    const std::u16string address(port, port + std::strlen(port));
    const bool network = linkrules::LooksLikeAddress(address);
    if (!network && !SelectPort(setup, port)) {
        std::fprintf(stderr, "%s is not in the port list\n", port);
        return 1;
    }
    SendDlgItemMessageW(setup, IDC_BAUD, CB_SETCURSEL, linkrules::BaudIndex(115200), 0);
    FillConsole(window.setupPanel.console);
    AnswerProbe probe;
    probe.Start(window.hwnd, &BenchSeconds);
    const double started = BenchSeconds();
    if (network)
        window.setupPanel.ShowToggled(
            window.linkControl.OpenChosen(linkrules::ParseSourceAddress(address).spec));
    else
        SendDlgItemMessageW(setup, IDC_START_GPS, BM_CLICK, 0, 0);
    if (window.setupPanel.LinkOpen == 0) {
        std::fprintf(stderr, "cannot open %s\n", port);
        return 1;
    }
    // The receiver waits for this line to start.
    std::printf("live: %s open\n", port);
    std::fflush(stdout);
    std::vector<double> lags;
    const double end = BenchSeconds() + seconds;
    while (BenchSeconds() < end) {
        PumpIdle(0.25);
        // Only while lines arrive: once the receiver stops, the clock runs on.
        if (g_lines == 0 || BenchSeconds() - g_lastLine > 0.3)
            continue;
        // The newest sentence on screen that carries the time, against the clock.
        std::wstring line = LastConsoleLine(window.setupPanel.console.hwnd(), L"GGA,");
        const double stamp = TimeOfDay(line);
        if (stamp < 0)
            continue;
        double lag = ClockTimeOfDay() - stamp;
        if (lag < -43200)
            lag += 86400;
        lags.push_back(lag);
        if (lag > 1.0)
            std::printf("live: at %.1f s the newest GGA on screen was %.0f ms old\n",
                        BenchSeconds() - g_firstLine, lag * 1000);
    }
    probe.Stop();
    window.linkControl.link().Close();
    SendMessageW(window.hwnd, UM_LOG_STOP, 0, 0);
    PumpIdle(0.3);
    std::sort(lags.begin(), lags.end());
    if (lags.empty()) {
        std::printf("live: no timed line seen (%ld lines handled)\n", g_lines);
        return 1;
    }
    std::printf("live: %ld lines handled in %.1f s (%.0f lines/s)\n", g_lines,
                g_lastLine - g_firstLine,
                static_cast<double>(g_lines) / std::max(1e-3, g_lastLine - g_firstLine));
    std::printf(
        "live: newest GGA on screen behind the clock over %zu samples: median %.0f ms, "
        "90%% %.0f ms, max %.0f ms\n",
        lags.size(), lags[lags.size() / 2] * 1000, lags[lags.size() * 9 / 10] * 1000,
        lags.back() * 1000);
    probe.Report("live (from Start GPS)", started);
    PrintBreakdown();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // "playback FILE WIDTHxHEIGHT": the window at that outer size.
    int width = 0, height = 0;
    if (argc == 4 && std::strcmp(argv[1], "playback") == 0 &&
        std::sscanf(argv[3], "%dx%d", &width, &height) == 2)
        argc = 3;
    const bool playback = argc == 3 && std::strcmp(argv[1], "playback") == 0;
    const bool live = argc == 5 && std::strcmp(argv[1], "live") == 0;
    const bool badServers = argc == 2 && std::strcmp(argv[1], "bad-servers") == 0;
    if (!playback && !live && !badServers) {
        std::fprintf(stderr,
                     "usage: skyloom-window-bench playback FILE [WIDTHxHEIGHT]\n"
                     "       skyloom-window-bench live PORT SECONDS LOGNAME\n"
                     "       skyloom-window-bench bad-servers\n");
        return 2;
    }
    CBaseWnd window;
    if (!window.CreateMainWindow(GetModuleHandleW(nullptr), SW_SHOW)) {
        std::fprintf(stderr, "no main window\n");
        return 1;
    }
    if (width > 0 && height > 0)
        SetWindowPos(window.hwnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    PumpIdle(0.5);  // the startup timer and the first paints
    g_window = &window;
    Wrap(&g_main, window.hwnd, MainProc);
    Wrap(&g_console, window.setupPanel.console.hwnd(), ConsoleProc);
    Wrap(&g_status, window.statusPanel.hwnd, StatusProc);
    const int rc = badServers ? BadServers(window, &BenchSeconds)
                   : playback ? Playback(window, argv[2])
                              : Live(window, argv[2], std::atof(argv[3]), argv[4]);
    Unwrap(&g_status);
    Unwrap(&g_console);
    Unwrap(&g_main);
    DestroyWindow(window.hwnd);
    PumpIdle(0.2);
    std::fflush(stdout);
    return rc;
}
