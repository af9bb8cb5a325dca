// A time-to-first-fix test series: a number of starts of one kind, each timed
// to the first fix or cut off at a limit, with statistics and a CSV text of the
// results. Driven by plain calls and the tick count the core uses
// (milliseconds, wrapping at 2^32), so the dialog only forwards its timer, its
// link's lines and its buttons, and shows what it reads back.
//
// One run, as the dialog carries it out:
//   OnTick returns kSendStart: perform TtffStartCommand(kind) the way the Cold
//     Start button does (clear the fix clock and the record, reset the caption,
//     send the script);
//   OnClockStarted: the first line after that clear started the fix clock
//     (ttffStartTick became non-zero);
//   OnFix: the core measured the first fix (ttffDone became 1);
//   or OnTick finds the limit passed: the run is a timeout.
// Then the pause, and the next run, until all runs are done or Stop.
#pragma once

#include <cstddef>
#include <cstdint>

#include "nmea/civil_time.h"

namespace stats {

enum class TtffStartKind : uint8_t { kHot, kWarm, kCold, kFullCold };

// "hot", "warm", "cold", "full cold".
const char* TtffKindName(TtffStartKind kind);

constexpr uint32_t kTtffMaxRuns = 1000;
constexpr uint32_t kTtffMaxSeconds = 3600;

struct TtffSeriesConfig {
    TtffStartKind kind = TtffStartKind::kCold;
    uint32_t runs = 10;           // 1 to kTtffMaxRuns
    uint32_t limitSeconds = 120;  // 1 to kTtffMaxSeconds after the start was sent
    uint32_t pauseSeconds = 5;    // 0 to kTtffMaxSeconds from a run's end to the next start
};

// The first value of a configuration that is out of its range, in the
// dialog's order; kNone when all are in range.
enum class TtffConfigValue : uint8_t { kNone, kRuns, kLimit, kPause };
TtffConfigValue FirstOutOfRange(const TtffSeriesConfig& config);

struct TtffRun {
    uint32_t number;  // from 1
    TtffStartKind kind;
    bool timedOut;
    uint32_t tenths;         // time to first fix in tenths of a second, truncated; 0 on timeout
    uint8_t fixType;         // 2 or 3 as GSA numbers them; 0 not known
    int32_t satellitesUsed;  // -1 not known
    char hdop[8];            // as the receiver sent it; "" when not known or not a number
    uint64_t startMs;        // when the start was sent, after the series began
};

// Times over the fixes only; they are 0 when there is none.
struct TtffSummary {
    uint32_t runs;
    uint32_t fixes;
    uint32_t timeouts;
    uint32_t minTenths;
    uint32_t maxTenths;
    uint32_t medianHundredths;  // the middle fix, or halfway between the two middle ones
    uint32_t meanHundredths;    // rounded to the nearest hundredth
    uint32_t p90Tenths;         // nearest rank: the ceil(0.9 n)-th shortest of n fixes
};

// A time as the series shows it: "32.4" (tenths) or "32.45" (hundredths).
void FormatTenths(char* out, size_t cap, uint32_t tenths);
void FormatHundredths(char* out, size_t cap, uint32_t hundredths);

// A run's cells as the result list and the CSV text show them; empty where
// not known (time on a timeout, fix type, satellites used).
struct TtffRunTexts {
    char time[16];
    char fix[4];  // "3D", "2D"
    char used[16];
};
TtffRunTexts RunTexts(const TtffRun& run);

enum class TtffStep {
    kWait,       // nothing to do until the next tick
    kSendStart,  // perform the start of config().kind now
    kDone,       // no series running (finished, stopped or never started)
};

class TtffSeries {
  public:
    // False, keeping the configuration, when a value is out of range or a
    // series is running.
    bool Configure(const TtffSeriesConfig& config);

    // Begins a series, forgetting the previous results. localTime is the civil
    // time at tick `now` and utcOffsetMinutes its zone (local = UTC + offset);
    // they date the runs in the CSV text. An invalid time leaves them undated.
    void Start(uint32_t now, const CivilTime& localTime, int32_t utcOffsetMinutes);
    TtffStep OnTick(uint32_t now);
    void OnClockStarted(uint32_t tick);
    // Records the run in progress as a fix and returns true; past the limit
    // it records a timeout instead. Ignored (false) while no run waits.
    bool OnFix(uint32_t now, int fixType, int32_t satellitesUsed, const char16_t* hdop);
    // Ends the series; the finished runs stay, the one in progress is dropped.
    void Stop();

    const TtffSeriesConfig& config() const { return config_; }
    bool running() const { return state_ != State::kIdle; }
    uint32_t runInProgress() const;  // its number while a start waits for its fix, else 0
    size_t count() const { return count_; }
    const TtffRun& run(size_t i) const { return runs_[i]; }
    TtffSummary Summary() const;

    // The results as CSV for a spreadsheet, lines ended by CR LF:
    //   run,kind,start,result,ttff_s,fix,satellites_used,hdop
    //   1,cold,2026-01-07T14:35:19+02:00,fix,32.4,3D,9,0.86
    //   2,cold,2026-01-07T14:36:01+02:00,timeout,,,,
    // then an empty line and the summary as name,value lines: runs, fixes,
    // timeouts, min_s, median_s, mean_s, p90_s, max_s (times empty without a
    // fix). Writes at most cap - 1 characters and a terminator; returns the
    // length of the whole text, so a result >= cap means it was cut.
    size_t FormatCsv(char* out, size_t cap) const;

  private:
    enum class State { kIdle, kStarting, kWaiting, kPausing };

    int64_t At(uint32_t tick);
    int64_t LimitMs() const { return int64_t{config_.limitSeconds} * 1000; }
    void EndRun(int64_t at, bool timedOut, uint32_t tenths);
    bool StartTime(uint64_t startMs, char* out, size_t cap) const;

    TtffSeriesConfig config_;
    State state_ = State::kIdle;
    // The series' own clock: milliseconds since Start, kept from the ticks
    // it is handed, so neither a tick wrap nor a long series upsets it.
    uint32_t lastTick_ = 0;
    int64_t now_ = 0;
    int64_t sentAt_ = 0;
    int64_t clockAt_ = 0;
    bool clockStarted_ = false;
    int64_t endedAt_ = 0;
    CivilTime localStart_{};
    int32_t utcOffsetMinutes_ = 0;
    TtffRun runs_[kTtffMaxRuns] = {};
    size_t count_ = 0;
};

}  // namespace stats
