#include "tests/windows/net_test_support.h"

namespace net_test {
namespace {

sockaddr_storage Loopback(int family, uint16_t port, int* length) {
    sockaddr_storage address = {};
    if (family == AF_INET6) {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&address);
        v6->sin6_family = AF_INET6;
        v6->sin6_addr = in6addr_loopback;
        v6->sin6_port = htons(port);
        *length = sizeof(sockaddr_in6);
    } else {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&address);
        v4->sin_family = AF_INET;
        v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        v4->sin_port = htons(port);
        *length = sizeof(sockaddr_in);
    }
    return address;
}

uint16_t BoundPort(SOCKET s) {
    sockaddr_storage address = {};
    int length = sizeof(address);
    getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.ss_family == AF_INET6
                     ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                     : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
}

bool Ready(SOCKET s, bool forWrite) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval limit = {kWaitMs / 1000, 0};
    return select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, nullptr, &limit) == 1;
}

}  // namespace

Listener::Listener(int family, uint16_t port) {
    netlink::WinsockReady();
    int length = 0;
    sockaddr_storage address = Loopback(family, port, &length);
    UniqueSocket s(socket(family, SOCK_STREAM, IPPROTO_TCP));
    if (!s || bind(s.get(), reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(s.get(), 4) != 0)
        return;
    port_ = BoundPort(s.get());
    listener_ = std::move(s);
}

UniqueSocket Listener::Accept() {
    if (!listener_ || !Ready(listener_.get(), false))
        return UniqueSocket();
    return UniqueSocket(accept(listener_.get(), nullptr, nullptr));
}

uint16_t FreePort(int type) {
    netlink::WinsockReady();
    int length = 0;
    sockaddr_storage address = Loopback(AF_INET, 0, &length);
    UniqueSocket s(socket(AF_INET, type, 0));
    bind(s.get(), reinterpret_cast<sockaddr*>(&address), length);
    return BoundPort(s.get());
}

bool SendAll(SOCKET s, const std::string& bytes) {
    size_t sent = 0;
    while (sent < bytes.size()) {
        if (!Ready(s, true))
            return false;
        int n = send(s, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

std::string ReceiveBytes(SOCKET s, size_t count) {
    std::string got;
    char buffer[4096];
    while (got.size() < count && Ready(s, false)) {
        int n = recv(s, buffer, sizeof(buffer), 0);
        if (n <= 0)
            break;
        got.append(buffer, static_cast<size_t>(n));
    }
    return got;
}

void Reset(UniqueSocket& s) {
    linger abort = {1, 0};
    setsockopt(s.get(), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort),
               sizeof(abort));
    s.reset();
}

bool SendDatagram(uint16_t port, const std::string& bytes) {
    int length = 0;
    sockaddr_storage address = Loopback(AF_INET, port, &length);
    UniqueSocket s(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    return s &&
           sendto(s.get(), bytes.data(), static_cast<int>(bytes.size()), 0,
                  reinterpret_cast<sockaddr*>(&address), length) == static_cast<int>(bytes.size());
}

}  // namespace net_test
