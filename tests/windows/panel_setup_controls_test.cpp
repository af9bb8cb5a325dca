// The setup panel's controls in process under Wine: what the user sees and
// can reach, the lists, the program message each control produces, and the
// link states.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/link_control.h"
#include "link/link_win32.h"
#include "link/port_discovery_win32.h"
#include "panels/status_panel.h"
#include "res/resource.h"
#include "tests/windows/link_test_support.h"
#include "tests/windows/panel_setup_fixture.h"
#include "win32/messages.h"

using panel_test::Enabled;
using panel_test::FakeMainWindow;
using panel_test::HasStyle;
using panel_test::ItemText;
using panel_test::RectIn;
using panel_test::SetupPanelFixture;
using panel_test::WindowText;

namespace {

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

bool Overlap(const RECT& a, const RECT& b) {
    RECT both;
    return IntersectRect(&both, &a, &b) != FALSE;
}

}  // namespace

// What the user sees: the two lists with their labels, Start GPS, Cold Start,
// the two version fields with their labels, and the console, each whole
// inside the panel and none over another; a label on the left of its field.
// Everything else the panel holds stays hidden.
TEST_F(SetupPanelFixture, TheUserSeesTheListsTheButtonsAndTheVersionsSideBySideInThePanel) {
    EXPECT_TRUE(HasStyle(panel.hwnd, WS_CHILD | WS_VISIBLE));
    EXPECT_FALSE(GetWindowLongW(panel.hwnd, GWL_STYLE) & (WS_CAPTION | WS_BORDER | WS_THICKFRAME));
    const struct {
        int id;
        const wchar_t* label;  // the static text on its left, if any
        const wchar_t* text;
        bool enabled;  // as the link-closed state has it
    } shown[] = {
        {IDC_PORT, L"COM Port :", L"Log File:", true},
        {IDC_BAUD, L"Baud Rate :", L"4800", true},
        {IDC_START_GPS, nullptr, L"Start GPS", true},
        {IDC_COLD_START, nullptr, L"Cold Start", false},
        {IDC_CORE_VERSION, L"Core Version:", L"", true},
        {IDC_FW_VERSION, L"FW Version:", L"", true},
    };
    RECT client;
    GetClientRect(panel.hwnd, &client);
    std::vector<HWND> visible;
    for (HWND w : Children()) {
        if (!HasStyle(w, WS_VISIBLE))
            continue;
        const RECT r = RectIn(panel.hwnd, w);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right &&
                    r.bottom <= client.bottom)
            << WindowText(w) << " " << app_test::Show(r);
        for (HWND other : visible) {
            EXPECT_FALSE(Overlap(r, RectIn(panel.hwnd, other)))
                << WindowText(w) << " over " << WindowText(other);
        }
        visible.push_back(w);
    }
    // The controls above, their four labels and the console.
    EXPECT_EQ(visible.size(), std::size(shown) + 4 + 1);
    auto label = [&](const wchar_t* text) -> HWND {
        for (HWND w : visible) {
            if (GetDlgCtrlID(w) == 0xFFFF && WindowText(w) == text)
                return w;
        }
        return nullptr;
    };
    for (const auto& s : shown) {
        SCOPED_TRACE(s.id);
        const HWND w = Item(s.id);
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(HasStyle(w, WS_VISIBLE));
        EXPECT_EQ(WindowText(w), s.text);
        EXPECT_EQ(IsWindowEnabled(w) != FALSE, s.enabled);
        // Every field and button is reached with the Tab key.
        EXPECT_TRUE(HasStyle(w, WS_TABSTOP));
        if (s.label == nullptr)
            continue;
        const HWND l = label(s.label);
        ASSERT_NE(l, nullptr) << "no label";
        const RECT field = RectIn(panel.hwnd, w), text = RectIn(panel.hwnd, l);
        EXPECT_LE(text.right, field.left);
        const LONG middle = (text.top + text.bottom) / 2;
        EXPECT_TRUE(middle >= field.top && middle < field.bottom) << "not on the field's row";
    }
    // The versions are the receiver's to tell, not the user's to type.
    EXPECT_TRUE(HasStyle(Item(IDC_CORE_VERSION), ES_READONLY));
    EXPECT_TRUE(HasStyle(Item(IDC_FW_VERSION), ES_READONLY));
    EXPECT_TRUE(HasStyle(Console(), WS_VISIBLE));
}

