#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "import/Vemoimport.h"
#include "import/Vemoimporter.h"
#include "model/Vemodocument.h"
#include "model/Vemoellipse.h"
#include "model/Vemogroup.h"
#include "model/Vemolayer.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"

namespace {

std::string Num(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", v);
    return buf;
}

// Adding +0 writes -0 (a y of 0 turned over) as 0.
std::string Pt(PointF p) {
    return "(" + Num(p.x + 0.0f) + "," + Num(p.y + 0.0f) + ")";
}

std::string CapName(int cap) {
    return cap == geom::CapRound ? "round" : cap == geom::CapSquare ? "square" : "other";
}

// One line of text per object, so a whole import compares as one string.
std::string Describe(const TVemoObject& object) {
    const std::string layer = object.GetLayer() ? object.GetLayer()->GetName() : "-";
    if (const auto* group = dynamic_cast<const TVemoGroup*>(&object)) {
        std::string out = "GROUP{";
        for (int i = 0; i < group->GetChildCount(); ++i)
            out += (i ? " " : "") + Describe(*group->GetChild(i));
        return out + "}";
    }
    if (const auto* path = dynamic_cast<const TVemoPath*>(&object)) {
        const auto& pts = path->GetPoints();
        const TVemoSurface& s = *path->GetSurface();
        return "LINE@" + layer + " " + Pt(pts[0]) + "-" + Pt(pts[std::ptrdiff_t(pts.size()) - 3]) + " w" +
               Num(s.GetWidth()) + " " + CapName(s.GetCap()) +
               (s.GetJoin() == geom::JoinBevel ? "/bevel" : "");
    }
    if (const auto* dot = dynamic_cast<const TVemoEllipse*>(&object)) {
        const TVemoSurface& s = *dot->GetSurface();
        return "DOT@" + layer + " " + Pt(dot->GetHandle(0)) + " r" +
               Num(dot->GetHandle(1).x - dot->GetHandle(0).x) + (s.GetFill() ? " filled" : "") + " w" +
               Num(s.GetWidth());
    }
    if (const auto* rect = dynamic_cast<const TVemoRect*>(&object)) {
        const TVemoSurface& s = *rect->GetSurface();
        return "SQUARE@" + layer + " " + Pt(rect->GetHandle(1)) + "-" + Pt(rect->GetHandle(3)) +
               (s.GetFill() ? " filled" : "") + " w" + Num(s.GetWidth());
    }
    return "?";
}

std::string Describe(const TVemoGroup& root) {
    std::string out;
    for (int i = 0; i < root.GetChildCount(); ++i) {
        if (i) out += "\n";
        out += Describe(*root.GetChild(i));
    }
    return out;
}

constexpr const char* kHeader =
    "VEMO:Version 2.0\n[LayerDef]\nLAYER:NAME=CopperLayer\nLAYER:NAME=SilkScreen1\nEND\n"
    "[FlshDef]\n0=1.6\n[LineDef]\n0=0.3\n1=1.2\n";

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(VemoImport, SampleFileGivesItsFourItems) {
    std::ifstream in(ZELKO_TEST_DATA "/import/sample.vem");
    ASSERT_TRUE(in);
    TVemoDocument doc;
    const TVemoImportResult result = ImportVemo(in, {"solder", "component"}, doc);
    EXPECT_EQ(result.legacyLayers, (std::vector<std::string>{"CopperLayer", "SilkScreen1"}));
    EXPECT_FALSE(result.layersCreated);
    ASSERT_NE(result.group, nullptr);
    ASSERT_EQ(doc.GetRoot().GetChildCount(), 1);
    EXPECT_EQ(doc.GetRoot().GetChild(0), result.group);
    EXPECT_EQ(Describe(*result.group),
              "LINE@solder (100,-200)-(300,-200) w3 round\n"
              "DOT@solder (100,-200) r6 filled w0\n"
              "SQUARE@solder (292,-208)-(308,-192) filled w0\n"
              "GROUP{LINE@component (0,0)-(0,-50) w16 square/bevel}");
    // The objects are the document's own layers, not look-alikes.
    EXPECT_EQ(result.group->GetChild(0)->GetLayer(), doc.GetLayerList().Find("solder"));
    EXPECT_EQ(result.report.items, 4);
}

TEST(VemoImport, EdgeCasesOfTheFile) {
    struct Row {
        const char* name;
        std::string text;
        std::vector<std::string> destinations;
        std::string expected;
        int malformed = 0;
        int unknownLayer = 0;
    } rows[] = {
        {"missing END swallows the next section",
         "VEMO:Version 2.0\n[LayerDef]\nLAYER:NAME=CopperLayer\n[FlshDef]\n0=1.6\n[LineDef]\n0=0.3\n"
         "[DrawItems]\nLAND:X=1,Y=1,LE=0\n",
         {"solder"},
         ""},
        {"layer 5 of 2 is dropped",
         std::string(kHeader) + "[DrawItems]\nLAND:X=1,Y=1,LE=5\nLAND:X=1,Y=1\n",
         {"solder", "component"},
         "",
         0,
         2},
        {"aperture index 300 keeps the default",
         std::string(kHeader) + "[DrawItems]\nLAND:X=0,Y=0,LE=0,AP=300\nFLSH:X=0,Y=0,LE=0,AP=300\n"
                                "LINE:XS=0,YS=0,XE=1,YE=0,LE=0,AP=300\nLAND:X=0,Y=0,LE=0,AP=20\n",
         {"solder", "component"},
         "DOT@solder (0,0) r10 filled w0\nSQUARE@solder (-10,-10)-(10,10) filled w0\n"
         "LINE@solder (0,0)-(10,0) w1 round\nDOT@solder (0,0) r6 filled w0"},
        {"equal start and end is a filled circle",
         std::string(kHeader) +
             "[DrawItems]\nLINE:XS=1,YS=2,XE=1,YE=2,LE=0,AP=0\nLINE:XS=1,YS=2,XE=1,YE=2,LE=0,SQ=0\n",
         {"solder", "component"},
         "DOT@solder (10,-20) r1.5 filled w0\nDOT@solder (10,-20) r8 filled w0"},
        {"the letter O in a number drops the line",
         std::string(kHeader) + "[DrawItems]\nLINE:XS=1O,YS=0,XE=3,YE=0,LE=0,AP=0\nLAND:X=1,Y=1,LE=0,AP=1\n",
         {"solder", "component"},
         "DOT@solder (10,-10) r6 filled w0",
         1},
        {"a key without its value drops the item",
         std::string(kHeader) + "[DrawItems]\nLINE:XS=1,YS=0,XE=3,YE=0,LE\nLAND:X=1,Y=1,LE=1.5\n",
         {"solder", "component"},
         "",
         2},
        {"numbers that are not finite are refused",
         std::string(kHeader) +
             "[DrawItems]\nLAND:X=nan,Y=1,LE=0\nLAND:X=inf,Y=1,LE=0\nLAND:X=1e38,Y=1,LE=0\n"
             "LAND:X=1,Y=-infinity,LE=0\nLAND:X=2,Y=1,LE=0\n",
         {"solder", "component"},
         "DOT@solder (20,-10) r10 filled w0",
         4},
        {"an unmatched ENDGR is ignored",
         std::string(kHeader) +
             "[DrawItems]\nENDGR\nGROUP\nLAND:X=1,Y=1,LE=0\nENDGR\nENDGR\nLAND:X=2,Y=1,LE=0\n",
         {"solder", "component"},
         "GROUP{DOT@solder (10,-10) r10 filled w0}\nDOT@solder (20,-10) r10 filled w0"},
        {"a file ending inside two groups loses nothing",
         std::string(kHeader) +
             "[DrawItems]\nLAND:X=1,Y=1,LE=0\nGROUP\nLAND:X=2,Y=1,LE=0\nGROUP\nLAND:X=3,Y=1,LE=0\n",
         {"solder", "component"},
         "DOT@solder (10,-10) r10 filled w0\n"
         "GROUP{DOT@solder (20,-10) r10 filled w0 GROUP{DOT@solder (30,-10) r10 filled w0}}"},
        {"a later key overrides, unknown words and tokens are skipped",
         std::string(kHeader) + "[DrawItems]\nVIA:X=1\nLINE:XS=0,YS=0,XE=1,YE=0,LE=0,AP=0,ZZ,SQ=0,LE=1\n",
         {"solder", "component"},
         "LINE@component (0,0)-(10,0) w16 square/bevel"},
        {"a width below 1.0 is not taken",
         "VEMO:Version 2.0\n[LayerDef]\nLAYER:NAME=CopperLayer\nEND\n[FlshDef]\n[LineDef]\n0=0.05\n"
         "[DrawItems]\nLINE:XS=0,YS=0,XE=1,YE=0,LE=0,AP=0\n",
         {"solder"},
         "LINE@solder (0,0)-(10,0) w1 round"},
        {"a row left empty drops that layer's items",
         std::string(kHeader) + "[DrawItems]\nLAND:X=1,Y=1,LE=0\nLAND:X=2,Y=1,LE=1\n",
         {"", "component"},
         "DOT@component (20,-10) r10 filled w0"},
    };
    for (const Row& r : rows) {
        std::istringstream in(r.text);
        TVemoDocument doc;
        const TVemoImportResult result = ImportVemo(in, r.destinations, doc);
        ASSERT_NE(result.group, nullptr) << r.name;
        EXPECT_EQ(Describe(*result.group), r.expected) << r.name;
        EXPECT_EQ(result.report.malformed, r.malformed) << r.name;
        EXPECT_EQ(result.report.unknownLayer, r.unknownLayer) << r.name;
    }
}

TEST(VemoImporter, ReadsLayersAndApertureTablesInFileOrder) {
    struct Row {
        const char* name;
        std::string text;
        std::vector<std::string> layers;
        std::vector<std::pair<int, double>> round;  // index, internal units
    } rows[] = {
        {"sample",
         kHeader,
         {"CopperLayer", "SilkScreen1"},
         {{0, 3}, {1, 12}, {2, 2}, {17, 9.5}, {18, 10}, {255, 247}}},
        {"a short entry ends the layers",
         "VEMO:Version 1\n[LayerDef]\nLAYER:NAME=CopperLayer\nNAME=Top\nLAYER:NAME=SilkScreen1\nEND\n"
         "[FlshDef]\n[LineDef]\n0=0.3\n",
         {"CopperLayer"},
         {{0, 3}}},
        {"entries without a name add no layer",
         "VEMO:Version "
         "1\n[LayerDef]\nLAYER:COLOR=12345678901234\nLAYER:NAME=CopperLayer\nLAYER:XXXXXXXXXX:NAME\nEND\n"
         "[FlshDef]\n[LineDef]\n",
         {"CopperLayer"},
         {{0, 1}}},
        {"index 300 ends the table",
         "VEMO:Version 1\n[LayerDef]\nEND\n[FlshDef]\n[LineDef]\n0=0.3\n300=2\n1=1.2\n",
         {},
         {{0, 3}, {1, 1.5}}},
        {"sections out of order leave the later ones empty",
         "VEMO:Version 1\n[LineDef]\n0=0.3\n[LayerDef]\nLAYER:NAME=CopperLayer\nEND\n[FlshDef]\n",
         {"CopperLayer"},
         {{0, 1}}},
    };
    for (const Row& r : rows) {
        std::istringstream in(r.text);
        TVemoImporter importer(in);
        EXPECT_EQ(importer.LayerNames(), r.layers) << r.name;
        for (const auto& [index, value] : r.round)
            EXPECT_DOUBLE_EQ(importer.RoundApertures()[std::size_t(index)], value)
                << r.name << " [" << index << "]";
    }
}

int Depth(const TVemoObject& object) {
    const auto* group = dynamic_cast<const TVemoGroup*>(&object);
    int deepest = 0;
    for (int i = 0; group && i < group->GetChildCount(); ++i)
        deepest = std::max(deepest, Depth(*group->GetChild(i)));
    return group ? deepest + 1 : 0;
}

TEST(VemoImport, VeryDeepNestingIsFlattenedAndLosesNoItem) {
    std::string text = std::string(kHeader) + "[DrawItems]\n";
    for (int i = 0; i < 5000; ++i) text += "GROUP\n";
    text += "LAND:X=1,Y=1,LE=0\n";
    for (int i = 0; i < 4999; ++i) text += "ENDGR\n";
    text += "LAND:X=2,Y=1,LE=0\n";  // still inside the outermost group
    std::istringstream in(text);
    TVemoDocument doc;
    const TVemoImportResult result = ImportVemo(in, {"solder", "solder"}, doc);
    EXPECT_EQ(result.report.items, 2);
    ASSERT_EQ(result.group->GetChildCount(), 1);
    EXPECT_LE(Depth(*result.group), 101);
    const auto* outer = dynamic_cast<const TVemoGroup*>(result.group->GetChild(0));
    ASSERT_NE(outer, nullptr);
    EXPECT_EQ(Describe(*outer->GetChild(outer->GetChildCount() - 1)), "DOT@solder (20,-10) r10 filled w0");
}

TEST(VemoImport, NewDestinationBecomesOneBlueLayerHoweverManyRowsNameIt) {
    TVemoDocument doc;
    const int before = doc.GetLayerList().Count();
    std::istringstream in(std::string(kHeader) + "[DrawItems]\nLAND:X=1,Y=1,LE=0\nLAND:X=2,Y=1,LE=1\n");
    TImportLayerMap remembered;
    const TVemoImportResult result = ImportVemo(in, {"copper2", "copper2"}, doc, &remembered);
    EXPECT_TRUE(result.layersCreated);
    EXPECT_EQ(result.createdLayers, std::vector<std::string>{"copper2"});
    ASSERT_EQ(doc.GetLayerList().Count(), before + 1);
    const TVemoLayerPtr layer = doc.GetLayerList().Find("copper2");
    ASSERT_TRUE(layer);
    EXPECT_EQ(layer->GetOpaqueColour(), 0xFF0000FFu);
    EXPECT_EQ(Describe(*result.group),
              "DOT@copper2 (10,-10) r10 filled w0\nDOT@copper2 (20,-10) r10 filled w0");
    EXPECT_EQ(remembered, (TImportLayerMap{{"CopperLayer", "copper2"}, {"SilkScreen1", "copper2"}}));
}

TEST(VemoImport, RememberedMappingKeepsSixtyFourPairsUpToTheFirstGap) {
    TImportLayerMap map;
    for (int i = 0; i < 70; ++i)
        map[std::string("L").append(std::to_string(100 + i))] = "dest" + std::to_string(i);
    map["Skipped"] = "";
    settings::TIniFile ini = settings::TIniFile::Parse("[ImportLayer]\nTarget99=stale\nDest99=stale\n");
    WriteImportLayerMap(ini, map);
    EXPECT_EQ(ini.ReadString("ImportLayer", "Target0", ""), "L100");
    EXPECT_EQ(ini.ReadString("ImportLayer", "Dest69", ""), "dest69");
    EXPECT_FALSE(ini.Find("ImportLayer", "Target70")) << "pairs with an empty destination are not written";
    EXPECT_FALSE(ini.Find("ImportLayer", "Target99")) << "the section is replaced";

    const TImportLayerMap back = ReadImportLayerMap(ini);
    EXPECT_EQ(back.size(), 64u);
    EXPECT_EQ(back.at("L163"), "dest63");

    const settings::TIniFile gap = settings::TIniFile::Parse(
        "[ImportLayer]\nTarget0=A\nDest0=x\nTarget1=B\nDest1=\nTarget2=C\nDest2=z\n");
    EXPECT_EQ(ReadImportLayerMap(gap), (TImportLayerMap{{"A", "x"}}));
    EXPECT_EQ(DestinationsFor({"C", "A", "Q"}, ReadImportLayerMap(gap)),
              (std::vector<std::string>{"", "x", ""}));
}

TEST(VemoImport, FileWithoutSectionsGivesAnEmptyGroup) {
    const std::string texts[] = {"", "hello world", "VEMO:Version 2.0\n[LayerDef]\nEND\n",
                                 Slurp(ZELKO_TEST_DATA "/import/sample.vem").substr(0, 120)};
    for (const std::string& text : texts) {
        std::istringstream in(text);
        TVemoDocument doc;
        const TVemoImportResult result = ImportVemo(in, {"solder", "solder"}, doc);
        ASSERT_NE(result.group, nullptr) << text;
        EXPECT_EQ(result.group->GetChildCount(), 0) << text;
        EXPECT_FALSE(result.report.drawItemsFound) << text;
    }
}

}  // namespace
