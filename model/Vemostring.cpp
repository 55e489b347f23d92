#include "model/Vemostring.h"

#include "geom/Samebits.h"
#include "model/Vemodrawstyle.h"
#include "model/Vemographics.h"

TVemoString::TVemoString() : TVemoInstance("String") {}

TVemoString::TVemoString(const TVemoString& other)
    : TVemoInstance(other), placement_(other.placement_), text_(other.text_), font_(other.font_) {
    Rebuild();
}

TVemoString* TVemoString::Clone() const {
    return new TVemoString(*this);
}

void TVemoString::SetText(const std::u16string& text) {
    text_ = text;
    Rebuild();
}

void TVemoString::SetFont(const TVemoFont& font) {
    font_.Assign(font);
    Rebuild();
}

void TVemoString::SetData(const Matrix& placement, const std::u16string& text, const TVemoFont& font) {
    AssignData(placement, text, font);
    Rebuild();
}

void TVemoString::AssignData(const Matrix& placement, const std::u16string& text, const TVemoFont& font) {
    placement_ = placement;
    text_ = text;
    font_.Assign(font);
    stale_ = true;
}

bool TVemoString::HasData(const Matrix& placement, const std::u16string& text, const TVemoFont& font) const {
    return text == text_ && font.FamilyName() == font_.FamilyName() && font.GetStyle() == font_.GetStyle() &&
           geom::SameBits(font.GetSize(), font_.GetSize()) &&
           geom::SameBits(placement.Elements(), placement_.Elements());
}

void TVemoString::Rebuild() {
    stale_ = false;
    ApplyLayerColour();
    outline_.Reset();
    outline_.SetFillMode(geom::FillMode::Winding);
    outlineQuality_ = kExact;
    // An empty text keeps its last corners and bounds, so it stays where it was.
    if (text_.empty()) return;
    font_.AddText(outline_, text_);
    const RectF b = outline_.GetBounds();
    corners_ = {PointF{b.x, b.y + b.height}, PointF{b.x + b.width, b.y + b.height},
                PointF{b.x + b.width, b.y}, PointF{b.x, b.y}};
    placement_.TransformPoints(corners_.data(), corners_.size());
    outline_.Transform(placement_);
    if (geom::BeyondReach(outline_.GetBounds())) {
        // Brought within reach, so that drawing never meets such coordinates.
        outlineQuality_ = kBeyondReach;
        outline_.WindingOutline(geom::kDefaultFlatness);
    }
    bounds_ = outline_.GetBounds();
}

void TVemoString::DrawFill(TVemoGraphics* graphics, int layerIndex) const {
    if (!graphics || !OnLayerPass(layerIndex)) return;
    if (layer_->IsWireFrame()) {
        Pen pen;
        pen.colour = layer_->GetOpaqueColour();
        pen.width = DrawStyle().GetPixelSize();
        graphics->StrokePath(outline_, pen);
    } else if (layer_->IsTextOutput()) {
        graphics->DrawText(text_, font_, placement_, outline_, surface_.GetBrush().colour);
    } else {
        graphics->FillPath(outline_, surface_.GetBrush().colour);
    }
}

void TVemoString::DrawMask(TVemoGraphics* graphics, int layerIndex) const {
    if (!graphics || !OnLayerPass(layerIndex)) return;
    const TDrawStyle& style = DrawStyle();
    if (layer_->IsWireFrame()) {
        Pen pen;
        pen.colour = style.GetColour(dcMaskInk);
        pen.width = style.GetPixelSize();
        graphics->StrokePath(outline_, pen);
        return;
    }
    const Argb colour = style.GetColour(IsCutOut() ? dcMaskPaper : dcMaskInk);
    if (layer_->IsTextOutput())
        graphics->DrawText(text_, font_, placement_, outline_, colour);
    else
        graphics->FillPath(outline_, colour);
}

