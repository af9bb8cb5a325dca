// The raw recording on a real serial port (tests/windows/link_port_test.sh
// maps the pseudo-terminal pair; skipped without it): exactly what the
// receiver sent while it ran, across a close and reopen of the port.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

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
    // Sends a piece and waits for the last line it delivers, by its text: a
    // line of the piece still on its way when the port closes would otherwise
    // be taken for the next piece's, and that piece stopped short.
    auto send = [&](const std::string& bytes, bool recorded) {
        const size_t from = rig.sink.lines.size();
        DWORD written = 0;
        WriteFile(peer, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        sent += recorded ? bytes : "";
        EXPECT_TRUE(link_test::AwaitLine(rig.sink, link_test::ExpectedLines(bytes).back(), from));
    };

    ASSERT_EQ(rig.control.ToggleLink(), 1);
    send("$GPGLL,before*00\r\n", false);
    ASSERT_TRUE(rig.control.RecordTo(path.c_str()));
    // High bytes, a line too long to deliver and one without CR: the lines
    // lose the long one's first 512 characters, the recording keeps all.
    send("$GPTXT,\xB0\xFF\x80*00\r\n" + std::string(600, 'X') + "\r\nno CR\n", true);
    ASSERT_EQ(rig.control.ToggleLink(), 1);
    ASSERT_EQ(rig.control.ToggleLink(), 1);  // the port is back: the recording goes on
    send("$GPGGA,after*00\r\n", true);
    rig.control.StopRecording();
    send("$GPGLL,stopped*00\r\n", false);
    EXPECT_EQ(link_test::ReadBytes(path), sent);
    // Nothing lost, doubled or reordered across the close and reopen.
    EXPECT_EQ(rig.sink.lines, (std::vector<std::u16string>{
                                  u"$GPGLL,before*00\r\n", u"$GPTXT,\xFFB0\xFFFF\xFF80*00\r\n",
                                  std::u16string(88, u'X') + u"\r\n", u"no CR\n",
                                  u"$GPGGA,after*00\r\n", u"$GPGLL,stopped*00\r\n"}));

    CloseHandle(peer);
    rig.control.link().Close();
    PortCount = 0;
}

}  // namespace
