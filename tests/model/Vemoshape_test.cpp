#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "model/Vemodrawstyle.h"
#include "model/Vemoellipse.h"
#include "model/Vemographics.h"
#include "model/Vemolayer.h"
#include "model/Vemorectangle.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr float kEps = 1e-4f;
// Round joins are polygons inscribed in their arcs: the four corners of a stroked
// rectangle lose about 0.1 square units of the exact area.
constexpr double kJoinTolerance = 0.15;

TVemoLayerPtr Layer(int index = 0, Argb colour = 0xFF336699u) {
    auto layer = std::make_shared<TVemoLayer>(colour, "top");
    layer->SetIndex(index);
    return layer;
}

void ExpectPoint(PointF actual, PointF expected, const std::string& what) {
    EXPECT_NEAR(actual.x, expected.x, kEps) << what;
    EXPECT_NEAR(actual.y, expected.y, kEps) << what;
}

void ExpectHandles(const TVemoShape& shape, const std::vector<PointF>& expected, const std::string& what) {
    for (std::size_t i = 0; i < expected.size(); ++i)
        ExpectPoint(shape.GetHandle(int(i)), expected[i], what + ", handle " + std::to_string(i));
}

// A rectangle from a to b on its own layer with the given style.
std::unique_ptr<TVemoRect> MakeRect(PointF a, PointF b, const TVemoSurface& surface = TVemoSurface(),
                                    TVemoLayerPtr layer = Layer()) {
    auto rect = std::make_unique<TVemoRect>();
    rect->SetLayer(std::move(layer));
    rect->SetSurface(surface);
    rect->SetCorners(a, b);
    return rect;
}

std::unique_ptr<TVemoEllipse> MakeCircle(PointF centre, PointF q,
                                         const TVemoSurface& surface = TVemoSurface(),
                                         TVemoLayerPtr layer = Layer()) {
    auto ellipse = std::make_unique<TVemoEllipse>();
    ellipse->SetLayer(std::move(layer));
    ellipse->SetSurface(surface);
    ellipse->SetCircle(centre, q);
    return ellipse;
}

// Flags exactly one handle by picking it where it lies.
void Grab(TVemoShape& shape, int handle) {
    ASSERT_EQ(shape.PickHandle(shape.GetHandle(handle), 0.5f), 2);
    ASSERT_TRUE(shape.IsHandleSelected(handle));
}

TEST(VemoRect, SetCornersCentresThePlacement) {
    const auto rect = MakeRect({10, 10}, {30, 20});
    EXPECT_EQ(rect->GetTag(), "RECT");
    EXPECT_EQ(rect->GetName(), "Rectangle");
    EXPECT_TRUE(rect->IsSelected());
    EXPECT_EQ(rect->GetPlacement(), Matrix(1, 0, 0, 1, 20, 15));
    EXPECT_EQ(rect->GetInverse(), Matrix(1, 0, 0, 1, -20, -15));
    const TVemoShape::LocalPoints local{PointF(0, 0), PointF(-10, -5), PointF(10, -5), PointF(10, 5),
                                        PointF(-10, 5)};
    EXPECT_EQ(rect->GetLocalPoints(), local);
    const std::array<PointF, 6> world{PointF(20, 15), PointF(10, 10), PointF(30, 10),
                                      PointF(30, 20), PointF(10, 20), PointF(10, 10)};
    EXPECT_EQ(rect->GetWorldPoints(), world);
    EXPECT_EQ(rect->GetLocalBounds(), RectF(-10, -5, 20, 10));

    // Bounds hold the stroke (width 1, round joins) around the corners.
    RectF bounds;
    rect->GetBounds(bounds);
    EXPECT_NEAR(bounds.x, 9.5f, 0.01f);
    EXPECT_NEAR(bounds.y, 9.5f, 0.01f);
    EXPECT_NEAR(bounds.Right(), 30.5f, 0.01f);
    EXPECT_NEAR(bounds.Bottom(), 20.5f, 0.01f);
}

