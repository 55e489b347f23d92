// The parts tool on a synthetic board: what a press and a drag step cost the
// user. A press on a path selects it and searches the board for the paths
// whose anchors lie on it; a drag step moves the selection and those anchors.
//
// BM_PartsPress: a press and release without movement on the middle path.
// BM_PartsDragStep: one pointer move with the button held, after that press.
// Neither redraws: the overlay and window redraws are the renderer's cost.

#include <benchmark/benchmark.h>

#include <memory>

#include "boardgen/Boardgen.h"
#include "model/Vemodocument.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopart.h"
#include "model/Vemopath.h"
#include "states/Vemoeventcontext.h"
#include "states/Vemostatebank.h"

namespace {

class TBenchUi : public TVemoUi {
public:
    void SetStatusText(int, const std::string&) override {}
    void SetCaption(const std::string&) override {}
    void SetCursor(int) override {}
    void Present(const TDIBitmap&) override {}
    void ScheduleIdle() override {}
    void ToolPanelChanged() override {}
    TAnswer AskYesNoCancel(const std::string&) override { return TAnswer::No; }
    std::optional<std::string> AskSaveFileName() override { return std::nullopt; }
    void ShowError(const std::string&) override {}
};

struct TPartsEditor {
    explicit TPartsEditor(int n) : context(ui) {
        context.SetDocument(GenerateBoard(TBoardOptions{n, 1, false}));
        context.Resize(1920, 1080);
        context.PressTool("parts");
        TVemoPart& root = context.Document().GetRoot();
        for (int i = root.GetChildCount() / 2; i < root.GetChildCount(); ++i)
            if (auto* path = dynamic_cast<TVemoPath*>(root.GetChild(i));
                path && path->GetPoints().size() >= 6) {
                press = path->GetPoints()[0];
                break;
            }
    }
    TBenchUi ui;
    TVemoEventContext context;
    PointF press{};
};

int ConnectedCount(TPartsEditor& editor) {
    int count = 0;
    for (int i = 0; i < editor.context.Document().GetLayerList().Count(); ++i)
        count += int(editor.context.Session().ConnectedPaths(i).size());
    return count;
}

void Done(std::unique_ptr<TPartsEditor>& editor) {
    editor->context.PressTool("select");
    editor.reset();
}

void BM_PartsPress(benchmark::State& state) {
    auto made = std::make_unique<TPartsEditor>(int(state.range(0)));
    TPartsEditor& editor = *made;
    TVemoEventState* parts = editor.context.CurrentState();
    for (auto _ : state) {
        parts->MouseDown(ssLeft, editor.press);
        parts->MouseUp(0, editor.press);
    }
    state.counters["selected"] = double(editor.context.Session().PartsSelection().Count());
    state.counters["connected"] = double(ConnectedCount(editor));
    Done(made);
}
BENCHMARK(BM_PartsPress)->Arg(1000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_PartsDragStep(benchmark::State& state) {
    auto made = std::make_unique<TPartsEditor>(int(state.range(0)));
    TPartsEditor& editor = *made;
    TVemoEventState* parts = editor.context.CurrentState();
    parts->MouseDown(ssLeft, editor.press);
    // One grid pitch forth and back: snapped or not, every step moves.
    const float pitch = float(editor.context.Document().GetGrid());
    int i = 0;
    for (auto _ : state) {
        const float d = (i++ % 2) ? 0.0f : pitch;
        parts->MouseMove(ssLeft, PointF(editor.press.x + d, editor.press.y + d));
    }
    parts->MouseUp(0, editor.press);
    Done(made);
}
BENCHMARK(BM_PartsDragStep)->Arg(1000)->Arg(20000)->Unit(benchmark::kMicrosecond);

}  // namespace
