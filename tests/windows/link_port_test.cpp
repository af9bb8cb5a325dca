// The link on a real serial port: a pseudo-terminal pair mapped to two COM
// ports by tests/windows/link_port_test.sh, which names them in
// SKYLOOM_TEST_PORT (the receiver's port, opened by the link) and
// SKYLOOM_TEST_PEER (the receiver's end, driven by the test). Skipped when
// they are not set.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "link/link_state_win32.h"
#include "link/link_win32.h"
#include "link/port_discovery_win32.h"
#include "link/receiver_commands_win32.h"
#include "res/resource.h"
#include "tests/windows/link_test_support.h"
#include "win32/messages.h"
#include "win32/wide_text.h"

using link_test::PumpUntil;
using link_test::Rig;

namespace {

std::wstring Env(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::wstring() : std::wstring(value, value + std::strlen(value));
}

class Peer {
  public:
    explicit Peer(const std::wstring& port) {
        handle_ = CreateFileW((L"\\\\.\\" + port).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
        COMMTIMEOUTS timeouts{};
        timeouts.ReadIntervalTimeout = 200;
        timeouts.ReadTotalTimeoutConstant = 2000;
        SetCommTimeouts(handle_, &timeouts);
    }
    ~Peer() {
        if (ok())
            CloseHandle(handle_);
    }
    bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }
    void Send(const std::string& bytes) {
        DWORD written = 0;
        WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    // What the link wrote, read until `count` bytes came or the line fell
    // silent. Never asks for more than is still wanted: such a read would
    // wait out the silence after the last byte.
    std::string Receive(size_t count) {
        std::string bytes;
        char chunk[512];
        while (bytes.size() < count) {
            DWORD got = 0;
            const DWORD wanted = static_cast<DWORD>(std::min(sizeof chunk, count - bytes.size()));
            if (!ReadFile(handle_, chunk, wanted, &got, nullptr) || got == 0)
                break;
            bytes.append(chunk, got);
        }
        return bytes;
    }

  private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

class Port : public ::testing::Test {
  protected:
    void SetUp() override {
        port = Env("SKYLOOM_TEST_PORT");
        peerName = Env("SKYLOOM_TEST_PEER");
        if (port.empty() || peerName.empty())
            GTEST_SKIP() << "no pseudo-terminal port (run tests/windows/link_port_test.sh)";
        PortCount = 1;
        rig.panel.SetPorts({L"Test GPS Receiver (" + port + L")", L"Log File:"}, 0);
    }
    void TearDown() override {
        rig.control.link().Close();
        EXPECT_TRUE(PumpUntil([] { return LiveLinkStates() == 0; }, 3000));
        PortCount = 0;
    }
    std::wstring port, peerName;
    Rig rig;
};

}  // namespace

TEST_F(Port, LinesArriveAndCommandsLeaveByteForByte) {
    Peer peer(peerName);
    ASSERT_TRUE(peer.ok());
    ASSERT_EQ(rig.control.ToggleLink(), 1);
    EXPECT_EQ(rig.linkOpen, 1);
    EXPECT_TRUE(rig.control.link().TakesCommands());
    EXPECT_TRUE(rig.control.link().Live());
    EXPECT_EQ(rig.control.link().Description(), AsText16(port.c_str()));

    const std::string received =
        "$GPGGA,120000.00,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*4F\r\n"
        "$GPTXT,\xB0*00\r\n"
        "$GPRMC,120000.00,A,4807.038,N,01131.000,E,0.0,0.0,010120,,,A*6C\r\n";
    peer.Send(received);
    ASSERT_TRUE(PumpUntil([&] { return rig.sink.lines.size() >= 3; }, 5000));
    EXPECT_EQ(rig.sink.lines, link_test::ExpectedLines(received));

    struct Case {
        UINT message;
        std::wstring typed;
        std::string bytes;
    };
    const Case cases[] = {
        {UM_QUERY_VERSION, L"", "$PMTK605*31\r\n"},
        {UM_SBAS_ON, L"", "$PSRF151,01*0F\r\n"},
        {UM_VTG_OFF, L"", "$PSRF103,05,00,00,01*21\r\n"},
        {UM_POWER_SAVE_ON, L"", "$PSRF150,0,300,1000,1*10\r\n"},
        {UM_COLD_START, L"", "$PMTK605*31\r\n$PMTK103*30\r\n"},
        {UM_FACTORY_RESET, L"", "$PMTK104*37\r\n"},
        {UM_SEND_USER_SENTENCE, L"$PMTK605*31", "$PMTK605*31\r\n"},
        {UM_SEND_USER_SENTENCE, L"", "\r\n"},
        {UM_SEND_USER_SENTENCE, L"\u0141x", "\x41x\r\n"},
        {UM_SEND_USER_SENTENCE, std::wstring(253, L'S'), std::string(253, 'S') + "\r\n"},
    };
    for (const Case& c : cases) {
        rig.panel.SetText(IDC_USER_SENTENCE, c.typed);
        EXPECT_EQ(rig.control.OnReceiverCommand(c.message), 1) << c.message;
        EXPECT_EQ(peer.Receive(c.bytes.size()), c.bytes) << c.message;
    }
    // Longer than a sentence may be: nothing at all goes out.
    rig.panel.SetText(IDC_USER_SENTENCE, std::wstring(254, L'S'));
    EXPECT_EQ(rig.control.OnReceiverCommand(UM_SEND_USER_SENTENCE), 0);
    EXPECT_EQ(peer.Receive(1), "");

    EXPECT_EQ(rig.control.ToggleLink(), 1);
    EXPECT_EQ(rig.linkOpen, 0);
}

TEST_F(Port, TheReceiversAnswerToACommandIsDeliveredWhole) {
    Peer peer(peerName);
    ASSERT_TRUE(peer.ok());
    ASSERT_EQ(rig.control.ToggleLink(), 1);
    // Longer than the reader takes in before its first hand-over: while the
    // command's pause holds the window, the reader waits with its line, and
    // the rest of the answer sits in the port, where nothing may drop it.
    std::string answer;
    for (int i = 0; i < 120; ++i)
        answer += "$PMTK705,AXN_5.1.7_3333_" + std::to_string(1000 + i) + ",0000,L76K,1.0*00\r\n";
    const std::string command = "$PMTK605*31\r\n";
    std::string heard;
    std::thread receiver([&] {
        heard = peer.Receive(command.size());
        if (heard == command)
            peer.Send(answer);
    });
    EXPECT_EQ(rig.control.OnReceiverCommand(UM_QUERY_VERSION), 1);
    receiver.join();
    ASSERT_EQ(heard, command);
    const auto expected = link_test::ExpectedLines(answer);
    EXPECT_TRUE(PumpUntil(
        [&] { return !rig.sink.lines.empty() && rig.sink.lines.back() == expected.back(); }, 5000))
        << "the answer's last line; " << rig.sink.lines.size() << " of " << expected.size()
        << " lines came";
    EXPECT_EQ(rig.sink.lines, expected);
}

TEST_F(Port, SilenceOfAFewHundredMillisecondsEndsAPartialLine) {
    Peer peer(peerName);
    ASSERT_TRUE(peer.ok());
    ASSERT_EQ(rig.control.ToggleLink(), 1);
    peer.Send("$GPGLL,1*00\r\n$GPGLL,2");
    ASSERT_TRUE(PumpUntil([&] { return rig.sink.lines.size() >= 1; }, 5000));
    // Well past the port's 100 ms: the read that found nothing drops the cut
    // line, and what follows starts a line of its own.
    link_test::PumpFor(400);
    peer.Send("*00\r\n$GPGLL,3*00\r\n");
    ASSERT_TRUE(PumpUntil([&] { return rig.sink.lines.size() >= 3; }, 5000));
    EXPECT_EQ(rig.sink.lines,
              (std::vector<std::u16string>{u"$GPGLL,1*00\r\n", u"*00\r\n", u"$GPGLL,3*00\r\n"}));
}

TEST_F(Port, PulledCableLeavesTheProgramResponsiveAndClosable) {
    const std::wstring cable = Env("SKYLOOM_TEST_CABLE_DIR");
    if (cable.empty())
        GTEST_SKIP() << "the script pulls the cable only when it runs this test alone";
    Peer peer(peerName);
    ASSERT_TRUE(peer.ok());
    ASSERT_EQ(rig.control.ToggleLink(), 1);
    peer.Send("$GPGLL,1*00\r\n$GPGLL,2");
    ASSERT_TRUE(PumpUntil([&] { return rig.sink.lines.size() >= 1; }, 5000));

    link_test::WriteBytes(cable + L"\\pull", "");
    const std::wstring pulled = cable + L"\\pulled";
    ASSERT_TRUE(PumpUntil(
        [&] { return GetFileAttributesW(pulled.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000));

    // The reader finds the port gone, says so once and stops reading the dead
    // handle; the cut line is never delivered, and closing neither hangs nor
    // leaves anything behind.
    const uint32_t number = rig.control.link().Number();
    ASSERT_TRUE(PumpUntil([&] { return !rig.sink.portsLost.empty(); }, 10000));
    EXPECT_TRUE(PumpUntil([] { return LiveLinkStates() == 1; }, 3000)) << "only the link's own";
    link_test::PumpFor(300);
    EXPECT_EQ(rig.sink.portsLost, std::vector<WPARAM>{number});
    EXPECT_EQ(rig.sink.lines.size(), 1u);

    DWORD start = GetTickCount();
    EXPECT_EQ(rig.control.ToggleLink(), 1);
    EXPECT_LT(GetTickCount() - start, link_test::kNoHangMs);
    EXPECT_EQ(rig.linkOpen, 0);
}

TEST_F(Port, ARemovalNoticeLosesTheOpenPortAndItsReturnOpensItAgain) {
    Peer peer(peerName);
    ASSERT_TRUE(peer.ok());
    ASSERT_EQ(rig.control.ToggleLink(), 1);
    peer.Send("$GPGLL,1*00\r\n");
    ASSERT_TRUE(PumpUntil([&] { return rig.sink.lines.size() >= 1; }, 5000));
    const uint32_t first = rig.control.link().Number();
    auto caption = [&] {
        wchar_t text[64] = {};
        GetWindowTextW(rig.sink.hwnd(), text, 64);
        return std::wstring(text);
    };

    // Removal of another port changes nothing; removal of this one loses it.
    rig.control.OnDeviceNotice(true, L"COM99");
    EXPECT_TRUE(rig.control.link().IsOpen());
    rig.control.OnDeviceNotice(true, port.c_str());
    EXPECT_FALSE(rig.control.link().IsOpen());
    EXPECT_TRUE(rig.control.WaitingForPort());
    EXPECT_EQ(rig.linkOpen, 1) << "Close GPS ends the wait";
    EXPECT_EQ(rig.host.notes, std::vector<std::u16string>{u"ComPort LOST!!\r\n"});
    EXPECT_EQ(caption(), L"Skyloom  Waiting for " + port);

    // It comes back: opened again as the user opened it, with a reader of its
    // own; the old link's word no longer counts.
    rig.status.ttffDone = 1;
    rig.control.OnDeviceNotice(false, port.c_str());
    EXPECT_TRUE(rig.control.link().IsOpen());
    EXPECT_FALSE(rig.control.WaitingForPort());
    EXPECT_NE(rig.control.link().Number(), first);
    EXPECT_EQ(rig.host.notes.back(), u"ComPort BACK!!\r\n");
    EXPECT_EQ(caption(), L"Skyloom");
    EXPECT_EQ(rig.status.ttffDone, 0) << "the first fix is measured afresh";
    rig.control.OnPortLost(first);
    EXPECT_TRUE(rig.control.link().IsOpen());
    rig.sink.lines.clear();
    peer.Send("$GPGLL,2*00\r\n");
    ASSERT_TRUE(PumpUntil([&] { return rig.sink.lines.size() >= 1; }, 5000));
    EXPECT_EQ(rig.sink.lines, std::vector<std::u16string>{u"$GPGLL,2*00\r\n"});

    // Close GPS during the wait ends it: the port is not opened again.
    rig.control.OnPortLost(rig.control.link().Number());
    ASSERT_TRUE(rig.control.WaitingForPort());
    EXPECT_EQ(rig.control.ToggleLink(), 1);
    EXPECT_EQ(rig.linkOpen, 0);
    EXPECT_FALSE(rig.control.WaitingForPort());
    rig.control.RetryLostPort();
    EXPECT_FALSE(rig.control.link().IsOpen());
    EXPECT_EQ(caption(), L"Skyloom");
}

TEST_F(Port, RepeatedOpenAndCloseWhileTheReceiverTalks) {
    Peer peer(peerName);
    ASSERT_TRUE(peer.ok());
    for (int round = 0; round < 20; ++round) {
        rig.sink.lines.clear();
        ASSERT_EQ(rig.control.ToggleLink(), 1) << round;
        peer.Send("$GPGLL,1*00\r\n$GPGLL,2*00\r\n");
        EXPECT_TRUE(PumpUntil([&] { return rig.sink.lines.size() >= 2; }, 5000)) << round;
        peer.Send("$GPGLL,3*00\r\n$GPGL");  // closed in the middle of a line
        DWORD start = GetTickCount();
        ASSERT_EQ(rig.control.ToggleLink(), 1) << round;
        EXPECT_LT(GetTickCount() - start, link_test::kNoHangMs) << round;
    }
    EXPECT_TRUE(PumpUntil([] { return LiveLinkStates() == 0; }, 3000));
}
