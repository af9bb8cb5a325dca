// The platform side of the simulator: opening the serial device, and time.
#pragma once

#include <memory>
#include <string>

#include "tools/skyloom_sim/sim_device.h"

namespace sim {

// A tty or pseudo-terminal path (POSIX) or a COM port name such as "COM5" or
// "\\.\COM12" (Windows), set to raw 8N1 at the baud rate. Null on failure.
std::unique_ptr<Device> OpenSerialDevice(const std::string& path, long baud, std::string* error);

class SteadyClock : public Clock {
  public:
    double Now() override;
    void Sleep(double seconds) override;
};

// Seconds since 1970, UTC.
double UtcNow();

}  // namespace sim
