// libFuzzer target: arbitrary bytes through the link's framer and the whole
// sentence intake, with the headless host standing in for the window. The
// first two bytes choose the virtual clock's pace and the local zone, so the
// first-fix measurement and the time conversion are reached too.
#include <cstddef>
#include <cstdint>

#include "tools/headless/decode_session.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint32_t lineMs = 125;
    int32_t utcOffset = 0;
    if (size >= 2) {
        lineMs = static_cast<uint32_t>(data[0]) * 64;            // 0 to 16 s a line
        utcOffset = (static_cast<int32_t>(data[1]) - 128) * 12;  // -25.6 h to +25.4 h
        data += 2;
        size -= 2;
    }
    // A fresh session holds fresh cycle flags and field buffers, so each input
    // starts from the state of a newly opened link.
    DecodeSession session(utcOffset, lineMs);
    uint64_t shown = 0;
    session.Feed(data, size, [&](const LineOutcome& line) {
        // Every delivered line ends with its line feed and is no longer than
        // the reader allows.
        if (line.length > LineFramer::kMaxChars + 1)
            __builtin_trap();
        if (line.shown)
            ++shown;
    });
    session.EndOfInput();
    if (shown != session.lines())
        __builtin_trap();  // the intake is never re-entered here
    const ReceiverModel& status = session.status();
    for (const SatelliteSlot& s : status.satellites) {
        if (s.inView > 1 || s.used > 1)
            __builtin_trap();
    }
    return 0;
}
