#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "archive/Safefile.h"
#include "graph/Linegraphproperty.h"
#include "graph/Linegraphunit.h"
#include "model/Vemodocument.h"
#include "model/Vemogroup.h"
#include "model/Vemolayer.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"
#include "settings/Settings.h"

namespace fs = std::filesystem;

namespace {

using Points = std::vector<std::pair<double, double>>;

Points PointsOf(const TLineGraphItem& item) {
    Points out;
    for (std::size_t i = 0; i < item.Xs().size(); ++i) out.emplace_back(item.Xs()[i], item.Ys()[i]);
    return out;
}

// The anchors of a path (every third point).
std::vector<PointF> Anchors(const TVemoPath& path) {
    std::vector<PointF> out;
    const std::vector<PointF>& pts = path.GetPoints().Vector();
    for (std::size_t i = 0; i + 2 < pts.size(); i += 3) out.push_back(pts[i]);
    return out;
}

void ExpectAnchors(const TVemoObject* object, const std::vector<PointF>& expected, const std::string& what) {
    const auto* path = dynamic_cast<const TVemoPath*>(object);
    ASSERT_NE(path, nullptr) << what;
    const std::vector<PointF> got = Anchors(*path);
    ASSERT_EQ(got.size(), expected.size()) << what;
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i].x, expected[i].x, 1e-3) << what << " anchor " << i;
        EXPECT_NEAR(got[i].y, expected[i].y, 1e-3) << what << " anchor " << i;
    }
}

// Sets rows of the editor over the initial ones.
TGraphProperties Rows(const std::vector<TGraphProperty>& changes) {
    TGraphProperties rows = InitialGraphProperties();
    for (const TGraphProperty& c : changes)
        for (TGraphProperty& row : rows)
            if (row.key == c.key) row.value = c.value;
    return rows;
}

