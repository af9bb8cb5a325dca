#include "panels/position_map_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace position_map {

const double kScales[kScaleCount] = {0.01, 0.02, 0.05, 0.1, 0.2, 0.5,  1,    2,    5,    10,
                                     20,   50,   100,  200, 500, 1000, 2000, 5000, 10000};

const uint32_t kQualityColors[stats::kQualityBuckets] = {
    0xFF5A00,  // GPS: blue
    0x00A000,  // DGPS: green
    0xC00096,  // PPS: purple
    0x0000DC,  // RTK fixed: red
    0x008CFF,  // RTK float: orange
    0x808080,  // never drawn: not used
};
const char* const kQualityNames[stats::kQualityBuckets] = {"GPS",       "DGPS",      "PPS",
                                                           "RTK fixed", "RTK float", "other"};

namespace {

// A margin so that a dot at the scale's distance still shows whole.
constexpr double kFitMargin = 1.1;
constexpr int32_t kDot = 3;

uint32_t DibColor(uint32_t colorref) {
    return ((colorref & 0xFF) << 16) | (colorref & 0xFF00) | ((colorref >> 16) & 0xFF);
}

// The largest of 1, 2, 5 times a power of ten not above `limit`.
double NiceBelow(double limit) {
    if (!(limit > 0))
        return 0;
    const double power = std::pow(10.0, std::floor(std::log10(limit)));
    for (double step : {5.0, 2.0, 1.0})
        if (step * power <= limit * (1 + 1e-9))
            return step * power;
    return power;
}

// The smallest of 1, 2, 5 times a power of ten not below `value`.
double NiceAbove(double value) {
    if (!(value > 0))
        return 1;
    const double power = std::pow(10.0, std::floor(std::log10(value)));
    for (double step : {1.0, 2.0, 5.0, 10.0})
        if (step * power >= value * (1 - 1e-9))
            return step * power;
    return 10 * power;
}

}  // namespace

size_t ScaleText(double metres, char* out, size_t cap) {
    int n = 0;
    if (metres >= 1000)
        n = std::snprintf(out, cap, "%g km", metres / 1000);
    else if (metres >= 1)
        n = std::snprintf(out, cap, "%g m", metres);
    else
        n = std::snprintf(out, cap, "%g cm", std::round(metres * 1000) / 10);
    return n < 0 ? 0 : static_cast<size_t>(n);
}

double FitScale(double extent) {
    for (double s : kScales)
        if (!(extent * kFitMargin > s))
            return s;
    return kScales[kScaleCount - 1];
}

MapFrame FrameFor(const Box& box, double scaleMetres) {
    const int32_t w = box.right - box.left, h = box.bottom - box.top;
    const int32_t half = std::max(1, std::min(w, h) / 2 - 1);
    return {box, box.left + w / 2, box.top + h / 2, half / scaleMetres};
}

bool Place(const MapFrame& frame, double east, double north, int32_t* x, int32_t* y) {
    const double px = std::floor(frame.cx + east * frame.pixelsPerMetre + 0.5);
    const double py = std::floor(frame.cy - north * frame.pixelsPerMetre + 0.5);
    if (!(px >= frame.box.left && px < frame.box.right && py >= frame.box.top &&
          py < frame.box.bottom))
        return false;
    *x = static_cast<int32_t>(px);
    *y = static_cast<int32_t>(py);
    return true;
}

int32_t RadiusPixels(const MapFrame& frame, double metres) {
    const double r = std::floor(metres * frame.pixelsPerMetre + 0.5);
    // Beyond any screen: a circle that large is off the map either way.
    return r < 1 ? 1 : r > 1e6 ? 1000000 : static_cast<int32_t>(r);
}

ScaleBar ScaleBarFor(const MapFrame& frame) {
    ScaleBar bar{};
    const int32_t width = frame.box.right - frame.box.left;
    bar.metres = NiceBelow(width / 3.0 / frame.pixelsPerMetre);
    const int32_t length = static_cast<int32_t>(std::lround(bar.metres * frame.pixelsPerMetre));
    bar.bar = {frame.box.left + 8, frame.box.bottom - 10, frame.box.left + 8 + length,
               frame.box.bottom - 7};
    ScaleText(bar.metres, bar.text, sizeof bar.text);
    return bar;
}

