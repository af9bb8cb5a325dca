#include <cmath>

#include "nmea/decoders.h"

namespace {

// Keeps the truncation defined for numbers no receiver sends; an honest
// elevation and azimuth stay far inside these bounds.
int TruncateToPixel(double v) {
    if (!(v > -1e6))
        return -1000000;
    if (v > 1e6)
        return 1000000;
    return static_cast<int>(v);
}

}  // namespace

// The chart is drawn with north up and 0.7 pixels per degree of zenith distance
// around (77, 77). 3.14159 stands for pi on purpose: the chart's positions have
// always been computed with it (azimuth 180 lands on row 139, not 140).
void SkyPosition(int elevation, int azimuth, int* skyX, int* skyY) {
    const double angle = (static_cast<double>(azimuth) - 90.0) * 3.14159 / 180.0;
    const double radius = (90.0 - static_cast<double>(elevation)) * 0.7;
    *skyX = TruncateToPixel(std::cos(angle) * radius + 77.0);
    *skyY = TruncateToPixel(std::sin(angle) * radius + 77.0);
}
