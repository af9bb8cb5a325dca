// The simulated receiver's reports and replies, checked the way a viewer and a
// test harness rely on them.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "sim_lines.h"
#include "tools/skyloom_sim/sim_receiver.h"
#include "tools/skyloom_sim/sim_sentence.h"

namespace {

constexpr double kUtc = 1767789319.0;  // 2026-01-07 12:35:19 UTC

TEST(SimSentence, FramesWithChecksumAndLineEnd) {
    EXPECT_EQ(sim::Frame("PMTK605"), "$PMTK605*31\r\n");
    EXPECT_EQ(sim::Frame("PSRF151,01"), "$PSRF151,01*0F\r\n");
    EXPECT_EQ(sim::Frame("PSRF103,05,00,00,01"), "$PSRF103,05,00,00,01*21\r\n");
    EXPECT_EQ(sim::Frame("PMTK104"), "$PMTK104*37\r\n");
}

TEST(SimSentence, ChecksumVerdicts) {
    const struct {
        const char* line;
        bool valid;
    } rows[] = {
        {"$PMTK605*31\r\n", true},  {"$PMTK605*31", true},     {"$PSRF150,0,300,1000,1*10", true},
        {"$PMTK605*32\r\n", false}, {"$PMTK605*3", false},     {"PMTK605*31\r\n", false},
        {"$PSRF151,01*0f", true},   {"$PSRF151,01*0G", false}, {"", false},
        {"$*00\r\n", true},         {"$PMTK605\r\n", false},
    };
    for (const auto& r : rows)
        EXPECT_EQ(sim::HasValidChecksum(r.line), r.valid) << r.line;
}

// Every sentence of every phase is framed right, and the cycle keeps the order
// a viewer's cycle logic expects: GGA opens it, RMC closes the reports.
// A wandering receiver sends the position to the centimetre, and its GST.
TEST(SimReceiver, EverySentenceOfEveryPhaseHasAValidChecksum) {
    for (double wander : {0.0, 3.0}) {
        sim::ReceiverOptions o;
        o.fixAfterSeconds = 3;
        o.wanderMetres = wander;
        o.quality = wander > 0 ? 4 : 1;
        sim::Receiver r(o);
        r.Command(sim::Frame("PSRF103,05,00,01,01"), 0);
        for (int t = 0; t < 6; ++t) {
            const auto lines = r.Cycle(t, kUtc + t);
            ASSERT_GE(lines.size(), 10u);
            EXPECT_EQ(lines.front().compare(0, 7, "$GNGGA,"), 0);
            EXPECT_EQ(lines[lines.size() - 2].compare(0, 7, "$GNRMC,"), 0);
            EXPECT_EQ(lines.back().compare(0, 7, "$GNVTG,"), 0);
            for (const std::string& l : lines) {
                EXPECT_TRUE(sim::HasValidChecksum(l)) << l;
                ASSERT_GE(l.size(), 2u);
                EXPECT_EQ(l.substr(l.size() - 2), "\r\n");
                EXPECT_LE(l.size(), 82u) << "NMEA limit: " << l;
            }
            EXPECT_EQ(WithPrefix(lines, "$GNGSA").size(), 4u);
            for (const char* talker : {"$GPGSV", "$GLGSV", "$GAGSV", "$BDGSV"}) {
                EXPECT_FALSE(WithPrefix(lines, talker).empty()) << talker;
            }
            EXPECT_EQ(WithPrefix(lines, "$GNGST").size(), wander > 0 ? 1u : 0u);
        }
    }
}

TEST(SimReceiver, SearchesThenFixes) {
    sim::ReceiverOptions o;
    o.fixAfterSeconds = 4;
    sim::Receiver r(o);
    int lastSum = -1;
    for (int t = 0; t <= 5; ++t) {
        const auto lines = r.Cycle(t, kUtc + t);
        const auto rmc = Fields(WithPrefix(lines, "$GNRMC")[0]);
        const auto gsa = Fields(WithPrefix(lines, "$GNGSA")[0]);
        const bool fixed = t >= 4;
        EXPECT_EQ(rmc[2], fixed ? "A" : "V") << t;
        EXPECT_EQ(gsa[2], fixed ? "3" : "1") << t;
        EXPECT_EQ(gsa[3].empty(), !fixed) << "used satellites only with a fix, t=" << t;
        EXPECT_EQ(rmc[3].empty(), !fixed) << t;
        // Signal strengths rise during the search.
        int sum = 0;
        for (const std::string& gsv : WithPrefix(lines, "$GPGSV")) {
            const auto f = Fields(gsv);
            for (size_t i = 7; i < f.size(); i += 4)
                sum += f[i].empty() ? 0 : std::stoi(f[i]);
        }
        if (t > 0 && t < 4) {
            EXPECT_GT(sum, lastSum) << t;
        }
        lastSum = sum;
    }
}

TEST(SimReceiver, TimeDatePositionAndSpeed) {
    sim::ReceiverOptions o;
    o.fixAfterSeconds = 0;
    o.speedKmh = 120;
    o.courseDegrees = 0;
    sim::Receiver r(o);
    const auto first = Fields(WithPrefix(r.Cycle(0, kUtc), "$GNRMC")[0]);
    EXPECT_EQ(first[1], "123519.00");
    EXPECT_EQ(first[9], "070126");
    EXPECT_EQ(first[3], "4807.0380");
    EXPECT_EQ(first[4], "N");
    EXPECT_EQ(first[5], "01131.0020");
    // A viewer turns whole knots into km/h: 64 kn is 118 km/h, above 100.
    EXPECT_EQ(first[7], "64.79");
    const auto later = Fields(WithPrefix(r.Cycle(10, kUtc + 10), "$GNRMC")[0]);
    EXPECT_EQ(later[1], "123529.00");
    // 120 km/h north for 10 s is 333 m: 0.18 minutes of latitude.
    EXPECT_EQ(later[3], "4807.2177");
    EXPECT_EQ(later[5], first[5]);
}

TEST(SimReceiver, EveryStartSearchesAgainForItsTime) {
    const struct {
        const char* command;
        double search;  // seconds, with --fix-after 9
    } rows[] = {{"PMTK101", 1.5}, {"PMTK102", 3}, {"PMTK103", 9}, {"PMTK104", 9}};
    for (const auto& row : rows) {
        sim::ReceiverOptions o;
        o.fixAfterSeconds = 9;
        sim::Receiver r(o);
        EXPECT_TRUE(r.HasFix(20));
        const auto replies = r.Command(sim::Frame(row.command), 20);
        ASSERT_EQ(replies.size(), 1u) << row.command;
        EXPECT_EQ(replies[0], "$PMTK010,001*2E\r\n");
        EXPECT_FALSE(r.HasFix(20 + row.search - 0.01)) << row.command;
        EXPECT_EQ(Fields(WithPrefix(r.Cycle(20 + row.search - 0.01, kUtc), "$GNRMC")[0])[2], "V");
        EXPECT_TRUE(r.HasFix(20 + row.search)) << row.command;
    }
}

// --fix-spread: a start's search varies within its share of the spread,
// differently from start to start and the same again for the same seed.
TEST(SimReceiver, FixSpreadIsRandomWithinItsShareAndFollowsTheSeed) {
    const struct {
        const char* command;
        double search, spread;  // with --fix-after 30 --fix-spread 6
    } rows[] = {{"PMTK101", 1.5, 0.3}, {"PMTK102", 10, 2}, {"PMTK103", 30, 6}};
    for (const auto& row : rows) {
        auto searches = [&](unsigned seed) {
            sim::ReceiverOptions o;
            o.fixAfterSeconds = 30;
            o.fixSpreadSeconds = 6;
            o.seed = seed;
            sim::Receiver r(o);
            std::vector<double> s;
            for (int i = 0; i < 200; ++i) {
                r.Command(sim::Frame(row.command), i);
                s.push_back(r.searchSeconds());
            }
            return s;
        };
        const std::vector<double> first = searches(1);
        EXPECT_EQ(searches(1), first) << row.command;
        EXPECT_NE(searches(2), first) << row.command;
        const auto [low, high] = std::minmax_element(first.begin(), first.end());
        EXPECT_GE(*low, row.search - row.spread) << row.command;
        EXPECT_LE(*high, row.search + row.spread) << row.command;
        // 200 draws cover most of the range.
        EXPECT_GT(*high - *low, 1.6 * row.spread) << row.command;
    }
}

TEST(SimReceiver, CommandReplies) {
    const struct {
        const char* sent;
        const char* reply;  // "" for none
    } rows[] = {
        {"$PMTK605*31\r\n", "$PMTK705,SKYSIM_CORE_"},
        {"$PSRF151,01*0F\r\n", "$PSRFTXT,WAAS Enable*"},
        {"$PSRF151,00*0E\r\n", "$PSRFTXT,WAAS Disable*"},
        {"$PSRF103,05,00,01,01*20\r\n", ""},
        {"$PSRF150,0,300,1000,1*10\r\n", ""},
        {"$PMTK605*30\r\n", ""},  // wrong checksum: ignored
        {"$PSRF151,02*0C\r\n", ""},
        {"hello\r\n", ""},
        {"\r\n", ""},
    };
    for (const auto& row : rows) {
        sim::Receiver r{sim::ReceiverOptions()};
        const auto replies = r.Command(row.sent, 1);
        if (*row.reply == '\0') {
            EXPECT_TRUE(replies.empty()) << row.sent;
            continue;
        }
        ASSERT_EQ(replies.size(), 1u) << row.sent;
        EXPECT_EQ(replies[0].compare(0, std::string(row.reply).size(), row.reply), 0) << replies[0];
        EXPECT_TRUE(sim::HasValidChecksum(replies[0])) << replies[0];
    }
}

// The version reply is laid out so that field 1 is the core version and
// field 3 the firmware version, and both fit a viewer's 127-character field.
TEST(SimReceiver, VersionReplyFields) {
    sim::Receiver r{sim::ReceiverOptions()};
    const auto f = Fields(r.Command("$PMTK605*31\r\n", 0).at(0));
    ASSERT_GE(f.size(), 4u);
    EXPECT_EQ(f[0], "$PMTK705");
    EXPECT_EQ(f[1], sim::kCoreVersion);
    EXPECT_EQ(f[3], sim::kFirmwareVersion);
    EXPECT_LT(f[1].size(), 128u);
}

TEST(SimReceiver, SwitchesVtgPowerSaveAndSbas) {
    sim::Receiver r{sim::ReceiverOptions()};
    auto countVtg = [&](double t) { return WithPrefix(r.Cycle(t, kUtc + t), "$GNVTG").size(); };
    EXPECT_EQ(countVtg(0), 0u);
    r.Command("$PSRF103,05,00,01,01*20\r\n", 1);
    EXPECT_EQ(countVtg(1), 1u);
    r.Command("$PSRF103,05,00,00,01*21\r\n", 2);
    EXPECT_EQ(countVtg(2), 0u);

    r.Command("$PSRF150,0,300,1000,1*10\r\n", 3);
    EXPECT_TRUE(r.powerSave());
    int reported = 0;
    for (int t = 3; t < 3 + 2 * sim::kPowerSaveInterval; ++t)
        reported += !r.Cycle(t, kUtc).empty();
    EXPECT_EQ(reported, 2);
    r.Command("$PSRF150,0,1000,1000,0*23\r\n", 20);
    EXPECT_FALSE(r.powerSave());
    for (int t = 20; t < 25; ++t)
        EXPECT_FALSE(r.Cycle(t, kUtc).empty());

    r.Command("$PSRF151,00*0E\r\n", 30);
    EXPECT_FALSE(r.sbasOn());
    r.Command("$PSRF103,05,00,01,01*20\r\n", 30);
    r.Command("$PSRF150,0,300,1000,1*10\r\n", 30);
    r.Command("$PMTK104*37\r\n", 31);  // back to the factory settings
    EXPECT_TRUE(r.sbasOn());
    EXPECT_FALSE(r.vtgOn());
    EXPECT_FALSE(r.powerSave());
}

TEST(SimReceiver, SystemsCanBeChosen) {
    EXPECT_EQ(sim::ParseSystems("GP,GL,GA,BD"), unsigned(sim::kAllSystems));
    EXPECT_EQ(sim::ParseSystems("GP"), unsigned(sim::kGps));
    EXPECT_EQ(sim::ParseSystems("BD,GP"), unsigned(sim::kGps | sim::kBeidou));
    EXPECT_EQ(sim::ParseSystems("GP,XX"), 0u);
    EXPECT_EQ(sim::ParseSystems(""), 0u);
    sim::ReceiverOptions o;
    o.systems = sim::kGps;
    o.fixAfterSeconds = 0;
    sim::Receiver r(o);
    const auto lines = r.Cycle(0, kUtc);
    EXPECT_EQ(WithPrefix(lines, "$GNGSA").size(), 1u);
    EXPECT_TRUE(WithPrefix(lines, "$GLGSV").empty());
    // GSV groups: 4 satellites a message, message numbers count to the total.
    const auto gsv = WithPrefix(lines, "$GPGSV");
    for (size_t i = 0; i < gsv.size(); ++i) {
        const auto f = Fields(gsv[i]);
        EXPECT_EQ(f[1], std::to_string(gsv.size()));
        EXPECT_EQ(f[2], std::to_string(i + 1));
    }
}

}  // namespace

