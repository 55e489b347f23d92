#include "states/Vemoeventstate.h"

#include <cmath>

#include "model/Vemodocument.h"
#include "model/Vemodrawstyle.h"
#include "states/Vemoeventcontext.h"
#include "states/Vemostatebank.h"

std::uint32_t TVemoKeyState::BitOf(int key) {
    switch (key) {
        case vk::Control:
            return ksCtrl;
        case vk::Shift:
            return ksShift;
        case vk::Space:
            return ksSpace;
        case 'X':
            return ksX;
        case 'Y':
            return ksY;
        case 'Z':
            return ksZ;
        case 'R':
            return ksR;
        case 'M':
            return ksM;
        case 'G':
            return ksG;
        default:
            return 0;
    }
}

TVemoEventState::TVemoEventState(TVemoEventContext& context)
    : context_(&context), keys_(context.Session().keys), anchor_(context.Session().anchor) {}

TVemoDocument& TVemoEventState::Document() const {
    return context_->Document();
}

TVemoStateBank& TVemoEventState::StateBank() const {
    return context_->StateBank();
}

void TVemoEventState::ShowCursor() {
    context_->SetCursor(0);
}

TVemoEventState* TVemoEventState::Leave() {
    if (returnState_) return returnState_->Leave();
    return nullptr;
}

void TVemoEventState::RecordStep(TStepKind kind) {
    context_->History().Record(kind, Document());
}

TVemoEventState* TVemoEventState::MouseDown(TShiftState, PointF) {
    return this;
}
TVemoEventState* TVemoEventState::MouseMove(TShiftState, PointF) {
    return this;
}
TVemoEventState* TVemoEventState::MouseUp(TShiftState, PointF) {
    return this;
}

TVemoEventState* TVemoEventState::MouseWheel(TShiftState, int delta, PointF point) {
    TVemoDocument& doc = Document();
    const double before = doc.GetZoom();
    doc.Zoom(delta > 0 ? std::sqrt(2.0) : std::sqrt(0.5));
    const double r = doc.GetZoom() / before;
    // Panning by (1 - 1/r)(centre - point) keeps the point under the pointer where it was.
    const PointF c = context_->ToDocument(doc.GetWindowWidth() * 0.5, doc.GetWindowHeight() * 0.5);
    const double k = 1.0 - 1.0 / r;
    doc.Pan(k * (double(c.x) - double(point.x)), k * (double(c.y) - double(point.y)));
    DrawStyle().SetZoom(float(doc.GetZoom()));
    context_->Invalidate();
    return this;
}

TVemoEventState* TVemoEventState::KeyDown(int key) {
    keys_.KeyDown(key);
    return this;
}

TVemoEventState* TVemoEventState::KeyUp(int key) {
    keys_.KeyUp(key);
    return this;
}

TVemoEventState* TVemoEventState::Command(TEditCommand code) {
    if (code == ecScaleUp) ZoomView(2.0);
    if (code == ecScaleDown) ZoomView(0.5);
    return this;
}

TVemoEventState* TVemoEventState::ToolKey(int key, bool down) {
    if (down)
        keys_.KeyDown(key);
    else
        keys_.KeyUp(key);
    TVemoEventState* next = nullptr;
    if (keys_.Is(TVemoKeyState::ksView))
        next = StateBank().Get<TVemoViewState>(this);
    else if (keys_.Is(TVemoKeyState::ksScaleUp))
        next = StateBank().Get<TVemoScaleUpState>(this);
    else if (keys_.Is(TVemoKeyState::ksScaleDown))
        next = StateBank().Get<TVemoScaleDownState>(this);
    if (!next) return this;
    next->ShowCursor();
    return next;
}

void TVemoEventState::ZoomView(double factor) {
    Document().Zoom(factor);
    DrawStyle().SetZoom(float(Document().GetZoom()));
    context_->Invalidate();
}

void TVemoEventState::ZoomAtPoint(double factor, PointF point) {
    Document().ZoomAt(factor, point);
    DrawStyle().SetZoom(float(Document().GetZoom()));
    context_->Invalidate();
}

void TVemoEventState::StepHistory(bool redo) {
    if (redo)
        context_->History().Redo(Document());
    else
        context_->History().Undo(Document());
    context_->Ui().RefreshLayers();
    context_->Invalidate();
}
