// The main window's shape and its message routing.
#include <windows.h>

#include <dbt.h>

#include <cstddef>
#include <cwchar>

#include "app_main_window_fixture.h"
#include "link/port_discovery_win32.h"
#include "win32/messages.h"

namespace app_test {
namespace {

class ShownMainWindowTest : public MainWindowTest<> {
  protected:
    int ShowCommand() const override { return SW_SHOW; }
};

TEST_F(ShownMainWindowTest, PanelsAndControlsSitWhereTheLayoutPutsThem) {
    // A sizing frame round the client area that the fixed 580 x 600 frame left.
    const LONG style = GetWindowLongW(main, GWL_STYLE);
    const LONG sizing = WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    EXPECT_EQ(style & sizing, sizing);
    EXPECT_NE(GetMenu(main), nullptr);
    RECT fixed{0, 0, 0, 0};
    AdjustWindowRectEx(&fixed, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, TRUE, 0);
    RECT client;
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, 580 - (fixed.right - fixed.left));
    EXPECT_EQ(client.bottom, 600 - (fixed.bottom - fixed.top));

    const int h = client.bottom / 2 + 30;  // from the real client height
    const HWND setup = window.setupPanel.hwnd;
    const HWND status = window.statusPanel.hwnd;
    ASSERT_NE(window.setupPanel.console.hwnd(), nullptr);

