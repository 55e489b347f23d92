#include "states/Vemoviewstate.h"

#include "model/Vemodocument.h"
#include "model/Vemodrawstyle.h"
#include "states/Vemoeventcontext.h"

namespace {

// Keys go to the tool the temporary state returns to, which decides what is
// current next (itself, or another view state).
TVemoEventState* HandBack(TVemoEventState* self, TVemoKeyState& keys, int key, bool down) {
    TVemoEventState* tool = self->ReturnState();
    if (!tool) {
        down ? keys.KeyDown(key) : keys.KeyUp(key);
        return self;
    }
    tool->ShowCursor();
    return down ? tool->KeyDown(key) : tool->KeyUp(key);
}

}  // namespace

void TVemoViewState::ShowCursor() {
    context_->SetCursor(10);
}

TVemoEventState* TVemoViewState::MouseDown(TShiftState shift, PointF point) {
    if (shift & ssLeft) {
        anchor_ = point;
        dragging_ = true;
    }
    return this;
}

TVemoEventState* TVemoViewState::MouseMove(TShiftState shift, PointF point) {
    if ((shift & ssLeft) && dragging_)
        context_->PreviewPan(double(point.x) - anchor_.x, double(point.y) - anchor_.y);
    return this;
}

TVemoEventState* TVemoViewState::MouseUp(TShiftState, PointF point) {
    // Only a drag that started here pans: a button pressed before Space was
    // held has no anchor of this state.
    if (!dragging_) return this;
    dragging_ = false;
    Document().Pan(double(point.x) - anchor_.x, double(point.y) - anchor_.y);
    context_->Invalidate();
    return this;
}

TVemoEventState* TVemoViewState::KeyDown(int key) {
    TVemoEventState* next = HandBack(this, keys_, key, true);
    if (next != this && dragging_) {
        // Space let go mid-drag: the shifted preview must not stay on screen.
        dragging_ = false;
        context_->Invalidate();
    }
    return next;
}

TVemoEventState* TVemoViewState::KeyUp(int key) {
    TVemoEventState* next = HandBack(this, keys_, key, false);
    if (next != this && dragging_) {
        dragging_ = false;
        context_->Invalidate();
    }
    return next;
}

void TVemoScaleUpState::ShowCursor() {
    context_->SetCursor(11);
}

TVemoEventState* TVemoScaleUpState::MouseDown(TShiftState shift, PointF point) {
    if (shift & ssLeft) {
        anchor_ = point;
        ZoomAtPoint(2.0, point);
    }
    return this;
}

TVemoEventState* TVemoScaleUpState::KeyDown(int key) {
    return HandBack(this, keys_, key, true);
}
TVemoEventState* TVemoScaleUpState::KeyUp(int key) {
    return HandBack(this, keys_, key, false);
}

void TVemoScaleDownState::ShowCursor() {
    context_->SetCursor(12);
}

TVemoEventState* TVemoScaleDownState::MouseDown(TShiftState shift, PointF point) {
    if (shift & ssLeft) {
        anchor_ = point;
        ZoomAtPoint(0.5, point);
    }
    return this;
}

TVemoEventState* TVemoScaleDownState::KeyDown(int key) {
    return HandBack(this, keys_, key, true);
}
TVemoEventState* TVemoScaleDownState::KeyUp(int key) {
    return HandBack(this, keys_, key, false);
}
