// The command line of skyloom-sim.
#pragma once

#include <string>
#include <vector>

#include "tools/skyloom_sim/sim_faults.h"
#include "tools/skyloom_sim/sim_receiver.h"

namespace sim {

struct SimOptions {
    std::string device;
    long tcpListen = 0;  // instead of a device: a TCP server on this port
    std::string udpTo;   // instead of a device: datagrams to HOST:PORT
    long baud = 4800;
    double rateHz = 1.0;       // reporting cycles per second
    long cycles = 0;           // stop after this many cycles (0: no limit)
    double duration = 0.0;     // stop after this many seconds (0: no limit)
    std::string replayPath;    // play this recording instead of simulating
    double replyDelay = 0.25;  // seconds a reply takes, as a receiver needs time to answer
    double replayRate = 0;     // lines per second for the replay (0: by its own times)
    std::string logReceived;   // every byte received from the host goes here
    std::string logSent;       // every byte written to the device goes here
    bool quiet = false;
    ReceiverOptions receiver;
    FaultOptions faults;
};

enum class ParseResult { kRun, kHelp, kVersion, kError };

ParseResult ParseOptions(const std::vector<std::string>& args, SimOptions* options,
                         std::string* error);

std::string UsageText();

}  // namespace sim