class LineGraph : public ::testing::Test {
protected:
    void SetUp() override {
        unit_.SetDocument(&doc_);
        dir_ = fs::temp_directory_path() / ("zelko-graph-" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }
    // Items read from text, with the editor's initial rows applied to item 0.
    void Prepare(const std::string& data) {
        unit_.ReadDataText(data);
        ASSERT_GT(unit_.ItemCount(), 0);
        std::string message;
        ASSERT_TRUE(ApplyGraphProperties(unit_, 0, Rows({{"Yaxis", "0"}}), message)) << message;
    }

    TVemoDocument doc_;
    TLineGraphUnit unit_;
    fs::path dir_;
};

TEST_F(LineGraph, ReadsTheFirstLineOfNumbersAndTheRowsAfterIt) {
    struct Row {
        const char* name;
        std::string text;
        std::vector<Points> items;
    } rows[] = {
        {"header line skipped", "x\ty1\ty2\n0\t1\t2\n3\t4\t5\n", {{{0, 1}, {3, 4}}, {{0, 2}, {3, 5}}}},
        {"commas", "1,2,3", {{{1, 2}}, {{1, 3}}}},
        {"line ending in a separator is no numeric line", "1,2,\n5,6\n7,8", {{{5, 6}, {7, 8}}}},
        {"CRLF lines", "x,y\r\n1,2\r\n3,4\r\n", {{{1, 2}, {3, 4}}}},
        {"rows are a stream of numbers", "0,1,2\n3,4\n5\n", {{{0, 1}, {3, 4}}, {{0, 2}, {3, 5}}}},
        {"a row with a bad number is dropped", "1,2\n3,x\n5,6\n", {{{1, 2}, {5, 6}}}},
        {"numbers that are not finite are refused",
         "1,2\n3,nan\n4,inf\ninf,1\n1e999,2\n5,6\n",
         {{{1, 2}, {5, 6}}}},
        {"no line of numbers", "x,y\n\na,b\n", {}},
        {"one column gives no items", "1\n2\n", {}},
        {"empty file", "", {}},
    };
    for (const Row& r : rows) {
        unit_.ReadDataText(r.text);
        ASSERT_EQ(unit_.ItemCount(), int(r.items.size())) << r.name;
        for (int i = 0; i < unit_.ItemCount(); ++i)
            EXPECT_EQ(PointsOf(unit_.Item(i)), r.items[std::size_t(i)]) << r.name;
    }
}

// A bad number loses only what follows it in its row, and the reader can say
// where that happened.
TEST_F(LineGraph, KeepsTheValuesBeforeABadNumberAndNotesItsLine) {
    unit_.ReadDataText("x,a,b\n0,1,2\n\n3,4,x\n5,6,7\ny,8,9\n10,11,12\n");
    ASSERT_EQ(unit_.ItemCount(), 2);
    EXPECT_EQ(PointsOf(unit_.Item(0)), (Points{{0, 1}, {3, 4}, {5, 6}, {10, 11}}));
    EXPECT_EQ(PointsOf(unit_.Item(1)), (Points{{0, 2}, {5, 7}, {10, 12}}));
    const auto& broken = unit_.BrokenRows();
    ASSERT_EQ(broken.size(), 2u);
    EXPECT_EQ(broken[0].line, 4);
    EXPECT_EQ(broken[0].kept, 1);
    EXPECT_EQ(broken[0].dropped, 1);
    EXPECT_EQ(broken[1].line, 6);
    EXPECT_EQ(broken[1].kept, 0);
    EXPECT_EQ(broken[1].dropped, 2);
    unit_.ReadDataText("0,1\n2,3\n\n");
    EXPECT_TRUE(unit_.BrokenRows().empty()) << "white space at the end breaks no row";

    ASSERT_TRUE(unit_.ReadData(ZELKO_TEST_DATA "/graph/two_items.tab"));
    EXPECT_EQ(unit_.ItemCount(), 2);
    EXPECT_EQ(unit_.Item(0).GetLayerName(), "solder") << "new items name the current layer";
    std::string error;
    EXPECT_FALSE(unit_.ReadData((dir_ / "absent.csv").string(), &error));
    EXPECT_EQ(unit_.ItemCount(), 0);
    EXPECT_FALSE(error.empty());
}

TEST_F(LineGraph, CurveIsScaledIntoTheFrameAndEndsBeyondXmax) {
    Prepare("0,0\n4,20\n2,-20\n1,10\n4.1,0\n1,0\n");
    const std::unique_ptr<TVemoGroup> graph = unit_.BuildGroup();
    ASSERT_TRUE(graph);
    // Xmin 0, Xmax 4, Width 400; Ymin -10, Ymax 10, Height 300.
    ExpectAnchors(graph->GetChild(0), {{0, 150}, {400, 0}, {200, 300}, {100, 0}}, "curve");
    const TVemoObject* curve = graph->GetChild(0);
    EXPECT_FALSE(static_cast<const TVemoPath*>(curve)->IsClosed());
    EXPECT_EQ(curve->GetLayer()->GetName(), "solder");
}

TEST_F(LineGraph, FrameAndTicksFollowAxisZero) {
    Prepare("0,0\n");
    const std::unique_ptr<TVemoGroup> graph = unit_.BuildGroup();
    ASSERT_EQ(graph->GetChildCount(), 4);
    const auto* frame = dynamic_cast<const TVemoRect*>(graph->GetChild(1));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->GetHandle(1), PointF(0, 0));
    EXPECT_EQ(frame->GetHandle(3), PointF(400, 300));
    EXPECT_EQ(frame->GetLayer()->GetName(), "dimension");
    EXPECT_FALSE(frame->GetSurface()->GetFill());

    // Xtics 1, Xmtics 5 over 400 units for 4: a tick every 20, long ones at 0, 5, 10, 15.
    const auto* xticks = dynamic_cast<const TVemoGroup*>(graph->GetChild(2));
    ASSERT_NE(xticks, nullptr);
    ASSERT_EQ(xticks->GetChildCount(), 20);
    for (int n = 0; n < 20; ++n) {
        const float top = n % 5 == 0 ? 297.0f : 298.5f;
        ExpectAnchors(xticks->GetChild(n), {{20.0f * float(n), 300}, {20.0f * float(n), top}},
                      "x tick " + std::to_string(n));
    }
    // Ytics 5, Ymtics 2 over 300 units for 20: a tick every 37.5 from the bottom, long ones every other.
    const auto* yticks = dynamic_cast<const TVemoGroup*>(graph->GetChild(3));
    ASSERT_EQ(yticks->GetChildCount(), 8);
    for (int n = 0; n < 8; ++n) {
        const float y = 300.0f - 37.5f * float(n);
        ExpectAnchors(yticks->GetChild(n), {{0, y}, {n % 2 == 0 ? 4.0f : 2.0f, y}},
                      "y tick " + std::to_string(n));
    }
}

