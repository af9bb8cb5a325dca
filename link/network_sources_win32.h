// Receivers on the network as byte sources: a TCP client (ser2net, a WiFi
// bridge, a phone app), UDP datagrams, and gpsd's relay of its receiver's
// sentences. Each Read waits at most about 100 ms, Cancel ends it from any
// thread, a connection the other side closed or reset reads as kLost and a
// quiet one as kSilence.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "link/byte_source.h"
#include "link/chosen_source.h"
#include "link/gpsd_stream.h"
#include "link/winsock_win32.h"

namespace netlink {

// The longest an open waits for a connection to be accepted. Loopback and a
// LAN answer in milliseconds; a host that never answers is reported after it.
constexpr DWORD kConnectWaitMs = 3000;

// Opens a kTcp, kUdp or kGpsd source; nullptr with `error` set to the
// Winsock error of the step that failed (never 0).
linkrules::ByteSourcePtr OpenNetworkSource(const linkrules::SourceSpec& spec, uint32_t* error);

// The console's reason for such an error: "127.0.0.1:4001: connection
// refused (10061)".
std::u16string NetworkFailureText(const linkrules::SourceSpec& spec, uint32_t error);

class TcpSource : public linkrules::ByteSource {
  public:
    static std::unique_ptr<TcpSource> Connect(const linkrules::SourceSpec& spec, uint32_t* error);

    linkrules::ReadResult Read(uint8_t* buffer, size_t capacity) override;
    // The whole command or false; gives up after about a second of a peer
    // that takes nothing.
    bool Write(const uint8_t* bytes, size_t count) override;
    void Cancel() override { wait_.Cancel(); }
    void Close() override { socket_.reset(); }
    std::u16string Description() const override;
    bool Live() const override { return true; }
    bool TakesCommands() const override { return true; }

  private:
    TcpSource(linkrules::SourceSpec spec, UniqueSocket socket);
    linkrules::SourceSpec spec_;
    UniqueSocket socket_;
    SocketWait wait_;
};

class UdpSource : public linkrules::ByteSource {
  public:
    static std::unique_ptr<UdpSource> Bind(const linkrules::SourceSpec& spec, uint32_t* error);

    // A datagram larger than `capacity` is handed out over several reads:
    // its bytes all arrive, in order.
    linkrules::ReadResult Read(uint8_t* buffer, size_t capacity) override;
    bool Write(const uint8_t*, size_t) override { return false; }
    void Cancel() override { wait_.Cancel(); }
    void Close() override { socket_.reset(); }
    std::u16string Description() const override;
    bool Live() const override { return true; }
    bool TakesCommands() const override { return false; }

  private:
    UdpSource(linkrules::SourceSpec spec, UniqueSocket socket);
    linkrules::SourceSpec spec_;
    UniqueSocket socket_;
    SocketWait wait_;
    std::vector<uint8_t> datagram_;  // the largest a UDP datagram can be
    size_t pendingAt_ = 0;
    size_t pendingEnd_ = 0;
};

class GpsdSource : public linkrules::ByteSource {
  public:
    // Connects and asks gpsd for its receiver's sentences.
    static std::unique_ptr<GpsdSource> Connect(const linkrules::SourceSpec& spec, uint32_t* error);

    // Only the receiver's lines: gpsd's JSON never reaches the caller.
    linkrules::ReadResult Read(uint8_t* buffer, size_t capacity) override;
    bool Write(const uint8_t*, size_t) override { return false; }
    void Cancel() override { tcp_->Cancel(); }
    void Close() override { tcp_->Close(); }
    std::u16string Description() const override { return tcp_->Description(); }
    bool Live() const override { return true; }
    bool TakesCommands() const override { return false; }

  private:
    explicit GpsdSource(std::unique_ptr<TcpSource> tcp) : tcp_(std::move(tcp)) {}
    std::unique_ptr<TcpSource> tcp_;
    linkrules::GpsdStreamFilter filter_;
};

}  // namespace netlink
