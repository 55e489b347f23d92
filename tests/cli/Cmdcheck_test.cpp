// zelko check run as users run it: the lines and the JSON it prints, its exit
// codes, the rules taken from options, files and shipped presets.

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "archive/Vemodocumentfile.h"
#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "tests/cli/Runzelko.h"
#include "tests/gerber/Gerbertest.h"

namespace {

class CheckCli : public ::testing::Test {
protected:
    std::string Path(const std::string& name) const {
        return dir_.filePath(QString::fromStdString(name)).toStdString();
    }
    // Two tracks 0.3 mm wide on solder whose edges are gap mm apart; a hole in
    // a land of the given diameter, in a group named U1.
    std::string Board(const std::string& name, double gap, float land = 1.6f) const {
        TVemoDocument doc;
        const TVemoLayerPtr solder = doc.GetLayerList().Find("solder");
        const float y2 = float(100 + (gap + 0.3) * 10);
        doc.GetRoot().AddChild(
            gerbertest::Polyline(solder, {{100, 100}, {200, 100}}, false, gerbertest::Surface(3.0f, false)));
        doc.GetRoot().AddChild(
            gerbertest::Polyline(solder, {{100, y2}, {200, y2}}, false, gerbertest::Surface(3.0f, false)));
        auto part = std::make_unique<TVemoGroup>();
        part->SetName("U1");
        part->AddChild(gerbertest::Circle(solder, {300, 300}, land * 5, gerbertest::Surface(0.0f, true)));
        part->AddChild(gerbertest::Circle(doc.GetLayerList().Find("hole"), {300, 300}, 4,
                                          gerbertest::Surface(0.0f, true)));
        doc.GetRoot().AddChild(std::move(part));
        std::string error;
        EXPECT_TRUE(WriteDocumentFile(doc, Path(name), error)) << error;
        return Path(name);
    }
    QTemporaryDir dir_;
};

TEST_F(CheckCli, PrintsEachViolationAndExitsThreeOrCleanWithZero) {
    const std::string bad = Board("bad.vbf", 0.15);
    ZelkoRun run = RunZelko({"check", bad});
    EXPECT_EQ(run.exitCode, 3) << run.err;
    EXPECT_NE(run.out.find("\nclearance solder at ("), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(
                  " mm: 0.150 mm, needs 0.200 mm; copper too close to other copper: path 0 \"Path\"; path 1"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("\n1 violation (clearance 1)\n"), std::string::npos) << run.out;

    // The same board under a looser rule from the command line.
    run = RunZelko({"check", bad, "--clearance", "0.1"});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("\nno violations\n"), std::string::npos) << run.out;
}

TEST_F(CheckCli, JsonNamesTheRulesAndEveryFinding) {
    const std::string bad = Board("ring.vbf", 0.5, 1.0f);  // a ring of 0.1 mm
    const ZelkoRun run = RunZelko({"check", bad, "--json", "--min-annular=0.2"});
    EXPECT_EQ(run.exitCode, 3) << run.err;
    QJsonParseError parse;
    const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &parse);
    ASSERT_EQ(parse.error, QJsonParseError::NoError) << run.out;
    const QJsonObject rules = json["rules"].toObject();
    EXPECT_DOUBLE_EQ(rules["min-annular"].toDouble(), 0.2);
    EXPECT_DOUBLE_EQ(rules["clearance"].toDouble(), 0.2);
    EXPECT_EQ(rules["copper-layers"].toArray().size(), 2);
    const QJsonArray violations = json["violations"].toArray();
    ASSERT_EQ(violations.size(), 1) << run.out;
    const QJsonObject v = violations[0].toObject();
    EXPECT_EQ(v["rule"].toString(), "min-annular");
    EXPECT_EQ(v["layer"].toString(), "solder");
    EXPECT_NEAR(v["measured"].toDouble(), 0.1, 0.005);
    EXPECT_DOUBLE_EQ(v["required"].toDouble(), 0.2);
    EXPECT_NEAR(v["x"].toDouble(), 30.0, 1e-9);
    QStringList parts;
    for (const QJsonValue& o : v["objects"].toArray())
        parts << o["path"].toString() + " " + o["part"].toString();
    parts.sort();
    EXPECT_EQ(parts, QStringList({"2/0 U1", "2/1 U1"}));
}

TEST_F(CheckCli, RulesComeFromPresetsAndFilesOptionsWinning) {
    const std::string board = Board("board.vbf", 0.25);
    EXPECT_EQ(RunZelko({"check", board}).exitCode, 0);
    ZelkoRun run = RunZelko({"check", board, "--rules", "home-etching"});
    EXPECT_EQ(run.exitCode, 3) << run.out << run.err;
    EXPECT_NE(run.out.find("0.250 mm, needs 0.300 mm"), std::string::npos) << run.out;
    EXPECT_EQ(RunZelko({"check", board, "--rules", "board-house-standard"}).exitCode, 0);

    std::ofstream(Path("mine.ini")) << "[rules]\nclearance = 0.26\n";
    EXPECT_EQ(RunZelko({"check", board, "--rules", Path("mine.ini")}).exitCode, 3);
    EXPECT_EQ(RunZelko({"check", board, "--rules", Path("mine.ini"), "--clearance", "0.2"}).exitCode, 0);

    std::ofstream(Path("typo.ini")) << "[rules]\nclearence = 0.26\n";
    run = RunZelko({"check", board, "--rules", Path("typo.ini")});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("typo.ini: line 2: unknown rule \"clearence\""), std::string::npos) << run.err;
}

TEST_F(CheckCli, BadCommandLinesAndBoardsAreRefusedClearly) {
    const std::string board = Board("board.vbf", 0.5);
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        const char* says;
    };
    const Case cases[] = {
        {{"--clearance", "-0.1"}, 2, "--clearance of -0.1 mm is negative"},
        {{"--min-width", "nan"}, 2, "--min-width must be a number of millimetres"},
        {{"--min-width", "0,2"}, 2, "--min-width: \"0,2\" is not a number"},
        {{"--edge-clearance", "100"}, 2, "--edge-clearance of 100 mm is not below 100 mm"},
        {{"--min-drill", "7"}, 2, "min-drill of 7 mm is above max-drill of 6.35 mm"},
        {{"--rules", "no-such-preset"}, 2, "cannot read no-such-preset"},
        {{"--layers", "inner9"}, 1, "no layer named \"inner9\""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"check", board};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ZelkoRun run = RunZelko(args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.says;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
    }
    EXPECT_EQ(RunZelko({"check", Path("missing.vbf")}).exitCode, 2);
}

TEST_F(CheckCli, AnEmptyBoardSaysWhatHadNothingToCheck) {
    TVemoDocument doc;
    std::string error;
    ASSERT_TRUE(WriteDocumentFile(doc, Path("empty.vbf"), error)) << error;
    const ZelkoRun run = RunZelko({"check", Path("empty.vbf")});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("nothing to check: clearance, min-width: no copper on the copper layers"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("nothing to check: min-annular, min-drill, max-drill: no round holes"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("no violations"), std::string::npos);
}

}  // namespace
