#include <gtest/gtest.h>

#include <string>

#include "fake_intake_host.h"
#include "nmea/sentence_intake.h"

namespace {

bool Passes(const std::u16string& line) {
    return ChecksumPasses(line.c_str(), line.size());
}

TEST(Checksum, Rules) {
    const std::string gga = "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*";
    const struct {
        std::string line;
        bool passes;
    } cases[] = {
        {gga + "47\r\n", true},
        {gga + "48\r\n", false},    // one digit changed
        {gga + "47\n", false},      // LF without CR
        {gga + "47\r\n\n", false},  // anything after the digits
        {gga + "47", false},        // no line ending at all
        {"$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39\r\n", true},
        // Lower-case digits are accepted.
        {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6a\r\n", true},
        {"$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n", true},
        // "$*00": nothing between '$' and '*' sums to 0.
        {"$*00\r\n", true},
        {"*00\r\n", true},  // exactly five characters, the sum covers nothing
        {"00\r\n", false},  // fewer than five
        {"", false},
        {"\r\n", false},
        // Non-hex digits enter the sum with their value: 'G' = 71-55 = 16, so
        // "0G" states 16 (0x10); "$P*0G" sums 'P' = 0x50 and fails...
        {"$P*0G\r\n", false},
        // ...while a sentence whose sum is 0x10 passes with "0G" as well as "10".
        {"$A" + std::string(1, static_cast<char>(0x51)) + "*0G\r\n", true},
        {"$A" + std::string(1, static_cast<char>(0x51)) + "*10\r\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(Passes(U(c.line)), c.passes);
    }
}

TEST(Checksum, UsesTheLowEightBitsOfWidenedBytes) {
    const struct {
        std::u16string line;
        bool passes;
    } cases[] = {
        // Byte 0xB0 arrives as 0xFFB0 and sums as 0xB0.
        {{u'$', 0xFFB0, u'*', u'B', u'0', u'\r', u'\n'}, true},
        // Digits are taken by their low 8 bits too: 0xFF42 reads as 'B'.
        {{u'$', 0xFFB0, u'*', 0xFF42, u'0', u'\r', u'\n'}, true},
        {{u'$', 0xFFB1, u'*', u'B', u'0', u'\r', u'\n'}, false},
        // The '*' itself must be a real one, not a widened 0xFF2A.
        {{u'$', 0xFFB0, 0xFF2A, u'B', u'0', u'\r', u'\n'}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Passes(c.line), c.passes);
}

}  // namespace
