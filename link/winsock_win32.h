// What the network sources share: Winsock started once, sockets owned like
// every other handle, addresses resolved with getaddrinfo, and the reason of
// a failure as the console's one line says it.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>

#include "link/byte_source.h"
#include "link/chosen_source.h"
#include "win32/unique_handle.h"

using UniqueSocket = UniqueAny<SOCKET, &closesocket, static_cast<uintptr_t>(INVALID_SOCKET)>;
using UniqueAddrInfo = UniqueAny<ADDRINFOW*, &FreeAddrInfoW>;

namespace netlink {

// WSAStartup once for the process (never cleaned up: sockets may be closed
// by a reader thread that outlives anything that could own the count).
bool WinsockReady();

// "connection refused (10061)": the reason of a Winsock error in a few words.
std::u16string SocketErrorText(int error);

// WSAStartup's own failure, as the error of an open.
constexpr uint32_t kNoNetwork = WSASYSNOTREADY;

// The addresses of `spec`'s host and port for sockets of `type` (SOCK_STREAM,
// SOCK_DGRAM), Winsock started first. `passive` with an empty host: every
// local IPv4 address, for binding. Empty, with `error` set (kNoNetwork,
// WSAHOST_NOT_FOUND ...), when nothing resolves.
UniqueAddrInfo Resolve(const linkrules::SourceSpec& spec, int type, bool passive, uint32_t* error);

// The error of the call that just failed; never 0, so that it always reads
// as a failure.
uint32_t LastSocketError(uint32_t otherwise = WSAECONNABORTED);

}  // namespace netlink

namespace netlink {

// How long a Read waits for bytes before it reports silence.
constexpr DWORD kReadWaitMs = 100;

// The wait of a socket's Read: its network events (WSAEventSelect, which also
// makes the socket non-blocking) or Cancel, whichever comes first, and at most
// the given time.
class SocketWait {
  public:
    enum class Outcome { kReady, kTimeout, kCancelled };

    // False when the events could not be made or tied to the socket.
    bool Attach(SOCKET socket, long events);
    Outcome Wait(SOCKET socket, DWORD ms);
    // After a read that found nothing, `start` being when the read began:
    // waits out the rest of its kReadWaitMs. kData: something happened, read
    // again; kSilence: the whole wait passed (the reader ends a half line on
    // it, so an event already used up must not end it early); kCancelled.
    linkrules::ReadStatus Rest(SOCKET socket, DWORD start);
    // Manual reset: ends the wait in progress and every later one.
    void Cancel() { SetEvent(cancel_.get()); }
    bool Cancelled() const { return WaitForSingleObject(cancel_.get(), 0) == WAIT_OBJECT_0; }

  private:
    UniqueHandle network_;
    UniqueHandle cancel_;
};

}  // namespace netlink