TEST_F(SetupPanelFixture, ListsStartWithTheirEntriesAndFourThousandEightHundredBaud) {
    EXPECT_EQ(
        ComboEntries(panel.hwnd, IDC_BAUD),
        (std::vector<std::wstring>{L"1200", L"2400", L"4800", L"9600", L"14400", L"19200", L"38400",
                                   L"57600", L"115200", L"230400", L"460800", L"921600"}));
    EXPECT_EQ(SendDlgItemMessageW(panel.hwnd, IDC_BAUD, CB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(ItemText(panel.hwnd, IDC_BAUD), L"4800");
    // A fresh Wine prefix has no "(COM" device: only the network and
    // playback entries, playback selected.
    EXPECT_EQ(ComboEntries(panel.hwnd, IDC_PORT),
              (std::vector<std::wstring>{L"Network:", L"Log File:"}));
    EXPECT_EQ(SendDlgItemMessageW(panel.hwnd, IDC_PORT, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(ItemText(panel.hwnd, IDC_PORT), L"Log File:");
    EXPECT_EQ(ComboEntries(panel.hwnd, IDC_FILTER_FIELD),
              (std::vector<std::wstring>{L"Height", L"Speed"}));
    EXPECT_EQ(ComboEntries(panel.hwnd, IDC_FILTER_OP),
              (std::vector<std::wstring>{L"<", L"=", L">"}));
}

TEST_F(SetupPanelFixture, EachControlSendsOrPostsItsProgramMessage) {
    struct Row {
        int id;
        bool checked;  // a check box's state after its click, which toggles it
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
        if (r.sent) {
            Command(r.id);
        } else {
            // A real click: the box checks or clears itself before the panel hears of it.
            EnableWindow(Item(r.id), TRUE);
            SendMessageW(Item(r.id), BM_CLICK, 0, 0);
            EXPECT_EQ(SendMessageW(Item(r.id), BM_GETCHECK, 0, 0),
                      r.checked ? BST_CHECKED : BST_UNCHECKED);
        }
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
                EXPECT_EQ(WindowText(Console()), r.error);
            } else {
                EXPECT_NE(WindowText(Console()), r.error);
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

// Every control as the link-closed state leaves it; Start GPS always enabled.
void ExpectLinkClosedState(HWND panel) {
    for (const LinkStateRow& r : kLinkStates) {
        const bool closedState = r.id == IDC_START_GPS ? true : !r.enabledWhenOpen;
        EXPECT_EQ(Enabled(panel, r.id), closedState) << r.id;
    }
}

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
    // The panel starts in the link-closed state.
    ExpectLinkClosedState(panel.hwnd);

    // A real click on the visible button.
    SendMessageW(Item(IDC_START_GPS), BM_CLICK, 0, 0);
    EXPECT_EQ(ItemText(panel.hwnd, IDC_START_GPS), L"Close GPS");
    for (const LinkStateRow& r : kLinkStates)
        EXPECT_EQ(Enabled(panel.hwnd, r.id), r.enabledWhenOpen) << r.id;
    EXPECT_EQ(ItemText(panel.hwnd, IDC_CORE_VERSION), L"");
    EXPECT_EQ(ItemText(panel.hwnd, IDC_FW_VERSION), L"");
    EXPECT_EQ(ItemText(panel.hwnd, IDC_P_VERSION), L"");
    EXPECT_EQ(WindowText(Console()), L"");
    // The hidden controls stay hidden in either state.
    EXPECT_FALSE(IsWindowVisible(Item(IDC_FACTORY_RESET)));

    SetDlgItemTextW(panel.hwnd, IDC_CORE_VERSION, L"new core");
    panel.console.Insert(L"received\r\n");
    opens = false;
    Command(IDC_START_GPS);
    EXPECT_EQ(ItemText(panel.hwnd, IDC_START_GPS), L"Start GPS");
    ExpectLinkClosedState(panel.hwnd);
    // Closing keeps what was received and the versions.
    EXPECT_EQ(ItemText(panel.hwnd, IDC_CORE_VERSION), L"new core");
    EXPECT_EQ(WindowText(Console()), L"received\r\n");
    // Check states are never touched by the toggle.
    EXPECT_EQ(SendMessageW(Item(IDC_VTG), BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(SetupPanelFixture, AFailedToggleChangesNoControl) {
    main.answer = [](UINT) -> LRESULT { return 0; };
    SetDlgItemTextW(panel.hwnd, IDC_CORE_VERSION, L"core");
    Command(IDC_START_GPS);
    EXPECT_EQ(ItemText(panel.hwnd, IDC_START_GPS), L"Start GPS");
    ExpectLinkClosedState(panel.hwnd);
    EXPECT_EQ(ItemText(panel.hwnd, IDC_CORE_VERSION), L"core");
    EXPECT_EQ(WindowText(Console()), L"ComPort ERROR!!");
}

TEST_F(SetupPanelFixture, StartOfAPortThatDiscoveryNeverFoundReportsTheComPortError) {
    // The link's own answer: a port entry opens only after discovery found a port.
    ReceiverModel model{};
    CRestoreDlg statusPanel(model);
    link_test::FakeHost host;
    LinkControl control(panel, statusPanel, model, host);
    control.SetOwner(main.hwnd());
    main.answer = [&](UINT message) -> LRESULT {
        return message == UM_TOGGLE_LINK ? control.ToggleLink() : 1;
    };
    ASSERT_EQ(PortCount, 0);
    SendDlgItemMessageW(panel.hwnd, IDC_PORT, CB_INSERTSTRING, 0,
                        reinterpret_cast<LPARAM>(L"Unplugged GPS (COM99)"));
    SendDlgItemMessageW(panel.hwnd, IDC_PORT, CB_SETCURSEL, 0, 0);
    SendMessageW(Item(IDC_START_GPS), BM_CLICK, 0, 0);
    EXPECT_EQ(WindowText(Console()), L"ComPort ERROR!!");
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
