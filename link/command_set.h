// The receiver's fixed command sentences and the console notes that go with
// them. Every stored sentence carries its correct checksum and no line end;
// the sentence writer adds carriage return and line feed.
#pragma once

#include <cstddef>
#include <cstdint>

namespace linkrules {

enum class ReceiverCommand {
    kPowerSaveOn,
    kPowerSaveOff,
    kSbasOn,
    kSbasOff,
    kVtgOn,
    kVtgOff,
    kQueryVersion,
    kColdStart,
    kFactoryReset,
    // The other restarts of an MTK receiver, for time-to-first-fix series.
    kHotStart,
    kWarmStart,
};

// Up to two sentences, each followed by its pause on the user-interface thread
// (0 for the switches: the writer's own 100 ms pause is all they get).
struct CommandScript {
    const char* sentences[2];
    size_t count;
    uint32_t pauseAfterMs;
};

CommandScript ScriptFor(ReceiverCommand command);

// Before every fixed command, whatever its maker prefix.
extern const char16_t kCommandNote[];
// Before every typed sentence.
extern const char16_t kUserSentenceNote[];

}  // namespace linkrules
