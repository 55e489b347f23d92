#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "archive/Safefile.h"
#include "archive/Vemodocumentfile.h"
#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "model/Vemolayer.h"
#include "model/Vemopath.h"
#include "tests/cli/Runzelko.h"

namespace {

constexpr const char* kSample = ZELKO_TEST_DATA "/import/sample.vem";
constexpr const char* kGraphData = ZELKO_TEST_DATA "/graph/two_items.tab";
constexpr const char* kGraphSettings = ZELKO_TEST_DATA "/graph/graph_tool.ini";

class CliImport : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const {
        return dir_.filePath(QString::fromStdString(name)).toStdString();
    }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    static std::unique_ptr<TVemoDocument> Load(const std::string& path) {
        std::string error;
        auto doc = ReadDocumentFile(path, error);
        EXPECT_TRUE(doc) << error;
        return doc;
    }
    QTemporaryDir dir_;
};

std::string Header() {
    return "VEMO:Version 2.0\n[LayerDef]\nLAYER:NAME=CopperLayer\nLAYER:NAME=SilkScreen1\nEND\n"
           "[FlshDef]\n[LineDef]\n[DrawItems]\n";
}

TEST_F(CliImport, ImportAddsTheFileAsOneGroupToTheBase) {
    TVemoDocument base;
    auto track = std::make_unique<TVemoPath>();
    track->SetLayer(base.GetLayerList().Find("solder"));
    track->AppendNode(PointF(0, 0));
    track->AppendNode(PointF(50, 0));
    track->Finish();
    base.GetRoot().AddChild(std::move(track));
    std::string error;
    ASSERT_TRUE(WriteDocumentFile(base, Path("base.vbf"), error)) << error;

    const ZelkoRun run = RunZelko({"import", "vem", kSample, "--map", "CopperLayer=solder", "--map",
                                   "SilkScreen1=silk", "--into", Path("base.vbf"), "-o", Path("out.vbf")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char* said : {"4 items imported", "layer CopperLayer -> solder", "wrote " /* with the size */})
        EXPECT_NE(run.out.find(said), std::string::npos) << said << "\n" << run.out;
    EXPECT_NE(run.err.find("warning: the document had no layer \"silk\": a new layer of that name was made"),
              std::string::npos)
        << run.err;

    const auto doc = Load(Path("out.vbf"));
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->GetRoot().GetChildCount(), 2);
    const auto* group = dynamic_cast<const TVemoGroup*>(doc->GetRoot().GetChild(1));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->GetChildCount(), 4);
    const TVemoLayerPtr silk = doc->GetLayerList().Find("silk");
    ASSERT_TRUE(silk);
    EXPECT_EQ(silk->GetOpaqueColour(), 0xFF0000FFu);
}

