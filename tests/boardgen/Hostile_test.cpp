// Documents that other tools, damaged disks or attackers produce: each must
// end in a document or a clear refusal, never in a crash, a hang or broken
// output. Every case runs under a generous time bound of its own, so a hang
// fails the test instead of stalling the run.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <limits>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "archive/Safefile.h"
#include "archive/Vemodocumentfile.h"
#include "boardgen/Hostile.h"
#include "gerber/Gerberexport.h"
#include "graph/Linegraphproperty.h"
#include "graph/Linegraphunit.h"
#include "import/Vemoimport.h"
#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "model/Vemolayerlist.h"
#include "model/Vemoobjectvisitor.h"
#include "model/Vemopart.h"
#include "model/Vemopath.h"
#include "output/Exportbitmap.h"
#include "render/Dibwrap.h"
#include "tests/gerber/Gerbertest.h"

namespace {

namespace fs = std::filesystem;
using gerbertest::Surface;

// Runs work on a thread of its own and fails the whole run when it has not
// finished after the bound: a hung thread cannot be stopped, so the process
// ends rather than wait for it.
template <class F>
void WithinTimeBound(const char* what, F work, std::chrono::seconds bound = std::chrono::seconds(90)) {
    std::packaged_task<void()> task(std::move(work));
    std::future<void> done = task.get_future();
    std::thread runner(std::move(task));
    if (done.wait_for(bound) != std::future_status::ready) {
        std::fprintf(stderr, "%s: not finished after %lld s: a hang\n", what,
                     static_cast<long long>(bound.count()));
        std::fflush(stderr);
        std::abort();
    }
    runner.join();
    done.get();
}

std::unique_ptr<TVemoDocument> Read(const std::string& bytes, std::string& error) {
    return DocumentFromBytes(bytes, error);
}

class Hostile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("zelko-hostile-" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    TGerberExportResult Gerber(TVemoDocument& doc) {
        TGerberExportOptions options;
        options.folder = dir_.string();
        return ExportGerber(doc, options);
    }
    // A small picture of the whole design area, which walks every object's drawing.
    static void Draw(const TVemoDocument& doc, double ppi = 25.4) {
        TBitmapExportOptions options;
        options.ppi = ppi;
        TDIBitmap bitmap;
        std::string error;
        EXPECT_TRUE(RenderBitmapExport(doc, options, bitmap, error)) << error;
    }

    fs::path dir_;
};

// Every number in a Gerber file is finite, and no aperture is wider than 100 mm.
void ExpectSoundNumbers(const std::string& file) {
    EXPECT_EQ(file.find("inf"), std::string::npos);
    EXPECT_EQ(file.find("nan"), std::string::npos);
    for (const std::string& line : gerbertest::Lines(file)) {
        if (line.rfind("%ADD", 0) != 0) continue;
        const std::size_t comma = line.find(',');
        ASSERT_NE(comma, std::string::npos) << line;
        EXPECT_LE(std::atof(line.c_str() + comma + 1), 150.0) << line;
    }
}

TEST_F(Hostile, NestingBeyondTheLimitIsRefusedWithAReasonInBothVersions) {
    for (const int version : {5, 3}) {
        WithinTimeBound("deep nesting", [&] {
            std::string error;
            EXPECT_FALSE(Read(hostile::NestedGroups(20000, version), error)) << version;
            EXPECT_NE(error.find("nested more than 256 levels"), std::string::npos) << error;
            // The root part and 255 groups: exactly at the limit.
            EXPECT_TRUE(Read(hostile::NestedGroups(TVemoContainer::kMaxNesting - 1, version), error))
                << error;
            EXPECT_FALSE(Read(hostile::NestedGroups(TVemoContainer::kMaxNesting, version), error)) << version;
        });
    }
}

TEST_F(Hostile, EveryWalkCopesWithTheDeepestTreeAllowed) {
    WithinTimeBound("walks of the deepest tree", [&] {
        std::string error;
        auto doc = Read(hostile::NestedGroups(TVemoContainer::kMaxNesting - 1), error);
        ASSERT_TRUE(doc) << error;
        TVemoPart& root = doc->GetRoot();
        root.Rebuild();
        RectF bounds;
        root.GetBounds(bounds);
        GraphicsPath outline;
        root.AddOutline(outline, 0);
        root.AddMergedOutline(outline, 0);
        root.HitPoint({150, 100});
        root.Translate(1, 1);
        TBasicVisitor every;
        root.AcceptDeep(every);
        EXPECT_EQ(every.Objects().size(), 1u);
        const auto copy = CloneOf(root);
        const auto again = Read(DocumentBytes(*doc), error);
        ASSERT_TRUE(again) << error;
        EXPECT_TRUE(Gerber(*doc).Succeeded());
        Draw(*doc);
    });
}

// A path with no point at all: reading, every edit and walk that reaches a
// single object, the outputs and writing again, under the sanitizers.
TEST_F(Hostile, PathsWithoutPointsAreReadWalkedAndWrittenBack) {
    for (const int version : {5, 3}) {
        std::string error;
        auto doc = Read(hostile::EmptyPaths(version), error);
        ASSERT_TRUE(doc) << version << ": " << error;
        const std::string bytes = DocumentBytes(*doc);
        const auto again = Read(bytes, error);
        ASSERT_TRUE(again) << version << ": " << error;
        EXPECT_TRUE(DocumentBytes(*again) == bytes) << version;
        // The track's outline alone makes the bounds: 10 mm widened by its 0.3 mm pen.
        TVemoPart& root = doc->GetRoot();
        ASSERT_EQ(root.GetChildCount(), 3) << version;
        RectF bounds;
        root.GetBounds(bounds);
        EXPECT_NEAR(bounds.width, 103.0f, 0.5f) << version;
        GraphicsPath outline;
        root.AddMergedOutline(outline, 0);
        EXPECT_TRUE(Gerber(*doc).Succeeded()) << version;
        Draw(*doc);
        for (int i = 0; i < 2; ++i) {
            auto* path = dynamic_cast<TVemoPath*>(root.GetChild(i));
            ASSERT_TRUE(path) << version;
            EXPECT_TRUE(path->GetPoints().empty());
            EXPECT_EQ(path->IsClosed(), i == 1);
            EXPECT_FALSE(path->HitPoint({0, 0}));
            EXPECT_EQ(path->HitHandle({0, 0}, 5), 0);
            path->SelectAllAnchors();
            path->DeselectAnchors();
            path->Reverse();
            path->Translate(1, 1);
            path->Rotate(30, {0, 0});
            path->InsertNodeAt({0, 0});
            path->DeleteNodeAt({0, 0}, 5);
            EXPECT_FALSE(path->Offset(1.0));
            EXPECT_TRUE(CloneOf(*path));
        }
    }
}

TEST_F(Hostile, TreesBuiltByCodeStopAtTheLimitToo) {
    // A chain grown from the bottom and one grown from the top: neither may pass the limit.
    auto bottomUp = std::make_unique<TVemoGroup>();
    int levels = 1;
    while (levels < TVemoContainer::kMaxNesting + 10) {
        auto outer = std::make_unique<TVemoGroup>();
        if (!outer->AddChild(std::move(bottomUp))) break;
        bottomUp = std::move(outer);
        ++levels;
    }
    EXPECT_EQ(levels, TVemoContainer::kMaxNesting);

    TVemoDocument doc;
    TVemoContainer* tip = &doc.GetRoot();
    int depth = 1;
    while (auto* added = tip->AddChild(std::make_unique<TVemoGroup>())) {
        tip = static_cast<TVemoContainer*>(added);
        ++depth;
    }
    EXPECT_EQ(depth, TVemoContainer::kMaxNesting);
    EXPECT_FALSE(tip->CanAdopt(TVemoGroup()));
}

TEST_F(Hostile, ManyUnknownLayersAreMadeOnceEachInTheOrderInsertWouldGive) {
    std::string error;
    auto small = Read(hostile::UnknownLayers(3), error);
    ASSERT_TRUE(small) << error;
    const TVemoLayerList& layers = small->GetLayerList();
    ASSERT_EQ(layers.Count(), 4);
    // Each new layer is inserted before the current one and becomes current.
    EXPECT_EQ(layers.At(0)->GetName(), "L2");
    EXPECT_EQ(layers.At(1)->GetName(), "L1");
    EXPECT_EQ(layers.At(2)->GetName(), "L0");
    EXPECT_EQ(layers.At(3)->GetName(), "solder");
    EXPECT_TRUE(layers.At(0)->IsCurrent());
    for (int i = 0; i < layers.Count(); ++i) EXPECT_EQ(layers.At(i)->GetIndex(), i);
    EXPECT_EQ(small->GetRoot().GetChild(0)->GetLayer(), layers.At(2));

    WithinTimeBound("30 000 unknown layers", [&] {
        std::string e;
        auto doc = Read(hostile::UnknownLayers(30000), e);
        ASSERT_TRUE(doc) << e;
        EXPECT_EQ(doc->GetLayerList().Count(), 30001);
        TGerberExportOptions options;
        options.folder = dir_.string();
        options.layers = std::vector<std::string>{"solder", "L7", "L29999"};
        const TGerberExportResult result = ExportGerber(*doc, options);
        EXPECT_TRUE(result.Succeeded());
        EXPECT_EQ(result.layers.size(), 3u);
    });
}

TEST_F(Hostile, ALongSelfOverlappingPathOpensAndExportsWithADegradedOutline) {
    WithinTimeBound("a path of 200 000 points", [&] {
        std::string error;
        auto doc = Read(hostile::LongSelfOverlappingPath(200000), error);
        ASSERT_TRUE(doc) << error;
        const auto* path = dynamic_cast<const TVemoInstance*>(doc->GetRoot().GetChild(0));
        ASSERT_TRUE(path);
        EXPECT_FALSE(path->OutlineNote().empty()) << "the degraded outline is reported";
        EXPECT_TRUE(Gerber(*doc).Succeeded());
        Draw(*doc);
    });
}

TEST_F(Hostile, HugeTextsAndEllipsesCostWhatTheirOutputShows) {
    const struct {
        const char* name;
        std::string bytes;
    } rows[] = {
        {"text at scale 1e6", hostile::HugeText(1e6f)},
        {"text at scale 1e30", hostile::HugeText(1e30f)},
        {"ellipse of radius 1e8", hostile::HugeEllipse(1e8f)},
        {"ellipse of radius 1e37", hostile::HugeEllipse(1e37f)},
    };
    for (const auto& row : rows) {
        WithinTimeBound(row.name, [&] {
            std::string error;
            auto doc = Read(row.bytes, error);
            ASSERT_TRUE(doc) << row.name << ": " << error;
            const auto* object = dynamic_cast<const TVemoInstance*>(doc->GetRoot().GetChild(0));
            ASSERT_TRUE(object);
            EXPECT_TRUE(object->IsBeyondReach()) << row.name;
            const TGerberExportResult result = Gerber(*doc);
            EXPECT_FALSE(result.Succeeded()) << row.name;
            bool named = false;
            for (const TGerberLayerResult& r : result.layers)
                named = named || r.error.find("on layer \"" + r.layer + "\": it reaches more than 100 m") !=
                                     std::string::npos;
            EXPECT_TRUE(named) << row.name;
            EXPECT_TRUE(fs::is_empty(dir_)) << row.name;
            Draw(*doc);
        });
    }
}

TEST_F(Hostile, WidthsThatCannotBePlottedFailTheirLayerByName) {
    const struct {
        const char* name;
        float width;
        bool plottable;
    } rows[] = {
        {"inf", std::numeric_limits<float>::infinity(), false},
        {"1e30", 1e30f, false},
        {"100.1 mm", 1001.0f, false},
        {"100 mm", 1000.0f, true},
    };
    for (const auto& row : rows) {
        WithinTimeBound(row.name, [&] {
            std::string error;
            auto doc = Read(hostile::WideStroke(row.width), error);
            ASSERT_TRUE(doc) << row.name << ": " << error;
            const TGerberExportResult result = Gerber(*doc);
            EXPECT_EQ(result.Succeeded(), row.plottable) << row.name;
            ASSERT_EQ(result.layers.size(), 1u);
            if (!row.plottable) {
                EXPECT_NE(result.layers[0].error.find("path \"PATH\" on layer \"solder\": its pen width"),
                          std::string::npos)
                    << result.layers[0].error;
                EXPECT_TRUE(fs::is_empty(dir_)) << row.name;
            } else {
                std::string bytes;
                ASSERT_TRUE(ReadWholeFile((dir_ / "solder.gbr").string(), bytes, error));
                ExpectSoundNumbers(bytes);
            }
        });
    }
}

TEST_F(Hostile, LegacyAperturesOfAbsurdSizeAreReportedNotWritten) {
    std::ifstream file(ZELKO_TEST_DATA "/fuzz-vem/hostile-apertures.vem");
    ASSERT_TRUE(file);
    TVemoDocument doc;
    ImportVemo(file, {"solder", "component"}, doc);
    WithinTimeBound("legacy apertures", [&] {
        const TGerberExportResult result = Gerber(doc);
        EXPECT_FALSE(result.Succeeded());
        std::string all;
        for (const TGerberLayerResult& r : result.layers) all += r.error + "\n";
        EXPECT_NE(all.find("on layer \"solder\""), std::string::npos) << all;
        EXPECT_EQ(all.find("inf"), std::string::npos) << all;
        for (const auto& entry : fs::directory_iterator(dir_))
            ADD_FAILURE() << "left behind: " << entry.path();
    });
}

// What the Gerber file shows of a filled rectangle or circle of pen width 0
// under a placement, against its outline (what the screen and the bitmap show).
TEST_F(Hostile, ScaledPlacementsPlotTheSizeTheScreenShows) {
    const float c30 = std::cos(0.5236f), s30 = std::sin(0.5236f);
    const struct {
        const char* name;
        bool circle;
        Matrix placement;
        char form;  // 'R' rectangle flash, 'C' round flash, 'S' square-ended stroke, 'O' outline
    } rows[] = {
        {"rectangle, scale 1.5 x 0.5", false, Matrix(1.5f, 0, 0, 0.5f, 500, 300), 'R'},
        {"rectangle, quarter turn with scales 2 and 3", false, Matrix(0, 2, -3, 0, 500, 300), 'R'},
        {"rectangle, 30 degrees and scale 2", false, Matrix(2 * c30, 2 * s30, -2 * s30, 2 * c30, 500, 300),
         'S'},
        {"rectangle, 30 degrees and unlike scales", false, Matrix(2 * c30, 2 * s30, -s30, c30, 500, 300),
         'O'},
        {"circle, scale 3", true, Matrix(3, 0, 0, 3, 500, 300), 'C'},
        {"circle, mirrored and turned, scale 2", true, Matrix(-2 * c30, 2 * s30, 2 * s30, 2 * c30, 500, 300),
         'C'},
        {"circle, stretched on one axis", true, Matrix(3, 0, 0, 1, 500, 300), 'O'},
    };
    for (const auto& row : rows) {
        TVemoDocument doc;
        const TVemoLayerPtr solder = doc.GetLayerList().Find("solder");
        std::unique_ptr<TVemoShape> shape;
        if (row.circle)
            shape = std::make_unique<TVemoEllipse>();
        else
            shape = std::make_unique<TVemoRect>();
        shape->SetLayer(solder);
        shape->SetSurface(Surface(0, true));
        // A 20 x 4 mm bar by its corners, or a circle of 4 mm by the ends of its axes.
        const float w = 100, h = 20, r = 20;
        if (row.circle)
            shape->SetData({PointF{0, 0}, {r, 0}, {0, r}, {-r, 0}, {0, -r}}, row.placement);
        else
            shape->SetData({PointF{0, 0}, {-w, -h}, {w, -h}, {w, h}, {-w, h}}, row.placement);
        // The extent of the outline as drawn (its curves flattened finely).
        GraphicsPath drawn = shape->GetOutline();
        drawn.Flatten(0.05f);
        const RectF screen = drawn.GetBounds();
        doc.GetRoot().AddChild(std::move(shape));
        const TGerberLayerFile file = BuildGerberLayer(doc, solder, 0.3, 0.1);
        ASSERT_TRUE(file.ok) << row.name << ": " << file.error;
        const gerbertest::TParsedFile f = gerbertest::Parse(file.bytes);
        ASSERT_FALSE(f.apertures.empty()) << row.name;
        const std::string& first = f.apertures.front();
        // "%ADD10R,8.000X2.000*%" or "%ADD10C,12.000*%": the sizes in mm.
        const auto size = [&](const std::string& def, int k) {
            std::size_t at = def.find(',') + 1;
            if (k == 1) at = def.find('X', at) + 1;
            return std::atof(def.c_str() + at);
        };
        // The flattened outline lies within its tolerance (0.025 mm) inside the true curve.
        constexpr double kTol = 0.03;
        switch (row.form) {
            case 'R':
                ASSERT_EQ(first.substr(0, 7), "%ADD10R") << row.name << ": " << first;
                EXPECT_NEAR(size(first, 0), screen.width / 10.0, kTol) << row.name;
                EXPECT_NEAR(size(first, 1), screen.height / 10.0, kTol) << row.name;
                break;
            case 'C':
                ASSERT_EQ(first.substr(0, 7), "%ADD10C") << row.name << ": " << first;
                EXPECT_NEAR(size(first, 0), screen.width / 10.0, kTol) << row.name;
                EXPECT_NEAR(size(first, 0), screen.height / 10.0, kTol) << row.name;
                break;
            case 'S':
                // The stroke is as wide as the scaled short side: 2 x 4 mm.
                ASSERT_EQ(f.apertures.size(), 2u) << row.name;
                EXPECT_EQ(f.apertures[1], "%ADD11C,8.000*%") << row.name;
                break;
            default:
                // Outlined and hatched with the default pen: no flash at all.
                EXPECT_EQ(f.apertures, std::vector<std::string>{"%ADD10C,0.300*%"}) << row.name;
                for (const std::string& line : f.body)
                    EXPECT_EQ(line.find("D03"), std::string::npos) << row.name;
        }
    }
}

TEST_F(Hostile, AFillTooLargeToHatchIsRefusedByName) {
    // 90 m square with a 0.1 mm pen: over a million hatch strokes.
    TVemoDocument doc;
    const TVemoLayerPtr solder = doc.GetLayerList().Find("solder");
    doc.GetRoot().AddChild(gerbertest::Rect(solder, {-450000, -450000}, {450000, 450000}, Surface(1, true)));
    WithinTimeBound("a 90 m fill", [&] {
        const TGerberLayerFile file = BuildGerberLayer(doc, solder, 0.3, 0.1);
        EXPECT_FALSE(file.ok);
        EXPECT_NE(file.error.find("rectangle \"Rectangle\" on layer \"solder\": hatching its fill"),
                  std::string::npos)
            << file.error;
    });
}

TEST_F(Hostile, HiddenObjectsAreLeftOutOfTheGerberAsOfTheDrawing) {
    TVemoDocument doc;
    const TVemoLayerPtr solder = doc.GetLayerList().Find("solder");
    auto hidden = gerbertest::Circle(solder, {100, 100}, 10, Surface(0, true));
    hidden->ClearFlags(TVemoObject::FlagVisible);
    doc.GetRoot().AddChild(std::move(hidden));
    auto group = std::make_unique<TVemoGroup>();
    group->AddChild(gerbertest::Circle(solder, {200, 100}, 10, Surface(0, true)));
    group->ClearFlags(TVemoObject::FlagVisible);
    doc.GetRoot().AddChild(std::move(group));
    doc.GetRoot().AddChild(gerbertest::Circle(solder, {300, 100}, 10, Surface(0, true)));
    const TGerberLayerFile file = BuildGerberLayer(doc, solder, 0.3, 0.1);
    EXPECT_EQ(file.items, 1);
    EXPECT_EQ(gerbertest::Parse(file.bytes).body, (std::vector<std::string>{"G54D10*", "X30000Y65000D03*"}));
}

TEST_F(Hostile, AHugeDesignAreaIsRefusedWithTheLargestResolutionThatFits) {
    std::string error;
    auto doc = Read(hostile::HugeArea(100000, 100000), error);  // 10 m x 10 m
    ASSERT_TRUE(doc) << error;
    TBitmapExportOptions options;
    options.ppi = 40;
    TDIBitmap bitmap;
    EXPECT_FALSE(RenderBitmapExport(*doc, options, bitmap, error));
    const int best = LargestBitmapResolution(100000, 100000);
    EXPECT_NE(error.find("15748 x 15748 pixels"), std::string::npos) << error;
    EXPECT_NE(error.find("at most " + std::to_string(best) + " ppi fits"), std::string::npos) << error;
    for (const double area : {100000.0, 3000.0, 1e9}) {
        const int fit = LargestBitmapResolution(area, area / 3);
        std::int64_t w = 0, h = 0;
        BitmapExportSize(area, area / 3, fit, w, h);
        if (fit > 0) {
            EXPECT_LE(w * h, kMaxBitmapPixels) << area;
        }
        BitmapExportSize(area, area / 3, fit + 1, w, h);
        EXPECT_TRUE(w * h > kMaxBitmapPixels || w > TDIBitmap::kMaxSide || h > TDIBitmap::kMaxSide) << area;
    }
}

TEST_F(Hostile, GraphSizesAndWidthsBeyondReachAreRefusedOnApplyAndOnLoad) {
    TVemoDocument doc;
    TLineGraphUnit unit;
    unit.SetDocument(&doc);
    unit.ReadDataText("0,1\n1,2\n");
    ASSERT_EQ(unit.ItemCount(), 1);
    std::string message;
    ASSERT_TRUE(ApplyGraphProperties(unit, 0, InitialGraphProperties(), message)) << message;
    for (const char* key : {"Width", "Height", "LineWidth", "FrameWidth"}) {
        for (const char* value : {"1e300", "inf", "1e7"}) {
            TGraphProperties rows = InitialGraphProperties();
            for (TGraphProperty& row : rows)
                if (row.key == key) row.value = value;
            EXPECT_FALSE(ApplyGraphProperties(unit, 0, rows, message)) << key << "=" << value;
            EXPECT_EQ(message, kInvalidGraphValueMessage);
            ASSERT_TRUE(ApplyGraphProperties(unit, 0, InitialGraphProperties(), message)) << message;
        }
    }
    const fs::path ini = dir_ / "graph_tool.ini";
    std::ofstream(ini)
        << "[GraphProperty]\nWidth=1e300\nHeight=300\nFrameWidth=1e300\n[Item0]\nLineWidth=1e300\n";
    unit.LoadSettings(ini.string());
    EXPECT_EQ(unit.Item(0).GetAxis().Width(), 400.0);
    EXPECT_EQ(unit.GetFrameWidth(), 1.0f);
    EXPECT_EQ(unit.Item(0).GetStyle().GetWidth(), 1.0f);
}

TEST_F(Hostile, AFailedGerberExportLeavesTheEarlierSetAsItWas) {
    TVemoDocument doc;
    TVemoLayerList& layers = doc.GetLayerList();
    for (int i = 0; i < layers.Count(); ++i)
        std::ofstream(dir_ / (layers.At(i)->GetName() + ".gbr")) << "earlier";
    doc.GetRoot().AddChild(gerbertest::Circle(layers.Find("component"), {100, 100}, 10, Surface(0, true)));
    // The last output layer in list order holds an object that cannot be plotted.
    doc.GetRoot().AddChild(gerbertest::Polyline(layers.At(layers.Count() - 1), {{0, 0}, {10, 0}}, false,
                                                Surface(std::numeric_limits<float>::infinity(), false)));
    const TGerberExportResult result = Gerber(doc);
    EXPECT_FALSE(result.Succeeded());
    int files = 0;
    for (const auto& entry : fs::directory_iterator(dir_)) {
        std::string bytes, error;
        ASSERT_TRUE(ReadWholeFile(entry.path().string(), bytes, error));
        EXPECT_EQ(bytes, "earlier") << entry.path();
        ++files;
    }
    EXPECT_EQ(files, layers.Count()) << "no temporary is left";
}

// A save of target killed after writing its temporary and before renaming
// it. The killed process is left a zombie (not reaped) when reap is false;
// the caller reaps it later.
pid_t KilledSave(const std::string& target, bool reap) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::string tmp, e;
        WriteBeside(target, std::string(4096, 'x'), tmp, e);
        ::kill(::getpid(), SIGKILL);
        ::_exit(0);
    }
    siginfo_t info{};
    // WNOWAIT: wait for the death but leave the zombie in place.
    EXPECT_EQ(::waitid(P_PID, id_t(child), &info, WEXITED | (reap ? 0 : WNOWAIT)), 0);
    EXPECT_EQ(info.si_code, CLD_KILLED);
    return child;
}

