// What the simulator needs of a serial device and of time; the platform files
// implement them, the tests fake them.
#pragma once

#include <cstddef>
#include <string>

namespace sim {

class Device {
  public:
    virtual ~Device() = default;
    // Writes up to size bytes without waiting long: the number written, 0 when
    // the device takes nothing now, -1 when the device is gone or failed.
    virtual long Write(const char* data, size_t size) = 0;
    // Reads what has arrived without waiting: the number read, 0 when nothing
    // is there, -1 when the device is gone or failed.
    virtual long Read(char* data, size_t size) = 0;
    // A description of the last failure, for the error message.
    virtual std::string LastError() const = 0;
    // False while a network server has nobody to send to: the session waits
    // for its first client before the receiver is switched on.
    virtual bool HasPeer() { return true; }
};

class Clock {
  public:
    virtual ~Clock() = default;
    virtual double Now() = 0;  // seconds, monotonic
    virtual void Sleep(double seconds) = 0;
};

}  // namespace sim