TEST_F(CliImport, ImportSaysWhatItDroppedAndFailsOnFilesItCannotUse) {
    Write("items.vem", Header() +
                           "LINE:XS=1O,YS=0,XE=3,YE=0,LE=0,AP=0\n"
                           "LAND:X=1,Y=1,LE=5\n"
                           "LAND:X=1,Y=1,LE=1\nLAND:X=2,Y=1,LE=1\n"
                           "LAND:X=1,Y=1,LE=0\n");
    Write("text.vem", "hello, no layers here\n");
    struct Row {
        const char* name;
        std::vector<std::string> args;
        int exitCode;
        std::vector<std::string> said;  // warnings and failures, on stderr
    } rows[] = {
        {"drops are listed",
         {Path("items.vem"), "--map", "CopperLayer=solder", "--map", "Absent=solder"},
         0,
         {"layer SilkScreen1 has no destination: 2 items dropped",
          "1 items without a defined layer number dropped", "1 malformed items dropped: LINE:XS=1O,YS=0",
          "--map Absent: the file has no such layer"}},
        {"nothing mapped", {kSample, "--map", "Other=solder"}, 1, {"nothing imported"}},
        {"not a line-and-land file", {Path("text.vem")}, 1, {"no version marker and no [DrawItems] section"}},
        {"missing file", {Path("absent.vem")}, 2, {"no such file: " + Path("absent.vem")}},
        {"map without a layer", {kSample, "--map", "CopperLayer"}, 2, {"LEGACY=LAYER"}},
        {"no output", {kSample}, 2, {"--output is required"}},
    };
    for (const Row& r : rows) {
        std::vector<std::string> args{"import", "vem"};
        args.insert(args.end(), r.args.begin(), r.args.end());
        if (r.name != std::string("no output")) args.insert(args.end(), {"-o", Path("out.vbf")});
        std::filesystem::remove(Path("out.vbf"));
        const ZelkoRun run = RunZelko(args);
        EXPECT_EQ(run.exitCode, r.exitCode) << r.name << "\n" << run.err;
        for (const std::string& said : r.said)
            EXPECT_NE(run.err.find(said), std::string::npos) << r.name << ": " << said << "\n" << run.err;
        EXPECT_EQ(std::filesystem::exists(Path("out.vbf")), r.exitCode == 0) << r.name;
    }
}

TEST_F(CliImport, GraphDrawsTheDataWithItsSettings) {
    const ZelkoRun run = RunZelko({"graph", kGraphData, "--settings", kGraphSettings, "-o", Path("g.vbf")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("2 curves"), std::string::npos) << run.out;
    const auto doc = Load(Path("g.vbf"));
    ASSERT_TRUE(doc);
    ASSERT_EQ(doc->GetRoot().GetChildCount(), 1);
    const auto* graph = dynamic_cast<const TVemoGroup*>(doc->GetRoot().GetChild(0));
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(graph->GetChildCount(), 5) << "two curves, the frame, two tick groups";
    for (const char* layer : {"trace_a", "trace_b", "outline"})
        EXPECT_TRUE(doc->GetLayerList().Find(layer)) << layer;

    Write("words.csv", "x,y\nno,numbers\n");
    Write("nosize.ini", "[GraphProperty]\nLayer=outline\n");
    struct Row {
        const char* name;
        std::vector<std::string> args;
        int exitCode;
        const char* said;
    } rows[] = {
        {"no line of numbers", {Path("words.csv"), "--settings", kGraphSettings}, 1, "no line of numbers"},
        {"no size", {kGraphData, "--settings", Path("nosize.ini")}, 1, "no Width and Height"},
        {"no settings file", {kGraphData, "--settings", Path("absent.ini")}, 2, "no such file"},
        {"no data file", {Path("absent.csv"), "--settings", kGraphSettings}, 2, "no such file: "},
    };
    for (const Row& r : rows) {
        std::vector<std::string> args{"graph"};
        args.insert(args.end(), r.args.begin(), r.args.end());
        args.insert(args.end(), {"-o", Path("bad.vbf")});
        const ZelkoRun bad = RunZelko(args);
        EXPECT_EQ(bad.exitCode, r.exitCode) << r.name;
        EXPECT_NE(bad.err.find(r.said), std::string::npos) << r.name << "\n" << bad.err;
    }
    EXPECT_FALSE(std::filesystem::exists(Path("bad.vbf")));
}

// A row cut short by a bad number keeps what was read before it, and the run
// says which line lost values.
TEST_F(CliImport, GraphWarnsOfRowsCutShort) {
    Write("cut.csv", "x,a,b\n0,1,2\n1,2,oops\n2,3,4\n");
    const ZelkoRun run =
        RunZelko({"graph", Path("cut.csv"), "--settings", kGraphSettings, "-o", Path("g.vbf")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("cut.csv:3: not a number; kept the 1 value(s) before it"), std::string::npos)
        << run.err;
    EXPECT_NE(run.out.find("(3 points on "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(", 2 points on "), std::string::npos) << run.out;
}

}  // namespace