void TVemoString::DrawDecorations(TVemoGraphics* graphics) const {
    if (!graphics) return;
    const TDrawStyle& style = DrawStyle();
    if (IsEditingPoints()) {
        graphics->DrawLine(corners_[0], corners_[1], style.GetDecorationPen());
        const float s = 4.0f * style.GetPixelSize();
        const RectF box{corners_[0].x - s / 2, corners_[0].y - s / 2, s, s};
        if (handleSelected_)
            graphics->FillRect(box, style.GetDecorationBrush().colour);
        else
            graphics->StrokeRect(box, style.GetDecorationPen());
    } else if (IsSelected()) {
        graphics->DrawLine(corners_[0], corners_[1], style.GetDecorationPen());
    }
}

bool TVemoString::HitPoint(PointF p) const {
    // Strictly inside the layout box: the four edge cross products share one sign.
    static constexpr int kOrder[5] = {3, 0, 1, 2, 3};  // top-left, bottom-left, bottom-right, top-right
    int positive = 0, negative = 0;
    for (int i = 0; i < 4; ++i) {
        const PointF a = corners_[std::size_t(kOrder[i])] - p, b = corners_[std::size_t(kOrder[i + 1])] - p;
        const double cross = double(a.x) * b.y - double(a.y) * b.x;
        if (cross > 0)
            ++positive;
        else if (cross < 0)
            ++negative;
    }
    return positive == 4 || negative == 4;
}

bool TVemoString::HitRect(const RectF& rect, TVemoGraphics*) const {
    return rect.IntersectsWith(bounds_) && geom::OutlineMeetsRect(outline_, rect);
}

bool TVemoString::HitPath(const GraphicsPath& path, const RectF& pathBounds, TVemoGraphics*) const {
    return pathBounds.IntersectsWith(bounds_) && geom::OutlinesMeet(outline_, path);
}

bool TVemoString::HitSelected(PointF p) const {
    return HitPoint(p) && IsSelected();
}

bool TVemoString::SelectAt(PointF p) {
    handleSelected_ = false;
    return TVemoInstance::SelectAt(p);
}

bool TVemoString::SelectInRect(const RectF& rect, TVemoGraphics* graphics) {
    handleSelected_ = false;
    return TVemoInstance::SelectInRect(rect, graphics);
}

void TVemoString::Select() {
    ClearFlags(FlagEditingPoints);
    handleSelected_ = false;
    TVemoInstance::Select();
}

void TVemoString::Deselect() {
    ClearFlags(FlagEditingPoints);
    handleSelected_ = false;
    TVemoInstance::Deselect();
}

int TVemoString::HitHandle(PointF p, float tol) const {
    if (ToleranceBox(p, tol).Contains(corners_[0])) return 2;
    return HitPoint(p) ? 1 : 0;
}

int TVemoString::AnchorsInRect(const RectF& rect) const {
    return rect.Contains(corners_[0]) ? 2 : 0;
}

int TVemoString::HitSelectedAnchor(PointF p, float tol) const {
    return handleSelected_ && ToleranceBox(p, tol).Contains(corners_[0]) ? 2 : 0;
}

int TVemoString::PickHandle(PointF p, float tol) {
    handleSelected_ = false;
    if (ToleranceBox(p, tol).Contains(corners_[0])) {
        SetFlags(FlagEditingPoints);
        handleSelected_ = true;
        return 2;
    }
    if (HitPoint(p)) {
        SetFlags(FlagEditingPoints);
        return 1;
    }
    return 0;
}

int TVemoString::SelectAnchorsInRect(const RectF& rect) {
    handleSelected_ = false;
    if (!rect.Contains(corners_[0])) return 0;
    SetFlags(FlagEditingPoints);
    handleSelected_ = true;
    return 2;
}

int TVemoString::SelectAllAnchors() {
    handleSelected_ = true;
    return 1;
}

void TVemoString::DeselectAnchors() {
    handleSelected_ = false;
}

void TVemoString::Transform(const Matrix& m) {
    placement_.Multiply(m);
    Rebuild();
}

void TVemoString::Translate(float dx, float dy) {
    placement_.Translate(dx, dy);
    Rebuild();
}

void TVemoString::Rotate(float angle, PointF centre) {
    placement_.RotateAt(angle, centre);
    Rebuild();
}

void TVemoString::MoveSelection(float dx, float dy) {
    if (!handleSelected_) return;
    Translate(dx, dy);
}
