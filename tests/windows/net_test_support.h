// Loopback peers for the network sources: a TCP server and a UDP sender of
// the test's own, made with Winsock in the test process. Every wait is
// bounded and every address is a loopback one.
#pragma once

#include "link/winsock_win32.h"

#include <cstdint>
#include <string>

namespace net_test {

constexpr DWORD kWaitMs = 5000;

// A TCP listener on a loopback port the system picks.
class Listener {
  public:
    // `port` 0: one the system picks; else that one (a server coming back).
    explicit Listener(int family = AF_INET, uint16_t port = 0);
    uint16_t port() const { return port_; }
    bool ok() const { return static_cast<bool>(listener_); }
    // The next client, or an empty socket after kWaitMs.
    UniqueSocket Accept();
    void Stop() { listener_.reset(); }

  private:
    UniqueSocket listener_;
    uint16_t port_ = 0;
};

// A loopback port nothing listens on (one that was just free).
uint16_t FreePort(int type);

// All of `bytes`, within kWaitMs.
bool SendAll(SOCKET s, const std::string& bytes);
// Receives until `count` bytes came, the peer closed, or kWaitMs passed.
std::string ReceiveBytes(SOCKET s, size_t count);
// Closes with a reset (RST) instead of an orderly close.
void Reset(UniqueSocket& s);

// One datagram from a fresh socket to 127.0.0.1:port.
bool SendDatagram(uint16_t port, const std::string& bytes);

}  // namespace net_test