namespace {

// NMEA 0183 4.11 as a multi-system receiver sends it: each system numbers its
// satellites in its own talker, so the systems share numbers; every GSV ends
// in its signal ID, and a second signal lists the satellites it reaches.
TEST(SimReceiver, SystemsNumberTheirOwnSatellitesOnOneOrTwoSignals) {
    const struct {
        std::string talker;
        std::string signal[2];
        int low, high;
    } systems[] = {
        {"GP", {"1", "8"}, 1, 32},
        {"GL", {"1", "3"}, 65, 88},
        {"GA", {"7", "1"}, 1, 36},
        {"BD", {"1", "5"}, 1, 46},
    };
    for (int signals : {1, 2}) {
        SCOPED_TRACE(signals);
        sim::ReceiverOptions o;
        o.fixAfterSeconds = 0;
        o.signals = signals;
        sim::Receiver r(o);
        std::vector<std::pair<std::string, int>> listed[2];
        for (const std::string& line : r.Cycle(0, kUtc)) {
            if (line.find("GSV,") == std::string::npos)
                continue;
            const auto f = Fields(line);
            // The signal ID closes the message: one field after whole groups.
            ASSERT_EQ((f.size() - 4) % 4, 1u) << line;
            bool known = false;
            for (const auto& system : systems) {
                if (f[0].substr(1, 2) != system.talker)
                    continue;
                for (int g = 0; g < 2; ++g) {
                    if (f.back() != system.signal[g])
                        continue;
                    known = true;
                    for (size_t i = 4; i + 4 < f.size(); i += 4) {
                        const int n = std::stoi(f[i]);
                        EXPECT_TRUE(n >= system.low && n <= system.high) << line;
                        listed[g].emplace_back(system.talker, n);
                        EXPECT_TRUE(g == 0 || !f[i + 3].empty()) << "untracked second signal";
                    }
                }
            }
            EXPECT_TRUE(known) << line;
        }
        auto& first = listed[0];
        std::sort(first.begin(), first.end());
        EXPECT_EQ(first.size(), 29u);
        EXPECT_EQ(std::adjacent_find(first.begin(), first.end()), first.end());
        std::vector<int> numbers;
        for (const auto& sat : first)
            numbers.push_back(sat.second);
        std::sort(numbers.begin(), numbers.end());
        EXPECT_NE(std::adjacent_find(numbers.begin(), numbers.end()), numbers.end())
            << "no number shared by two systems";
        // The second signal: some of the satellites of the first, not all.
        EXPECT_EQ(listed[1].empty(), signals == 1);
        EXPECT_LT(listed[1].size(), first.size());
        for (const auto& sat : listed[1])
            EXPECT_TRUE(std::binary_search(first.begin(), first.end(), sat));
    }
}

}  // namespace
