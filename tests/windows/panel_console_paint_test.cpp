// The console's painting under Wine: writes change the control with painting
// off, and the paint they owe is made at most once a frame while lines keep
// arriving and once more when they stop. The frames run on the fixture's
// clock, which stands still unless a test advances it.
#include <richedit.h>
#include <windows.h>

#include <gtest/gtest.h>

#include "panels/console_redraw.h"
#include "tests/windows/panel_setup_fixture.h"

using panel_test::PaintCounter;
using panel_test::SetupPanelFixture;

// Lines that wait for their paint are in the control already, and the console
// is no hole in the panel meanwhile: the mouse finds it, and the panel's own
// paints leave it alone.
TEST_F(SetupPanelFixture, WhileAPaintIsOwedTheConsoleStaysVisibleToTheMouse) {
    ShowWindow(main.hwnd(), SW_SHOWNOACTIVATE);
    ASSERT_TRUE(PaintsPaid()) << "settled";
    panel.console.Clear();
    panel.console.Flush();
    // Right after a paint the next one waits a frame.
    panel.console.Insert(L"$GPTXT,owed*00\r\n");
    // Any message to the control puts the waiting text into it first.
    SendMessageW(Console(), EM_GETSEL, 0, 0);
    ASSERT_TRUE(panel.console.PaintOwed());
    EXPECT_GT(GetWindowTextLengthW(Console()), 0);
    EXPECT_TRUE(IsWindowVisible(Console()));
    RECT box;
    GetWindowRect(Console(), &box);
    POINT centre = {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    ScreenToClient(panel.hwnd, &centre);
    EXPECT_EQ(ChildWindowFromPointEx(panel.hwnd, centre, CWP_SKIPINVISIBLE), Console());
    // The queue runs dry: the timer pays the paint, whatever the clock says.
    EXPECT_TRUE(PaintsPaid()) << "the owed paint";
}

// While lines keep coming the console paints once each time a frame has
// passed since its last paint, and never between: a paint per line would cost
// a paint per insertion. What the last lines owe is paid once the queue runs
// dry. The tick count wraps at 2^32 like GetTickCount's.
TEST_F(SetupPanelFixture, WhileLinesArriveTheConsolePaintsOnceEachFrame) {
    constexpr DWORD kFrame = ConsoleRedraw::kFrameMs;
    const struct {
        const char* name;
        DWORD start;
        DWORD msPerLine;
        int lines;
        int paints;  // while the lines arrive
        bool owed;   // after the last one
    } rows[] = {
        {"the clock stands still", 100000, 0, 300, 0, true},
        {"five lines a frame", 100000, kFrame / 5, 302, 60, true},
        {"a line a frame", 100000, kFrame, 40, 40, false},
        {"a millisecond short of a frame a line", 100000, kFrame - 1, 41, 20, true},
        {"across the tick count's wrap", 0xFFFFFFFFu - 5 * kFrame + 7, kFrame / 5, 100, 20, false},
    };
    ShowWindow(main.hwnd(), SW_SHOWNOACTIVATE);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        panel.console.Clear();
        ASSERT_TRUE(PaintsPaid()) << "settled";
        now = r.start;
        panel.console.SetClock([this] { return now; });
        PaintCounter counter(Console());
        for (int i = 0; i < r.lines; ++i) {
            now += r.msPerLine;
            panel.console.SetColor(i % 2 == 0 ? RGB(0, 0, 0) : RGB(255, 0, 0));
            panel.console.Insert(L"$GPGSV,3,1,12,02,04,005,37,04,10,200,23*7F\r\n");
        }
        EXPECT_EQ(PaintCounter::paints, r.paints);
        EXPECT_EQ(panel.console.PaintOwed(), r.owed);
        EXPECT_TRUE(PaintsPaid()) << "the owed paint";
        EXPECT_EQ(PaintCounter::paints, r.paints + (r.owed ? 1 : 0));
    }
    ShowWindow(main.hwnd(), SW_HIDE);
}

// Once the queue runs dry the console paints and shows where the newest line
// went: at the end, or at a caret the user put somewhere else.
TEST_F(SetupPanelFixture, OnceIdleTheConsoleShowsTheNewestLine) {
    const struct {
        const char* name;
        int caretLine;  // -1: the caret stays at the end
    } rows[] = {{"caret at the end", -1}, {"caret moved to line 3", 3}};
    ShowWindow(main.hwnd(), SW_SHOWNOACTIVATE);
    constexpr int kLines = 300;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        panel.console.Clear();
        ASSERT_TRUE(PaintsPaid()) << "settled";
        PaintCounter counter(Console());
        for (int i = 0; i < kLines; ++i) {
            panel.console.SetColor(i % 2 == 0 ? RGB(0, 0, 0) : RGB(255, 0, 0));
            panel.console.Insert(L"$GPGSV,3,1,12,02,04,005,37,04,10,200,23*7F\r\n");
        }
        // No frame has passed on the fixture's clock.
        EXPECT_EQ(PaintCounter::paints, 0);
        int newest = kLines;  // the empty line behind the last line break
        if (r.caretLine >= 0) {
            // (The control shows the caret's move itself.)
            const LRESULT at = SendMessageW(Console(), EM_LINEINDEX, r.caretLine, 0);
            SendMessageW(Console(), EM_SETSEL, at, at);
            panel.console.Insert(L"$GPTXT,inserted*00\r\n");
            newest = r.caretLine;
        }
        EXPECT_TRUE(panel.console.PaintOwed());
        EXPECT_TRUE(PaintsPaid()) << "the last lines are painted";
        EXPECT_GT(PaintCounter::paints, 0) << "the owed paint is made";
        EXPECT_FALSE(GetUpdateRect(Console(), nullptr, FALSE));
        RECT client;
        GetClientRect(Console(), &client);
        const LRESULT first = SendMessageW(Console(), EM_GETFIRSTVISIBLELINE, 0, 0);
        POINTL corner = {client.right - 1, client.bottom - 1};
        const LRESULT last = SendMessageW(
            Console(), EM_LINEFROMCHAR,
            SendMessageW(Console(), EM_CHARFROMPOS, 0, reinterpret_cast<LPARAM>(&corner)), 0);
        EXPECT_LE(first, newest);
        EXPECT_GE(last, newest);
        if (r.caretLine >= 0) {
            const LRESULT at = SendMessageW(Console(), EM_LINEINDEX, r.caretLine, 0);
            EXPECT_EQ(ColourAt(static_cast<int>(at) + 2), RGB(255, 0, 0));
        }
    }
    ShowWindow(main.hwnd(), SW_HIDE);
}
