#include "model/Vemoshape.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "geom/Samebits.h"
#include "model/Vemodrawstyle.h"
#include "model/Vemographics.h"

namespace {

// Flatness of the cached outline and of merged outlines.
constexpr float kOutlineFlatness = 0.25f;

// Twice the signed area of a closed polygon, positive in the orientation that the
// winding outline gives outer contours.
double SignedArea2(const std::vector<PointF>& poly) {
    double a = 0.0;
    const std::size_t n = poly.size();
    for (std::size_t i = 0; i < n; ++i) {
        const PointF p = poly[i], q = poly[(i + 1) % n];
        a += double(p.x) * q.y - double(q.x) * p.y;
    }
    return a;
}

// The orientation of the contour with the largest area: the outer edge of a stroke.
double OuterOrientation(const GraphicsPath& stroke) {
    double best = 0.0;
    for (const auto& poly : stroke.FlattenedPolygons(kOutlineFlatness)) {
        const double a = SignedArea2(poly);
        if (std::fabs(a) > std::fabs(best)) best = a;
    }
    return best;
}

}  // namespace

TVemoShape::TVemoShape(std::string name) : TVemoInstance(std::move(name)) {}

void TVemoShape::SetData(const LocalPoints& points, const Matrix& placement) {
    AssignData(points, placement);
    Rebuild();
}

void TVemoShape::AssignData(const LocalPoints& points, const Matrix& placement) {
    local_ = points;
    placement_ = placement;
    stale_ = true;
}

bool TVemoShape::HasData(const LocalPoints& points, const Matrix& placement) const {
    return geom::SameBits(points, local_) && geom::SameBits(placement.Elements(), placement_.Elements());
}

bool TVemoShape::IsHandleSelected(int handle) const {
    return handle >= 0 && handle < kHandleCount && handleFlags_[std::size_t(handle)];
}

RectF TVemoShape::GetLocalBounds() const {
    float l = local_[1].x, t = local_[1].y, r = l, b = t;
    for (int i = 2; i < kHandleCount; ++i) {
        l = std::min(l, local_[std::size_t(i)].x);
        t = std::min(t, local_[std::size_t(i)].y);
        r = std::max(r, local_[std::size_t(i)].x);
        b = std::max(b, local_[std::size_t(i)].y);
    }
    return RectF(l, t, r - l, b - t);
}

void TVemoShape::Rebuild() {
    stale_ = false;
    ApplyLayerColour();
    ComputeWorldPoints();

    outline_.Reset();
    outline_.SetFillMode(geom::FillMode::Winding);
    outlineQuality_ = kExact;
    const bool stroked = surface_.GetWidth() > 0.0f;
    if (stroked) {
        AddFigure(outline_);
        if (geom::BeyondReach(outline_.GetBounds())) outlineQuality_ = kBeyondReach;
        outline_.Widen(surface_.GetPen(), kOutlineFlatness);
    }
    if (surface_.GetFill()) {
        GraphicsPath figure(geom::FillMode::Winding);
        AddFigure(figure);
        if (geom::BeyondReach(figure.GetBounds())) outlineQuality_ = kBeyondReach;
        // A figure running against the stroke's outer edge would cancel the inner
        // half of the stroke band under the nonzero rule (a rectangle drawn from its
        // top-right corner, a mirrored placement, a handle dragged across the centre).
        const std::vector<std::vector<PointF>> polys = figure.FlattenedPolygons(kOutlineFlatness);
        const double own = polys.empty() ? 0.0 : SignedArea2(polys.front());
        const double outer = stroked ? OuterOrientation(outline_) : 0.0;
        const bool wantPositive = outer >= 0.0;
        if ((own < 0.0 && wantPositive) || (own > 0.0 && !wantPositive)) figure.Reverse();
        if (stroked && !outline_.IsEmpty()) {
            outline_.AddPath(figure, false);
            outline_.WindingOutline(kOutlineFlatness);
        } else {
            outline_ = std::move(figure);
        }
    }

    // Brought within reach, so that drawing never meets such coordinates.
    if (outlineQuality_ == kBeyondReach) outline_.WindingOutline(kOutlineFlatness);
    inverse_ = placement_;
    invertible_ = inverse_.Invert();
    bounds_ = outline_.GetBounds();
}

void TVemoShape::AddOutline(GraphicsPath& path, int layerIndex) const {
    if (!OnLayerPass(layerIndex)) return;
    // The cached outline is exactly what Rebuild widens and fills.
    path.AddPath(outline_, false);
    path.WindingOutline(kOutlineFlatness);
}

void TVemoShape::GetBounds(RectF& bounds) const {
    bounds = bounds_;
}

void TVemoShape::DrawFill(TVemoGraphics* graphics, int layerIndex) const {
    DrawOutlineFill(graphics, layerIndex, outline_);
}

