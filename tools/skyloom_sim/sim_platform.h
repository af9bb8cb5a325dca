// The platform side of the simulator: opening the serial device, and time.
#pragma once

#include <memory>
#include <string>

#include "tools/skyloom_sim/sim_device.h"

namespace sim {

// A tty or pseudo-terminal path (POSIX) or a COM port name such as "COM5" or
// "\\.\COM12" (Windows), set to raw 8N1 at the baud rate. Null on failure.
std::unique_ptr<Device> OpenSerialDevice(const std::string& path, long baud, std::string* error);

// A TCP server on `port` of the loopback address, one client at a time: a client that leaves is
// replaced by the next one that connects, and what is written while nobody is connected goes
// nowhere, as with ser2net.
std::unique_ptr<Device> OpenTcpServer(long port, std::string* error);

// Datagrams to "HOST:PORT" ("[::1]:10110"), one a write; reads find nothing.
std::unique_ptr<Device> OpenUdpSender(const std::string& hostPort, std::string* error);

class SteadyClock : public Clock {
  public:
    double Now() override;
    void Sleep(double seconds) override;
};

// Seconds since 1970, UTC.
double UtcNow();

}  // namespace sim
