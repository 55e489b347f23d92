// The fab package: the zip holds what its readme lists, every Gerber file in
// it reads in gerbv, and a failed run leaves nothing behind.

#include <gtest/gtest.h>

#include <zip.h>

#include <QTemporaryDir>

#include <filesystem>
#include <map>
#include <string>

#include "archive/Safefile.h"
#include "model/Vemodocument.h"
#include "model/Vemolayer.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopath.h"
#include "output/Fabpackage.h"
#include "tests/gerber/Gerbertest.h"
#include "tests/output/Inkcompare.h"

namespace {

namespace fs = std::filesystem;
using namespace gerbertest;

// Name -> bytes of every file in a zip, read with libzip.
std::map<std::string, std::string> Unzip(const std::string& path) {
    std::map<std::string, std::string> files;
    int code = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
    EXPECT_NE(archive, nullptr) << "libzip cannot open " << path << ": " << code;
    if (!archive) return files;
    for (zip_int64_t i = 0; i < zip_get_num_entries(archive, 0); ++i) {
        zip_stat_t st;
        zip_stat_index(archive, zip_uint64_t(i), 0, &st);
        std::string bytes(std::size_t(st.size), '\0');
        zip_file_t* file = zip_fopen_index(archive, zip_uint64_t(i), 0);
        EXPECT_EQ(zip_fread(file, bytes.data(), st.size), zip_int64_t(st.size));
        zip_fclose(file);
        files[st.name] = bytes;
    }
    zip_close(archive);
    return files;
}

void BuildBoard(TVemoDocument& doc) {
    BuildFixture(doc);  // solder artwork, a far layer
    const TVemoLayerPtr hole = doc.GetLayerList().Find("hole");
    for (const PointF at : {PointF(40, 40), PointF(300, 100), PointF(320, 100)})
        doc.GetRoot().AddChild(Polyline(hole, {at, at}, false, Surface(at.x > 100 ? 8.0f : 10.0f, false)));
    doc.GetRoot().Rebuild();
}

TEST(FabPackage, HoldsWhatItsReadmeListsAndGerbvReadsIt) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    TVemoDocument doc;
    BuildBoard(doc);
    TX2ExportOptions options;
    options.board = "amp";
    options.roles["far"] = TLayerRole::Other;
    const std::string zipPath = dir.filePath("amp.zip").toStdString();
    TFabPackageResult result;
    std::string error;
    ASSERT_TRUE(ExportFabPackage(doc, zipPath, options, result, error)) << error;
    EXPECT_EQ(result.bytes, fs::file_size(zipPath));
    EXPECT_EQ(result.holes, 3);

    const std::map<std::string, std::string> files = Unzip(zipPath);
    std::vector<std::string> names;
    names.reserve(files.size());
    for (const auto& [name, bytes] : files) names.push_back(name);
    EXPECT_EQ(names,
              (std::vector<std::string>{"README.txt", "amp-bottom-copper.gbr", "amp-other.gbr", "amp.drl"}));
    const std::string& readme = files.at("README.txt");
    for (const std::string& name : names)
        if (name != "README.txt") {
            EXPECT_NE(readme.find("  " + name + "  "), std::string::npos) << name << "\n" << readme;
        }
    for (const char* said : {"Size: 40 x 30 mm", "Holes: 3", "T1  0.800 mm  2 holes", "T2  1.000 mm  1 holes",
                             "Copper,L2,Bot (layer solder)"})
        EXPECT_NE(readme.find(said), std::string::npos) << said << "\n" << readme;
    // Empty output layers are left out with a word, not written as empty files.
    bool warned = false;
    for (const std::string& w : result.warnings)
        warned = warned || w.find("\"stop_cmp\" has nothing on it") != std::string::npos;
    EXPECT_TRUE(warned);

    for (const auto& [name, bytes] : files) {
        if (name == "README.txt") continue;
        SCOPED_TRACE(name);
        const fs::path file = fs::path(dir.path().toStdString()) / name;
        ASSERT_TRUE(WriteFileSafely(file.string(), bytes, error)) << error;
        const QImage picture = inkcompare::RenderWithGerbv(file, 30.0, 400, 300, 254);
        ASSERT_FALSE(picture.isNull());
        long long ink = 0;
        for (bool b : inkcompare::InkOf(picture)) ink += b;
        if (name != "amp-other.gbr") {  // the far layer lies off the board
            EXPECT_GT(ink, 0) << "something drawn";
        }
    }
}

