// export bitmap as a user runs it: what it prints and how it fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "archive/Vemodocumentfile.h"
#include "model/Vemodocument.h"
#include "model/Vemorectangle.h"
#include "tests/cli/Runzelko.h"

namespace {

namespace fs = std::filesystem;

class CmdExportBitmapTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("zelko-cli-bmp-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
        TVemoDocument doc;
        auto rect = std::make_unique<TVemoRect>();
        rect->SetLayer(doc.GetLayerList().Find("solder"));
        rect->SetSurface(TVemoSurface(1.0f, true, false));
        rect->SetCorners(PointF(100, 100), PointF(500, 400));
        doc.GetRoot().AddChild(std::move(rect));
        std::string error;
        ASSERT_TRUE(WriteDocumentFile(doc, Path("board.vbf"), error)) << error;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string Path(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

TEST_F(CmdExportBitmapTest, WritesTheImageAndSaysWhat) {
    const std::string out = Path("board.png");
    const ZelkoRun run = RunZelko({"export", "bitmap", Path("board.vbf"), "-o", out, "--ppi", "25.4",
                                   "--mono", "--mirror", "--layers", "solder,hole"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ASSERT_TRUE(fs::exists(out));
    EXPECT_NE(run.out.find(out), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("100 x 75 pixels"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(std::to_string(fs::file_size(out)) + " bytes"), std::string::npos) << run.out;
}

TEST_F(CmdExportBitmapTest, FailuresExitNonZeroWithAReason) {
    struct Row {
        const char* name;
        std::vector<std::string> args;  // "@" stands for the output file, "%" for the document
        int code;
        const char* reason;
    };
    const Row rows[] = {
        {"nothing given", {}, 2, "FILE is required"},
        {"no document", {"-o", "@"}, 2, "FILE is required"},
        {"no output", {"%"}, 2, "--output is required"},
        {"resolution not a number", {"-o", "@", "--ppi", "72dpi", "%"}, 2, "not a number"},
        {"resolution missing", {"-o", "@", "%", "--ppi"}, 2, "--ppi"},
        {"zero resolution", {"-o", "@", "--ppi", "0", "%"}, 2, "out of range"},
        {"unknown option", {"-o", "@", "--colour", "%"}, 2, "--colour"},
        {"two documents", {"-o", "@", "%", "%"}, 2, "not expected"},
        {"unknown layer", {"-o", "@", "--layers", "solder,nonesuch", "%"}, 1, "nonesuch"},
        {"document missing", {"-o", "@", "missing.vbf"}, 2, "no such file: missing.vbf"},
        {"output folder missing", {"-o", "nowhere/x.bmp", "%"}, 1, "nowhere"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> args = {"export", "bitmap"};
        for (const std::string& a : row.args)
            args.push_back(a == "@" ? Path("out.bmp") : a == "%" ? Path("board.vbf") : a);
        const ZelkoRun run = RunZelko(args);
        EXPECT_EQ(run.exitCode, row.code);
        EXPECT_NE(run.err.find(row.reason), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(Path("out.bmp")));
    }
}

}  // namespace
