// The design-rule check of synthetic boards (zelko generate-board N --seed 1)
// of 1 000 to 100 000 objects, every rule on. Counters: copper objects,
// conductors and findings, so a change in what is found shows beside the time.

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "boardgen/Boardgen.h"
#include "check/Designcheck.h"
#include "model/Vemodocument.h"

namespace {

TVemoDocument& Board(int objects) {
    static std::map<int, std::unique_ptr<TVemoDocument>> boards;
    auto& board = boards[objects];
    if (!board) board = GenerateBoard(TBoardOptions{objects, 1, true});
    return *board;
}

void BM_CheckBoard(benchmark::State& state) {
    const TVemoDocument& doc = Board(static_cast<int>(state.range(0)));
    check::TCheckReport report;
    for (auto _ : state) {
        report = check::CheckDesign(doc, check::TDesignRules{});
        if (!report.completed) {
            state.SkipWithError("the check did not complete");
            break;
        }
    }
    state.counters["objects"] = report.objects;
    state.counters["islands"] = report.islands;
    state.counters["violations"] = double(report.violations.size());
}
BENCHMARK(BM_CheckBoard)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(20000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5);

}  // namespace
