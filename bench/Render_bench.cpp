// Redraw of the design window and image export on synthetic boards. The first
// argument of every case is the number of objects on the board.
//
// BM_RenderMain / BM_RenderOverlay: a 1920 x 1080 window at zoom-to-fit (second
// argument 1) and at 8x that zoom (8). BM_RenderMainExact: the same window filled
// by Qt alone, as before the window had a filler of its own. Their counter
// cpu_ms is the processor time of all threads per redraw.
// BM_ExportBitmap: a 100 x 80 mm area of the board at 1200 ppi, monochrome
// (second argument 1) or colour (0), written as a BMP file.
// BM_MonoLayerOurs / BM_MonoLayerGerbv: one copper layer of that area at 1200
// ppi, by our monochrome export to PNG and by gerbv rendering the layer's
// Gerber file to PNG; compare the two medians.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include <time.h>

#include <unistd.h>

#include <QProcess>
#include <QStandardPaths>

#include "archive/Safefile.h"
#include "boardgen/Boardgen.h"
#include "gerber/Gerberexport.h"
#include "model/Vemodocument.h"
#include "model/Vemodrawstyle.h"
#include "output/Exportbitmap.h"
#include "render/Redraw.h"

namespace {

constexpr int kWindowWidth = 1920;
constexpr int kWindowHeight = 1080;

TVemoDocument& Board(int objects) {
    static std::map<int, std::unique_ptr<TVemoDocument>> boards;
    auto& doc = boards[objects];
    if (!doc) doc = GenerateBoard(TBoardOptions{objects, 1, true});
    return *doc;
}

// The whole design area in the window, times factor, centred.
void FitToWindow(TVemoDocument& doc, double factor) {
    doc.SetWindowSize(kWindowWidth, kWindowHeight);
    const RectF area = doc.GetAreaRect();
    const double zoom =
        std::min(kWindowWidth / double(area.width), kWindowHeight / double(area.height)) * factor;
    doc.SetZoom(zoom);
    doc.SetPan(-(area.x + area.width / 2.0), -(area.y + area.height / 2.0));
    DrawStyle().SetZoom(float(doc.GetZoom()));
}

void RenderMainCase(benchmark::State& state, render::Fidelity fidelity) {
    TVemoDocument& doc = Board(int(state.range(0)));
    FitToWindow(doc, double(state.range(1)));
    TDIBitmap main(kWindowWidth, kWindowHeight);
    // The processor time of every thread of the process: the work of a redraw,
    // which a busy machine changes less than the time on the clock.
    const auto processMs = [] {
        timespec t{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) * 1e-6;
    };
    const double start = processMs();
    for (auto _ : state) {
        render::RenderMain(doc, main, nullptr, fidelity);
        benchmark::DoNotOptimize(main.Pixels());
    }
    state.counters["cpu_ms"] = benchmark::Counter(processMs() - start, benchmark::Counter::kAvgIterations);
    state.counters["zoom"] = doc.GetZoom();
}

void BM_RenderMain(benchmark::State& state) {
    RenderMainCase(state, render::Fidelity::Screen);
}
void BM_RenderMainExact(benchmark::State& state) {
    RenderMainCase(state, render::Fidelity::Exact);
}

void RenderMainArgs(benchmark::internal::Benchmark* b) {
    b->Args({1000, 1})
        ->Args({1000, 8})
        ->Args({10000, 1})
        ->Args({20000, 1})
        ->Args({20000, 8})
        ->Args({100000, 1})
        ->Args({100000, 8})
        ->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_RenderMain)->Apply(RenderMainArgs);
BENCHMARK(BM_RenderMainExact)->Apply(RenderMainArgs);

void BM_RenderOverlay(benchmark::State& state) {
    TVemoDocument& doc = Board(int(state.range(0)));
    FitToWindow(doc, double(state.range(1)));
    // Every hundredth object selected: the feedback of a rubber-band selection.
    TVemoPart& root = doc.GetRoot();
    for (int i = 0; i < root.GetChildCount(); i += 100) root.GetChild(i)->Select();
    TDIBitmap main(kWindowWidth, kWindowHeight), overlay(kWindowWidth, kWindowHeight);
    render::RenderMain(doc, main);
    for (auto _ : state) {
        render::RenderOverlay(doc, main, overlay);
        benchmark::DoNotOptimize(overlay.Pixels());
    }
    root.Deselect();
}
BENCHMARK(BM_RenderOverlay)
    ->Args({1000, 1})
    ->Args({10000, 1})
    ->Args({20000, 1})
    ->Args({20000, 8})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond);

