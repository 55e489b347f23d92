// The command line as a user meets it: help, usage errors, output paths,
// layer lists, true-scale pictures and the JSON of info.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "archive/Safefile.h"
#include "archive/Vemodocumentfile.h"
#include "geom/Units.h"
#include "boardgen/Hostile.h"
#include "model/Vemocontainer.h"
#include "model/Vemodocument.h"
#include "model/Vemolayer.h"
#include "tests/cli/Runzelko.h"
#include "tests/gerber/Gerbertest.h"

namespace {

namespace fs = std::filesystem;

class CliUsage : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        TVemoDocument doc;
        gerbertest::BuildFixture(doc);
        doc.GetLayerList().Insert(std::make_shared<TVemoLayer>(0xFF808080u, "empty"));
        // Two holes, drawn as dots, and a slot no drill can make.
        const TVemoLayerPtr hole = doc.GetLayerList().Find("hole");
        for (const PointF at : {PointF(100, 100), PointF(120, 100)})
            doc.GetRoot().AddChild(
                gerbertest::Polyline(hole, {at, at}, false, gerbertest::Surface(8, false)));
        doc.GetRoot().AddChild(gerbertest::Rect(hole, {200, 200}, {240, 210}, gerbertest::Surface(0, true)));
        std::string error;
        ASSERT_TRUE(WriteDocumentFile(doc, board_, error)) << error;
    }
    std::string Path(const std::string& name) const {
        return dir_.filePath(QString::fromStdString(name)).toStdString();
    }
    std::size_t Entries() const {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& e : fs::recursive_directory_iterator(dir_.path().toStdString()))
            ++n;
        return n;
    }

    QTemporaryDir dir_;
    std::string board_ = Path("board.vbf");
};

