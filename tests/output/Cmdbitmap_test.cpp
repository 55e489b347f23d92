// The --export-bitmap front end: what it prints and how it fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "archive/Vemodocumentfile.h"
#include "cli/Commands.h"
#include "model/Vemodocument.h"
#include "model/Vemorectangle.h"

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
    testing::internal::CaptureStdout();
    const int code = cli::CmdExportBitmap(
        {out, "--ppi", "25.4", "--mono", "--mirror", "--layers", "solder,hole", Path("board.vbf")});
    const std::string printed = testing::internal::GetCapturedStdout();
    ASSERT_EQ(code, 0);
    ASSERT_TRUE(fs::exists(out));
    EXPECT_NE(printed.find(out), std::string::npos) << printed;
    EXPECT_NE(printed.find("100 x 75 pixels"), std::string::npos) << printed;
    EXPECT_NE(printed.find(std::to_string(fs::file_size(out)) + " bytes"), std::string::npos) << printed;
}

TEST_F(CmdExportBitmapTest, FailuresExitNonZeroWithAReason) {
    struct Row {
        const char* name;
        cli::Args args;  // "@" stands for the output file, "%" for the document
        int code;
        const char* reason;
    };
    const Row rows[] = {
        {"nothing given", {}, 2, "no output file"},
        {"no document", {"@"}, 2, "no document"},
        {"resolution not a number", {"@", "--ppi", "72dpi", "%"}, 2, "not a number"},
        {"resolution missing", {"@", "%", "--ppi"}, 2, "needs a number"},
        {"zero resolution", {"@", "--ppi", "0", "%"}, 1, "positive number"},
        {"unknown option", {"@", "--colour", "%"}, 2, "unknown option"},
        {"two documents", {"@", "%", "%"}, 2, "more than one"},
        {"unknown layer", {"@", "--layers", "solder,nonesuch", "%"}, 1, "nonesuch"},
        {"document missing", {"@", "missing.vbf"}, 1, "missing.vbf"},
        {"output folder missing", {"nowhere/x.bmp", "%"}, 1, "nowhere"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        cli::Args args;
        for (const std::string& a : row.args)
            args.push_back(a == "@" ? Path("out.bmp") : a == "%" ? Path("board.vbf") : a);
        testing::internal::CaptureStderr();
        const int code = cli::CmdExportBitmap(args);
        const std::string printed = testing::internal::GetCapturedStderr();
        EXPECT_EQ(code, row.code);
        EXPECT_NE(printed.find(row.reason), std::string::npos) << printed;
        EXPECT_FALSE(fs::exists(Path("out.bmp")));
    }
}

}  // namespace
