#pragma once
// The point tool: edits the inside of objects — anchors and control handles
// of paths, the corner handles of rectangles and ellipses, a text's handle.
// Seven states share one edit list (the objects being point-edited, in the
// order they were added):
//   TVemoPointState         the tool: picks anchors and handles, drags the
//                           selected anchors, arrow-key moves;
//   TVemoPointNullState     a press on empty space, waiting for a drag;
//   TVemoPointRectState     the rubber band that picks anchors;
//   TVemoPointHandleState   dragging one control handle;
//   TVemoHandleRemakeState  while Ctrl+Shift are held: a click on an anchor
//                           retracts its handles and a drag pulls a new
//                           symmetric pair; a click on a handle makes a cusp;
//   TVemoAddPointState      while X+Z are held: a click on the outline inserts
//                           a node, a click on an anchor deletes it;
//   TVemoAddPointToolState  the same as a lasting mode of the add-point button.

#include <vector>

#include "states/Vemoeventstate.h"

class TVemoObject;
class TVemoPath;

class TVemoPointStateIF : public TVemoEventState {
public:
    explicit TVemoPointStateIF(TVemoEventContext& context);

    // Ends point editing on every object and forgets the edit list.
    TVemoEventState* Leave() override;
    // The objects being point-edited. Valid until the document changes.
    const std::vector<TVemoObject*>& EditList() const { return edits_; }

protected:
    // Drops objects that left the document behind the tool's back.
    void DropGone();

    // The tool session's point data: the edit list; points or handles moved,
    // by a drag or by arrow keys, and no undo step was recorded for it yet.
    std::vector<TVemoObject*>& edits_;
    bool& moved_;
    bool& keyMoved_;
};

class TVemoPointState : public TVemoPointStateIF {
public:
    using TVemoPointStateIF::TVemoPointStateIF;
    static constexpr int kBankIndex = 7;
    TVemoEventState* MouseDown(TShiftState shift, PointF point) override;
    // Drags the selected anchors of every edited object, in whole grid
    // pitches when snapping is on. A path's node taken by the press lands
    // exactly on a land's middle or a track's end near the pointer (not with Alt).
    TVemoEventState* MouseMove(TShiftState shift, PointF point) override;
    TVemoEventState* MouseUp(TShiftState shift, PointF point) override;
    // Ctrl+Shift and X+Z enter their temporary states; arrows move the selected points.
    TVemoEventState* KeyDown(int key) override;
    TVemoEventState* KeyUp(int key) override;
    // Undo and redo end point editing; ecAddPoint enters the add-point mode.
    TVemoEventState* Command(TEditCommand code) override;

private:
    // The state the held key flags call for, this one when none.
    TVemoEventState* KeyCombination();
    // The selected path node nearest the press, within reach of it.
    void TakeNode(PointF point);
    // Moves the selection so that the taken node lies exactly at to.
    void MoveTakenNode(PointF to);

    // The node the drag holds: its path, its point index, where it was at the
    // press and the (grid-snapped) press point. No path: a drag in whole
    // pitches of the pointer, as for any other object.
    TVemoPath* taken_ = nullptr;
    std::ptrdiff_t takenIndex_ = -1;
    PointF takenFrom_;
    PointF pressAt_;
};

class TVemoPointNullState : public TVemoPointStateIF {
public:
    using TVemoPointStateIF::TVemoPointStateIF;
    static constexpr int kBankIndex = 8;
    // Starts the rubber band once the pointer has moved more than 5 pixels.
    TVemoEventState* MouseMove(TShiftState shift, PointF point) override;
    TVemoEventState* MouseUp(TShiftState shift, PointF point) override;
};

class TVemoPointRectState : public TVemoPointStateIF {
public:
    using TVemoPointStateIF::TVemoPointStateIF;
    static constexpr int kBankIndex = 9;
    TVemoEventState* MouseDown(TShiftState shift, PointF point) override;
    // Outlines the band on the window only; no bitmap holds it.
    TVemoEventState* MouseMove(TShiftState shift, PointF point) override;
    // Selects the anchors inside the band, in every object it touches.
    TVemoEventState* MouseUp(TShiftState shift, PointF point) override;
};

class TVemoPointHandleState : public TVemoPointStateIF {
public:
    using TVemoPointStateIF::TVemoPointStateIF;
    static constexpr int kBankIndex = 10;
    // Drags the active handle; a smooth node's opposite handle follows.
    TVemoEventState* MouseMove(TShiftState shift, PointF point) override;
    TVemoEventState* MouseUp(TShiftState shift, PointF point) override;
};

class TVemoHandleRemakeState : public TVemoPointStateIF {
public:
    using TVemoPointStateIF::TVemoPointStateIF;
    static constexpr int kBankIndex = 11;
    TVemoEventState* MouseDown(TShiftState shift, PointF point) override;
    TVemoEventState* MouseMove(TShiftState shift, PointF point) override;
    TVemoEventState* MouseUp(TShiftState shift, PointF point) override;
    // Keys go to the point tool, which leaves this state once Ctrl+Shift are released.
    TVemoEventState* KeyDown(int key) override;
    TVemoEventState* KeyUp(int key) override;

private:
    // The edited object whose handles are being pulled, -1 when none.
    int active_ = -1;
};

class TVemoAddPointState : public TVemoPointStateIF {
public:
    using TVemoPointStateIF::TVemoPointStateIF;
    static constexpr int kBankIndex = 12;
    // On an anchor: deletes the node; on an outline: inserts one there.
    TVemoEventState* MouseDown(TShiftState shift, PointF point) override;
    TVemoEventState* MouseMove(TShiftState shift, PointF point) override;
    TVemoEventState* MouseUp(TShiftState shift, PointF point) override;
    // Keys go to the point tool, which leaves this state once X+Z are released.
    TVemoEventState* KeyDown(int key) override;
    TVemoEventState* KeyUp(int key) override;
};

class TVemoAddPointToolState : public TVemoAddPointState {
public:
    using TVemoAddPointState::TVemoAddPointState;
    static constexpr int kBankIndex = 13;
    // Escape ends the mode.
    TVemoEventState* KeyDown(int key) override;
    TVemoEventState* KeyUp(int key) override;
    // ecFinish puts the add-point button up and goes back to the point tool.
    TVemoEventState* Command(TEditCommand code) override;
};
