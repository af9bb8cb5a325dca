// The reply texts the intake reacts to wherever they stand in a line (they
// are no sentence names: receivers put them into the text of their answers),
// found in one pass over the working copy instead of one search per text:
// most lines hold none of them.
#pragma once

#include <cstddef>

// What ScanLine found. Each flag is exactly text16::Find(line, text) != nullptr
// for its text; `version` is text16::Find(line, "Version").
struct LineMarks {
    bool waasEnable = false;   // "WAAS Enable"
    bool waasDisable = false;  // "WAAS Disable"
    const char16_t* version = nullptr;
};

// `length` is the line's length up to its terminator, which the caller knows.
LineMarks ScanLine(const char16_t* line, size_t length);
