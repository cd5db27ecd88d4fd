// How long the aim's per-tick work takes: the sector hit test for a pointer
// position, and the rectangle a sector occupies on a display.
#include "core/session/layout_sector.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

// Pointer positions around a menu centre: every direction, inside the centre
// zone, on the ring and far away, as a moving pointer would produce them.
std::vector<vx::Point> aimPositions(vx::Point center) {
    std::vector<vx::Point> points;
    for (int step = 0; step < 360; ++step) {
        const double angle = step * std::numbers::pi / 180.0;
        for (const double distance : {5.0, 37.9, 38.0, 60.0, 100.0, 900.0}) {
            points.push_back(
                {center.x + distance * std::cos(angle), center.y + distance * std::sin(angle)});
        }
    }
    return points;
}

void BM_SectorHitTest(benchmark::State& state) {
    const vx::Point center{640, 400};
    const auto points = aimPositions(center);
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(vx::sector(points[i], center));
        i = (i + 1) % points.size();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_SectorHitTest);

void BM_LayoutRectangle(benchmark::State& state) {
    // A primary display under a panel and a second display to its left.
    const std::vector<vx::Rect> visibleFrames{{0, 0, 1920, 1052}, {-1280, 200, 1280, 1024}};
    std::size_t i = 0;
    for (auto _ : state) {
        const auto s = vx::allLayoutSectors[i % vx::allLayoutSectors.size()];
        benchmark::DoNotOptimize(vx::frame(s, visibleFrames[i % visibleFrames.size()]));
        ++i;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LayoutRectangle);

} // namespace