std::size_t LineCount(const std::string& text) {
    std::size_t n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

TEST_F(CliUsage, EveryCommandHasItsOwnHelp) {
    const std::vector<std::vector<std::string>> calls = {{"--help"},
                                                         {"info", "--help"},
                                                         {"convert", "-h"},
                                                         {"export", "--help"},
                                                         {"export", "gerber", "--help"},
                                                         {"export", "bitmap", "-h"},
                                                         {"import", "--help"},
                                                         {"import", "vem", "--help"},
                                                         {"graph", "--help"},
                                                         {"generate-board", "--help"}};
    for (const auto& call : calls) {
        std::string words = "zelko";
        for (const std::string& w : call)
            if (w[0] != '-') words += " " + w;
        const ZelkoRun run = RunZelko(call);
        EXPECT_EQ(run.exitCode, 0) << words;
        EXPECT_EQ(run.err, "") << words;
        EXPECT_NE(run.out.find("Usage: " + words + " [OPTIONS]"), std::string::npos) << words << "\n"
                                                                                     << run.out;
    }
    EXPECT_NE(RunZelko({"export", "bitmap", "--help"}).out.find("--ppi PPI=300"), std::string::npos)
        << "the default resolution is stated";
    const ZelkoRun version = RunZelko({"-V"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "zelko " ZELKO_VERSION "\n");
}

// Each wrong use: exit 2, one line naming the problem and the right --help,
// nothing on stdout and nothing written.
TEST_F(CliUsage, WrongUsageSaysWhatInOneLine) {
    const std::string png = Path("out.png");
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string says;
        std::string help;
    } rows[] = {
        {"unknown command", {"frobnicate"}, "unknown command \"frobnicate\"", "zelko"},
        {"unknown option", {"--frob"}, "--frob", "zelko"},
        {"group without its command",
         {"export"},
         "which one: gerber or bitmap or image or drill or fab?",
         "zelko export"},
        {"missing file argument", {"info"}, "FILE is required", "zelko info"},
        {"a file that is not there",
         {"info", Path("absent.vbf")},
         "no such file: " + Path("absent.vbf"),
         "zelko info"},
        {"editor with a file in a folder that is not there",
         {Path("absent/board.vbf")},
         "no such file",
         "zelko"},
        {"too many files", {"info", board_, board_}, "not expected", "zelko info"},
        {"option without its value", {"convert", board_, "-o"}, "-o", "zelko convert"},
        {"picture type unknown",
         {"export", "bitmap", board_, "-o", Path("out.jpg")},
         "no \".jpg\" pictures",
         "zelko export bitmap"},
        {"picture without extension",
         {"export", "bitmap", board_, "-o", Path("out")},
         "has no extension",
         "zelko export bitmap"},
        {"picture to standard output",
         {"export", "bitmap", board_, "-o", "-"},
         "standard output",
         "zelko export bitmap"},
        {"format unknown",
         {"export", "bitmap", board_, "-o", png, "--format", "gif"},
         "\"gif\" is no picture format",
         "zelko export bitmap"},
        {"resolution of 0",
         {"export", "bitmap", board_, "-o", png, "--ppi", "0"},
         "0 is out of range",
         "zelko export bitmap"},
        {"resolution not a number",
         {"export", "bitmap", board_, "--ppi=fine", "-o", png},
         "\"fine\" is not a number",
         "zelko export bitmap"},
        {"empty layer list",
         {"export", "bitmap", board_, "-o", png, "--layers", " , "},
         "--layers: no layer named",
         "zelko export bitmap"},
        {"board size not a number",
         {"generate-board", "lots", "-o", Path("g.vbf")},
         "\"lots\" is not a whole number",
         "zelko generate-board"},
        {"map without a layer",
         {"import", "vem", board_, "-o", Path("i.vbf"), "--map", "Copper"},
         "LEGACY=LAYER",
         "zelko import vem"},
        {"document to standard output", {"convert", board_, "-o", "-"}, "standard output", "zelko convert"},
        {"x2 option without x2",
         {"export", "gerber", board_, "-o", Path("g"), "--role", "solder=top-copper"},
         "go with --flavour x2",
         "zelko export gerber"},
        {"unknown role",
         {"export", "gerber", board_, "-o", Path("g"), "--flavour=x2", "--role", "solder=copper"},
         "--role needs LAYER=ROLE with a ROLE of top-copper, bottom-copper",
         "zelko export gerber"},
        {"unknown flavour",
         {"export", "gerber", board_, "-o", Path("g"), "--flavour", "x3"},
         "\"x3\" is no flavour",
         "zelko export gerber"},
    };
    const std::size_t before = Entries();
    for (const auto& row : rows) {
        const ZelkoRun run = RunZelko(row.args);
        EXPECT_EQ(run.exitCode, 2) << row.name << "\n" << run.err;
        EXPECT_EQ(LineCount(run.err), 1u) << row.name << "\n" << run.err;
        EXPECT_NE(run.err.find(row.says), std::string::npos) << row.name << "\n" << run.err;
        EXPECT_NE(run.err.find("(see '" + row.help + " --help')"), std::string::npos) << row.name << "\n"
                                                                                      << run.err;
        EXPECT_EQ(run.out, "") << row.name;
    }
    EXPECT_EQ(Entries(), before) << "a wrong command line writes nothing";
}

TEST_F(CliUsage, OptionsInAnyOrderAndDashDashEndsThem) {
    const std::string dashed = Path("-board.vbf");
    fs::copy_file(board_, dashed);
    // A file whose name starts with a dash, after "--"; the options before it in any order.
    const ZelkoRun run = RunZelko({"convert", "-o", Path("copy.vbf"), "-q", "--", dashed});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "") << "--quiet";
    EXPECT_TRUE(fs::exists(Path("copy.vbf")));
}

