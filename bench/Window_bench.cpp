// The real main window on a generated board, offscreen, driven by Qt events as
// a user's, each case timed from the event to the end of the design widget's
// paint that shows the final picture (no redraw left to do). The window fills
// a 1920 x 1080 desktop, with its panels docked beside the drawing.
//
// BM_WindowStartUp: reading the file, making and showing the window, until
// the whole board is on the screen.
// BM_WindowWheelZoom: one wheel notch; counter "first_ms" is the first frame.
// BM_WindowDelete: Delete with one object selected.
// BM_WindowUndo: Ctrl+Z of that Delete.
// BM_WindowPan: a Space-drag, from the release of the button.
//
// Each repetition is one event; the reported time is the median of five.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include "app/Editor.h"
#include "app/Mainform.h"
#include "app/Vemoresource.h"
#include "archive/Vemodocumentfile.h"
#include "boardgen/Boardgen.h"
#include "model/Vemodocument.h"
#include "model/Vemopart.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// A board file of n objects and a settings file that puts the window over the
// whole 1920 x 1080 desktop, made once per size.
struct TBoardFiles {
    explicit TBoardFiles(int n) {
        board = dir.filePath(QStringLiteral("board.vbf")).toStdString();
        settings = dir.filePath(QStringLiteral("zelko.ini")).toStdString();
        std::string error;
        if (!WriteDocumentFile(*GenerateBoard(TBoardOptions{n, 1, true}), board, error))
            std::fprintf(stderr, "bench_window: %s\n", error.c_str());
        QFile ini(QString::fromStdString(settings));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[VemoForm]\nLeft=0\nTop=0\nWidth=1920\nHeight=1080\nWindowState=0\n");
        resources.Load(ZELKO_BITMAP_DIR);
    }
    QTemporaryDir dir;
    std::string board;
    std::string settings;
    TVemoResource resources;
};

TBoardFiles& Files(int n) {
    static std::unique_ptr<TBoardFiles> files;
    static int objects = 0;
    if (!files || objects != n) {
        files.reset();
        files = std::make_unique<TBoardFiles>(n);
        objects = n;
    }
    return *files;
}

// Runs the event loop until the design widget has finished a paint of the
// final picture after settled paints (and, when first is given, notes when
// the first paint after paints ended). False after 60 s.
bool WaitSettled(app::TVemoForm& form, int settled, int paints = -1, Clock::time_point* first = nullptr) {
    const Clock::time_point give_up = Clock::now() + std::chrono::seconds(60);
    while (Clock::now() < give_up) {
        QApplication::processEvents(QEventLoop::AllEvents);
        const app::TDesignWidget* design = form.Design();
        if (first && paints >= 0 && design->Paints() > paints) {
            *first = Clock::now();
            paints = -1;
        }
        if (form.Context() && design->SettledPaints() > settled) return true;
    }
    return false;
}

std::unique_ptr<app::TVemoForm> OpenWindow(TBoardFiles& files) {
    std::string error;
    std::unique_ptr<TVemoDocument> document = app::LoadInitialDocument(files.board, error);
    if (!document) return nullptr;
    auto form = std::make_unique<app::TVemoForm>(files.resources, files.settings);
    form->Start(std::move(document));
    form->show();
    return form;
}

// One window per board size, open and settled, for the cases after the start-up.
struct TWindow {
    explicit TWindow(int n) : files(Files(n)) {
        form = OpenWindow(files);
        if (form) WaitSettled(*form, 0);
    }
    TBoardFiles& files;
    std::unique_ptr<app::TVemoForm> form;
};

TWindow& Window(int n) {
    static std::unique_ptr<TWindow> window;
    static int objects = 0;
    if (!window || objects != n) {
        window.reset();
        window = std::make_unique<TWindow>(n);
        objects = n;
    }
    return *window;
}

void BM_WindowStartUp(benchmark::State& state) {
    TBoardFiles& files = Files(int(state.range(0)));
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        std::unique_ptr<app::TVemoForm> form = OpenWindow(files);
        if (!form || !WaitSettled(*form, 0)) {
            state.SkipWithError("the window did not settle");
            break;
        }
        state.SetIterationTime(Ms(Clock::now() - start) / 1000.0);
        form->hide();
        form.reset();
        QApplication::processEvents();
    }
}

