// A reference point the user types: latitude and longitude in decimal
// degrees, altitude in metres above mean sea level (optional).
#pragma once

#include "stats/position_stats.h"

namespace stats {

// Checks the three texts (alt may be empty) and fills *out only when all are
// good; otherwise *message says what is wrong and *out is left as it was.
bool CheckReference(const char* lat, const char* lon, const char* alt, PositionReference* out,
                    const char** message);

// "LAT,LON" or "LAT,LON,ALT", as skyloom-decode --reference takes it.
bool ParseReference(const char* text, PositionReference* out, const char** message);

}  // namespace stats
