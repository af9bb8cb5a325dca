#include "panels/sky_projection.h"

#include <cmath>

namespace sky {

namespace {

// Keeps the truncation defined for numbers no receiver sends; an honest
// elevation and azimuth stay far inside these bounds.
int32_t TruncateToPixel(double v) {
    if (!(v > -1e6))
        return -1000000;
    if (v > 1e6)
        return 1000000;
    return static_cast<int32_t>(v);
}

}  // namespace

SkyChart ChartIn(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    const int64_t width = static_cast<int64_t>(right) - left;
    const int64_t height = static_cast<int64_t>(bottom) - top;
    const int64_t side = width < height ? width : height;
    // Whole-pixel centres, as the sky picture's own (77 in 155).
    return {static_cast<double>((static_cast<int64_t>(left) + right) / 2),
            static_cast<double>((static_cast<int64_t>(top) + bottom) / 2),
            side > 0 ? static_cast<double>(side) * 63.0 / kClassicChartSide : 0.0};
}

SkyPoint Project(const SkyChart& chart, double elevation, double azimuth) {
    const double angle = (azimuth - 90.0) * 3.14159 / 180.0;
    // radius / 90 is exactly 0.7 for the classic chart, so its positions are
    // the ones it always had, bit for bit.
    const double fromCentre = (90.0 - elevation) * (chart.radius / 90.0);
    return {TruncateToPixel(std::cos(angle) * fromCentre + chart.centreX),
            TruncateToPixel(std::sin(angle) * fromCentre + chart.centreY)};
}

}  // namespace sky
