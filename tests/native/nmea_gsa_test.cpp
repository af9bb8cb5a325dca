#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_intake_host.h"

namespace {

struct GsaTest : ::testing::Test, IntakeFixture {
    void Decode(const std::string& line) { DecodeGsaLine(line); }
};

TEST_F(GsaTest, FixTypeAndDilution) {
    const struct {
        std::string fixType, pdop, hdop, fix;
    } cases[] = {
        {"3", "2.5", "1.3", "3D"},
        {"2", "3.1", "2.2", "2D"},
        {"1", "", "", "No Fix"},
        {"", "99.9", "99.9", "No Fix"},
        {"4", "1.0", "0.5", "No Fix"},
        // Texts longer than the 9-character slots are cut.
        {"3", "12345.67890", "1.23456789012", "3D"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixType);
        Decode(Sentence("GPGSA,A," + c.fixType + ",04,05,,,,,,,,,,," + c.pdop + "," + c.hdop +
                        ",2.1"));
        EXPECT_EQ(Narrow(Texts(status).fixState), c.fix);
        EXPECT_EQ(Narrow(Texts(status).pdop), c.pdop.substr(0, 9));
        EXPECT_EQ(Narrow(Texts(status).hdop), c.hdop.substr(0, 9));
    }
}

TEST_F(GsaTest, UsedSatellites) {
    const struct {
        std::string satellites;  // fields 3 to 14
        std::vector<int> used;
    } cases[] = {
        {"04,05,,09,12,,,24,,,,", {4, 5, 9, 12, 24}},
        {"05,5,,,,,,,,,,", {5}},
        // Fields that are no number, or a number without a slot, mark nothing.
        {"x,255,256,-1,99999,0,,,,,,", {255}},
        {",,,,,,,,,,,", {}},
        {"65,66,67,68,69,70,71,72,73,74,75,76", {65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.satellites);
        intake.gsaCleared = 0;
        Decode(Sentence("GPGSA,A,3," + c.satellites + ",2.5,1.3,2.1"));
        EXPECT_EQ(Used(), c.used);
    }
}

TEST_F(GsaTest, SystemsOfOneCycleAddUp) {
    DecodeGsvLine(Sentence("GPGSV,1,1,01,07,40,083,33"));
    DecodeGsaLine("$GPGSA,A,3,07,,,,,,,,,,,,2.5,1.3,2.1*00\r\n");
    StartCycle();
    Decode("$GPGSA,A,3,04,05,,,,,,,,,,,2.5,1.3,2.1*00\r\n");
    Decode("$GLGSA,A,3,65,66,,,,,,,,,,,2.5,1.3,2.1*00\r\n");
    EXPECT_EQ(Used(), (std::vector<int>{4, 5, 65, 66}));
    EXPECT_EQ(Sat(7).snr, 33);  // clearing touches only the flag
    StartCycle();
    Decode("$GPGSA,A,3,09,,,,,,,,,,,,2.5,1.3,2.1*00\r\n");
    EXPECT_EQ(Used(), (std::vector<int>{9}));
}

}  // namespace
