// The simulated receiver on the network: a TCP server or a UDP sender. The
// same BSD socket calls on both platforms; the few differences are here.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#endif

#include "tools/skyloom_sim/sim_platform.h"

namespace sim {
namespace {

#ifdef _WIN32
using Socket = SOCKET;
const Socket kNoSocket = INVALID_SOCKET;
constexpr int kSendFlags = 0;
int SocketError() {
    return WSAGetLastError();
}
bool WouldBlock(int e) {
    return e == WSAEWOULDBLOCK;
}
// A datagram's ICMP "port unreachable" comes back as a reset on Windows.
bool Refused(int e) {
    return e == WSAECONNRESET || e == WSAECONNREFUSED;
}
void CloseSocket(Socket s) {
    closesocket(s);
}
bool NonBlocking(Socket s) {
    u_long one = 1;
    return ioctlsocket(s, FIONBIO, &one) == 0;
}
bool StartNetwork() {
    static WSADATA data;
    static const bool ready = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    return ready;
}
std::string ErrorText(int e) {
    return "Winsock error " + std::to_string(e);
}
#else
using Socket = int;
const Socket kNoSocket = -1;
// A client that left must not end the simulator with SIGPIPE.
constexpr int kSendFlags = MSG_NOSIGNAL;
int SocketError() {
    return errno;
}
bool WouldBlock(int e) {
    return e == EAGAIN || e == EWOULDBLOCK || e == EINTR;
}
bool Refused(int e) {
    return e == ECONNREFUSED;
}
void CloseSocket(Socket s) {
    ::close(s);
}
bool NonBlocking(Socket s) {
    return ::fcntl(s, F_SETFL, ::fcntl(s, F_GETFL) | O_NONBLOCK) == 0;
}
bool StartNetwork() {
    return true;
}
std::string ErrorText(int e) {
    return std::strerror(e);
}
#endif

class OwnedSocket {
  public:
    OwnedSocket() = default;
    explicit OwnedSocket(Socket s) : s_(s) {}
    ~OwnedSocket() { Reset(); }
    OwnedSocket(const OwnedSocket&) = delete;
    OwnedSocket& operator=(const OwnedSocket&) = delete;
    Socket get() const { return s_; }
    bool valid() const { return s_ != kNoSocket; }
    Socket Release() {
        Socket s = s_;
        s_ = kNoSocket;
        return s;
    }
    void Reset(Socket s = kNoSocket) {
        if (s_ != kNoSocket)
            CloseSocket(s_);
        s_ = s;
    }

  private:
    Socket s_ = kNoSocket;
};

class TcpServer : public Device {
  public:
    explicit TcpServer(Socket listener) : listener_(listener) {}

    long Write(const char* data, size_t size) override {
        TakeClient();
        if (!client_.valid())
            return static_cast<long>(size);  // nobody listens: the sentences go nowhere
        const long n =
            static_cast<long>(::send(client_.get(), data, static_cast<int>(size), kSendFlags));
        if (n >= 0)
            return n;
        if (WouldBlock(SocketError()))
            return 0;
        client_.Reset();
        return static_cast<long>(size);
    }

    long Read(char* data, size_t size) override {
        TakeClient();
        if (!client_.valid())
            return 0;
        const long n = static_cast<long>(::recv(client_.get(), data, static_cast<int>(size), 0));
        if (n > 0)
            return n;
        if (n == 0 || !WouldBlock(SocketError()))
            client_.Reset();  // the client left: the next one may come
        return 0;
    }

    std::string LastError() const override { return "the TCP server failed"; }
    bool HasPeer() override {
        TakeClient();
        return client_.valid();
    }

  private:
    // One client at a time: a second one is closed at once, so it sees a
    // refusal rather than a connection that never says anything.
    void TakeClient() {
        for (;;) {
            Socket s = ::accept(listener_.get(), nullptr, nullptr);
            if (s == kNoSocket)
                return;
            if (client_.valid() || !NonBlocking(s)) {
                CloseSocket(s);
                continue;
            }
            client_.Reset(s);
        }
    }
    OwnedSocket listener_;
    OwnedSocket client_;
};

class UdpSender : public Device {
  public:
    explicit UdpSender(Socket s) : socket_(s) {}

    long Write(const char* data, size_t size) override {
        const long n =
            static_cast<long>(::send(socket_.get(), data, static_cast<int>(size), kSendFlags));
        if (n >= 0)
            return n;
        const int e = SocketError();
        if (WouldBlock(e))
            return 0;
        // Nobody on that port (yet): a datagram is sent all the same.
        if (Refused(e))
            return static_cast<long>(size);
        error_ = e;
        return -1;
    }
    long Read(char*, size_t) override { return 0; }
    std::string LastError() const override { return ErrorText(error_); }

  private:
    OwnedSocket socket_;
    int error_ = 0;
};

}  // namespace

std::unique_ptr<Device> OpenTcpServer(long port, std::string* error) {
    if (!StartNetwork()) {
        *error = "the network could not be started";
        return nullptr;
    }
    // Loopback only: a simulator is for this computer's viewer and tests,
    // and offers nothing to the network around it.
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<unsigned short>(port));
    OwnedSocket s(::socket(AF_INET, SOCK_STREAM, 0));
#ifndef _WIN32
    int one = 1;
    ::setsockopt(s.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof(one));
#endif
    if (!s.valid() ||
        ::bind(s.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::listen(s.get(), 4) != 0 || !NonBlocking(s.get())) {
        *error = "TCP port " + std::to_string(port) + ": " + ErrorText(SocketError());
        return nullptr;
    }
    return std::make_unique<TcpServer>(s.Release());
}

std::unique_ptr<Device> OpenUdpSender(const std::string& hostPort, std::string* error) {
    if (!StartNetwork()) {
        *error = "the network could not be started";
        return nullptr;
    }
    const size_t colon = hostPort.rfind(':');
    std::string host = hostPort.substr(0, colon);
    const std::string port = hostPort.substr(colon + 1);
    if (host.size() > 2 && host.front() == '[' && host.back() == ']')
        host = host.substr(1, host.size() - 2);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0 || !found) {
        *error = hostPort + ": the host name is not known";
        return nullptr;
    }
    OwnedSocket s(::socket(found->ai_family, found->ai_socktype, found->ai_protocol));
    const bool connected =
        s.valid() && ::connect(s.get(), found->ai_addr, static_cast<int>(found->ai_addrlen)) == 0 &&
        NonBlocking(s.get());
    ::freeaddrinfo(found);
    if (!connected) {
        *error = hostPort + ": " + ErrorText(SocketError());
        return nullptr;
    }
    return std::make_unique<UdpSender>(s.Release());
}

}  // namespace sim
