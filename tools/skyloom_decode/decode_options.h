// The command line of skyloom-decode.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "stats/position_stats.h"

struct DecodeOptions {
    enum class Action { kDecode, kHelp, kVersion };
    Action action = Action::kDecode;
    bool utcOffsetGiven = false;
    int32_t utcOffsetMinutes = 0;
    uint32_t lineMs = 125;
    std::string input;                   // "-" reads standard input
    bool positionStats = false;          // --stats
    stats::PositionReference reference;  // --reference; the mean without it
};

// Fills `options` from the arguments (without the program name). On a usage
// error returns false with a one-line reason in `error`.
bool ParseDecodeOptions(const std::vector<std::string>& args, DecodeOptions* options,
                        std::string* error);

// Local zones lie within a day of UTC.
constexpr int32_t kMaxUtcOffsetMinutes = 24 * 60;

extern const char kDecodeUsage[];
