// The simulator's main loop against a fake device and a fake clock: pacing by
// the baud rate, replies between lines, the log of received bytes, faults of
// the device.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/skyloom_sim/sim_options.h"
#include "tools/skyloom_sim/sim_sentence.h"
#include "tools/skyloom_sim/sim_session.h"

namespace {

class FakeClock : public sim::Clock {
  public:
    double Now() override { return now; }
    void Sleep(double s) override { now += s; }
    double now = 1000.0;
};

// Records every write with the time it happened; hands the host's bytes over
// at the times they are scheduled.
class FakeDevice : public sim::Device {
  public:
    explicit FakeDevice(FakeClock* clock) : clock_(clock) {}
    long Write(const char* data, size_t size) override {
        if (failAt > 0 && clock_->now >= failAt)
            return -1;
        if (blocked)
            return 0;
        written.append(data, size);
        writes.push_back({clock_->now, size});
        return static_cast<long>(size);
    }
    long Read(char* data, size_t size) override {
        if (input.empty() || clock_->now < inputAt)
            return 0;
        const size_t n = input.size() < size ? input.size() : size;
        input.copy(data, n);
        input.erase(0, n);
        return static_cast<long>(n);
    }
    std::string LastError() const override { return "fake failure"; }

    struct Write_ {
        double t;
        size_t n;
    };
    std::string written;
    std::vector<Write_> writes;
    std::string input;
    double inputAt = 0;
    double failAt = 0;
    bool blocked = false;

  private:
    FakeClock* clock_;
};

struct RunResult {
    int status;
    sim::SessionStats stats;
    std::string error;
};

RunResult RunWith(const sim::SimOptions& o, FakeDevice* device, FakeClock* clock,
                  std::FILE* log = nullptr, const std::string& recording = "") {
    sim::SessionIo io;
    io.device = device;
    io.clock = clock;
    io.receivedLog = log;
    io.utcStart = 1767789319.0;
    io.recording = recording;
    RunResult r{};
    r.status = sim::RunSession(o, io, &r.stats, &r.error);
    return r;
}

std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        end = end == std::string::npos ? bytes.size() : end + 1;
        out.push_back(bytes.substr(start, end - start));
        start = end;
    }
    return out;
}

TEST(SimSession, PacesTheOutputAtTheBaudRate) {
    for (long baud : {9600L, 115200L}) {
        FakeClock clock;
        FakeDevice device(&clock);
        sim::SimOptions o;
        o.baud = baud;
        o.cycles = 3;
        const RunResult r = RunWith(o, &device, &clock);
        ASSERT_EQ(r.status, 0) << r.error;
        ASSERT_FALSE(device.writes.empty());
        // No second of the run carries more than baud / 10 bytes (plus the
        // short burst allowed after a pause).
        const double start = device.writes.front().t;
        std::vector<size_t> perSecond(8, 0);
        for (const auto& w : device.writes) {
            const size_t s = static_cast<size_t>(w.t - start);
            if (s < perSecond.size())
                perSecond[s] += w.n;
        }
        for (size_t s = 0; s < perSecond.size(); ++s) {
            EXPECT_LE(perSecond[s], static_cast<size_t>(baud / 10 + baud / 10 / 20 + 16))
                << baud << " second " << s;
        }
        for (const std::string& line : Lines(device.written)) {
            EXPECT_TRUE(sim::HasValidChecksum(line)) << line;
        }
        EXPECT_EQ(r.stats.bytesSent, static_cast<long>(device.written.size()));
    }
}

TEST(SimSession, SlowBaudDropsWholeCyclesNotParts) {
    FakeClock clock;
    FakeDevice device(&clock);
    sim::SimOptions o;
    o.baud = 1200;
    o.duration = 10;
    const RunResult r = RunWith(o, &device, &clock);
    EXPECT_EQ(r.status, 0);
    EXPECT_GT(r.stats.cyclesDropped, 0);
    const auto lines = Lines(device.written);
    for (size_t i = 0; i + 1 < lines.size(); ++i)
        EXPECT_TRUE(sim::HasValidChecksum(lines[i]));
}

TEST(SimSession, RepliesFollowTheLineInProgressAndTheLogHoldsEveryByte) {
    FakeClock clock;
    FakeDevice device(&clock);
    const std::string sent = "$PMTK605*31\r\n$PSRF151,00*0E\r\nnot a command\r\n";
    device.input = sent;
    device.inputAt = clock.now + 1.3;
    std::FILE* log = std::tmpfile();
    ASSERT_NE(log, nullptr);
    sim::SimOptions o;
    o.baud = 4800;
    o.cycles = 3;
    o.receiver.systems = sim::kGps;
    const RunResult r = RunWith(o, &device, &clock, log);
    ASSERT_EQ(r.status, 0) << r.error;
    EXPECT_EQ(r.stats.commands, 3);

    std::rewind(log);
    std::string logged;
    char buffer[256];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, log)) > 0)
        logged.append(buffer, n);
    std::fclose(log);
    EXPECT_EQ(logged, sent);

    // Every line whole, the two replies in the order of the commands, in the
    // middle of the stream rather than after the backlog.
    const auto lines = Lines(device.written);
    size_t version = 0, waas = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(sim::HasValidChecksum(lines[i])) << lines[i];
        if (lines[i].compare(0, 8, "$PMTK705") == 0)
            version = i;
        if (lines[i].find("WAAS Disable") != std::string::npos)
            waas = i;
    }
    ASSERT_GT(version, 0u);
    EXPECT_EQ(waas, version + 1);
    EXPECT_LT(waas + 1, lines.size());
}

