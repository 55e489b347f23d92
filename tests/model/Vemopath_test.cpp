#include "model/Vemopath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "model/Vemodrawstyle.h"
#include "model/Vemographics.h"
#include "model/Vemolayer.h"

namespace {

constexpr unsigned char kSel = TVemoPath::TypeSelected;
constexpr unsigned char kSmooth = TVemoPath::TypeSmooth;
constexpr unsigned char kCurved = TVemoPath::TypeCurved;

TVemoLayerPtr Layer(int index = 0, Argb colour = 0xFF00A000u) {
    auto layer = std::make_shared<TVemoLayer>(colour, "copper");
    layer->SetIndex(index);
    return layer;
}

std::vector<PointF> Points(const TVemoPath& path) {
    return path.GetPoints().Vector();
}

std::vector<unsigned char> Types(const TVemoPath& path) {
    return path.GetTypes().Vector();
}

// A path from raw points and types, on a layer, with the given style.
std::unique_ptr<TVemoPath> MakePath(const std::vector<PointF>& pts, const std::vector<unsigned char>& types,
                                    bool closed, const TVemoSurface& surface = TVemoSurface(),
                                    TVemoLayerPtr layer = Layer()) {
    auto path = std::make_unique<TVemoPath>();
    EXPECT_TRUE(path->SetData(pts, types, closed));
    path->SetLayer(std::move(layer));
    path->SetSurface(surface);
    return path;
}

// A polygon: every handle sits on its anchor, every type is smooth.
std::unique_ptr<TVemoPath> MakePolygon(const std::vector<PointF>& anchors, bool closed,
                                       const TVemoSurface& surface = TVemoSurface(),
                                       TVemoLayerPtr layer = Layer()) {
    std::vector<PointF> pts;
    for (std::size_t k = 0; k < anchors.size(); ++k) {
        // Index 3k+2 is the incoming handle of the next anchor.
        const PointF next = anchors[(k + 1) % anchors.size()];
        pts.insert(pts.end(), {anchors[k], anchors[k], next});
    }
    const std::size_t n = pts.size();
    return MakePath(pts, std::vector<unsigned char>(n, kSmooth), closed, surface, std::move(layer));
}

double DistanceToSegment(PointF p, PointF a, PointF b) {
    const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
    const double len2 = dx * dx + dy * dy;
    double t = len2 > 0 ? ((double(p.x) - a.x) * dx + (double(p.y) - a.y) * dy) / len2 : 0.0;
    t = std::fmax(0.0, std::fmin(1.0, t));
    return std::hypot(a.x + t * dx - p.x, a.y + t * dy - p.y);
}

// count points spread evenly in parameter over the drawn chain of the path.
std::vector<PointF> SampleCurve(const TVemoPath& path, int count) {
    std::vector<PointF> chain = Points(path);
    if (path.IsClosed())
        chain.push_back(chain.front());
    else
        chain.resize(chain.size() - 2);
    const int segments = int(chain.size() - 1) / 3;
    std::vector<PointF> out;
    for (int i = 0; i < count; ++i) {
        const double u = double(i) / (count - 1) * segments;
        const int s = std::min(int(u), segments - 1);
        const double t = u - s, v = 1.0 - t;
        const PointF* p = &chain[3 * std::size_t(s)];
        const double b0 = v * v * v, b1 = 3 * v * v * t, b2 = 3 * v * t * t, b3 = t * t * t;
        out.emplace_back(float(b0 * p[0].x + b1 * p[1].x + b2 * p[2].x + b3 * p[3].x),
                         float(b0 * p[0].y + b1 * p[1].y + b2 * p[2].y + b3 * p[3].y));
    }
    return out;
}

// The largest distance from a point of a to the polyline through the points of b.
double Deviation(const std::vector<PointF>& a, const std::vector<PointF>& b) {
    double worst = 0.0;
    for (const PointF& p : a) {
        double best = std::numeric_limits<double>::max();
        for (std::size_t i = 0; i + 1 < b.size(); ++i)
            best = std::fmin(best, DistanceToSegment(p, b[i], b[i + 1]));
        worst = std::fmax(worst, best);
    }
    return worst;
}

// Records what an object paints.
class TRecordingGraphics : public TVemoGraphics {
public:
    struct Call {
        std::string op;
        Argb colour = 0;
        float penWidth = 0;
        RectF rect;
    };
    void FillPath(const GraphicsPath&, Argb colour) override { calls.push_back({"FillPath", colour, 0, {}}); }
    void StrokePath(const GraphicsPath&, const Pen& pen) override {
        calls.push_back({"StrokePath", pen.colour, pen.width, {}});
    }
    void FillRect(RectF r, Argb colour) override { calls.push_back({"FillRect", colour, 0, r}); }
    void StrokeRect(RectF r, const Pen& pen) override {
        calls.push_back({"StrokeRect", pen.colour, pen.width, r});
    }
    void FillEllipse(RectF r, Argb colour) override { calls.push_back({"FillEllipse", colour, 0, r}); }
    void StrokeEllipse(RectF r, const Pen& pen) override {
        calls.push_back({"StrokeEllipse", pen.colour, pen.width, r});
    }
    void DrawLine(PointF, PointF, const Pen& pen) override {
        calls.push_back({"DrawLine", pen.colour, pen.width, {}});
    }

