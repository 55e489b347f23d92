#include "states/Vemoviewstate.h"

#include "model/Vemodocument.h"
#include "model/Vemodrawstyle.h"
#include "states/Vemoeventcontext.h"

namespace {

// Keys go to the tool the temporary state returns to, which decides what is
// current next (itself, or another view state).
TVemoEventState* HandBack(TVemoEventState* self, int key, bool down) {
    TVemoEventState* tool = self->ReturnState();
    if (!tool) {
        down ? TVemoKeyState::KeyDown(key) : TVemoKeyState::KeyUp(key);
        return self;
    }
    tool->ShowCursor();
    return down ? tool->KeyDown(key) : tool->KeyUp(key);
}

void ZoomAtPoint(double factor, PointF point) {
    TVemoEventContext* context = TVemoEventState::Context();
    TVemoDocument* doc = TVemoEventState::Document();
    if (!context || !doc) return;
    doc->ZoomAt(factor, point);
    DrawStyle().SetZoom(float(doc->GetZoom()));
    context->Invalidate();
}

}  // namespace

void TVemoViewState::ShowCursor() {
    if (context_) context_->SetCursor(10);
}

TVemoEventState* TVemoViewState::MouseDown(TShiftState shift, PointF point) {
    if (shift & ssLeft) {
        anchor_ = point;
        dragging_ = true;
    }
    return this;
}

TVemoEventState* TVemoViewState::MouseMove(TShiftState shift, PointF point) {
    if ((shift & ssLeft) && dragging_ && context_)
        context_->PreviewPan(double(point.x) - anchor_.x, double(point.y) - anchor_.y);
    return this;
}

TVemoEventState* TVemoViewState::MouseUp(TShiftState, PointF point) {
    // Only a drag that started here pans: a button pressed before Space was
    // held has no anchor of this state.
    if (!dragging_) return this;
    dragging_ = false;
    if (document_) document_->Pan(double(point.x) - anchor_.x, double(point.y) - anchor_.y);
    if (context_) context_->Invalidate();
    return this;
}

TVemoEventState* TVemoViewState::KeyDown(int key) {
    TVemoEventState* next = HandBack(this, key, true);
    if (next != this && dragging_) {
        // Space let go mid-drag: the shifted preview must not stay on screen.
        dragging_ = false;
        if (context_) context_->Invalidate();
    }
    return next;
}

TVemoEventState* TVemoViewState::KeyUp(int key) {
    TVemoEventState* next = HandBack(this, key, false);
    if (next != this && dragging_) {
        dragging_ = false;
        if (context_) context_->Invalidate();
    }
    return next;
}

void TVemoScaleUpState::ShowCursor() {
    if (context_) context_->SetCursor(11);
}

TVemoEventState* TVemoScaleUpState::MouseDown(TShiftState shift, PointF point) {
    if (shift & ssLeft) {
        anchor_ = point;
        ZoomAtPoint(2.0, point);
    }
    return this;
}

TVemoEventState* TVemoScaleUpState::KeyDown(int key) { return HandBack(this, key, true); }
TVemoEventState* TVemoScaleUpState::KeyUp(int key) { return HandBack(this, key, false); }

void TVemoScaleDownState::ShowCursor() {
    if (context_) context_->SetCursor(12);
}

TVemoEventState* TVemoScaleDownState::MouseDown(TShiftState shift, PointF point) {
    if (shift & ssLeft) {
        anchor_ = point;
        ZoomAtPoint(0.5, point);
    }
    return this;
}

TVemoEventState* TVemoScaleDownState::KeyDown(int key) { return HandBack(this, key, true); }
TVemoEventState* TVemoScaleDownState::KeyUp(int key) { return HandBack(this, key, false); }
