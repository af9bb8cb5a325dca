#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_intake_host.h"
#include "tests/native/sky_angles.h"

namespace {

struct GsvTest : ::testing::Test, IntakeFixture {
    // Whether the last message decoded completed its group's list.
    bool completed = false;
    void Decode(const std::string& line) { completed = DecodeGsvLine(line); }
};

TEST_F(GsvTest, GroupsOfAMessage) {
    const struct {
        std::string line;
        std::vector<int> inView;
    } cases[] = {
        {"$GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75\r\n",
         {1, 2, 12, 14}},
        {Sentence("GPGSV,3,3,11,22,42,067,42,24,14,311,43,27,05,244,00"), {22, 24, 27}},
        {Sentence("GPGSV,1,1,02,05,10,100,30,06,20,200,"), {5, 6}},
        {Sentence("GPGSV,1,1,01,07,10,100,30"), {7}},
        {Sentence("GPGSV,1,1,00"), {}},
        // 0, empty and non-numeric numbers skip their group; numbers without an entry too.
        {Sentence("GPGSV,1,1,04,00,10,100,30,,10,100,30,xx,10,100,30,256,10,100,30"), {}},
        {Sentence("GPGSV,1,1,02,-3,10,100,30,255,10,100,30"), {255}},
        // More than four groups: the buffer's four are decoded, the rest ignored.
        {Sentence("GPGSV,1,1,05,01,1,1,1,02,1,1,1,03,1,1,1,04,1,1,1,05,1,1,1"), {1, 2, 3, 4}},
        // Without CR LF the terminator ends the line the same way.
        {"$GPGSV,1,1,01,09,10,100,30*00", {9}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        for (SatelliteSlot& slot : status.satellites)
            slot.inView = 0;
        Decode(c.line);
        EXPECT_EQ(InView(), c.inView);
    }
}

TEST_F(GsvTest, SignalAndSkyPosition) {
    Decode(Sentence("GPGSV,1,1,03,05,45,045,40,06,30,120,,07,90,000,07"));
    const struct {
        int id, snr, x, y;
    } expected[] = {{5, 40, 99, 54}, {6, 0, 113, 97}, {7, 7, 77, 77}};
    for (const auto& e : expected) {
        const SatelliteSlot& s = Sat(e.id);
        EXPECT_EQ(s.inView, 1) << e.id;
        EXPECT_EQ(s.snr, e.snr) << e.id;
        EXPECT_EQ(ClassicPoint(s).x, e.x) << e.id;
        EXPECT_EQ(ClassicPoint(s).y, e.y) << e.id;
    }
}

TEST_F(GsvTest, SatelliteWithoutPositionKeepsItsLastOne) {
    // Never placed since the clear: in view, with no place on the chart yet.
    Decode(Sentence("GPGSV,1,1,01,05,,,38"));
    EXPECT_EQ(Sat(5).inView, 1);
    EXPECT_FALSE(HasSkyPosition(Sat(5)));
    Decode(Sentence("GPGSV,1,1,01,05,45,045,40"));
    EXPECT_TRUE(HasSkyPosition(Sat(5)));
    for (const char* fields : {"05,,,38", "05,45,,38", "05,,045,38", "05,x,045,38"}) {
        SCOPED_TRACE(fields);
        Decode(Sentence(std::string("GPGSV,1,1,01,") + fields));
        EXPECT_EQ(Sat(5).inView, 1);
        EXPECT_EQ(Sat(5).snr, 38);
        EXPECT_EQ(ClassicPoint(Sat(5)).x, 99);
        EXPECT_EQ(ClassicPoint(Sat(5)).y, 54);
    }
}

TEST_F(GsvTest, OverlongFieldsAreCutAndNothingSpills) {
    const std::string longField(100, '7');
    Decode(Sentence("GPGSV,1,1,02,08," + longField + ",100,30,09,10,100," + longField));
    EXPECT_EQ(InView(), (std::vector<int>{8, 9}));
    EXPECT_EQ(Sat(9).snr, INT32_MAX);  // 47 sevens, saturated
    EXPECT_EQ(text16::Length(intake.GsvFields[5]), kNavFieldWidth - 1);
}

TEST_F(GsvTest, ClearingOncePerCycleAndCompletion) {
    Decode(Sentence("GPGSV,1,1,01,30,40,083,44"));
    StartCycle();
    Decode(Sentence("GPGSV,3,1,12,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45"));
    EXPECT_EQ(InView(), (std::vector<int>{1, 2, 12, 14}));
    EXPECT_EQ(Sat(30).snr, 44);  // only the flag is cleared
    EXPECT_FALSE(completed);
    Decode(Sentence("GPGSV,3,2,12,15,40,083,46,16,17,308,41,17,07,344,39,18,22,228,45"));
    EXPECT_FALSE(completed);
    Decode(Sentence("GPGSV,3,3,12,19,40,083,46,20,17,308,41,21,07,344,39,22,22,228,45"));
    EXPECT_TRUE(completed);
    // Another system in the same cycle adds.
    Decode(Sentence("GLGSV,1,1,02,65,40,083,46,66,17,308,41"));
    EXPECT_EQ(InView().size(), 14u);
    // Without a GGA between, the next cycle's first message does not clear.
    Decode(Sentence("GPGSV,1,1,01,03,40,083,46"));
    EXPECT_EQ(InView().size(), 15u);
    StartCycle();
    Decode(Sentence("GPGSV,1,1,01,03,40,083,46"));
    EXPECT_EQ(InView(), (std::vector<int>{3}));
}

// Satellite groups numbered 10, 11 ... so that no number equals a signal ID.
std::string Groups(int count) {
    std::string s;
    for (int i = 0; i < count; ++i)
        s += "," + std::to_string(10 + i) + "," + std::to_string(20 + i) + ",1" +
             std::to_string(i) + "0,3" + std::to_string(i);
    return s;
}

TEST_F(GsvTest, OneToFourSatellitesWithAndWithoutASignalId) {
    for (int count = 0; count <= 4; ++count) {
        for (const std::string& signal : {std::string(), std::string(",1"), std::string(",8"),
                                          std::string(",4"), std::string(",B")}) {
            SCOPED_TRACE(std::to_string(count) + " satellites, signal '" + signal + "'");
            // Leave digits in every field of the buffer, as a long earlier message would.
            Decode(Sentence("GPGSV,1,1,16,01,81,001,41,04,84,004,44,08,88,008,48,12,82,012,42"));
            StartCycle();
            Decode(Sentence("GPGSV,1,1,0" + std::to_string(count) + Groups(count) + signal));
            std::vector<int> expected;
            for (int i = 0; i < count; ++i)
                expected.push_back(10 + i);
            EXPECT_EQ(InView(), expected);
            EXPECT_TRUE(completed);
            for (int i = 0; i < count; ++i) {
                const SatelliteSlot& s = Sat(10 + i);
                EXPECT_EQ(s.snr, 30 + i);
                int x = 0, y = 0;
                ClassicSkyPosition(20 + i, 100 + 10 * i, &x, &y);
                EXPECT_EQ(ClassicPoint(s).x, x);
                EXPECT_EQ(ClassicPoint(s).y, y);
            }
        }
    }
}

TEST_F(GsvTest, SkyPositionsOfTheGroupsBeforeTheSignalId) {
    Decode("$GPGSV,3,3,11,24,51,098,40,25,12,300,,29,60,230,46,1*5A\r\n");
    EXPECT_EQ(InView(), (std::vector<int>{24, 25, 29}));
    int x = 0, y = 0;
    ClassicSkyPosition(51, 98, &x, &y);
    EXPECT_EQ(ClassicPoint(Sat(24)).x, x);
    EXPECT_EQ(ClassicPoint(Sat(24)).y, y);
    EXPECT_EQ(Sat(25).snr, 0);
    EXPECT_EQ(Sat(29).snr, 46);
    ClassicSkyPosition(60, 230, &x, &y);
    EXPECT_EQ(ClassicPoint(Sat(29)).x, x);
}

TEST_F(GsvTest, EmptyGroupsAndASignalId) {
    Decode(Sentence("GPGSV,1,1,00,,,,,1"));
    Decode(Sentence("GPGSV,1,1,00,,,,,,,,,7"));
    Decode(Sentence("GPGSV,1,1,00,1"));
    EXPECT_EQ(InView(), std::vector<int>{});
    EXPECT_TRUE(completed);
}

TEST_F(GsvTest, FourSatellitesAndASignalIdStayInsideTheBuffer) {
    // 21 fields before the checksum: the signal ID is the buffer's last field,
    // the checksum digits find no room.
    Decode(Sentence("GAGSV,2,1,08,02,10,100,20,03,11,110,21,05,12,120,22,07,13,130,23,7"));
    EXPECT_EQ(InViewLabels(), (std::vector<std::string>{"E02", "E03", "E05", "E07"}));
    EXPECT_EQ(FindSatellite(status, {GnssSystem::kGalileo, 7})->snr, 23);
    EXPECT_EQ(Narrow(intake.GsvFields[20]), "7");
}

TEST_F(GsvTest, SignalsOfOneSystemAddUpInOneCycle) {
    StartCycle();
    Decode(Sentence("GPGSV,2,1,05,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45,1"));
    EXPECT_FALSE(completed);
    Decode(Sentence("GPGSV,2,2,05,24,51,098,40,1"));
    EXPECT_TRUE(completed);
    Decode(Sentence("GPGSV,1,1,02,01,40,083,38,24,51,098,35,8"));  // L5 of the same satellites
    Decode(Sentence("GLGSV,1,1,01,65,10,100,30,1"));
    EXPECT_EQ(InView(), (std::vector<int>{1, 2, 12, 14, 24, 65}));
    EXPECT_EQ(Sat(1).snr, 46);  // the strongest signal
    EXPECT_EQ(Sat(24).snr, 40);
    EXPECT_EQ(Sat(2).snr, 41);
}

TEST_F(GsvTest, CutShortGroupReadsItsMissingFieldsAsEmpty) {
    // A damaged line: the last group has its number and elevation only. Its
    // azimuth and SNR are not taken from the earlier message's buffer.
    Decode(Sentence("GPGSV,1,1,02,05,45,045,40,06,30,120,33"));
    Decode(Sentence("GPGSV,1,1,02,05,45,045,40,06,30"));
    EXPECT_EQ(InView(), (std::vector<int>{5, 6}));
    EXPECT_EQ(Sat(6).snr, 0);
    EXPECT_EQ(ClassicPoint(Sat(6)).x, 113);  // kept from the complete message
    EXPECT_EQ(ClassicPoint(Sat(6)).y, 97);
    Decode(Sentence("GPGSV,1,1,02,05,45,045,40,09,30,120"));
    EXPECT_EQ(Sat(9).inView, 1);
    EXPECT_EQ(Sat(9).snr, 0);
    EXPECT_EQ(ClassicPoint(Sat(9)).x, 113);
}

}  // namespace