TEST(VemoRect, CornerDragKeepsTheOppositeCorner) {
    struct Row {
        int handle;
        TVemoShape::LocalPoints local;
    };
    // Each corner of the (10,10)-(30,20) rectangle dragged by (-2, -2).
    const Row rows[] = {
        {1, {PointF(-1, -1), PointF(-12, -7), PointF(10, -7), PointF(10, 5), PointF(-12, 5)}},
        {2, {PointF(-1, -1), PointF(-10, -7), PointF(8, -7), PointF(8, 5), PointF(-10, 5)}},
        {3, {PointF(-1, -1), PointF(-10, -5), PointF(8, -5), PointF(8, 3), PointF(-10, 3)}},
        {4, {PointF(-1, -1), PointF(-12, -5), PointF(10, -5), PointF(10, 3), PointF(-12, 3)}},
    };
    for (const Row& row : rows) {
        const std::string name = "handle " + std::to_string(row.handle);
        const auto rect = MakeRect({10, 10}, {30, 20});
        Grab(*rect, row.handle);
        rect->MoveSelection(-2, -2);
        EXPECT_EQ(rect->GetLocalPoints(), row.local) << name;
        EXPECT_EQ(rect->GetPlacement(), Matrix(1, 0, 0, 1, 20, 15)) << name;
    }

    const auto rect = MakeRect({10, 10}, {30, 20});
    Grab(*rect, 1);
    rect->MoveSelection(-2, -2);
    ExpectHandles(*rect, {{19, 14}, {8, 8}, {30, 8}, {30, 20}, {8, 20}}, "after dragging corner 1");
    // The hit area follows the new corner.
    EXPECT_TRUE(rect->HitPoint({8.2f, 8.2f}));
}

TEST(VemoRect, DragOnRotatedRectangleFollowsItsOwnAxes) {
    const auto rect = MakeRect({10, 10}, {30, 20});
    rect->Rotate(90, {20, 15});
    EXPECT_EQ(rect->GetLocalPoints()[1], PointF(-10, -5)) << "rotation changes only the placement";
    ExpectHandles(*rect, {{20, 15}, {25, 5}, {25, 25}, {15, 25}, {15, 5}}, "rotated");

    Grab(*rect, 1);
    rect->MoveSelection(-2, -1);
    // The own-frame delta is (-1, 2): the dragged corner follows the pointer, its
    // neighbours slide along the rotated edges and the opposite corner stays.
    ExpectPoint(rect->GetLocalPoints()[1], {-11, -3}, "local corner 1");
    ExpectHandles(*rect, {{19, 14.5f}, {23, 4}, {23, 25}, {15, 25}, {15, 4}}, "rotated, dragged");
}

TEST(VemoEllipse, SetCircleAndAxisHandles) {
    const auto ellipse = MakeCircle({0, 0}, {3, 4});
    EXPECT_EQ(ellipse->GetTag(), "ELPS");
    EXPECT_EQ(ellipse->GetName(), "Ellipse");
    EXPECT_TRUE(ellipse->IsSelected());
    const TVemoShape::LocalPoints local{PointF(0, 0), PointF(5, 0), PointF(0, 5), PointF(-5, 0),
                                        PointF(0, -5)};
    EXPECT_EQ(ellipse->GetLocalPoints(), local);
    const auto& world = ellipse->GetWorldPoints();
    ExpectPoint(world[2], {5, 0.5522847498f * 5}, "world point 2");
    ExpectPoint(world[6], {-5, 0.5522847498f * 5}, "world point 6");
    ExpectPoint(world[12], {5, -0.5522847498f * 5}, "world point 12");
    EXPECT_EQ(world[13], world[1]);
    ExpectHandles(*ellipse, {{0, 0}, {5, 0}, {0, 5}, {-5, 0}, {0, -5}}, "circle");

    const auto moved = MakeCircle({100, 50}, {100, 52});
    ExpectHandles(*moved, {{100, 50}, {102, 50}, {100, 52}, {98, 50}, {100, 48}}, "placed circle");
}

TEST(VemoEllipse, HandleDragKeepsTheEllipseSymmetric) {
    struct Row {
        int handle;
        TVemoShape::LocalPoints local;
    };
    // Each axis handle of the radius-5 circle dragged by (1, 1): only the handle's own axis moves.
    const Row rows[] = {
        {1, {PointF(0, 0), PointF(6, 0), PointF(0, 5), PointF(-6, 0), PointF(0, -5)}},
        {2, {PointF(0, 0), PointF(5, 0), PointF(0, 6), PointF(-5, 0), PointF(0, -6)}},
        {3, {PointF(0, 0), PointF(4, 0), PointF(0, 5), PointF(-4, 0), PointF(0, -5)}},
        {4, {PointF(0, 0), PointF(5, 0), PointF(0, 4), PointF(-5, 0), PointF(0, -4)}},
    };
    for (const Row& row : rows) {
        const auto ellipse = MakeCircle({0, 0}, {3, 4});
        Grab(*ellipse, row.handle);
        ellipse->MoveSelection(1, 1);
        EXPECT_EQ(ellipse->GetLocalPoints(), row.local) << "handle " << row.handle;
    }
}