    std::string Ops() const {
        std::string s;
        for (const Call& c : calls) s += c.op + " ";
        return s;
    }
    std::vector<Call> calls;
};

// Resets the shared draw style around tests that zoom.
class VemoPathZoom : public testing::Test {
protected:
    void TearDown() override { DrawStyle().Reset(); }
};

TEST(VemoPath, NewPathAndDrawingSequence) {
    TVemoPath path;
    EXPECT_EQ(path.GetTag(), "PATH");
    EXPECT_EQ(path.GetName(), "Path");
    EXPECT_EQ(path.GetFlags(), TVemoObject::FlagVisible);
    EXPECT_FALSE(path.IsClosed());

    const PointF p(10, 20), q(50, 60);
    path.AppendNode(p);
    EXPECT_EQ(Points(path), (std::vector<PointF>{p, p, p}));
    path.AppendNode(q);
    EXPECT_EQ(Points(path), (std::vector<PointF>{p, p, q, q, q, p}));
    EXPECT_EQ(Types(path), std::vector<unsigned char>(6, kSmooth));

    EXPECT_TRUE(path.IsNearStart({12, 18}, 3));
    EXPECT_FALSE(path.IsNearStart({14, 20}, 3));
    EXPECT_FALSE(path.IsNearStart(q, 3));

    path.Close();
    EXPECT_TRUE(path.IsClosed());
    EXPECT_FALSE(path.GetOutline().IsEmpty());
    path.SetFlags(TVemoObject::FlagEditingPoints);

    path.Reset();
    EXPECT_TRUE(path.GetPoints().empty());
    EXPECT_TRUE(path.GetTypes().empty());
    EXPECT_FALSE(path.IsClosed());
    EXPECT_FALSE(path.IsEditingPoints());
    EXPECT_FALSE(path.IsNearStart(p, 3));
    EXPECT_FALSE(path.HitPoint(p));
}

TEST(VemoPath, SetDataRefusesInconsistentLists) {
    TVemoPath path;
    const std::vector<PointF> six{{0, 0}, {0, 0}, {9, 9}, {9, 9}, {9, 9}, {0, 0}};
    EXPECT_FALSE(path.SetData(six, std::vector<unsigned char>(5, kSmooth), false));
    EXPECT_FALSE(path.SetData({{0, 0}, {1, 1}}, {kSmooth, kSmooth}, false));
    EXPECT_TRUE(path.GetPoints().empty());
    // Comparing no points at all (the undo pool asks) must not hand memcmp a null pointer.
    EXPECT_TRUE(path.HasData({}, {}, false));
    EXPECT_FALSE(path.HasData({}, {}, true));
    EXPECT_TRUE(path.SetData(six, {0x03, 2, 2, 6, 6, 6}, true));
    EXPECT_EQ(Types(path), (std::vector<unsigned char>{0x03, 2, 2, 6, 6, 6}));
    EXPECT_TRUE(path.IsClosed());
    EXPECT_TRUE(path.HasData(six, {0x03, 2, 2, 6, 6, 6}, true));
    EXPECT_FALSE(path.HasData(six, {0x03, 2, 2, 6, 6, 7}, true));
}

TEST(VemoPath, OutlineOfDegenerateAndPartialPaths) {
    // One node, open or closed, has no segment to draw.
    for (const bool closed : {false, true}) {
        const auto one =
            MakePath({{5, 5}, {40, 0}, {40, 40}}, {6, 6, 6}, closed, TVemoSurface(4, true, false));
        EXPECT_TRUE(one->GetOutline().IsEmpty()) << "closed " << closed;
        EXPECT_FALSE(one->HitPoint({5, 5})) << "closed " << closed;
    }

    // An open path strokes segment 0…3 only: the closing handles (points 4 and 5)
    // change nothing, and the closing chord is not stroked.
    const PointF a0(0, 0), a1(100, 0);
    const auto plain = MakePath({a0, a0, a1, a1, a1, a0}, std::vector<unsigned char>(6, kSmooth), false,
                                TVemoSurface(10, false, false));
    const auto wild = MakePath({a0, a0, a1, a1, {500, 500}, {-300, 80}},
                               std::vector<unsigned char>(6, kSmooth), false, TVemoSurface(10, false, false));
    EXPECT_EQ(plain->GetOutline(), wild->GetOutline());
    EXPECT_NEAR(geom::AreaOf(plain->GetOutline()), 100 * 10 + M_PI * 25, 10.0);
    EXPECT_TRUE(plain->HitPoint({50, 4}));
    EXPECT_FALSE(plain->HitPoint({50, 6}));

    const std::vector<PointF> triangle{{0, 0}, {100, 0}, {0, 100}};
    const auto open = MakePolygon(triangle, false, TVemoSurface(4, false, false));
    const auto closed = MakePolygon(triangle, true, TVemoSurface(4, false, false));
    EXPECT_FALSE(open->HitPoint({0, 50}));  // on the closing edge
    EXPECT_TRUE(closed->HitPoint({0, 50}));
    EXPECT_FALSE(closed->HitPoint({20, 20}));  // stroked only: the inside is empty

    // Pen width 0 with fill: the outline is exactly the filled figure. (An
    // unfilled style never has a width below 1, so "width 0, no fill" cannot arise.)
    const auto filled =
        MakePolygon({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, true, TVemoSurface(0, true, false));
    GraphicsPath figure(geom::FillMode::Winding);
    const std::vector<PointF> chain{{0, 0},     {0, 0},     {100, 0},   {100, 0}, {100, 0},
                                    {100, 100}, {100, 100}, {100, 100}, {0, 100}, {0, 100},
                                    {0, 100},   {0, 0},     {0, 0}};
    figure.AddBeziers(chain.data(), chain.size());
    figure.CloseFigure();
    EXPECT_EQ(filled->GetOutline(), figure);
    RectF bounds;
    filled->GetBounds(bounds);
    EXPECT_EQ(bounds, RectF(0, 0, 100, 100));
}

// A filled figure running either way round must not cancel its stroke band.
TEST(VemoPath, StrokeAndFillUniteWhateverTheDirection) {
    struct Row {
        const char* name;
        std::vector<PointF> square;
    };
    const Row rows[] = {
        {"clockwise on screen", {{0, 0}, {100, 0}, {100, 100}, {0, 100}}},
        {"counter-clockwise on screen", {{0, 0}, {0, 100}, {100, 100}, {100, 0}}},
    };
    const float offsets[] = {-9.5f, -6, -2, 0, 2, 6, 9.5f};
    const float along[] = {3, 50, 97};
    for (const Row& row : rows) {
        const auto path = MakePolygon(row.square, true, TVemoSurface(20, true, false));
        for (const float o : offsets) {
            for (const float a : along) {
                EXPECT_TRUE(path->HitPoint({a, o})) << row.name << " top " << a << "," << o;
                EXPECT_TRUE(path->HitPoint({a, 100 + o})) << row.name << " bottom " << a << "," << o;
                EXPECT_TRUE(path->HitPoint({o, a})) << row.name << " left " << o << "," << a;
                EXPECT_TRUE(path->HitPoint({100 + o, a})) << row.name << " right " << o << "," << a;
            }
        }
        EXPECT_TRUE(path->HitPoint({50, 50})) << row.name;
        EXPECT_TRUE(path->HitPoint({20, 80})) << row.name;
        EXPECT_FALSE(path->HitPoint({50, -11})) << row.name;
        EXPECT_FALSE(path->HitPoint({111, 50})) << row.name;
        // The square grown by half the pen with round corners.
        const double expected = 120.0 * 120.0 - (4.0 - M_PI) * 100.0;
        EXPECT_NEAR(geom::AreaOf(path->GetOutline()), expected, expected * 0.005) << row.name;

        GraphicsPath merged;
        path->AddOutline(merged, 0);
        EXPECT_NEAR(geom::AreaOf(merged), expected, expected * 0.01) << row.name;
        EXPECT_TRUE(merged.IsVisible({50, 1})) << row.name;
    }
}

TEST(VemoPath, AddOutlineOnlyOnItsPassAndUnitesWithWhatIsThere) {
    const auto a = MakePolygon({{0, 0}, {100, 0}}, false, TVemoSurface(10, false, false), Layer(2));
    const auto b = MakePolygon({{50, -50}, {50, 50}}, false, TVemoSurface(10, false, false), Layer(2));

    GraphicsPath path;
    a->AddOutline(path, 1);
    EXPECT_TRUE(path.IsEmpty());
    a->ClearFlags(TVemoObject::FlagVisible);
    a->AddOutline(path, 2);
    EXPECT_TRUE(path.IsEmpty());
    a->SetFlags(TVemoObject::FlagVisible);

    a->AddOutline(path, 2);
    const double one = 1000 + M_PI * 25;
    EXPECT_NEAR(geom::AreaOf(path), one, one * 0.02);
    b->AddOutline(path, 2);
    EXPECT_NEAR(geom::AreaOf(path), 2 * one - 100, one * 0.04);
    EXPECT_EQ(path.GetFillMode(), geom::FillMode::Winding);
}

TEST(VemoPath, ReverseKeepsEachNodeWithItsTypes) {
    const PointF a0(0, 0), o0(10, -20), i1(90, -20), a1(100, 0), o1(110, 20), i0(-10, 20);
    const auto open = MakePath({a0, o0, i1, a1, o1, i0}, {0x02, 0x12, 0x22, 0x06, 0x16, 0x26}, false,
                               TVemoSurface(4, false, false));
    const double area = geom::AreaOf(open->GetOutline());
    open->Reverse();
    EXPECT_EQ(Points(*open), (std::vector<PointF>{a1, i1, o0, a0, i0, o1}));
    EXPECT_EQ(Types(*open), (std::vector<unsigned char>{0x06, 0x22, 0x12, 0x02, 0x26, 0x16}));
    EXPECT_NEAR(geom::AreaOf(open->GetOutline()), area, area * 0.01);

    const PointF o1c(110, 10), i2(140, 90), a2(150, 100), o2(40, 110), i0c(-5, 50);
    const auto closed = MakePath({a0, o0, i1, a1, o1c, i2, a2, o2, i0c}, {1, 2, 3, 4, 5, 6, 7, 8, 9}, true,
                                 TVemoSurface(4, false, false));
    closed->Reverse();
    EXPECT_EQ(Points(*closed), (std::vector<PointF>{a0, i0c, o2, a2, i2, o1c, a1, i1, o0}));
    EXPECT_EQ(Types(*closed), (std::vector<unsigned char>{1, 9, 8, 7, 6, 5, 4, 3, 2}));
    closed->Reverse();
    EXPECT_EQ(Points(*closed), (std::vector<PointF>{a0, o0, i1, a1, o1c, i2, a2, o2, i0c}));
}

TEST(VemoPath, DeleteNodeAt) {
    const PointF a0(0, 0), o0(10, 0), i1(90, 0), a1(100, 0), o1(100, 10), i2(100, 90), a2(100, 100),
        o2(90, 90), i0(10, 10);
    const std::vector<PointF> nine{a0, o0, i1, a1, o1, i2, a2, o2, i0};
    const std::vector<unsigned char> types{1, 2, 3, 4, 5, 6, 7, 8, 9};
    struct Row {
        const char* name;
        PointF click;
        std::vector<PointF> points;
        std::vector<unsigned char> types;
    };
    const Row rows[] = {
        {"anchor 0: former anchor 1 becomes first", {1, 1}, {a1, o1, i2, a2, o2, i1}, {4, 5, 6, 7, 8, 3}},
        {"middle anchor", {99, 1}, {a0, o0, i2, a2, o2, i0}, {1, 2, 6, 7, 8, 9}},
        {"last anchor", {101, 99}, {a0, o0, i1, a1, o1, i0}, {1, 2, 3, 4, 5, 9}},
        {"no anchor in the box", {50, 50}, nine, types},
    };
    for (const Row& row : rows) {
        const auto path = MakePath(nine, types, true);
        path->DeleteNodeAt(row.click, 3);
        EXPECT_EQ(Points(*path), row.points) << row.name;
        EXPECT_EQ(Types(*path), row.types) << row.name;
    }

    // Two nodes are the least a path keeps.
    const auto two = MakePath({a0, o0, i1, a1, o1, i0}, std::vector<unsigned char>(6, kSmooth), false);
    two->DeleteNodeAt(a0, 3);
    EXPECT_EQ(Points(*two).size(), 6u);
}

TEST(VemoPath, InsertNodeAtGoesIntoTheNearestSegment) {
    const std::vector<PointF> square{{0, 0}, {100, 0}, {100, 100}, {0, 100}};
    struct Row {
        const char* name;
        bool closed;
        PointF click;
        int newAnchor;  // -1: nothing inserted
    };
    const Row rows[] = {
        {"above the top side", true, {40, -5}, 3},
        {"right of the right side", true, {104, 60}, 6},
        {"inside, nearest the bottom", true, {30, 93}, 9},
        {"left of the closing side", true, {-4, 30}, 12},
        {"open path offers no closing side", false, {-4, 30}, 6},
        {"beyond every side", true, {200, 200}, -1},
    };
    for (const Row& row : rows) {
        const auto path = MakePolygon(square, row.closed, TVemoSurface(2, false, false));
        const std::vector<PointF> before = Points(*path);
        path->InsertNodeAt(row.click);
        const std::vector<PointF> after = Points(*path);
        if (row.newAnchor < 0) {
            EXPECT_EQ(after, before) << row.name;
            continue;
        }
        ASSERT_EQ(after.size(), 15u) << row.name;
        const auto k = std::size_t(row.newAnchor);
        for (const std::size_t i : {k - 1, k, k + 1}) {
            EXPECT_EQ(after[i], row.click) << row.name << " point " << i;
            EXPECT_EQ(Types(*path)[i], kSmooth) << row.name;
        }
        // The neighbouring handles stay where they were.
        EXPECT_EQ(after[k - 2], before[k - 2]) << row.name;
        EXPECT_EQ(after[(k + 2) % 15], before[(k - 1) % 12]) << row.name;
    }
}

TEST(VemoPath, SplitAtKeepsTheShape) {
    const std::vector<PointF> pts{{0, 0},    {40, -60}, {120, -60}, {150, 0}, {180, 60},
                                  {260, 80}, {300, 10}, {320, -30}, {-20, 40}};
    for (const bool closed : {false, true}) {
        const auto path = MakePath(pts, std::vector<unsigned char>(9, kSmooth | kCurved), closed,
                                   TVemoSurface(3, false, false));
        // 200 samples of each curve against a fine polyline of the other.
        const std::vector<PointF> before = SampleCurve(*path, 200), beforeFine = SampleCurve(*path, 3000);
        const PointF click(60, -50);
        ASSERT_TRUE(path->SplitAt(click)) << "closed " << closed;
        ASSERT_EQ(Points(*path).size(), 12u);
        const std::vector<PointF> after = SampleCurve(*path, 200), afterFine = SampleCurve(*path, 3000);
        EXPECT_LT(Deviation(after, beforeFine), 0.01) << "closed " << closed;
        EXPECT_LT(Deviation(before, afterFine), 0.01) << "closed " << closed;
        // The new anchor lies on the curve, level with the click along one axis.
        const PointF m = Points(*path)[3];
        EXPECT_TRUE(std::fabs(m.x - click.x) < 1e-3 || std::fabs(m.y - click.y) < 1e-3) << m.x << "," << m.y;
        EXPECT_EQ(Types(*path)[3], kSmooth | kCurved);
        EXPECT_EQ(Points(*path)[6], pts[3]);
    }

    const auto path = MakePath(pts, std::vector<unsigned char>(9, 6), false);
    EXPECT_FALSE(path->SplitAt({1000, 1000}));
    EXPECT_EQ(Points(*path), pts);
}

TEST(VemoPath, OffsetStraightPathsAndCorners) {
    const auto straight = MakePolygon({{0, 0}, {100, 0}}, false);
    ASSERT_TRUE(straight->Offset(20.0));
    const PointF s(0, -20), e(100, -20);
    EXPECT_EQ(Points(*straight), (std::vector<PointF>{s, s, e, e, e, s}));
    EXPECT_FALSE(straight->IsClosed());
    EXPECT_TRUE(straight->HitPoint({50, -20}));
    EXPECT_FALSE(straight->HitPoint({50, 0}));

    // An L gets a joining segment at its corner.
    const auto ell = MakePolygon({{0, 0}, {100, 0}, {100, 100}}, false);
    ASSERT_TRUE(ell->Offset(10.0));
    const std::vector<PointF> l = Points(*ell);
    ASSERT_EQ(l.size(), 12u);
    EXPECT_EQ(l[0], PointF(0, -10));
    EXPECT_EQ(l[3], PointF(100, -10));
    EXPECT_EQ(l[6], PointF(110, 0));
    EXPECT_EQ(l[9], PointF(110, 100));
    EXPECT_EQ(Types(*ell).size(), 12u);

    // A closed square: every anchor ends up at the distance from the square.
    const auto square = MakePolygon({{0, 0}, {100, 0}, {100, 100}, {0, 100}}, true);
    ASSERT_TRUE(square->Offset(20.0));
    EXPECT_TRUE(square->IsClosed());
    const std::vector<PointF> q = Points(*square);
    ASSERT_EQ(q.size() % 3, 0u);
    ASSERT_GE(q.size(), 12u);
    for (std::size_t k = 0; k < q.size(); k += 3) {
        const PointF a = q[k];
        const double d = std::hypot(std::fmax(std::fmax(-a.x, a.x - 100), 0.0f),
                                    std::fmax(std::fmax(-a.y, a.y - 100), 0.0f));
        EXPECT_NEAR(d, 20.0, 1e-3) << "anchor " << k;
    }
}

TEST(VemoPath, OffsetRefusedLeavesThePathAlone) {
    struct Row {
        const char* name;
        std::vector<PointF> points;
        bool closed;
    };
    const Row rows[] = {
        {"one node, open", {{5, 5}, {5, 5}, {5, 5}}, false},
        {"one node, closed", {{5, 5}, {20, 0}, {20, 20}}, true},
        {"empty", {}, false},
        {"two nodes on one spot", {{5, 5}, {5, 5}, {5, 5}, {5, 5}, {5, 5}, {5, 5}}, false},
    };
    for (const Row& row : rows) {
        const auto path =
            MakePath(row.points, std::vector<unsigned char>(row.points.size(), kSmooth), row.closed);
        EXPECT_FALSE(path->Offset(10.0)) << row.name;
        EXPECT_EQ(Points(*path), row.points) << row.name;
    }
}

// Whatever the solver makes of a curve, the path never takes points that are not numbers.
TEST(VemoPath, OffsetNeverStoresNonFinitePoints) {
    const std::vector<PointF> sCurve{{0, 0}, {50, 0}, {50, 100}, {100, 100}, {100, 100}, {0, 0}};
    const auto path = MakePath(sCurve, std::vector<unsigned char>(6, kSmooth | kCurved), false);
    const bool done = path->Offset(10.0);
    for (const PointF& p : Points(*path)) {
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y));
    }
    if (!done) {
        EXPECT_EQ(Points(*path), sCurve);
    }
}

