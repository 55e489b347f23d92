// The fab flavour: what its files say of themselves, how they are named, and
// gerbv's picture of them against the classic flavour's.

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "archive/Safefile.h"
#include "boardgen/Demo.h"
#include "gerber/Gerberexport.h"
#include "gerber/Gerberx2.h"
#include "model/Vemodocument.h"
#include "model/Vemolayer.h"
#include "model/Vemostring.h"
#include "output/Exportbitmap.h"
#include "render/Dibwrap.h"
#include "tests/gerber/Gerbertest.h"
#include "tests/output/Inkcompare.h"

namespace {

namespace fs = std::filesystem;
using namespace gerbertest;

// The classic fixture plus a silk layer of labels, as a board's legend holds.
void BuildBoard(TVemoDocument& doc) {
    BuildFixture(doc);
    // An island in the hole of the fixture's polygon, and a track across the
    // hole: a cleared hole must take neither away.
    const TVemoLayerPtr copper = doc.GetLayerList().Find("solder");
    doc.GetRoot().AddChild(Rect(copper, {200, 225}, {220, 245}, Surface(1, true)));
    doc.GetRoot().AddChild(Polyline(copper, {{180, 250}, {240, 220}}, false, Surface(4, false)));
    const TVemoLayerPtr silk = doc.GetLayerList().Find("place_cmp");
    for (int row = 0; row < 6; ++row)
        for (int column = 0; column < 3; ++column) {
            auto text = std::make_unique<TVemoString>();
            text->SetLayer(silk);
            text->SetData(Matrix(1, 0, 0, 1, 20.0f + 125.0f * float(column), 20.0f + 45.0f * float(row)),
                          std::u16string(u"R").append(1, char16_t(u'1' + row)).append(u"0k"),
                          TVemoFont("DejaVu Sans", 25, 0));
            doc.GetRoot().AddChild(std::move(text));
        }
    doc.GetRoot().Rebuild();
}

std::string X2Of(TVemoDocument& doc, const std::string& layer, TLayerRole role, bool attributes = true) {
    TX2Options options;
    options.attributes = attributes;
    options.creationDate = "2026-12-10T12:00:00+00:00";
    const TGerberLayerFile file =
        BuildGerberX2Layer(doc, doc.GetLayerList().Find(layer), role, 0.01, 0.01, options);
    EXPECT_TRUE(file.ok) << file.error;
    return file.bytes;
}

TEST(GerberX2, HeaderAttributesAndNoDeprecatedCodes) {
    TVemoDocument doc;
    BuildBoard(doc);
    const std::string copper = X2Of(doc, "solder", TLayerRole::BottomCopper);
    for (const char* line :
         {"%TF.GenerationSoftware,zelko,zelko,", "%TF.CreationDate,2026-12-10T12:00:00+00:00*%\n",
          "%TF.FileFunction,Copper,L2,Bot*%\n", "%TF.FilePolarity,Positive*%\n", "%FSLAX46Y46*%\n",
          "%MOMM*%\n", "%TA.AperFunction,ComponentPad*%\n%ADD", "%TA.AperFunction,Conductor*%\n%ADD",
          "%TD*%\n", "G36*\n", "G37*\n", "%LPC*%\n", "G75*\n", "G03*\n"})
        EXPECT_NE(copper.find(line), std::string::npos) << line;
    for (const char* deprecated : {"G54", "G70", "G71", "%OF", "%IP", "G74"})
        EXPECT_EQ(copper.find(deprecated), std::string::npos) << deprecated;
    EXPECT_EQ(copper.substr(copper.size() - 5), "M02*\n");

    const std::string mask = X2Of(doc, "stop_cmp", TLayerRole::TopMask);
    EXPECT_NE(mask.find("%TF.FileFunction,Soldermask,Top*%\n%TF.FilePolarity,Negative*%"), std::string::npos);
    const std::string bare = X2Of(doc, "solder", TLayerRole::BottomCopper, false);
    for (const char* attribute : {"%TF", "%TA", "%TD"}) EXPECT_EQ(bare.find(attribute), std::string::npos);
    EXPECT_NE(bare.find("%MOMM*%"), std::string::npos);
}

// Regions instead of hatching: the legend's file is far smaller than the
// classic one, and both show the same picture in gerbv.
TEST(GerberX2, GerbvShowsWhatTheClassicFlavourShows) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TVemoDocument doc;
    BuildBoard(doc);
    const fs::path folder = dir.path().toStdString();
    constexpr int kPpi = 1000;
    const int w = int(TFixture::kAreaWidth * kPpi / 254), h = int(TFixture::kAreaHeight * kPpi / 254);
    const struct {
        const char* layer;
        TLayerRole role;
    } rows[] = {{"solder", TLayerRole::BottomCopper}, {"place_cmp", TLayerRole::TopSilk}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.layer);
        // A fine pen keeps the classic outline of filled shapes within a pixel of them.
        const TGerberLayerFile classic =
            BuildGerberLayer(doc, doc.GetLayerList().Find(row.layer), 0.01, 0.01);
        ASSERT_TRUE(classic.ok) << classic.error;
        const std::string x2 = X2Of(doc, row.layer, row.role);
        std::string error;
        const fs::path a = folder / (std::string(row.layer) + "-classic.gbr");
        const fs::path b = folder / (std::string(row.layer) + "-x2.gbr");
        ASSERT_TRUE(WriteFileSafely(a.string(), classic.bytes, error)) << error;
        ASSERT_TRUE(WriteFileSafely(b.string(), x2, error)) << error;
        const QImage theirs = inkcompare::RenderWithGerbv(a, TFixture::kAreaHeight / 10.0, w, h, kPpi);
        const QImage ours = inkcompare::RenderWithGerbv(b, TFixture::kAreaHeight / 10.0, w, h, kPpi);
        ASSERT_FALSE(theirs.isNull());
        ASSERT_FALSE(ours.isNull());
        const inkcompare::Comparison c =
            inkcompare::Compare(inkcompare::InkOf(ours), inkcompare::InkOf(theirs), w, h);
        std::printf(
            "%s: classic %zu bytes, x2 %zu bytes; %.3f %% agree, ink %lld (x2) / %lld (classic), %lld far "
            "from edges\n",
            row.layer, classic.bytes.size(), x2.size(), c.Agree(), c.inkOurs, c.inkGerbv, c.farFromEdges);
        // gerbv draws the classic flavour's hairline outlines and hatches at
        // least a pixel wide, so its texts come out a little bolder than drawn.
        EXPECT_GE(c.Agree(), row.role == TLayerRole::TopSilk ? 99.0 : 99.5);
        EXPECT_EQ(c.farFromEdges, 0);
        EXPECT_GT(c.inkOurs, c.pixels / 100);

