#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <string>

#include "archive/Safefile.h"
#include "archive/Vemodocumentfile.h"
#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "model/Vemolayer.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"
#include "tests/archive/Bytebuilder.h"
#include "tests/cli/Runzelko.h"

namespace {

class Cli : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const {
        return dir_.filePath(QString::fromStdString(name)).toStdString();
    }
    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary) << bytes;
    }
    static std::string Read(const std::string& path) {
        std::string bytes, error;
        ReadWholeFile(path, bytes, error);
        return bytes;
    }
    QTemporaryDir dir_;
};

// Two tracks on "solder", a rectangle in a group on a layer with a Japanese name.
std::unique_ptr<TVemoDocument> SmallBoard() {
    auto doc = std::make_unique<TVemoDocument>();
    auto& layers = doc->GetLayerList();
    auto parts = std::make_shared<TVemoLayer>(0xFF00A0A0u, "部品面");
    layers.Insert(parts);
    for (float y : {10.0f, 20.0f}) {
        auto track = std::make_unique<TVemoPath>();
        track->SetData({{0, y}, {0, y}, {50, y}, {50, y}, {50, y}, {0, y}}, std::vector<unsigned char>(6, 0),
                       false);
        track->SetLayer(layers.Find("solder"));
        doc->GetRoot().AddChild(std::move(track));
    }
    auto group = std::make_unique<TVemoGroup>();
    auto rect = std::make_unique<TVemoRect>();
    rect->SetLayer(parts);
    rect->SetData({PointF(0, 0), PointF(-5, -5), PointF(5, -5), PointF(5, 5), PointF(-5, 5)}, Matrix());
    group->AddChild(std::move(rect));
    doc->GetRoot().AddChild(std::move(group));
    doc->SetAreaSize(800, 600);
    doc->GetRoot().Rebuild();
    return doc;
}

TEST_F(Cli, InfoDescribesVersionAreaLayersAndCounts) {
    std::string error;
    ASSERT_TRUE(WriteDocumentFile(*SmallBoard(), Path("small.vbf"), error)) << error;
    const ZelkoRun run = RunZelko({"info", Path("small.vbf")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("format version: 5\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("design area: 80 x 60 mm"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("objects cover: 5.096 x 1.1 mm, top left at (-0.048, 0.95) mm"), std::string::npos)
        << run.out;
    // In list order: the new layer went before the current "solder".
    const auto parts = run.out.find("部品面");
    const auto solder = run.out.find(" solder ");
    ASSERT_NE(parts, std::string::npos) << run.out;
    EXPECT_LT(parts, solder);
    EXPECT_NE(run.out.find("#00A0A0"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("visible, output                          2 objects"), std::string::npos)
        << run.out;
    for (const char* line : {"  paths 2\n", "  rectangles 1\n", "  groups 1\n", "top-level objects: 3\n"})
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
}

TEST_F(Cli, RejectedFilesExitNonZeroWithTheReason) {
    ByteBuilder truncated;
    truncated.Header(5).I32(2000000000);  // a layer count the file cannot hold
    Write("huge-count.vbf", truncated.Bytes());
    Write("text.vbf", "hello, this is not a board\n");
    const struct {
        const char* file;
        int exitCode;
        const char* reason;
    } rows[] = {{"huge-count.vbf", 1, "huge-count.vbf"},
                {"text.vbf", 1, "not a document"},
                {"missing.vbf", 2, "no such file"}};
    for (const auto& row : rows) {
        const ZelkoRun run = RunZelko({"info", Path(row.file)});
        EXPECT_EQ(run.exitCode, row.exitCode) << row.file;
        EXPECT_NE(run.err.find(row.reason), std::string::npos) << row.file << ": " << run.err;
        EXPECT_TRUE(run.out.empty()) << row.file;
    }
}

TEST_F(Cli, ConvertRewritesAnOlderDocumentAtTheCurrentVersion) {
    ByteBuilder v4;
    v4.Header(4).I32(1).Str("solder").Colour(0x5AEB2828).I32(0x13);
    v4.Tag("PART").Str("Part").I32(2).I32(1);
    v4.Tag("PATH").Str("Path").I32(3).Str("solder").F32(3.0f).U8(0).U8(0).I32(0).I32(1);
    v4.U8(0).I32(6);
    for (float x : {0.f, 0.f, 50.f, 50.f, 50.f, 0.f}) v4.Point(x, 5);
    v4.I32(6);
    for (int i = 0; i < 6; ++i) v4.U8(0x02);
    v4.I32(0).F64(0).F64(0).F64(1000).F64(750);
    Write("old.vbf", v4.Bytes());

    const ZelkoRun run = RunZelko({"convert", Path("old.vbf"), "-o", Path("new.vbf")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string converted = Read(Path("new.vbf"));
    ASSERT_GE(converted.size(), 12u);
    EXPECT_EQ(converted[8], 5) << "written at version 5";
    std::string error;
    const auto doc = DocumentFromBytes(converted, error);
    ASSERT_TRUE(doc) << error;
    EXPECT_EQ(doc->GetRoot().GetChildCount(), 1);
    EXPECT_EQ(doc->GetRoot().GetChild(0)->GetSurface()->GetCap(), 1);
    EXPECT_EQ(doc->GetAreaWidth(), 1000);

    // A target that cannot be written: non-zero, and an existing file is left alone.
    Write("keep.vbf", "previous contents");
    const ZelkoRun bad = RunZelko({"convert", Path("old.vbf"), "-o", Path("no/such/folder.vbf")});
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("cannot write"), std::string::npos) << bad.err;
    const ZelkoRun damaged = RunZelko({"convert", Path("keep.vbf"), "-o", Path("new.vbf")});
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_EQ(Read(Path("new.vbf")), converted) << "a failed read writes nothing";
}

TEST_F(Cli, GeneratedBoardsAreReproducibleAndArgumentsChecked) {
    ASSERT_EQ(RunZelko({"generate-board", "200", "--seed", "5", "-o", Path("a.vbf")}).exitCode, 0);
    ASSERT_EQ(RunZelko({"generate-board", "-o", Path("b.vbf"), "--seed=5", "200"}).exitCode, 0);
    const std::string a = Read(Path("a.vbf"));
    EXPECT_GT(a.size(), 1000u);
    EXPECT_TRUE(a == Read(Path("b.vbf")));
    const ZelkoRun blocks =
        RunZelko({"generate-board", "200", "--seed", "5", "--block-levels", "2", "-o", Path("d.vbf")});
    ASSERT_EQ(blocks.exitCode, 0) << blocks.err;
    EXPECT_NE(blocks.out.find("in 2 levels of blocks"), std::string::npos) << blocks.out;
    EXPECT_GT(Read(Path("d.vbf")).size(), a.size()) << "the same objects and the groups around them";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"generate-board", "0", "-o", Path("c.vbf")},
          {"generate-board", "12x", "-o", Path("c.vbf")},
          {"generate-board", "10", "--block-levels", "13", "-o", Path("c.vbf")},
          {"generate-board", "10"},
          {"convert", Path("a.vbf")},
          {"info"},
          {"--no-such-option"}}) {
        EXPECT_EQ(RunZelko(args).exitCode, 2) << args[0] << " " << (args.size() > 1 ? args[1] : "");
    }
    EXPECT_FALSE(std::filesystem::exists(Path("c.vbf")));
}

}  // namespace