void TVemoShape::DrawMask(TVemoGraphics* graphics, int layerIndex) const {
    DrawOutlineMask(graphics, layerIndex, outline_);
}

void TVemoShape::DrawDecorations(TVemoGraphics* graphics) const {
    if (!graphics || !layer_) return;
    const bool editing = IsEditingPoints();
    if (!editing && !IsSelected()) return;

    const float px = DrawStyle().GetPixelSize();
    Pen pen;
    pen.colour = layer_->GetContrastColour();
    pen.width = px;
    GraphicsPath figure;
    AddFigure(figure);
    graphics->StrokePath(figure, pen);
    if (!editing) return;

    const float s = 4.0f * px, h = 2.0f * px;
    for (int i = 0; i < kHandleCount; ++i) {
        const PointF c = GetHandle(i);
        const RectF square(c.x - h, c.y - h, s, s);
        if (handleFlags_[std::size_t(i)])
            graphics->FillRect(square, pen.colour);
        else
            graphics->StrokeRect(square, pen);
    }
}

bool TVemoShape::HitPoint(PointF p) const {
    return bounds_.Contains(p) && outline_.IsVisible(p);
}

bool TVemoShape::HitRect(const RectF& rect, TVemoGraphics*) const {
    return bounds_.Touches(rect) && geom::OutlineMeetsRect(outline_, rect);
}

bool TVemoShape::HitPath(const GraphicsPath& path, const RectF& pathBounds, TVemoGraphics*) const {
    return bounds_.Touches(pathBounds) && geom::OutlinesMeet(outline_, path);
}

bool TVemoShape::HitSelected(PointF p) const {
    return IsSelected() && HitPoint(p);
}

void TVemoShape::Select() {
    ClearFlags(FlagEditingPoints);
    ClearHandleFlags();
    TVemoInstance::Select();
}

void TVemoShape::Deselect() {
    ClearFlags(FlagEditingPoints);
    ClearHandleFlags();
    TVemoInstance::Deselect();
}

void TVemoShape::ClearHandleFlags() {
    handleFlags_.fill(false);
}

int TVemoShape::FirstHandleIn(const RectF& rect) const {
    for (int i = 0; i < kHandleCount; ++i)
        if (rect.Contains(GetHandle(i))) return i;
    return -1;
}

int TVemoShape::HitHandle(PointF p, float tol) const {
    if (FirstHandleIn(ToleranceBox(p, tol)) >= 0) return 2;
    return HitPoint(p) ? 1 : 0;
}

int TVemoShape::AnchorsInRect(const RectF& rect) const {
    return FirstHandleIn(rect) >= 0 ? 2 : 0;
}

int TVemoShape::HitSelectedAnchor(PointF p, float tol) const {
    const RectF box = ToleranceBox(p, tol);
    for (int i = 0; i < kHandleCount; ++i)
        if (handleFlags_[std::size_t(i)] && box.Contains(GetHandle(i))) return 2;
    return 0;
}

int TVemoShape::PickHandle(PointF p, float tol) {
    ClearHandleFlags();
    const int handle = FirstHandleIn(ToleranceBox(p, tol));
    if (handle >= 0) {
        handleFlags_[std::size_t(handle)] = true;
        SetFlags(FlagEditingPoints);
        return 2;
    }
    if (HitPoint(p)) {
        SetFlags(FlagEditingPoints);
        return 1;
    }
    return 0;
}

int TVemoShape::SelectAnchorsInRect(const RectF& rect) {
    ClearHandleFlags();
    const int handle = FirstHandleIn(rect);
    if (handle < 0) return 0;
    handleFlags_[std::size_t(handle)] = true;
    SetFlags(FlagEditingPoints);
    return 2;
}

int TVemoShape::SelectAllAnchors() {
    ClearHandleFlags();
    handleFlags_[0] = true;
    return 1;
}

void TVemoShape::DeselectAnchors() {
    ClearHandleFlags();
}

void TVemoShape::Transform(const Matrix& m) {
    placement_.Multiply(m);
    Rebuild();
}

void TVemoShape::Translate(float dx, float dy) {
    placement_.Translate(dx, dy);
    Rebuild();
}

void TVemoShape::Rotate(float angle, PointF centre) {
    placement_.RotateAt(angle, centre);
    Rebuild();
}

void TVemoShape::MoveSelection(float dx, float dy) {
    const auto flagged = std::find(handleFlags_.begin(), handleFlags_.end(), true);
    if (flagged == handleFlags_.end()) return;
    const int handle = int(flagged - handleFlags_.begin());
    if (handle == 0) {
        Translate(dx, dy);
        return;
    }
    if (!invertible_) return;
    MoveHandle(handle, inverse_.MapVector(PointF(dx, dy)));
    Rebuild();
}
