// The setup panel in process under Wine: its template, lists, console and
// colours, the program message each control produces, and the link states.
#include <richedit.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/link_control.h"
#include "link/port_discovery_win32.h"
#include "link/serial_link_win32.h"
#include "panels/setup_panel.h"
#include "panels/status_panel.h"
#include "res/resource.h"
#include "tests/windows/link_test_support.h"
#include "tests/windows/panel_test_support.h"
#include "win32/messages.h"

using panel_test::FakeMainWindow;

namespace {

std::wstring WindowText(HWND w) {
    wchar_t buf[512] = {};
    GetWindowTextW(w, buf, 512);
    return buf;
}

std::wstring ItemText(HWND panel, int id) {
    return WindowText(GetDlgItem(panel, id));
}

std::vector<std::wstring> ComboEntries(HWND panel, int id) {
    std::vector<std::wstring> out;
    const LRESULT n = SendDlgItemMessageW(panel, id, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        wchar_t buf[256] = {};
        SendDlgItemMessageW(panel, id, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
        out.push_back(buf);
    }
    return out;
}

bool Enabled(HWND panel, int id) {
    return IsWindowEnabled(GetDlgItem(panel, id)) != FALSE;
}

// Style bits as created, read straight from the window.
bool HasStyle(HWND w, LONG bits) {
    return (GetWindowLongW(w, GWL_STYLE) & bits) == bits;
}

// A setup panel on a stand-in main window, as CBaseWnd creates it.
struct SetupPanelFixture : testing::Test {
    FakeMainWindow main;
    CBackupDlg panel;

    void SetUp() override {
        ASSERT_TRUE(panel.Create(main.hwnd()));
        panel.mainWindow = main.hwnd();
    }
    void TearDown() override {
        // The panel is destroyed with its parent, before the object goes.
        DestroyWindow(panel.hwnd);
    }

    HWND Item(int id) const { return GetDlgItem(panel.hwnd, id); }

    void Command(int id) {
        SendMessageW(panel.hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Item(id)));
    }

    COLORREF ColourAt(int position) {
        SendMessageW(panel.console.hwnd(), EM_SETSEL, position, position + 1);
        CHARFORMATW cf{};
        cf.cbSize = sizeof cf;
        SendMessageW(panel.console.hwnd(), EM_GETCHARFORMAT, SCF_SELECTION,
                     reinterpret_cast<LPARAM>(&cf));
        return cf.crTextColor;
    }
};

}  // namespace