// A three-node open path whose middle node has its handles pulled out.
struct EditFixture {
    EditFixture(unsigned char middleType = kSmooth | kCurved) {
        path = MakePath({{0, 0}, {0, 0}, {80, 0}, {100, 0}, {130, 0}, {200, 0}, {200, 0}, {200, 0}, {0, 0}},
                        {2, 2, middleType, middleType, middleType, 2, 2, 2, 2}, false,
                        TVemoSurface(4, false, false));
    }
    std::unique_ptr<TVemoPath> path;
};

TEST(VemoPath, PickHandleAndMoveActiveHandle) {
    EditFixture f;
    TVemoPath& path = *f.path;
    EXPECT_EQ(path.PickHandle({131, 1}, 3), 1);  // a handle of an unselected node is just the outline
    EXPECT_TRUE(path.IsEditingPoints());
    EXPECT_EQ(path.PickHandle({101, -1}, 3), 2);
    EXPECT_EQ(Types(path)[3] & kSel, kSel);
    EXPECT_FALSE(path.IsHandleMode());
    EXPECT_EQ(path.HitHandle({130, 0}, 3), 4);
    EXPECT_EQ(path.HitSelectedAnchor({100, 0}, 3), 2);
    EXPECT_EQ(path.HitSelectedAnchor({0, 0}, 3), 0);

    EXPECT_EQ(path.PickHandle({130, 1}, 3), 4);
    EXPECT_TRUE(path.IsHandleMode());
    EXPECT_EQ(Types(path)[4] & kSel, kSel);
    EXPECT_EQ(Types(path)[3] & kSel, kSel);  // the node stays selected

    // Smooth node: the opposite handle turns to stay collinear and keeps its length.
    path.MoveActiveHandle(0, 30);
    EXPECT_EQ(Points(path)[4], PointF(130, 30));
    const PointF opposite = Points(path)[2];
    EXPECT_NEAR(opposite.x, 100 - 20 / std::sqrt(2.0), 1e-4);
    EXPECT_NEAR(opposite.y, -20 / std::sqrt(2.0), 1e-4);

    // Rotating the handle about its anchor swings the opposite one along.
    path.RotateActiveHandle(45, {100, 0});
    EXPECT_NEAR(Points(path)[4].x, 100, 1e-3);
    EXPECT_NEAR(Points(path)[4].y, 30 * std::sqrt(2.0), 1e-3);
    EXPECT_NEAR(Points(path)[2].x, 100, 1e-3);
    EXPECT_NEAR(Points(path)[2].y, -20, 1e-3);

    // Picking nothing leaves handle mode and drops the active handle.
    EXPECT_EQ(path.PickHandle({500, 500}, 3), 0);
    EXPECT_FALSE(path.IsHandleMode());
    EXPECT_EQ(Types(path)[4] & kSel, 0);
    const std::vector<PointF> before = Points(path);
    path.MoveActiveHandle(5, 5);
    EXPECT_EQ(Points(path), before);
}

