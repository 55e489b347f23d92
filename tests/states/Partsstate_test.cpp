// The pad, library and parts tools, driven through the context with the fake
// windows on a real document.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <typeinfo>
#include <vector>

#include "history/Vemomemento.h"
#include "model/Vemogroup.h"
#include "model/Vemolayer.h"
#include "states/Vemotoolstates.h"
#include "tests/states/Gesturefixture.h"

namespace {

class PartsToolTest : public GestureTest {
protected:
    void SnapTo(double pitch) {
        Doc().SetGrid(pitch);
        Doc().SetViewFlags(TVemoDocumentInfo::ViewSnapToGrid);
    }
    TVemoLayerList& Layers() { return Doc().GetLayerList(); }
    TVemoLayerPtr Layer(const std::string& name) { return Layers().Find(name); }

    // A round pad: a zero-length path stroked round, diameter 6, centred on c.
    static std::unique_ptr<TVemoPath> RoundPad(const TVemoLayerPtr& layer, PointF c) {
        auto pad = std::make_unique<TVemoPath>();
        EXPECT_TRUE(pad->SetData(std::vector<PointF>(6, c), std::vector<unsigned char>(6, 0), false));
        pad->SetLayer(layer);
        pad->SetSurface(TVemoSurface(6.0f, false, false));
        pad->Rebuild();
        pad->Deselect();
        return pad;
    }
    // A pad group as the pad preview or the library window offers it: round
    // pads about (0, 0) on layers of those names that belong to no document.
    std::unique_ptr<TVemoGroup> Offered(const std::vector<std::string>& layerNames) {
        auto group = std::make_unique<TVemoGroup>();
        for (const std::string& name : layerNames) {
            foreign_.push_back(std::make_shared<TVemoLayer>(0xFF00FF00u, name));
            group->AddChild(RoundPad(foreign_.back(), PointF(0, 0)));
        }
        group->Rebuild();
        group->Deselect();
        return group;
    }
    // A placed pad group centred on c, with one round pad on each layer.
    TVemoGroup* AddPad(PointF c, const std::vector<TVemoLayerPtr>& layers, TVemoGroup* into = nullptr) {
        auto group = std::make_unique<TVemoGroup>();
        for (const TVemoLayerPtr& layer : layers) group->AddChild(RoundPad(layer, c));
        group->Rebuild();
        group->Deselect();
        auto* added = static_cast<TVemoGroup*>(into ? into->AddChild(std::move(group))
                                                    : Root().AddChild(std::move(group)));
        Settled();
        return added;
    }
    TVemoPath* OnLayer(TVemoPath* path, const TVemoLayerPtr& layer) {
        path->SetLayer(layer);
        path->Rebuild();
        Settled();
        return path;
    }
    TVemoGroup* LastGroup() {
        const int n = Root().GetChildCount();
        return n ? dynamic_cast<TVemoGroup*>(Root().GetChild(n - 1)) : nullptr;
    }
    static PointF FirstPoint(const TVemoGroup& group) {
        return static_cast<const TVemoPath*>(group.GetChild(0))->GetPoints()[0];
    }
    static std::vector<PointF> Moved(std::vector<PointF> points, PointF d, const std::vector<int>& which) {
        for (const int i : which) points[std::size_t(i)] += d;
        return points;
    }
    static void ExpectPoints(const std::vector<PointF>& got, const std::vector<PointF>& want) {
        ASSERT_EQ(got.size(), want.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_NEAR(got[i].x, want[i].x, 1e-4) << "point " << i;
            EXPECT_NEAR(got[i].y, want[i].y, 1e-4) << "point " << i;
        }
    }
    const TVemoMemento* LastStep() { return context->History().At(context->History().CurrentIndex()); }

