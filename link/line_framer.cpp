#include "link/line_framer.h"

bool LineFramer::Interrupt() {
    bool had = !delivered_ && count_ > 0;
    count_ = 0;
    delivered_ = false;
    buffer_[0] = 0;
    return had;
}