TEST(VemoPath, CuspHandleMovesAlone) {
    EditFixture f(kCurved);
    TVemoPath& path = *f.path;
    path.PickHandle({100, 0}, 3);
    ASSERT_EQ(path.PickHandle({80, 0}, 3), 4);
    path.MoveActiveHandle(-10, 10);
    EXPECT_EQ(Points(path)[2], PointF(70, 10));
    EXPECT_EQ(Points(path)[4], PointF(130, 0));
}

TEST(VemoPath, MoveAndRotateSelection) {
    EditFixture f;
    TVemoPath& path = *f.path;
    const std::vector<PointF> before = Points(path);
    path.MoveSelection(5, 5);
    EXPECT_EQ(Points(path), before);  // nothing selected

    EXPECT_EQ(path.SelectAnchorsInRect(RectF(90, -10, 20, 20)), 2);
    path.MoveSelection(5, 7);
    std::vector<PointF> moved = before;
    for (const std::size_t i : {2u, 3u, 4u}) moved[i] += PointF(5, 7);
    EXPECT_EQ(Points(path), moved);
    EXPECT_TRUE(path.HitPoint({105, 7}));

    path.RotateSelection(180, {105, 7});
    EXPECT_NEAR(Points(path)[2].x, 125, 1e-3);
    EXPECT_NEAR(Points(path)[4].x, 75, 1e-3);
    EXPECT_EQ(Points(path)[0], before[0]);

    EXPECT_EQ(path.SelectAnchorsInRect(RectF(300, 300, 5, 5)), 0);
    EXPECT_EQ(path.SelectAllAnchors(), 1);
    for (const std::size_t k : {0u, 3u, 6u}) EXPECT_EQ(Types(path)[k] & kSel, kSel);
    path.DeselectAnchors();
    EXPECT_FALSE(path.IsEditingPoints());
    for (const unsigned char t : Types(path)) EXPECT_EQ(t & kSel, 0);
}

