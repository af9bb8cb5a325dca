// Satellites of several systems: which system each number belongs to, that
// one cycle keeps them apart in view and in use, several signals of one
// satellite, long GSV groups, and the table when more satellites come than
// it holds.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake_intake_host.h"
#include "tests/native/sky_angles.h"

namespace {

using Labels = std::vector<std::string>;

std::string Label(SatelliteId id) {
    char16_t text[8];
    SatelliteLabel(id, text, 8);
    return Narrow(text);
}

TEST(GnssNumbering, TalkerSystemIdAndNumberRanges) {
    const SystemHint numbers = TalkerHint(u"$GNGSV", "GSV");
    SystemHint galileoId{}, gpsId{};
    ASSERT_TRUE(SystemIdHint(u"3", &galileoId));
    ASSERT_TRUE(SystemIdHint(u"1", &gpsId));
    const struct {
        SystemHint hint;
        int32_t number;
        const char* label;
    } cases[] = {
        // Without talker or ID the number decides, at the edges of each range.
        {numbers, 1, "G01"},
        {numbers, 32, "G32"},
        {numbers, 33, "S20"},  // SBAS PRN 120, printed less 100
        {numbers, 64, "S51"},
        {numbers, 65, "R01"},
        {numbers, 96, "R32"},
        {numbers, 120, "S20"},
        {numbers, 158, "S58"},
        {numbers, 193, "J01"},
        {numbers, 202, "J10"},
        {numbers, 301, "E01"},
        {numbers, 336, "E36"},
        {numbers, 401, "C01"},
        {numbers, 437, "C37"},
        // Numbers of no range stay with the talker's default, GPS.
        {numbers, 100, "G100"},
        {numbers, 203, "G203"},
        // The talker or system ID decides over the ranges.
        {TalkerHint(u"$GAGSV", "GSV"), 5, "E05"},
        {TalkerHint(u"$GAGSV", "GSV"), 305, "E05"},
        {TalkerHint(u"$GLGSV", "GSV"), 65, "R01"},
        {TalkerHint(u"$GLGSV", "GSV"), 7, "R07"},  // a GLONASS slot sent as such
        {TalkerHint(u"$BDGSV", "GSV"), 5, "C05"},
        {TalkerHint(u"$GBGSV", "GSV"), 214, "C14"},  // PRN + 200 once BeiDou is known
        {TalkerHint(u"$GBGSV", "GSV"), 201, "C01"},
        {numbers, 201, "J09"},  // ... else QZSS's
        {TalkerHint(u"$QZGSV", "GSV"), 2, "J02"},
        {TalkerHint(u"$GQGSV", "GSV"), 193, "J01"},
        {TalkerHint(u"$GIGSV", "GSV"), 5, "I05"},
        {galileoId, 33, "E33"},  // Galileo 33 is no SBAS satellite
        // GP, system ID 1 and unknown talkers share the numbers of GPS.
        {TalkerHint(u"$GPGSV", "GSV"), 40, "S27"},
        {TalkerHint(u"$GPGSV", "GSV"), 193, "J01"},
        {gpsId, 70, "R06"},
        {TalkerHint(u"$PQGSV", "GSV"), 5, "G05"},
        // The address at the end of a line's damaged beginning still counts.
        {TalkerHint(u"xx$GAGSV", "GSV"), 5, "E05"},
        {TalkerHint(u"$GAGSA", "GSV"), 5, "G05"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.number << " " << c.label);
        EXPECT_EQ(Label(IdentifySatellite(c.number, c.hint)), c.label);
    }
    SystemHint unused{};
    for (const char16_t* id : {u"0", u"7", u"", u"12", u"a"})
        EXPECT_FALSE(SystemIdHint(id, &unused));
}

struct GnssTest : ::testing::Test, IntakeFixture {
    void FeedAll(const std::vector<std::string>& bodies) {
        for (const std::string& body : bodies)
            Feed(Sentence(body));
    }
};

// One reporting cycle each, GGA first; what is in view and in use after it.
TEST_F(GnssTest, OneCycleKeepsTheSystemsApart) {
    const struct {
        const char* name;
        std::vector<std::string> cycle;
        Labels inView;
        Labels used;
    } cases[] = {
        {"each talker numbers from 1: three satellites numbered 5",
         {"GNGSA,A,3,05,,,,,,,,,,,,1.7,0.8,1.6,1", "GNGSA,A,3,05,,,,,,,,,,,,1.7,0.8,1.6,3",
          "GPGSV,1,1,01,05,40,146,47,1", "GAGSV,1,1,01,05,56,186,46,7",
          "BDGSV,1,1,01,05,30,073,48,1"},
         {"G05", "E05", "C05"},
         {"G05", "E05"}},
        {"a Galileo GSA marks no GPS satellite",
         {"GNGSA,A,3,11,,,,,,,,,,,,1.7,0.8,1.6,3", "GPGSV,1,1,01,11,40,146,47",
          "GAGSV,1,1,01,11,56,186,46"},
         {"G11", "E11"},
         {"E11"}},
        {"GN without system ID: the numbers decide",
         {"GNGSA,A,3,02,70,,,,,,,,,,,1.37,0.77,1.14", "GPGSV,1,1,02,02,25,260,39,33,10,100,30",
          "GLGSV,1,1,01,70,38,115,43"},
         {"G02", "S20", "R06"},
         {"G02", "R06"}},
        {"a system ID outranks the talker",
         {"GPGSA,A,3,02,,,,,,,,,,,,1.7,0.8,1.6,4", "BDGSV,1,1,01,02,33,240,35"},
         {"C02"},
         {"C02"}},
        {"a talker without system ID, and BeiDou's PRN + 200 in one receiver",
         {"BDGSA,A,3,214,,,,,,,,,,,,2.5,1.2,2.2", "GNGSA,A,2,208,,,,,,,,,,,,1.6,1.3,0.9,4",
          "BDGSV,1,1,02,14,34,246,25,08,09,030,39"},
         {"C08", "C14"},
         {"C08", "C14"}},
        {"a proprietary GSV ends in signal and system ID",
         {"PQGSA,A,3,02,,,,,,,,,,,,1.2,0.9,0.9,4",
          "PQGSV,2,1,05,02,20,116,30,03,,,,05,34,137,,07,06,045,,0,4",
          "PQGSV,2,2,05,09,12,100,31,0,4", "GPGSV,1,1,01,02,30,050,40"},
         {"G02", "C02", "C03", "C05", "C07", "C09"},
         {"C02"}},
        {"the extended ranges", {"GNGSV,1,1,02,305,26,315,40,412,9,225,37"}, {"E05", "C12"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Restart();
        Feed(kGga);
        FeedAll(c.cycle);
        Feed(kGga);
        EXPECT_EQ(InViewLabels(), c.inView);
        EXPECT_EQ(UsedLabels(), c.used);
    }
}

TEST_F(GnssTest, OneSatelliteOfSeveralSignalsShowsItsStrongest) {
    Feed(kGga);
    FeedAll({"GPGSV,1,1,03,06,12,215,45,09,53,089,27,30,55,211,,1",
             // L5: 06 weaker, 09 not tracked (yet), 30 only heard here; no positions.
             "GPGSV,1,1,03,06,,,40,09,,,,30,,,39,8"});
    EXPECT_EQ(InViewLabels(), (Labels{"G06", "G09", "G30"}));
    EXPECT_EQ(Sat(6).snr, 45);
    EXPECT_EQ(Sat(9).snr, 27);
    EXPECT_EQ(Sat(30).snr, 39);
    int x = 0, y = 0;
    ClassicSkyPosition(55, 211, &x, &y);
    EXPECT_EQ(ClassicPoint(Sat(30)).x, x);
    EXPECT_EQ(ClassicPoint(Sat(30)).y, y);
    // The next cycle starts afresh: a weaker L1 is shown as it is.
    Feed(kGga);
    Feed(Sentence("GPGSV,1,1,01,06,12,215,20,1"));
    EXPECT_EQ(Sat(6).snr, 20);
    // Without a GGA, the same group listed again starts the next round too.
    Feed(Sentence("GPGSV,1,1,01,06,12,215,15,1"));
    EXPECT_EQ(Sat(6).snr, 15);
    Feed(Sentence("GPGSV,1,1,01,06,12,215,,8"));
    EXPECT_EQ(Sat(6).snr, 15);
}

TEST_F(GnssTest, GroupsOfTenAndMoreMessagesCountWholeNumbers) {
    Feed(kGga);
    for (int m = 1; m <= 12; ++m) {
        SCOPED_TRACE(m);
        const int before = host.redraws;
        Feed(Sentence("GPGSV,12," + std::to_string(m) + ",48," + std::to_string(64 + m) +
                      ",10,100,30"));
        // Only the last message completes the cycle ...
        EXPECT_EQ(host.redraws - before, m == 12 ? 1 : 0);
        // ... and none but the first clears what the group listed so far.
        EXPECT_EQ(InView().size(), static_cast<size_t>(m));
    }
}

TEST_F(GnssTest, AFullTableTakesOverSlotsNeitherInViewNorUsed) {
    Feed(kGga);
    for (int n = 1; n <= 254; ++n)
        Feed(Sentence("GAGSV,1,1,01," + std::to_string(n) + ",10,100,30"));
    Feed(kGga);
    Feed(Sentence("GLGSA,A,3,07,,,,,,,,,,,,1.0,1.0,1.0"));
    Feed(Sentence("GAGSV,1,1,01,255,10,100,30"));
    ASSERT_EQ(status.satelliteCount, kSatelliteSlots);
    // Full: the next satellite takes the slot of one that left the view, never R07's.
    Feed(Sentence("BDGSV,1,1,01,01,10,100,30"));
    EXPECT_EQ(InViewLabels(), (Labels{"C01", "E255"}));
    EXPECT_EQ(UsedLabels(), (Labels{"R07"}));
    EXPECT_EQ(FindSatellite(status, {GnssSystem::kGalileo, 1}), nullptr);
    EXPECT_NE(FindSatellite(status, {GnssSystem::kGalileo, 2}), nullptr);
    // The order stays by number, then system.
    for (int i = 1; i < status.satelliteCount; ++i) {
        const SatelliteSlot& a = status.satellites[status.order[i - 1]];
        const SatelliteSlot& b = status.satellites[status.order[i]];
        ASSERT_TRUE(a.number < b.number || (a.number == b.number && a.system < b.system)) << i;
    }
}

}  // namespace
