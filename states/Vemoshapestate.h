#pragma once
// The tools that make one object each:
//   TVemoRectState     drags out a rectangle between two corners;
//   TVemoEllipseState  drags out a circle from its centre;
//   TVemoStringState   places a new text with a click and the text window,
//                      or opens the text under the pointer in it.
// New objects go onto the current layer with the style panel's surface, and
// each finished object is one undo step.

#include <memory>

#include "states/Vemoeventstate.h"

class TVemoShape;

// A shape dragged out from the press: it belongs to the document from the
// press on, so it is drawn while it grows, and a click without a drag leaves
// nothing behind.
class TVemoShapeState : public TVemoEventState {
public:
    using TVemoEventState::TVemoEventState;
    // Takes an unfinished shape away.
    TVemoEventState* Leave() override;
    TVemoEventState* MouseDown(TShiftState shift, PointF point) override;
    TVemoEventState* MouseMove(TShiftState shift, PointF point) override;
    TVemoEventState* MouseUp(TShiftState shift, PointF point) override;
    TVemoEventState* KeyDown(int key) override { return ToolKey(key, true); }
    TVemoEventState* KeyUp(int key) override { return ToolKey(key, false); }
    // Undo and redo only between shapes: mid-drag they would pull the shape
    // being dragged out from under the state.
    TVemoEventState* Command(TEditCommand code) override;

    // The shape being dragged out, or null.
    TVemoShape* Building() const { return shape_; }

protected:
    virtual std::unique_ptr<TVemoShape> MakeShape() const = 0;
    // Gives the shape its size from the anchor and the point.
    virtual void Span(TVemoShape& shape, PointF anchor, PointF point) const = 0;

private:
    TVemoShape* shape_ = nullptr;
};

class TVemoRectState : public TVemoShapeState {
public:
    using TVemoShapeState::TVemoShapeState;
    static constexpr int kBankIndex = 16;

protected:
    std::unique_ptr<TVemoShape> MakeShape() const override;
    // The anchor and the point are opposite corners.
    void Span(TVemoShape& shape, PointF anchor, PointF point) const override;
};

class TVemoEllipseState : public TVemoShapeState {
public:
    using TVemoShapeState::TVemoShapeState;
    static constexpr int kBankIndex = 17;

protected:
    std::unique_ptr<TVemoShape> MakeShape() const override;
    // A circle about the anchor through the point.
    void Span(TVemoShape& shape, PointF anchor, PointF point) const override;
};

class TVemoStringState : public TVemoEventState {
public:
    using TVemoEventState::TVemoEventState;
    static constexpr int kBankIndex = 18;

    TVemoEventState* Leave() override;
    TVemoEventState* MouseDown(TShiftState shift, PointF point) override;
    // Shows the position; the text beam over a text, the arrow elsewhere.
    TVemoEventState* MouseMove(TShiftState shift, PointF point) override;
    TVemoEventState* KeyDown(int key) override { return ToolKey(key, true); }
    TVemoEventState* KeyUp(int key) override { return ToolKey(key, false); }
    TVemoEventState* Command(TEditCommand code) override;
};
