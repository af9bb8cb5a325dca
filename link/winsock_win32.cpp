#include "link/winsock_win32.h"

#include "link/source_address.h"

namespace netlink {
namespace {

struct ErrorText {
    int error;
    const char16_t* text;
};
// FormatMessage's texts for these differ between Windows versions and are
// missing under Wine: the few a user meets are named here.
constexpr ErrorText kErrorTexts[] = {
    {WSAECONNREFUSED, u"connection refused"},
    {WSAETIMEDOUT, u"no answer (timed out)"},
    {WSAEHOSTUNREACH, u"host unreachable"},
    {WSAENETUNREACH, u"network unreachable"},
    {WSAECONNRESET, u"connection reset by the other side"},
    {WSAECONNABORTED, u"connection aborted"},
    {WSAEADDRINUSE, u"the port is in use by another program"},
    {WSAEADDRNOTAVAIL, u"the address is not one of this computer's"},
    {WSAEACCES, u"access denied"},
    {WSAHOST_NOT_FOUND, u"the host name is not known"},
    {WSANO_DATA, u"the host name has no address"},
    {WSATRY_AGAIN, u"the host name could not be looked up now"},
    {WSAEAFNOSUPPORT, u"this kind of address is not supported"},
    {WSASYSNOTREADY, u"the network could not be started"},
};

}  // namespace

bool WinsockReady() {
    static const bool ready = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return ready;
}

std::u16string SocketErrorText(int error) {
    std::u16string text = u"error";
    for (const ErrorText& e : kErrorTexts)
        if (e.error == error)
            text = e.text;
    std::string number = " (" + std::to_string(error) + ")";
    text.append(number.begin(), number.end());
    return text;
}

uint32_t LastSocketError(uint32_t otherwise) {
    int error = WSAGetLastError();
    return error != 0 ? static_cast<uint32_t>(error) : otherwise;
}

UniqueAddrInfo Resolve(const linkrules::SourceSpec& spec, int type, bool passive, uint32_t* error) {
    ADDRINFOW hints = {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = type;
    if (!WinsockReady()) {
        *error = kNoNetwork;
        return UniqueAddrInfo();
    }
    hints.ai_protocol = type == SOCK_DGRAM ? IPPROTO_UDP : IPPROTO_TCP;
    const wchar_t* host = nullptr;
    std::wstring hostText(spec.host.begin(), spec.host.end());
    if (!hostText.empty())
        host = hostText.c_str();
    else if (passive) {
        hints.ai_family = AF_INET;
        hints.ai_flags = AI_PASSIVE;
    }
    std::wstring port = std::to_wstring(spec.port);
    ADDRINFOW* found = nullptr;
    int result = GetAddrInfoW(host, port.c_str(), &hints, &found);
    if (result != 0 || !found) {
        *error = static_cast<uint32_t>(result != 0 ? result : WSAHOST_NOT_FOUND);
        return UniqueAddrInfo();
    }
    return UniqueAddrInfo(found);
}

}  // namespace netlink

namespace netlink {

bool SocketWait::Attach(SOCKET socket, long events) {
    network_.reset(WSACreateEvent());
    cancel_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    return network_ && cancel_ && WSAEventSelect(socket, network_.get(), events) == 0;
}

SocketWait::Outcome SocketWait::Wait(SOCKET socket, DWORD ms) {
    HANDLE events[2] = {cancel_.get(), network_.get()};
    DWORD which = WaitForMultipleObjects(2, events, FALSE, ms);
    if (which == WAIT_OBJECT_0)
        return Outcome::kCancelled;
    if (which != WAIT_OBJECT_0 + 1)
        return Outcome::kTimeout;
    // Resets the event; the caller's next recv tells data from a close.
    WSANETWORKEVENTS happened;
    WSAEnumNetworkEvents(socket, network_.get(), &happened);
    return Outcome::kReady;
}

linkrules::ReadStatus SocketWait::Rest(SOCKET socket, DWORD start) {
    const DWORD waited = GetTickCount() - start;
    if (waited >= kReadWaitMs)
        return linkrules::ReadStatus::kSilence;
    if (Wait(socket, kReadWaitMs - waited) == Outcome::kCancelled)
        return linkrules::ReadStatus::kCancelled;
    return linkrules::ReadStatus::kData;
}

}  // namespace netlink
