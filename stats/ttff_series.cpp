#include "stats/ttff_series.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "stats/series_stats.h"

namespace stats {
namespace {

// A tick that lies behind the last one by less than half the counter's range
// is late news, not a wrap of almost 50 days.
constexpr uint32_t kHalfTickRange = 0x80000000u;

// The HDOP text as received, when it is a plain decimal number that fits:
// anything else could break a CSV line or mislead a spreadsheet.
void CopyHdop(char* out, size_t cap, const char16_t* text) {
    out[0] = 0;
    if (text == nullptr)
        return;
    size_t n = 0;
    for (; text[n] != 0; ++n) {
        const char16_t c = text[n];
        if (n + 1 >= cap || !((c >= u'0' && c <= u'9') || c == u'.'))
            return;
    }
    for (size_t i = 0; i < n; ++i)
        out[i] = static_cast<char>(text[i]);
    out[n] = 0;
}

// Appends to a bounded buffer, counting what the whole text needs.
class CsvOut {
  public:
    CsvOut(char* out, size_t cap) : out_(out), cap_(cap) {
        if (cap_ > 0)
            out_[0] = 0;
    }
    void Add(const char* text) {
        for (; *text != 0; ++text, ++length_) {
            if (length_ + 1 < cap_) {
                out_[length_] = *text;
                out_[length_ + 1] = 0;
            }
        }
    }
    size_t length() const { return length_; }

