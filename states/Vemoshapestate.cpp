#include "states/Vemoshapestate.h"

#include <memory>

#include "model/Vemodocument.h"
#include "model/Vemoellipse.h"
#include "model/Vemolayerlist.h"
#include "model/Vemoobjectvisitor.h"
#include "model/Vemopart.h"
#include "model/Vemorectangle.h"
#include "model/Vemostring.h"
#include "states/Vemoeditstep.h"
#include "states/Vemoeventcontext.h"
#include "states/Vemogridsnap.h"

namespace {

// Cursor ids of TVemoUi::SetCursor.
constexpr int kArrowCursor = 0, kTextBeamCursor = -4;

// The first text under p, inside groups too; null when there is none.
TVemoString* TextAt(TVemoPart& root, PointF p) {
    TPointStrVisitor texts(p);
    root.AcceptDeep(texts);
    return texts.Strings().empty() ? nullptr : texts.Strings().front();
}

}  // namespace

TVemoEventState* TVemoShapeState::Leave() {
    if (shape_) {
        shape_->RemoveFromParent();
        shape_ = nullptr;
    }
    context_->StylePanel().ClearStyles();
    return nullptr;
}

TVemoEventState* TVemoShapeState::MouseDown(TShiftState shift, PointF point) {
    if (!(shift & ssLeft)) return this;
    anchor_ = point;
    // A second press while a shape is still being dragged out (its release went
    // to a view state) carries on with that shape from the unsnapped point.
    if (!shape_) {
        std::unique_ptr<TVemoShape> made = MakeShape();
        made->SetLayer(Document().GetLayerList().Current());
        made->SetSurface(context_->StylePanel().CurrentSurface());
        shape_ = static_cast<TVemoShape*>(context_->RootObject().AddChild(std::move(made)));
        if (!shape_) return this;
        context_->StylePanel().ShowStyle(shape_);
        anchor_ = gridsnap::Snapped(&Document(), point);
    }
    context_->SetOrigin(anchor_);
    context_->InvalidateOverlay();
    return this;
}

TVemoEventState* TVemoShapeState::MouseMove(TShiftState shift, PointF point) {
    point = gridsnap::Snapped(&Document(), point);
    if ((shift & ssLeft) && shape_) {
        Span(*shape_, anchor_, point);
        context_->InvalidateOverlay();
    }
    context_->ShowPosition(point);
    return this;
}

TVemoEventState* TVemoShapeState::MouseUp(TShiftState, PointF point) {
    if (!shape_) return this;
    point = gridsnap::Snapped(&Document(), point);
    context_->RootObject().Deselect();
    context_->StylePanel().ClearStyles();
    TVemoShape* shape = shape_;
    shape_ = nullptr;
    if (point.x != anchor_.x || point.y != anchor_.y) {
        // The release point is the last word on the size, whatever moves came before.
        Span(*shape, anchor_, point);
        shape->Deselect();
        TEditStep(*context_, TStepKind::Root).Commit();
    } else {
        shape->RemoveFromParent();
    }
    context_->Invalidate();
    return this;
}

TVemoEventState* TVemoShapeState::Command(TEditCommand code) {
    if (code == ecUndo || code == ecRedo) {
        if (!shape_) {
            context_->StylePanel().ClearStyles();
            StepHistory(code == ecRedo);
        }
        return this;
    }
    return TVemoEventState::Command(code);
}

std::unique_ptr<TVemoShape> TVemoRectState::MakeShape() const {
    return std::make_unique<TVemoRect>();
}

void TVemoRectState::Span(TVemoShape& shape, PointF anchor, PointF point) const {
    static_cast<TVemoRect&>(shape).SetCorners(anchor, point);
}

std::unique_ptr<TVemoShape> TVemoEllipseState::MakeShape() const {
    return std::make_unique<TVemoEllipse>();
}

void TVemoEllipseState::Span(TVemoShape& shape, PointF anchor, PointF point) const {
    static_cast<TVemoEllipse&>(shape).SetCircle(anchor, point);
}

TVemoEventState* TVemoStringState::Leave() {
    context_->StylePanel().ClearStyles();
    return nullptr;
}

TVemoEventState* TVemoStringState::MouseDown(TShiftState shift, PointF point) {
    if (!(shift & ssLeft)) return this;
    anchor_ = point;
    if (TVemoString* text = TextAt(context_->RootObject(), point)) {
        // The window applies its edits itself on OK; a Cancel changed nothing
        // and so records no step.
        TEditStep step(*context_, TStepKind::Root);
        context_->Ui().EditTextModal(*text);
        context_->Invalidate();
        return this;
    }
    anchor_ = gridsnap::Snapped(&Document(), point);
    auto text = std::make_unique<TVemoString>();
    text->SetLayer(Document().GetLayerList().Current());
    text->SetSurface(context_->StylePanel().CurrentSurface());
    // A new text starts in the font used last.
    if (const TVemoFont* font = context_->Ui().CurrentTextFont()) text->SetFont(*font);
    if (!context_->Ui().EditTextModal(*text)) return this;
    TEditStep step(*context_, TStepKind::Root);
    // The text is laid out from (0, 0): the click becomes its origin.
    text->Translate(anchor_.x, anchor_.y);
    context_->RootObject().AddChild(std::move(text));
    context_->Invalidate();
    return this;
}

TVemoEventState* TVemoStringState::MouseMove(TShiftState, PointF point) {
    context_->ShowPosition(gridsnap::Snapped(&Document(), point));
    context_->SetCursor(TextAt(context_->RootObject(), point) ? kTextBeamCursor : kArrowCursor);
    return this;
}

TVemoEventState* TVemoStringState::Command(TEditCommand code) {
    if (code == ecUndo || code == ecRedo) {
        context_->StylePanel().ClearStyles();
        StepHistory(code == ecRedo);
        return this;
    }
    return TVemoEventState::Command(code);
}
