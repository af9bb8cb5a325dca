// Time-to-first-fix series: runs, limits and pauses on a wrapping tick count,
// the statistics over the fixes, and the CSV text.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "stats/ttff_series.h"

using stats::TtffSeries;
using stats::TtffStartKind;
using stats::TtffStep;

namespace {

constexpr int kTimeout = -1;
constexpr uint32_t kWrapSoon = 0xFFFFF000u;  // the tick count wraps in the first run

struct TtffSeriesTest : ::testing::Test {
    // Plays one run: the start, the clock started 700 ms later by the first
    // line, then a fix `fixMs` after that, or nothing until the limit.
    void PlayRun(int fixMs) {
        while (series->OnTick(tick) != TtffStep::kSendStart)
            tick += 250;
        const uint32_t sent = tick;
        series->OnClockStarted(sent + 700);
        if (fixMs == kTimeout) {
            tick = sent + series->config().limitSeconds * 1000;
            series->OnTick(tick);
        } else {
            tick = sent + 700 + static_cast<uint32_t>(fixMs);
            EXPECT_TRUE(series->OnFix(tick, 3, 8, u"0.9"));
        }
    }
    void Play(const std::vector<int>& outcomes, stats::TtffSeriesConfig config = {}) {
        config.runs = static_cast<uint32_t>(outcomes.size());
        config.pauseSeconds = 1;
        ASSERT_TRUE(series->Configure(config));
        series->Start(tick, CivilTime{}, 0);
        for (int ms : outcomes)
            PlayRun(ms);
        EXPECT_EQ(series->OnTick(tick), TtffStep::kDone);
    }
    std::string Csv() {
        const size_t n = series->FormatCsv(nullptr, 0);
        std::string text(n + 1, '?');
        EXPECT_EQ(series->FormatCsv(&text[0], text.size()), n);
        text.resize(n);
        return text;
    }

