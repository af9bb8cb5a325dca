#include "link/gpsd_stream.h"

namespace linkrules {

size_t GpsdStreamFilter::Filter(uint8_t* bytes, size_t count) {
    size_t kept = 0;
    for (size_t i = 0; i < count; ++i) {
        uint8_t b = bytes[i];
        if (atLineStart_ && b == '{')
            dropping_ = true;
        atLineStart_ = b == '\n';
        if (dropping_) {
            if (b == '\n')
                dropping_ = false;
            continue;
        }
        bytes[kept++] = b;
    }
    return kept;
}

}  // namespace linkrules