TEST_F(SetupPanelFixture, EveryControlStartsWithItsTemplateState) {
    struct Row {
        int id;
        const wchar_t* cls;
        const wchar_t* text;
        int x, y, w, h;  // dialog units
        bool visible;
        bool enabled;
        LONG style;  // bits that must be set
    };
    // Edits turn WS_BORDER into a client edge when they are created.
    const LONG button = BS_PUSHBUTTON | WS_TABSTOP;
    const LONG check = BS_AUTOCHECKBOX | WS_TABSTOP;
    const LONG sortedCombo = CBS_DROPDOWN | CBS_SORT | WS_TABSTOP;
    const LONG shownEdit = ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP;
    const LONG edit = ES_AUTOHSCROLL | WS_TABSTOP;
    const Row rows[] = {
        {IDC_PORT, L"ComboBox", L"Log File:", 89, 1, 57, 12, true, true, CBS_DROPDOWN | WS_TABSTOP},
        {IDC_BAUD, L"ComboBox", L"4800", 49, 16, 57, 13, true, true, CBS_DROPDOWN | WS_TABSTOP},
        {IDC_SCAN_PORTS, L"Button", L"Scan Com Port", 9, 142, 54, 13, false, true, BS_PUSHBUTTON},
        {IDC_COLD_START, L"Button", L"Cold Start", 7, 31, 55, 13, true, false, button},
        {IDC_START_GPS, L"Button", L"Start GPS", 68, 31, 59, 13, true, true, button},
        {IDC_VTG, L"Button", L"VTG", 205, 112, 60, 10, false, false, check},
        {IDC_POWER_SAVE, L"Button", L"Power Save", 83, 112, 55, 10, false, false, check},
        {IDC_SBAS, L"Button", L"WAAS/EGNOS", 140, 112, 62, 10, false, false, check},
        {IDC_GET_VERSION, L"Button", L"Get Version", 68, 46, 59, 13, false, false, button},
        {IDC_CORE_VERSION, L"Edit", L"", 180, 17, 90, 14, true, true, shownEdit},
        {IDC_FW_VERSION, L"Edit", L"", 180, 32, 89, 13, true, true, shownEdit},
        {IDC_AUTO_PERIOD, L"Edit", L"", 161, 79, 25, 13, false, true, edit},
        {IDC_FILTER_FIELD, L"ComboBox", L"", 199, 126, 26, 12, false, false, sortedCombo},
        {IDC_FILTER_OP, L"ComboBox", L"", 151, 134, 26, 12, false, false, sortedCombo},
        {IDC_SET_FILTER, L"Button", L"Set Filte", 95, 123, 30, 12, false, false, button},
        {IDC_LOG_FILE, L"Button", L"Log File", 181, 61, 36, 10, false, true, check},
        {IDC_LOG_NAME, L"Edit", L"", 217, 59, 47, 13, false, true, edit},
        {IDC_P_VERSION, L"Edit", L"", 67, 103, 56, 13, false, true, ES_READONLY | WS_TABSTOP},
        {IDC_SNR_OFFSET, L"Edit", L"", 217, 154, 47, 13, false, false, edit},
        {IDC_SEND, L"Button", L"Send", 7, 61, 55, 13, false, false, button},
        {IDC_USER_SENTENCE, L"Edit", L"", 67, 60, 108, 13, false, false, edit},
        {IDC_AUTO_SEND, L"Button", L"Auto", 135, 80, 25, 10, false, true, check},
        {IDC_FACTORY_RESET, L"Button", L"Factory Reset", 12, 83, 55, 13, false, false, button},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.id);
        HWND w = Item(r.id);
        ASSERT_NE(w, nullptr);
        wchar_t cls[64] = {};
        GetClassNameW(w, cls, 64);
        EXPECT_EQ(lstrcmpiW(cls, r.cls), 0) << "class " << cls;
        EXPECT_EQ(WindowText(w), r.text);
        EXPECT_EQ((GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) != 0, r.visible);
        EXPECT_EQ(IsWindowEnabled(w) != FALSE, r.enabled);
        EXPECT_TRUE(HasStyle(w, r.style));
        const bool isCombo = lstrcmpiW(cls, L"ComboBox") == 0;
        const bool isEdit = lstrcmpiW(cls, L"Edit") == 0;
        // The one button left out of the tab order; the port and baud lists unsorted.
        if (r.id == IDC_SCAN_PORTS || r.id == IDC_PORT || r.id == IDC_BAUD) {
            EXPECT_FALSE(HasStyle(w, r.id == IDC_SCAN_PORTS ? WS_TABSTOP : CBS_SORT));
        }
        if (isEdit) {
            const bool bordered =
                HasStyle(w, WS_BORDER) || (GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0;
            EXPECT_EQ(bordered, r.id != IDC_P_VERSION);
        }
        if (r.id == IDC_PORT || r.id == IDC_BAUD)
            continue;  // placed in pixels at initialisation, checked below
        // Position and size are mapped from dialog units one by one.
        RECT want{r.x, r.y, r.w, r.h};
        MapDialogRect(panel.hwnd, &want);
        RECT got;
        GetWindowRect(w, &got);
        MapWindowPoints(nullptr, panel.hwnd, reinterpret_cast<POINT*>(&got), 2);
        EXPECT_EQ(got.left, want.left);
        EXPECT_EQ(got.top, want.top);
        EXPECT_EQ(got.right - got.left, want.right);
        if (!isCombo) {  // a combo box sizes its own field
            EXPECT_EQ(got.bottom - got.top, want.bottom);
        }
    }
}