    std::unique_ptr<TtffSeries> series = std::make_unique<TtffSeries>();
    uint32_t tick = kWrapSoon;
};

std::vector<int> EverySecondUpTo(int n) {
    std::vector<int> ms;
    for (int i = 1; i <= n; ++i)
        ms.push_back(i * 1000);
    return ms;
}

TEST_F(TtffSeriesTest, StatisticsOverTheFixes) {
    const struct {
        std::vector<int> outcomes;  // ms from the clock's start to the fix
        // fixes, timeouts, min, median (hundredths), mean (hundredths), p90, max
        std::vector<uint32_t> summary;
    } rows[] = {
        {{12399}, {1, 0, 123, 1230, 1230, 123, 123}},  // tenths truncated, as the caption's seconds
        {{kTimeout, kTimeout, kTimeout}, {0, 3, 0, 0, 0, 0, 0}},
        {{40000, 10000, 30000, 20000}, {4, 0, 100, 2500, 2500, 400, 400}},  // even: halfway
        {{10100, kTimeout, 10200, 10200}, {3, 1, 101, 1020, 1017, 102, 102}},
        {EverySecondUpTo(10), {10, 0, 10, 550, 550, 90, 100}},   // the 9th of 10
        {EverySecondUpTo(11), {11, 0, 10, 600, 600, 100, 110}},  // the 10th of 11
    };
    for (const auto& row : rows) {
        series = std::make_unique<TtffSeries>();
        Play(row.outcomes);
        const stats::TtffSummary s = series->Summary();
        EXPECT_EQ(s.runs, row.outcomes.size());
        EXPECT_EQ((std::vector<uint32_t>{s.fixes, s.timeouts, s.minTenths, s.medianHundredths,
                                         s.meanHundredths, s.p90Tenths, s.maxTenths}),
                  row.summary)
            << row.outcomes.size() << " runs";
    }
}

TEST_F(TtffSeriesTest, RunsLimitsAndPauses) {
    ASSERT_TRUE(series->Configure({TtffStartKind::kHot, 4, 10, 2}));
    const uint32_t t = kWrapSoon;
    series->Start(t, CivilTime{}, 0);
    EXPECT_EQ(series->OnTick(t), TtffStep::kSendStart);
    EXPECT_EQ(series->runInProgress(), 1u);
    series->OnClockStarted(t - 1);  // an earlier clearing's clock
    series->OnClockStarted(t + 800);
    series->OnClockStarted(t + 900);  // only the first start counts
    EXPECT_EQ(series->OnTick(t + 5000), TtffStep::kWait);
    EXPECT_TRUE(series->OnFix(t + 8999, 3, 7, u"1.2"));
    EXPECT_EQ(series->OnTick(t + 10998), TtffStep::kWait);  // pausing
    EXPECT_EQ(series->OnTick(t + 10999), TtffStep::kSendStart);
    EXPECT_EQ(series->OnTick(t + 20998), TtffStep::kWait);
    EXPECT_EQ(series->OnTick(t + 20999), TtffStep::kWait);  // the limit: a timeout, then the pause
    EXPECT_EQ(series->OnTick(t + 22999), TtffStep::kSendStart);
    EXPECT_TRUE(series->OnFix(t + 27320, 2, 4, u"9,9"));  // no clock seen: timed from the start
    EXPECT_EQ(series->OnTick(t + 29320), TtffStep::kSendStart);
    EXPECT_FALSE(series->OnFix(t + 39320, 3, 9, u"1.0"));  // at the limit: a timeout
    EXPECT_EQ(series->OnTick(t + 39321), TtffStep::kDone);
    EXPECT_FALSE(series->OnFix(t + 39400, 3, 9, u"1.0"));

    std::vector<std::string> runs;
    for (size_t i = 0; i < series->count(); ++i) {
        const stats::TtffRun& r = series->run(i);
        ASSERT_EQ(r.number, i + 1);
        ASSERT_EQ(r.kind, TtffStartKind::kHot);
        runs.push_back(std::to_string(r.startMs) + (r.timedOut ? " timeout " : " fix ") +
                       std::to_string(r.tenths) + " " + std::to_string(r.fixType) + " " +
                       std::to_string(r.satellitesUsed) + " '" + r.hdop + "'");
    }
    const std::vector<std::string> expected = {
        "0 fix 81 3 7 '1.2'",  // 8199 ms from the clock: the caption says 8 Sec
        "10999 timeout 0 0 -1 ''",
        "22999 fix 43 2 4 ''",  // an HDOP that would break the CSV is left out
        "29320 timeout 0 0 -1 ''",
    };
    EXPECT_EQ(runs, expected);
}

TEST_F(TtffSeriesTest, StopKeepsTheFinishedRunsAndConfigureChecksRanges) {
    ASSERT_TRUE(series->Configure({TtffStartKind::kCold, 5, 30, 0}));
    series->Start(tick, CivilTime{}, 0);
    PlayRun(5000);
    PlayRun(kTimeout);
    // Without a pause the timeout's tick already sends the next start.
    EXPECT_EQ(series->count(), 2u);
    EXPECT_EQ(series->runInProgress(), 3u);
    EXPECT_FALSE(series->Configure({}));  // not while running
    series->Stop();
    EXPECT_EQ(series->OnTick(tick + 100), TtffStep::kDone);
    EXPECT_FALSE(series->OnFix(tick + 200, 3, 5, u"1.0"));
    EXPECT_EQ(series->count(), 2u);
    EXPECT_EQ(series->runInProgress(), 0u);

    const struct {
        uint32_t runs, limit, pause;
        bool ok;
    } rows[] = {
        {1, 1, 0, true},   {1000, 3600, 3600, true}, {0, 120, 5, false},     {1001, 120, 5, false},
        {10, 0, 5, false}, {10, 3601, 5, false},     {10, 120, 3601, false},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(series->Configure({TtffStartKind::kWarm, r.runs, r.limit, r.pause}), r.ok)
            << r.runs << " " << r.limit << " " << r.pause;
    }
    EXPECT_EQ(series->config().runs, 1000u);  // the last accepted one
    series->Start(tick, CivilTime{}, 0);
    EXPECT_EQ(series->count(), 0u);
}

TEST_F(TtffSeriesTest, CsvText) {
    // Dated from 23:59:30.500 local at UTC+2: the second start falls on the next day.
    const CivilTime local{2026, 1, 3, 7, 23, 59, 30, 500};
    ASSERT_TRUE(series->Configure({TtffStartKind::kWarm, 2, 60, 0}));
    series->Start(tick, local, 120);
    PlayRun(32200);  // sent at +0, fixed at +32.9 s
    PlayRun(kTimeout);
    EXPECT_EQ(Csv(),
              "run,kind,start,result,ttff_s,fix,satellites_used,hdop\r\n"
              "1,warm,2026-01-07T23:59:30+02:00,fix,32.2,3D,8,0.9\r\n"
              "2,warm,2026-01-08T00:00:03+02:00,timeout,,,,\r\n"
              "\r\n"
              "runs,2\r\nfixes,1\r\ntimeouts,1\r\nmin_s,32.2\r\nmedian_s,32.20\r\n"
              "mean_s,32.20\r\np90_s,32.2\r\nmax_s,32.2\r\n");
    char cut[12];
    EXPECT_EQ(series->FormatCsv(cut, sizeof cut), Csv().size());
    EXPECT_STREQ(cut, "run,kind,st");

    series = std::make_unique<TtffSeries>();
    ASSERT_TRUE(series->Configure({TtffStartKind::kFullCold, 1, 5, 0}));
    series->Start(tick, local, -330);
    PlayRun(kTimeout);
    EXPECT_EQ(Csv(),
              "run,kind,start,result,ttff_s,fix,satellites_used,hdop\r\n"
              "1,full cold,2026-01-07T23:59:30-05:30,timeout,,,,\r\n"
              "\r\n"
              "runs,1\r\nfixes,0\r\ntimeouts,1\r\nmin_s,\r\nmedian_s,\r\nmean_s,\r\np90_s,\r\n"
              "max_s,\r\n");
}

}  // namespace