TEST(VemoPath, PullHandles) {
    TVemoPath path;
    path.SetLayer(Layer());
    path.AppendNode({0, 0});
    path.AppendNode({100, 0});
    const std::vector<PointF> before = Points(path);
    path.PullHandles({150, 40});
    EXPECT_EQ(Points(path), before);  // no selected node

    ASSERT_EQ(path.PickHandle({100, 0}, 3), 2);
    path.PullHandles({150, 40});
    EXPECT_EQ(Points(path)[4], PointF(150, 40));
    EXPECT_EQ(Points(path)[2], PointF(50, -40));
    EXPECT_EQ(Points(path)[3], PointF(100, 0));
    for (const std::size_t i : {2u, 3u, 4u})
        EXPECT_EQ(Types(path)[i] & (kSmooth | kCurved), kSmooth | kCurved);
    EXPECT_EQ(Types(path)[1], kSmooth);
}

TEST(VemoPath, ToggleNodeKind) {
    {
        // On an anchor: its handles retract and it is no longer curved.
        EditFixture f;
        f.path->ToggleNodeKind({101, 1});
        const std::vector<PointF> p = Points(*f.path);
        EXPECT_EQ(p[2], PointF(100, 0));
        EXPECT_EQ(p[4], PointF(100, 0));
        for (const std::size_t i : {2u, 3u, 4u}) EXPECT_EQ(Types(*f.path)[i] & (kSmooth | kCurved), kSmooth);
        EXPECT_EQ(Types(*f.path)[3] & kSel, kSel);
    }
    {
        // On a handle of the selected node: the node becomes a cusp, nothing moves.
        EditFixture f;
        f.path->PickHandle({100, 0}, 3);
        const std::vector<PointF> before = Points(*f.path);
        f.path->ToggleNodeKind({129, 0});
        EXPECT_EQ(Points(*f.path), before);
        for (const std::size_t i : {2u, 3u, 4u}) EXPECT_EQ(Types(*f.path)[i] & (kSmooth | kCurved), kCurved);
        EXPECT_TRUE(f.path->IsHandleMode());
    }
    {
        EditFixture f;
        const std::vector<unsigned char> types = Types(*f.path);
        f.path->ToggleNodeKind({50, 50});
        EXPECT_EQ(Types(*f.path), types);
    }
}

