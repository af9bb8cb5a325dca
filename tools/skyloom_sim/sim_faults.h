// Faults a test can ask the simulated receiver to commit on its output: the
// things real receivers and cables do to a viewer.
#pragma once

#include <string>

namespace sim {

struct FaultOptions {
    int badChecksumEvery = 0;  // every Nth line: one checksum digit wrong
    int cutEvery = 0;          // every Nth line: cut in half, no line end (runs into the next)
    int longEvery = 0;         // every Nth line: preceded by a line of kLongLineChars characters
    int highBytesEvery = 0;    // every Nth line: carries bytes above 0x7F (checksum kept right)
    double silenceAfter = -1;  // seconds after start at which the receiver falls silent
    double silenceFor = 0;     // how long it stays silent; lines of that time are lost
};

constexpr size_t kLongLineChars = 600;

class FaultInjector {
  public:
    explicit FaultInjector(const FaultOptions& options) : options_(options) {}

    // The bytes to send for one outgoing line (CR LF included in `line`).
    std::string Apply(const std::string& line);

    // True while the receiver is to stay silent at `t` seconds after start.
    bool Silent(double t) const;

  private:
    FaultOptions options_;
    long count_ = 0;
};

}  // namespace sim