        // And the X2 file against the picture the editor draws of the layer.
        TBitmapExportOptions film;
        film.ppi = kPpi;
        film.monochrome = true;
        film.layers = {row.layer};
        TDIBitmap screen;
        ASSERT_TRUE(RenderBitmapExport(doc, film, screen, error)) << error;
        ASSERT_EQ(screen.Width(), w);
        const inkcompare::Comparison s =
            inkcompare::Compare(inkcompare::InkOf(ours), inkcompare::InkOf(screen.Image()), w, h);
        std::printf("%s: x2 against the film picture: %.3f %% agree, %lld far from edges\n", row.layer,
                    s.Agree(), s.farFromEdges);
        EXPECT_GE(s.Agree(), 99.5);
        EXPECT_EQ(s.farFromEdges, 0);
        if (row.role == TLayerRole::TopSilk) {
            // Sizes as exported by default: the classic flavour hatches texts with a 0.1 mm pen.
            const TGerberLayerFile hatched =
                BuildGerberLayer(doc, doc.GetLayerList().Find(row.layer), 0.3, 0.1);
            TX2Options options;
            const TGerberLayerFile regions =
                BuildGerberX2Layer(doc, doc.GetLayerList().Find(row.layer), row.role, 0.3, 0.1, options);
            std::printf("%s by default: classic %zu bytes, x2 %zu bytes\n", row.layer, hatched.bytes.size(),
                        regions.bytes.size());
            EXPECT_LE(regions.bytes.size() * 5, hatched.bytes.size());
        }
    }
    if (HasFailure()) {
        dir.setAutoRemove(false);
        ADD_FAILURE() << "files kept in " << dir.path().toStdString();
    }
}

// What an X2 file says of each aperture and how its body uses it.
struct TApertureUses {
    std::map<int, std::string> function;  // by D-code
    std::map<int, int> flashes, draws;
    int regions = 0;
};

bool IsCopperLayer(const std::string& layer) {
    return layer == "component" || layer == "solder";
}

TApertureUses UsesOf(const std::string& file) {
    TApertureUses u;
    std::string pending;
    int current = -1;
    std::istringstream in(file);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("%TA.AperFunction,", 0) == 0) pending = line.substr(17, line.size() - 19);
        if (line.rfind("%ADD", 0) == 0) u.function[std::atoi(line.c_str() + 4)] = pending;
        if (line.size() > 2 && line[0] == 'D' && line.back() == '*') current = std::atoi(line.c_str() + 1);
        if (line.find("D03*") != std::string::npos) ++u.flashes[current];
        if (line.find("D01*") != std::string::npos && line.find('I') == std::string::npos) ++u.draws[current];
        if (line == "G36*") ++u.regions;
    }
    return u;
}