TEST(VemoPath, HitTestsOnALayer) {
    const TVemoLayerPtr layer = Layer(1);
    const auto path =
        MakePolygon({{0, 0}, {100, 0}, {100, 100}}, false, TVemoSurface(10, false, false), layer);
    struct PointRow {
        const char* name;
        PointF p;
        bool hit;
        int handle;
    };
    const PointRow points[] = {
        {"on the stroke", {50, 4}, true, 1},
        {"on an anchor", {100, 0}, true, 2},
        {"off the stroke", {50, 6}, false, 0},
        {"inside the bend, not filled", {60, 40}, false, 0},
    };
    for (const PointRow& row : points) {
        EXPECT_EQ(path->HitPoint(row.p), row.hit) << row.name;
        EXPECT_EQ(path->HitHandle(row.p, 3), row.handle) << row.name;
        EXPECT_FALSE(path->HitSelected(row.p)) << row.name;
    }

    struct RectRow {
        const char* name;
        RectF r;
        bool hit;
    };
    const RectRow rects[] = {
        {"crosses the stroke", {40, -20, 10, 40}, true},
        {"inside the stroke", {40, -1, 2, 2}, true},
        {"in the bend", {20, 20, 40, 40}, false},
        {"far away", {300, 300, 10, 10}, false},
    };
    for (const RectRow& row : rects) EXPECT_EQ(path->HitRect(row.r, nullptr), row.hit) << row.name;
    EXPECT_EQ(path->AnchorsInRect(RectF(95, 95, 10, 10)), 2);
    EXPECT_EQ(path->AnchorsInRect(RectF(20, 20, 10, 10)), 0);

    const auto crossing = MakePolygon({{50, -30}, {50, 30}}, false, TVemoSurface(2, false, false), layer);
    const auto apart = MakePolygon({{50, 30}, {80, 60}}, false, TVemoSurface(2, false, false), layer);
    RectF b;
    crossing->GetBounds(b);
    EXPECT_TRUE(path->HitPath(crossing->GetOutline(), b, nullptr));
    apart->GetBounds(b);
    EXPECT_FALSE(path->HitPath(apart->GetOutline(), b, nullptr));

    EXPECT_TRUE(path->SelectAt({50, 4}));
    EXPECT_TRUE(path->HitSelected({50, 4}));
    EXPECT_FALSE(path->SelectAt({50, 40}));
    EXPECT_TRUE(path->SelectInRect(RectF(40, -20, 10, 40), nullptr));

    layer->SetVisible(false);
    path->Deselect();
    EXPECT_FALSE(path->SelectAt({50, 4}));
    EXPECT_FALSE(path->IsSelected());
}

