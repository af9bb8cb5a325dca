// The receiver command set: the link's notes and results, that nothing is
// ever written to a recording, and on the main window's side the resets'
// effects and auto-send.
#include <gtest/gtest.h>

#include <string>

#include "link/link_win32.h"
#include "link/log_file_win32.h"
#include "link/receiver_commands_win32.h"
#include "res/resource.h"
#include "tests/windows/app_main_window_fixture.h"
#include "tests/windows/link_test_support.h"
#include "win32/messages.h"

using link_test::Rig;

namespace {

const std::u16string kCommandNote = u"$PSRF\r\n...OK\r\n";
const std::u16string kSendNote = u"Send Message\r\n...OK\r\n";

using linkrules::ReceiverCommand;

// The switches and the version query, in program-message order.
const ReceiverCommand kSwitches[] = {ReceiverCommand::kPowerSaveOn, ReceiverCommand::kPowerSaveOff,
                                     ReceiverCommand::kSbasOn,      ReceiverCommand::kSbasOff,
                                     ReceiverCommand::kVtgOn,       ReceiverCommand::kVtgOff,
                                     ReceiverCommand::kQueryVersion};

class Commands : public ::testing::Test {
  protected:
    void TearDown() override {
        rig.control.link().Close();
        resetButtonsPending = 0;
    }
    Rig rig;
    Link& link = rig.control.link();
};

// The main window, counting its auto-send ticks.
class CountingWindow : public CBaseWnd {
  public:
    LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_TIMER && wParam == TIMER_AUTO_SEND)
            ++autoSendTicks;
        return CBaseWnd::HandleMessage(hwnd, message, wParam, lParam);
    }
    int autoSendTicks = 0;
};

