// Geometry of the Position Statistics window's deviation map and strip, free
// of any window API: the scale, where each fix's dot lands, the CEP circles,
// the scale bar, the legend, and the strip's lines of the horizontal error
// and the satellites used. The window's paint only turns these into GDI
// calls and a bitmap, so all of it is checked natively.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "panels/status_layout.h"
#include "stats/position_stats.h"

namespace position_map {

using status_layout::Box;

// The map's fixed scales: metres from the centre to the nearer edge, 1 cm
// to 10 km in steps of 1, 2 and 5.
constexpr size_t kScaleCount = 19;
extern const double kScales[kScaleCount];

// "1 cm", "50 cm", "1 m", "200 m", "1 km", "10 km". Returns the length.
size_t ScaleText(double metres, char* out, size_t cap);

// The smallest scale that holds `extent` metres with a tenth to spare (the
// dots and circles never touch the edge); the largest where none does, the
// smallest for nothing to show.
double FitScale(double extent);

struct MapFrame {
    Box box;
    int32_t cx;  // the reference's pixel
    int32_t cy;
    double pixelsPerMetre;
};

MapFrame FrameFor(const Box& box, double scaleMetres);

// The pixel of an offset (north up); false when it falls outside the box.
bool Place(const MapFrame& frame, double east, double north, int32_t* x, int32_t* y);

// A circle of `metres` radius around the reference, in pixels (at least 1).
int32_t RadiusPixels(const MapFrame& frame, double metres);

// A 1-2-5 length no longer than a third of the map's width, drawn from the
// lower left corner; its text stands above it.
struct ScaleBar {
    Box bar;
    double metres;
    char text[16];
};
ScaleBar ScaleBarFor(const MapFrame& frame);

// Dot colours (COLORREF, 0x00BBGGRR) by quality, and the legend's texts.
extern const uint32_t kQualityColors[stats::kQualityBuckets];
extern const char* const kQualityNames[stats::kQualityBuckets];
constexpr uint32_t kNewestColor = 0x000000;
constexpr uint32_t kCep50Color = 0x404040;
constexpr uint32_t kCep95Color = 0x909090;
constexpr uint32_t kBackground = 0xFFFFFF;
constexpr uint32_t kAxisColor = 0xE0E0E0;

// The legend's rows in the upper right corner: a swatch and its text.
struct LegendRow {
    Box swatch;
    int32_t textX;
    int32_t textY;
    const char* text;
    uint32_t color;
};
constexpr size_t kLegendRows = 5;  // the used qualities, 1 to 5
std::array<LegendRow, kLegendRows> Legend(const MapFrame& frame);

// Dots of 3 x 3 pixels, oldest first so the newest lie on top, into a
// top-down 32-bit bitmap the size of the box (0x00RRGGBB, as a DIB holds
// them), which must hold the background already. A million fixes take some
// tens of milliseconds, so the window paints them a few times a second.
void PlotDots(const MapFrame& frame, const std::vector<stats::PositionFix>& fixes,
              const stats::LocalPlane& plane, uint32_t* pixels);

// The strip: the horizontal error (scaled to the largest in view, a 1-2-5
// number) and the satellites used (0 to the largest in view) over the last
// `seconds` before the newest fix, one point per pixel column, the column's
// largest error and its last satellite count.
struct Point {
    int32_t x;
    int32_t y;
};
struct Strip {
    std::vector<Point> error;
    std::vector<Point> satellites;
    double errorTop = 0;  // metres at the strip's top
    int satellitesTop = 0;
};
constexpr double kStripSeconds = 300.0;
Strip StripFor(const Box& box, const std::vector<stats::PositionFix>& fixes,
               const stats::LocalPlane& plane, double seconds = kStripSeconds);

}  // namespace position_map
