// Test records place satellites by the pixel the classic sky chart shows
// them at; the model keeps elevation and azimuth. This finds the angles that
// land on a pixel (aimed at its middle, so the chart's truncation keeps it
// there). (0, 0), the chart's corner, stands for "no place in the sky".
#pragma once

#include <cmath>
#include <cstdint>

#include "nmea/receiver_model.h"
#include "panels/sky_projection.h"

inline void PlaceOnClassicChart(SatelliteSlot& slot, int32_t x, int32_t y) {
    slot.skyKnown = (x != 0 || y != 0) ? 1 : 0;
    const sky::SkyChart& c = sky::kClassicChart;
    const double dx = (x >= 0 ? x + 0.5 : x - 0.5) - c.centreX;
    const double dy = (y >= 0 ? y + 0.5 : y - 0.5) - c.centreY;
    slot.elevation = 90.0 - std::hypot(dx, dy) / (c.radius / 90.0);
    slot.azimuth = std::atan2(dy, dx) * 180.0 / 3.14159 + 90.0;
}

inline sky::SkyPoint ClassicPoint(const SatelliteSlot& slot) {
    return sky::Project(sky::kClassicChart, slot.elevation, slot.azimuth);
}

// The classic chart's pixel for whole degrees, as the panel draws it.
inline void ClassicSkyPosition(int32_t elevation, int32_t azimuth, int32_t* x, int32_t* y) {
    const sky::SkyPoint p = sky::Project(sky::kClassicChart, elevation, azimuth);
    *x = p.x;
    *y = p.y;
}