TEST(VemoPath, SelectAndDeselectEndPointEditing) {
    EditFixture f;
    f.path->PickHandle({100, 0}, 3);
    f.path->PickHandle({130, 0}, 3);
    f.path->Select();
    EXPECT_TRUE(f.path->IsSelected());
    EXPECT_FALSE(f.path->IsEditingPoints());
    EXPECT_FALSE(f.path->IsHandleMode());
    for (const unsigned char t : Types(*f.path)) EXPECT_EQ(t & kSel, 0);
}

TEST(VemoPath, SelectAnchorsOnAnotherObject) {
    EditFixture f;
    TVemoPath& path = *f.path;
    const auto pad =
        MakePolygon({{190, -10}, {210, -10}, {210, 10}, {190, 10}}, true, TVemoSurface(1, true, false));
    const auto far = MakePolygon({{300, 300}, {320, 300}, {320, 320}}, true, TVemoSurface(1, true, false));

    path.PickHandle({0, 0}, 3);
    path.PickHandle({100, 0}, 3);
    ASSERT_EQ(path.PickHandle({130, 0}, 3), 4);
    EXPECT_EQ(path.SelectAnchorsOn(*far), 0);
    EXPECT_FALSE(path.IsHandleMode());
    EXPECT_EQ(Types(path)[4] & kSel, 0);

    EXPECT_EQ(path.SelectAnchorsOn(*pad), 2);
    EXPECT_EQ(Types(path)[0] & kSel, kSel);  // selected before, stay selected
    EXPECT_EQ(Types(path)[3] & kSel, kSel);
    EXPECT_EQ(Types(path)[6] & kSel, kSel);

    EditFixture fresh;
    EXPECT_EQ(fresh.path->SelectAnchorsOn(*pad), 2);
    EXPECT_TRUE(fresh.path->IsEditingPoints());
    EXPECT_EQ(Types(*fresh.path)[0] & kSel, 0);
    EXPECT_EQ(Types(*fresh.path)[3] & kSel, 0);
    EXPECT_EQ(Types(*fresh.path)[6] & kSel, kSel);
}