void SendWheel(QWidget* design, QPoint at, int delta) {
    QWheelEvent wheel(QPointF(at), QPointF(design->mapToGlobal(at)), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(design, &wheel);
}

void BM_WindowWheelZoom(benchmark::State& state) {
    TWindow& window = Window(int(state.range(0)));
    if (!window.form) {
        state.SkipWithError("the window did not open");
        return;
    }
    app::TDesignWidget* design = window.form->Design();
    const QPoint at(design->width() * 2 / 5, design->height() / 2);
    // In and out by turns across the repetitions, so the view stays near the whole board.
    static int i = 0;
    double first = 0;
    for (auto _ : state) {
        const int settled = design->SettledPaints(), paints = design->Paints();
        Clock::time_point firstAt;
        const Clock::time_point start = Clock::now();
        SendWheel(design, at, i++ % 2 ? -120 : 120);
        if (!WaitSettled(*window.form, settled, paints, &firstAt)) {
            state.SkipWithError("the window did not settle");
            break;
        }
        state.SetIterationTime(Ms(Clock::now() - start) / 1000.0);
        first += Ms(firstAt - start);
    }
    state.counters["first_ms"] = first / double(std::max<std::int64_t>(1, state.iterations()));
}

// Selects one object near the middle of the board with a click of the select tool.
bool SelectOne(TWindow& window) {
    app::TDesignWidget* design = window.form->Design();
    TVemoEventContext& context = *window.form->Context();
    QTest::mouseClick(design, Qt::LeftButton, {}, QPoint(1, 1));  // nothing selected
    TVemoPart& root = context.RootObject();
    for (int i = root.GetChildCount() / 2; i < root.GetChildCount(); ++i) {
        RectF b;
        root.GetChild(i)->GetBounds(b);
        const PointF centre =
            context.Document().GetViewMatrix().Map(PointF(b.x + b.width / 2, b.y + b.height / 2));
        const QPoint at(int(centre.x / design->devicePixelRatioF()),
                        int(centre.y / design->devicePixelRatioF()));
        if (!design->rect().contains(at)) continue;
        QTest::mouseClick(design, Qt::LeftButton, {}, at);
        QApplication::processEvents();
        if (!context.Session().Selection().empty()) return true;
    }
    return false;
}

// Times Delete (undo = false) or the Ctrl+Z after it (undo = true).
void DeleteOrUndo(benchmark::State& state, bool undo) {
    TWindow& window = Window(int(state.range(0)));
    if (!window.form) {
        state.SkipWithError("the window did not open");
        return;
    }
    app::TDesignWidget* design = window.form->Design();
    for (auto _ : state) {
        state.PauseTiming();
        if (!SelectOne(window)) {
            state.SkipWithError("no object to select");
            break;
        }
        WaitSettled(*window.form, design->SettledPaints() - 1);
        state.ResumeTiming();
        Clock::time_point start = Clock::now();
        int settled = design->SettledPaints();
        QTest::keyClick(design, Qt::Key_Delete);
        bool ok = WaitSettled(*window.form, settled);
        const double deleteMs = Ms(Clock::now() - start);
        start = Clock::now();
        settled = design->SettledPaints();
        QTest::keyClick(design, Qt::Key_Z, Qt::ControlModifier);
        ok = ok && WaitSettled(*window.form, settled);
        const double undoMs = Ms(Clock::now() - start);
        if (!ok) {
            state.SkipWithError("the window did not settle");
            break;
        }
        state.SetIterationTime((undo ? undoMs : deleteMs) / 1000.0);
    }
}

void BM_WindowDelete(benchmark::State& state) {
    DeleteOrUndo(state, false);
}

void BM_WindowUndo(benchmark::State& state) {
    DeleteOrUndo(state, true);
}

void BM_WindowPan(benchmark::State& state) {
    TWindow& window = Window(int(state.range(0)));
    if (!window.form) {
        state.SkipWithError("the window did not open");
        return;
    }
    app::TDesignWidget* design = window.form->Design();
    const QPoint from(design->width() / 2, design->height() / 2);
    static int i = 0;  // there and back by turns across the repetitions
    for (auto _ : state) {
        const QPoint to = from + (i++ % 2 ? QPoint(-150, -80) : QPoint(150, 80));
        QTest::keyPress(design, Qt::Key_Space);
        QTest::mousePress(design, Qt::LeftButton, {}, from);
        for (int k = 1; k <= 4; ++k) QTest::mouseMove(design, from + (to - from) * k / 4);
        const int settled = design->SettledPaints();
        const Clock::time_point start = Clock::now();
        QTest::mouseRelease(design, Qt::LeftButton, {}, to);
        const bool ok = WaitSettled(*window.form, settled);
        state.SetIterationTime(Ms(Clock::now() - start) / 1000.0);
        QTest::keyRelease(design, Qt::Key_Space);
        QTest::qWait(60);  // the release of Space waits for a repeat's press
        if (!ok) {
            state.SkipWithError("the window did not settle");
            break;
        }
    }
}

}  // namespace

// Each repetition is one user action: the median of five is the figure.
BENCHMARK(BM_WindowStartUp)
    ->Arg(20000)
    ->Arg(100000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowWheelZoom)
    ->Arg(20000)
    ->Arg(100000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowDelete)
    ->Arg(20000)
    ->Arg(100000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowUndo)
    ->Arg(20000)
    ->Arg(100000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WindowPan)
    ->Arg(20000)
    ->Arg(100000)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
