// Path costs met while editing a board: rebuilding a 2-node track and a
// 40-node curved path, and offsetting the curved path.

#include <benchmark/benchmark.h>

#include <vector>

#include "model/Vemopath.h"
#include "model/Vemolayer.h"

namespace {

TVemoLayerPtr BenchLayer() {
    return std::make_shared<TVemoLayer>(0xFF00A000u, "copper");
}

TVemoPath Track() {
    TVemoPath path;
    path.SetData({{0, 0}, {0, 0}, {300, 120}, {300, 120}, {300, 120}, {0, 0}},
                 std::vector<unsigned char>(6, 2), false);
    path.SetLayer(BenchLayer());
    path.SetSurface(TVemoSurface(5, false, false));
    return path;
}

// 40 smooth curved nodes zig-zagging along x, handles pulled out along x.
TVemoPath Curve40() {
    std::vector<PointF> pts;
    for (int k = 0; k < 40; ++k) {
        const float x = float(k) * 40.0f, y = (k % 2) ? 60.0f : 0.0f;
        pts.emplace_back(x, y);
        pts.emplace_back(x + 20, y);
        const float nx = float(k + 1) * 40.0f, ny = ((k + 1) % 2) ? 60.0f : 0.0f;
        pts.emplace_back(nx - 20, ny);
    }
    pts.back() = {-20, 0};  // incoming handle of anchor 0
    TVemoPath path;
    path.SetData(pts, std::vector<unsigned char>(pts.size(), 6), false);
    path.SetLayer(BenchLayer());
    path.SetSurface(TVemoSurface(8, false, false));
    return path;
}

void BM_RebuildTrack(benchmark::State& state) {
    TVemoPath path = Track();
    for (auto _ : state) {
        path.Rebuild();
        benchmark::DoNotOptimize(path.GetOutline().PointCount());
    }
}
BENCHMARK(BM_RebuildTrack);

void BM_RebuildCurve40(benchmark::State& state) {
    TVemoPath path = Curve40();
    for (auto _ : state) {
        path.Rebuild();
        benchmark::DoNotOptimize(path.GetOutline().PointCount());
    }
}
BENCHMARK(BM_RebuildCurve40);

// The offset command works on a copy; the copy's rebuild is part of the cost.
void BM_OffsetCurve40(benchmark::State& state) {
    const TVemoPath source = Curve40();
    for (auto _ : state) {
        state.PauseTiming();
        TVemoPath path(source);
        state.ResumeTiming();
        const bool done = path.Offset(10.0);
        benchmark::DoNotOptimize(done);
        if (!done) state.SkipWithError("offset refused");
    }
}
BENCHMARK(BM_OffsetCurve40);

}  // namespace