TEST(VemoShape, CentreHandleAndWholeObjectTransformsMoveThePlacementOnly) {
    std::vector<std::unique_ptr<TVemoShape>> shapes;
    shapes.push_back(MakeRect({10, 10}, {30, 20}));
    shapes.push_back(MakeCircle({20, 15}, {25, 15}));
    for (const auto& shape : shapes) {
        const std::string name(shape->GetTag());
        const TVemoShape::LocalPoints local = shape->GetLocalPoints();
        RectF before;
        shape->GetBounds(before);

        EXPECT_EQ(shape->SelectAllAnchors(), 1) << name;
        EXPECT_TRUE(shape->IsHandleSelected(0)) << name;
        shape->MoveSelection(5, 0);
        RectF after;
        shape->GetBounds(after);
        EXPECT_EQ(shape->GetLocalPoints(), local) << name;
        EXPECT_EQ(shape->GetPlacement(), Matrix(1, 0, 0, 1, 25, 15)) << name;
        EXPECT_NEAR(after.x, before.x + 5, kEps) << name;
        EXPECT_NEAR(after.width, before.width, kEps) << name;

        shape->Translate(-5, 1);
        shape->Rotate(90, {20, 16});
        Matrix mirror(-1, 0, 0, 1, 40, 0);  // x -> 40 - x
        shape->Transform(mirror);
        EXPECT_EQ(shape->GetLocalPoints(), local) << name;
        Matrix expected(1, 0, 0, 1, 20, 16);
        expected.RotateAt(90, {20, 16});
        expected.Multiply(mirror);
        EXPECT_EQ(shape->GetPlacement(), expected) << name;
        ExpectPoint(shape->GetHandle(0), {20, 16}, name + " centre");
        Matrix inverse = expected;
        ASSERT_TRUE(inverse.Invert());
        EXPECT_EQ(shape->GetInverse(), inverse) << name;
    }
}

TEST(VemoShape, PickingFlagsOnlyTheFirstHandle) {
    DrawStyle().Reset();
    // A 2 x 2 rectangle: a box of 3 pixels around its centre holds every handle.
    const auto tiny = MakeRect({0, 0}, {2, 2});
    EXPECT_EQ(tiny->PickHandle({1, 1}, 3), 2);
    EXPECT_TRUE(tiny->IsEditingPoints());
    for (int i = 0; i < 5; ++i) EXPECT_EQ(tiny->IsHandleSelected(i), i == 0) << "pick, handle " << i;
    EXPECT_EQ(tiny->SelectAnchorsInRect(RectF(-5, -5, 10, 10)), 2);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(tiny->IsHandleSelected(i), i == 0) << "rect, handle " << i;

    const auto rect = MakeRect({10, 10}, {30, 20});
    EXPECT_EQ(rect->PickHandle({30.5f, 19.5f}, 1), 2);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(rect->IsHandleSelected(i), i == 3) << "corner 3, handle " << i;
    EXPECT_EQ(rect->HitSelectedAnchor({30, 20}, 1), 2);
    EXPECT_EQ(rect->HitSelectedAnchor({10, 10}, 1), 0) << "handle 1 is not flagged";

    // Rectangle rows: the box's bottom-right edge is open (half-open containment).
    EXPECT_EQ(rect->SelectAnchorsInRect(RectF(25, 5, 5, 10)), 0) << "corner 2 on the open edge";
    EXPECT_FALSE(rect->IsHandleSelected(3)) << "selecting in a rectangle clears the old flags";
    EXPECT_EQ(rect->SelectAnchorsInRect(RectF(25, 5, 6, 10)), 2);
    EXPECT_TRUE(rect->IsHandleSelected(2));
    EXPECT_EQ(rect->AnchorsInRect(RectF(25, 5, 5, 10)), 0);
    EXPECT_EQ(rect->AnchorsInRect(RectF(19, 14, 2, 2)), 2);

    // Off every handle: the outline, or nothing; both clear the handle flags.
    rect->ClearFlags(TVemoObject::FlagEditingPoints);
    EXPECT_EQ(rect->HitHandle({20, 10}, 1), 1);
    EXPECT_EQ(rect->PickHandle({20, 10}, 1), 1);
    EXPECT_TRUE(rect->IsEditingPoints());
    EXPECT_FALSE(rect->IsHandleSelected(2));
    Grab(*rect, 4);
    EXPECT_EQ(rect->HitHandle({20, 40}, 1), 0);
    EXPECT_EQ(rect->PickHandle({20, 40}, 1), 0);
    EXPECT_FALSE(rect->IsHandleSelected(4));
    rect->MoveSelection(3, 3);
    EXPECT_EQ(rect->GetPlacement(), Matrix(1, 0, 0, 1, 20, 15)) << "nothing flagged, nothing moves";
    EXPECT_EQ(rect->GetLocalPoints()[3], PointF(10, 5));

    // Selecting ends point editing.
    Grab(*rect, 4);
    rect->Select();
    EXPECT_FALSE(rect->IsEditingPoints());
    EXPECT_FALSE(rect->IsHandleSelected(4));
    Grab(*rect, 4);
    rect->DeselectAnchors();
    EXPECT_FALSE(rect->IsHandleSelected(4));
}

