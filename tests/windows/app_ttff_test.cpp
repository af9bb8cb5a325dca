// The TTFF test: the dialog showing a series, its keyboard through the
// program's loop, and a series run through the real main window, timed by
// the status record's first-fix clock and ended by the link closing.
#include "net_test_support.h"

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "app_main_window_fixture.h"
#include "link/link_win32.h"
#include "link_test_support.h"
#include "win32/messages.h"

namespace app_test {
namespace {

using stats::TtffSeries;

struct CountingActions : TtffDialogActions {
    void OnTtffStart() override { ++starts; }
    void OnTtffStop() override {}
    void OnTtffSave() override {}
    void OnTtffClosed() override { ++closed; }
    int starts = 0;
    int closed = 0;
};

std::vector<std::wstring> Row(HWND dialog, int row) {
    HWND list = GetDlgItem(dialog, IDC_TTFF_RESULTS);
    std::vector<std::wstring> cells;
    for (int column = 0; column < 6; ++column) {
        wchar_t text[32] = {};
        ListView_GetItemText(list, row, column, text, 32);
        cells.push_back(text);
    }
    return cells;
}

int Rows(HWND dialog) {
    return ListView_GetItemCount(GetDlgItem(dialog, IDC_TTFF_RESULTS));
}

bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

class TtffDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_hInstance = GetModuleHandleW(nullptr);
        owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                g_hInstance, nullptr);
        ASSERT_TRUE(dialog.Create(owner, actions, stats::TtffSeriesConfig{}));
    }
    void TearDown() override { DestroyWindow(owner); }

    // Plays runs on a made-up clock: a fix `ms` after the clock started, or a
    // timeout (-1, only last).
    void Play(const std::vector<int>& outcomes) {
        stats::TtffSeriesConfig config;
        config.runs = static_cast<uint32_t>(outcomes.size()) + 1;  // stays running
        config.pauseSeconds = 0;
        config.limitSeconds = 60;
        ASSERT_TRUE(series.Configure(config));
        uint32_t tick = 1000;
        series.Start(tick, CivilTime{}, 0);
        for (int ms : outcomes) {
            ASSERT_EQ(series.OnTick(tick), stats::TtffStep::kSendStart);
            series.OnClockStarted(tick + 500);
            tick += 500 + (ms < 0 ? 60000 : static_cast<uint32_t>(ms));
            if (ms < 0)
                series.OnTick(tick);
            else
                series.OnFix(tick, ms > 10000 ? 2 : 3, ms > 10000 ? -1 : 9, u"0.86");
        }
    }

    HWND owner = nullptr;
    CountingActions actions;
    CTtffDlg dialog;
    TtffSeries series;
};

TEST_F(TtffDialogTest, ShowsEachRunTheSummaryAndWhatCanBePressed) {
    const HWND d = dialog.hwnd;
    EXPECT_EQ(WindowText(GetDlgItem(d, IDC_TTFF_RUNS)), L"10");
    EXPECT_EQ(dialog.Kind(), stats::TtffStartKind::kCold);
    Play({4290, 12340, -1});
    dialog.ShowSeries(series);
    ASSERT_EQ(Rows(d), 3);
    EXPECT_EQ(Row(d, 0), (std::vector<std::wstring>{L"1", L"cold", L"4.2", L"3D", L"9", L"0.86"}));
    EXPECT_EQ(Row(d, 1), (std::vector<std::wstring>{L"2", L"cold", L"12.3", L"2D", L"", L"0.86"}));
    EXPECT_EQ(Row(d, 2), (std::vector<std::wstring>{L"3", L"cold", L"timeout", L"", L"", L""}));
    EXPECT_EQ(WindowText(GetDlgItem(d, IDC_TTFF_SUMMARY)),
              L"Runs: 3   Fixes: 2   Timeouts: 1\r\n"
              L"Min 4.2 s   Median 8.25 s   Mean 8.25 s   90% 12.3 s   Max 12.3 s");
    // Running: the fields and Start wait, Stop and Save work.
    EXPECT_FALSE(Enabled(d, IDC_TTFF_START));
    EXPECT_FALSE(Enabled(d, IDC_TTFF_RUNS));
    EXPECT_TRUE(Enabled(d, IDC_TTFF_STOP));
    EXPECT_TRUE(Enabled(d, IDC_TTFF_SAVE));

    // A new series starts the list afresh; nothing to save, nothing measured.
    series.Stop();
    Play({});
    series.Stop();
    dialog.ShowSeries(series);
    EXPECT_EQ(Rows(d), 0);
    EXPECT_EQ(WindowText(GetDlgItem(d, IDC_TTFF_SUMMARY)),
              L"Runs: 0   Fixes: 0   Timeouts: 0\r\nNo fix measured.");
    EXPECT_TRUE(Enabled(d, IDC_TTFF_START));
    EXPECT_FALSE(Enabled(d, IDC_TTFF_STOP));
    EXPECT_FALSE(Enabled(d, IDC_TTFF_SAVE));
}

