#include <cstring>

#include "link/network_sources_win32.h"
#include "link/source_address.h"

using linkrules::ReadResult;
using linkrules::ReadStatus;

namespace netlink {

// 65507 is the most an IPv4 datagram carries; a power of two above it.
constexpr size_t kDatagramUnits = 65536;

UdpSource::UdpSource(linkrules::SourceSpec spec, UniqueSocket socket)
    : spec_(std::move(spec)), socket_(std::move(socket)), datagram_(kDatagramUnits) {}

std::unique_ptr<UdpSource> UdpSource::Bind(const linkrules::SourceSpec& spec, uint32_t* error) {
    UniqueAddrInfo found = Resolve(spec, SOCK_DGRAM, true, error);
    if (!found)
        return nullptr;
    const ADDRINFOW* a = found.get();
    UniqueSocket s(socket(a->ai_family, a->ai_socktype, a->ai_protocol));
    if (!s || bind(s.get(), a->ai_addr, static_cast<int>(a->ai_addrlen)) != 0) {
        *error = LastSocketError();
        return nullptr;
    }
    std::unique_ptr<UdpSource> source(new UdpSource(spec, std::move(s)));
    if (!source->wait_.Attach(source->socket_.get(), FD_READ)) {
        *error = LastSocketError();
        return nullptr;
    }
    return source;
}

ReadResult UdpSource::Read(uint8_t* buffer, size_t capacity) {
    if (!socket_)
        return {ReadStatus::kLost, 0};
    const DWORD start = GetTickCount();
    for (;;) {
        if (wait_.Cancelled())
            return {ReadStatus::kCancelled, 0};
        if (pendingAt_ < pendingEnd_) {
            size_t n = pendingEnd_ - pendingAt_ < capacity ? pendingEnd_ - pendingAt_ : capacity;
            std::memcpy(buffer, datagram_.data() + pendingAt_, n);
            pendingAt_ += n;
            return {ReadStatus::kData, n};
        }
        int n = recvfrom(socket_.get(), reinterpret_cast<char*>(datagram_.data()),
                         static_cast<int>(datagram_.size()), 0, nullptr, nullptr);
        if (n > 0) {
            pendingAt_ = 0;
            pendingEnd_ = static_cast<size_t>(n);
            continue;
        }
        if (n < 0) {
            int e = WSAGetLastError();
            // A datagram socket has no connection to lose: an ICMP "port
            // unreachable" surfaces on Windows as a reset, and is only news.
            if (e != WSAEWOULDBLOCK && e != WSAECONNRESET && e != WSAEMSGSIZE)
                return {ReadStatus::kLost, 0};
        }
        const ReadStatus next = wait_.Rest(socket_.get(), start);
        if (next != ReadStatus::kData)
            return {next, 0};
    }
}

std::u16string UdpSource::Description() const {
    return linkrules::SourceAddressText(spec_);
}

}  // namespace netlink
