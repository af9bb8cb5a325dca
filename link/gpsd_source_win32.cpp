#include <cstring>

#include "link/network_sources_win32.h"

using linkrules::ReadResult;
using linkrules::ReadStatus;

namespace netlink {

std::unique_ptr<GpsdSource> GpsdSource::Connect(const linkrules::SourceSpec& spec,
                                                uint32_t* error) {
    std::unique_ptr<TcpSource> tcp = TcpSource::Connect(spec, error);
    if (!tcp)
        return nullptr;
    const char* request = linkrules::kGpsdWatchRequest;
    if (!tcp->Write(reinterpret_cast<const uint8_t*>(request), std::strlen(request))) {
        *error = LastSocketError();
        return nullptr;
    }
    return std::unique_ptr<GpsdSource>(new GpsdSource(std::move(tcp)));
}

ReadResult GpsdSource::Read(uint8_t* buffer, size_t capacity) {
    // A read of JSON only is read past, not reported as silence: the reader
    // would end a half-read sentence on it.
    for (;;) {
        ReadResult result = tcp_->Read(buffer, capacity);
        if (result.status != ReadStatus::kData)
            return result;
        result.bytes = filter_.Filter(buffer, result.bytes);
        if (result.bytes > 0)
            return result;
    }
}

}  // namespace netlink
