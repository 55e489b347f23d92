// Undo history on synthetic boards: recording one root step (serialising every
// object), undo plus redo (reloading and rebuilding every object), and the
// peak memory of a history that holds its full 33 snapshots.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "boardgen/Boardgen.h"
#include "history/Vemohistory.h"
#include "model/Vemodocument.h"

namespace {

TEditedDocument Board(int objects) {
    return TEditedDocument(GenerateBoard({objects, 1, true}));
}

// A small edit, as a drag of one object would make.
void Nudge(TVemoDocument& doc, int i) {
    TVemoObject* object = doc.GetRoot().GetChild(i % doc.GetRoot().GetChildCount());
    object->Translate(1.0f, 0.0f);
    object->Rebuild();
}

double SnapshotMegabytes(const TVemoHistory& history) {
    const TVemoMemento* last = history.At(history.CurrentIndex());
    const auto* objects = dynamic_cast<const TObjectsMemento*>(last);
    const TSnapshot& after = objects ? objects->RootPart().After() : last->After();
    return after ? double(after->size()) / 1e6 : 0.0;
}

// A field of /proc/self/status in megabytes (VmHWM: the peak resident size).
double StatusMegabytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::strtod(line.c_str() + field.size() + 1, nullptr) / 1024.0;
    return 0.0;
}

void BM_SaveRootMemento(benchmark::State& state) {
    TEditedDocument edited = Board(int(state.range(0)));
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        Nudge(edited.Document(), i++);
        state.ResumeTiming();
        edited.SaveRootMemento();
    }
    state.counters["snapshot_MB"] = SnapshotMegabytes(edited.History());
}
BENCHMARK(BM_SaveRootMemento)->Arg(1000)->Arg(10000)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_UndoRedoRoot(benchmark::State& state) {
    TEditedDocument edited = Board(int(state.range(0)));
    Nudge(edited.Document(), 0);
    edited.SaveRootMemento();
    for (auto _ : state) {
        edited.Undo();
        edited.Redo();
    }
}
BENCHMARK(BM_UndoRedoRoot)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(20000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2);

// One run per size: the board, then 40 edits so that trimming has settled on
// 33 root snapshots. The peak includes the board itself (board_MB).
void BM_HistoryPeakMemory(benchmark::State& state) {
    for (auto _ : state) {
        TEditedDocument edited = Board(int(state.range(0)));
        const double board = StatusMegabytes("VmRSS");
        for (int i = 0; i < 40; ++i) {
            Nudge(edited.Document(), i);
            edited.SaveRootMemento();
        }
        state.counters["mementos"] = double(edited.History().Count());
        state.counters["snapshot_MB"] = SnapshotMegabytes(edited.History());
        state.counters["board_MB"] = board;
        state.counters["peak_MB"] = StatusMegabytes("VmHWM");
    }
}
BENCHMARK(BM_HistoryPeakMemory)
    ->Arg(20000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(1);

}  // namespace
