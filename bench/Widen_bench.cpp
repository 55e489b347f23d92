// Widening cost of the two common stroke shapes: a 2-node track and a
// 50-node curved path.

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "geom/Graphicspath.h"

using namespace geom;

static void BM_WidenTrack(benchmark::State& state) {
    Pen pen;
    pen.width = 5;
    for (auto _ : state) {
        GraphicsPath p;
        p.AddBezier({0, 0}, {0, 0}, {300, 120}, {300, 120});
        p.Widen(pen);
        benchmark::DoNotOptimize(p.PointCount());
    }
}
BENCHMARK(BM_WidenTrack);

static void BM_WidenCurve50(benchmark::State& state) {
    std::vector<PointF> pts;
    for (int k = 0; k < 50; ++k) {
        const float x = float(k) * 40.0f, y = (k % 2) ? 60.0f : 0.0f;
        if (k > 0) pts.emplace_back(x - 20, y);
        pts.emplace_back(x, y);
        if (k < 49) pts.emplace_back(x + 20, y);
    }
    Pen pen;
    pen.width = 8;
    for (auto _ : state) {
        GraphicsPath p;
        p.AddBeziers(pts.data(), pts.size());
        p.Widen(pen);
        benchmark::DoNotOptimize(p.PointCount());
    }
}
BENCHMARK(BM_WidenCurve50);
