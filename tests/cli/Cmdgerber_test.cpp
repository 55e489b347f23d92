#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <sstream>
#include <string>
#include <vector>

#include "archive/Safefile.h"
#include "archive/Vemodocumentfile.h"
#include "gerber/Gerberexport.h"
#include "model/Vemodocument.h"
#include "tests/cli/Runzelko.h"
#include "tests/gerber/Gerbertest.h"

namespace {

class CliGerber : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        TVemoDocument doc;
        gerbertest::BuildFixture(doc);
        std::string error;
        ASSERT_TRUE(WriteDocumentFile(doc, board_, error)) << error;
        ASSERT_TRUE(ReadWholeFile(board_, boardBytes_, error));
    }
    std::string Path(const std::string& name) const {
        return dir_.filePath(QString::fromStdString(name)).toStdString();
    }
    static std::string Read(const std::string& path) {
        std::string bytes, error;
        ReadWholeFile(path, bytes, error);
        return bytes;
    }
    // What the engine makes of the document as the command reads it.
    std::string Expected(const std::string& layer, double pen, double text) const {
        std::string error;
        auto doc = ReadDocumentFile(board_, error);
        return doc ? BuildGerberLayer(*doc, doc->GetLayerList().Find(layer), pen, text).bytes : error;
    }
    static std::vector<std::string> LinesOf(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    QTemporaryDir dir_;
    std::string board_ = Path("board.vbf");
    std::string boardBytes_;
};

TEST_F(CliGerber, WritesEveryOutputLayerAndSaysWhatItWrote) {
    const ZelkoRun run = RunZelko({"export", "gerber", board_, "-o", dir_.path().toStdString()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const std::string& line : LinesOf(run.err))
        EXPECT_NE(line.find(": warning: "), std::string::npos) << "only warnings: " << line;
    const std::vector<std::string> lines = LinesOf(run.out);
    ASSERT_EQ(lines.size(), 9u) << run.out;
    const std::string solder = Read(Path("solder.gbr"));
    EXPECT_EQ(solder, Expected("solder", 0.3, 0.1));
    int items = -1;
    for (const std::string& line : lines) {
        char path[512];
        std::size_t bytes = 0;
        int count = 0, objects = 0;
        ASSERT_EQ(std::sscanf(line.c_str(), "wrote %511s (%zu bytes, %d apertures, %d objects)", path, &bytes,
                              &count, &objects),
                  4)
            << line;
        if (path != Path("solder.gbr")) continue;
        EXPECT_EQ(bytes, solder.size());
        EXPECT_EQ(count, int(gerbertest::Parse(solder).apertures.size()));
        items = objects;
    }
    EXPECT_EQ(items, 10) << "every object of the fixture's solder layer";
}

TEST_F(CliGerber, LayersAndWidthsForThisRunOnly) {
    const ZelkoRun run = RunZelko({"export", "gerber", "--pen-width=0.5", board_, "--text-pen-width", "0.2",
                                   "--layers", " far , solder", "-o", dir_.path().toStdString()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> lines = LinesOf(run.out);
    ASSERT_EQ(lines.size(), 2u) << run.out;
    EXPECT_EQ(lines[0].rfind("wrote " + Path("solder.gbr"), 0), 0u) << "layer-list order";
    EXPECT_EQ(lines[1].rfind("wrote " + Path("far.gbr"), 0), 0u);
    EXPECT_EQ(Read(Path("solder.gbr")), Expected("solder", 0.5, 0.2));
    EXPECT_NE(Read(Path("solder.gbr")), Expected("solder", 0.3, 0.1));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("component.gbr"))));
    EXPECT_EQ(Read(board_), boardBytes_) << "the document is not changed";
}

TEST_F(CliGerber, FailuresExitNonZeroWithAReason) {
    const std::string out = dir_.path().toStdString();
    struct Row {
        const char* name;
        std::vector<std::string> args;
        int exitCode;
        const char* says;
    } rows[] = {
        {"document missing", {Path("none.vbf"), "-o", out}, 2, "no such file"},
        {"output is a file", {board_, "-o", board_}, 1, "is a file, not a folder"},
        {"negative width", {board_, "-o", out, "--pen-width", "-1"}, 2, "-1 is out of range"},
        {"width not a number",
         {board_, "-o", out, "--text-pen-width", "thin"},
         2,
         "\"thin\" is not a number"},
        {"width wider than any board", {board_, "-o", out, "--pen-width", "1e30"}, 2, "from 0 to 100 mm"},
        {"unknown option", {board_, "-o", out, "--colour"}, 2, "--colour"},
        {"no document", {"-o", out}, 2, "FILE is required"},
        {"no folder", {board_}, 2, "--output is required"},
        {"standard output", {board_, "-o", "-"}, 2, "standard output"},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args = {"export", "gerber"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const ZelkoRun run = RunZelko(args);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.name << ": " << run.err;
        EXPECT_NE(run.err.find(row.says), std::string::npos) << row.name << ": " << run.err;
    }
}

}  // namespace
