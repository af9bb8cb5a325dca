// Network addresses as the user types them ("tcp://10.0.0.7:4001",
// "udp://:10110", "gpsd://pi.local") turned into a SourceSpec, and back into
// the texts the caption and the address dialog show.
#pragma once

#include <string>
#include <string_view>

#include "link/chosen_source.h"

namespace linkrules {

constexpr uint16_t kGpsdDefaultPort = 2947;

struct AddressParse {
    SourceSpec spec;                  // kTcp, kUdp or kGpsd when error is null
    const char16_t* error = nullptr;  // the dialog's message when the text is no address
};

// Spaces around the text are ignored and the scheme may be in any case; the
// host is kept as typed (names resolve later), an IPv6 address without its
// brackets. A port is 1 to 65535: 0 would let the system pick one, which no
// receiver listens on.
AddressParse ParseSourceAddress(std::u16string_view text);

// A source that is one of these three.
inline bool IsNetworkSource(const SourceSpec& spec) {
    return spec.kind == SourceKind::kTcp || spec.kind == SourceKind::kUdp ||
           spec.kind == SourceKind::kGpsd;
}

// The port list's "Network:" entry: a network source whose address the
// dialog still has to ask for.
inline bool AsksForAddress(const SourceSpec& spec) {
    return spec.kind == SourceKind::kTcp && spec.host.empty();
}

// True when the text starts with one of the three schemes: the command line
// takes such an argument as an address, with the address's own error when
// the rest is wrong.
bool LooksLikeAddress(std::u16string_view text);

// "HOST:PORT" with an IPv6 address in brackets ("[::1]:4001", ":10110" for a
// UDP source on every address): the caption's "Waiting for HOST:PORT".
std::u16string HostPortText(const SourceSpec& spec);

// The address as it would be typed ("tcp://[::1]:4001"); empty for a
// source that is no network address.
std::u16string SourceAddressText(const SourceSpec& spec);

}  // namespace linkrules
