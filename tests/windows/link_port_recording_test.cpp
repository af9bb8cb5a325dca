// The raw recording on a real serial port (tests/windows/link_port_test.sh
// maps the pseudo-terminal pair; skipped without it): exactly what the
// receiver sent while it ran, across a close and reopen of the port.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "link/link_win32.h"
#include "link/port_discovery_win32.h"
#include "tests/windows/link_test_support.h"

namespace {

TEST(PortRecording, HoldsTheBytesSentWhileOnAcrossACloseAndReopen) {
    const char* port = std::getenv("SKYLOOM_TEST_PORT");
    const char* peerName = std::getenv("SKYLOOM_TEST_PEER");
    if (port == nullptr || peerName == nullptr)
        GTEST_SKIP() << "no pseudo-terminal port (run tests/windows/link_port_test.sh)";
    PortCount = 1;
    link_test::Rig rig;
    const std::string entry = std::string("Receiver (") + port + ")";
    rig.panel.SetPorts({std::wstring(entry.begin(), entry.end()), L"Log File:"}, 0);
    HANDLE peer = CreateFileA((std::string("\\\\.\\") + peerName).c_str(), GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(peer, INVALID_HANDLE_VALUE);
    const std::wstring path = link_test::ScratchDir() + L"\\port.pgl";
    std::string sent;
    // Sends a piece that ends in the `lines`th line it delivers: once that
    // line is in, the whole piece was read.
    auto send = [&](const std::string& bytes, size_t lines, bool recorded) {
        const size_t until = rig.sink.lines.size() + lines;
        DWORD written = 0;
        WriteFile(peer, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        sent += recorded ? bytes : "";
        EXPECT_TRUE(link_test::PumpUntil([&] { return rig.sink.lines.size() >= until; }, 5000));
    };

    ASSERT_EQ(rig.control.ToggleLink(), 1);
    send("$GPGLL,before*00\r\n", 1, false);
    ASSERT_TRUE(rig.control.RecordTo(path.c_str()));
    // High bytes, a line too long to deliver and one without CR: the lines
    // lose the long one, the recording keeps all.
    send("$GPTXT,\xB0\xFF\x80*00\r\n" + std::string(600, 'X') + "\r\nno CR\n", 2, true);
    ASSERT_EQ(rig.control.ToggleLink(), 1);
    ASSERT_EQ(rig.control.ToggleLink(), 1);  // the port is back: the recording goes on
    send("$GPGGA,after*00\r\n", 1, true);
    rig.control.StopRecording();
    send("$GPGLL,stopped*00\r\n", 1, false);
    EXPECT_EQ(link_test::ReadBytes(path), sent);

    CloseHandle(peer);
    rig.control.link().Close();
    PortCount = 0;
}

}  // namespace