TEST(VemoShape, HitTestsFollowTheOutline) {
    // An unfilled rectangle with a pen of width 2 (band 9..11 along x = 10) and a filled one.
    const auto open = MakeRect({10, 10}, {30, 20}, TVemoSurface(2.0f, false, false));
    const auto solid = MakeRect({10, 10}, {30, 20}, TVemoSurface(2.0f, true, false));
    GraphicsPath probe(geom::FillMode::Winding);
    probe.AddRectangle(RectF(18, 14, 4, 2));
    const RectF probeBounds = probe.GetBounds();

    struct Row {
        const char* name;
        PointF point;
        bool open, solid;
    };
    const Row rows[] = {
        {"centre", {20, 15}, false, true},
        {"inner half of the band", {10.5f, 15}, true, true},
        {"outer half of the band", {9.2f, 15}, true, true},
        {"outside", {8.5f, 15}, false, false},
        {"beyond the rounded corner", {9.2f, 9.2f}, false, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(open->HitPoint(row.point), row.open) << row.name;
        EXPECT_EQ(solid->HitPoint(row.point), row.solid) << row.name;
    }
    EXPECT_FALSE(open->HitRect(RectF(15, 13, 10, 4), nullptr)) << "inside the hole";
    EXPECT_TRUE(open->HitRect(RectF(5, 13, 5, 4), nullptr)) << "across the band";
    EXPECT_FALSE(open->HitRect(RectF(40, 13, 5, 4), nullptr));
    EXPECT_TRUE(solid->HitRect(RectF(15, 13, 10, 4), nullptr));
    EXPECT_FALSE(open->HitPath(probe, probeBounds, nullptr));
    EXPECT_TRUE(solid->HitPath(probe, probeBounds, nullptr));

    solid->Deselect();
    EXPECT_FALSE(solid->HitSelected({20, 15}));
    EXPECT_TRUE(solid->SelectAt({20, 15}));
    EXPECT_TRUE(solid->HitSelected({20, 15}));
    solid->Deselect();
    EXPECT_FALSE(solid->SelectAt({50, 15}));
    EXPECT_FALSE(solid->IsSelected());

    solid->GetLayer()->SetVisible(false);
    EXPECT_TRUE(solid->HitPoint({20, 15}));
    EXPECT_FALSE(solid->SelectAt({20, 15})) << "a hidden layer counts as locked";
    EXPECT_FALSE(solid->SelectInRect(RectF(15, 13, 10, 4), nullptr));
    EXPECT_FALSE(solid->IsSelected());
}

TEST(VemoShape, OutlineAreas) {
    struct Row {
        const char* name;
        std::unique_ptr<TVemoShape> shape;
        double area;
        float flatness;
        double tolerance;
    };
    // Rectangle 20 x 10, pen 2 with round joins: outer 22 x 12 less the corners
    // plus a circle of radius 1; the hole is 18 x 8.
    const double outer = 200.0 + 2.0 * 30.0 + kPi;
    Row rows[] = {
        {"filled, stroked rectangle", MakeRect({10, 10}, {30, 20}, TVemoSurface(2, true, false)), outer,
         0.25f, kJoinTolerance},
        {"stroked rectangle", MakeRect({10, 10}, {30, 20}, TVemoSurface(2, false, false)), outer - 144.0,
         0.25f, kJoinTolerance},
        {"filled rectangle without pen", MakeRect({10, 10}, {30, 20}, TVemoSurface(0, true, false)), 200.0,
         0.25f, 1e-3},
        {"filled circle without pen", MakeCircle({0, 0}, {3, 4}, TVemoSurface(0, true, false)), kPi * 25.0,
         0.001f, 0.05},
    };
    for (const Row& row : rows) {
        const GraphicsPath& outline = row.shape->GetOutline();
        EXPECT_EQ(outline.GetFillMode(), geom::FillMode::Winding) << row.name;
        EXPECT_NEAR(geom::AreaOf(outline, row.flatness), row.area, row.tolerance) << row.name;
    }
}

// Every point of the row lies in the shape's area.
void ExpectSolidAlong(const TVemoShape& shape, PointF from, PointF to, const std::string& name) {
    constexpr int kSteps = 200;
    int holes = 0;
    for (int i = 0; i <= kSteps; ++i) {
        const float t = float(i) / kSteps;
        const PointF p(from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t);
        if (!shape.HitPoint(p)) ++holes;
    }
    EXPECT_EQ(holes, 0) << name;
}

TEST(VemoShape, FillNeverCancelsTheStrokeWhateverTheOrientation) {
    const TVemoSurface filled(2, true, false);
    const double expected = 200.0 + 2.0 * 30.0 + kPi;
    struct Row {
        const char* name;
        std::unique_ptr<TVemoShape> shape;
    };
    Row rows[] = {
        {"corners in order", MakeRect({10, 10}, {30, 20}, filled)},
        {"corners reversed", MakeRect({30, 20}, {10, 10}, filled)},
        {"corners top-right first", MakeRect({30, 10}, {10, 20}, filled)},
        {"mirrored placement", MakeRect({10, 10}, {30, 20}, filled)},
        {"corner dragged across", MakeRect({10, 10}, {30, 20}, filled)},
    };
    rows[3].shape->Transform(Matrix(-1, 0, 0, 1, 40, 0));
    Grab(*rows[4].shape, 1);
    rows[4].shape->MoveSelection(40, 0);  // corner 1 from x = 10 to x = 50: spans 30..50
    rows[4].shape->Translate(-20, 0);
    for (const Row& row : rows) {
        ExpectSolidAlong(*row.shape, {9.1f, 15}, {30.9f, 15}, std::string(row.name) + ", across");
        ExpectSolidAlong(*row.shape, {20, 9.1f}, {20, 20.9f}, std::string(row.name) + ", down");
        EXPECT_NEAR(geom::AreaOf(row.shape->GetOutline()), expected, kJoinTolerance) << row.name;
    }

    // An ellipse whose axis handle is dragged through its centre runs the other way round.
    const auto straight = MakeCircle({0, 0}, {5, 0}, filled);
    const auto flipped = MakeCircle({0, 0}, {5, 0}, filled);
    Grab(*straight, 1);
    straight->MoveSelection(10, 0);  // rx 15
    Grab(*flipped, 1);
    flipped->MoveSelection(-20, 0);  // rx -15
    EXPECT_EQ(flipped->GetLocalPoints()[1], PointF(-15, 0));
    ExpectSolidAlong(*flipped, {-15.9f, 0}, {15.9f, 0}, "flipped ellipse, across");
    ExpectSolidAlong(*flipped, {0, -5.9f}, {0, 5.9f}, "flipped ellipse, down");
    EXPECT_NEAR(geom::AreaOf(flipped->GetOutline()), geom::AreaOf(straight->GetOutline()), 0.5);
}

TEST(VemoShape, AddOutlineOnItsLayerPassOnly) {
    const auto rect = MakeRect({10, 10}, {30, 20}, TVemoSurface(2, true, false), Layer(3));
    const auto other = MakeRect({25, 10}, {45, 20}, TVemoSurface(2, true, false), Layer(3));

    GraphicsPath merged(geom::FillMode::Winding);
    rect->AddOutline(merged, 2);
    EXPECT_TRUE(merged.IsEmpty()) << "another layer's pass";
    rect->AddOutline(merged, 3);
    other->AddOutline(merged, 3);
    // Two 22 x 12 areas overlapping by 7 x 12 less four rounded corners.
    const double one = 200.0 + 60.0 + kPi;
    EXPECT_NEAR(geom::AreaOf(merged), 2 * one - (7.0 * 12.0 - 4.0 * (1.0 - kPi / 4.0)), 0.3);

    GraphicsPath hidden(geom::FillMode::Winding);
    rect->ClearFlags(TVemoObject::FlagVisible);
    rect->AddOutline(hidden, 3);
    EXPECT_TRUE(hidden.IsEmpty()) << "invisible objects add nothing";
}

// Records what an object painted.
class TRecordingGraphics : public TVemoGraphics {
public:
    struct Call {
        std::string kind;
        RectF rect;
        Argb colour;
        float width;
    };
    void FillPath(const GraphicsPath& p, Argb c) override {
        calls.push_back({"fill path", p.GetBounds(), c, 0});
    }
    void StrokePath(const GraphicsPath& p, const Pen& pen) override {
        calls.push_back({"stroke path", p.GetBounds(), pen.colour, pen.width});
    }
    void FillRect(RectF r, Argb c) override { calls.push_back({"fill rect", r, c, 0}); }
    void StrokeRect(RectF r, const Pen& pen) override {
        calls.push_back({"stroke rect", r, pen.colour, pen.width});
    }
    void FillEllipse(RectF r, Argb c) override { calls.push_back({"fill ellipse", r, c, 0}); }
    void StrokeEllipse(RectF r, const Pen& pen) override {
        calls.push_back({"stroke ellipse", r, pen.colour, pen.width});
    }
    void DrawLine(PointF, PointF, const Pen& pen) override {
        calls.push_back({"line", {}, pen.colour, pen.width});
    }
    std::vector<Call> calls;
};

TEST(VemoShape, DrawDecorationsShowFigureAndHandles) {
    DrawStyle().SetZoom(2.0f);  // pixel 0.5: squares of side 2
    const auto rect = MakeRect({10, 10}, {30, 20});
    const auto ellipse = MakeCircle({0, 0}, {5, 0});
    const Argb contrast = rect->GetLayer()->GetContrastColour();

    TRecordingGraphics idle;
    rect->Deselect();
    rect->DrawDecorations(&idle);
    EXPECT_TRUE(idle.calls.empty()) << "neither selected nor editing";

    TRecordingGraphics selected;
    rect->Select();
    rect->DrawDecorations(&selected);
    ellipse->DrawDecorations(&selected);
    ASSERT_EQ(selected.calls.size(), 2u);
    EXPECT_EQ(selected.calls[0].kind, "stroke path");
    EXPECT_EQ(selected.calls[0].rect, RectF(10, 10, 20, 10)) << "the figure, not the stroke outline";
    EXPECT_EQ(selected.calls[0].colour, contrast);
    EXPECT_FLOAT_EQ(selected.calls[0].width, 0.5f);
    EXPECT_EQ(selected.calls[1].kind, "stroke path");
    EXPECT_EQ(selected.calls[1].rect, RectF(-5, -5, 10, 10)) << "the Bezier points of the ellipse";

    TRecordingGraphics editing;
    Grab(*rect, 2);
    rect->DrawDecorations(&editing);
    ASSERT_EQ(editing.calls.size(), 6u);
    EXPECT_EQ(editing.calls[0].kind, "stroke path");
    const PointF handles[] = {{20, 15}, {10, 10}, {30, 10}, {30, 20}, {10, 20}};
    for (int i = 0; i < 5; ++i) {
        const auto& call = editing.calls[std::size_t(i) + 1];
        EXPECT_EQ(call.kind, i == 2 ? "fill rect" : "stroke rect") << "handle " << i;
        EXPECT_EQ(call.rect, RectF(handles[i].x - 1, handles[i].y - 1, 2, 2)) << "handle " << i;
        EXPECT_EQ(call.colour, contrast) << "handle " << i;
    }

    // The body is painted on its layer's pass only.
    TRecordingGraphics body;
    rect->DrawFill(&body, 0);
    rect->DrawFill(&body, 1);
    rect->DrawMask(&body, 0);
    ASSERT_EQ(body.calls.size(), 2u);
    EXPECT_EQ(body.calls[0].kind, "fill path");
    EXPECT_EQ(body.calls[0].colour, rect->GetSurface()->GetBrush().colour);
    EXPECT_EQ(body.calls[1].colour, DrawStyle().GetColour(dcMaskInk));
    DrawStyle().Reset();
}

TEST(VemoShape, CloneAndSetData) {
    const auto rect = MakeRect({10, 10}, {30, 20}, TVemoSurface(2, true, false));
    rect->SetName("board edge");
    rect->Rotate(30, {0, 0});
    Grab(*rect, 3);
    const std::unique_ptr<TVemoRect> copy = CloneOf(*rect);
    EXPECT_EQ(copy->GetName(), "board edge");
    EXPECT_EQ(copy->GetFlags(), TVemoObject::FlagVisible);
    EXPECT_EQ(copy->GetLayer(), rect->GetLayer());
    EXPECT_EQ(copy->GetSurface()->CompareTo(*rect->GetSurface()), 0);
    EXPECT_EQ(copy->GetLocalPoints(), rect->GetLocalPoints());
    EXPECT_EQ(copy->GetPlacement(), rect->GetPlacement());
    EXPECT_EQ(copy->GetInverse(), rect->GetInverse());
    EXPECT_TRUE(copy->IsHandleSelected(3));
    EXPECT_EQ(copy->GetOutline(), rect->GetOutline()) << "the copy is rebuilt";

    const auto ellipse = MakeCircle({0, 0}, {1, 0});
    const std::unique_ptr<TVemoEllipse> ellipseCopy = CloneOf(*ellipse);
    EXPECT_EQ(ellipseCopy->GetWorldPoints(), ellipse->GetWorldPoints());

    // The archive reader hands over points and placement; the shape rebuilds.
    TVemoEllipse loaded;
    loaded.SetLayer(Layer());
    const TVemoShape::LocalPoints axes{PointF(0, 0), PointF(4, 0), PointF(0, 2), PointF(-4, 0),
                                       PointF(0, -2)};
    loaded.SetData(axes, Matrix(1, 0, 0, 1, 10, 10));
    EXPECT_EQ(loaded.GetLocalPoints(), axes);
    EXPECT_EQ(loaded.GetLocalBounds(), RectF(-4, -2, 8, 4));
    ExpectHandles(loaded, {{10, 10}, {14, 10}, {10, 12}, {6, 10}, {10, 8}}, "loaded");
    EXPECT_EQ(loaded.GetInverse(), Matrix(1, 0, 0, 1, -10, -10));
    EXPECT_TRUE(loaded.HitPoint({13.9f, 10})) << "the stroke of the loaded ellipse";
    // The undo pool keeps an object only when its record gives back the same bits.
    EXPECT_TRUE(loaded.HasData(axes, Matrix(1, 0, 0, 1, 10, 10)));
    TVemoShape::LocalPoints signedZero = axes;
    signedZero[1].y = -0.0f;
    EXPECT_FALSE(loaded.HasData(signedZero, Matrix(1, 0, 0, 1, 10, 10))) << "-0 in a point";
    EXPECT_FALSE(loaded.HasData(axes, Matrix(1, -0.0f, 0, 1, 10, 10))) << "-0 in the placement";
    EXPECT_FALSE(loaded.HasData(axes, Matrix(1, 0, 0, 1, 10, 10.001f)));
}

TEST(VemoShape, CollapsedPlacementIgnoresHandleDrags) {
    const auto rect = MakeRect({10, 10}, {30, 20});
    Grab(*rect, 2);
    rect->Transform(Matrix(0, 0, 0, 0, 5, 5));  // everything onto (5, 5)
    rect->MoveSelection(1, 1);
    EXPECT_EQ(rect->GetLocalPoints()[2], PointF(10, -5)) << "no own-frame delta exists";
    rect->SelectAllAnchors();
    rect->MoveSelection(1, 1);
    ExpectPoint(rect->GetHandle(0), {6, 6}, "the centre still moves");
}

}  // namespace
