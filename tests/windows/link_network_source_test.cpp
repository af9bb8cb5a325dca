// The network byte sources against loopback peers of the test's own: what
// arrives, in which order, and how a close, a reset, a quiet peer, a cancel
// and a refusal read.
#include "tests/windows/net_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "link/network_sources_win32.h"
#include "link/source_address.h"
#include "tests/windows/link_test_support.h"

using linkrules::ReadResult;
using linkrules::ReadStatus;
using linkrules::SourceKind;
using linkrules::SourceSpec;
using net_test::kWaitMs;

namespace {

SourceSpec Address(const std::u16string& text) {
    linkrules::AddressParse parsed = linkrules::ParseSourceAddress(text);
    EXPECT_EQ(parsed.error, nullptr);
    return parsed.spec;
}

std::u16string Port(uint16_t port) {
    std::string digits = std::to_string(port);
    return std::u16string(digits.begin(), digits.end());
}

struct Drained {
    std::string bytes;
    ReadStatus last = ReadStatus::kSilence;  // what ended it: kSilence means time ran out
};

// Reads with a small buffer until the source reports anything but data or
// silence, or `want` bytes came and `untilEnd` is false.
Drained Drain(linkrules::ByteSource& source, size_t want, bool untilEnd) {
    Drained result;
    uint8_t buffer[512];
    DWORD start = GetTickCount();
    while (GetTickCount() - start < kWaitMs) {
        if (!untilEnd && result.bytes.size() >= want)
            break;
        ReadResult r = source.Read(buffer, sizeof(buffer));
        if (r.status == ReadStatus::kData) {
            result.bytes.append(reinterpret_cast<char*>(buffer), r.bytes);
        } else if (r.status != ReadStatus::kSilence) {
            result.last = r.status;
            break;
        }
    }
    return result;
}

std::string Narrow(const std::u16string& s) {
    return std::string(s.begin(), s.end());
}

}  // namespace

TEST(NetworkSource, TcpCaptureArrivesWholeInOrderThenTheCloseReadsLost) {
    const std::string capture =
        link_test::ReadBytes(link_test::SourcePath("tests/data/captures/mt3339.pgl"));
    ASSERT_GT(capture.size(), 4000u);
    struct Case {
        int family;
        std::u16string host;
    };
    // localhost resolves to ::1 first under some setups: the IPv4 server must still be found.
    for (const Case& c :
         {Case{AF_INET, u"127.0.0.1"}, Case{AF_INET6, u"[::1]"}, Case{AF_INET, u"localhost"}}) {
        net_test::Listener server(c.family);
        ASSERT_TRUE(server.ok()) << Narrow(c.host);
        std::thread peer([&] {
            UniqueSocket client = server.Accept();
            // Odd-sized pieces: lines cut anywhere, as a network delivers them.
            for (size_t at = 0; client && at < capture.size(); at += 777)
                net_test::SendAll(client.get(), capture.substr(at, 777));
        });
        uint32_t error = 0;
        auto source = netlink::TcpSource::Connect(
            Address(u"tcp://" + c.host + u":" + Port(server.port())), &error);
        ASSERT_TRUE(source) << "Winsock error " << error;
        Drained got = Drain(*source, 0, true);
        peer.join();
        EXPECT_EQ(got.last, ReadStatus::kLost) << Narrow(c.host);
        EXPECT_TRUE(got.bytes == capture)
            << Narrow(c.host) << ": " << got.bytes.size() << " of " << capture.size() << " bytes";
        EXPECT_TRUE(source->TakesCommands());
        EXPECT_TRUE(source->Live());
        source->Close();
    }
}

