// How good the fix is: the fixes of a receiver kept in numbers, and the
// figures a receiver test reports over them.
//
// The definitions, as the README gives them too:
// - a fix is a GGA (or, where the receiver sends no GGA, a GNS) with quality
//   1 to 5 and a position; quality 6 (estimated), 7 (manual) and 8
//   (simulation) are counted apart and not used;
// - the reference is the mean of the fixes' latitudes, longitudes and
//   altitudes, or a point the user gives (its altitude optional: without one,
//   up is measured from the fixes' mean altitude);
// - east = dlon * (N + h) * cos(lat0) and north = dlat * (M + h), dlat and
//   dlon in radians from the reference, M and N the WGS 84 meridian and
//   prime-vertical radii of curvature at the reference latitude lat0, h = 0;
//   up = altitude - reference altitude; horizontal error d = sqrt(e^2 + n^2);
// - CEP50 and CEP95: the ceil(0.50 n)-th and ceil(0.95 n)-th smallest d
//   (nearest rank); DRMS = sqrt(mean(d^2)), 2DRMS = 2 DRMS; the largest d;
//   the sample standard deviations (n - 1) of east, north and up;
// - the receiver's own estimate: the mean over the fixes that have a GST of
//   sqrt(sdLat^2 + sdLon^2), and the mean of its altitude deviation.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace stats {

constexpr double kNotKnown = std::numeric_limits<double>::quiet_NaN();
constexpr float kNotKnownF = std::numeric_limits<float>::quiet_NaN();

// A day at 10 Hz, 56 bytes each as kept (PositionFix), about 53 MiB when full.
constexpr size_t kMaxPositionFixes = 1000000;

// One fix as the series keeps it. Floats where seven digits are more than the
// receiver sends (HDOP, the deviations); doubles where they are not (a
// float's degree is a metre coarse, its altitude a millimetre above 16 km).
struct PositionFix {
    double seconds;    // UTC seconds from the midnight before the first fix (may pass 86400)
    double latitude;   // degrees, north positive
    double longitude;  // degrees, east positive
    double altitude;   // metres above mean sea level; NaN where not sent
    float hdop;        // NaN where not sent
    float gstSdLat;    // GST's standard deviations in metres; NaN where no GST came
    float gstSdLon;
    float gstSdAlt;
    int16_t satellites;  // used in the fix; -1 not sent
    uint8_t quality;     // GGA's 1 to 5
};

// GGA's fix qualities in the order the figures list them.
enum QualityBucket : uint8_t {
    kQualityGps,       // 1
    kQualityDgps,      // 2
    kQualityPps,       // 3
    kQualityRtkFixed,  // 4
    kQualityRtkFloat,  // 5
    kQualityOther,     // 6 to 8: counted, never used
    kQualityBuckets
};

// The bucket of a GGA quality 1 to 8; kQualityBuckets for 0 and the rest.
QualityBucket BucketOf(int quality);

struct PositionReference {
    bool given = false;  // false: the fixes' mean
    double latitude = 0.0;
    double longitude = 0.0;
    double altitude = kNotKnown;  // given without one: the fixes' mean altitude
};

// The local east/north plane at a reference point.
struct LocalPlane {
    double latitude;
    double longitude;
    double metresPerRadianNorth;  // M
    double metresPerRadianEast;   // N cos(lat0)

    // Offsets of a point in metres. The longitude difference is taken the
    // short way round, so a fix across the antimeridian stays metres away.
    void Offset(double latitude, double longitude, double* east, double* north) const;
};
LocalPlane PlaneAt(double latitude, double longitude);

// Longitude difference a - b in degrees, in [-180, 180).
double LongitudeDifference(double a, double b);

// NaN wherever there is nothing to compute (no fix, no altitude, no GST, a
// deviation of fewer than two values).
struct PositionFigures {
    size_t fixes = 0;
    size_t byQuality[kQualityBuckets] = {};
    bool referenceGiven = false;
    double refLat = kNotKnown;
    double refLon = kNotKnown;
    double refAlt = kNotKnown;
    double cep50 = kNotKnown;
    double cep95 = kNotKnown;
    double drms = kNotKnown;
    double twoDrms = kNotKnown;
    double maxH = kNotKnown;
    double sdEast = kNotKnown;
    double sdNorth = kNotKnown;
    double sdUp = kNotKnown;
    double altMean = kNotKnown;
    double altMin = kNotKnown;
    double altMax = kNotKnown;
    double gstH = kNotKnown;
    double gstV = kNotKnown;
    double seconds = kNotKnown;
};

enum class AddResult {
    kUsed,          // kept and measured
    kCountedApart,  // quality 6 to 8
    kNotKept,       // the series is full
    kRefused,       // no fix: quality 0 or out of range, no position
};

class PositionSeries {
  public:
    AddResult Add(const PositionFix& fix);
    // The receiver's deviations for the newest fix (a GST that came after it).
    void SetLastGst(float sdLat, float sdLon, float sdAlt);
    void Reset();

    const std::vector<PositionFix>& fixes() const { return fixes_; }
    size_t countedApart() const { return apart_; }
    size_t notKept() const { return notKept_; }
    size_t MemoryBytes() const { return fixes_.capacity() * sizeof(PositionFix); }

    // The reference the figures measure from: the one given, or the mean.
    PositionReference ReferenceFor(const PositionReference& chosen) const;
    // Every figure, in one pass over the kept fixes and two selections:
    // a few tens of milliseconds for a full series.
    PositionFigures Figures(const PositionReference& chosen) const;

  private:
    std::vector<PositionFix> fixes_;
    size_t apart_ = 0;
    size_t notKept_ = 0;
};

}  // namespace stats