TEST_F(Hostile, TheNextSaveOrOpenRemovesTemporariesOfAKilledSaveOfThatDocument) {
    for (const bool open : {false, true}) {
        SCOPED_TRACE(open ? "open" : "save");
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        const std::string target = (dir_ / "board.vbf").string();
        std::string error;
        ASSERT_TRUE(WriteDocumentFile(TVemoDocument(), target, error)) << error;
        KilledSave(target, true);
        // Killed and not reaped yet by its parent: its pid still answers.
        const pid_t zombie = KilledSave(target, false);
        // Another document's killed save, a temporary of a save still running
        // (this process) and an editor's file stay.
        KilledSave((dir_ / "other.vbf").string(), true);
        std::string live;
        ASSERT_TRUE(WriteBeside(target, "running", live, error)) << error;
        std::ofstream(dir_ / ".board.vbf.swp") << "an editor's";
        const auto count = [&] {
            return std::distance(fs::directory_iterator(dir_), fs::directory_iterator());
        };
        ASSERT_EQ(count(), 6);

        if (open)
            EXPECT_TRUE(ReadDocumentFile(target, error)) << error;
        else
            ASSERT_TRUE(WriteDocumentFile(TVemoDocument(), target, error)) << error;
        EXPECT_EQ(count(), 4) << "only the two killed saves of board.vbf went";
        EXPECT_TRUE(fs::exists(live));
        EXPECT_TRUE(fs::exists(dir_ / ".board.vbf.swp"));
        int others = 0;
        for (const auto& entry : fs::directory_iterator(dir_))
            others += entry.path().filename().string().rfind(".other.vbf.zelko-tmp.", 0) == 0;
        EXPECT_EQ(others, 1);
        EXPECT_TRUE(ReadDocumentFile(target, error)) << error;
        DiscardTemporary(live);
        ::waitpid(zombie, nullptr, 0);
    }
}

}  // namespace
