#include "stats/position_stats.h"

#include <cmath>

#include "stats/series_stats.h"

namespace stats {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadian = kPi / 180.0;
// WGS 84: semi-major axis and flattening.
constexpr double kSemiMajor = 6378137.0;
constexpr double kFlattening = 1.0 / 298.257223563;
constexpr double kEccentricity2 = kFlattening * (2.0 - kFlattening);

// The deviation of fewer than two values is not a number to report.
double Deviation(const std::vector<double>& values) {
    return values.size() < 2 ? kNotKnown : StandardDeviation(values);
}

}  // namespace

QualityBucket BucketOf(int quality) {
    if (quality >= 1 && quality <= 5)
        return static_cast<QualityBucket>(quality - 1);
    if (quality >= 6 && quality <= 8)
        return kQualityOther;
    return kQualityBuckets;
}

double LongitudeDifference(double a, double b) {
    double d = std::fmod(a - b, 360.0);
    if (d < -180.0)
        d += 360.0;
    else if (d >= 180.0)
        d -= 360.0;
    return d;
}

LocalPlane PlaneAt(double latitude, double longitude) {
    const double s = std::sin(latitude * kRadian);
    const double w2 = 1.0 - kEccentricity2 * s * s;
    const double meridian = kSemiMajor * (1.0 - kEccentricity2) / (w2 * std::sqrt(w2));
    const double primeVertical = kSemiMajor / std::sqrt(w2);
    return {latitude, longitude, meridian, primeVertical * std::cos(latitude * kRadian)};
}

void LocalPlane::Offset(double lat, double lon, double* east, double* north) const {
    *east = LongitudeDifference(lon, longitude) * kRadian * metresPerRadianEast;
    *north = (lat - latitude) * kRadian * metresPerRadianNorth;
}

AddResult PositionSeries::Add(const PositionFix& fix) {
    const QualityBucket bucket = BucketOf(fix.quality);
    if (bucket == kQualityBuckets || !std::isfinite(fix.latitude) ||
        !std::isfinite(fix.longitude) || std::fabs(fix.latitude) > 90.0 ||
        std::fabs(fix.longitude) > 180.0)
        return AddResult::kRefused;
    if (bucket == kQualityOther) {
        ++apart_;
        return AddResult::kCountedApart;
    }
    if (fixes_.size() >= kMaxPositionFixes) {
        ++notKept_;
        return AddResult::kNotKept;
    }
    fixes_.push_back(fix);
    return AddResult::kUsed;
}

void PositionSeries::SetLastGst(float sdLat, float sdLon, float sdAlt) {
    if (fixes_.empty())
        return;
    PositionFix& last = fixes_.back();
    last.gstSdLat = sdLat;
    last.gstSdLon = sdLon;
    last.gstSdAlt = sdAlt;
}

void PositionSeries::Reset() {
    fixes_.clear();
    fixes_.shrink_to_fit();
    apart_ = 0;
    notKept_ = 0;
}

PositionReference PositionSeries::ReferenceFor(const PositionReference& chosen) const {
    PositionReference ref = chosen;
    std::vector<double> altitudes;
    for (const PositionFix& f : fixes_)
        if (std::isfinite(f.altitude))
            altitudes.push_back(f.altitude);
    if (!std::isfinite(ref.altitude))
        ref.altitude = altitudes.empty() ? kNotKnown : Mean(altitudes);
    if (chosen.given || fixes_.empty())
        return ref;
    // Longitudes are averaged as differences from the first fix, so that
    // fixes either side of the antimeridian average to it and not to zero.
    std::vector<double> lats, dlons;
    const double lon0 = fixes_.front().longitude;
    for (const PositionFix& f : fixes_) {
        lats.push_back(f.latitude);
        dlons.push_back(LongitudeDifference(f.longitude, lon0));
    }
    ref.latitude = Mean(lats);
    ref.longitude = lon0 + Mean(dlons);
    if (ref.longitude >= 180.0)
        ref.longitude -= 360.0;
    else if (ref.longitude < -180.0)
        ref.longitude += 360.0;
    return ref;
}

PositionFigures PositionSeries::Figures(const PositionReference& chosen) const {
    PositionFigures out;
    const PositionReference ref = ReferenceFor(chosen);
    out.referenceGiven = chosen.given;
    out.fixes = fixes_.size();
    out.byQuality[kQualityOther] = apart_;
    if (chosen.given || !fixes_.empty()) {
        out.refLat = ref.latitude;
        out.refLon = ref.longitude;
        out.refAlt = ref.altitude;
    }
    if (fixes_.empty())
        return out;

    const LocalPlane plane = PlaneAt(ref.latitude, ref.longitude);
    const size_t n = fixes_.size();
    std::vector<double> east(n), north(n), d(n), up, alt, gstH, gstV, times;
    double squares = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const PositionFix& f = fixes_[i];
        ++out.byQuality[BucketOf(f.quality)];
        plane.Offset(f.latitude, f.longitude, &east[i], &north[i]);
        const double square = east[i] * east[i] + north[i] * north[i];
        squares += square;
        d[i] = std::sqrt(square);
        if (std::isfinite(f.altitude)) {
            alt.push_back(f.altitude);
            up.push_back(f.altitude - ref.altitude);
        }
        if (std::isfinite(f.gstSdLat) && std::isfinite(f.gstSdLon))
            gstH.push_back(std::hypot(double{f.gstSdLat}, double{f.gstSdLon}));
        if (std::isfinite(f.gstSdAlt))
            gstV.push_back(f.gstSdAlt);
        if (std::isfinite(f.seconds))
            times.push_back(f.seconds);
    }
    out.cep50 = NearestRank(d, 0.50);
    out.cep95 = NearestRank(d, 0.95);
    out.drms = std::sqrt(squares / static_cast<double>(n));
    out.twoDrms = 2.0 * out.drms;
    out.maxH = Maximum(d);
    out.sdEast = Deviation(east);
    out.sdNorth = Deviation(north);
    out.sdUp = Deviation(up);
    if (!alt.empty()) {
        out.altMean = Mean(alt);
        out.altMin = Minimum(alt);
        out.altMax = Maximum(alt);
    }
    if (!gstH.empty())
        out.gstH = Mean(gstH);
    if (!gstV.empty())
        out.gstV = Mean(gstV);
    if (!times.empty())
        out.seconds = Maximum(times) - Minimum(times);
    return out;
}

}  // namespace stats