TEST_F(SetupPanelFixture, StaticLabelsAreTheTemplatesAndOnlyFourShow) {
    struct Label {
        std::wstring text;
        bool visible;
        bool enabled;
    };
    std::vector<Label> labels;
    for (HWND w = GetWindow(panel.hwnd, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
        wchar_t cls[64] = {};
        GetClassNameW(w, cls, 64);
        if (lstrcmpiW(cls, L"Static") != 0)
            continue;
        EXPECT_EQ(GetDlgCtrlID(w), 0xFFFF);
        EXPECT_TRUE(HasStyle(w, WS_GROUP));
        labels.push_back({WindowText(w), (GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) != 0,
                          IsWindowEnabled(w) != FALSE});
    }
    const Label expected[] = {
        {L"COM Port :", true, true},  {L"Baud Rate :", true, true}, {L"Core Version:", true, true},
        {L"FW Version:", true, true}, {L"P Version:", false, true}, {L"Time:", false, false},
        {L"File:", false, false},     {L"Mod:", false, false},
    };
    ASSERT_EQ(labels.size(), std::size(expected));
    for (size_t i = 0; i < labels.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(labels[i].text, expected[i].text);
        EXPECT_EQ(labels[i].visible, expected[i].visible);
        EXPECT_EQ(labels[i].enabled, expected[i].enabled);
    }
}

TEST_F(SetupPanelFixture, PanelTemplateIsABorderlessChildWithThirtyOneControlsAndTheConsole) {
    const LONG style = GetWindowLongW(panel.hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_FALSE(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME));
    RECT want{0, 0, 279, 180};
    MapDialogRect(panel.hwnd, &want);
    RECT client;
    GetClientRect(panel.hwnd, &client);
    EXPECT_EQ(client.right, want.right);
    EXPECT_EQ(client.bottom, want.bottom);
    int children = 0;
    for (HWND w = GetWindow(panel.hwnd, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT))
        ++children;
    EXPECT_EQ(children, 32);  // the template's 31 and the console
}

TEST_F(SetupPanelFixture, ListsStartWithTheirEntriesAndFourThousandEightHundredBaud) {
    EXPECT_EQ(ComboEntries(panel.hwnd, IDC_BAUD),
              (std::vector<std::wstring>{L"1200", L"2400", L"4800", L"9600", L"14400", L"19200",
                                         L"38400", L"57600", L"115200"}));
    EXPECT_EQ(SendDlgItemMessageW(panel.hwnd, IDC_BAUD, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(ItemText(panel.hwnd, IDC_BAUD), L"4800");
    // A fresh Wine prefix has no "(COM" device: only the playback entry, selected.
    EXPECT_EQ(ComboEntries(panel.hwnd, IDC_PORT), (std::vector<std::wstring>{L"Log File:"}));
    EXPECT_EQ(SendDlgItemMessageW(panel.hwnd, IDC_PORT, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(ItemText(panel.hwnd, IDC_PORT), L"Log File:");
    EXPECT_EQ(ComboEntries(panel.hwnd, IDC_FILTER_FIELD),
              (std::vector<std::wstring>{L"Height", L"Speed"}));
    EXPECT_EQ(ComboEntries(panel.hwnd, IDC_FILTER_OP),
              (std::vector<std::wstring>{L"<", L"=", L">"}));
}

TEST_F(SetupPanelFixture, ComboBoxesArePlacedInPixelsWithTheirDropDownHeight) {
    struct Row {
        int id;
        RECT place;
    } rows[] = {{IDC_PORT, {100, 0, 540, 140}}, {IDC_BAUD, {100, 30, 240, 140}}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.id);
        RECT got;
        GetWindowRect(Item(r.id), &got);
        MapWindowPoints(nullptr, panel.hwnd, reinterpret_cast<POINT*>(&got), 2);
        EXPECT_EQ(got.left, r.place.left);
        EXPECT_EQ(got.top, r.place.top);
        EXPECT_EQ(got.right, r.place.right);
        // The height given includes the list: field and list together make it.
        RECT dropped;
        SendMessageW(Item(r.id), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
        EXPECT_EQ(dropped.bottom - dropped.top + got.bottom - got.top,
                  r.place.bottom - r.place.top);
    }
}

TEST_F(SetupPanelFixture, ConsoleIsAReadOnlyRichEditOneInItsRectangle) {
    HWND c = panel.console.hwnd();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(panel.console.hwnd(), c);
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
    RECT r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, panel.hwnd, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.top, 100);
    EXPECT_EQ(r.right, 550);
    EXPECT_EQ(r.bottom, 290);
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
        const int start = static_cast<int>(SendMessageW(panel.console.hwnd(), EM_LINEINDEX, i, 0));
        EXPECT_EQ(ColourAt(start + 2), lines[i].first);
    }
    // The colour change keeps the size read at initialisation.
    EXPECT_EQ(panel.console.format().yHeight, height);
    EXPECT_EQ(panel.console.LineCount(), 5);
    panel.console.Clear();
    EXPECT_EQ(WindowText(panel.console.hwnd()), L"");
}

// Counts the console's paints, for the tests of deferred painting.
struct PaintCounter {
    static inline WNDPROC original = nullptr;
    static inline int paints = 0;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_PAINT)
            ++paints;
        return CallWindowProcW(original, hwnd, message, wParam, lParam);
    }
    explicit PaintCounter(HWND console) : console_(console) {
        paints = 0;
        original = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(console, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    }
    ~PaintCounter() {
        SetWindowLongPtrW(console_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    }
    HWND console_;
};

void PumpFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
        panel_test::PumpMessages();
        Sleep(10);
    }
}

// Lines that wait for their paint are in the control already, and the console
// is no hole in the panel meanwhile: the mouse finds it, and the panel's own
// paints leave it alone.
TEST_F(SetupPanelFixture, WhileAPaintIsOwedTheConsoleStaysVisibleToTheMouse) {
    ShowWindow(main.hwnd(), SW_SHOWNOACTIVATE);
    PumpFor(100);
    panel.console.Clear();
    // Right after a paint the next one waits a frame. A machine busy enough
    // to let the frame pass in between paints at once: try again.
    bool owed = false;
    for (int attempt = 0; attempt < 5 && !owed; ++attempt) {
        panel.console.Flush();
        panel.console.Insert(L"$GPTXT,owed*00\r\n");
        // Any message to the control puts the waiting text into it first.
        SendMessageW(panel.console.hwnd(), EM_GETSEL, 0, 0);
        owed = panel.console.PaintOwed();
    }
    ASSERT_TRUE(owed);
    EXPECT_GT(GetWindowTextLengthW(panel.console.hwnd()), 0);
    EXPECT_TRUE(IsWindowVisible(panel.console.hwnd()));
    RECT box;
    GetWindowRect(panel.console.hwnd(), &box);
    POINT centre = {(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    ScreenToClient(panel.hwnd, &centre);
    EXPECT_EQ(ChildWindowFromPointEx(panel.hwnd, centre, CWP_SKIPINVISIBLE), panel.console.hwnd());
    PumpFor(300);
    EXPECT_FALSE(panel.console.PaintOwed());
}

// Painting waits while lines arrive and is coalesced; once the queue runs dry
// the console paints and shows where the newest line went: at the end, or at
// a caret the user put somewhere else.
TEST_F(SetupPanelFixture, OnAVisibleConsolePaintsAreCoalescedAndTheNewestLineIsInViewOnceIdle) {
    const struct {
        const char* name;
        int caretLine;  // -1: the caret stays at the end
    } rows[] = {{"caret at the end", -1}, {"caret moved to line 3", 3}};
    ShowWindow(main.hwnd(), SW_SHOWNOACTIVATE);
    PumpFor(100);
    PaintCounter counter(panel.console.hwnd());
    constexpr int kLines = 300;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        panel.console.Clear();
        PaintCounter::paints = 0;
        for (int i = 0; i < kLines; ++i) {
            panel.console.SetColor(i % 2 == 0 ? RGB(0, 0, 0) : RGB(255, 0, 0));
            panel.console.Insert(L"$GPGSV,3,1,12,02,04,005,37,04,10,200,23*7F\r\n");
        }
        int newest = kLines;  // the empty line behind the last line break
        if (r.caretLine >= 0) {
            const LRESULT at = SendMessageW(panel.console.hwnd(), EM_LINEINDEX, r.caretLine, 0);
            SendMessageW(panel.console.hwnd(), EM_SETSEL, at, at);
            panel.console.Insert(L"$GPTXT,inserted*00\r\n");
            newest = r.caretLine;
        }
        // A paint per line would be one per insertion.
        EXPECT_LT(PaintCounter::paints, kLines / 2);
        // On a slow machine the frame may have passed during the last insertion,
        // which then painted at once; otherwise the idle timer owes a paint.
        const bool owed = panel.console.PaintOwed();
        const int paintsBeforeIdle = PaintCounter::paints;
        PumpFor(300);
        EXPECT_FALSE(panel.console.PaintOwed()) << "the last lines are painted";
        if (owed) {
            EXPECT_GT(PaintCounter::paints, paintsBeforeIdle) << "the owed paint is made";
        }
        EXPECT_FALSE(GetUpdateRect(panel.console.hwnd(), nullptr, FALSE));
        RECT client;
        GetClientRect(panel.console.hwnd(), &client);
        const LRESULT first = SendMessageW(panel.console.hwnd(), EM_GETFIRSTVISIBLELINE, 0, 0);
        POINTL corner = {client.right - 1, client.bottom - 1};
        const LRESULT last = SendMessageW(panel.console.hwnd(), EM_LINEFROMCHAR,
                                          SendMessageW(panel.console.hwnd(), EM_CHARFROMPOS, 0,
                                                       reinterpret_cast<LPARAM>(&corner)),
                                          0);
        EXPECT_LE(first, newest);
        EXPECT_GE(last, newest);
        if (r.caretLine >= 0) {
            const LRESULT at = SendMessageW(panel.console.hwnd(), EM_LINEINDEX, r.caretLine, 0);
            EXPECT_EQ(ColourAt(static_cast<int>(at) + 2), RGB(255, 0, 0));
        }
    }
    ShowWindow(main.hwnd(), SW_HIDE);
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
    EXPECT_EQ(WindowText(panel.console.hwnd()), L"");
    EXPECT_EQ(panel.console.LineCount(), 1);
    panel.console.Insert(L"$GPTXT,after*00\r\n");
    EXPECT_EQ(WindowText(panel.console.hwnd()), L"$GPTXT,after*00\r\n");
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
    EXPECT_EQ(WindowText(panel.console.hwnd()), all);
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
            EXPECT_EQ(told, SendMessageW(panel.console.hwnd(), EM_GETLINECOUNT, 0, 0)) << lines;
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

TEST_F(SetupPanelFixture, EachControlSendsOrPostsItsProgramMessage) {
    struct Row {
        int id;
        bool checked;  // state of a check box after its click
        UINT message;
        bool sent;  // sent: seen during the click; posted: only after pumping
    } rows[] = {
        {IDC_START_GPS, false, UM_TOGGLE_LINK, true},
        {IDC_COLD_START, false, UM_COLD_START, true},
        {IDC_FACTORY_RESET, false, UM_FACTORY_RESET, true},
        {IDC_SEND, false, UM_SEND_USER_SENTENCE, true},
        {IDC_GET_VERSION, false, UM_QUERY_VERSION, true},
        {IDC_VTG, true, UM_VTG_ON, false},
        {IDC_VTG, false, UM_VTG_OFF, false},
        {IDC_POWER_SAVE, true, UM_POWER_SAVE_ON, false},
        {IDC_POWER_SAVE, false, UM_POWER_SAVE_OFF, false},
        {IDC_SBAS, true, UM_SBAS_ON, false},
        {IDC_SBAS, false, UM_SBAS_OFF, false},
        {IDC_LOG_FILE, true, UM_LOG_START, false},
        {IDC_LOG_FILE, false, UM_LOG_STOP, false},
        {IDC_AUTO_SEND, true, UM_AUTO_SEND_START, false},
        {IDC_AUTO_SEND, false, UM_AUTO_SEND_STOP, false},
    };
    panel.LinkOpen = 0;
    for (const Row& r : rows) {
        SCOPED_TRACE(r.id);
        panel_test::PumpMessages();
        main.received.clear();
        SendMessageW(Item(r.id), BM_SETCHECK, r.checked ? BST_CHECKED : BST_UNCHECKED, 0);
        Command(r.id);
        EXPECT_EQ(main.received.size(), r.sent ? 1u : 0u);
        panel_test::PumpMessages();
        ASSERT_EQ(main.received.size(), 1u);
        EXPECT_EQ(main.received[0].message, r.message);
        EXPECT_EQ(main.received[0].wParam, 0u);
        EXPECT_EQ(main.received[0].lParam, 0);
    }
    // Controls without an action send nothing (the rescan is a command of
    // its own, checked with the scan below).
    main.received.clear();
    for (int id : {IDC_SET_FILTER, IDC_FILTER_FIELD, IDC_FILTER_OP, IDC_PORT, IDC_BAUD,
                   IDC_CORE_VERSION, IDC_LOG_NAME})
        Command(id);
    panel_test::PumpMessages();
    EXPECT_TRUE(main.received.empty());
}

TEST_F(SetupPanelFixture, FailedRequestsReplaceTheConsoleWithTheirErrorText) {
    struct Row {
        int id;
        const wchar_t* error;
    } rows[] = {
        {IDC_START_GPS, L"ComPort ERROR!!"},
        {IDC_COLD_START, L"Reset ERROR!!"},
        {IDC_FACTORY_RESET, L"Reset ERROR!!"},
        {IDC_SEND, L"Send ERROR!!"},
    };
    for (bool fails : {false, true}) {
        main.answer = [fails](UINT) -> LRESULT { return fails ? 0 : 1; };
        for (const Row& r : rows) {
            SCOPED_TRACE(testing::Message() << r.id << (fails ? " failing" : " succeeding"));
            panel.LinkOpen = 0;
            panel.console.Clear();
            panel.console.Insert(L"$GPGGA,earlier line*00\r\n");
            SetDlgItemTextW(panel.hwnd, IDC_CORE_VERSION, L"core 1.0");
            SetDlgItemTextW(panel.hwnd, IDC_FW_VERSION, L"fw 2.0");
            SetDlgItemTextW(panel.hwnd, IDC_P_VERSION, L"p 3.0");
            Command(r.id);
            if (fails) {
                EXPECT_EQ(WindowText(panel.console.hwnd()), r.error);
            } else {
                EXPECT_NE(WindowText(panel.console.hwnd()), r.error);
            }
            if (r.id == IDC_COLD_START || r.id == IDC_FACTORY_RESET) {
                // Whatever the outcome, the firmware fields are emptied; the core stays.
                EXPECT_EQ(ItemText(panel.hwnd, IDC_FW_VERSION), L"");
                EXPECT_EQ(ItemText(panel.hwnd, IDC_P_VERSION), L"");
                EXPECT_EQ(ItemText(panel.hwnd, IDC_CORE_VERSION), L"core 1.0");
            }
        }
    }
}

namespace {

struct LinkStateRow {
    int id;
    bool enabledWhenOpen;
};
const LinkStateRow kLinkStates[] = {
    {IDC_PORT, false},
    {IDC_BAUD, false},
    {IDC_SCAN_PORTS, false},
    {IDC_COLD_START, true},
    {IDC_FACTORY_RESET, true},
    {IDC_VTG, true},
    {IDC_POWER_SAVE, true},
    {IDC_SBAS, true},
    {IDC_GET_VERSION, true},
    {IDC_SEND, true},
    {IDC_USER_SENTENCE, true},
    // Not part of the link states: they keep their template state.
    {IDC_START_GPS, true},
};

}  // namespace

TEST_F(SetupPanelFixture, TogglingSwitchesBetweenTheLinkOpenAndLinkClosedStates) {
    bool opens = true;
    main.answer = [&](UINT message) -> LRESULT {
        if (message == UM_TOGGLE_LINK)
            panel.LinkOpen = opens ? 1 : 0;
        return 1;
    };
    SetDlgItemTextW(panel.hwnd, IDC_CORE_VERSION, L"old core");
    SetDlgItemTextW(panel.hwnd, IDC_FW_VERSION, L"old fw");
    SetDlgItemTextW(panel.hwnd, IDC_P_VERSION, L"old p");
    panel.console.Insert(L"old line\r\n");
    SendMessageW(Item(IDC_VTG), BM_SETCHECK, BST_CHECKED, 0);

    // A real click on the visible button.
    SendMessageW(Item(IDC_START_GPS), BM_CLICK, 0, 0);
    EXPECT_EQ(ItemText(panel.hwnd, IDC_START_GPS), L"Close GPS");
    for (const LinkStateRow& r : kLinkStates)
        EXPECT_EQ(Enabled(panel.hwnd, r.id), r.enabledWhenOpen) << r.id;
    EXPECT_EQ(ItemText(panel.hwnd, IDC_CORE_VERSION), L"");
    EXPECT_EQ(ItemText(panel.hwnd, IDC_FW_VERSION), L"");
    EXPECT_EQ(ItemText(panel.hwnd, IDC_P_VERSION), L"");
    EXPECT_EQ(WindowText(panel.console.hwnd()), L"");
    // The hidden controls stay hidden in either state.
    EXPECT_FALSE(IsWindowVisible(Item(IDC_FACTORY_RESET)));

    SetDlgItemTextW(panel.hwnd, IDC_CORE_VERSION, L"new core");
    panel.console.Insert(L"received\r\n");
    opens = false;
    Command(IDC_START_GPS);
    EXPECT_EQ(ItemText(panel.hwnd, IDC_START_GPS), L"Start GPS");
    for (const LinkStateRow& r : kLinkStates) {
        const bool closedState = r.id == IDC_START_GPS ? true : !r.enabledWhenOpen;
        EXPECT_EQ(Enabled(panel.hwnd, r.id), closedState) << r.id;
    }
    // Closing keeps what was received and the versions.
    EXPECT_EQ(ItemText(panel.hwnd, IDC_CORE_VERSION), L"new core");
    EXPECT_EQ(WindowText(panel.console.hwnd()), L"received\r\n");
    // Check states are never touched by the toggle.
    EXPECT_EQ(SendMessageW(Item(IDC_VTG), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(SetupPanelFixture, AFailedToggleChangesNoControl) {
    main.answer = [](UINT) -> LRESULT { return 0; };
    SetDlgItemTextW(panel.hwnd, IDC_CORE_VERSION, L"core");
    Command(IDC_START_GPS);
    EXPECT_EQ(ItemText(panel.hwnd, IDC_START_GPS), L"Start GPS");
    for (const LinkStateRow& r : kLinkStates) {
        const bool closedState = r.id == IDC_START_GPS ? true : !r.enabledWhenOpen;
        EXPECT_EQ(Enabled(panel.hwnd, r.id), closedState) << r.id;
    }
    EXPECT_EQ(ItemText(panel.hwnd, IDC_CORE_VERSION), L"core");
    EXPECT_EQ(WindowText(panel.console.hwnd()), L"ComPort ERROR!!");
}

TEST_F(SetupPanelFixture, StartOfAPortThatDiscoveryNeverFoundReportsTheComPortError) {
    // The link's own answer: a port entry opens only after discovery found a port.
    CRestoreDlg statusPanel;
    link_test::FakeHost host;
    LinkControl control(panel, statusPanel, host);
    control.SetOwner(main.hwnd());
    main.answer = [&](UINT message) -> LRESULT {
        return message == UM_TOGGLE_LINK ? control.ToggleLink() : 1;
    };
    ASSERT_EQ(PortCount, 0);
    SendDlgItemMessageW(panel.hwnd, IDC_PORT, CB_INSERTSTRING, 0,
                        reinterpret_cast<LPARAM>(L"Unplugged GPS (COM99)"));
    SendDlgItemMessageW(panel.hwnd, IDC_PORT, CB_SETCURSEL, 0, 0);
    SendMessageW(Item(IDC_START_GPS), BM_CLICK, 0, 0);
    EXPECT_EQ(WindowText(panel.console.hwnd()), L"ComPort ERROR!!");
    EXPECT_EQ(panel.LinkOpen, 0);
    EXPECT_TRUE(Enabled(panel.hwnd, IDC_PORT));
    EXPECT_TRUE(Enabled(panel.hwnd, IDC_START_GPS));
    EXPECT_EQ(ItemText(panel.hwnd, IDC_START_GPS), L"Start GPS");
}

TEST_F(SetupPanelFixture, ScanAsksTheMainWindowAndLeavesStartAndScanEnabled) {
    bool offMeanwhile = false;
    main.answer = [&](UINT) -> LRESULT {
        offMeanwhile = !Enabled(panel.hwnd, IDC_START_GPS) && !Enabled(panel.hwnd, IDC_SCAN_PORTS);
        return 0;
    };
    Command(IDC_SCAN_PORTS);
    ASSERT_EQ(main.received.size(), 1u);
    EXPECT_EQ(main.received[0].message, static_cast<UINT>(WM_COMMAND));
    EXPECT_EQ(LOWORD(main.received[0].wParam), IDC_SCAN_PORTS);
    EXPECT_TRUE(offMeanwhile);
    EXPECT_TRUE(Enabled(panel.hwnd, IDC_START_GPS));
    EXPECT_TRUE(Enabled(panel.hwnd, IDC_SCAN_PORTS));
}

TEST(SetupPanel, WithoutAMainWindowEveryRequestFails) {
    // Until the main window hands over its handle, requests reach nobody.
    FakeMainWindow main;
    CBackupDlg panel;
    ASSERT_TRUE(panel.Create(main.hwnd()));
    SendMessageW(panel.hwnd, WM_COMMAND, IDC_START_GPS, 0);
    EXPECT_EQ(WindowText(panel.console.hwnd()), L"ComPort ERROR!!");
    EXPECT_TRUE(main.received.empty());
    DestroyWindow(panel.hwnd);
}
