// Writing and reading (with the rebuild of every object) synthetic boards of
// 1 000, 10 000 and 100 000 objects: what saving and opening a board costs.

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

#include "archive/Vemodocumentfile.h"
#include "boardgen/Boardgen.h"
#include "model/Vemodocument.h"

namespace {

// Boards are made once per size: generating one costs more than reading it.
const TVemoDocument& Board(int objects) {
    static std::map<int, std::unique_ptr<TVemoDocument>> boards;
    auto& board = boards[objects];
    if (!board) board = GenerateBoard({objects, 1, true});
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

void BM_ReadBoard(benchmark::State& state) {
    const std::string bytes = DocumentBytes(Board(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        std::string error;
        auto doc = DocumentFromBytes(bytes, error);
        if (!doc) state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(doc.get());
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
}

}  // namespace

BENCHMARK(BM_WriteBoard)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadBoard)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