TEST_F(TtffDialogTest, TheProgramsLoopGivesItEnterAndEsc) {
    // Keys as the message loop gets them: Enter presses the default button
    // (Start), Esc closes the dialog, which tells its actions.
    const HWND field = GetDlgItem(dialog.hwnd, IDC_TTFF_RUNS);
    SetFocus(field);
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        MSG msg{field, WM_KEYDOWN, key, 1, 0, {}};
        DispatchWithAccelerators(msg, nullptr);
        PumpPending();
    }
    EXPECT_EQ(actions.starts, 1);
    EXPECT_EQ(actions.closed, 1);
    EXPECT_FALSE(dialog.IsOpen());
}

const char* const kFixCycle[] = {
    "$GNGGA,123519.00,4807.038,N,01131.000,E,1,05,0.86,545.4,M,47.0,M,,*00\r\n",
    "$GNGSA,A,3,01,02,03,,,,,,,,,,1.52,0.86,1.25,1*00\r\n",
    "$GNGSA,A,3,65,66,,,,,,,,,,,1.52,0.86,1.25,2*00\r\n",
    "$GNRMC,123519.00,A,4807.038,N,01131.000,E,0.00,0.00,070126,,,A*00\r\n",
};

class TtffWindowTest : public MainWindowTest<> {
  protected:
    void TearDown() override {
        window.linkControl.link().Close();
        resetButtonsPending = 0;
        MainWindowTest::TearDown();
    }
    HWND Item(int id) const { return GetDlgItem(window.ttffDialog.hwnd, id); }
    std::wstring State() const { return WindowText(Item(IDC_TTFF_STATE)); }
    void Press(int id) { SendMessageW(window.ttffDialog.hwnd, WM_COMMAND, id, 0); }
    void Deliver(const char* line) {
        const std::u16string text(line, line + std::char_traits<char>::length(line));
        window.DeliverLine(text.c_str());
    }
    const TtffSeries& series() const { return window.ttffRun.series(); }
};

