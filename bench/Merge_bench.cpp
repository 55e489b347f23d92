// Merged outline of one copper layer: N separate round pads, the common case
// of a photoplot layer. The merge should cost about what making N single
// outlines costs (BM_SingleOutlines), growing linearly with N.

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "boardgen/Boardgen.h"
#include "model/Vemodocument.h"
#include "model/Vemolayer.h"
#include "model/Vemopart.h"
#include "model/Vemopath.h"

namespace {

// N pads of diameter 16 on a square pitch of 30 units: none touches another.
std::unique_ptr<TVemoPart> PadField(int n, const TVemoLayerPtr& layer) {
    auto part = std::make_unique<TVemoPart>();
    const int perRow = static_cast<int>(std::ceil(std::sqrt(double(n))));
    for (int i = 0; i < n; ++i) {
        const int column = i % perRow, row = i / perRow;
        const PointF c{float(column) * 30.0f, float(row) * 30.0f};
        auto pad = std::make_unique<TVemoPath>();
        pad->SetData(std::vector<PointF>(6, c), std::vector<unsigned char>(6, 0), false);
        pad->SetLayer(layer);
        pad->SetSurface(TVemoSurface(16, false, false));
        part->AddChild(std::move(pad));
    }
    return part;
}

void BM_MergedOutlineSeparatePads(benchmark::State& state) {
    const auto layer = std::make_shared<TVemoLayer>(0xFF00A000u, "copper");
    const auto part = PadField(static_cast<int>(state.range(0)), layer);
    for (auto _ : state) {
        GraphicsPath merged;
        part->AddMergedOutline(merged, layer->GetIndex());
        benchmark::DoNotOptimize(merged.PointCount());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_MergedOutlineSeparatePads)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(20000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

// The floor: every pad's outline made once, nothing compared or merged.
void BM_SingleOutlines(benchmark::State& state) {
    const auto layer = std::make_shared<TVemoLayer>(0xFF00A000u, "copper");
    const auto part = PadField(static_cast<int>(state.range(0)), layer);
    for (auto _ : state) {
        std::size_t points = 0;
        for (int i = 0; i < part->GetChildCount(); ++i) {
            GraphicsPath one;
            part->GetChild(i)->AddOutline(one, layer->GetIndex());
            points += one.PointCount();
        }
        benchmark::DoNotOptimize(points);
    }
}
BENCHMARK(BM_SingleOutlines)->Arg(20000)->Unit(benchmark::kMillisecond);

// The merged outline of the "solder" copper of a synthetic board: tracks,
// pads, pours and cut-outs that touch and overlap as on a real board.
void BM_MergedOutlineBoardCopper(benchmark::State& state) {
    const auto doc = GenerateBoard({int(state.range(0)), 1, false});
    const int solder = doc->GetLayerList().Find("solder")->GetIndex();
    std::size_t points = 0;
    for (auto _ : state) {
        GraphicsPath merged;
        doc->GetRoot().AddMergedOutline(merged, solder);
        points = merged.PointCount();
        benchmark::DoNotOptimize(points);
    }
    state.counters["points"] = double(points);
}
BENCHMARK(BM_MergedOutlineBoardCopper)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace
