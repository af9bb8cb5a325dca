#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "link/baud_rates.h"
#include "link/command_line.h"
#include "link/gpsd_stream.h"
#include "link/source_address.h"

using linkrules::SourceKind;
using linkrules::SourceSpec;

namespace {

std::string Narrow(const std::u16string& s) {
    return std::string(s.begin(), s.end());
}

SourceSpec Net(SourceKind kind, std::u16string host, uint16_t port) {
    SourceSpec spec;
    spec.kind = kind;
    spec.host = std::move(host);
    spec.port = port;
    return spec;
}

struct AddressCase {
    std::u16string text;
    SourceSpec spec;         // kind kNone: refused
    std::u16string message;  // a word the refusal must hold
};

}  // namespace

TEST(SourceAddress, AddressesParseOrAreRefusedWithTheirReason) {
    const AddressCase cases[] = {
        {u"tcp://192.168.1.20:4001", Net(SourceKind::kTcp, u"192.168.1.20", 4001), u""},
        {u"  TCP://Rover.local:1  ", Net(SourceKind::kTcp, u"Rover.local", 1), u""},
        {u"tcp://[::1]:65535", Net(SourceKind::kTcp, u"::1", 65535), u""},
        {u"tcp://[fe80::1%eth0]:4001", Net(SourceKind::kTcp, u"fe80::1%eth0", 4001), u""},
        {u"tcp://host:04001", Net(SourceKind::kTcp, u"host", 4001), u""},
        {u"udp://:10110", Net(SourceKind::kUdp, u"", 10110), u""},
        {u"udp://127.0.0.1:10110", Net(SourceKind::kUdp, u"127.0.0.1", 10110), u""},
        {u"udp://[::1]:10110", Net(SourceKind::kUdp, u"::1", 10110), u""},
        {u"gpsd://pi", Net(SourceKind::kGpsd, u"pi", 2947), u""},
        {u"gpsd://[::1]", Net(SourceKind::kGpsd, u"::1", 2947), u""},
        {u"gpsd://pi:12947", Net(SourceKind::kGpsd, u"pi", 12947), u""},
        // Ports out of range, missing, or not a number.
        {u"tcp://host:0", {}, u"1 to 65535"},
        {u"tcp://host:65536", {}, u"1 to 65535"},
        {u"tcp://host:99999999999", {}, u"1 to 65535"},
        {u"tcp://host:-1", {}, u"1 to 65535"},
        {u"tcp://host:+80", {}, u"1 to 65535"},
        {u"tcp://host", {}, u"no port"},
        {u"tcp://host:", {}, u"no port"},
        {u"udp://", {}, u"no port"},
        {u"gpsd://pi:", {}, u"no port"},
        // Empty hosts: UDP alone may leave it out.
        {u"tcp://:4001", {}, u"no host"},
        {u"gpsd://", {}, u"no host"},
        {u"gpsd://:2947", {}, u"no host"},
        // IPv6 without or with broken brackets, brackets around no IPv6.
        {u"tcp://::1:4001", {}, u"brackets"},
        {u"tcp://[::1:4001", {}, u"brackets"},
        {u"tcp://[10.0.0.1]:4001", {}, u"brackets"},
        {u"tcp://[]:4001", {}, u"brackets"},
        // Stray text.
        {u"tcp://host:4001/path", {}, u"after its port"},
        {u"tcp://host:4001 x", {}, u"after its port"},
        {u"tcp://[::1]x:4001", {}, u"after its port"},
        {u"tcp://host/x:4001", {}, u"after its port"},
        {u"tcp://user@host:4001", {}, u"character"},
        {u"tcp://[::1;]:4001", {}, u"character"},
        {u"tcp://" + std::u16string(254, u'a') + u":1", {}, u"253"},
        // Not one of the schemes.
        {u"", {}, u"tcp://HOST:PORT"},
        {u"http://host:80", {}, u"tcp://HOST:PORT"},
        {u"tcp:/host:80", {}, u"tcp://HOST:PORT"},
        {u"192.168.1.20:4001", {}, u"tcp://HOST:PORT"},
    };
    for (const AddressCase& c : cases) {
        linkrules::AddressParse got = linkrules::ParseSourceAddress(c.text);
        if (c.spec.kind == SourceKind::kNone) {
            ASSERT_NE(got.error, nullptr) << Narrow(c.text);
            EXPECT_NE(std::u16string(got.error).find(c.message), std::u16string::npos)
                << Narrow(c.text) << ": " << Narrow(got.error);
            EXPECT_EQ(got.spec.kind, SourceKind::kNone) << Narrow(c.text);
        } else {
            EXPECT_EQ(got.error, nullptr) << Narrow(c.text) << ": " << Narrow(got.error);
            EXPECT_TRUE(got.spec == c.spec) << Narrow(c.text);
            // What the dialog offers again must read back as the same source.
            std::u16string again = linkrules::SourceAddressText(got.spec);
            EXPECT_TRUE(linkrules::ParseSourceAddress(again).spec == got.spec) << Narrow(again);
        }
    }
}