TEST_F(CliUsage, GerberFolderIsMadeAndLayersAreCheckedFirst) {
    const std::string nested = Path("fab/rev-a/gerber");
    const ZelkoRun made = RunZelko({"export", "gerber", board_, "-o", nested, "--layers", "solder"});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    EXPECT_TRUE(fs::is_regular_file(nested + "/solder.gbr"));

    const std::size_t before = Entries();
    for (const char* format : {"gerber", "bitmap"}) {
        const std::string out = format == std::string("gerber") ? Path("other/gerber") : Path("film.png");
        const ZelkoRun run =
            RunZelko({"export", format, board_, "-o", out, "--layers", "solder,nosuch", "--layers=Far"});
        EXPECT_EQ(run.exitCode, 1) << format;
        EXPECT_NE(run.err.find("no layers named \"nosuch\", \"Far\""), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("(did you mean \"far\"?"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("the document's layers are: "), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("solder"), std::string::npos) << run.err;
    }
    EXPECT_EQ(Entries(), before) << "a failed run leaves nothing behind, not even a folder";
}

// The PNG chunks that make a picture true to scale: bit depth and colour type
// of IHDR, pixels per metre of pHYs.
struct PngFacts {
    int bitDepth = -1;
    int colourType = -1;
    std::uint32_t ppmX = 0, ppmY = 0;
    int unit = -1;
};

std::uint32_t Be32(const std::string& b, std::size_t at) {
    return std::uint32_t(std::uint8_t(b[at])) << 24 | std::uint32_t(std::uint8_t(b[at + 1])) << 16 |
           std::uint32_t(std::uint8_t(b[at + 2])) << 8 | std::uint8_t(b[at + 3]);
}

PngFacts ReadPngFacts(const std::string& bytes) {
    PngFacts facts;
    for (std::size_t at = 8; at + 8 <= bytes.size();) {
        const std::uint32_t length = Be32(bytes, at);
        const std::string type = bytes.substr(at + 4, 4);
        const std::size_t data = at + 8;
        if (type == "IHDR") {
            facts.bitDepth = std::uint8_t(bytes[data + 8]);
            facts.colourType = std::uint8_t(bytes[data + 9]);
        } else if (type == "pHYs") {
            facts.ppmX = Be32(bytes, data);
            facts.ppmY = Be32(bytes, data + 4);
            facts.unit = std::uint8_t(bytes[data + 8]);
        }
        at = data + length + 4;
    }
    return facts;
}

TEST_F(CliUsage, PicturesCarryTheirResolution) {
    const struct {
        const char* file;
        std::vector<std::string> options;
        double ppi;
        int bitDepth;
        int colourType;  // 2 RGB, 3 palette
    } rows[] = {
        {"colour.png", {"--ppi", "600"}, 600, 8, 2},
        {"film.png", {"--ppi=254", "--mono", "--mirror", "--layers", "solder"}, 254, 1, 3},
        {"default.png", {}, 300, 8, 2},
        {"named.dat", {"--format", "PNG", "--mono", "--ppi", "100"}, 100, 1, 3},
    };
    for (const auto& row : rows) {
        std::vector<std::string> args = {"export", "bitmap", board_, "-o", Path(row.file)};
        args.insert(args.end(), row.options.begin(), row.options.end());
        const ZelkoRun run = RunZelko(args);
        ASSERT_EQ(run.exitCode, 0) << row.file << "\n" << run.err;
        EXPECT_NE(run.out.find("wrote " + Path(row.file)), std::string::npos) << run.out;
        std::string bytes, error;
        ASSERT_TRUE(ReadWholeFile(Path(row.file), bytes, error)) << error;
        const PngFacts facts = ReadPngFacts(bytes);
        EXPECT_EQ(facts.bitDepth, row.bitDepth) << row.file;
        EXPECT_EQ(facts.colourType, row.colourType) << row.file;
        EXPECT_EQ(facts.unit, 1) << row.file << ": pixels per metre";
        EXPECT_EQ(facts.ppmX, facts.ppmY) << row.file;
        EXPECT_NEAR(facts.ppmX * 0.0254, row.ppi, 0.01) << row.file;
    }
    // BMP keeps its 32-bit layout and records the resolution too.
    ASSERT_EQ(RunZelko({"export", "bitmap", board_, "-o", Path("film.bmp"), "--ppi", "254"}).exitCode, 0);
    std::string bmp, error;
    ASSERT_TRUE(ReadWholeFile(Path("film.bmp"), bmp, error));
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(std::uint8_t(bmp[28]), 32);
    EXPECT_EQ(std::uint8_t(bmp[38]) | std::uint8_t(bmp[39]) << 8, 10000);
    EXPECT_EQ(std::uint8_t(bmp[42]) | std::uint8_t(bmp[43]) << 8, 10000);
}

TEST_F(CliUsage, WarnsOfABlankPictureAndAnEmptyLayer) {
    const ZelkoRun picture =
        RunZelko({"export", "bitmap", board_, "-o", Path("blank.png"), "--layers", "empty"});
    ASSERT_EQ(picture.exitCode, 0) << picture.err;
    EXPECT_NE(picture.err.find("warning: " + Path("blank.png") + " is blank"), std::string::npos)
        << picture.err;
    const ZelkoRun gerber = RunZelko({"export", "gerber", board_, "-o", Path("g"), "--layers", "empty"});
    ASSERT_EQ(gerber.exitCode, 0) << gerber.err;
    EXPECT_NE(gerber.err.find("warning: layer \"empty\" has nothing on it"), std::string::npos) << gerber.err;
}

TEST_F(CliUsage, InfoJsonAgreesWithTheDocument) {
    const ZelkoRun run = RunZelko({"info", "--json", board_});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(run.out), &parseError);
    ASSERT_EQ(parseError.error, QJsonParseError::NoError) << parseError.errorString().toStdString() << "\n"
                                                          << run.out;
    const QJsonObject info = json.object();

    std::string error;
    const auto doc = ReadDocumentFile(board_, error);
    ASSERT_TRUE(doc) << error;
    EXPECT_EQ(info["formatVersion"].toInt(), 5);
    EXPECT_EQ(info["unit"].toString(), "mm");
    EXPECT_DOUBLE_EQ(info["area"]["width"].toDouble(), units::ToMm(doc->GetAreaWidth()));
    EXPECT_DOUBLE_EQ(info["area"]["height"].toDouble(), units::ToMm(doc->GetAreaHeight()));
    RectF bounds;
    doc->GetRoot().GetBounds(bounds);
    EXPECT_NEAR(info["bounds"]["x"].toDouble(), units::ToMm(bounds.x), 1e-6);
    EXPECT_NEAR(info["bounds"]["width"].toDouble(), units::ToMm(bounds.width), 1e-6);

    const TVemoLayerList& layers = doc->GetLayerList();
    const QJsonArray list = info["layers"].toArray();
    ASSERT_EQ(list.size(), layers.Count());
    std::map<std::string, int> perLayer;
    std::map<std::string, int> perClass;
    std::vector<const TVemoObject*> pending;
    pending.reserve(std::size_t(doc->GetRoot().GetChildCount()));
    for (int i = 0; i < doc->GetRoot().GetChildCount(); ++i) pending.push_back(doc->GetRoot().GetChild(i));
    while (!pending.empty()) {
        const TVemoObject* object = pending.back();
        pending.pop_back();
        ++perClass[std::string(object->GetTag())];
        if (const auto* c = dynamic_cast<const TVemoContainer*>(object)) {
            for (int i = 0; i < c->GetChildCount(); ++i) pending.push_back(c->GetChild(i));
        } else if (object->GetLayer()) {
            ++perLayer[object->GetLayer()->GetName()];
        }
    }
    for (int i = 0; i < layers.Count(); ++i) {
        const QJsonObject layer = list[i].toObject();
        const std::string name = layers.At(i)->GetName();
        EXPECT_EQ(layer["name"].toString().toStdString(), name);
        EXPECT_EQ(layer["objects"].toInt(), perLayer[name]) << name;
        EXPECT_EQ(layer["flags"].toArray().contains(QJsonValue("output")), layers.At(i)->IsOutput()) << name;
    }
    const QJsonObject objects = info["objects"].toObject();
    EXPECT_EQ(objects["paths"].toInt(), perClass["PATH"]);
    EXPECT_EQ(objects["texts"].toInt(), perClass["TEXT"]);
    EXPECT_GT(objects["paths"].toInt(), 0);
    EXPECT_EQ(info["topLevelObjects"].toInt(), doc->GetRoot().GetChildCount());
}