TEST(NetworkSource, TcpCommandReachesTheServerAndAResetReadsLost) {
    net_test::Listener server;
    ASSERT_TRUE(server.ok());
    const std::string command = "$PSRF101,0,0,0,000,0,0,12,4*10\r\n";
    std::string received;
    std::thread peer([&] {
        UniqueSocket client = server.Accept();
        if (!client)
            return;
        received = net_test::ReceiveBytes(client.get(), command.size());
        net_test::Reset(client);
    });
    uint32_t error = 0;
    auto source =
        netlink::TcpSource::Connect(Address(u"tcp://127.0.0.1:" + Port(server.port())), &error);
    ASSERT_TRUE(source) << "Winsock error " << error;
    EXPECT_EQ(source->Description(), u"127.0.0.1:" + Port(server.port()));
    EXPECT_TRUE(source->Write(reinterpret_cast<const uint8_t*>(command.data()), command.size()));
    Drained got = Drain(*source, 0, true);
    peer.join();
    EXPECT_EQ(received, command);
    EXPECT_EQ(got.last, ReadStatus::kLost);
    source->Close();
    EXPECT_FALSE(source->Write(reinterpret_cast<const uint8_t*>(command.data()), command.size()));
}

TEST(NetworkSource, QuietPeersReadAsSilenceUntilCancelEndsTheWait) {
    net_test::Listener server;
    ASSERT_TRUE(server.ok());
    const uint16_t udpPort = net_test::FreePort(SOCK_DGRAM);
    uint32_t error = 0;
    // Half a sentence, then nothing: the connection is held until the test is done.
    const std::string half = "$GPGGA,123519,4807.038,N";
    std::thread peer([&] {
        UniqueSocket client = server.Accept();
        net_test::SendAll(client.get(), half);
        net_test::ReceiveBytes(client.get(), 1);
    });
    linkrules::ByteSourcePtr sources[] = {
        netlink::OpenNetworkSource(Address(u"tcp://127.0.0.1:" + Port(server.port())), &error),
        netlink::OpenNetworkSource(Address(u"udp://127.0.0.1:" + Port(udpPort)), &error),
    };
    for (linkrules::ByteSourcePtr& source : sources) {
        ASSERT_TRUE(source) << "Winsock error " << error;
        if (!source->TakesCommands()) {
            ASSERT_TRUE(net_test::SendDatagram(udpPort, half));
        }
        EXPECT_EQ(Drain(*source, half.size(), false).bytes, half) << Narrow(source->Description());
        // The half line stays open only while the reads report no silence:
        // each silence must be the whole wait, even with the socket's event
        // still set by the bytes already read (about 100 ms; at least 80 ms
        // however coarse the clock).
        uint8_t buffer[64];
        for (int i = 0; i < 3; ++i) {
            const DWORD start = GetTickCount();
            EXPECT_EQ(source->Read(buffer, sizeof(buffer)).status, ReadStatus::kSilence)
                << Narrow(source->Description());
            EXPECT_GE(GetTickCount() - start, 80u) << Narrow(source->Description());
        }
        // A reader that reads on while quiet: only Cancel from here ends it.
        std::atomic<int> ended{-1};
        std::thread reader([&] {
            ReadResult r{ReadStatus::kSilence, 0};
            while (r.status == ReadStatus::kSilence)
                r = source->Read(buffer, sizeof(buffer));
            ended = static_cast<int>(r.status);
        });
        source->Cancel();
        DWORD start = GetTickCount();
        while (ended.load() < 0 && GetTickCount() - start < kWaitMs)
            Sleep(10);
        if (ended.load() < 0)
            ADD_FAILURE() << "the cancelled read of " << Narrow(source->Description())
                          << " did not return";
        reader.join();
        EXPECT_EQ(ended.load(), static_cast<int>(ReadStatus::kCancelled));
        EXPECT_EQ(source->Read(buffer, sizeof(buffer)).status, ReadStatus::kCancelled);
        source->Close();
    }
    server.Stop();
    peer.join();
}