// Lands are pads: a dot of a round or square pen and a filled rectangle drawn
// with a pen are flashed, each aperture has one function (a pad as wide as a
// track gets an aperture of its own), and gerbv shows what the editor draws.
TEST(GerberX2, LandsAreFlashedAsPadsWithOneFunctionPerAperture) {
    TVemoDocument doc;
    doc.SetAreaOrigin(0, 0);
    doc.SetAreaSize(400, 300);
    const TVemoLayerPtr copper = doc.GetLayerList().Find("solder");
    TVemoPart& root = doc.GetRoot();
    root.AddChild(Polyline(copper, {{50, 50}, {50, 50}}, false, Surface(16, false)));    // land
    root.AddChild(Polyline(copper, {{100, 50}, {100, 50}}, false, Surface(10, false)));  // via
    root.AddChild(Polyline(copper, {{150, 50}, {150, 50}}, false, Surface(16, false, geom::CapSquare)));
    root.AddChild(Polyline(copper, {{200, 50}, {200, 50}}, false, Surface(20, true)));    // filled dot
    root.AddChild(Polyline(copper, {{50, 150}, {300, 150}}, false, Surface(16, false)));  // track
    root.AddChild(Polyline(copper, {{250, 40}, {290, 40}}, true, Surface(16, false)));    // slot
    root.AddChild(Polyline(copper, {{340, 30}, {340, 80}}, true, Surface(12, true)));     // slot
    root.AddChild(Rect(copper, {50, 200}, {90, 230}, Surface(5, true)));                  // SMD land
    TVemoSurface mitred = Surface(5, true);
    mitred.SetJoin(geom::JoinMiter);
    root.AddChild(Rect(copper, {150, 200}, {170, 240}, mitred));
    const Matrix quarter(0, 1, -1, 0, 477.5f, -20);  // about its centre, then to (270, 250)
    root.AddChild(Rect(copper, {250, 200}, {290, 215}, Surface(5, true), &quarter));
    root.Rebuild();

    const std::string x2 = X2Of(doc, "solder", TLayerRole::BottomCopper);
    const TApertureUses u = UsesOf(x2);
    EXPECT_EQ(u.regions, 0) << x2;
    int flashes = 0;
    for (const auto& [code, function] : u.function) {
        SCOPED_TRACE("D" + std::to_string(code) + " " + function);
        const bool flashed = u.flashes.count(code) > 0, drawn = u.draws.count(code) > 0;
        EXPECT_NE(flashed, drawn) << "one use per aperture\n" << x2;
        if (flashed) {
            flashes += u.flashes.at(code);
            EXPECT_TRUE(function == "ComponentPad" || function == "ViaPad");
        } else {
            EXPECT_EQ(function, "Conductor");
        }
    }
    EXPECT_EQ(flashes, 9) << x2;
    EXPECT_NE(x2.find("O,5.600X1.600*%"), std::string::npos) << x2;
    EXPECT_NE(x2.find("O,1.200X6.200*%"), std::string::npos) << x2;
    EXPECT_NE(x2.find("%TA.AperFunction,ViaPad*%\n%ADD11C,1.000*%"), std::string::npos) << x2;
    EXPECT_NE(x2.find("%TA.AperFunction,Conductor*%\n%ADD10C,1.600*%"), std::string::npos) << x2;

    QTemporaryDir dir;
    const fs::path file = fs::path(dir.path().toStdString()) / "lands.gbr";
    std::string error;
    ASSERT_TRUE(WriteFileSafely(file.string(), x2, error)) << error;
    constexpr int kPpi = 1000;
    const int w = 400 * kPpi / 254, h = 300 * kPpi / 254;
    const QImage gerbv = inkcompare::RenderWithGerbv(file, 30.0, w, h, kPpi);
    ASSERT_FALSE(gerbv.isNull());
    TBitmapExportOptions film;
    film.ppi = kPpi;
    film.monochrome = true;
    film.layers = {"solder"};
    TDIBitmap screen;
    ASSERT_TRUE(RenderBitmapExport(doc, film, screen, error)) << error;
    const inkcompare::Comparison c =
        inkcompare::Compare(inkcompare::InkOf(gerbv), inkcompare::InkOf(screen.Image()), w, h);
    EXPECT_GE(c.Agree(), 99.5);
    EXPECT_EQ(c.farFromEdges, 0);
    if (HasFailure()) {
        dir.setAutoRemove(false);
        screen.Image().save(
            QString::fromStdString((fs::path(dir.path().toStdString()) / "film.png").string()));
        gerbv.save(QString::fromStdString((fs::path(dir.path().toStdString()) / "gerbv.png").string()));
        ADD_FAILURE() << "files kept in " << dir.path().toStdString();
    }
}

