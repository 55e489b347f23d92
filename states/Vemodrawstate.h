#pragma once
// The two drawing tools, which build a new path node by node: one node per
// click, closed by clicking its first node, finished with Enter (or Escape),
// the OK button or a tool change.
//   TVemoPathState  Bezier paths: dragging after the press pulls the new
//                   node's handles out symmetrically (a smooth node);
//   TVemoPolyState  polylines: handles stay on their anchors.
// Each click records a temporary undo step of the path, so undo while drawing
// takes back one node at a time (the first one removes the path); finishing
// replaces those steps by one ordinary step.

#include <memory>

#include "history/Vemomemento.h"
#include "states/Vemoeventstate.h"

class TVemoPath;

class TVemoDrawState : public TVemoEventState {
public:
    explicit TVemoDrawState(TVemoEventContext& context);

    // Finishes the path under construction.
    TVemoEventState* Leave() override;
    // An edit of the objects while a path is under construction (its style)
    // is a temporary step of the path; any other step as usual.
    void RecordStep(TStepKind kind) override;
    TVemoEventState* MouseDown(TShiftState shift, PointF point) override;
    // Shows the position; with the button held the path tool pulls the new
    // node's handles to the pointer (snapped in whole pitches).
    TVemoEventState* MouseMove(TShiftState shift, PointF point) override;
    TVemoEventState* MouseUp(TShiftState shift, PointF point) override;
    // Enter and Escape finish the path.
    TVemoEventState* KeyDown(int key) override;
    TVemoEventState* KeyUp(int key) override;
    // Undo and redo one step (one node while drawing); ecFinish finishes.
    TVemoEventState* Command(TEditCommand code) override;

    // The path under construction, or null.
    TVemoPath* CurrentPath();
    bool IsClosed() const { return closed_; }

protected:
    // Whether dragging with the button held pulls the new node's handles.
    virtual bool PullsHandles() const = 0;
    // Where a press at point puts a node: on a land's middle or a track's end
    // within reach (not with Alt held), else on the grid when snapping is on.
    // With showMark, the mark on that land follows (and goes when there is none).
    PointF Snap(TShiftState shift, PointF point, bool showMark);
    // Ends the path under construction: one ordinary undo step replaces its
    // temporary ones. A path of fewer than two nodes draws nothing and could
    // never be picked again, so it is taken out instead.
    void Finish();
    // While a path is under construction: a temporary step of it; otherwise nothing
    // (finishing records the ordinary step itself).
    void SavePathStep();

    std::shared_ptr<TVemoPathSlot> slot_;
    bool closed_ = false;
    // A press of this state whose release has not been seen (it may have gone
    // to a pan state); its node still needs its undo step.
    bool pressed_ = false;
};

class TVemoPathState : public TVemoDrawState {
public:
    using TVemoDrawState::TVemoDrawState;
    static constexpr int kBankIndex = 14;

protected:
    bool PullsHandles() const override { return true; }
};

class TVemoPolyState : public TVemoDrawState {
public:
    using TVemoDrawState::TVemoDrawState;
    static constexpr int kBankIndex = 15;

protected:
    bool PullsHandles() const override { return false; }
};