// Narrows the document's area to the 100 x 80 mm at its top-left corner for
// the life of the object.
class TExportArea {
public:
    explicit TExportArea(TVemoDocument& doc) : doc_(doc), saved_(doc.GetAreaRect()) {
        doc.SetAreaSize(1000, 800);
    }
    ~TExportArea() { doc_.SetAreaSize(saved_.width, saved_.height); }

private:
    TVemoDocument& doc_;
    RectF saved_;
};

constexpr double kExportPpi = 1200;

std::string TempFile(const std::string& name) {
    return "/tmp/zelko-bench-" + std::to_string(::getpid()) + "-" + name;
}

void BM_ExportBitmap(benchmark::State& state) {
    TVemoDocument& doc = Board(int(state.range(0)));
    TExportArea area(doc);
    TBitmapExportOptions options;
    options.ppi = kExportPpi;
    options.monochrome = state.range(1) != 0;
    const std::string file = TempFile("export.bmp");
    TBitmapExportResult result;
    std::string error;
    for (auto _ : state) {
        if (!ExportBitmap(doc, file, options, result, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    std::remove(file.c_str());
    state.counters["width"] = result.width;
    state.counters["height"] = result.height;
    state.counters["MB"] = double(result.bytes) / 1e6;
}
BENCHMARK(BM_ExportBitmap)
    ->Args({1000, 1})
    ->Args({10000, 1})
    ->Args({20000, 1})
    ->Args({20000, 0})
    ->Args({100000, 1})
    ->Unit(benchmark::kMillisecond);

void BM_MonoLayerOurs(benchmark::State& state) {
    TVemoDocument& doc = Board(int(state.range(0)));
    TExportArea area(doc);
    TBitmapExportOptions options;
    options.ppi = kExportPpi;
    options.monochrome = true;
    options.layers = {"solder"};
    const std::string file = TempFile("solder.png");
    TBitmapExportResult result;
    std::string error;
    for (auto _ : state) {
        if (!ExportBitmap(doc, file, options, result, error)) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    std::remove(file.c_str());
    state.counters["width"] = result.width;
    state.counters["height"] = result.height;
}
BENCHMARK(BM_MonoLayerOurs)->Arg(20000)->Unit(benchmark::kMillisecond);

void BM_MonoLayerGerbv(benchmark::State& state) {
    const QString gerbv = QStandardPaths::findExecutable("gerbv");
    if (gerbv.isEmpty()) {
        state.SkipWithError("gerbv is not installed");
        return;
    }
    TVemoDocument& doc = Board(int(state.range(0)));
    TExportArea area(doc);
    const TGerberLayerFile layer = BuildGerberLayer(doc, doc.GetLayerList().Find("solder"), 0.3, 0.1);
    const std::string gbr = TempFile("solder.gbr"), png = TempFile("solder-gerbv.png");
    std::string error;
    if (!layer.ok || !WriteFileSafely(gbr, layer.bytes, error)) {
        state.SkipWithError(layer.ok ? error.c_str() : layer.error.c_str());
        return;
    }
    std::int64_t w = 0, h = 0;
    BitmapExportSize(doc.GetAreaWidth(), doc.GetAreaHeight(), kExportPpi, w, h);
    char window[32];
    std::snprintf(window, sizeof window, "%.6fx%.6f", (double(w) + 0.5) / kExportPpi,
                  (double(h) + 0.5) / kExportPpi);
    const QStringList args = {"-x",
                              "png",
                              "-D",
                              QString::number(kExportPpi),
                              "-B",
                              "0",
                              "-b",
                              "#ffffff",
                              "-f",
                              "#000000ff",
                              "-O",
                              "0x0",
                              "-W",
                              window,
                              "-o",
                              QString::fromStdString(png),
                              QString::fromStdString(gbr)};
    for (auto _ : state) {
        QProcess process;
        process.start(gerbv, args);
        if (!process.waitForFinished(600000) || process.exitCode() != 0) {
            state.SkipWithError("gerbv failed");
            break;
        }
    }
    std::remove(gbr.c_str());
    std::remove(png.c_str());
    state.counters["width"] = double(w);
    state.counters["height"] = double(h);
}
BENCHMARK(BM_MonoLayerGerbv)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