// A receiver takes a moment to answer: a host that throws away its input right
// after writing a command must still see the reply.
TEST(SimSession, RepliesComeAfterTheReplyDelay) {
    for (double delay : {0.0, 0.25, 1.0}) {
        FakeClock clock;
        FakeDevice device(&clock);
        device.input = "$PMTK605*31\r\n";
        device.inputAt = clock.now + 0.5;
        sim::SimOptions o;
        o.baud = 115200;
        o.duration = 2.5;
        o.replyDelay = delay;
        o.receiver.systems = sim::kGps;
        RunWith(o, &device, &clock);
        const size_t at = device.written.find("$PMTK705");
        ASSERT_NE(at, std::string::npos) << delay;
        size_t before = 0;
        double when = 0;
        for (const auto& w : device.writes) {
            if (before + w.n > at) {
                when = w.t;
                break;
            }
            before += w.n;
        }
        EXPECT_GE(when - 1000.0, 0.5 + delay - 0.011) << delay;
        EXPECT_LE(when - 1000.0, 0.5 + delay + 0.05) << delay;
    }
}

TEST(SimSession, DeviceFailureEndsWithStatusOne) {
    FakeClock clock;
    FakeDevice device(&clock);
    device.failAt = clock.now + 1.5;
    sim::SimOptions o;
    o.baud = 115200;
    o.duration = 10;
    const RunResult r = RunWith(o, &device, &clock);
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.error.find("fake failure"), std::string::npos);
}

TEST(SimSession, BlockedDeviceDoesNotBurstAfterwards) {
    FakeClock clock;
    FakeDevice device(&clock);
    device.blocked = true;
    sim::SimOptions o;
    o.baud = 9600;
    o.duration = 3;
    RunWith(o, &device, &clock);
    EXPECT_TRUE(device.written.empty());
    device.blocked = false;
    o.duration = 0.2;
    RunWith(o, &device, &clock);
    EXPECT_LE(device.written.size(), 960u / 5 + 48 + 16);
}

TEST(SimSession, ReplayDeliversEveryByteAndEnds) {
    FakeClock clock;
    FakeDevice device(&clock);
    const std::string rec = "$GPGGA,120000,,,,,0,00,,,,,,,*00\r\nx\n$GPGGA,120001,*00\r\ntail";
    sim::SimOptions o;
    o.baud = 115200;
    o.replayPath = "recording.pgl";
    const double start = clock.now;
    const RunResult r = RunWith(o, &device, &clock, nullptr, rec);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(device.written, rec);
    EXPECT_GE(clock.now - start, 1.0);  // the second GGA is due a second later
    EXPECT_LT(clock.now - start, 1.5);
}

TEST(SimSession, SilenceLosesTheLinesOfItsTime) {
    FakeClock clock;
    FakeDevice device(&clock);
    sim::SimOptions o;
    o.baud = 115200;
    o.cycles = 5;
    o.receiver.systems = sim::kGps;
    o.faults.silenceAfter = 0.5;
    o.faults.silenceFor = 2;  // cycles at t = 1 and 2 are lost
    const RunResult r = RunWith(o, &device, &clock);
    EXPECT_EQ(r.status, 0);
    size_t gga = 0;
    for (const std::string& l : Lines(device.written))
        gga += l.compare(0, 6, "$GNGGA") == 0;
    EXPECT_EQ(gga, 3u);
}

}  // namespace

namespace {

// A fast receiver: five cycles a second, each stamped with its own fraction.
TEST(SimSession, CyclesPerSecond) {
    FakeClock clock;
    FakeDevice device(&clock);
    sim::SimOptions o;
    o.baud = 115200;
    o.rateHz = 5;
    o.cycles = 6;
    o.receiver.systems = sim::kGps;
    const double start = clock.now;
    ASSERT_EQ(RunWith(o, &device, &clock).status, 0);
    std::vector<std::string> times;
    for (const std::string& l : Lines(device.written)) {
        if (l.compare(0, 7, "$GNGGA,") == 0)
            times.push_back(l.substr(7, 9));
    }
    const std::vector<std::string> expected = {"123519.00", "123519.20", "123519.40",
                                               "123519.60", "123519.80", "123520.00"};
    EXPECT_EQ(times, expected);
    EXPECT_LT(clock.now - start, 1.5);
}

}  // namespace