// Every land of the starter pads and parts is a flashed pad on copper and on
// the masks: nothing of them is drawn or filled as a region.
TEST(GerberX2, EveryStarterLandIsFlashed) {
    for (TDemoFile& file : BuildDemoContent()) {
        if (file.path.rfind("lib/", 0) != 0 && file.path.rfind("pad/", 0) != 0) continue;
        SCOPED_TRACE(file.path);
        int flashes = 0;
        for (const char* layer : {"component", "solder", "stop_cmp", "stop_sol"}) {
            const std::string x2 = X2Of(*file.document, layer, DefaultRole(layer));
            const TApertureUses u = UsesOf(x2);
            EXPECT_EQ(u.regions, 0) << layer << "\n" << x2;
            EXPECT_TRUE(u.draws.empty()) << layer << "\n" << x2;
            for (const auto& [code, n] : u.flashes) {
                flashes += n;
                if (IsCopperLayer(layer)) {
                    EXPECT_TRUE(u.function.at(code) == "ComponentPad" || u.function.at(code) == "ViaPad")
                        << layer;
                }
            }
        }
        EXPECT_GT(flashes, 0);
    }
}

TEST(GerberX2, FilesNamedAfterRolesAndNeverTwiceOneName) {
    QTemporaryDir dir;
    TVemoDocument doc;
    BuildBoard(doc);
    TX2ExportOptions options;
    options.folder = dir.path().toStdString();
    options.board = "amp";
    options.leaveOutEmpty = true;
    options.roles["far"] = TLayerRole::Other;
    const TGerberExportResult result = ExportGerberX2(doc, options);
    ASSERT_TRUE(result.Succeeded()) << result.error;
    std::vector<std::string> names;
    for (const TGerberLayerResult& r : result.layers) names.push_back(fs::path(r.path).filename().string());
    // solder, place_cmp and far hold something; the hole layer goes to the drill file.
    EXPECT_EQ(names,
              (std::vector<std::string>{"amp-bottom-copper.gbr", "amp-top-silk.gbr", "amp-other.gbr"}));
    EXPECT_FALSE(result.warnings.empty()) << "empty layers are left out with a word";

    // A layer that cannot be plotted fails the export, and the earlier set stays as it was.
    std::string before, error;
    ASSERT_TRUE(ReadWholeFile(result.layers[0].path, before, error)) << error;
    doc.GetRoot().AddChild(Rect(doc.GetLayerList().Find("far"), {10, 10}, {20, 20}, Surface(INFINITY, true)));
    doc.GetRoot().AddChild(Rect(doc.GetLayerList().Find("solder"), {10, 10}, {20, 20}, Surface(2, true)));
    const TGerberExportResult failed = ExportGerberX2(doc, options);
    EXPECT_FALSE(failed.Succeeded());
    std::string after;
    ASSERT_TRUE(ReadWholeFile(result.layers[0].path, after, error)) << error;
    EXPECT_EQ(after, before) << "the copper file of the earlier export is kept";
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(options.folder)) ++files;
    EXPECT_EQ(files, 3u) << "no temporary is left behind";
    doc.GetRoot().RemoveChild(doc.GetRoot().GetChild(doc.GetRoot().GetChildCount() - 1));
    doc.GetRoot().RemoveChild(doc.GetRoot().GetChild(doc.GetRoot().GetChildCount() - 1));

    options.roles["solder"] = TLayerRole::TopSilk;  // now two layers would write amp-top-silk.gbr
    options.folder = (fs::path(dir.path().toStdString()) / "second").string();
    fs::create_directories(options.folder);
    const TGerberExportResult clash = ExportGerberX2(doc, options);
    EXPECT_NE(clash.error.find("would both be written to amp-top-silk.gbr"), std::string::npos)
        << clash.error;
    EXPECT_TRUE(fs::is_empty(options.folder));

    options.roles.erase("solder");
    options.nameTemplate = "{board}_{layer}.{ext}";
    EXPECT_EQ(X2FileName(options, "solder"), "amp_solder.gbr");
    options.nameTemplate = "{board}/{role}*.{ext}";
    EXPECT_EQ(X2FileName(options, "place_cmp"), "amp_top-silk_.gbr");
}

}  // namespace
