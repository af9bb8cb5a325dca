// A recording (*.pgl) played back as a receiver would have sent it: the lines
// exactly as stored, each due at a time taken from the recording's own RMC and
// GGA times, or at a fixed number of lines per second.
#pragma once

#include <string>
#include <vector>

namespace sim {

struct ReplayLine {
    std::string bytes;  // as stored, line feed included (the last line may lack it)
    double due;         // seconds after the start of the playback
};

// Longest pause taken from a gap in the recording's times, so that a capture
// with a hole in it does not stall the playback for minutes.
constexpr double kMaxReplayGap = 5.0;

// Splits a recording's bytes into lines and schedules them. linesPerSecond 0
// schedules by the recording's times: a line whose RMC or GGA time differs from
// the one before is due that much later (a midnight wrap counts forward; a
// jump back counts as no pause); every other line follows the line before it.
std::vector<ReplayLine> ScheduleReplay(const std::string& recording, double linesPerSecond);

// Reads a whole file; false, with the system's reason in `error`, when it
// can't be opened or read (a directory included).
bool ReadFile(const std::string& path, std::string* contents, std::string* error);

}  // namespace sim
