// Writing and reading (with the rebuild of every object) synthetic boards of
// 1 000, 10 000 and 100 000 objects: what saving and opening a board costs.
// Reading boards of about 100 000 and 575 000 leaf objects in three levels of
// blocks above their parts: opening should grow with the leaves alone.
// And opening the worst document of each hostile class, against a synthetic
// board of about the same file size ("ratio": how many times longer it takes).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "archive/Vemodocumentfile.h"
#include "boardgen/Boardgen.h"
#include "boardgen/Hostile.h"
#include "model/Vemocontainer.h"
#include "model/Vemodocument.h"

namespace {

// Boards are made once per size: generating one costs more than reading it.
const TVemoDocument& Board(int objects) {
    static std::map<int, std::unique_ptr<TVemoDocument>> boards;
    auto& board = boards[objects];
    if (!board) board = GenerateBoard({objects, 1, true});
    return *board;
}

int LeafCount(const TVemoDocument& doc) {
    int n = 0;
    ForEachObject(doc.GetRoot(), false, [&](const TVemoObject& object) { n += object.AsInstance() ? 1 : 0; });
    return n;
}

// About leaves leaf objects, the board made as many objects as give that many
// on a flat board.
const TVemoDocument& GroupedBoard(int leaves) {
    static std::map<int, std::unique_ptr<TVemoDocument>> boards;
    static const double leavesPerObject = double(LeafCount(Board(10000))) / 10000.0;
    auto& board = boards[leaves];
    if (!board) {
        TBoardOptions options;
        options.objects = std::max(1, static_cast<int>(double(leaves) / leavesPerObject));
        options.blockLevels = 3;
        board = GenerateBoard(options);
    }
    return *board;
}

void BM_WriteBoard(benchmark::State& state) {
    const TVemoDocument& board = Board(static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string out = DocumentBytes(board);
        bytes = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

void ReadBoard(benchmark::State& state, const TVemoDocument& board) {
    const std::string bytes = DocumentBytes(board);
    for (auto _ : state) {
        std::string error;
        auto doc = DocumentFromBytes(bytes, error);
        if (!doc) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(doc.get());
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
    state.counters["leaves"] = static_cast<double>(LeafCount(board));
}

void BM_ReadBoard(benchmark::State& state) {
    ReadBoard(state, Board(static_cast<int>(state.range(0))));
}

void BM_ReadGroupedBoard(benchmark::State& state) {
    ReadBoard(state, GroupedBoard(static_cast<int>(state.range(0))));
}

double MedianReadMs(const std::string& bytes) {
    std::vector<double> ms;
    for (int i = 0; i < 5; ++i) {
        const auto start = std::chrono::steady_clock::now();
        std::string error;
        auto doc = DocumentFromBytes(bytes, error);
        benchmark::DoNotOptimize(doc.get());
        ms.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[2];
}

// A synthetic board whose file is about as large as bytes.
std::string NormalBoardOfSize(std::size_t bytes) {
    const double perObject = double(DocumentBytes(Board(1000)).size()) / 1000.0;
    const int objects = std::max(1, int(double(bytes) / perObject));
    return DocumentBytes(*GenerateBoard({objects, 1, true}));
}

void BM_OpenHostile(benchmark::State& state, std::string (*make)()) {
    const std::string bytes = make();
    const double normalMs = MedianReadMs(NormalBoardOfSize(bytes.size()));
    double totalMs = 0.0;
    int runs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        std::string error;
        auto doc = DocumentFromBytes(bytes, error);
        benchmark::DoNotOptimize(doc.get());
        totalMs +=
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        ++runs;
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
    state.counters["normal_ms"] = normalMs;
    state.counters["ratio"] = runs > 0 && normalMs > 0.0 ? totalMs / runs / normalMs : 0.0;
}

}  // namespace

// The inputs of the hostile classes, as large as the reports that found them.
BENCHMARK_CAPTURE(BM_OpenHostile, nesting_v5_20000, [] {
    return hostile::NestedGroups(20000, 5);
})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenHostile, nesting_v3_20000, [] {
    return hostile::NestedGroups(20000, 3);
})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenHostile, unknown_layers_100000, [] {
    return hostile::UnknownLayers(100000);
})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenHostile, long_path_200000, [] {
    return hostile::LongSelfOverlappingPath(200000);
})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenHostile, huge_text, [] {
    return hostile::HugeText(1e30f);
})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenHostile, huge_ellipse, [] {
    return hostile::HugeEllipse(1e8f);
})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_OpenHostile, wide_stroke, [] {
    return hostile::WideStroke(1e30f);
})->Unit(benchmark::kMillisecond);

BENCHMARK(BM_WriteBoard)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBoard)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadGroupedBoard)->Arg(100000)->Arg(575000)->Unit(benchmark::kMillisecond);
