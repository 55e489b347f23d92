// Gerber export of a synthetic board's copper and silk-screen layers (four
// files, written safely to a scratch folder), for boards of 10 000 and
// 100 000 objects. Counters: the bytes and items of the four files.
// BM_ExportEveryLayer writes every output layer in the classic flavour
// (second argument 0) and as Gerber X2 (1), side by side.

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "boardgen/Boardgen.h"
#include "gerber/Gerberexport.h"
#include "gerber/Gerberx2.h"
#include "model/Vemodocument.h"

namespace {

TVemoDocument& Board(int objects) {
    static std::map<int, std::unique_ptr<TVemoDocument>> boards;
    auto& board = boards[objects];
    if (!board) board = GenerateBoard(TBoardOptions{objects, 1, true});
    return *board;
}

void BM_ExportCopperAndSilk(benchmark::State& state) {
    TVemoDocument& doc = Board(static_cast<int>(state.range(0)));
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("zelko-gerber-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    TGerberExportOptions options;
    options.folder = dir.string();
    options.layers = std::vector<std::string>{"solder", "component", "place_sol", "place_cmp"};
    std::size_t bytes = 0;
    int items = 0;
    for (auto _ : state) {
        const TGerberExportResult result = ExportGerber(doc, options);
        if (!result.Succeeded()) {
            state.SkipWithError("the export failed");
            break;
        }
        bytes = 0;
        items = 0;
        for (const TGerberLayerResult& r : result.layers) {
            bytes += r.bytes;
            items += r.items;
        }
    }
    state.counters["bytes"] = double(bytes);
    state.counters["items"] = items;
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ExportCopperAndSilk)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

void BM_ExportEveryLayer(benchmark::State& state) {
    TVemoDocument& doc = Board(static_cast<int>(state.range(0)));
    const bool x2 = state.range(1) == 1;
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("zelko-gerber-bench-all-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::size_t bytes = 0;
    for (auto _ : state) {
        TGerberExportResult result;
        if (x2) {
            TX2ExportOptions options;
            options.folder = dir.string();
            result = ExportGerberX2(doc, options);
        } else {
            TGerberExportOptions options;
            options.folder = dir.string();
            result = ExportGerber(doc, options);
        }
        if (!result.Succeeded()) {
            state.SkipWithError("the export failed");
            break;
        }
        bytes = 0;
        for (const TGerberLayerResult& r : result.layers) bytes += r.bytes;
    }
    state.counters["bytes"] = double(bytes);
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_ExportEveryLayer)
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