    std::vector<TVemoLayerPtr> foreign_;
};

// --- pad ---------------------------------------------------------------------

TEST_F(PartsToolTest, PadGoesToTheSnappedPointOnExistingLayers) {
    SnapTo(12.7);
    auto pad = Offered({"solder", "component"});
    ui.pad = pad.get();
    context->PressTool("pad");
    Settled();
    const int layers = Layers().Count();
    const TVemoLayerPtr current = Layers().Current();
    Click(ssLeft, PointF(13, 7));
    TVemoGroup* placed = LastGroup();
    ASSERT_NE(placed, nullptr);
    EXPECT_NE(placed, pad.get());
    EXPECT_NEAR(FirstPoint(*placed).x, 12.7, 1e-4);
    EXPECT_NEAR(FirstPoint(*placed).y, 12.7, 1e-4);
    // The copy draws with the document's layers; the offered pad is untouched.
    EXPECT_EQ(placed->GetChild(0)->GetLayer(), Layer("solder"));
    EXPECT_EQ(placed->GetChild(1)->GetLayer(), Layer("component"));
    EXPECT_EQ(FirstPoint(*pad).x, 0.0f);
    EXPECT_EQ(Layers().Count(), layers);
    EXPECT_EQ(Layers().Current(), current);
    EXPECT_EQ(Steps(), 2u);
    EXPECT_NE(dynamic_cast<const TRootObjectMemento*>(LastStep()), nullptr);
    EXPECT_EQ(ui.layerRefreshes, 0);
}

TEST_F(PartsToolTest, PadOnAMissingLayerBringsTheLayerIn) {
    auto pad = Offered({"solder", "x", "x"});
    ui.pad = pad.get();
    context->PressTool("pad");
    Settled();
    const int layers = Layers().Count();
    const int position = Layers().Current()->GetIndex();
    Click(ssLeft, PointF(20, 10));
    ASSERT_EQ(Layers().Count(), layers + 1);
    const TVemoLayerPtr x = Layer("x");
    ASSERT_NE(x, nullptr);
    EXPECT_NE(x, foreign_[1]);
    EXPECT_EQ(Layers().Current(), x);
    EXPECT_EQ(x->GetIndex(), position);
    EXPECT_EQ(LastGroup()->GetChild(1)->GetLayer(), x);
    EXPECT_EQ(LastGroup()->GetChild(2)->GetLayer(), x);
    EXPECT_NE(dynamic_cast<const TObjectsMemento*>(LastStep()), nullptr);
    EXPECT_EQ(ui.layerRefreshes, 1);
    // One undo takes pad and layer away together.
    context->SendCommand(ecUndo);
    EXPECT_EQ(Layer("x"), nullptr);
    EXPECT_EQ(Root().GetChildCount(), 0);
}

TEST_F(PartsToolTest, PadPlacingReleasesAnyButtonAndNeedsAPad) {
    auto pad = Offered({"solder"});
    context->PressTool("pad");
    Settled();
    Click(ssLeft, PointF(5, 5));
    EXPECT_EQ(Root().GetChildCount(), 0);
    EXPECT_EQ(Steps(), 1u);

    ui.pad = pad.get();
    Click(ssRight, PointF(5, 5));
    EXPECT_EQ(Root().GetChildCount(), 1);
    EXPECT_EQ(Steps(), 2u);
}

// --- library -----------------------------------------------------------------

TEST_F(PartsToolTest, LibraryPlacesTheChosenPartButNotAnEmptyOne) {
    SnapTo(10);
    auto part = Offered({"solder"});
    const TVemoGroup empty;
    context->PressTool("lib");
    Settled();
    ui.libraryAnswers = {&empty, part.get()};
    Click(ssLeft, PointF(24, 17));
    EXPECT_EQ(Root().GetChildCount(), 0);
    EXPECT_EQ(Steps(), 1u);
    Click(ssLeft, PointF(24, 17));
    ASSERT_NE(LastGroup(), nullptr);
    EXPECT_NEAR(FirstPoint(*LastGroup()).x, 20, 1e-4);
    EXPECT_NEAR(FirstPoint(*LastGroup()).y, 20, 1e-4);
    EXPECT_EQ(Steps(), 2u);
    EXPECT_EQ(ui.libraryShown, 2);
}

TEST_F(PartsToolTest, TwoCancelsInARowGoBackToTheSelectTool) {
    auto part = Offered({"solder"});
    const TVemoGroup empty;
    const TVemoGroup* cancel = nullptr;
    struct Case {
        const char* name;
        std::vector<const TVemoGroup*> answers;
        bool switchesTool;  // between the first answer and the rest
        bool stays;
    };
    const Case cases[] = {
        {"one cancel", {cancel}, false, true},
        {"two cancels", {cancel, cancel}, false, false},
        {"ok in between", {cancel, part.get(), cancel}, false, true},
        {"empty ok in between", {cancel, &empty, cancel}, false, true},
        {"tool left in between", {cancel, cancel}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        context->PressTool("lib");
        for (std::size_t i = 0; i < c.answers.size(); ++i) {
            if (i == 1 && c.switchesTool) {
                context->PressTool("pad");
                context->PressTool("lib");
            }
            ui.libraryAnswers = {c.answers[i]};
            Click(ssLeft, PointF(0, 0));
        }
        if (c.stays)
            EXPECT_EQ(typeid(*Current()), typeid(TVemoLibState));
        else
            EXPECT_EQ(typeid(*Current()), typeid(TVemoSelectState));
        context->PressTool("select");
    }
}

// --- parts -------------------------------------------------------------------

// A pad at (50, 0) on the solder layer, and a track on that layer from (0, 0)
// over (20, 0) ending on the pad's centre.
class PartsDragTest : public PartsToolTest {
protected:
    void SetUp() override {
        PartsToolTest::SetUp();
        solder = Layer("solder");
        pad = AddPad(PointF(50, 0), {solder});
        track = OnLayer(AddPolyline({PointF(0, 0), PointF(20, 0), PointF(50, 0)}), solder);
        before = Points(*track);
        context->PressTool("parts");
        Settled();
    }
    PointF PadCentre() { return FirstPoint(*pad); }

    TVemoLayerPtr solder;
    TVemoGroup* pad = nullptr;
    TVemoPath* track = nullptr;
    std::vector<PointF> before;
    // Where the end anchor (6) and its handles (5, 7) are stored.
    const std::vector<int> endNode{5, 6, 7};
};

TEST_F(PartsDragTest, DraggingAPadStretchesTheConnectedTrack) {
    Press(ssLeft, PointF(50, 2));  // on the pad, off the track
    EXPECT_TRUE(pad->IsSelected());
    EXPECT_FALSE(track->IsSelected());
    ASSERT_EQ(context->Session().ConnectedPaths(solder->GetIndex()), std::vector<TVemoPath*>{track});
    Drag(ssLeft, PointF(53, 4));
    Drag(ssLeft, PointF(55, 7));
    Release(0, PointF(55, 7));
    EXPECT_NEAR(PadCentre().x, 55, 1e-4);
    EXPECT_NEAR(PadCentre().y, 5, 1e-4);
    ExpectPoints(Points(*track), Moved(before, PointF(5, 5), endNode));
    EXPECT_EQ(Steps(), 2u);
    // A drag arriving without a press of this tool moves nothing.
    Drag(ssLeft, PointF(70, 20));
    EXPECT_NEAR(PadCentre().x, 55, 1e-4);

    // Undo forgets what the press found: a drag without a new press moves nothing.
    context->SendCommand(ecUndo);
    EXPECT_EQ(context->Session().PartsSelection().Count(), 0);
    EXPECT_TRUE(context->Session().ConnectedPaths(solder->GetIndex()).empty());
    ExpectPoints(Points(*static_cast<TVemoPath*>(Root().GetChild(1))), before);
    Drag(ssLeft, PointF(70, 20));
    Release(0, PointF(70, 20));
    EXPECT_EQ(context->History().CurrentIndex(), 0u);
    context->SendCommand(ecRedo);
    EXPECT_EQ(context->Session().PartsSelection().Count(), 0);
}

TEST_F(PartsDragTest, TracksThatStayBehind) {
    // Each case changes the setting before the press; the track never moves.
    enum Case { LockedLayer, OtherLayer, InGroup };
    for (const Case c : {LockedLayer, OtherLayer, InGroup}) {
        SCOPED_TRACE(c);
        TearDown();
        SetUp();
        const TVemoLayerPtr component = Layer("component");
        switch (c) {
            case LockedLayer:
                // The pad reaches that layer too, but the layer is locked.
                pad->AddChild(RoundPad(component, PointF(50, 0)));
                OnLayer(track, component);
                component->SetLocked(true);
                break;
            case OtherLayer:
                OnLayer(track, component);
                break;
            case InGroup: {
                auto group = std::make_unique<TVemoGroup>();
                group->AddChild(Root().ReleaseChild(track));
                Root().AddChild(std::move(group));
                Settled();
                break;
            }
        }
        Press(ssLeft, PointF(50, 2));
        ASSERT_TRUE(pad->IsSelected());
        Drag(ssLeft, PointF(55, 7));
        Release(0, PointF(55, 7));
        EXPECT_NEAR(PadCentre().x, 55, 1e-4);
        ExpectPoints(Points(*track), before);
    }
}

TEST_F(PartsDragTest, ASelectedTrackMovesOnlyOnce) {
    // Pressed where the track's end overlaps the pad: both are selected.
    Press(ssLeft, PointF(50, 0));
    ASSERT_TRUE(pad->IsSelected() && track->IsSelected());
    Drag(ssLeft, PointF(55, 7));
    Release(0, PointF(55, 7));
    ExpectPoints(Points(*track), Moved(before, PointF(5, 7), {0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_NEAR(PadCentre().x, 55, 1e-4);
    EXPECT_NEAR(PadCentre().y, 7, 1e-4);
}

TEST_F(PartsDragTest, SnappedDragsMoveInWholePitchesFromThePress) {
    SnapTo(10);
    Press(ssLeft, PointF(50, 2));
    Drag(ssLeft, PointF(57, 9));  // 7, 7 -> one pitch
    EXPECT_NEAR(PadCentre().x, 60, 1e-4);
    Drag(ssLeft, PointF(63, 14));  // 3, 2 more: not yet
    EXPECT_NEAR(PadCentre().x, 60, 1e-4);
    Drag(ssLeft, PointF(66, 18));  // 6, 6 more from the last step
    Release(0, PointF(66, 18));
    EXPECT_NEAR(PadCentre().x, 70, 1e-4);
    EXPECT_NEAR(PadCentre().y, 20, 1e-4);
    ExpectPoints(Points(*track), Moved(before, PointF(20, 20), endNode));
}

TEST_F(PartsDragTest, NoMovementNoStep) {
    Click(ssLeft, PointF(50, 2));
    EXPECT_TRUE(pad->IsSelected());
    EXPECT_EQ(Steps(), 1u);

    // Empty space: everything deselected and the drag moves nothing.
    Press(ssLeft, PointF(80, 30));
    EXPECT_FALSE(pad->IsSelected());
    Drag(ssLeft, PointF(90, 40));
    Release(0, PointF(90, 40));
    EXPECT_NEAR(PadCentre().x, 50, 1e-4);
    ExpectPoints(Points(*track), before);
    EXPECT_EQ(Steps(), 1u);
}

TEST_F(PartsDragTest, APressOnTheSelectionKeepsIt) {
    TVemoGroup* other = AddPad(PointF(0, 0), {solder});
    pad->Select();
    other->Select();
    Press(ssLeft, PointF(50, 2));
    EXPECT_TRUE(pad->IsSelected() && other->IsSelected());
    Drag(ssLeft, PointF(50, 12));
    Release(0, PointF(50, 12));
    EXPECT_NEAR(FirstPoint(*other).y, 10, 1e-4);
    // Both track ends lie on a moved pad: both ends stretch.
    ExpectPoints(Points(*track), Moved(before, PointF(0, 10), {8, 0, 1, 5, 6, 7}));

    // Leaving the tool deselects and forgets.
    context->PressTool("select");
    EXPECT_FALSE(pad->IsSelected() || other->IsSelected());
    EXPECT_EQ(context->Session().PartsSelection().Count(), 0);
}

}  // namespace
