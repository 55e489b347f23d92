// Gerber import of a synthetic board's whole Gerber set: every output layer
// of a board of 10 000 or 100 000 objects, written in memory in the classic
// flavour (second argument 0) or as Gerber X2 (1), read back into a new
// document. Counters: the bytes read and the objects made.

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "boardgen/Boardgen.h"
#include "gerber/Gerberexport.h"
#include "gerber/Gerberx2.h"
#include "import/Fabimport.h"
#include "model/Vemodocument.h"
#include "model/Vemolayer.h"

namespace {

const std::vector<TFabFile>& GerberSet(int objects, bool x2) {
    static std::map<std::tuple<int, bool>, std::vector<TFabFile>> sets;
    std::vector<TFabFile>& files = sets[{objects, x2}];
    if (!files.empty()) return files;
    const std::unique_ptr<TVemoDocument> board = GenerateBoard(TBoardOptions{objects, 1, true});
    TX2Options options;
    options.creationDate = "2026-01-01T00:00:00+00:00";
    for (int i = 0; i < board->GetLayerList().Count(); ++i) {
        const TVemoLayerPtr layer = board->GetLayerList().At(i);
        if (!layer->IsOutput()) continue;
        const TGerberLayerFile file =
            x2 ? BuildGerberX2Layer(*board, layer, DefaultRole(layer->GetName()), 0.3, 0.1, options)
               : BuildGerberLayer(*board, layer, 0.3, 0.1);
        if (file.ok && file.items > 0) files.push_back({layer->GetName() + ".gbr", file.bytes});
    }
    return files;
}

void BM_ImportEveryLayer(benchmark::State& state) {
    const std::vector<TFabFile>& files = GerberSet(int(state.range(0)), state.range(1) != 0);
    std::size_t bytes = 0;
    for (const TFabFile& f : files) bytes += f.bytes.size();
    int objects = 0;
    for (auto _ : state) {
        TVemoDocument doc;
        const TFabImportResult result = ImportFab(files, {}, doc);
        if (!result.ok) {
            state.SkipWithError(result.error.c_str());
            break;
        }
        objects = 0;
        for (const TFabFileResult& f : result.files) objects += f.objects;
    }
    state.counters["bytes"] = double(bytes);
    state.counters["objects"] = objects;
}
BENCHMARK(BM_ImportEveryLayer)
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Args({100000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