TEST(SourceAddress, CaptionNamesHostAndPortWithIPv6InBrackets) {
    EXPECT_EQ(linkrules::HostPortText(Net(SourceKind::kTcp, u"::1", 4001)), u"[::1]:4001");
    EXPECT_EQ(linkrules::HostPortText(Net(SourceKind::kGpsd, u"pi", 2947)), u"pi:2947");
    EXPECT_EQ(linkrules::HostPortText(Net(SourceKind::kUdp, u"", 10110)), u":10110");
}

namespace {

struct CommandLineCase {
    std::vector<std::u16string> args;
    SourceSpec source;
    uint32_t baud;           // the rate the baud list is set to
    std::u16string message;  // empty: accepted; else a word of the message box
};

SourceSpec Port(std::u16string device, uint32_t baud) {
    SourceSpec spec;
    spec.kind = SourceKind::kPort;
    spec.device = std::move(device);
    spec.baud = baud;
    return spec;
}

SourceSpec Recording(std::u16string path) {
    SourceSpec spec;
    spec.kind = SourceKind::kRecording;
    spec.device = std::move(path);
    return spec;
}

}  // namespace

TEST(CommandLine, ArgumentsChooseTheSourceOrSayWhatIsAccepted) {
    const CommandLineCase cases[] = {
        {{}, {}, 4800, u""},
        {{u"COM5"}, Port(u"\\\\.\\COM5", 4800), 4800, u""},
        {{u"com12", u"--baud", u"921600"}, Port(u"\\\\.\\COM12", 921600), 921600, u""},
        {{u"--baud", u"115200", u"COM3"}, Port(u"\\\\.\\COM3", 115200), 115200, u""},
        {{u"\\\\.\\COM255"}, Port(u"\\\\.\\COM255", 4800), 4800, u""},
        {{u"--baud", u"230400"}, {}, 230400, u""},
        {{u"C:\\Users\\me\\drive.PGL"}, Recording(u"C:\\Users\\me\\drive.PGL"), 4800, u""},
        {{u"capture.nmea"}, Recording(u"capture.nmea"), 4800, u""},
        {{u"tcp://[::1]:4001"}, Net(SourceKind::kTcp, u"::1", 4001), 4800, u""},
        {{u"gpsd://localhost", u"--baud", u"9600"},
         Net(SourceKind::kGpsd, u"localhost", 2947),
         9600,
         u""},
        // Refused: the window starts as without arguments.
        {{u"COM0"}, {}, 4800, u"\"COM0\""},
        {{u"COM256"}, {}, 4800, u"COM5"},
        {{u"COM05"}, {}, 4800, u"COM5"},
        {{u"COM"}, {}, 4800, u"COM5"},
        {{u"report.doc"}, {}, 4800, u"a recording"},
        {{u".pgl"}, {}, 4800, u"a recording"},
        {{u"-x"}, {}, 4800, u"SOURCE"},
        {{u"tcp://host:70000"}, {}, 4800, u"1 to 65535"},
        {{u"COM5", u"--baud", u"250000"}, {}, 4800, u"not one of the rates"},
        {{u"COM5", u"--baud", u"9600x"}, {}, 4800, u"not one of the rates"},
        {{u"COM5", u"--baud", u"99999999999"}, {}, 4800, u"not one of the rates"},
        {{u"COM5", u"--baud"}, {}, 4800, u"needs a rate"},
        {{u"--baud", u"9600", u"--baud", u"4800"}, {}, 4800, u"twice"},
        {{u"COM5", u"COM6"}, {}, 4800, u"Only one source"},
    };
    for (const CommandLineCase& c : cases) {
        std::string name;
        for (const std::u16string& a : c.args)
            name += Narrow(a) + " ";
        linkrules::CommandLineChoice got = linkrules::ParseCommandLine(c.args);
        EXPECT_TRUE(got.source == c.source) << name;
        EXPECT_EQ(linkrules::kBaudRates[got.baudIndex], c.baud) << name;
        if (c.message.empty()) {
            EXPECT_TRUE(got.error.empty()) << name << ": " << Narrow(got.error);
        } else {
            EXPECT_NE(got.error.find(c.message), std::u16string::npos)
                << name << ": " << Narrow(got.error);
            EXPECT_NE(got.error.find(u"[--baud N]"), std::u16string::npos) << name;
        }
    }
}