TEST_F(LineGraph, ApplyRefusesInvalidValuesAndKeepsTheStepsBeforeThem) {
    unit_.ReadDataText("0,0,0\n");
    struct Row {
        const char* name;
        std::vector<TGraphProperty> changes;
        bool ok;
    } rows[] = {
        {"initial values", {}, true},
        {"not a number", {{"Width", "4OO"}}, false},
        {"not finite", {{"Height", "nan"}}, false},
        {"Yaxis not an integer", {{"Yaxis", "1.5"}}, false},
        {"empty x range", {{"Xmin", "4"}}, false},
        {"reversed y range", {{"Ymin", "10"}, {"Ymax", "-10"}}, false},
        {"no x tic spacing", {{"Xtics", "0"}}, false},
        {"negative y tic spacing", {{"Ytics", "-5"}}, false},
        {"no x divisions", {{"Xmtics", "0"}}, false},
        {"divisions truncated to none", {{"Ymtics", "0.9"}}, false},
        {"a name documents cannot hold", {{"Layer", "\xF0\x9F\x98\x80"}}, false},
    };
    for (const Row& r : rows) {
        std::string message;
        EXPECT_EQ(ApplyGraphProperties(unit_, 1, Rows(r.changes), message), r.ok) << r.name;
        EXPECT_EQ(message, r.ok ? "" : kInvalidGraphValueMessage) << r.name;
    }

    // Steps before the error stay done, those after it are not taken.
    std::string message;
    ASSERT_FALSE(ApplyGraphProperties(
        unit_, 0, Rows({{"Width", "250"}, {"Layer", "trace"}, {"Xmax", "0"}, {"Xtics", "7"}}), message));
    EXPECT_EQ(unit_.Axis(1).Width(), 250);
    EXPECT_EQ(unit_.Item(0).GetLayerName(), "trace");
    EXPECT_EQ(unit_.Axis(1).XMax(), 4);
    EXPECT_EQ(unit_.Axis(1).XTics(), 1);

    // Yaxis 7 is axis 0; Xmtics is truncated; a line width below 1.0 keeps the last one.
    ASSERT_TRUE(ApplyGraphProperties(unit_, 0, Rows({{"Yaxis", "7"}, {"Xmtics", "2.7"}}), message));
    EXPECT_EQ(&unit_.Item(0).GetAxis(), &unit_.Axis(0));
    EXPECT_EQ(unit_.Axis(0).XMTics(), 2);
    ASSERT_TRUE(ApplyGraphProperties(unit_, 0, Rows({{"LineWidth", "0.5"}}), message));
    EXPECT_EQ(unit_.Item(0).GetStyle().GetWidth(), 1.0f);
    EXPECT_EQ(ShowGraphItem(unit_, 0)[5], (TGraphProperty{"LineWidth", "1"}));
}

TEST_F(LineGraph, NewLayersAreMadeOnceAndCurvesFollowLaterSettings) {
    Prepare("0,0\n4,10\n");
    std::string message;
    ASSERT_TRUE(ApplyGraphProperties(unit_, 0, Rows({{"Yaxis", "0"}, {"Layer", "graph"}, {"Frame", "box"}}),
                                     message));
    const int before = doc_.GetLayerList().Count();
    const std::unique_ptr<TVemoGroup> first = unit_.BuildGroup();
    ASSERT_TRUE(ApplyGraphProperties(
        unit_, 0, Rows({{"Yaxis", "0"}, {"Layer", "graph"}, {"Frame", "box"}, {"Height", "600"}}), message));
    const std::unique_ptr<TVemoGroup> second = unit_.BuildGroup();
    EXPECT_EQ(doc_.GetLayerList().Count(), before + 2);
    EXPECT_EQ(doc_.GetLayerList().Find("graph")->GetOpaqueColour(), 0xFFEB2828u);
    EXPECT_EQ(doc_.GetLayerList().Find("box")->GetOpaqueColour(), 0xFF000000u);
    ExpectAnchors(second->GetChild(0), {{0, 300}, {400, 0}}, "the second graph is 600 high");
}

