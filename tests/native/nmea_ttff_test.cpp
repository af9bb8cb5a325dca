#include <gtest/gtest.h>

#include <string>

#include "fake_intake_host.h"

namespace {

const std::string kGsa3 = "$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39\r\n";
const std::string kGsa2 = "$GPGSA,A,2,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*38\r\n";
const std::string kRmcA =
    "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";

struct TtffTest : ::testing::Test, IntakeFixture {
    TtffTest() { ResetFixClock(status); }
};

TEST_F(TtffTest, FirstLineStartsTheClockAndIsNotDecoded) {
    host.tick = 5000;
    Feed(kGsa3);
    EXPECT_EQ(status.ttffStartTick, 5000u);
    EXPECT_EQ(Narrow(Texts(status).fixState), "");  // not decoded...
    ASSERT_EQ(host.console.size(), 1u);             // ...but shown
    EXPECT_EQ(intake.gsaCleared, 0);
}

TEST_F(TtffTest, MeasuredOnceOnTheFirstFixAfterThreeSeconds) {
    const uint32_t starts[] = {5000, 0xFFFFF000u /* wraps during the wait */};
    for (uint32_t start : starts) {
        SCOPED_TRACE(start);
        ResetFixClock(status);
        host.caption.clear();
        host.tick = start;
        Feed(kGsa3);  // starts the clock
        const struct {
            uint32_t after;
            std::string line, caption;
        } steps[] = {
            {2000, kGsa3, ""},  // a fix within 3 s is not measured
            {3000, kRmcA, ""},  // exactly 3 s neither: "more than"
            {3001, kGsa2, ""},  // a 2D fix is no first fix
            {8999, kGsa3, "Skyloom  8 Sec"},
            {20000, kGsa3, "Skyloom  8 Sec"},  // restarts the clock, not decoded
            {40000, kRmcA, "Skyloom  8 Sec"},  // decoded, but measured already
        };
        for (const auto& s : steps) {
            SCOPED_TRACE(s.after);
            host.tick = start + s.after;
            Feed(s.line);
            EXPECT_EQ(Narrow(host.caption), s.caption);
        }
        EXPECT_EQ(status.ttffDone, 1);
        EXPECT_EQ(Narrow(status.ttffCaption), "Skyloom  8 Sec");
        // The line after the measurement restarted the clock.
        EXPECT_EQ(status.ttffStartTick, start + 20000);
    }
}

TEST_F(TtffTest, RmcStatusAMeasuresToo) {
    host.tick = 1000;
    Feed(kRmcA);
    host.tick = 1000 + 61500;
    Feed(kRmcA);
    EXPECT_EQ(Narrow(host.caption), "Skyloom  61 Sec");
    EXPECT_EQ(status.ttffStartTick, 0u);
}

TEST_F(TtffTest, ATickCountOfZeroStillStartsTheClock) {
    host.tick = 0;
    Feed(kGsa3);
    EXPECT_EQ(status.ttffStartTick, 1u);
    host.tick = 4000;
    Feed(kGsa3);  // decoded: the clock was running
    EXPECT_EQ(Narrow(Texts(status).fixState), "3D");
    EXPECT_EQ(Narrow(host.caption), "Skyloom  3 Sec");
}

TEST_F(TtffTest, ResetStartsAFreshMeasurement) {
    host.tick = 1000;
    Feed(kGsa3);
    host.tick = 6000;
    Feed(kGsa3);
    EXPECT_EQ(Narrow(host.caption), "Skyloom  5 Sec");
    ResetFixClock(status);
    host.tick = 10000;
    Feed(kGsa3);
    host.tick = 22000;
    Feed(kGsa3);
    EXPECT_EQ(Narrow(host.caption), "Skyloom  12 Sec");
}

}  // namespace
