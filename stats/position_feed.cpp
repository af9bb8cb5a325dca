#include "stats/position_feed.h"

#include <cmath>

namespace stats {
namespace {

constexpr double kDay = 86400.0;

// GGA and GST of one epoch carry the same time, to the receiver's hundredths.
bool SameEpoch(double a, double b) {
    return std::isfinite(a) && std::isfinite(b) && std::fabs(a - b) < 0.005;
}

float Narrow(double v) {
    return std::isfinite(v) ? static_cast<float>(v) : kNotKnownF;
}

}  // namespace

// GGA carries the time of day alone: a time more than half a day earlier than
// the last one is the next day's, so a series over midnight keeps its span.
double PositionFeed::Date(double timeOfDay) {
    if (!std::isfinite(timeOfDay))
        return kNotKnown;
    if (std::isfinite(lastOfDay_) && timeOfDay < lastOfDay_ - kDay / 2)
        dayOffset_ += kDay;
    lastOfDay_ = timeOfDay;
    return timeOfDay + dayOffset_;
}

AddResult PositionFeed::OnFix(FixSource source, const ReportedFix& fix) {
    if (source == FixSource::kGns && ggaSeen_)
        return AddResult::kRefused;
    if (source == FixSource::kGga && !ggaSeen_) {
        ggaSeen_ = true;
        const auto gst = pendingGst_;  // this very epoch's, perhaps
        Reset();
        pendingGst_ = gst;
    }
    // Some receivers send a GGA per system talker ($GPGGA, $GAGGA) for one
    // epoch: it is one fix, not one per sentence.
    if (lastKept_ && SameEpoch(lastTime_, fix.timeOfDay))
        return AddResult::kRefused;
    lastKept_ = false;
    lastTime_ = fix.timeOfDay;
    PositionFix kept{};
    kept.latitude = fix.latitude;
    kept.longitude = fix.longitude;
    kept.altitude = fix.altitude;
    kept.hdop = Narrow(fix.hdop);
    kept.satellites =
        static_cast<int16_t>(fix.satellites >= 0 && fix.satellites < 1000 ? fix.satellites : -1);
    kept.quality = static_cast<uint8_t>(fix.quality >= 0 && fix.quality <= 255 ? fix.quality : 0);
    kept.gstSdLat = kept.gstSdLon = kept.gstSdAlt = kNotKnownF;
    if (SameEpoch(pendingGst_.timeOfDay, fix.timeOfDay)) {
        kept.gstSdLat = pendingGst_.sdLat;
        kept.gstSdLon = pendingGst_.sdLon;
        kept.gstSdAlt = pendingGst_.sdAlt;
    }
    // Dated only once it is a fix: the no-fix reports of a start carry times
    // of their own that would stretch the span.
    if (BucketOf(kept.quality) == kQualityBuckets || !std::isfinite(kept.latitude) ||
        !std::isfinite(kept.longitude))
        return series_.Add(kept);
    kept.seconds = Date(fix.timeOfDay);
    const AddResult result = series_.Add(kept);
    lastKept_ = result == AddResult::kUsed;
    return result;
}

void PositionFeed::OnGst(double timeOfDay, double sdLat, double sdLon, double sdAlt) {
    if (lastKept_ && SameEpoch(lastTime_, timeOfDay)) {
        series_.SetLastGst(Narrow(sdLat), Narrow(sdLon), Narrow(sdAlt));
        return;
    }
    pendingGst_.timeOfDay = timeOfDay;
    pendingGst_.sdLat = Narrow(sdLat);
    pendingGst_.sdLon = Narrow(sdLon);
    pendingGst_.sdAlt = Narrow(sdAlt);
}

void PositionFeed::Reset() {
    series_.Reset();
    lastKept_ = false;
    lastTime_ = kNotKnown;
    dayOffset_ = 0.0;
    lastOfDay_ = kNotKnown;
    pendingGst_ = {};
}

}  // namespace stats
