#include "model/Vemoinstance.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/Vemodrawstyle.h"
#include "model/Vemographics.h"
#include "model/Vemolayerlist.h"
#include "model/Vemoobjectvisitor.h"

namespace {

// An axis-parallel box: the smallest instance that answers the hit tests.
class TTestBox : public TVemoInstance {
public:
    explicit TTestBox(RectF rect = RectF(0, 0, 10, 10)) : TVemoInstance("Box"), rect_(rect) {}
    TTestBox(const TTestBox&) = default;

    TTestBox* Clone() const override { return new TTestBox(*this); }
    std::string_view GetTag() const override { return "TBOX"; }
    void Rebuild() override {
        ++rebuilds;
        ApplyLayerColour();
        outline_.Reset();
        outline_.AddRectangle(rect_);
    }
    void DrawFill(TVemoGraphics* g, int layerIndex) const override {
        DrawOutlineFill(g, layerIndex, outline_);
    }
    void DrawDecorations(TVemoGraphics*) const override {}
    void DrawMask(TVemoGraphics* g, int layerIndex) const override {
        DrawOutlineMask(g, layerIndex, outline_);
    }
    bool HitPoint(PointF p) const override { return rect_.Contains(p); }
    bool HitRect(const RectF& r, TVemoGraphics*) const override { return rect_.IntersectsWith(r); }
    bool HitPath(const GraphicsPath&, const RectF& bounds, TVemoGraphics*) const override {
        return rect_.IntersectsWith(bounds);
    }
    bool HitSelected(PointF p) const override { return IsSelected() && HitPoint(p); }
    int HitHandle(PointF, float) const override { return 0; }
    int AnchorsInRect(const RectF&) const override { return 0; }
    int HitSelectedAnchor(PointF, float) const override { return 0; }
    int PickHandle(PointF, float) override { return 0; }
    int SelectAnchorsInRect(const RectF&) override { return 0; }
    int SelectAllAnchors() override { return 1; }
    void DeselectAnchors() override { ++anchorResets; }
    void Transform(const Matrix&) override {}
    void Translate(float, float) override {}
    void Rotate(float, PointF) override {}

