// The rates a serial port is offered at, in the baud list's order. Receivers
// that report 10 or 20 times a second with several systems need the ones
// past 115200; 4800 is NMEA 0183's own rate and stays preselected.
#pragma once

#include <cstdint>

namespace linkrules {

constexpr uint32_t kBaudRates[] = {1200,  2400,  4800,   9600,   14400,  19200,
                                   38400, 57600, 115200, 230400, 460800, 921600};
constexpr int kBaudRateCount = static_cast<int>(sizeof(kBaudRates) / sizeof(kBaudRates[0]));
constexpr int kDefaultBaudIndex = 2;
static_assert(kBaudRates[kDefaultBaudIndex] == 4800, "4800 is preselected");

// The list index of `rate`; kBaudRateCount when the list has no such rate.
constexpr int BaudIndex(uint32_t rate) {
    for (int i = 0; i < kBaudRateCount; ++i)
        if (kBaudRates[i] == rate)
            return i;
    return kBaudRateCount;
}

}  // namespace linkrules