namespace {

// What gpsd sends around the relayed sentences after ?WATCH with nmea true.
const std::string kGpsdSession =
    "{\"class\":\"VERSION\",\"release\":\"3.22\",\"proto_major\":3,\"proto_minor\":14}\r\n"
    "{\"class\":\"DEVICES\",\"devices\":[{\"class\":\"DEVICE\",\"path\":\"/dev/ttyS0\"}]}\r\n"
    "{\"class\":\"WATCH\",\"enable\":true,\"json\":false,\"nmea\":true}\r\n"
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
    "{\"class\":\"ERROR\",\"message\":\"a {brace} and $GPGGA inside\"}\r\n"
    "\r\n"
    "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"
    "!AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*24\r\n"
    "$GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00*74\r\n"
    "  {not at a line start}\r\n";
const std::string kNmeaOfSession =
    "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n"
    "\r\n"
    "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n"
    "!AIVDM,1,1,,A,13u?etPv2;0n:dDPwUM1U1Cb069D,0*24\r\n"
    "$GPGSV,3,1,11,03,03,111,00,04,15,270,00,06,01,010,00,13,06,292,00*74\r\n"
    "  {not at a line start}\r\n";

std::string FilterInPieces(const std::string& stream, size_t piece) {
    linkrules::GpsdStreamFilter filter;
    std::string out;
    for (size_t at = 0; at < stream.size(); at += piece) {
        std::string chunk = stream.substr(at, piece);
        size_t kept = filter.Filter(reinterpret_cast<uint8_t*>(&chunk[0]), chunk.size());
        out.append(chunk, 0, kept);
    }
    return out;
}

}  // namespace

TEST(GpsdStream, OnlyTheRelayedLinesPassHoweverTheStreamIsCut) {
    // 1: every byte its own read (a brace or line feed at a cut); 7 and 64:
    // objects and sentences split mid-way; the whole session in one read.
    for (size_t piece : {size_t{1}, size_t{7}, size_t{64}, kGpsdSession.size()})
        EXPECT_EQ(FilterInPieces(kGpsdSession, piece), kNmeaOfSession) << "pieces of " << piece;
    EXPECT_EQ(std::string(linkrules::kGpsdWatchRequest).back(), '\n');
}
