#include <climits>

#include "link/network_sources_win32.h"
#include "link/source_address.h"

using linkrules::ReadResult;
using linkrules::ReadStatus;

namespace netlink {
namespace {

// A non-blocking connect, waited for until `deadline`: the open must never
// hang on a host that does not answer. Returns 0 or the Winsock error.
int ConnectBounded(SOCKET s, const ADDRINFOW* address, DWORD deadline) {
    u_long nonBlocking = 1;
    if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0)
        return WSAGetLastError();
    if (connect(s, address->ai_addr, static_cast<int>(address->ai_addrlen)) == 0)
        return 0;
    int error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK)
        return error;
    long left = static_cast<long>(deadline - GetTickCount());
    if (left < 0)
        left = 0;
    fd_set writable;
    fd_set failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(s, &writable);
    FD_SET(s, &failed);
    timeval limit = {left / 1000, (left % 1000) * 1000};
    if (select(0, nullptr, &writable, &failed, &limit) <= 0)
        return WSAETIMEDOUT;
    int soError = 0;
    int length = sizeof(soError);
    getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &length);
    if (soError != 0)
        return soError;
    return FD_ISSET(s, &failed) ? WSAECONNREFUSED : 0;
}

}  // namespace

TcpSource::TcpSource(linkrules::SourceSpec spec, UniqueSocket socket)
    : spec_(std::move(spec)), socket_(std::move(socket)) {}

std::unique_ptr<TcpSource> TcpSource::Connect(const linkrules::SourceSpec& spec, uint32_t* error) {
    UniqueAddrInfo found = Resolve(spec, SOCK_STREAM, false, error);
    if (!found)
        return nullptr;
    // "localhost" gives ::1 and 127.0.0.1: a server on either one is found.
    int lastError = WSAECONNREFUSED;
    DWORD deadline = GetTickCount() + kConnectWaitMs;
    for (const ADDRINFOW* a = found.get(); a; a = a->ai_next) {
        UniqueSocket s(socket(a->ai_family, a->ai_socktype, a->ai_protocol));
        if (!s) {
            lastError = static_cast<int>(LastSocketError());
            continue;
        }
        lastError = ConnectBounded(s.get(), a, deadline);
        if (lastError != 0)
            continue;
        // Commands are a line each: sent at once, not held for more.
        BOOL noDelay = TRUE;
        setsockopt(s.get(), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                   sizeof(noDelay));
        std::unique_ptr<TcpSource> source(new TcpSource(spec, std::move(s)));
        if (!source->wait_.Attach(source->socket_.get(), FD_READ | FD_CLOSE)) {
            lastError = static_cast<int>(LastSocketError());
            continue;
        }
        return source;
    }
    *error = static_cast<uint32_t>(lastError);
    return nullptr;
}

ReadResult TcpSource::Read(uint8_t* buffer, size_t capacity) {
    if (!socket_)
        return {ReadStatus::kLost, 0};
    int want = static_cast<int>(capacity < INT_MAX ? capacity : INT_MAX);
    const DWORD start = GetTickCount();
    for (;;) {
        if (wait_.Cancelled())
            return {ReadStatus::kCancelled, 0};
        int n = recv(socket_.get(), reinterpret_cast<char*>(buffer), want, 0);
        if (n > 0)
            return {ReadStatus::kData, static_cast<size_t>(n)};
        // 0: the other side closed; an error but "nothing yet": reset, aborted.
        if (n == 0 || WSAGetLastError() != WSAEWOULDBLOCK)
            return {ReadStatus::kLost, 0};
        const ReadStatus next = wait_.Rest(socket_.get(), start);
        if (next != ReadStatus::kData)
            return {next, 0};
    }
}

bool TcpSource::Write(const uint8_t* bytes, size_t count) {
    constexpr DWORD kWriteWaitMs = 1000;
    DWORD start = GetTickCount();
    size_t sent = 0;
    while (socket_ && sent < count) {
        int chunk = static_cast<int>(count - sent < INT_MAX ? count - sent : INT_MAX);
        int n = send(socket_.get(), reinterpret_cast<const char*>(bytes + sent), chunk, 0);
        if (n > 0) {
            sent += static_cast<size_t>(n);
            continue;
        }
        if (WSAGetLastError() != WSAEWOULDBLOCK || GetTickCount() - start > kWriteWaitMs)
            return false;
        // The peer's window is full; a command is small, so this is rare and short.
        Sleep(5);
    }
    return socket_ && sent == count;
}

std::u16string TcpSource::Description() const {
    return linkrules::HostPortText(spec_);
}

std::u16string NetworkFailureText(const linkrules::SourceSpec& spec, uint32_t error) {
    return linkrules::HostPortText(spec) + u": " + SocketErrorText(static_cast<int>(error));
}

linkrules::ByteSourcePtr OpenNetworkSource(const linkrules::SourceSpec& spec, uint32_t* error) {
    switch (spec.kind) {
        case linkrules::SourceKind::kTcp:
            return TcpSource::Connect(spec, error);
        case linkrules::SourceKind::kUdp:
            return UdpSource::Bind(spec, error);
        case linkrules::SourceKind::kGpsd:
            return GpsdSource::Connect(spec, error);
        default:
            *error = WSAEAFNOSUPPORT;
            return nullptr;
    }
}

}  // namespace netlink
