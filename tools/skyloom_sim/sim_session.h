// The simulator's main loop: produces the reporting cycles (or the replay),
// answers commands as they arrive, injects the requested faults and writes
// everything at the pace of the baud rate.
#pragma once

#include <csignal>
#include <cstdio>
#include <string>

#include "tools/skyloom_sim/sim_device.h"
#include "tools/skyloom_sim/sim_options.h"

namespace sim {

struct SessionStats {
    long linesSent = 0;
    long bytesSent = 0;
    long bytesReceived = 0;
    long commands = 0;
    long cyclesDropped = 0;  // cycles that found the output still busy with older ones
};

struct SessionIo {
    Device* device = nullptr;
    Clock* clock = nullptr;
    std::FILE* receivedLog = nullptr;                  // may be null
    std::FILE* sentLog = nullptr;                      // may be null
    const volatile std::sig_atomic_t* stop = nullptr;  // set by a signal handler; may be null
    double utcStart = 0.0;                             // seconds since 1970 at the start
    std::string recording;  // the replay's bytes when options.replayPath is set
};

// Runs until the cycles, the duration or the replay are done, or stop is set.
// Returns the exit status: 0, or 1 when the device failed (error explains).
int RunSession(const SimOptions& options, const SessionIo& io, SessionStats* stats,
               std::string* error);

}  // namespace sim