    int rebuilds = 0;
    int anchorResets = 0;

private:
    RectF rect_;
    GraphicsPath outline_;
};

TVemoLayerPtr Layer(const std::string& name, int index = 0, Argb colour = 0xFFFF0000u) {
    auto layer = std::make_shared<TVemoLayer>(colour, name);
    layer->SetIndex(index);
    return layer;
}

TEST(VemoInstance, AssignBaseAndCopyResetFlags) {
    TTestBox source;
    source.SetName("pad 1");
    source.SetFlags(TVemoObject::FlagSelected | TVemoObject::FlagLocked | TVemoObject::FlagEditingPoints);
    source.SetLayer(Layer("top"));
    TVemoSurface thin(0.5f, true, true);
    source.SetSurface(thin);

    TTestBox target;
    target.AssignBase(source);
    EXPECT_EQ(target.GetName(), "pad 1");
    EXPECT_EQ(target.GetFlags(), 0x2);

    TTestBox parent;
    source.SetParent(&parent);
    const std::unique_ptr<TTestBox> copy = CloneOf(source);
    EXPECT_EQ(copy->GetName(), "pad 1");
    EXPECT_EQ(copy->GetFlags(), 0x2);
    EXPECT_EQ(copy->GetLayer(), source.GetLayer());
    EXPECT_EQ(copy->GetSurface()->CompareTo(thin), 0);
    EXPECT_EQ(copy->GetParent(), nullptr);
}

TEST(VemoInstance, SelectAtRespectsLocking) {
    struct Row {
        const char* name;
        bool layerVisible;
        bool layerLocked;
        bool ownLock;
        PointF point;
        bool selected;
    };
    const Row rows[] = {
        {"inside, free", true, false, false, {5, 5}, true},
        {"outside", true, false, false, {15, 5}, false},
        {"hidden layer counts as locked", false, false, false, {5, 5}, false},
        {"locked layer", true, true, false, {5, 5}, false},
        {"own lock", true, false, true, {5, 5}, false},
    };
    for (const Row& row : rows) {
        TTestBox box;
        const TVemoLayerPtr layer = Layer("top");
        layer->SetVisible(row.layerVisible);
        layer->SetLocked(row.layerLocked);
        box.SetLayer(layer);
        if (row.ownLock) box.SetFlags(TVemoObject::FlagLocked);
        box.SetFlags(TVemoObject::FlagEditingPoints);

        EXPECT_EQ(box.SelectAt(row.point), row.selected) << row.name;
        EXPECT_EQ(box.IsSelected(), row.selected) << row.name;
        EXPECT_EQ(box.IsLocked(), !row.layerVisible || row.layerLocked || row.ownLock) << row.name;
        EXPECT_FALSE(box.IsEditingPoints()) << row.name;
        EXPECT_EQ(box.anchorResets, 1) << row.name;

        TTestBox other;
        other.SetLayer(layer);
        if (row.ownLock) other.SetFlags(TVemoObject::FlagLocked);
        EXPECT_EQ(other.SelectInRect(RectF(row.point.x, row.point.y, 1, 1), nullptr), row.selected)
            << row.name;
    }
}

TEST(VemoInstance, IsAboveByLayerIndexElseOwnCutOut) {
    struct Row {
        const char* name;
        int mine;
        int theirs;
        bool cutOut;
        bool above;
    };
    const Row rows[] = {
        {"3 over 5", 3, 5, false, true},
        {"5 under 3", 5, 3, false, false},
        {"5 over 3 when cutting out", 5, 3, true, true},
        {"same layer", 4, 4, false, false},
    };
    for (const Row& row : rows) {
        TTestBox me, them;
        me.SetLayer(Layer("a", row.mine));
        them.SetLayer(Layer("b", row.theirs));
        me.SetSurface(TVemoSurface(1.0f, false, row.cutOut));
        EXPECT_EQ(me.IsAbove(them), row.above) << row.name;
    }
}

TEST(VemoInstance, CutOutComesFromLayerOrSurface) {
    TTestBox box;
    const TVemoLayerPtr layer = Layer("top");
    box.SetLayer(layer);
    EXPECT_FALSE(box.IsCutOut());
    layer->SetCutOut(true);
    EXPECT_TRUE(box.IsCutOut());
    layer->SetCutOut(false);
    box.GetSurface()->SetCutOut(true);
    EXPECT_TRUE(box.IsCutOut());
}

TEST(VemoInstance, SettersRebuildInLayerColour) {
    TTestBox box;
    box.SetLayer(Layer("top", 0, 0xFF00FF00u));
    EXPECT_EQ(box.rebuilds, 1);
    EXPECT_EQ(box.GetSurface()->GetBrush().colour, 0x5A00FF00u);
    box.SetSurface(TVemoSurface(2.0f, false, true));
    EXPECT_EQ(box.rebuilds, 2);
    EXPECT_EQ(box.GetSurface()->GetBrush().colour, 0xFFFFFFFFu);
    EXPECT_FLOAT_EQ(box.GetSurface()->GetWidth(), 2.0f);
}

TEST(VemoInstance, RebindLayerByName) {
    TVemoLayerList list;
    list.Insert(Layer("bottom"));
    list.Insert(Layer("top", 0, 0xFF00FF00u));

    TTestBox box;
    box.SetLayer(Layer("top"));  // a same-named layer of another document
    box.rebuilds = 0;
    box.RebindLayer(list);
    EXPECT_EQ(box.GetLayer(), list.Find("top"));
    // The outline does not depend on the layer: only the colour is taken anew.
    EXPECT_EQ(box.rebuilds, 0);
    EXPECT_EQ(box.GetSurface()->GetBrush().colour, list.Find("top")->GetEffectiveColour());

    const TVemoLayerPtr other = Layer("other");
    box.SetLayer(other);
    box.rebuilds = 0;
    box.RebindLayer(list);
    EXPECT_EQ(box.GetLayer(), other);
    EXPECT_EQ(box.rebuilds, 0);
}

// Records what an object painted.
class TRecordingGraphics : public TVemoGraphics {
public:
    struct Call {
        std::string kind;
        Argb colour;
        float width;
    };
    void FillPath(const GraphicsPath&, Argb c) override { calls.push_back({"fill", c, 0}); }
    void StrokePath(const GraphicsPath&, const Pen& p) override {
        calls.push_back({"stroke", p.colour, p.width});
    }
    void FillRect(RectF, Argb) override { calls.push_back({"rect", 0, 0}); }
    void StrokeRect(RectF, const Pen&) override { calls.push_back({"rect", 0, 0}); }
    void FillEllipse(RectF, Argb) override { calls.push_back({"ellipse", 0, 0}); }
    void StrokeEllipse(RectF, const Pen&) override { calls.push_back({"ellipse", 0, 0}); }
    void DrawLine(PointF, PointF, const Pen&) override { calls.push_back({"line", 0, 0}); }
    std::vector<Call> calls;
};

TEST(VemoInstance, WireFrameRuleForFillAndMask) {
    struct Row {
        const char* name;
        bool wireFrame;
        bool cutOut;
        bool layerCutOut;
        bool mask;
        std::string kind;
        Argb colour;
    };
    const Row rows[] = {
        {"fill", false, false, false, false, "fill", 0x5A102030u},
        {"fill on wire-frame layer", true, false, false, false, "stroke", 0xFF102030u},
        {"mask", false, false, false, true, "fill", 0xFF000001u},
        {"mask of cut-out style", false, true, false, true, "fill", 0xFFFFFFFEu},
        {"mask on cut-out layer", false, false, true, true, "fill", 0xFFFFFFFEu},
        {"mask on wire-frame layer", true, true, false, true, "stroke", 0xFF000001u},
    };
    DrawStyle().SetZoom(4.0f);
    DrawStyle().SetColour(dcMaskInk, 0xFF000001u);
    DrawStyle().SetColour(dcMaskPaper, 0xFFFFFFFEu);
    for (const Row& row : rows) {
        TTestBox box;
        const TVemoLayerPtr layer = Layer("top", 2, 0xFF102030u);
        layer->SetWireFrame(row.wireFrame);
        layer->SetCutOut(row.layerCutOut);
        box.SetLayer(layer);
        box.GetSurface()->SetCutOut(row.cutOut);
        TRecordingGraphics g;
        for (int pass : {1, 2}) {
            if (row.mask)
                box.DrawMask(&g, pass);
            else
                box.DrawFill(&g, pass);
        }
        ASSERT_EQ(g.calls.size(), 1u) << row.name << ": only the pass of the object's layer paints";
        EXPECT_EQ(g.calls[0].kind, row.kind) << row.name;
        EXPECT_EQ(g.calls[0].colour, row.colour) << row.name;
        if (row.kind == "stroke") {
            EXPECT_FLOAT_EQ(g.calls[0].width, 0.25f) << row.name;
        }

        box.ClearFlags(TVemoObject::FlagVisible);
        box.DrawFill(&g, 2);
        box.DrawMask(&g, 2);
        box.DrawFill(nullptr, 2);
        EXPECT_EQ(g.calls.size(), 1u) << row.name << ": invisible objects do not paint";
    }
    DrawStyle().Reset();
}

// Collects the objects it visits.
class TCollector : public TVemoObjectVisitor {
public:
    void Visit(TVemoObject* object) override { seen.push_back(object); }
    void Clear() override { seen.clear(); }
    void ForEachDeep(TVemoObjectVisitor&) override {}
    void ForEachShallow(TVemoObjectVisitor&) override {}
    std::vector<TVemoObject*> seen;
};

TEST(VemoObject, DefaultsOfTheBase) {
    TTestBox box;
    TCollector visitor;
    box.Accept(visitor);
    box.AcceptDeep(visitor);
    EXPECT_EQ(visitor.seen, (std::vector<TVemoObject*>{&box, &box}));

    EXPECT_EQ(box.GetFlags(), 0x2);
    EXPECT_EQ(box.GetName(), "Box");
    box.SetFlags(0x1 | 0x8);
    EXPECT_TRUE(box.TestFlags(0x8));
    box.ClearFlags(0x8);
    EXPECT_EQ(box.GetFlags(), 0x3);
    box.Deselect();
    EXPECT_FALSE(box.IsSelected());

    RectF bounds(1, 2, 3, 4);
    box.GetBounds(bounds);
    EXPECT_EQ(bounds, RectF(1, 2, 3, 4));
    EXPECT_FALSE(box.GetLayer());
}

}  // namespace
