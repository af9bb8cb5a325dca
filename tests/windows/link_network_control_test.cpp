// The link control with network sources: the Network entry's address dialog
// (the last address offered again), the console's reason for a source that
// cannot open, receive-only sources without commands, and a connection lost
// and back, against loopback servers of the test's own.
#include "tests/windows/net_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>

#include "link/link_state_win32.h"
#include "link/port_discovery_win32.h"
#include "link/port_refresh.h"
#include "link/source_address.h"
#include "res/resource.h"
#include "tests/windows/link_test_support.h"
#include "win32/messages.h"
#include "win32/wide_text.h"

using link_test::PumpUntil;
using link_test::Rig;
using linkrules::SourceKind;
using linkrules::SourceSpec;

namespace {

constexpr char kSentence[] =
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";

std::wstring Wide(const std::u16string& s) {
    return std::wstring(s.begin(), s.end());
}

SourceSpec Spec(const std::wstring& address) {
    return linkrules::ParseSourceAddress(std::u16string(address.begin(), address.end())).spec;
}

class NetworkControl : public ::testing::Test {
  protected:
    void SetUp() override { PortCount = 0; }  // no port is needed for any of these
    void TearDown() override {
        if (rig.linkOpen != 0)
            rig.control.ToggleLink();
        EXPECT_TRUE(PumpUntil([] { return LiveLinkStates() == 0; }, link_test::kNoHangMs));
    }
    std::wstring Console() { return win_test::WindowText(rig.panel.panel.console.hwnd()); }
    bool LineArrived(const std::string& line) {
        std::u16string wanted(line.begin(), line.end());
        wanted.erase(wanted.find(u'\r'), 1);  // the framer keeps CR; compare without
        return PumpUntil(
            [&] {
                for (std::u16string got : rig.sink.lines) {
                    got.erase(std::remove(got.begin(), got.end(), u'\r'), got.end());
                    if (got == wanted)
                        return true;
                }
                return false;
            },
            link_test::kNoHangMs);
    }
    Rig rig;
};

}  // namespace

TEST_F(NetworkControl, TheNetworkEntryAsksForTheAddressAndOffersTheLastOneAgain) {
    net_test::Listener server;
    ASSERT_TRUE(server.ok());
    const std::wstring address = L"tcp://127.0.0.1:" + std::to_wstring(server.port());
    rig.panel.SetPorts({L"Network:", L"Log File:"}, 0);
    std::string received;
    std::thread peer([&] {
        UniqueSocket client = server.Accept();
        net_test::SendAll(client.get(), kSentence);
        received = net_test::ReceiveBytes(client.get(), 13);  // "$PMTK605*31\r\n"
        net_test::ReceiveBytes(client.get(), 1);              // until the viewer closes
    });
    {
        link_test::AddressAnswer answer({L"tcp://127.0.0.1:0", address});
        EXPECT_EQ(rig.control.ToggleLink(), 1);
        answer.Finish();
        EXPECT_EQ(answer.offered, L"tcp://");
        ASSERT_EQ(answer.errors.size(), 2u);
        EXPECT_NE(answer.errors[0], L"");
    }
    EXPECT_EQ(rig.linkOpen, 1);
    EXPECT_EQ(rig.panel.panel.LinkReceivesOnly, 0);
    EXPECT_TRUE(LineArrived(kSentence));
    // Commands go to the connection, as to a port.
    EXPECT_EQ(rig.control.OnReceiverCommand(UM_QUERY_VERSION), 1);
    EXPECT_EQ(rig.control.ToggleLink(), 1);
    peer.join();
    EXPECT_EQ(received, "$PMTK605*31\r\n");

    // Cancelled: nothing opens, nothing is said, and the address was offered again.
    link_test::AddressAnswer again({}, true);
    EXPECT_EQ(rig.control.ToggleLink(), kToggleAnswered);
    again.Finish();
    EXPECT_EQ(again.offered, address);
    EXPECT_EQ(rig.linkOpen, 0);
}

TEST_F(NetworkControl, ASourceThatCannotOpenSaysWhyInOneConsoleLine) {
    const std::wstring closed = std::to_wstring(net_test::FreePort(SOCK_STREAM));
    const struct {
        std::wstring address;
        std::wstring console;
    } rows[] = {
        {L"tcp://127.0.0.1:" + closed,
         L"Connection ERROR!! 127.0.0.1:" + closed + L": connection refused (10061)"},
        {L"gpsd://[::1]:" + closed,
         L"Connection ERROR!! [::1]:" + closed + L": connection refused (10061)"},
        {L"tcp://no..such:4001",
         L"Connection ERROR!! no..such:4001: the host name is not known (11001)"},
    };
    for (const auto& row : rows) {
        rig.panel.panel.console.ShowOnly(L"before");
        rig.panel.panel.ShowToggled(rig.control.OpenChosen(Spec(row.address)));
        EXPECT_EQ(Console(), row.console);
        EXPECT_EQ(rig.linkOpen, 0);
        EXPECT_EQ(win_test::ItemText(rig.panel.hwnd(), IDC_START_GPS), L"Start GPS");
    }
}

TEST_F(NetworkControl, ReceiveOnlySourcesHaveNoCommandsAndSaySoOnce) {
    const uint16_t port = net_test::FreePort(SOCK_DGRAM);
    rig.panel.panel.ShowToggled(
        rig.control.OpenChosen(Spec(L"udp://127.0.0.1:" + std::to_wstring(port))));
    ASSERT_EQ(rig.linkOpen, 1);
    EXPECT_EQ(rig.panel.panel.LinkReceivesOnly, 1);
    const std::wstring note = Wide(linkrules::kNoCommandsNote).substr(0, 40);
    EXPECT_NE(Console().find(note), std::wstring::npos) << std::string(note.begin(), note.end());
    for (int id : {IDC_COLD_START, IDC_FACTORY_RESET, IDC_SEND, IDC_VTG, IDC_GET_VERSION})
        EXPECT_FALSE(IsWindowEnabled(rig.panel.Item(id))) << id;
    EXPECT_TRUE(IsWindowEnabled(rig.panel.Item(IDC_START_GPS)));
    ASSERT_TRUE(net_test::SendDatagram(port, kSentence));
    EXPECT_TRUE(LineArrived(kSentence));
    size_t first = Console().find(note);
    EXPECT_EQ(Console().find(note, first + 1), std::wstring::npos);
}

TEST_F(NetworkControl, ADroppedConnectionIsLostWaitedForAndBack) {
    auto server = std::make_unique<net_test::Listener>();
    ASSERT_TRUE(server->ok());
    const uint16_t port = server->port();
    std::thread first([&] {
        UniqueSocket client = server->Accept();
        net_test::SendAll(client.get(), kSentence);
        // Closes the connection when the thread ends.
    });
    EXPECT_EQ(rig.control.OpenChosen(Spec(L"tcp://127.0.0.1:" + std::to_wstring(port))), 1);
    first.join();
    server.reset();  // the server gone as well: the retry finds nothing at first
    ASSERT_TRUE(PumpUntil([&] { return !rig.sink.portsLost.empty(); }, link_test::kNoHangMs))
        << "the reader never reported the connection lost";
    rig.control.OnPortLost(rig.sink.portsLost.back());
    ASSERT_FALSE(rig.host.notes.empty());
    EXPECT_EQ(rig.host.notes.back(), linkrules::kConnectionLostNote);
    EXPECT_EQ(win_test::WindowText(rig.sink.hwnd()),
              L"Skyloom  Waiting for 127.0.0.1:" + std::to_wstring(port));
    rig.control.RetryLostPort();  // refused: still waiting
    EXPECT_FALSE(rig.control.link().IsOpen());

    net_test::Listener back(AF_INET, port);
    ASSERT_TRUE(back.ok());
    std::thread second([&] {
        UniqueSocket client = back.Accept();
        net_test::SendAll(client.get(), kSentence);
        net_test::ReceiveBytes(client.get(), 1);
    });
    rig.control.RetryLostPort();
    EXPECT_TRUE(rig.control.link().IsOpen());
    EXPECT_EQ(rig.host.notes.back(), linkrules::kConnectionBackNote);
    rig.sink.lines.clear();
    EXPECT_TRUE(LineArrived(kSentence));
    rig.control.ToggleLink();
    second.join();
}