// The readme's size is the board outline's, along the middle of its strokes,
// and says so; without an outline it is the design area's (40 x 30 mm here).
TEST(FabPackage, TheReadmeGivesTheBoardOutlinesSizeOrSaysItIsTheDesignArea) {
    const struct {
        const char* name;
        const char* outlineLayer;  // gets the outline role; null: dimension keeps it
        const char* shape;         // "rectangle", "circle", "" nothing, "hidden"
        const char* said;
    } rows[] = {
        {"a 50 x 30 mm outline on dimension", nullptr, "rectangle",
         "Size: 50 x 30 mm (the board outline, layer dimension)."},
        {"a round board on a layer given the role", "place_sol", "circle",
         "Size: 40 x 40 mm (the board outline, layer place_sol)."},
        {"an empty outline layer", nullptr, "",
         "Size: 40 x 30 mm (the design area: the outline layer dimension has nothing on it)."},
        {"a hidden outline", nullptr, "hidden",
         "Size: 40 x 30 mm (the design area: the outline layer dimension has nothing on it)."},
        {"no outline layer", "", "", "Size: 40 x 30 mm (the design area: no layer is the board outline)."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        TVemoDocument doc;
        BuildBoard(doc);
        TX2ExportOptions options;
        options.roles["far"] = TLayerRole::Other;
        TVemoLayerPtr layer = doc.GetLayerList().Find("dimension");
        if (row.outlineLayer) {
            options.roles["dimension"] = TLayerRole::None;
            if (*row.outlineLayer) {
                options.roles[row.outlineLayer] = TLayerRole::Outline;
                layer = doc.GetLayerList().Find(row.outlineLayer);
            }
        }
        const std::string shape = row.shape;
        // Drawn with a 0.2 mm pen, which the size leaves out.
        if (shape == "rectangle" || shape == "hidden") {
            auto edge =
                Polyline(layer, {{100, 100}, {600, 100}, {600, 400}, {100, 400}}, true, Surface(2, false));
            if (shape == "hidden") edge->ClearFlags(TVemoObject::FlagVisible);
            doc.GetRoot().AddChild(std::move(edge));
        } else if (shape == "circle") {
            doc.GetRoot().AddChild(Circle(layer, {300, 300}, 200, Surface(2, false)));
        }
        doc.GetRoot().Rebuild();
        TFabPackageResult result;
        std::string error;
        const std::string zipPath = dir.filePath("board.zip").toStdString();
        ASSERT_TRUE(ExportFabPackage(doc, zipPath, options, result, error)) << error;
        const std::string readme = Unzip(zipPath).at("README.txt");
        EXPECT_NE(readme.find(row.said), std::string::npos) << readme;
    }
}

TEST(FabPackage, AFailedRunLeavesNothing) {
    QTemporaryDir dir;
    TVemoDocument doc;
    BuildBoard(doc);
    TX2ExportOptions options;
    options.roles["far"] = TLayerRole::BottomCopper;  // clashes with solder
    TFabPackageResult result;
    std::string error;
    const std::string zipPath = dir.filePath("board.zip").toStdString();
    EXPECT_FALSE(ExportFabPackage(doc, zipPath, options, result, error));
    EXPECT_NE(error.find("nothing written"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_empty(dir.path().toStdString()));

    options.roles.clear();
    EXPECT_FALSE(
        ExportFabPackage(doc, dir.filePath("no/such/folder.zip").toStdString(), options, result, error));
    EXPECT_TRUE(fs::is_empty(dir.path().toStdString()));

    // Widths and layer names are checked as the Gerber export checks them.
    TX2ExportOptions wide = options;
    wide.penWidth = 100.5;
    TX2ExportOptions unknown = options;
    unknown.layers = std::vector<std::string>{"solder", "no such layer"};
    for (const TX2ExportOptions& refused : {wide, unknown}) {
        EXPECT_FALSE(ExportFabPackage(doc, zipPath, refused, result, error));
        EXPECT_NE(error.find("nothing written"), std::string::npos) << error;
    }
    EXPECT_TRUE(fs::is_empty(dir.path().toStdString()));
}

}  // namespace