TEST_F(TtffWindowTest, StartIsRefusedWithoutALinkOrWithAFieldOutOfRange) {
    // "Receiver > TTFF Test..." opens the dialog.
    HMENU receiver = GetSubMenu(GetMenu(main), 3);
    wchar_t text[32] = {};
    GetMenuStringW(receiver, 0, text, 32, MF_BYPOSITION);
    EXPECT_STREQ(text, L"TTFF Test...");
    SendMessageW(main, WM_COMMAND, GetMenuItemID(receiver, 0), 0);
    ASSERT_TRUE(window.ttffDialog.IsOpen());
    const struct {
        int field;
        const wchar_t* text;
        const wchar_t* state;
    } rows[] = {
        {IDC_TTFF_RUNS, L"0", L"Runs: a whole number from 1 to 1000."},
        {IDC_TTFF_RUNS, L"1001", L"Runs: a whole number from 1 to 1000."},
        {IDC_TTFF_LIMIT, L"", L"Time limit: a whole number of seconds from 1 to 3600."},
        {IDC_TTFF_PAUSE, L"3601", L"Pause: a whole number of seconds from 0 to 3600."},
        {IDC_TTFF_PAUSE, L"0", L"Open the receiver with Start GPS first."},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.state);
        SetWindowTextW(Item(r.field), r.text);
        Press(IDC_TTFF_START);
        EXPECT_EQ(State(), r.state);
        EXPECT_FALSE(series().running());
        SetWindowTextW(Item(r.field), L"5");
    }
    // A source that only receives cannot be restarted.
    linkrules::SourceSpec udp;
    udp.kind = linkrules::SourceKind::kUdp;
    udp.host = u"127.0.0.1";
    udp.port = net_test::FreePort(SOCK_DGRAM);
    ASSERT_TRUE(window.linkControl.link().Open(udp, main).ok());
    Press(IDC_TTFF_START);
    EXPECT_EQ(State(), L"This source takes no commands: a series needs a receiver it can restart.");
    EXPECT_FALSE(series().running());
    window.linkControl.link().Close();
}

TEST_F(TtffWindowTest, ARunIsTimedByTheFixClockAndALinkThatClosesEndsTheSeries) {
    // An empty recording: the link stays open and sends nothing of its own.
    const std::wstring path = link_test::ScratchDir() + L"\\ttff.pgl";
    link_test::WriteBytes(path, "");
    ASSERT_TRUE(link_test::Play(window.linkControl.link(), main, path));
    SendMessageW(main, WM_COMMAND, IDM_TTFF_TEST, 0);
    SendMessageW(Item(IDC_TTFF_KIND), CB_SETCURSEL, 0, 0);  // hot
    SetWindowTextW(Item(IDC_TTFF_RUNS), L"2");
    SetWindowTextW(Item(IDC_TTFF_PAUSE), L"0");
    SetWindowTextW(main, L"Skyloom  35 Sec");
    window.model.ttffDone = 1;

    Press(IDC_TTFF_START);
    EXPECT_EQ(WindowText(main), L"Skyloom") << "started the way Cold Start starts";
    EXPECT_EQ(window.model.ttffDone, 0);
    EXPECT_EQ(State(), L"Run 1 of 2: hot start sent 0 s ago, waiting for the fix.");
    // The receiver reports a fix in every cycle; the core measures the first
    // one after 3 s on its clock.
    size_t line = 0;
    ASSERT_TRUE(link_test::PumpUntil(
        [&] {
            Deliver(kFixCycle[line++ % 4]);
            return series().count() == 1;
        },
        10000));
    const stats::TtffRun& run = series().run(0);
    EXPECT_FALSE(run.timedOut);
    EXPECT_GE(run.tenths, 30u);
    EXPECT_EQ(WindowText(main), L"Skyloom  " + std::to_wstring(run.tenths / 10) + L" Sec");
    EXPECT_EQ(run.fixType, 3);
    EXPECT_EQ(run.satellitesUsed, 5) << "both GSA sentences of a cycle";
    EXPECT_STREQ(run.hdop, "0.86");
    EXPECT_EQ(Rows(window.ttffDialog.hwnd), 1);

    ASSERT_TRUE(
        link_test::PumpUntil([&] { return series().runInProgress() == 2; }, link_test::kAwaitMs))
        << "the second run did not start";
    window.linkControl.link().Close();
    ASSERT_TRUE(link_test::PumpUntil([&] { return !series().running(); }, link_test::kAwaitMs))
        << "the series did not stop with the link";
    EXPECT_EQ(State(), L"The link closed: stopped after 1 of 2 runs.");
    EXPECT_EQ(series().count(), 1u);
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_TTFF_START)));
    // Closed and opened again, the dialog shows the results so far.
    Press(IDCANCEL);
    SendMessageW(main, WM_COMMAND, IDM_TTFF_TEST, 0);
    EXPECT_EQ(Rows(window.ttffDialog.hwnd), 1);
}

}  // namespace
}  // namespace app_test