    const struct {
        const char* what;
        HWND parent;
        HWND child;
        RECT expected;
    } rows[] = {
        {"setup panel", main, setup, {0, 0, client.right, h}},
        // The whole client height: its lowest h pixels are never visible.
        {"status panel", main, status, {0, h, client.right, h + client.bottom}},
        {"console", setup, window.setupPanel.console.hwnd(), {20, 100, 550, 290}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(GetParent(row.child), row.parent);
        EXPECT_TRUE(IsWindowVisible(row.child));
        const RECT got = RectIn(row.parent, row.child);
        EXPECT_TRUE(got == row.expected) << Show(got) << " expected " << Show(row.expected);
    }

    // The combo boxes: position and width; the height includes the list.
    const struct {
        int id;
        RECT expected;
    } combos[] = {{IDC_PORT, {100, 0, 540, 140}}, {IDC_BAUD, {100, 30, 240, 140}}};
    for (const auto& c : combos) {
        SCOPED_TRACE(c.id);
        const HWND combo = GetDlgItem(setup, c.id);
        ASSERT_NE(combo, nullptr);
        const RECT got = RectIn(setup, combo);
        EXPECT_EQ(got.left, c.expected.left);
        EXPECT_EQ(got.top, c.expected.top);
        EXPECT_EQ(got.right, c.expected.right);
        // The height given to the combo includes its list. Windows reports
        // the whole dropped control; Wine the list alone, below the field.
        RECT field;
        RECT dropped;
        GetWindowRect(combo, &field);
        SendMessageW(combo, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
        const LONG whole = dropped.bottom - dropped.top;
        const LONG listBelowField = (field.bottom - field.top) + whole;
        const LONG expected = c.expected.bottom - c.expected.top;
        EXPECT_TRUE(whole == expected || listBelowField == expected)
            << Show(dropped) << " field " << Show(field);
    }
}

TEST(SplitHeightTest, Truncates) {
    const struct {
        int client, split;
    } rows[] = {{545, 302}, {546, 303}, {547, 303}, {0, 30}, {1, 30}};
    for (const auto& r : rows)
        EXPECT_EQ(SplitHeight(r.client), r.split) << r.client;
}

// Records what reaches the main window's handler, and optionally keeps the
// About and Exit commands from acting.
class RecordingMainWindow : public CBaseWnd {
  public:
    LRESULT HandleMessage(HWND h, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (messages.empty())
            hwndAtFirstMessage = hwnd;
        messages.push_back(message);
        if (message == WM_COMMAND) {
            commands.push_back(LOWORD(wParam));
            if (swallowCommands)
                return 0;
        }
        return CBaseWnd::HandleMessage(h, message, wParam, lParam);
    }
    std::vector<UINT> messages;
    std::vector<UINT> commands;
    HWND hwndAtFirstMessage = nullptr;
    bool swallowCommands = false;
};

using RoutingTest = MainWindowTest<RecordingMainWindow>;

TEST_F(RoutingTest, FirstMessageIsCreateAndTheObjectIsAlreadyBound) {
    ASSERT_FALSE(window.messages.empty());
    EXPECT_EQ(window.messages.front(), static_cast<UINT>(WM_CREATE));
    EXPECT_EQ(window.hwndAtFirstMessage, main);
    for (UINT m : window.messages)
        EXPECT_NE(m, static_cast<UINT>(WM_NCCREATE));
}

TEST_F(RoutingTest, UnnamedMessagesGetTheDefaultResult) {
    const struct {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } rows[] = {
        {2727, 0, 0},  // the gap in the program messages
        {2723, 0, 0},  // just below them
        {2741, 0, 0},  // just above them
        {WM_USER + 5000, 7, 9},
        {WM_GETTEXTLENGTH, 0, 0},  // a default answer that is not 0
        {WM_NCHITTEST, 0, MAKELPARAM(1, 1)},
        {WM_QUERYDRAGICON, 0, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.message);
        const LRESULT expected = DefWindowProcW(main, r.message, r.wParam, r.lParam);
        EXPECT_EQ(SendMessageW(main, r.message, r.wParam, r.lParam), expected);
    }
    EXPECT_EQ(SendMessageW(main, WM_GETTEXTLENGTH, 0, 0), 7);  // "Skyloom"
}

TEST_F(RoutingTest, NamedMessagesAnswerTheirFixedResults) {
    const struct {
        UINT message;
        WPARAM wParam;
        LRESULT expected;
    } rows[] = {
        {WM_SETTINGCHANGE, 0, 0},
        {WM_NOTIFY, 0, 0},
        {WM_DEVICECHANGE, DBT_CONFIGCHANGED, TRUE},
        {WM_DEVICECHANGE, DBT_QUERYCHANGECONFIG, TRUE},
        {WM_DEVICECHANGE, 0x7FFF, TRUE},
        {UM_LOG_STOP, 0, 0},
        {UM_AUTO_SEND_STOP, 0, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.message);
        EXPECT_EQ(SendMessageW(main, r.message, r.wParam, 0), r.expected);
    }
    EXPECT_EQ(g_settleArmed, 0) << "only an arrival or a removal arms the settle timer";
    HELPINFO help{};
    help.cbSize = sizeof help;
    EXPECT_EQ(SendMessageW(main, WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), 0);
}

TEST_F(RoutingTest, WildLineMessagesAreAnsweredZeroWithoutReading) {
    // Addresses no reader handed over: null, small, unmapped, misaligned,
    // kernel space, and a real line of this process that is not the reader's.
    static const wchar_t kForeign[] = L"$GPGGA,,,,,,0,,,,,,,,*66\r\n";
    const WPARAM wild[] = {0,
                           1,
                           0x10,
                           0xDEADBEEF,
                           static_cast<WPARAM>(0x00007FFFFFFF0001ull),
                           static_cast<WPARAM>(0xFFFF800000000000ull),
                           ~static_cast<WPARAM>(0),
                           reinterpret_cast<WPARAM>(kForeign)};
    for (WPARAM w : wild) {
        SCOPED_TRACE(w);
        EXPECT_EQ(SendMessageW(main, UM_LINE_RECEIVED, w, 0), 0);
    }
    EXPECT_EQ(GetWindowTextLengthW(window.setupPanel.console.hwnd()), 0) << "nothing was shown";
}

TEST_F(ShownMainWindowTest, OnlyAnActivationOtherThanAClickRepaintsTheStatusPanel) {
    const HWND status = window.statusPanel.hwnd;
    const struct {
        const char* what;
        WPARAM state;
        int32_t creating;
        bool repaints;
    } rows[] = {
        {"activated by a program or Alt+Tab", WA_ACTIVE, 0, true},
        {"activated by a click", WA_CLICKACTIVE, 0, false},
        {"deactivated", WA_INACTIVE, 0, false},
        {"activated while being created", WA_ACTIVE, 1, false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        ValidateRect(status, nullptr);
        g_creating = r.creating;
        EXPECT_EQ(SendMessageW(main, WM_ACTIVATE, MAKEWPARAM(r.state, 0), 0), 0);
        g_creating = 0;
        RECT update{};
        EXPECT_EQ(GetUpdateRect(status, &update, FALSE) != FALSE, r.repaints);
    }
}

// A port notice as the system sends it: DEV_BROADCAST_PORT_W with room for
// the name that runs on past its one declared character.
struct PortNotice {
    DWORD size = sizeof(PortNotice);
    DWORD deviceType = DBT_DEVTYP_PORT;
    DWORD reserved = 0;
    wchar_t name[16] = {};
    explicit PortNotice(const wchar_t* port) { wcsncpy(name, port, 15); }
    LPARAM lParam() const { return reinterpret_cast<LPARAM>(this); }
};
static_assert(offsetof(PortNotice, name) == offsetof(DEV_BROADCAST_PORT_W, dbcp_name),
              "laid out as the system's notice");

TEST_F(RoutingTest, DeviceNoticesArmTheSettleTimerOnceAndItsEndFollowsTheSystemsPorts) {
    std::vector<std::u16string> ports = {u"Adapter (COM41)"};
    window.linkControl.SetPortEnumerator([&](linkrules::PortListSink& list) {
        for (const auto& p : ports)
            list.Add(p.c_str());
    });
    // No data with the notice: only a cue to look at the ports again.
    EXPECT_EQ(SendMessageW(main, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0), TRUE);
    EXPECT_EQ(g_settleArmed, 1);
    EXPECT_EQ(SendMessageW(main, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0), TRUE);
    EXPECT_EQ(g_settleArmed, 1);
    SendMessageW(main, WM_TIMER, TIMER_DEVICE_SETTLE, 0);
    EXPECT_EQ(g_settleArmed, 0);
    EXPECT_EQ(window.setupPanel.PortEntries(),
              (std::vector<std::u16string>{u"Adapter (COM41)", u"Network:", u"Log File:"}));

    // A notice that names its port, as Windows sends them: the new port is chosen.
    ports.push_back(u"Receiver (COM42)");
    const PortNotice arrived(L"COM42");
    EXPECT_EQ(SendMessageW(main, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, arrived.lParam()), TRUE);
    SendMessageW(main, WM_TIMER, TIMER_DEVICE_SETTLE, 0);
    EXPECT_EQ(window.setupPanel.PortEntries().size(), 4u);
    EXPECT_EQ(window.setupPanel.SelectedPort(), 1);
    EXPECT_EQ(PortCount, 2);

    // While the window is being created, notices are ignored.
    g_creating = 1;
    EXPECT_EQ(SendMessageW(main, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0), TRUE);
    g_creating = 0;
    EXPECT_EQ(g_settleArmed, 0);
    KillTimer(main, TIMER_DEVICE_SETTLE);
    PortCount = 0;
}

TEST_F(RoutingTest, AutoSendTickSendsTheTypedSentenceAndOtherTimersDoNothing) {
    const struct {
        UINT_PTR timer;
        bool sends;
    } rows[] = {{TIMER_AUTO_SEND, true}, {TIMER_STARTUP, false}, {4097, false}, {1, false}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.timer);
        window.messages.clear();
        EXPECT_EQ(SendMessageW(main, WM_TIMER, r.timer, 0), 0);
        const std::vector<UINT> expected = r.sends
                                               ? std::vector<UINT>{WM_TIMER, UM_SEND_USER_SENTENCE}
                                               : std::vector<UINT>{WM_TIMER};
        EXPECT_EQ(window.messages, expected);
    }
}

TEST_F(RoutingTest, ExitClosesTheWindowAndQuitsWithZero) {
    g_creating = 1;  // suppressed while the window is being created
    SendMessageW(main, WM_COMMAND, IDM_EXIT, 0);
    PumpPending();
    EXPECT_TRUE(IsWindow(main));
    g_creating = 0;

    SendMessageW(main, WM_COMMAND, IDM_EXIT, 0);
    MSG msg;
    bool quit = false;
    while (!quit && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            EXPECT_EQ(msg.wParam, 0u);
        } else {
            DispatchMessageW(&msg);
        }
    }
    EXPECT_TRUE(quit);
    EXPECT_FALSE(IsWindow(main));
    EXPECT_FALSE(window.statusPanel.skyBitmap) << "the sky bitmap is freed at the end";
}

}  // namespace
}  // namespace app_test
