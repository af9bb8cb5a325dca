#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_intake_host.h"
#include "tests/native/sky_angles.h"

namespace {

struct CycleTest : ::testing::Test, IntakeFixture {};

// Feeds a sequence and records after which lines a redraw was requested.
TEST_F(CycleTest, RedrawsFollowGgaAndTheLastGsvMessage) {
    const struct {
        std::string line;
        bool redraw;
    } steps[] = {
        {kGga, true},
        {Sentence("GPGSA,A,3,04,05,,,,,,,,,,,2.5,1.3,2.1"), false},
        {Sentence("GPGSV,2,1,05,04,40,083,46,05,17,308,41,12,07,344,39,14,22,228,45"), false},
        {Sentence("GPGSV,2,2,05,20,10,100,30"), true},
        {Sentence("GLGSV,1,1,01,65,10,100,30"), true},
        {Sentence("GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,070126,003.1,W"), false},
        {"$GPTXT,01,01,02,ANTSTATUS=OK*3B\r\n", false},
        {kGga, true},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.line);
        const int before = host.redraws;
        EXPECT_EQ(Feed(s.line), 1);
        EXPECT_EQ(host.redraws - before, s.redraw ? 1 : 0);
        EXPECT_EQ(intake.cycleComplete, 0);  // the intake clears it after asking
    }
}

TEST_F(CycleTest, FlagsAccumulateWithinACycleAndRestartAfterGga) {
    Feed(kGga);
    Feed(Sentence("GPGSA,A,3,04,05,,,,,,,,,,,2.5,1.3,2.1"));
    Feed(Sentence("GLGSA,A,3,65,,,,,,,,,,,,2.5,1.3,2.1"));
    Feed(Sentence("GPGSV,1,1,02,04,40,083,46,07,17,308,41"));
    Feed(Sentence("GLGSV,1,1,02,65,10,100,30,66,10,100,30"));
    EXPECT_EQ(Used(), (std::vector<int>{4, 5, 65}));
    EXPECT_EQ(InView(), (std::vector<int>{4, 7, 65, 66}));
    EXPECT_EQ(intake.gsaCleared, 1);
    EXPECT_EQ(intake.gsvCleared, 1);

    // Next cycle: satellite 7 dropped out; it is no longer in view but keeps its values.
    Feed(kGga);
    EXPECT_EQ(intake.gsaCleared, 0);
    EXPECT_EQ(intake.gsvCleared, 0);
    EXPECT_EQ(InView(), (std::vector<int>{4, 7, 65, 66}));  // nothing cleared before GSV
    Feed(Sentence("GPGSA,A,3,04,,,,,,,,,,,,2.5,1.3,2.1"));
    Feed(Sentence("GPGSV,1,1,01,04,40,083,46"));
    EXPECT_EQ(Used(), (std::vector<int>{4}));
    EXPECT_EQ(InView(), (std::vector<int>{4}));
    EXPECT_EQ(Sat(7).snr, 41);
    EXPECT_EQ(ClassicPoint(Sat(7)).x, 36);
}

TEST_F(CycleTest, FixStateIsTheLastDecodersWord) {
    const struct {
        std::vector<std::string> lines;
        std::string fix;
    } cases[] = {
        {{Sentence("GPGSA,A,2,04,,,,,,,,,,,,2.5,1.3,2.1"),
          Sentence("GPRMC,123519,A,4807.038,N,01131.000,E,0,0,070126,,")},
         "3D"},
        {{Sentence("GPRMC,123519,A,4807.038,N,01131.000,E,0,0,070126,,"),
          Sentence("GPGSA,A,2,04,,,,,,,,,,,,2.5,1.3,2.1")},
         "2D"},
        {{Sentence("GPRMC,123519,V,,,,,0,0,070126,,"), Sentence("GPGSA,A,1,,,,,,,,,,,,,,,")},
         "No Fix"},
    };
    for (const auto& c : cases) {
        for (const auto& line : c.lines)
            Feed(line);
        EXPECT_EQ(Narrow(Texts(status).fixState), c.fix);
    }
}

}  // namespace
