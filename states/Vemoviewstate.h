#pragma once
// The three temporary view states a tool hands over to while Space is held:
// pan with Space, zoom in with Space+X, zoom out with Space+Z. Keys go back to
// the tool, so releasing Space returns to it and X or Z move between the three.

#include "states/Vemoeventstate.h"

class TVemoViewState : public TVemoEventState {
public:
    using TVemoEventState::TVemoEventState;
    static constexpr int kBankIndex = 0;
    void ShowCursor() override;
    TVemoEventState* MouseDown(TShiftState shift, PointF point) override;
    // Shows the picture shifted by the drag at once, without a redraw.
    TVemoEventState* MouseMove(TShiftState shift, PointF point) override;
    TVemoEventState* MouseUp(TShiftState shift, PointF point) override;
    TVemoEventState* KeyDown(int key) override;
    TVemoEventState* KeyUp(int key) override;

private:
    bool dragging_ = false;
};

class TVemoScaleUpState : public TVemoEventState {
public:
    using TVemoEventState::TVemoEventState;
    static constexpr int kBankIndex = 1;
    void ShowCursor() override;
    // Brings the point to the window centre and zooms in by 2.
    TVemoEventState* MouseDown(TShiftState shift, PointF point) override;
    TVemoEventState* KeyDown(int key) override;
    TVemoEventState* KeyUp(int key) override;
};

class TVemoScaleDownState : public TVemoEventState {
public:
    using TVemoEventState::TVemoEventState;
    static constexpr int kBankIndex = 2;
    void ShowCursor() override;
    TVemoEventState* MouseDown(TShiftState shift, PointF point) override;
    TVemoEventState* KeyDown(int key) override;
    TVemoEventState* KeyUp(int key) override;
};
