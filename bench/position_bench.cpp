// The Position Statistics window's work for a full series of a million fixes
// (a day at 10 Hz): the figures worked out again, as the window does up to
// four times a second, and the map's dots plotted for one paint. Both must
// stay well below the 250 ms between refreshes.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "panels/position_map_layout.h"
#include "stats/position_stats.h"

namespace {

// A wandering fix a metre or two around Munich, quality RTK float.
const stats::PositionSeries& FullSeries() {
    static const stats::PositionSeries series = [] {
        stats::PositionSeries s;
        uint32_t random = 1;
        for (size_t i = 0; i < stats::kMaxPositionFixes; ++i) {
            random = random * 1664525u + 1013904223u;
            const double a = (random >> 8) / 16777216.0 * 6.283185307179586;
            const double r = 2.0 * std::sqrt((random & 0xFF) / 256.0);
            stats::PositionFix f{};
            f.seconds = i * 0.1;
            f.latitude = 48.1173 + r * std::cos(a) / 111200.0;
            f.longitude = 11.5167 + r * std::sin(a) / 74400.0;
            f.altitude = 545.4 + r;
            f.hdop = 0.8f;
            f.gstSdLat = f.gstSdLon = f.gstSdAlt = 1.0f;
            f.satellites = 18;
            f.quality = 5;
            s.Add(f);
        }
        return s;
    }();
    return series;
}

void BM_FiguresOfAMillionFixes(benchmark::State& state) {
    const stats::PositionSeries& series = FullSeries();
    for (auto _ : state)
        benchmark::DoNotOptimize(series.Figures({}));
    state.counters["MB"] = static_cast<double>(series.MemoryBytes()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_FiguresOfAMillionFixes)->Unit(benchmark::kMillisecond);

void BM_DotsOfAMillionFixes(benchmark::State& state) {
    const stats::PositionSeries& series = FullSeries();
    const position_map::MapFrame frame = position_map::FrameFor({0, 0, 315, 325}, 5.0);
    const stats::LocalPlane plane = stats::PlaneAt(48.1173, 11.5167);
    std::vector<uint32_t> pixels(315 * 325);
    for (auto _ : state) {
        position_map::PlotDots(frame, series.fixes(), plane, pixels.data());
        benchmark::DoNotOptimize(pixels.data());
    }
}
BENCHMARK(BM_DotsOfAMillionFixes)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
