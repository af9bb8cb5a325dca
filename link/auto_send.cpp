#include "link/auto_send.h"

#include "nmea/text16.h"

namespace linkrules {

namespace {
// USER_TIMER_MAXIMUM: SetTimer silently shortens anything longer.
constexpr int64_t kLongestTimerMs = 0x7FFFFFFF;
}  // namespace

uint32_t AutoSendPeriodMs(const char16_t* periodText) {
    int32_t seconds = 0;
    if (!text16::ScanInt(periodText, &seconds) || seconds <= 0)
        return 0;
    int64_t ms = static_cast<int64_t>(seconds) * 1000;
    if (ms > kLongestTimerMs)
        return 0;
    return static_cast<uint32_t>(ms);
}

}  // namespace linkrules