class WindowCommands : public app_test::MainWindowTest<CountingWindow> {
  protected:
    void TearDown() override {
        KillTimer(main, TIMER_AUTO_SEND);
        resetButtonsPending = 0;
        MainWindowTest::TearDown();
    }
    HWND Item(int id) const { return GetDlgItem(window.setupPanel.hwnd, id); }
    void SetText(int id, const wchar_t* text) { SetWindowTextW(Item(id), text); }
    bool Checked(int id) const { return SendMessageW(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    void Check(int id) { SendMessageW(Item(id), BM_SETCHECK, BST_CHECKED, 0); }
    std::wstring ConsoleText() {
        window.setupPanel.console.Flush();
        return app_test::WindowText(window.setupPanel.console.hwnd());
    }
};

}  // namespace

TEST_F(Commands, NothingIsWrittenToARecordingButEveryNoteIs) {
    const std::wstring recording = link_test::ScratchDir() + L"\\commands.pgl";
    const std::string bytes = "$GPGLL,1*00\r\n$GPGLL,2*00\r\n";
    link_test::WriteBytes(recording, bytes);
    ASSERT_TRUE(link_test::Play(link, rig.sink.hwnd(), recording));
    EXPECT_FALSE(link.TakesCommands());

    for (ReceiverCommand command : kSwitches)
        EXPECT_EQ(SendReceiverCommand(link, command, rig.host), 1) << static_cast<int>(command);
    EXPECT_EQ(SendUserSentence(link, L"$PMTK605*31", rig.host), 1);
    EXPECT_EQ(SendReceiverCommand(link, ReceiverCommand::kFactoryReset, rig.host), 1);

    std::vector<std::u16string> notes(7, kCommandNote);
    notes.push_back(kSendNote);
    notes.push_back(kCommandNote);
    EXPECT_EQ(rig.host.notes, notes);
    link.Close();
    EXPECT_EQ(link_test::ReadBytes(recording), bytes);
}

TEST_F(Commands, WithNoLinkEverySwitchStillAnswersOne) {
    EXPECT_FALSE(link.IsOpen());
    for (ReceiverCommand command : kSwitches)
        EXPECT_EQ(SendReceiverCommand(link, command, rig.host), 1) << static_cast<int>(command);
    EXPECT_EQ(rig.host.notes, std::vector<std::u16string>(7, kCommandNote));
}

TEST_F(Commands, TypedSentencesUpTo253CharactersAreSentLongerOnesReportAnError) {
    struct Case {
        std::wstring text;
        LRESULT result;
    };
    const Case cases[] = {
        {L"", 1},
        {std::wstring(253, L'A'), 1},
        {std::wstring(254, L'A'), 0},
        {std::wstring(1022, L'A'), 0},
    };
    for (const Case& c : cases) {
        rig.host.notes.clear();
        EXPECT_EQ(SendUserSentence(link, c.text.c_str(), rig.host), c.result) << c.text.size();
        EXPECT_EQ(rig.host.notes, std::vector<std::u16string>{kSendNote});
    }
}

TEST_F(WindowCommands, ColdStartAndFactoryResetRestartTheMeasurement) {
    struct Case {
        UINT message;
        int button;
        DWORD atLeastMs;
    };
    const Case cases[] = {
        {UM_COLD_START, IDC_COLD_START, 1200},
        {UM_FACTORY_RESET, IDC_FACTORY_RESET, 600},
    };
    ReceiverModel& status = window.model;
    for (const Case& c : cases) {
        SetWindowTextW(main, L"Skyloom  35 Sec");
        status.ttffDone = 1;
        status.ttffStartTick = 1234;
        status.satellites[17].snr = 40;
        status.sent.fixState = FixState::k3D;
        EnableWindow(Item(c.button), TRUE);
        resetButtonsPending = 0;
        window.setupPanel.console.Clear();

        DWORD start = GetTickCount();
        EXPECT_EQ(SendMessageW(main, c.message, 0, 0), 1);
        EXPECT_GE(GetTickCount() - start + 20, c.atLeastMs);  // the receiver's pauses
        EXPECT_FALSE(IsWindowEnabled(Item(c.button)));
        EXPECT_EQ(app_test::WindowText(main), L"Skyloom");
        EXPECT_EQ(status.ttffDone, 0);
        EXPECT_EQ(status.ttffStartTick, 0u);
        EXPECT_EQ(status.satellites[17].snr, 0);
        EXPECT_EQ(status.sent.fixState, FixState::kNotSent);
        EXPECT_EQ(resetButtonsPending, 1);
        EXPECT_EQ(ConsoleText(), L"$PSRF\r\n...OK\r\n");
    }
}

TEST_F(WindowCommands, AutoSendArmsOnlyForAPositivePeriod) {
    SnrOffset = 0;
    for (const wchar_t* period : {L"0", L"", L"abc", L"-5", L"2147484"}) {
        SetText(IDC_AUTO_PERIOD, period);
        Check(IDC_AUTO_SEND);
        EXPECT_EQ(SendMessageW(main, UM_AUTO_SEND_START, 0, 0), 0);
        EXPECT_FALSE(Checked(IDC_AUTO_SEND)) << period;
        // No timer was set: there is none to kill.
        EXPECT_FALSE(KillTimer(main, TIMER_AUTO_SEND)) << period;
    }
    EXPECT_EQ(window.autoSendTicks, 0);

    SetText(IDC_SNR_OFFSET, L"-4");
    SetText(IDC_AUTO_PERIOD, L"1");
    SetText(IDC_USER_SENTENCE, L"$PMTK605*31");
    Check(IDC_AUTO_SEND);
    EXPECT_EQ(SendMessageW(main, UM_AUTO_SEND_START, 0, 0), 0);
    EXPECT_TRUE(Checked(IDC_AUTO_SEND));
    EXPECT_EQ(SnrOffset, -4);
    EXPECT_TRUE(
        link_test::PumpUntil([&] { return window.autoSendTicks >= 1; }, link_test::kAwaitMs))
        << "no tick of a 1 s auto-send";
    // Each tick sends the typed sentence, which the console notes.
    EXPECT_NE(ConsoleText().find(L"Send Message"), std::wstring::npos);

    EXPECT_EQ(SendMessageW(main, UM_AUTO_SEND_STOP, 0, 0), 0);
    EXPECT_FALSE(KillTimer(main, TIMER_AUTO_SEND)) << "the stop left the timer running";
    SnrOffset = 0;
}
