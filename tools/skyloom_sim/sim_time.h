// UTC calendar parts of a time in seconds since 1970, and the time of day that
// NMEA sentences carry ("hhmmss.ss").
#pragma once

#include <string>

namespace sim {

struct UtcParts {
    int year, month, day;
    int hour, minute, second, centisecond;
};

// Negative times are clamped to 1970-01-01.
UtcParts SplitUtc(double secondsSince1970);

// Seconds since midnight of the time field of an RMC or GGA sentence
// ("123519", "123519.50"); false when the field is no time.
bool ParseTimeOfDay(const std::string& field, double* seconds);

}  // namespace sim
