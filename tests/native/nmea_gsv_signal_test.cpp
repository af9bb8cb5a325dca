#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_intake_host.h"

namespace {

struct GsvSignalTest : ::testing::Test, IntakeFixture {
    void Decode(const std::string& line) {
        const std::u16string text = U(line);
        DecodeGsv(status, text.c_str());
    }
    std::vector<int> InView() const {
        std::vector<int> ids;
        for (int i = 0; i < kSatelliteSlots; ++i)
            if (status.satellites[i].inView)
                ids.push_back(i);
        return ids;
    }
    void StartCycle() {
        DecodeGga();
        cycleComplete = 0;
    }
};

// Satellite groups numbered 10, 11 ... so that no number equals a signal ID.
std::string Groups(int count) {
    std::string s;
    for (int i = 0; i < count; ++i)
        s += "," + std::to_string(10 + i) + "," + std::to_string(20 + i) + ",1" +
             std::to_string(i) + "0,3" + std::to_string(i);
    return s;
}

TEST_F(GsvSignalTest, OneToFourSatellitesWithAndWithoutASignalId) {
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
            EXPECT_EQ(cycleComplete, 1);
            for (int i = 0; i < count; ++i) {
                const SatelliteSlot& s = status.satellites[10 + i];
                EXPECT_EQ(s.snr, 30 + i);
                int x = 0, y = 0;
                SkyPosition(20 + i, 100 + 10 * i, &x, &y);
                EXPECT_EQ(s.skyX, x);
                EXPECT_EQ(s.skyY, y);
            }
        }
    }
}

TEST_F(GsvSignalTest, SkyPositionsOfTheGroupsBeforeTheSignalId) {
    Decode("$GPGSV,3,3,11,24,51,098,40,25,12,300,,29,60,230,46,1*5A\r\n");
    EXPECT_EQ(InView(), (std::vector<int>{24, 25, 29}));
    int x = 0, y = 0;
    SkyPosition(51, 98, &x, &y);
    EXPECT_EQ(status.satellites[24].skyX, x);
    EXPECT_EQ(status.satellites[24].skyY, y);
    EXPECT_EQ(status.satellites[25].snr, 0);
    EXPECT_EQ(status.satellites[29].snr, 46);
    SkyPosition(60, 230, &x, &y);
    EXPECT_EQ(status.satellites[29].skyX, x);
}

TEST_F(GsvSignalTest, EmptyGroupsAndASignalId) {
    Decode(Sentence("GPGSV,1,1,00,,,,,1"));
    Decode(Sentence("GPGSV,1,1,00,,,,,,,,,7"));
    Decode(Sentence("GPGSV,1,1,00,1"));
    EXPECT_EQ(InView(), std::vector<int>{});
    EXPECT_EQ(cycleComplete, 1);
}

TEST_F(GsvSignalTest, FourSatellitesAndASignalIdStayInsideTheBuffer) {
    // 21 fields before the checksum: the signal ID is the buffer's last field,
    // the checksum digits find no room.
    Decode(Sentence("GAGSV,2,1,08,02,10,100,20,03,11,110,21,05,12,120,22,07,13,130,23,7"));
    EXPECT_EQ(InView(), (std::vector<int>{2, 3, 5, 7}));
    EXPECT_EQ(status.satellites[7].snr, 23);
    EXPECT_EQ(Narrow(GsvFields[20]), "7");
}

TEST_F(GsvSignalTest, SignalsOfOneSystemAddUpInOneCycle) {
    StartCycle();
    Decode(Sentence("GPGSV,2,1,05,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45,1"));
    EXPECT_EQ(cycleComplete, 0);
    Decode(Sentence("GPGSV,2,2,05,24,51,098,40,1"));
    EXPECT_EQ(cycleComplete, 1);
    Decode(Sentence("GPGSV,1,1,02,01,40,083,38,24,51,098,35,8"));  // L5 of the same satellites
    Decode(Sentence("GLGSV,1,1,01,65,10,100,30,1"));
    EXPECT_EQ(InView(), (std::vector<int>{1, 2, 12, 14, 24, 65}));
    EXPECT_EQ(status.satellites[1].snr, 38);  // the last group listing it wins
    EXPECT_EQ(status.satellites[2].snr, 41);
}

TEST_F(GsvSignalTest, CutShortGroupReadsItsMissingFieldsAsEmpty) {
    // A damaged line: the last group has its number and elevation only. Its
    // azimuth and SNR are not taken from the earlier message's buffer.
    Decode(Sentence("GPGSV,1,1,02,05,45,045,40,06,30,120,33"));
    Decode(Sentence("GPGSV,1,1,02,05,45,045,40,06,30"));
    EXPECT_EQ(InView(), (std::vector<int>{5, 6}));
    EXPECT_EQ(status.satellites[6].snr, 0);
    EXPECT_EQ(status.satellites[6].skyX, 113);  // kept from the complete message
    EXPECT_EQ(status.satellites[6].skyY, 97);
    Decode(Sentence("GPGSV,1,1,02,05,45,045,40,09,30,120"));
    EXPECT_EQ(status.satellites[9].inView, 1);
    EXPECT_EQ(status.satellites[9].snr, 0);
    EXPECT_EQ(status.satellites[9].skyX, 113);
}

}  // namespace