  private:
    char* out_;
    size_t cap_;
    size_t length_ = 0;
};

}  // namespace

void FormatTenths(char* out, size_t cap, uint32_t tenths) {
    std::snprintf(out, cap, "%u.%u", tenths / 10, tenths % 10);
}

void FormatHundredths(char* out, size_t cap, uint32_t hundredths) {
    std::snprintf(out, cap, "%u.%02u", hundredths / 100, hundredths % 100);
}

TtffRunTexts RunTexts(const TtffRun& run) {
    TtffRunTexts t{};
    if (!run.timedOut)
        FormatTenths(t.time, sizeof t.time, run.tenths);
    std::snprintf(t.fix, sizeof t.fix, "%s",
                  run.fixType == 3   ? "3D"
                  : run.fixType == 2 ? "2D"
                                     : "");
    if (run.satellitesUsed >= 0)
        std::snprintf(t.used, sizeof t.used, "%d", static_cast<int>(run.satellitesUsed));
    return t;
}

TtffConfigValue FirstOutOfRange(const TtffSeriesConfig& config) {
    if (config.runs < 1 || config.runs > kTtffMaxRuns)
        return TtffConfigValue::kRuns;
    if (config.limitSeconds < 1 || config.limitSeconds > kTtffMaxSeconds)
        return TtffConfigValue::kLimit;
    if (config.pauseSeconds > kTtffMaxSeconds)
        return TtffConfigValue::kPause;
    return TtffConfigValue::kNone;
}

const char* TtffKindName(TtffStartKind kind) {
    switch (kind) {
        case TtffStartKind::kHot:
            return "hot";
        case TtffStartKind::kWarm:
            return "warm";
        case TtffStartKind::kCold:
            return "cold";
        case TtffStartKind::kFullCold:
            return "full cold";
    }
    return "";
}

bool TtffSeries::Configure(const TtffSeriesConfig& config) {
    if (running() || FirstOutOfRange(config) != TtffConfigValue::kNone)
        return false;
    config_ = config;
    return true;
}

void TtffSeries::Start(uint32_t now, const CivilTime& localTime, int32_t utcOffsetMinutes) {
    state_ = State::kStarting;
    lastTick_ = now;
    now_ = 0;
    clockStarted_ = false;
    localStart_ = localTime;
    utcOffsetMinutes_ = utcOffsetMinutes;
    count_ = 0;
}

// The series time of a tick: a newer tick moves the series clock on, an older
// one is placed behind it (before the series began, it is negative).
int64_t TtffSeries::At(uint32_t tick) {
    const uint32_t ahead = tick - lastTick_;
    if (ahead < kHalfTickRange) {
        now_ += ahead;
        lastTick_ = tick;
        return now_;
    }
    return now_ - static_cast<uint32_t>(lastTick_ - tick);
}

TtffStep TtffSeries::OnTick(uint32_t now) {
    // A late tick is no reason to go back in time.
    At(now);
    const int64_t at = now_;
    if (state_ == State::kWaiting && at - sentAt_ >= LimitMs())
        EndRun(at, true, 0);
    if (state_ == State::kPausing && at - endedAt_ >= int64_t{config_.pauseSeconds} * 1000)
        state_ = State::kStarting;
    switch (state_) {
        case State::kIdle:
            return TtffStep::kDone;
        case State::kStarting:
            state_ = State::kWaiting;
            sentAt_ = at;
            clockStarted_ = false;
            return TtffStep::kSendStart;
        case State::kWaiting:
        case State::kPausing:
            break;
    }
    return TtffStep::kWait;
}

void TtffSeries::OnClockStarted(uint32_t tick) {
    if (state_ != State::kWaiting || clockStarted_)
        return;
    // A clock started before this run's start belongs to an earlier clearing.
    const int64_t at = At(tick);
    if (at < sentAt_)
        return;
    clockAt_ = at;
    clockStarted_ = true;
}

bool TtffSeries::OnFix(uint32_t now, int fixType, int32_t satellitesUsed, const char16_t* hdop) {
    if (state_ != State::kWaiting)
        return false;
    const int64_t at = At(now);
    if (at - sentAt_ >= LimitMs()) {
        EndRun(at, true, 0);
        return false;
    }
    // Timed by the clock the caption's measurement uses when the dialog saw it
    // start; else from the moment the start was sent.
    const int64_t from = clockStarted_ && clockAt_ <= at ? clockAt_ : sentAt_;
    TtffRun& r = runs_[count_];
    r.fixType = fixType == 2 || fixType == 3 ? static_cast<uint8_t>(fixType) : 0;
    r.satellitesUsed = satellitesUsed < 0 ? -1 : satellitesUsed;
    CopyHdop(r.hdop, sizeof r.hdop, hdop);
    EndRun(at, false, at > from ? static_cast<uint32_t>((at - from) / 100) : 0);
    return true;
}

void TtffSeries::EndRun(int64_t at, bool timedOut, uint32_t tenths) {
    TtffRun& r = runs_[count_];
    r.number = static_cast<uint32_t>(count_ + 1);
    r.kind = config_.kind;
    r.timedOut = timedOut;
    r.tenths = tenths;
    r.startMs = static_cast<uint64_t>(sentAt_);
    if (timedOut) {
        r.fixType = 0;
        r.satellitesUsed = -1;
        r.hdop[0] = 0;
    }
    ++count_;
    endedAt_ = at;
    state_ = count_ >= config_.runs ? State::kIdle : State::kPausing;
}

void TtffSeries::Stop() {
    state_ = State::kIdle;
}

uint32_t TtffSeries::runInProgress() const {
    return state_ == State::kWaiting ? static_cast<uint32_t>(count_ + 1) : 0;
}

TtffSummary TtffSeries::Summary() const {
    TtffSummary s{};
    std::vector<double> fixes;
    fixes.reserve(count_);
    for (size_t i = 0; i < count_; ++i)
        if (!runs_[i].timedOut)
            fixes.push_back(runs_[i].tenths);
    s.runs = static_cast<uint32_t>(count_);
    s.fixes = static_cast<uint32_t>(fixes.size());
    s.timeouts = s.runs - s.fixes;
    if (fixes.empty())
        return s;
    // Whole tenths: the minimum, maximum, percentile and median (halfway
    // between two tenths is a whole number of hundredths) are exact. The
    // mean is a multiple of 1/n hundredths, n at most 1000, so a nudge of
    // 1e-9 only rounds up a half that the division left a hair below.
    s.minTenths = static_cast<uint32_t>(Minimum(fixes));
    s.maxTenths = static_cast<uint32_t>(Maximum(fixes));
    s.medianHundredths = static_cast<uint32_t>(Median(fixes) * 10.0);
    s.meanHundredths = static_cast<uint32_t>(std::floor(Mean(fixes) * 10.0 + 0.5 + 1e-9));
    s.p90Tenths = static_cast<uint32_t>(NearestRank(fixes, 0.9));
    return s;
}

bool TtffSeries::StartTime(uint64_t startMs, char* out, size_t cap) const {
    const int32_t offset = utcOffsetMinutes_;
    if (offset < -24 * 60 || offset > 24 * 60 || !IsValidCivilTime(localStart_))
        return false;
    const uint64_t ms = localStart_.wSecond * 1000ull + localStart_.wMilliseconds + startMs;
    CivilTime t;
    if (!ShiftCivilTime(localStart_, static_cast<int32_t>(ms / 60000), &t))
        return false;
    const uint32_t second = static_cast<uint32_t>(ms % 60000 / 1000);
    const int32_t zone = offset < 0 ? -offset : offset;
    std::snprintf(out, cap, "%04u-%02u-%02uT%02u:%02u:%02u%c%02d:%02d", unsigned{t.wYear},
                  unsigned{t.wMonth}, unsigned{t.wDay}, unsigned{t.wHour}, unsigned{t.wMinute},
                  second, offset < 0 ? '-' : '+', zone / 60, zone % 60);
    return true;
}

size_t TtffSeries::FormatCsv(char* out, size_t cap) const {
    CsvOut csv(out, cap);
    csv.Add("run,kind,start,result,ttff_s,fix,satellites_used,hdop\r\n");
    for (size_t i = 0; i < count_; ++i) {
        const TtffRun& r = runs_[i];
        char start[40] = "";
        StartTime(r.startMs, start, sizeof start);
        const TtffRunTexts t = RunTexts(r);
        char line[160];
        std::snprintf(line, sizeof line, "%u,%s,%s,%s,%s,%s,%s,%s\r\n", r.number,
                      TtffKindName(r.kind), start, r.timedOut ? "timeout" : "fix", t.time, t.fix,
                      t.used, r.hdop);
        csv.Add(line);
    }
    const TtffSummary s = Summary();
    char line[64];
    std::snprintf(line, sizeof line, "\r\nruns,%u\r\nfixes,%u\r\ntimeouts,%u\r\n", s.runs, s.fixes,
                  s.timeouts);
    csv.Add(line);
    const struct {
        const char* name;
        uint32_t value;
        bool hundredths;
    } times[] = {
        {"min_s", s.minTenths, false},      {"median_s", s.medianHundredths, true},
        {"mean_s", s.meanHundredths, true}, {"p90_s", s.p90Tenths, false},
        {"max_s", s.maxTenths, false},
    };
    for (const auto& t : times) {
        char value[16] = "";
        if (s.fixes > 0) {
            if (t.hundredths)
                FormatHundredths(value, sizeof value, t.value);
            else
                FormatTenths(value, sizeof value, t.value);
        }
        std::snprintf(line, sizeof line, "%s,%s\r\n", t.name, value);
        csv.Add(line);
    }
    return csv.length();
}

}  // namespace stats
