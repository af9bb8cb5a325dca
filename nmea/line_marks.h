// The texts the intake reacts to, found in one pass over the working copy
// instead of one search per text: most lines hold none of them, and the
// search for each one read the whole line again (eight searches cost more
// than all the rest of a line's intake).
#pragma once

#include <cstddef>

// What ScanLine found. Each flag is exactly text16::Find(line, text) != nullptr
// for its text; `version` is text16::Find(line, "Version").
struct LineMarks {
    bool waasEnable = false;   // "WAAS Enable"
    bool waasDisable = false;  // "WAAS Disable"
    bool pmtk705 = false;      // "$PMTK705"
    const char16_t* version = nullptr;
    bool gga = false;  // "GGA"
    bool rmc = false;  // "RMC"
    bool gsa = false;  // "GSA"
    bool gsv = false;  // "GSV"
};

// `length` is the line's length up to its terminator, which the caller knows.
LineMarks ScanLine(const char16_t* line, size_t length);
