// The console in process under Wine: a read-only RichEdit 1.0 control, each
// line in its colour, lines gathered between paints, and the emptying.
#include <richedit.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/windows/panel_setup_fixture.h"

using panel_test::HasStyle;
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

// Emptying a full console cuts it piece by piece; what it leaves must be the
// same as setting its text to "": nothing at all, and the colour chosen before
// the emptying applies to the line after it.
TEST_F(SetupPanelFixture, EmptyingAFullConsoleLeavesNothingAndKeepsTheChosenColour) {
    for (int i = 0; i < 2001; ++i)
        panel.console.Insert(L"$GPTXT,filler*00\r\n");
    ASSERT_EQ(panel.console.LineCount(), 2002);
    panel.console.SetColor(RGB(255, 0, 0));
    panel.console.Clear();
    EXPECT_EQ(WindowText(Console()), L"");
    EXPECT_EQ(panel.console.LineCount(), 1);
    panel.console.Insert(L"$GPTXT,after*00\r\n");
    EXPECT_EQ(WindowText(Console()), L"$GPTXT,after*00\r\n");
    EXPECT_EQ(ColourAt(2), RGB(255, 0, 0));
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
