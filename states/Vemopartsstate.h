#pragma once
// The tools for ready-made parts:
//   TVemoPadState    places a copy of the pad chosen in the pad preview at
//                    each click;
//   TVemoLibState    opens the library window at each click and places a
//                    copy of the part chosen there; cancelling it twice in a
//                    row goes back to the select tool;
//   TVemoPartsState  drags objects and takes the tracks along: an end of a
//                    path on the same layer that lies on a moved object moves
//                    with it (with its two handles), the rest of the path
//                    stays, so the track stretches instead of tearing off.

#include <memory>
#include <vector>

#include "model/Vemoobjectvisitor.h"
#include "states/Vemoeventstate.h"

class TVemoGroup;

class TVemoPadState : public TVemoEventState {
public:
    using TVemoEventState::TVemoEventState;
    static constexpr int kBankIndex = 19;

    TVemoEventState* MouseMove(TShiftState shift, PointF point) override;
    // Any button: the chosen pad at the (snapped) point.
    TVemoEventState* MouseUp(TShiftState shift, PointF point) override;
    TVemoEventState* KeyDown(int key) override { return ToolKey(key, true); }
    TVemoEventState* KeyUp(int key) override { return ToolKey(key, false); }
    TVemoEventState* Command(TEditCommand code) override;
};

class TVemoLibState : public TVemoEventState {
public:
    using TVemoEventState::TVemoEventState;
    static constexpr int kBankIndex = 20;

    TVemoEventState* Leave() override;
    TVemoEventState* MouseMove(TShiftState shift, PointF point) override;
    // Any button: the library window, then the chosen part at the (snapped) point.
    TVemoEventState* MouseUp(TShiftState shift, PointF point) override;
    TVemoEventState* KeyDown(int key) override { return ToolKey(key, true); }
    TVemoEventState* KeyUp(int key) override { return ToolKey(key, false); }
    TVemoEventState* Command(TEditCommand code) override;

    // How many times in a row the library window was cancelled.
    int CancelCount() const { return cancels_; }

private:
    int cancels_ = 0;
};

// What the parts tool found at its last press, kept in the tool session.
// Non-owning pointers into the document, valid until it changes otherwise
// than by the drag: emptied on leaving the tool and before undo and redo.
class TVemoPartsStateIF : public TVemoEventState {
public:
    explicit TVemoPartsStateIF(TVemoEventContext& context);

    // Deselects everything and forgets the lists.
    TVemoEventState* Leave() override;

protected:
    void ClearLists();

    // The tool session's parts data (see TVemoToolSession::TParts).
    TSelObjectVisitor& selection_;
    RectF& bounds_;
    std::vector<std::unique_ptr<TLayerVisitor>>& layerObjects_;
    std::vector<std::unique_ptr<TLayerPathVisitor>>& layerPaths_;
    bool& moved_;
    bool& pressed_;
};

class TVemoPartsState : public TVemoPartsStateIF {
public:
    using TVemoPartsStateIF::TVemoPartsStateIF;
    static constexpr int kBankIndex = 21;

    // Left button: selects what is under the point (keeping a selection hit
    // there) and finds the paths to drag along.
    TVemoEventState* MouseDown(TShiftState shift, PointF point) override;
    // With the left button: drags, in whole pitches from the press when snapping.
    TVemoEventState* MouseMove(TShiftState shift, PointF point) override;
    // One undo step when the drag moved anything.
    TVemoEventState* MouseUp(TShiftState shift, PointF point) override;
    TVemoEventState* KeyDown(int key) override { return ToolKey(key, true); }
    TVemoEventState* KeyUp(int key) override { return ToolKey(key, false); }
    TVemoEventState* Command(TEditCommand code) override;

private:
    void FindConnectedPaths();
};
