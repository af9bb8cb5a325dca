// The computer's current local time zone offset.
#pragma once

#include <cstdint>

// Minutes east of UTC right now (daylight saving included), as the C library
// sees the local zone. 0 when the library cannot tell.
int32_t CurrentUtcOffsetMinutes();
