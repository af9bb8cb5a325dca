// The console in process under Wine: a read-only RichEdit 1.0 control, each
// line in its colour, lines gathered between paints, and the emptying.
#include <richedit.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "panels/console.h"
#include "res/resource.h"
#include "tests/windows/panel_setup_fixture.h"

using panel_test::HasStyle;
using panel_test::RectIn;
using panel_test::SetupPanelFixture;
using panel_test::WindowText;

// (Where it lies is checked with the other controls and the main window.)
TEST_F(SetupPanelFixture, ConsoleIsAReadOnlyRichEditOne) {
    HWND c = Console();
    ASSERT_NE(c, nullptr);
    wchar_t cls[64] = {};
    GetClassNameW(c, cls, 64);
    EXPECT_EQ(lstrcmpiW(cls, L"RICHEDIT"), 0) << cls;
    EXPECT_EQ(GetParent(c), panel.hwnd);
    EXPECT_EQ(GetDlgCtrlID(c), 0);
    EXPECT_EQ(WindowText(c), L"");
    // (WS_VSCROLL comes and goes with the need to scroll)
    const LONG want =
        WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | ES_AUTOHSCROLL | ES_READONLY;
    EXPECT_TRUE(HasStyle(c, want));
    EXPECT_FALSE(HasStyle(c, WS_BORDER));
    EXPECT_EQ(GetWindowLongW(c, GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
    EXPECT_EQ(panel.console.format().cbSize, 92u);
    EXPECT_GT(panel.console.format().yHeight, 0);
}

TEST_F(SetupPanelFixture, EachLineKeepsTheColourSetBeforeItWasInserted) {
    const std::pair<COLORREF, const wchar_t*> lines[] = {
        {RGB(0, 0, 0), L"$GPGGA,ok*00\r\n"},
        {RGB(255, 0, 0), L"$GPGGA,bad*00\r\n"},
        {RGB(0, 255, 0), L"$GPRMC,fast*00\r\n"},
        {RGB(0, 0, 0), L"$GPGSV,ok*00\r\n"},
    };
    const LONG height = panel.console.format().yHeight;
    for (const auto& line : lines) {
        panel.console.SetColor(line.first);
        panel.console.Insert(line.second);
    }
    for (size_t i = 0; i < std::size(lines); ++i) {
        SCOPED_TRACE(i);
        const int start = static_cast<int>(SendMessageW(Console(), EM_LINEINDEX, i, 0));
        EXPECT_EQ(ColourAt(start + 2), lines[i].first);
    }
    // The colour change keeps the size read at initialisation.
    EXPECT_EQ(panel.console.format().yHeight, height);
    EXPECT_EQ(panel.console.LineCount(), 5);
    panel.console.Clear();
    EXPECT_EQ(WindowText(Console()), L"");
}

namespace {

enum class Focus { kElsewhere, kCaretOnly, kKeyboard };

// What the user and other programs can tell of the console, but its handle.
struct Seen {
    size_t place;  // in the panel's z-order
    RECT rect;
    LONG style;
    bool visible;
    bool focused;
    bool caret;
    size_t children;
};

}  // namespace

// Emptying cuts a console of a few lines in place and gives a fuller one a
// fresh control, which is far quicker under Wine. Either way what is left is
// what setting its text to "" would leave: nothing at all, the colour chosen
// before the emptying for the line after it, and the console where, as and
// how focused it was; gathered lines still reach the control when anybody
// asks it anything, and the paint owed is made.
TEST_F(SetupPanelFixture, EmptyingLeavesTheSameConsoleWhetherCutOrRenewed) {
    constexpr int kMost = static_cast<int>(Console::kRenewFromLines) - 1;  // still cut
    const struct {
        const char* name;
        int lines;
        Focus focus;
        bool raised;           // above the other controls rather than below
        const wchar_t* error;  // shown instead of emptying only
    } rows[] = {
        {"a few lines", 50, Focus::kCaretOnly, false, nullptr},
        {"the most lines cut in place", kMost, Focus::kCaretOnly, false, nullptr},
        {"one line more", kMost + 1, Focus::kCaretOnly, false, nullptr},
        {"a full console", 2000, Focus::kCaretOnly, false, nullptr},
        {"a full console with the keyboard focus", 2000, Focus::kKeyboard, false, nullptr},
        {"a full console, the focus elsewhere", 2000, Focus::kElsewhere, false, nullptr},
        {"a full console above the other controls", 2000, Focus::kCaretOnly, true, nullptr},
        {"an error over a full console", 2000, Focus::kCaretOnly, false, L"ComPort ERROR!!"},
    };
    ShowWindow(main.hwnd(), SW_SHOW);
    auto see = [&] {
        const std::vector<HWND> children = Children();
        GUITHREADINFO thread{};
        thread.cbSize = sizeof thread;
        GetGUIThreadInfo(GetCurrentThreadId(), &thread);
        Seen seen{};
        seen.place = std::find(children.begin(), children.end(), Console()) - children.begin();
        seen.rect = RectIn(panel.hwnd, Console());
        // (WS_VSCROLL comes and goes with the need to scroll)
        seen.style = GetWindowLongW(Console(), GWL_STYLE) & ~WS_VSCROLL;
        seen.visible = IsWindowVisible(Console()) != FALSE;
        seen.focused = GetFocus() == Console();
        seen.caret = thread.hwndCaret == Console();
        seen.children = children.size();
        return seen;
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        panel.console.Clear();
        for (int i = 0; i < r.lines; ++i) {
            panel.console.SetColor(i % 7 == 0 ? RGB(255, 0, 0) : RGB(0, 0, 0));
            panel.console.Insert(L"$GPGSV,3,1,12,02,04,005,37,04,10,200,23*7F\r\n");
        }
        ASSERT_EQ(panel.console.LineCount(), r.lines + 1);
        SetWindowPos(Console(), r.raised ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SetFocus(r.focus == Focus::kKeyboard ? Console() : Item(IDC_START_GPS));
        if (r.focus == Focus::kCaretOnly)  // as the panel tells the console at each start
            SendMessageW(Console(), WM_SETFOCUS, 0, 0);
        ASSERT_TRUE(PaintsPaid()) << "settled";
        const HWND before = Console();
        const Seen was = see();
        ASSERT_EQ(was.focused, r.focus == Focus::kKeyboard);
        ASSERT_EQ(was.caret, r.focus != Focus::kElsewhere);

        panel.console.SetColor(RGB(255, 0, 0));
        if (r.error != nullptr) {
            panel.console.ShowOnly(r.error);
        } else {
            panel.console.Clear();
        }
        const bool renewed = r.lines + 1 > Console::kRenewFromLines;
        EXPECT_EQ(Console() != before, renewed);
        EXPECT_EQ(IsWindow(before) != FALSE, !renewed) << "the old control is gone";
        const Seen is = see();
        EXPECT_EQ(is.place, was.place);
        EXPECT_TRUE(EqualRect(&is.rect, &was.rect)) << app_test::Show(is.rect);
        EXPECT_EQ(is.style, was.style);
        EXPECT_EQ(is.visible, was.visible);
        EXPECT_EQ(is.focused, was.focused);
        EXPECT_EQ(is.caret, was.caret);
        EXPECT_EQ(is.children, was.children);
        wchar_t cls[64] = {};
        GetClassNameW(Console(), cls, 64);
        EXPECT_EQ(lstrcmpiW(cls, L"RICHEDIT"), 0) << cls;
        EXPECT_EQ(GetDlgCtrlID(Console()), 0);
        if (r.error != nullptr) {
            EXPECT_EQ(WindowText(Console()), r.error);
            continue;
        }
        EXPECT_EQ(WindowText(Console()), L"");
        EXPECT_EQ(panel.console.LineCount(), 1);
        EXPECT_EQ(SendMessageW(Console(), EM_GETLINECOUNT, 0, 0), 1);
        // Gathered, then put in by the question of whoever asks the control.
        panel.console.Insert(L"$GPTXT,after*00\r\n");
        EXPECT_EQ(WindowText(Console()), L"$GPTXT,after*00\r\n");
        EXPECT_EQ(ColourAt(2), RGB(255, 0, 0));
        EXPECT_TRUE(PaintsPaid()) << "painted";
    }
    ShowWindow(main.hwnd(), SW_HIDE);
}

// Lines inserted in quick succession reach the control together; each must
// still read back in the colour chosen before it, whether its neighbours share
// that colour or not.
TEST_F(SetupPanelFixture, LinesGatheredInRunsOfColoursReadBackEachInItsOwnColour) {
    const COLORREF kBlack = RGB(0, 0, 0), kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0);
    const std::pair<COLORREF, const wchar_t*> lines[] = {
        {kBlack, L"$GPGGA,one*00\r\n"},     {kBlack, L"$GPGSA,two*00\r\n"},
        {kBlack, L"$GPGSV,three*00\r\n"},   {kRed, L"$GPGGA,bad*00\r\n"},
        {kRed, L"$GPGSV,bad too*00\r\n"},   {kGreen, L"$GPRMC,fast*00\r\n"},
        {kBlack, L"$GPGGA,again*00\r\n"},   {kRed, L"$GPTXT,no CR*00\n"},
        {kRed, L"$GPTXT,red again*00\r\n"}, {kBlack, L"$GPGGA,last*00\r\n"},
    };
    panel.console.Clear();
    for (const auto& line : lines) {
        panel.console.SetColor(line.first);
        panel.console.Insert(line.second);
    }
    std::wstring all;
    for (const auto& line : lines)
        all += line.second;
    EXPECT_EQ(WindowText(Console()), all);
    int start = 0;
    for (size_t i = 0; i < std::size(lines); ++i) {
        SCOPED_TRACE(i);
        const int end = start + static_cast<int>(std::wstring(lines[i].second).find(L'*'));
        EXPECT_EQ(ColourAt(start), lines[i].first);
        EXPECT_EQ(ColourAt(end), lines[i].first);
        start += static_cast<int>(std::wstring(lines[i].second).size());
    }
}

// The count the console gives for gathered lines is the count the control
// gives once they are in, whatever ends them.
TEST_F(SetupPanelFixture, TheLineCountOfGatheredLinesIsTheControlsOwn) {
    const std::wstring wide(600, L'W');
    const struct {
        const char* name;
        std::wstring text;
    } rows[] = {
        {"CR LF", L"$GPTXT,a*00\r\n"},
        {"LF only", L"$GPTXT,a*00\n"},
        {"CR only", L"$GPTXT,a*00\r"},
        {"CR CR LF", L"$GPTXT,a*00\r\r\n"},
        {"CR LF inside", L"$GPTXT\r\n,a*00\r\n"},
        {"no line break", L"$GPTXT,a*00"},
        {"wider than the console", wide + L"\r\n"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        for (int lines : {1, 3}) {
            panel.console.Clear();
            panel.console.Insert(L"$GPTXT,first*00\r\n");
            ASSERT_EQ(panel.console.LineCount(), 2);
            for (int i = 0; i < lines; ++i)
                panel.console.Insert(r.text.c_str());
            const int told = panel.console.LineCount();
            EXPECT_EQ(told, SendMessageW(Console(), EM_GETLINECOUNT, 0, 0)) << lines;
        }
    }
}

// The intake empties the console when it holds more than 2000 lines before a
// line goes in. Gathering must empty it before exactly the same line as
// inserting every line on its own does.
TEST_F(SetupPanelFixture, GatheredLinesEmptyTheConsoleBeforeTheSameLineAsSingleOnes) {
    constexpr int kLines = 2100;
    std::vector<int> emptiedBefore[2];
    for (int lineByLine = 0; lineByLine < 2; ++lineByLine) {
        panel.console.Clear();
        for (int i = 0; i < kLines; ++i) {
            if (panel.console.LineCount() > 2000) {
                panel.console.Clear();
                emptiedBefore[lineByLine].push_back(i);
            }
            panel.console.Insert(L"$GPTXT,filler*00\r\n");
            if (lineByLine != 0)
                panel.console.Flush();
        }
    }
    // 2000 lines and the empty line behind the last break make 2001.
    EXPECT_EQ(emptiedBefore[1], std::vector<int>{2000});
    EXPECT_EQ(emptiedBefore[0], emptiedBefore[1]);
}
