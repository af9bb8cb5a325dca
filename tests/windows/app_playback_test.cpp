// A recording played through the whole program in this process: "Start GPS"
// opens it, the reader's genuine lines pass the UM_LINE_RECEIVED guard and
// reach the console, and destroying the window closes the open link.
#include <richedit.h>

#include <string>

#include "app_main_window_fixture.h"
#include "link/link_win32.h"
#include "link/port_discovery_win32.h"
#include "link_test_support.h"
#include "win32/messages.h"

namespace app_test {
namespace {

const char kRecording[] =
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
    "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*48\r\n"
    "$GPTXT,01,01,02,last line*00\r\n";

using PlaybackThroughWindowTest = MainWindowTest<>;

TEST_F(PlaybackThroughWindowTest, GenuineLinesReachTheConsoleAndClosingTheWindowClosesTheLink) {
    PortCount = 0;  // a fresh prefix has no serial port; playback needs none
    const std::wstring path = link_test::ScratchDir() + L"\\drive.pgl";
    link_test::WriteBytes(path, kRecording);
    const HWND setup = window.setupPanel.hwnd;
    const HWND console = window.setupPanel.console.hwnd();

    // "Log File:" is the port list's last entry.
    const HWND ports = GetDlgItem(setup, IDC_PORT);
    const LRESULT last = SendMessageW(ports, CB_GETCOUNT, 0, 0) - 1;
    ASSERT_GE(last, 0);
    SendMessageW(ports, CB_SETCURSEL, last, 0);
    {
        link_test::DialogAnswer answer(path);
        SendDlgItemMessageW(setup, IDC_START_GPS, BM_CLICK, 0, 0);
        EXPECT_TRUE(answer.answered());
    }
    ASSERT_TRUE(window.linkControl.link().IsOpen());
    EXPECT_EQ(window.setupPanel.LinkOpen, 1);

    // Four lines, each ending in a line break, and the empty line after them.
    EXPECT_TRUE(link_test::PumpUntil(
        [&] { return SendMessageW(console, EM_GETLINECOUNT, 0, 0) >= 5; }, 10000));
    std::wstring expected;
    for (const char* p = kRecording; *p != '\0'; ++p)
        expected.push_back(static_cast<wchar_t>(*p));
    EXPECT_EQ(WindowText(console), expected);
    EXPECT_EQ(WindowText(GetDlgItem(setup, IDC_START_GPS)), L"Close GPS");

    // A forged copy of a line is still refused while the link is open.
    static const wchar_t kForged[] = L"$GPTXT,forged*00\r\n";
    EXPECT_EQ(SendMessageW(main, UM_LINE_RECEIVED, reinterpret_cast<WPARAM>(kForged), 0), 0);

    DestroyWindow(main);
    EXPECT_FALSE(window.linkControl.link().IsOpen()) << "WM_DESTROY closes the open link";
    MSG msg;
    EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE));
}

struct AboutWatch {
    HWND owner = nullptr;
    HWND console = nullptr;
    LRESULT wanted = 0;  // console line count once every line is in
    bool sawBoxOpen = false;
    bool allLinesWhileOpen = false;
    int ticks = 0;
};
AboutWatch* g_watch = nullptr;

BOOL CALLBACK FindOwnedDialog(HWND hwnd, LPARAM found) {
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (lstrcmpW(cls, L"#32770") == 0 && GetWindow(hwnd, GW_OWNER) == g_watch->owner) {
        *reinterpret_cast<HWND*>(found) = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Runs inside the About box's modal loop: waits for every line to show, then
// closes the box the way Esc does.
void CALLBACK WatchAbout(HWND, UINT, UINT_PTR, DWORD) {
    AboutWatch& w = *g_watch;
    HWND box = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindOwnedDialog, reinterpret_cast<LPARAM>(&box));
    if (box == nullptr)
        return;
    w.sawBoxOpen = true;
    if (SendMessageW(w.console, EM_GETLINECOUNT, 0, 0) >= w.wanted)
        w.allLinesWhileOpen = true;
    if (w.allLinesWhileOpen || ++w.ticks > 200)
        PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(PlaybackThroughWindowTest, LinesKeepArrivingWhileTheAboutBoxIsOpen) {
    PortCount = 0;
    const std::wstring path = link_test::ScratchDir() + L"\\long.pgl";
    std::string bytes;
    for (int i = 0; i < 40; ++i)
        bytes += kRecording;
    link_test::WriteBytes(path, bytes);
    const HWND setup = window.setupPanel.hwnd;
    const HWND ports = GetDlgItem(setup, IDC_PORT);
    SendMessageW(ports, CB_SETCURSEL, SendMessageW(ports, CB_GETCOUNT, 0, 0) - 1, 0);
    {
        link_test::DialogAnswer answer(path);
        SendDlgItemMessageW(setup, IDC_START_GPS, BM_CLICK, 0, 0);
    }
    ASSERT_TRUE(window.linkControl.link().IsOpen());

    AboutWatch watch;
    watch.owner = main;
    watch.console = window.setupPanel.console.hwnd();
    watch.wanted = 160 + 1;
    // Nothing has been pumped since the link opened: the reader is waiting.
    ASSERT_LT(SendMessageW(watch.console, EM_GETLINECOUNT, 0, 0), watch.wanted);
    g_watch = &watch;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, WatchAbout);
    SendMessageW(main, WM_COMMAND, IDM_ABOUT, 0);  // returns when the box has closed
    KillTimer(nullptr, timer);
    g_watch = nullptr;

    EXPECT_TRUE(watch.sawBoxOpen);
    EXPECT_TRUE(watch.allLinesWhileOpen) << "the box's own loop handles the reader's lines";
    window.linkControl.link().Close();
}

}  // namespace
}  // namespace app_test
