#include "link/line_framer.h"

LineFramer::Result LineFramer::Feed(uint8_t byte) {
    if (delivered_) {
        count_ = 0;
        delivered_ = false;
    }
    // 511 characters already stored: the line can no longer fit; it is dropped
    // and so is the byte that found it out, line feed or not.
    if (count_ > kMaxChars) {
        count_ = 0;
        buffer_[0] = 0;
        return Result::kDropped;
    }
    if (byte == 0x0A) {
        buffer_[count_++] = 0x000A;
        buffer_[count_] = 0;
        delivered_ = true;
        return Result::kLine;
    }
    buffer_[count_++] = WidenByte(byte);
    return Result::kMore;
}

bool LineFramer::Interrupt() {
    bool had = !delivered_ && count_ > 0;
    count_ = 0;
    delivered_ = false;
    buffer_[0] = 0;
    return had;
}
