// Fault injection, the host-command reader and the replay schedule of the
// simulated receiver.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include "tools/skyloom_sim/sim_command_reader.h"
#include "tools/skyloom_sim/sim_faults.h"
#include "tools/skyloom_sim/sim_replay.h"
#include "tools/skyloom_sim/sim_sentence.h"

namespace {

const std::string kGga =
    sim::Frame("GNGGA,123519.00,4807.0380,N,01131.0020,E,1,08,0.9,545.4,M,,M,,");

TEST(SimFaults, EachFaultHitsEveryNthLineOnly) {
    sim::FaultOptions o;
    o.badChecksumEvery = 3;
    sim::FaultInjector f(o);
    for (int i = 1; i <= 6; ++i) {
        const std::string out = f.Apply(kGga);
        EXPECT_EQ(sim::HasValidChecksum(out), i % 3 != 0) << i;
        EXPECT_EQ(out.size(), kGga.size());
        EXPECT_EQ(out.substr(out.size() - 2), "\r\n");
    }
}

TEST(SimFaults, CutLinesLoseTheirLineEnd) {
    sim::FaultOptions o;
    o.cutEvery = 1;
    const std::string out = sim::FaultInjector(o).Apply(kGga);
    EXPECT_EQ(out, kGga.substr(0, kGga.size() / 2));
    EXPECT_EQ(out.find('\n'), std::string::npos);
}

TEST(SimFaults, LongLinesComeBeforeTheLine) {
    sim::FaultOptions o;
    o.longEvery = 2;
    sim::FaultInjector f(o);
    EXPECT_EQ(f.Apply(kGga), kGga);
    const std::string out = f.Apply(kGga);
    ASSERT_EQ(out.size(), sim::kLongLineChars + kGga.size());
    const std::string longLine = out.substr(0, sim::kLongLineChars);
    EXPECT_EQ(longLine.find('\n'), sim::kLongLineChars - 1);  // 599 characters, then LF
    EXPECT_TRUE(sim::HasValidChecksum(longLine));
    EXPECT_EQ(out.substr(sim::kLongLineChars), kGga);
}

TEST(SimFaults, HighBytesKeepTheChecksumRight) {
    sim::FaultOptions o;
    o.highBytesEvery = 1;
    const std::string out = sim::FaultInjector(o).Apply(kGga);
    EXPECT_NE(out.find('\xB0'), std::string::npos);
    EXPECT_TRUE(sim::HasValidChecksum(out)) << out;
    // A line that is no sentence still gets its bytes.
    EXPECT_NE(sim::FaultInjector(o).Apply("garbage\r\n").find('\xB0'), std::string::npos);
}

TEST(SimFaults, FaultsCombine) {
    sim::FaultOptions o;
    o.highBytesEvery = 1;
    o.badChecksumEvery = 1;
    const std::string out = sim::FaultInjector(o).Apply(kGga);
    EXPECT_NE(out.find('\xB0'), std::string::npos);
    EXPECT_FALSE(sim::HasValidChecksum(out));
}

TEST(SimFaults, SilenceWindow) {
    sim::FaultOptions o;
    EXPECT_FALSE(sim::FaultInjector(o).Silent(0));
    o.silenceAfter = 2;
    o.silenceFor = 3;
    const sim::FaultInjector f(o);
    const struct {
        double t;
        bool silent;
    } rows[] = {{0, false}, {1.99, false}, {2, true}, {4.99, true}, {5, false}, {100, false}};
    for (const auto& r : rows)
        EXPECT_EQ(f.Silent(r.t), r.silent) << r.t;
}

TEST(SimCommandReader, SplitsLinesAcrossReadsAndKeepsTheirBytes) {
    sim::CommandReader r;
    EXPECT_TRUE(r.Feed("$PMTK6", 6).empty());
    const std::string rest = "05*31\r\n$PSRF151,01*0F\r\npartial";
    const auto lines = r.Feed(rest.data(), rest.size());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "$PMTK605*31\r\n");
    EXPECT_EQ(lines[1], "$PSRF151,01*0F\r\n");
    const auto last = r.Feed("\n", 1);
    ASSERT_EQ(last.size(), 1u);
    EXPECT_EQ(last[0], "partial\n");
}

TEST(SimCommandReader, DropsOverlongLinesUpToTheirLineFeed) {
    sim::CommandReader r;
    const std::string junk(sim::CommandReader::kMaxLine + 10, 'x');
    EXPECT_TRUE(r.Feed(junk.data(), junk.size()).empty());
    const std::string next = "tail\n$PMTK605*31\r\n";
    const auto lines = r.Feed(next.data(), next.size());
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "$PMTK605*31\r\n");
    EXPECT_EQ(r.discarded(), 1u);
}

TEST(SimReplay, SchedulesByTheRecordingsOwnTimes) {
    const std::string rec =
        "$GPGGA,235958.00,,,,,0,00,,,,,,,*00\r\n"
        "$GPGSV,1,1,00*79\r\n"
        "$GPRMC,235958.00,V,,,,,,,,,,N*00\r\n"
        "$GPGGA,235959.50,,,,,0,00,,,,,,,*00\r\n"
        "$GPGGA,000000.50,,,,,0,00,,,,,,,*00\r\n"  // past midnight
        "$GPGGA,000000.00,,,,,0,00,,,,,,,*00\r\n"  // a step back: no pause
        "$GPGGA,010000.00,,,,,0,00,,,,,,,*00\r\n"  // an hour's hole
        "no line end";
    const auto lines = sim::ScheduleReplay(rec, 0);
    ASSERT_EQ(lines.size(), 8u);
    const double due[] = {
        0, 0, 0, 1.5, 2.5, 2.5, 2.5 + sim::kMaxReplayGap, 2.5 + sim::kMaxReplayGap};
    std::string joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_DOUBLE_EQ(lines[i].due, due[i]) << i;
        joined += lines[i].bytes;
    }
    EXPECT_EQ(joined, rec);  // every byte as stored
    EXPECT_EQ(lines.back().bytes, "no line end");
}

// What --replay accepts: a file, even an empty one. A directory opens on POSIX
// and only fails when read; it must not pass for an empty recording.
TEST(SimReplay, ReadsFilesAndRefusesTheRest) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() /
                         ("skyloom-sim-replay-" + std::to_string(std::random_device()()));
    ASSERT_TRUE(fs::create_directory(dir));
    const std::string recording = kGga + std::string(1, '\0') + "\xFF" + "no line end";
    std::ofstream(dir / "rec.pgl", std::ios::binary) << recording;
    std::ofstream(dir / "empty.pgl", std::ios::binary).flush();
    const struct {
        fs::path path;
        bool ok;
        std::string contents;
    } rows[] = {
        {dir / "rec.pgl", true, recording},
        {dir / "empty.pgl", true, ""},
        {dir, false, ""},
        {dir / "missing.pgl", false, ""},
    };
    for (const auto& row : rows) {
        std::string contents = "untouched", error;
        EXPECT_EQ(sim::ReadFile(row.path.string(), &contents, &error), row.ok) << row.path;
        EXPECT_EQ(contents, row.ok ? row.contents : "untouched") << row.path;
        EXPECT_EQ(error.empty(), row.ok) << row.path << ": " << error;
    }
    fs::remove_all(dir);
}

TEST(SimReplay, SchedulesAtAFixedRate) {
    const auto lines = sim::ScheduleReplay("a\nb\nc\n", 4);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_DOUBLE_EQ(lines[2].due, 0.5);
    EXPECT_TRUE(sim::ScheduleReplay("", 0).empty());
}

}  // namespace
