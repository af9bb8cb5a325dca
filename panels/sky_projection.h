// Where a satellite stands on a sky chart: north up, east to the right, the
// zenith at the chart's centre and the horizon on a circle around it. Every
// view that draws a chart, and skyloom-decode's x and y, come through here.
#pragma once

#include <cstdint>

namespace sky {

// A chart as pixels: its centre and the radius of its horizon circle.
struct SkyChart {
    double centreX;
    double centreY;
    double radius;
};

struct SkyPoint {
    int32_t x;
    int32_t y;
};

// The chart drawn into a rectangle of the window (right and bottom
// exclusive): centred in it, the horizon taking the share of the smaller
// side that the sky picture's own circle takes of its 155 pixels (63 of
// 77.5, the rest being the picture's margin and compass letters).
SkyChart ChartIn(int32_t left, int32_t top, int32_t right, int32_t bottom);

// The status panel's 155x155 sky picture: zenith at (77, 77), horizon 63
// pixels out (0.7 pixels per degree of zenith distance).
constexpr int32_t kClassicChartSide = 155;
constexpr SkyChart kClassicChart{77.0, 77.0, 63.0};

// The pixel of a satellite at that elevation and azimuth (degrees). The
// position is truncated toward zero, and 3.14159 stands for pi: the status
// panel's chart has always been drawn so (azimuth 180 lands on row 139 of
// the classic chart, not 140), and its pixels stay what they were.
SkyPoint Project(const SkyChart& chart, double elevation, double azimuth);

}  // namespace sky