TEST_F(CliUsage, DrillFileAndVectorPictures) {
    const ZelkoRun drill = RunZelko({"export", "drill", board_, "-o", Path("board.drl")});
    ASSERT_EQ(drill.exitCode, 0) << drill.err;
    EXPECT_NE(drill.out.find("2 holes from layer \"hole\": 0.800 mm x 2"), std::string::npos) << drill.out;
    EXPECT_NE(drill.err.find("warning: not drilled: rectangle"), std::string::npos) << drill.err;
    const ZelkoRun none = RunZelko({"export", "drill", board_, "-o", Path("none.drl"), "--layer", "empty"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("has no round hole; nothing written"), std::string::npos) << none.err;
    EXPECT_FALSE(fs::exists(Path("none.drl")));

    for (const char* name : {"board.svg", "board.pdf"}) {
        const ZelkoRun run =
            RunZelko({"export", "image", board_, "-o", Path(name), "--mono", "--layers", "solder"});
        ASSERT_EQ(run.exitCode, 0) << name << ": " << run.err;
        EXPECT_NE(run.out.find("40 x 30 mm"), std::string::npos) << run.out;
        EXPECT_GT(fs::file_size(Path(name)), 500u);
    }
}

TEST_F(CliUsage, GerberX2FilesAreNamedAfterTheBoardAndRoles) {
    const ZelkoRun run = RunZelko({"export", "gerber", board_, "-o", Path("fab"), "--flavour", "x2",
                                   "--layers", "solder,far", "--role", "far=other"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("wrote " + Path("fab/board-bottom-copper.gbr")), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("wrote " + Path("fab/board-other.gbr")), std::string::npos) << run.out;
    std::string bytes, error;
    ASSERT_TRUE(ReadWholeFile(Path("fab/board-bottom-copper.gbr"), bytes, error)) << error;
    EXPECT_NE(bytes.find("%TF.FileFunction,Copper,L2,Bot*%"), std::string::npos);

    const ZelkoRun bare =
        RunZelko({"export", "gerber", board_, "-o", Path("bare"), "--flavour", "x2", "--layers", "solder",
                  "--no-x2-attributes", "--name-template", "{layer}.{ext}"});
    ASSERT_EQ(bare.exitCode, 0) << bare.err;
    ASSERT_TRUE(ReadWholeFile(Path("bare/solder.gbr"), bytes, error)) << error;
    EXPECT_EQ(bytes.find("%TF"), std::string::npos);
}

TEST_F(CliUsage, FabPackageInOneCommand) {
    const ZelkoRun run = RunZelko({"export", "fab", board_, "-o", Path("amp.zip")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("wrote " + Path("amp.zip")), std::string::npos) << run.out;
    for (const char* listed : {"  amp-bottom-copper.gbr (", "  amp.drl (", "  README.txt ("})
        EXPECT_NE(run.out.find(listed), std::string::npos) << listed << "\n" << run.out;
    EXPECT_NE(run.err.find("warning: layer \"stop_cmp\" has nothing on it: left out of the package"),
              std::string::npos)
        << run.err;
    EXPECT_TRUE(fs::is_regular_file(Path("amp.zip")));
}

// An outline the program had to approximate is said, not hidden.
TEST_F(CliUsage, ApproximateOutlinesAreSaid) {
    std::string error;
    ASSERT_TRUE(WriteFileSafely(Path("tangle.vbf"), hostile::LongSelfOverlappingPath(20000), error)) << error;
    const ZelkoRun run = RunZelko({"convert", Path("tangle.vbf"), "-o", Path("copy.vbf")});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("warning: 1 object(s) of " + Path("tangle.vbf") + " have approximate outlines"),
              std::string::npos)
        << run.err;
}

}  // namespace
