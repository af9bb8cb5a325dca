// A source as the user chose it, as a typed value: the setup panel builds it
// from the port list (or the command line from its argument) and the link
// opens it. Nothing downstream cuts texts at ':' to find out what it means.
#pragma once

#include <cstdint>
#include <string>

namespace linkrules {

enum class SourceKind : uint8_t {
    kNone,       // nothing that can be opened (an unusable list entry)
    kPort,       // a serial port: `device` is "\\.\COM5", `baud` its rate
    kRecording,  // a file played back: `device` is its path; empty: ask for one
    kTcp,        // a TCP client of `host`:`port`; no host: the address is still to be asked
    kUdp,        // datagrams to `port`, bound to `host` (empty: every address)
    kGpsd,       // gpsd at `host`:`port` (2947 unless given)
};

struct SourceSpec {
    SourceKind kind = SourceKind::kNone;
    std::u16string device;  // kPort, kRecording
    uint32_t baud = 0;      // kPort
    std::u16string host;    // kTcp, kUdp, kGpsd: a name, IPv4 or IPv6 address (no brackets)
    uint16_t port = 0;      // kTcp, kUdp, kGpsd

    bool operator==(const SourceSpec& o) const {
        return kind == o.kind && device == o.device && baud == o.baud && host == o.host &&
               port == o.port;
    }
};

}  // namespace linkrules
