// The sentences a receiver reports its position in, turned into the fixes of
// a PositionSeries. Both skyloom-decode --stats and the Position Statistics
// window feed their series through it, so the two agree on every recording.
#pragma once

#include "stats/position_stats.h"

namespace stats {

enum class FixSource { kGga, kGns };

// What a GGA or GNS says of the fix; the feed dates it. quality is GGA's
// 0 to 8 (a GNS's mode letters map onto it).
struct ReportedFix {
    double timeOfDay;  // UTC seconds since midnight; NaN where not sent
    double latitude;   // NaN where not sent
    double longitude;
    double altitude;  // NaN where not sent
    double hdop;
    int satellites;  // -1 where not sent
    int quality;
};

class PositionFeed {
  public:
    explicit PositionFeed(PositionSeries& series) : series_(series) {}

    // A receiver that sends GGA is measured by its GGA alone: its GNS would
    // count every fix twice. The first GGA drops what GNS gave before it.
    // One fix an epoch: a second report of the time just kept is refused.
    AddResult OnFix(FixSource source, const ReportedFix& fix);
    // GST's deviations in metres (NaN where empty), matched to the fix of the
    // same time whether the receiver sends it before or after the fix.
    void OnGst(double timeOfDay, double sdLat, double sdLon, double sdAlt);
    // Starts over: the series and the clock; what the receiver sends stays known.
    void Reset();

  private:
    double Date(double timeOfDay);

    PositionSeries& series_;
    bool ggaSeen_ = false;
    bool lastKept_ = false;  // the newest report became the series' last fix
    double lastTime_ = kNotKnown;
    double dayOffset_ = 0.0;
    double lastOfDay_ = kNotKnown;
    struct {
        double timeOfDay = kNotKnown;
        float sdLat = kNotKnownF, sdLon = kNotKnownF, sdAlt = kNotKnownF;
    } pendingGst_;
};

}  // namespace stats
