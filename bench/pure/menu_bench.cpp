// How long the menu's drawing inputs take to compute: the wedge outline the
// panel strokes on every repaint while it slides, and the wedge colour voted
// from an application icon once per gesture.
#include "core/menu/annular_sector_shape.h"
#include "core/menu/icon_tint.h"
#include "core/menu/radial_menu_layout.h"

#include <benchmark/benchmark.h>
#include <cstdint>

namespace {

void BM_AnnularSectorPath(benchmark::State& state) {
    const vx::RadialMenuLayout layout;
    // A wedge part way through its slide, as the panel draws it each frame.
    const auto from = layout.wedge(0);
    const auto to = layout.wedge(135);
    double t = 0;
    for (auto _ : state) {
        const auto shape = vx::AnnularSectorShape::interpolated(from, to, t);
        benchmark::DoNotOptimize(shape.path(layout.bounds()));
        t = t >= 1 ? 0 : t + 0.01;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AnnularSectorPath);

// An icon as applications ship them: a coloured disc with a soft edge on a
// transparent square, with a white glyph in the middle.
vx::Image syntheticIcon(int side) {
    vx::Image icon{side, side,
                   std::vector<std::uint8_t>(static_cast<std::size_t>(side * side) * 4)};
    const double c = side / 2.0;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const double dx = x - c, dy = y - c;
            const double r2 = (dx * dx + dy * dy) / (c * c);
            auto* p = &icon.rgba[static_cast<std::size_t>((y * side + x) * 4)];
            if (r2 > 1)
                continue;
            const bool glyph = r2 < 0.1;
            p[0] = glyph ? 255 : 230;
            p[1] = glyph ? 255 : static_cast<std::uint8_t>(80 + (x * 60) / side);
            p[2] = glyph ? 255 : 40;
            p[3] = static_cast<std::uint8_t>(r2 > 0.9 ? 128 : 255);
        }
    }
    return icon;
}

void BM_DominantIconColor(benchmark::State& state) {
    const auto icon = syntheticIcon(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(vx::dominantIconColor(icon));
    state.SetItemsProcessed(state.iterations());
}
// The sizes _NET_WM_ICON commonly offers.
BENCHMARK(BM_DominantIconColor)->Arg(48)->Arg(128)->Arg(256);

} // namespace
