// skyloom-sim's command line: what it accepts and what it refuses.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/skyloom_sim/sim_options.h"

namespace {

sim::ParseResult Parse(std::vector<std::string> args, sim::SimOptions* o = nullptr) {
    sim::SimOptions local;
    std::string error;
    const sim::ParseResult r = sim::ParseOptions(args, o ? o : &local, &error);
    if (r == sim::ParseResult::kError) {
        EXPECT_FALSE(error.empty());
    }
    return r;
}

TEST(SimOptions, Verdicts) {
    using R = sim::ParseResult;
    const struct {
        std::vector<std::string> args;
        R result;
    } rows[] = {
        {{"/dev/pts/3"}, R::kRun},
        {{"--help"}, R::kHelp},
        {{"COM5", "-h"}, R::kHelp},
        {{"--version"}, R::kVersion},
        {{}, R::kError},
        {{"a", "b"}, R::kError},
        {{"--baud", "4800", "dev"}, R::kRun},
        {{"--baud=115200", "dev"}, R::kRun},
        {{"--baud", "4801", "dev"}, R::kError},
        {{"--baud", "fast", "dev"}, R::kError},
        {{"dev", "--baud"}, R::kError},
        {{"--rate-hz", "0", "dev"}, R::kError},
        {{"--rate-hz", "10", "dev"}, R::kRun},
        {{"--cycles", "-1", "dev"}, R::kError},
        {{"--speed", "150", "dev"}, R::kRun},
        {{"--speed", "-1", "dev"}, R::kError},
        {{"--fix-spread", "2.5", "dev"}, R::kRun},
        {{"--fix-spread", "-1", "dev"}, R::kError},
        {{"--systems", "GP,QZ", "dev"}, R::kError},
        {{"--signals", "2", "dev"}, R::kRun},
        {{"--signals", "3", "dev"}, R::kError},
        {{"--silence", "5:2", "dev"}, R::kRun},
        {{"--silence", "5", "dev"}, R::kError},
        {{"--rate", "10", "dev"}, R::kError},  // --rate belongs to --replay
        {{"--replay", "x.pgl", "--rate", "10", "dev"}, R::kRun},
        {{"--bogus", "1", "dev"}, R::kError},
        {{"-x", "dev"}, R::kError},
        {{"--duration", "nan", "dev"}, R::kError},
        {{"--wander", "3", "dev"}, R::kRun},
        {{"--wander", "-0.5", "dev"}, R::kError},
        {{"--wander", "3m", "dev"}, R::kError},
        {{"--quality", "rtk-float", "dev"}, R::kRun},
        {{"--quality", "rtk", "dev"}, R::kError},
        // The network takes the device's place, and only one of them is given.
        {{"--tcp-listen", "4001"}, R::kRun},
        {{"--tcp-listen", "0"}, R::kError},
        {{"--tcp-listen", "65536"}, R::kError},
        {{"--udp-to", "127.0.0.1:10110"}, R::kRun},
        {{"--udp-to=[::1]:10110"}, R::kRun},
        {{"--udp-to", "127.0.0.1"}, R::kError},
        {{"--udp-to", ":10110"}, R::kError},
        {{"--udp-to", "host:0"}, R::kError},
        {{"--tcp-listen", "4001", "dev"}, R::kError},
        {{"--tcp-listen", "4001", "--udp-to", "h:1"}, R::kError},
    };
    for (const auto& row : rows) {
        std::string joined;
        for (const auto& a : row.args)
            joined += a + " ";
        EXPECT_EQ(Parse(row.args), row.result) << joined;
    }
}

TEST(SimOptions, ValuesLand) {
    sim::SimOptions o;
    ASSERT_EQ(
        Parse({"--baud",         "9600",      "--fix-after", "2.5",     "--fix-spread",   "0.5",
               "--seed",         "7",         "--cycles",    "7",       "--bad-checksum", "3",
               "--log-received", "rx.bin",    "--silence",   "1.5:2",   "--wander",       "0.02",
               "--quality",      "rtk-fixed", "-q",          "/tmp/gps"},
              &o),
        sim::ParseResult::kRun);
    EXPECT_DOUBLE_EQ(o.receiver.fixSpreadSeconds, 0.5);
    EXPECT_EQ(o.receiver.seed, 7u);
    EXPECT_EQ(o.baud, 9600);
    EXPECT_DOUBLE_EQ(o.receiver.fixAfterSeconds, 2.5);
    EXPECT_EQ(o.cycles, 7);
    EXPECT_EQ(o.faults.badChecksumEvery, 3);
    EXPECT_EQ(o.logReceived, "rx.bin");
    EXPECT_DOUBLE_EQ(o.faults.silenceAfter, 1.5);
    EXPECT_DOUBLE_EQ(o.faults.silenceFor, 2);
    EXPECT_TRUE(o.quiet);
    EXPECT_DOUBLE_EQ(o.receiver.wanderMetres, 0.02);
    EXPECT_EQ(o.receiver.quality, 4);
    EXPECT_EQ(o.device, "/tmp/gps");
}

TEST(SimOptions, UsageNamesEveryOption) {
    const std::string usage = sim::UsageText();
    for (const char* name :
         {"--baud",         "--rate-hz",   "--fix-after",   "--fix-spread", "--seed",
          "--speed",        "--replay",    "--rate ",       "--cycles",     "--duration",
          "--bad-checksum", "--cut-lines", "--long-lines",  "--high-bytes", "--silence",
          "--log-received", "--log-sent",  "--reply-delay", "--version",    "Exit status",
          "--wander",       "--quality"}) {
        EXPECT_NE(usage.find(name), std::string::npos) << name;
    }
}

}  // namespace
