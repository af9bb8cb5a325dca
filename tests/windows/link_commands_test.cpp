// The receiver command set on the main window's side: notes, results, the
// resets' effects, auto-send, and that nothing is ever written to a recording.
#include <gtest/gtest.h>

#include <string>

#include "app/messages.h"
#include "link/log_file_win32.h"
#include "link/receiver_commands_win32.h"
#include "link/serial_link_win32.h"
#include "res/resource.h"
#include "tests/windows/link_test_support.h"

using link_test::Rig;

namespace {

const std::u16string kCommandNote = u"$PSRF\r\n...OK\r\n";
const std::u16string kSendNote = u"Send Message\r\n...OK\r\n";

class Commands : public ::testing::Test {
  protected:
    void TearDown() override {
        CloseLink();
        KillTimer(rig.sink.hwnd(), TIMER_AUTO_SEND);
        resetButtonsPending = 0;
    }
    Rig rig;
};

}  // namespace

TEST_F(Commands, NothingIsWrittenToARecordingButEveryNoteIs) {
    const std::wstring recording = link_test::ScratchDir() + L"\\commands.pgl";
    const std::string bytes = "$GPGLL,1*00\r\n$GPGLL,2*00\r\n";
    link_test::WriteBytes(recording, bytes);
    ASSERT_EQ(OpenRecording(rig.sink.hwnd(), recording.c_str()), 1);
    EXPECT_EQ(CommandTarget(), INVALID_HANDLE_VALUE);

    for (UINT message = UM_POWER_SAVE_ON; message <= UM_QUERY_VERSION; ++message)
        EXPECT_EQ(HandleReceiverCommand(message, rig.context), 1) << message;
    rig.panel.SetText(IDC_USER_SENTENCE, L"$PMTK605*31");
    EXPECT_EQ(HandleReceiverCommand(UM_SEND_USER_SENTENCE, rig.context), 1);
    EXPECT_EQ(HandleReceiverCommand(UM_FACTORY_RESET, rig.context), 1);

    std::vector<std::u16string> notes(7, kCommandNote);
    notes.push_back(kSendNote);
    notes.push_back(kCommandNote);
    EXPECT_EQ(rig.host.notes, notes);
    CloseLink();
    EXPECT_EQ(link_test::ReadBytes(recording), bytes);
}

TEST_F(Commands, WithNoLinkEverySwitchStillAnswersOne) {
    EXPECT_EQ(CommandTarget(), INVALID_HANDLE_VALUE);
    for (UINT message = UM_POWER_SAVE_ON; message <= UM_QUERY_VERSION; ++message)
        EXPECT_EQ(HandleReceiverCommand(message, rig.context), 1) << message;
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
        rig.panel.SetText(IDC_USER_SENTENCE, c.text);
        EXPECT_EQ(HandleReceiverCommand(UM_SEND_USER_SENTENCE, rig.context), c.result)
            << c.text.size();
        EXPECT_EQ(rig.host.notes, std::vector<std::u16string>{kSendNote});
    }
}

TEST_F(Commands, ColdStartAndFactoryResetRestartTheMeasurement) {
    struct Case {
        UINT message;
        int button;
        DWORD atLeastMs;
    };
    const Case cases[] = {
        {UM_COLD_START, IDC_COLD_START, 1200},
        {UM_FACTORY_RESET, IDC_FACTORY_RESET, 600},
    };
    for (const Case& c : cases) {
        SetWindowTextW(rig.sink.hwnd(), L"Skyloom  35 Sec");
        rig.status.ttffDone = 1;
        rig.status.ttffStartTick = 1234;
        rig.status.satellites[17].snr = 40;
        rig.status.texts.fixState[0] = u'3';
        EnableWindow(rig.panel.Item(c.button), TRUE);
        resetButtonsPending = 0;
        rig.host.notes.clear();

        DWORD start = GetTickCount();
        EXPECT_EQ(HandleReceiverCommand(c.message, rig.context), 1);
        EXPECT_GE(GetTickCount() - start + 20, c.atLeastMs);  // the receiver's pauses
        EXPECT_FALSE(IsWindowEnabled(rig.panel.Item(c.button)));
        wchar_t caption[64];
        GetWindowTextW(rig.sink.hwnd(), caption, 64);
        EXPECT_EQ(std::wstring(caption), L"Skyloom");
        EXPECT_EQ(rig.status.ttffDone, 0);
        EXPECT_EQ(rig.status.ttffStartTick, 0u);
        EXPECT_EQ(rig.status.satellites[17].snr, 0);
        EXPECT_EQ(rig.status.texts.fixState[0], 0);
        EXPECT_EQ(resetButtonsPending, 1);
        EXPECT_EQ(rig.host.notes, std::vector<std::u16string>{kCommandNote});
    }
}

TEST_F(Commands, AutoSendArmsOnlyForAPositivePeriod) {
    SnrOffset = 0;
    for (const wchar_t* period : {L"0", L"", L"abc", L"-5", L"2147484"}) {
        rig.panel.SetText(IDC_AUTO_PERIOD, period);
        rig.panel.Check(IDC_AUTO_SEND, true);
        EXPECT_EQ(HandleReceiverCommand(UM_AUTO_SEND_START, rig.context), 0);
        EXPECT_FALSE(rig.panel.Checked(IDC_AUTO_SEND)) << period;
    }
    link_test::PumpFor(1300);
    EXPECT_EQ(rig.sink.autoSendTicks, 0);

    rig.panel.SetText(IDC_SNR_OFFSET, L"-4");
    rig.panel.SetText(IDC_AUTO_PERIOD, L"1");
    rig.panel.Check(IDC_AUTO_SEND, true);
    EXPECT_EQ(HandleReceiverCommand(UM_AUTO_SEND_START, rig.context), 0);
    EXPECT_TRUE(rig.panel.Checked(IDC_AUTO_SEND));
    EXPECT_EQ(SnrOffset, -4);
    EXPECT_TRUE(link_test::PumpUntil([&] { return rig.sink.autoSendTicks >= 1; }, 2500));

    EXPECT_EQ(HandleReceiverCommand(UM_AUTO_SEND_STOP, rig.context), 0);
    const int ticks = rig.sink.autoSendTicks;
    link_test::PumpFor(1300);
    EXPECT_EQ(rig.sink.autoSendTicks, ticks);
}
