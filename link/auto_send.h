// The period of the automatic re-sending of the typed sentence.
#pragma once

#include <cstdint>

namespace linkrules {

// The timer period in milliseconds for the period text (whole seconds, read
// like "%d"), or 0 when nothing is to be armed: no number, 0, a negative
// period (there is no sensible "every -5 seconds"), or one whose milliseconds
// the system timer cannot hold.
uint32_t AutoSendPeriodMs(const char16_t* periodText);

}  // namespace linkrules
