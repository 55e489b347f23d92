// The editor's answer to the user on a synthetic board, in a 1920 x 1080
// design window showing the whole board, every hundredth object selected.
// "Presented" means the overlay bitmap was copied to a window-sized image the
// way a window's backing store receives it.
//
// BM_PointerMoveToOverlay: a pointer move (status bar text, overlay redraw of
// the selection feedback) until the overlay is presented.
// BM_WheelZoomFirstFrame: one wheel notch, from a settled picture, until the
// first picture of the new view is presented (the old picture moved and
// scaled when a full redraw is slower than a frame).
// BM_WheelZoomExactFrame: the same notch until the exact picture is presented.

#include <benchmark/benchmark.h>

#include <memory>

#include <QImage>
#include <QPainter>

#include "boardgen/Boardgen.h"
#include "model/Vemodocument.h"
#include "model/Vemopart.h"
#include "render/Dibwrap.h"
#include "states/Vemoeventcontext.h"
#include "states/Vemostatebank.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

class TBenchUi : public TVemoUi {
public:
    TBenchUi() : screen_(kWidth, kHeight, QImage::Format_RGB32) {}
    void SetStatusText(int panel, const std::string& text) override { status_[panel & 3] = text; }
    void SetCaption(const std::string&) override {}
    void SetCursor(int) override {}
    void Present(const TDIBitmap& overlay) override {
        QPainter painter(&screen_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, overlay.Image());
        ++presents;
    }
    void ScheduleIdle() override {}
    void ToolPanelChanged() override {}
    TAnswer AskYesNoCancel(const std::string&) override { return TAnswer::No; }
    std::optional<std::string> AskSaveFileName() override { return std::nullopt; }
    void ShowError(const std::string&) override {}
    int presents = 0;

private:
    QImage screen_;
    std::string status_[4];
};

// A context on a board of n objects, its whole area in the window, drawn once.
struct TEditor {
    explicit TEditor(int n) : context(ui) {
        context.SetDocument(GenerateBoard(TBoardOptions{n, 1, true}));
        context.Resize(kWidth, kHeight);
        context.ShowWholeArea();
        TVemoPart& root = context.Document().GetRoot();
        for (int i = 0; i < root.GetChildCount(); i += 100) root.GetChild(i)->Select();
        context.Idle();
    }
    void Settle() {
        while (context.Idle()) {
        }
    }
    TBenchUi ui;
    TVemoEventContext context;
};

// One editor at a time: the states share one context, as in the program.
TEditor& Editor(int n) {
    static std::unique_ptr<TEditor> editor;
    static int objects = 0;
    if (!editor || objects != n) {
        editor.reset();
        editor = std::make_unique<TEditor>(n);
        objects = n;
    }
    return *editor;
}

void BM_PointerMoveToOverlay(benchmark::State& state) {
    TEditor& editor = Editor(int(state.range(0)));
    int step = 0;
    for (auto _ : state) {
        const int x = 400 + (step * 7) % 1000, y = 300 + (step * 3) % 500;
        ++step;
        editor.context.MouseMove(0, x, y);
        editor.context.InvalidateOverlay();
        editor.context.Idle();
    }
}
BENCHMARK(BM_PointerMoveToOverlay)->Arg(1000)->Arg(20000)->Unit(benchmark::kMillisecond);

// Alternates in and out so the view stays near the whole board.
void WheelNotch(TEditor& editor, int i) {
    editor.context.MouseWheel(0, i % 2 ? -120 : 120, 700, 400);
}

void BM_WheelZoomFirstFrame(benchmark::State& state) {
    TEditor& editor = Editor(int(state.range(0)));
    int i = 0;
    int previews = 0;
    for (auto _ : state) {
        state.PauseTiming();
        editor.Settle();
        state.ResumeTiming();
        WheelNotch(editor, i++);
        if (editor.context.Idle()) ++previews;
    }
    editor.Settle();
    state.counters["previews"] = double(previews) / double(i);
}
BENCHMARK(BM_WheelZoomFirstFrame)->Arg(1000)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_WheelZoomExactFrame(benchmark::State& state) {
    TEditor& editor = Editor(int(state.range(0)));
    int i = 0;
    for (auto _ : state) {
        WheelNotch(editor, i++);
        editor.Settle();
    }
}
BENCHMARK(BM_WheelZoomExactFrame)->Arg(1000)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
