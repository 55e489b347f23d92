// Rebuild of a 20-character text: glyph shaping, outlines and placement.

#include <benchmark/benchmark.h>

#include <memory>

#include "model/Vemolayer.h"
#include "model/Vemostring.h"

static void BM_RebuildText20(benchmark::State& state) {
    TVemoString text;
    text.SetLayer(std::make_shared<TVemoLayer>(0xFFFFB900u, "place_cmp"));
    text.SetFont(TVemoFont("MS UI Gothic", 15.0f, 0));
    text.SetText(u"R12 10k 基板 U3 DIP-8");  // 20 characters, Latin and Japanese
    for (auto _ : state) {
        text.Rebuild();
        benchmark::DoNotOptimize(text.GetOutline().PointCount());
    }
}
BENCHMARK(BM_RebuildText20);