TEST(NetworkSource, UdpDatagramsArriveWholeAndInOrderThroughSmallReads) {
    const uint16_t port = net_test::FreePort(SOCK_DGRAM);
    uint32_t error = 0;
    auto source = netlink::UdpSource::Bind(Address(u"udp://127.0.0.1:" + Port(port)), &error);
    ASSERT_TRUE(source) << "Winsock error " << error;
    EXPECT_FALSE(source->TakesCommands());
    EXPECT_FALSE(source->Write(reinterpret_cast<const uint8_t*>("x"), 1));
    std::string sent;
    // A byte, a sentence, an Ethernet frame's worth, one past the read
    // buffer's size, and one near the largest datagram there is.
    for (size_t size : {size_t{1}, size_t{82}, size_t{1472}, size_t{513}, size_t{60000}}) {
        std::string datagram;
        for (size_t i = 0; i < size; ++i)
            datagram += static_cast<char>('A' + (sent.size() + i) % 26);
        ASSERT_TRUE(net_test::SendDatagram(port, datagram)) << size;
        sent += datagram;
    }
    Drained got = Drain(*source, sent.size(), false);
    EXPECT_TRUE(got.bytes == sent) << got.bytes.size() << " of " << sent.size() << " bytes";
    uint8_t buffer[16];
    EXPECT_EQ(source->Read(buffer, sizeof(buffer)).status, ReadStatus::kSilence);
    EXPECT_EQ(source->Description(), u"udp://127.0.0.1:" + Port(port));
    source->Close();
}

TEST(NetworkSource, GpsdIsAskedForItsSentencesAndOnlyThoseArrive) {
    net_test::Listener server;
    ASSERT_TRUE(server.ok());
    const std::string sentences =
        "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
        "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";
    std::string request;
    std::thread peer([&] {
        UniqueSocket client = server.Accept();
        if (!client)
            return;
        // gpsd greets first, then answers the request; its JSON frames the sentences.
        net_test::SendAll(client.get(), "{\"class\":\"VERSION\",\"release\":\"3.22\"}\r\n");
        request = net_test::ReceiveBytes(client.get(), strlen(linkrules::kGpsdWatchRequest));
        net_test::SendAll(client.get(),
                          "{\"class\":\"DEVICES\",\"devices\":[]}\r\n{\"class\":\"WATCH\","
                          "\"enable\":true,\"nmea\":true}\r\n" +
                              sentences.substr(0, 30));
        net_test::SendAll(client.get(), sentences.substr(30) + "{\"class\":\"ERROR\"}\r\n");
    });
    uint32_t error = 0;
    auto source =
        netlink::GpsdSource::Connect(Address(u"gpsd://127.0.0.1:" + Port(server.port())), &error);
    ASSERT_TRUE(source) << "Winsock error " << error;
    Drained got = Drain(*source, 0, true);
    peer.join();
    EXPECT_EQ(request, linkrules::kGpsdWatchRequest);
    EXPECT_EQ(got.bytes, sentences);
    EXPECT_EQ(got.last, ReadStatus::kLost);
    EXPECT_FALSE(source->TakesCommands());
    source->Close();
}

TEST(NetworkSource, SourcesThatCannotOpenSayWhyInOneLine) {
    const uint16_t closed = net_test::FreePort(SOCK_STREAM);
    const uint16_t udpTaken = net_test::FreePort(SOCK_DGRAM);
    uint32_t firstError = 0;
    auto holder =
        netlink::UdpSource::Bind(Address(u"udp://127.0.0.1:" + Port(udpTaken)), &firstError);
    ASSERT_TRUE(holder) << "Winsock error " << firstError;
    struct Case {
        std::u16string address;
        std::u16string reason;
    };
    const Case cases[] = {
        {u"tcp://127.0.0.1:" + Port(closed),
         u"127.0.0.1:" + Port(closed) + u": connection refused"},
        {u"gpsd://127.0.0.1:" + Port(closed), u"connection refused"},
        // Two dots: a name the resolver refuses without asking any server.
        {u"tcp://no..such:4001", u"no..such:4001: the host name is not known"},
        {u"udp://127.0.0.1:" + Port(udpTaken), u"in use"},
    };
    for (const Case& c : cases) {
        uint32_t error = 0;
        linkrules::ByteSourcePtr source = netlink::OpenNetworkSource(Address(c.address), &error);
        EXPECT_FALSE(source) << Narrow(c.address);
        EXPECT_NE(error, 0u) << Narrow(c.address);
        std::u16string text = netlink::NetworkFailureText(Address(c.address), error);
        EXPECT_NE(text.find(c.reason), std::u16string::npos)
            << Narrow(c.address) << ": " << Narrow(text);
        EXPECT_EQ(text.find(u'\n'), std::u16string::npos) << Narrow(text);
    }
    holder->Close();
}