std::array<LegendRow, kLegendRows> Legend(const MapFrame& frame) {
    std::array<LegendRow, kLegendRows> rows{};
    for (size_t i = 0; i < kLegendRows; ++i) {
        const int32_t top = frame.box.top + 6 + static_cast<int32_t>(i) * 14;
        const int32_t left = frame.box.right - 76;
        rows[i] = {{left, top + 3, left + 7, top + 10},
                   left + 11,
                   top,
                   kQualityNames[i],
                   kQualityColors[i]};
    }
    return rows;
}

void PlotDots(const MapFrame& frame, const std::vector<stats::PositionFix>& fixes,
              const stats::LocalPlane& plane, uint32_t* pixels) {
    const int32_t w = frame.box.right - frame.box.left, h = frame.box.bottom - frame.box.top;
    uint32_t colors[stats::kQualityBuckets];
    for (size_t q = 0; q < stats::kQualityBuckets; ++q)
        colors[q] = DibColor(kQualityColors[q]);
    for (const stats::PositionFix& f : fixes) {
        double east = 0, north = 0;
        plane.Offset(f.latitude, f.longitude, &east, &north);
        int32_t x = 0, y = 0;
        if (!Place(frame, east, north, &x, &y))
            continue;
        const uint32_t color = colors[stats::BucketOf(f.quality) % stats::kQualityBuckets];
        for (int32_t dy = -kDot / 2; dy <= kDot / 2; ++dy) {
            const int32_t row = y - frame.box.top + dy;
            if (row < 0 || row >= h)
                continue;
            for (int32_t dx = -kDot / 2; dx <= kDot / 2; ++dx) {
                const int32_t col = x - frame.box.left + dx;
                if (col >= 0 && col < w)
                    pixels[static_cast<size_t>(row) * static_cast<size_t>(w) +
                           static_cast<size_t>(col)] = color;
            }
        }
    }
}

Strip StripFor(const Box& box, const std::vector<stats::PositionFix>& fixes,
               const stats::LocalPlane& plane, double seconds) {
    Strip strip;
    const int32_t w = box.right - box.left, h = box.bottom - box.top;
    if (fixes.empty() || w < 2 || h < 2)
        return strip;
    double newest = stats::kNotKnown;
    for (auto it = fixes.rbegin(); it != fixes.rend() && !std::isfinite(newest); ++it)
        newest = it->seconds;
    if (!std::isfinite(newest))
        return strip;
    // One column per pixel: its largest error, its last satellite count.
    std::vector<double> error(static_cast<size_t>(w), -1.0);
    std::vector<int> used(static_cast<size_t>(w), -1);
    double largest = 0;
    int most = 0;
    for (auto it = fixes.rbegin(); it != fixes.rend(); ++it) {
        if (!std::isfinite(it->seconds))
            continue;
        const double age = newest - it->seconds;
        if (age > seconds)
            break;
        const int32_t col =
            std::min(w - 1, static_cast<int32_t>(std::lround((seconds - age) / seconds * (w - 1))));
        double east = 0, north = 0;
        plane.Offset(it->latitude, it->longitude, &east, &north);
        const double d = std::hypot(east, north);
        const size_t c = static_cast<size_t>(std::max(0, col));
        error[c] = std::max(error[c], d);
        if (used[c] < 0)
            used[c] = it->satellites;  // the newest of the column: the walk runs backwards
        largest = std::max(largest, d);
        most = std::max(most, static_cast<int>(it->satellites));
    }
    strip.errorTop = NiceAbove(largest);
    strip.satellitesTop = most > 0 ? most : 1;
    for (int32_t x = 0; x < w; ++x) {
        const size_t c = static_cast<size_t>(x);
        if (error[c] >= 0) {
            const double y = (h - 1) * (1.0 - error[c] / strip.errorTop);
            strip.error.push_back({box.left + x, box.top + static_cast<int32_t>(std::lround(y))});
        }
        if (used[c] >= 0) {
            const double y = (h - 1) * (1.0 - static_cast<double>(used[c]) / strip.satellitesTop);
            strip.satellites.push_back(
                {box.left + x, box.top + static_cast<int32_t>(std::lround(y))});
        }
    }
    return strip;
}

}  // namespace position_map