// Settings earlier versions kept in zelko.ini move to graph_tool.ini once:
// only when it has none of its own, only the graph's sections, zelko.ini untouched.
TEST_F(LineGraph, OldSettingsInTheMainFileMoveOnceIntoTheToolsFile) {
    const struct {
        const char* name;
        const char* oldText;  // zelko.ini
        const char* newText;  // graph_tool.ini; null: no file
        bool moved;
        const char* expected;  // graph_tool.ini afterwards; null: no file
    } rows[] = {
        {"moved when the tool's file is missing",
         "[Main]\nA=1\n[GraphProperty]\nWidth=400\n[Item0]\nLayer=a\n[Item1]\nYaxis=1\n", nullptr, true,
         "[GraphProperty]\nWidth=400\n[Item0]\nLayer=a\n[Item1]\nYaxis=1\n"},
        {"moved when the tool's file lacks the section", "[GraphProperty]\nWidth=400\n", "[Other]\nB=2\n",
         true, "[Other]\nB=2\n[GraphProperty]\nWidth=400\n"},
        {"the tool's own settings win", "[GraphProperty]\nWidth=400\n", "[GraphProperty]\nWidth=500\n", false,
         "[GraphProperty]\nWidth=500\n"},
        {"nothing to move", "[Main]\nA=1\n[Itemize]\nC=3\n", nullptr, false, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path oldIni = dir_ / "zelko.ini", ini = dir_ / "graph_tool.ini";
        fs::remove(ini);
        std::string error;
        ASSERT_TRUE(WriteFileSafely(oldIni.string(), row.oldText, error)) << error;
        if (row.newText) {
            ASSERT_TRUE(WriteFileSafely(ini.string(), row.newText, error)) << error;
        }
        EXPECT_EQ(TLineGraphUnit::AdoptOldSettings(oldIni.string(), ini.string(), error), row.moved) << error;
        EXPECT_TRUE(error.empty()) << error;
        std::string text;
        EXPECT_EQ(ReadWholeFile(ini.string(), text, error), row.expected != nullptr);
        if (row.expected) {
            EXPECT_EQ(text, row.expected);
        }
        ASSERT_TRUE(ReadWholeFile(oldIni.string(), text, error));
        EXPECT_EQ(text, row.oldText);
        // A second time changes nothing.
        EXPECT_FALSE(TLineGraphUnit::AdoptOldSettings(oldIni.string(), ini.string(), error));
    }
    EXPECT_EQ(TLineGraphUnit::SettingsPathBeside("/etc/x/zelko.ini"), "/etc/x/graph_tool.ini");
}

TEST_F(LineGraph, SettingsRoundTripAndRefuseValuesThatBreakTheTicks) {
    unit_.ReadDataText("0,1,2\n");
    unit_.LoadSettings(ZELKO_TEST_DATA "/graph/graph_tool.ini");
    EXPECT_EQ(unit_.GetFrameWidth(), 2.0f);
    EXPECT_EQ(unit_.GetFrameLayerName(), "outline");
    EXPECT_EQ(&unit_.Item(1).GetAxis(), &unit_.Axis(1));
    EXPECT_EQ(unit_.Axis(1).YMax(), 5);
    EXPECT_EQ(unit_.Item(1).GetLayerName(), "trace_b");

    const std::string saved = (dir_ / "graph_tool.ini").string();
    std::string error;
    ASSERT_TRUE(unit_.SaveSettings(saved, error)) << error;
    TLineGraphUnit again;
    again.ReadDataText("0,1,2\n");
    again.LoadSettings(saved);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(ShowGraphItem(again, i), ShowGraphItem(unit_, i)) << i;

    // No file: the graph has no size. Values that would stop the ticks from ending are not taken.
    again.LoadSettings((dir_ / "absent.ini").string());
    EXPECT_EQ(again.Axis(0).Width(), 0);
    ASSERT_TRUE(WriteFileSafely(saved,
                                "[GraphProperty]\nWidth=400\nHeight=300\n"
                                "[Item0]\nXmin=1\nXmax=1\nXtics=0\nXmtics=0\nYtics=-2\nYmtics=-1\n",
                                error));
    again.SetDocument(&doc_);
    again.LoadSettings(saved);
    EXPECT_GT(again.Axis(0).XTics(), 0);
    EXPECT_GT(again.Axis(0).XMTics(), 0);
    EXPECT_LT(again.Axis(0).XMin(), again.Axis(0).XMax());
    EXPECT_GT(again.Axis(0).YTics(), 0);
    const std::unique_ptr<TVemoGroup> graph = again.BuildGroup();
    EXPECT_EQ(graph->GetChildCount(), 5);

    // Ticks closer than anyone could tell apart stop at the limit instead of running for ages.
    ASSERT_TRUE(
        WriteFileSafely(saved, "[GraphProperty]\nWidth=400\nHeight=300\n[Item0]\nXtics=1e-12\n", error));
    again.ReadDataText("0,1\n");  // one item, so no later item sets the axis again
    again.LoadSettings(saved);
    const std::unique_ptr<TVemoGroup> dense = again.BuildGroup();
    EXPECT_EQ(static_cast<const TVemoGroup*>(dense->GetChild(2))->GetChildCount(), TLineGraphUnit::kMaxTicks);
}

}  // namespace
