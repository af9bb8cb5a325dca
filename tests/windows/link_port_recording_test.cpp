// The raw recording on a real serial port (tests/windows/link_port_test.sh
// maps the pseudo-terminal pair): what the receiver sent while recording,
// byte for byte, across a close and reopen of the port; skipped without it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "link/link_state_win32.h"
#include "link/port_discovery_win32.h"
#include "link/raw_recording_win32.h"
#include "link/serial_link_win32.h"
#include "tests/windows/link_test_support.h"

using link_test::PumpUntil;

namespace {

std::wstring Env(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::wstring() : std::wstring(value, value + std::strlen(value));
}

TEST(PortRecording, HoldsTheBytesSentWhileOnAcrossACloseAndReopen) {
    const std::wstring port = Env("SKYLOOM_TEST_PORT");
    const std::wstring peerName = Env("SKYLOOM_TEST_PEER");
    if (port.empty() || peerName.empty())
        GTEST_SKIP() << "no pseudo-terminal port (run tests/windows/link_port_test.sh)";
    PortCount = 1;
    link_test::Rig rig;
    rig.panel.SetPorts({L"Test GPS Receiver (" + port + L")", L"Log File:"}, 0);
    HANDLE peer = CreateFileW((L"\\\\.\\" + peerName).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(peer, INVALID_HANDLE_VALUE);
    auto send = [&](const std::string& bytes) {
        DWORD written = 0;
        WriteFile(peer, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    };
    const std::wstring path = link_test::ScratchDir() + L"\\port.pgl";
    auto recorded = [&](size_t size) {
        return PumpUntil([&] { return link_test::ReadBytes(path).size() >= size; }, 5000);
    };

    ASSERT_EQ(rig.control.ToggleLink(), 1);
    send("$GPGLL,before*00\r\n");
    ASSERT_TRUE(PumpUntil([&] { return rig.sink.lines.size() >= 1; }, 5000));
    ASSERT_TRUE(rig.control.RecordTo(path.c_str()));
    // High bytes, a line without CR, one too long to deliver, and one cut by
    // the close: the lines lose the last two, the recording keeps all.
    const std::string open1 =
        "$GPTXT,\xB0\xFF\x80*00\r\nno CR\n" + std::string(600, 'X') + "\r\n$GPGLL,cut";
    send(open1);
    ASSERT_TRUE(recorded(open1.size()));
    ASSERT_EQ(rig.control.ToggleLink(), 1);
    EXPECT_EQ(rig.linkOpen, 0);
    ASSERT_EQ(rig.control.ToggleLink(), 1);  // the port is back: the recording goes on
    const std::string open2 = "*00\r\n$GPGGA,after*00\r\n";
    send(open2);
    ASSERT_TRUE(recorded(open1.size() + open2.size()));
    rig.control.StopRecording();
    send("$GPGLL,stopped*00\r\n");
    ASSERT_TRUE(PumpUntil(
        [&] {
            return !rig.sink.lines.empty() && rig.sink.lines.back() == u"$GPGLL,stopped*00\r\n";
        },
        5000));
    EXPECT_EQ(link_test::ReadBytes(path), open1 + open2);

    CloseHandle(peer);
    CloseLink();
    EXPECT_TRUE(PumpUntil([] { return LiveLinkStates() == 0; }, 3000));
    PortCount = 0;
}

}  // namespace
