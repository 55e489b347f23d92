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
    const ZelkoRun run = RunZelko({"--export-gerber", dir_.path().toStdString(), board_});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const std::vector<std::string> lines = LinesOf(run.out);
    ASSERT_EQ(lines.size(), 9u) << run.out;
    const std::string solder = Read(Path("solder.gbr"));
    EXPECT_EQ(solder, Expected("solder", 0.3, 0.1));
    std::string apertures;
    int items = 0;
    for (const std::string& line : lines)
        if (line.rfind("solder\t", 0) == 0) {
            char path[512];
            std::size_t bytes = 0;
            int count = 0;
            ASSERT_EQ(std::sscanf(line.c_str(), "solder\t%511[^\t]\t%zu bytes\t%d apertures\t%d items", path,
                                  &bytes, &count, &items),
                      4)
                << line;
            EXPECT_EQ(path, Path("solder.gbr"));
            EXPECT_EQ(bytes, solder.size());
            EXPECT_EQ(count, int(gerbertest::Parse(solder).apertures.size()));
        }
    EXPECT_EQ(items, 10) << "every object of the fixture's solder layer";
}

TEST_F(CliGerber, LayersAndWidthsForThisRunOnly) {
    const ZelkoRun run = RunZelko({"--export-gerber", dir_.path().toStdString(), "--pen-width", "0.5",
                                   "--text-pen-width", "0.2", "--layers", "far,solder", board_});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> lines = LinesOf(run.out);
    ASSERT_EQ(lines.size(), 2u) << run.out;
    EXPECT_EQ(lines[0].rfind("solder\t", 0), 0u) << "layer-list order";
    EXPECT_EQ(lines[1].rfind("far\t", 0), 0u);
    EXPECT_EQ(Read(Path("solder.gbr")), Expected("solder", 0.5, 0.2));
    EXPECT_NE(Read(Path("solder.gbr")), Expected("solder", 0.3, 0.1));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("component.gbr"))));
    EXPECT_EQ(Read(board_), boardBytes_) << "the document is not changed";
}

TEST_F(CliGerber, FailuresExitNonZeroWithAReason) {
    struct Row {
        const char* name;
        std::vector<std::string> args;
        int exitCode;
        const char* says;
    } rows[] = {
        {"document missing", {Path("missing"), Path("none.vbf")}, 1, "cannot read"},
        {"folder missing", {Path("no-such-folder"), board_}, 1, "layer \"solder\" not written"},
        {"unknown layer", {dir_.path().toStdString(), "--layers", "solder,nope", board_}, 1, "\"nope\""},
        {"negative width", {dir_.path().toStdString(), "--pen-width", "-1", board_}, 2, "'-1'"},
        {"width not a number", {dir_.path().toStdString(), "--text-pen-width", "thin", board_}, 2, "'thin'"},
        {"width wider than any board", {dir_.path().toStdString(), "--pen-width", "1e30", board_}, 2, "'1e30'"},
        {"unknown option", {dir_.path().toStdString(), "--colour", board_}, 2, "--colour"},
        {"no document", {dir_.path().toStdString()}, 2, "usage"},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args = {"--export-gerber"};
        args.insert(args.end(), row.args.begin(), row.args.end());
        const ZelkoRun run = RunZelko(args);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.name << ": " << run.err;
        EXPECT_NE(run.err.find(row.says), std::string::npos) << row.name << ": " << run.err;
    }
}

}  // namespace