TEST_F(VemoPathZoom, DrawDecorations) {
    DrawStyle().SetZoom(2);  // pixel size 0.5: dots and squares of 2 units
    const TVemoLayerPtr layer = Layer();
    layer->SetOpaque(true);
    layer->SetColour(0xFF101010u);  // dark: handles are drawn in grey
    EditFixture f;
    f.path->SetLayer(layer);
    const Argb grey = layer->GetContrastColour();
    ASSERT_NE(grey, 0xFF000000u);

    TRecordingGraphics idle;
    f.path->DrawDecorations(&idle);
    EXPECT_TRUE(idle.calls.empty());

    TRecordingGraphics selected;
    f.path->Select();
    f.path->DrawDecorations(&selected);
    EXPECT_EQ(selected.Ops(), "StrokePath ");

    TRecordingGraphics editing;
    f.path->PickHandle({100, 0}, 3);
    f.path->DrawDecorations(&editing);
    EXPECT_EQ(editing.Ops(),
              "StrokePath StrokeRect FillEllipse DrawLine FillEllipse DrawLine FillRect StrokeRect ");
    for (const auto& c : editing.calls) {
        EXPECT_EQ(c.colour, grey) << c.op;
        if (c.op != "FillRect" && c.op != "FillEllipse") {
            EXPECT_FLOAT_EQ(c.penWidth, 0.5f) << c.op;
        }
    }
    EXPECT_EQ(editing.calls[2].rect, RectF(79, -1, 2, 2));   // incoming handle
    EXPECT_EQ(editing.calls[4].rect, RectF(129, -1, 2, 2));  // outgoing handle
    EXPECT_EQ(editing.calls[6].rect, RectF(99, -1, 2, 2));
    EXPECT_EQ(editing.calls[1].rect, RectF(-1, -1, 2, 2));
}

TEST(VemoPath, DrawFillAndMaskFollowTheLayer) {
    const TVemoLayerPtr layer = Layer(3, 0xFF0000FFu);
    const auto path = MakePolygon({{0, 0}, {100, 0}}, false, TVemoSurface(10, false, false), layer);

    TRecordingGraphics g;
    path->DrawFill(&g, 2);
    EXPECT_TRUE(g.calls.empty());
    path->DrawFill(&g, 3);
    ASSERT_EQ(g.Ops(), "FillPath ");
    EXPECT_EQ(g.calls[0].colour, layer->GetEffectiveColour());

    g.calls.clear();
    layer->SetWireFrame(true);
    path->DrawFill(&g, 3);
    ASSERT_EQ(g.Ops(), "StrokePath ");
    EXPECT_EQ(g.calls[0].colour, layer->GetOpaqueColour());
    layer->SetWireFrame(false);

    g.calls.clear();
    layer->SetCutOut(true);
    path->DrawMask(&g, 3);
    ASSERT_EQ(g.Ops(), "FillPath ");
    EXPECT_EQ(g.calls[0].colour, DrawStyle().GetColour(dcMaskPaper));
}

TEST(VemoPath, WholeObjectTransforms) {
    const auto path = MakePolygon({{0, 0}, {100, 0}}, false, TVemoSurface(10, false, false));
    path->Translate(10, 20);
    EXPECT_EQ(Points(*path)[0], PointF(10, 20));
    EXPECT_EQ(Points(*path)[3], PointF(110, 20));
    EXPECT_TRUE(path->HitPoint({60, 20}));
    EXPECT_FALSE(path->HitPoint({60, 0}));

    path->Rotate(90, {10, 20});
    EXPECT_EQ(Points(*path)[0], PointF(10, 20));
    EXPECT_EQ(Points(*path)[3], PointF(10, 120));
    EXPECT_TRUE(path->HitPoint({10, 70}));
    RectF b;
    path->GetBounds(b);
    EXPECT_NEAR(b.height, 110, 0.1);

    path->Transform(Matrix(2, 0, 0, 2, 0, 0));
    EXPECT_EQ(Points(*path)[3], PointF(20, 240));
    EXPECT_TRUE(path->HitPoint({20, 200}));
}

TEST(VemoPath, CloneCopiesTheShapeButNoEdit) {
    EditFixture f;
    f.path->SetName("track 7");
    f.path->Close();
    f.path->Select();
    f.path->PickHandle({100, 0}, 3);
    ASSERT_EQ(f.path->PickHandle({130, 0}, 3), 4);

    const std::unique_ptr<TVemoPath> copy = CloneOf(*f.path);
    EXPECT_EQ(copy->GetName(), "track 7");
    EXPECT_EQ(copy->GetFlags(), TVemoObject::FlagVisible);
    EXPECT_EQ(copy->GetLayer(), f.path->GetLayer());
    EXPECT_EQ(copy->GetSurface()->CompareTo(*f.path->GetSurface()), 0);
    EXPECT_EQ(Points(*copy), Points(*f.path));
    EXPECT_TRUE(copy->IsClosed());
    EXPECT_FALSE(copy->IsHandleMode());
    for (std::size_t i = 0; i < Types(*copy).size(); ++i)
        EXPECT_EQ(Types(*copy)[i], Types(*f.path)[i] & ~kSel) << i;
    EXPECT_EQ(copy->GetOutline(), f.path->GetOutline());

    // Editing the copy does not drag along nodes selected in the original.
    copy->PickHandle({200, 0}, 3);
    copy->MoveSelection(0, 10);
    EXPECT_EQ(Points(*copy)[3], PointF(100, 0));
    EXPECT_EQ(Points(*copy)[6], PointF(200, 10));
}

}  // namespace
