#include <gtest/gtest.h>

#include <string>

#include "fake_intake_host.h"
#include "nmea/sentence_intake.h"

namespace {

TEST(Checksum, Rules) {
    const std::string gga = kGga.substr(0, kGga.size() - 4);  // up to the '*'
    const std::u16string rmc =
        U("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6");
    const struct {
        std::u16string line;
        bool passes;
    } cases[] = {
        {U(gga + "47\r\n"), true},
        {U(gga + "48\r\n"), false},  // one digit changed
        // LF alone, as capture tools store lines, is judged like CR LF.
        {U(gga + "47\n"), true},
        {U(gga + "48\n"), false},
        {U(gga + "4\n"), false},  // one digit
        // Anything else after the digits fails, with either line end.
        {U(gga + "47\r\n\n"), false},
        {U(gga + "47\n\n"), false},
        {U(gga + "47\r\r\n"), false},
        {U(gga + "47 \n"), false},
        {U(gga + "47\r \n"), false},
        {U(gga + "47\n\r"), false},
        {U(gga + "47\r"), false},
        {U(gga + "47"), false},  // no line ending at all
        {U("$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39\r\n"), true},
        // Lower-case digits are accepted.
        {rmc + u"a\r\n", true},
        {rmc + u"A\r\n", true},
        {rmc + u"a\n", true},
        // "$*00": nothing between '$' and '*' sums to 0.
        {u"$*00\r\n", true},
        {u"*00\r\n", true},  // exactly five characters, the sum covers nothing
        {u"*00\n", true},
        {u"00\r\n", false},  // no room for the '*'
        {u"00\n", false},
        {u"", false},
        {u"\r\n", false},
        {u"\n", false},
        // Non-hex digits enter the sum with their value: 'G' = 71-55 = 16, so
        // "0G" states 16 (0x10); "$P*0G" sums 'P' = 0x50 and fails...
        {u"$P*0G\r\n", false},
        // ...while a sentence whose sum is 0x10 passes with "0G" as well as "10".
        {u"$AQ*0G\r\n", true},
        {u"$AQ*10\r\n", true},
        // Byte 0xB0 arrives as 0xFFB0 and sums as 0xB0.
        {{u'$', 0xFFB0, u'*', u'B', u'0', u'\r', u'\n'}, true},
        {{u'$', 0xFFB0, u'*', u'B', u'0', u'\n'}, true},
        // Digits are taken by their low 8 bits too: 0xFF42 reads as 'B'.
        {{u'$', 0xFFB0, u'*', 0xFF42, u'0', u'\r', u'\n'}, true},
        {{u'$', 0xFFB1, u'*', u'B', u'0', u'\r', u'\n'}, false},
        // The '*' itself must be a real one, not a widened 0xFF2A.
        {{u'$', 0xFFB0, 0xFF2A, u'B', u'0', u'\r', u'\n'}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.line));
        EXPECT_EQ(ChecksumPasses(c.line.c_str(), c.line.size()), c.passes);
    }
}

}  // namespace
