#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "boardgen/Boardgen.h"
#include "gerber/Gerber_oarchive.h"
#include "gerber/Gerberexport.h"
#include "gerber/Gerbervisitor.h"
#include "gerber/Gerberx2.h"
#include "model/Vemolayer.h"
#include "model/Vemogroup.h"
#include "model/Vemostring.h"
#include "tests/gerber/Gerbertest.h"

namespace fs = std::filesystem;

namespace {

using gerbertest::Circle;
using gerbertest::Parse;
using gerbertest::Polyline;
using gerbertest::Rect;
using gerbertest::Surface;
using gerbertest::TParsedFile;

const char* const kWorkedExample =
    "G75*\r\nG71*\r\n%OFA0B0*%\r\n%FSLAX33Y33*%\r\n%IPPOS*%\r\n%LPD*%\r\n"
    "%ADD10C,1.000*%\r\n%ADD11C,0.300*%\r\n"
    "G54D10*\r\nX10500Y64500D03*\r\n"
    "G54D11*\r\nX20000Y65000D02*\r\nX25000Y65000D01*\r\nX25000Y63000D01*\r\nX20000Y63000D01*\r\n"
    "X20000Y65000D01*\r\n"
    "M02*\r\n";

const char* const kEmptyLayer =
    "G75*\r\nG71*\r\n%OFA0B0*%\r\n%FSLAX33Y33*%\r\n%IPPOS*%\r\n%LPD*%\r\nM02*\r\n";

class GerberExport : public testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("zelko-gerber-" + std::to_string(::getpid()) + "-" +
                                            testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    static std::string Slurp(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    TVemoLayerPtr Layer(const char* name) { return doc_.GetLayerList().Find(name); }
    // The worked example's two objects on a layer: a filled circle and an unfilled rectangle.
    void AddExample(const TVemoLayerPtr& layer) {
        doc_.GetRoot().AddChild(Circle(layer, {105, 105}, 5, Surface(0, true)));
        doc_.GetRoot().AddChild(Rect(layer, {200, 100}, {250, 120}, Surface(3, false)));
    }
    TGerberExportOptions Options() const {
        TGerberExportOptions o;
        o.folder = dir_.string();
        return o;
    }

    fs::path dir_;
    TVemoDocument doc_;
};

TEST_F(GerberExport, WorkedExampleByteForByte) {
    ASSERT_EQ(doc_.GetAreaX(), 0.0);
    ASSERT_EQ(doc_.GetAreaY(), 0.0);
    ASSERT_EQ(doc_.GetAreaHeight(), 750.0);
    AddExample(Layer("solder"));

    const TGerberLayerFile file = BuildGerberLayer(doc_, Layer("solder"), 0.3, 0.1);
    ASSERT_TRUE(file.ok) << file.error;
    EXPECT_EQ(file.bytes, kWorkedExample);
    EXPECT_EQ(file.apertures, 2);
    EXPECT_EQ(file.items, 2);

    TGerberExportOptions options = Options();
    options.layers = std::vector<std::string>{"component", "solder"};
    const TGerberExportResult result = ExportGerber(doc_, options);
    ASSERT_TRUE(result.Succeeded());
    ASSERT_EQ(result.layers.size(), 2u);
    // Layer-list order, not the order of the names.
    EXPECT_EQ(result.layers[0].layer, "solder");
    EXPECT_EQ(result.layers[0].path, (dir_ / "solder.gbr").string());
    EXPECT_EQ(result.layers[0].bytes, std::string(kWorkedExample).size());
    EXPECT_EQ(result.layers[1].layer, "component");
    EXPECT_EQ(Slurp(dir_ / "component.gbr"), kEmptyLayer) << "an empty layer: six header lines and M02";
    EXPECT_EQ(Slurp(dir_ / "solder.gbr"), kWorkedExample);
}

TEST_F(GerberExport, OriginIsTheBottomLeftOfTheDesignArea) {
    doc_.SetAreaOrigin(100, 50);
    doc_.SetAreaSize(400, 500);
    doc_.GetRoot().AddChild(Circle(Layer("solder"), {100, 550}, 1, Surface(0, true)));
    doc_.GetRoot().AddChild(Circle(Layer("solder"), {500, 50}, 1, Surface(0, true)));
    const TParsedFile f = Parse(BuildGerberLayer(doc_, Layer("solder"), 0.3, 0.1).bytes);
    EXPECT_EQ(f.body, (std::vector<std::string>{"G54D10*", "X0Y0D03*", "G54D10*", "X40000Y50000D03*"}));
}

TEST_F(GerberExport, EachKindOfObjectAddsItselfOnlyOnItsLayer) {
    const TVemoLayerPtr solder = Layer("solder"), other = Layer("component");
    auto group = std::make_unique<TVemoGroup>();
    group->AddChild(Circle(other, {10, 10}, 5, Surface(0, true)));
    group->AddChild(Circle(solder, {20, 20}, 5, Surface(0, true)));
    doc_.GetRoot().AddChild(std::move(group));
    doc_.GetRoot().AddChild(Polyline(solder, {{0, 0}, {100, 0}, {100, 50}}, false, Surface(3, false)));
    doc_.GetRoot().AddChild(Polyline(solder, {{0, 100}, {100, 100}, {100, 150}}, true, Surface(3, false)));
    doc_.GetRoot().AddChild(Polyline(solder, {{0, 0}}, false, Surface(3, false)));  // one node: no segment
    auto text = std::make_unique<TVemoString>();
    text->SetLayer(solder);
    text->SetData(Matrix(1, 0, 0, 1, 300, 300), u"H", TVemoFont("DejaVu Sans", 50, 0));
    doc_.GetRoot().AddChild(std::move(text));

    const TGerberLayerFile file = BuildGerberLayer(doc_, solder, 0.5, 0.2);
    ASSERT_TRUE(file.ok);
    EXPECT_EQ(file.items, 4) << "circle in the group, two paths, text";
    const TParsedFile f = Parse(file.bytes);
    EXPECT_EQ(f.apertures,
              (std::vector<std::string>{"%ADD10C,1.000*%", "%ADD11C,0.300*%", "%ADD12C,0.200*%"}))
        << "the text is outlined and hatched with the text width";
    ASSERT_GE(f.body.size(), 4u);
    EXPECT_EQ(f.body[1], "X2000Y73000D03*");

    // The open path ends at its last anchor; the closed one returns to its first.
    const auto at = [&](const std::string& line) { return std::find(f.body.begin(), f.body.end(), line); };
    const auto open = at("X0Y75000D02*"), closed = at("X0Y65000D02*"), texts = at("G54D12*");
    ASSERT_TRUE(open != f.body.end() && closed != f.body.end() && texts != f.body.end());
    EXPECT_EQ(*(closed - 2), "X10000Y70000D01*");
    EXPECT_EQ(*(texts - 1), "X0Y65000D01*");

    // Nothing of another layer, nor of a path without a segment.
    TGerber_oarchive archive(solder);
    EXPECT_EQ(WriteGerber(*Polyline(solder, {{0, 0}}, true, Surface(3, false)), archive), -1);
    EXPECT_EQ(WriteGerber(*Polyline(other, {{0, 0}, {9, 9}}, false, Surface(3, false)), archive), -1);
    EXPECT_EQ(WriteGerber(*Polyline(solder, {{0, 0}, {9, 9}}, false, Surface(3, false)), archive), 0);
    EXPECT_EQ(archive.ItemCount(), 1);
}

TEST_F(GerberExport, WritesEveryOutputLayerAndLeavesTheFlagsAlone) {
    AddExample(Layer("solder"));
    Layer("other")->SetOutput(false);
    const TGerberExportResult all = ExportGerber(doc_, Options());
    ASSERT_TRUE(all.Succeeded());
    std::vector<std::string> names;
    for (const TGerberLayerResult& r : all.layers) names.push_back(r.layer);
    EXPECT_EQ(names, (std::vector<std::string>{"hole", "solder", "component", "place_sol", "place_cmp",
                                               "stop_sol", "stop_cmp", "dimension"}));
    EXPECT_FALSE(fs::exists(dir_ / "other.gbr"));
    EXPECT_EQ(Slurp(dir_ / "solder.gbr"), kWorkedExample);

    TGerberExportOptions only = Options();
    only.folder = (dir_ / "only").string();
    fs::create_directories(only.folder);
    only.layers = std::vector<std::string>{"other"};
    const TGerberExportResult chosen = ExportGerber(doc_, only);
    ASSERT_TRUE(chosen.Succeeded());
    ASSERT_EQ(chosen.layers.size(), 1u);
    EXPECT_TRUE(fs::exists(dir_ / "only" / "other.gbr"));
    EXPECT_FALSE(Layer("other")->IsOutput());
    EXPECT_TRUE(Layer("solder")->IsOutput());
}

// The layers of an export are built side by side; every file must hold the
// bytes of that layer built alone, in both flavours, and the progress must
// name every layer once, in order, as a serial run does.
TEST_F(GerberExport, LayersBuiltSideBySideGiveTheBytesOfEachLayerBuiltAlone) {
    auto board = GenerateBoard({1500, 5, true});
    const TVemoLayerList& list = board->GetLayerList();
    std::vector<int> announced;
    int total = 0;
    const auto progress = [&](int index, int count, const std::string& layer) {
        total = count;
        announced.push_back(index);
        EXPECT_FALSE(layer.empty());
    };

    TGerberExportOptions classic = Options();
    classic.progress = progress;
    const TGerberExportResult written = ExportGerber(*board, classic);
    ASSERT_TRUE(written.Succeeded());
    std::vector<int> every;
    for (int i = 0; i < list.Count(); ++i)
        if (list.At(i)->IsOutput()) every.push_back(int(every.size()));
    ASSERT_EQ(written.layers.size(), every.size());
    EXPECT_EQ(total, int(every.size()));
    EXPECT_EQ(announced, every);
    int withItems = 0;
    for (const TGerberLayerResult& r : written.layers) {
        const TGerberLayerFile alone = BuildGerberLayer(*board, list.Find(r.layer), 0.3, 0.1);
        ASSERT_TRUE(alone.ok) << r.layer;
        EXPECT_EQ(Slurp(r.path), alone.bytes) << r.layer;
        withItems += r.items > 0 ? 1 : 0;
    }
    EXPECT_GE(withItems, 4);

    TX2ExportOptions x2;
    x2.folder = (dir_ / "x2").string();
    fs::create_directories(x2.folder);
    x2.creationDate = "2026-12-10T16:00:00+00:00";
    announced.clear();
    x2.progress = progress;
    const TGerberExportResult regions = ExportGerberX2(*board, x2);
    ASSERT_TRUE(regions.Succeeded());
    ASSERT_GE(regions.layers.size(), 4u);
    for (const TGerberLayerResult& r : regions.layers) {
        const TGerberLayerFile alone =
            BuildGerberX2Layer(*board, list.Find(r.layer), RoleOf(x2, r.layer), 0.3, 0.1, x2);
        ASSERT_TRUE(alone.ok) << r.layer;
        EXPECT_EQ(Slurp(r.path), alone.bytes) << r.layer;
    }
    every.resize(regions.layers.size());
    for (std::size_t i = 0; i < every.size(); ++i) every[i] = int(i);
    EXPECT_EQ(announced, every);
    EXPECT_EQ(total, int(every.size()));
}

TEST_F(GerberExport, ReportsEachProblemAndWritesNothingUnlessAllSucceed) {
    const auto rename = [&](const char* from, const char* to) { Layer(from)->SetName(to); };
    rename("other", "a/b");
    rename("dimension", "..");
    rename("stop_cmp", "");
    rename("stop_sol", "twice");
    rename("place_cmp", "twice");
    AddExample(Layer("twice"));  // on the first of the two (list order: place_cmp comes later)
    doc_.GetRoot().AddChild(Polyline(Layer("solder"), {{0, 0}, {50, 0}, {50, 20}}, true, Surface(0, true)));

    TGerberExportOptions options = Options();
    options.penWidth = 0.0;
    const TGerberExportResult result = ExportGerber(doc_, options);
    EXPECT_FALSE(result.Succeeded());
    for (const TGerberLayerResult& r : result.layers) {
        const bool bad = r.layer == "a/b" || r.layer == ".." || r.layer.empty();
        EXPECT_FALSE(r.written) << r.layer;
        EXPECT_EQ(r.error.find("another layer failed") == std::string::npos, bad)
            << r.layer << ": " << r.error;
    }
    EXPECT_TRUE(fs::is_empty(dir_)) << "no file and no temporary is left";
    const auto warned = [&](const TGerberExportResult& res, const std::string& part) {
        return std::any_of(res.warnings.begin(), res.warnings.end(),
                           [&](const std::string& w) { return w.find(part) != std::string::npos; });
    };
    EXPECT_TRUE(warned(result, "\"twice\""));
    EXPECT_TRUE(warned(result, "layer \"solder\": 1 filled object(s) not hatched"));

    rename("a/b", "other");
    rename("..", "dimension");
    rename("", "stop_cmp");
    const TGerberExportResult fixed = ExportGerber(doc_, options);
    EXPECT_TRUE(fixed.Succeeded());
    // The later layer of a name replaces the earlier one's file, with a warning.
    EXPECT_EQ(Slurp(dir_ / "twice.gbr"), kEmptyLayer);
    EXPECT_TRUE(warned(fixed, "\"twice\""));
}

TEST_F(GerberExport, FailuresAsAWhole) {
    AddExample(Layer("solder"));
    TGerberExportOptions missingFolder = Options();
    missingFolder.folder = (dir_ / "no-such-folder").string();
    const TGerberExportResult r1 = ExportGerber(doc_, missingFolder);
    EXPECT_FALSE(r1.Succeeded());
    EXPECT_EQ(r1.layers.size(), 9u);
    for (const TGerberLayerResult& r : r1.layers) EXPECT_TRUE(!r.written && !r.error.empty()) << r.layer;

    for (const double width : {-0.1, 100.001, double(NAN), double(INFINITY)}) {
        TGerberExportOptions bad = Options();
        bad.textPenWidth = width;
        const TGerberExportResult r2 = ExportGerber(doc_, bad);
        EXPECT_FALSE(r2.Succeeded()) << width;
        EXPECT_FALSE(r2.error.empty()) << width;
        EXPECT_TRUE(r2.layers.empty()) << width;
    }
    EXPECT_TRUE(fs::is_empty(dir_));

    // A name the document has no layer of refuses the export before the
    // layers it does have are written, as the X2 flavour does.
    TGerberExportOptions unknown = Options();
    unknown.layers = std::vector<std::string>{"solder", "no such layer"};
    const TGerberExportResult r3 = ExportGerber(doc_, unknown);
    EXPECT_FALSE(r3.Succeeded());
    EXPECT_NE(r3.error.find("\"no such layer\""), std::string::npos) << r3.error;
    EXPECT_TRUE(r3.layers.empty());
    EXPECT_TRUE(fs::is_empty(dir_));
}

}  // namespace
