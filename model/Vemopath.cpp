#include "model/Vemopath.h"

#include <cstring>

#include <algorithm>
#include <cmath>
#include <iterator>

#include "bezier/Bezierofssolver.h"
#include "bezier/Newton3.h"
#include "model/Vemodrawstyle.h"
#include "model/Vemographics.h"

namespace {

constexpr unsigned char kNewNodeType = TVemoPath::TypeSmooth;
constexpr unsigned char kCurvedNodeType = TVemoPath::TypeSmooth | TVemoPath::TypeCurved;
// Outlines for merging and export are built from a coarse flattening.
constexpr float kMergeFlatness = 1.0f;
constexpr float kToggleTolerance = 3.0f;

struct DPoint {
    double x, y;
};

DPoint Lerp(DPoint a, DPoint b, double t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

DPoint ToD(PointF p) {
    return {p.x, p.y};
}

PointF ToF(DPoint p) {
    return {float(p.x), float(p.y)};
}

DPoint BezierAt(PointF p0, PointF p1, PointF p2, PointF p3, double t) {
    const double u = 1.0 - t;
    const double b0 = u * u * u, b1 = 3.0 * u * u * t, b2 = 3.0 * u * t * t, b3 = t * t * t;
    return {b0 * p0.x + b1 * p1.x + b2 * p2.x + b3 * p3.x, b0 * p0.y + b1 * p1.y + b2 * p2.y + b3 * p3.y};
}

RectF SquareAt(PointF c, float half) {
    return RectF(c.x - half, c.y - half, 2.0f * half, 2.0f * half);
}

bool Finite(PointF p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

// Reverses the direction of travel of a point ring, or of anything indexed like it.
template <class T>
void ReverseRing(TRingVector<T>& ring, bool closed) {
    std::vector<T> v(ring.begin(), ring.end());
    if (closed) {
        // Anchor 0 stays first: reverse the chain that ends at point 0 again.
        v.push_back(v.front());
        std::reverse(v.begin(), v.end());
        v.pop_back();
    } else {
        std::rotate(v.rbegin(), v.rbegin() + 1, v.rend());
        std::reverse(v.begin(), v.end());
        std::rotate(v.begin(), v.begin() + 1, v.end());
    }
    std::copy(v.begin(), v.end(), ring.begin());
}

template <class T>
void AssignRing(TRingVector<T>& ring, const std::vector<T>& values) {
    ring.resize(values.size());
    std::copy(values.begin(), values.end(), ring.begin());
}

}  // namespace

TVemoPath::TVemoPath() : TVemoInstance("Path") {}

TVemoPath::TVemoPath(const TVemoPath& other)
    : TVemoInstance(other), closed_(other.closed_), points_(other.points_), types_(other.types_) {
    // A copy starts outside any point edit (its flags are fresh), so stale node
    // selections must not ride along into the next edit of the copy.
    for (unsigned char& t : types_) t &= static_cast<unsigned char>(~TypeSelected);
    Rebuild();
}

TVemoPath* TVemoPath::Clone() const {
    return new TVemoPath(*this);
}

std::vector<PointF> TVemoPath::CurvePoints() const {
    const std::size_t n = points_.size();
    std::vector<PointF> pts;
    if (n < 4) return pts;
    if (closed_) {
        pts.assign(points_.begin(), points_.end());
        pts.push_back(points_[0]);
    } else {
        pts.assign(points_.begin(), points_.end() - 2);
    }
    if ((pts.size() - 1) % 3 != 0) pts.clear();
    return pts;
}

GraphicsPath TVemoPath::CurvePath() const {
    GraphicsPath curve;
    const std::vector<PointF> pts = CurvePoints();
    curve.AddBeziers(pts.data(), pts.size());
    if (closed_ && !pts.empty()) curve.CloseFigure();
    return curve;
}

void TVemoPath::Rebuild() {
    stale_ = false;
    outline_.Reset();
    outlineQuality_ = kExact;
    if (points_.size() < 4) return;
    outline_.SetFillMode(geom::FillMode::Winding);
    ApplyLayerColour();
    const std::vector<PointF> pts = CurvePoints();
    if (pts.empty()) return;
    GraphicsPath curve;
    curve.AddBeziers(pts.data(), pts.size());

    const bool stroke = surface_.GetWidth() > 0.0f;
    const bool fill = surface_.GetFill();
    GraphicsPath strokeOutline;
    if (stroke) {
        strokeOutline.AddBeziers(pts.data(), pts.size());
        if (closed_) strokeOutline.CloseFigure();
        if (!strokeOutline.Widen(surface_.GetPen(), geom::kDefaultFlatness)) outlineQuality_ = kTangled;
    }
    GraphicsPath figure(geom::FillMode::Winding);
    if (fill) {
        figure.AddBeziers(pts.data(), pts.size());
        figure.CloseFigure();
    }

    if (stroke && fill) {
        // The stroke outline is oriented by the widening; a figure drawn the other
        // way round would cancel the stroke band under the nonzero rule. Bringing
        // the figure to the same orientation first makes the sum a plain union.
        bool exact = outlineQuality_ == kExact && figure.WindingOutline(geom::kDefaultFlatness);
        outline_ = strokeOutline;
        outline_.AddPath(figure);
        exact = exact && outline_.WindingOutline(geom::kDefaultFlatness);
        if (!exact) outlineQuality_ = kTangled;
    } else if (stroke) {
        outline_ = strokeOutline;
    } else if (fill) {
        outline_ = figure;
    }
    outline_.SetFillMode(geom::FillMode::Winding);
    bounds_ = outline_.GetBounds();
    if (outlineQuality_ == kExact && geom::BeyondReach(curve.GetBounds())) {
        // Brought within reach, so that drawing never meets such coordinates.
        outlineQuality_ = kBeyondReach;
        outline_.WindingOutline(geom::kDefaultFlatness);
        bounds_ = outline_.GetBounds();
    }
}

void TVemoPath::AddOutline(GraphicsPath& path, int layerIndex) const {
    if (!OnLayerPass(layerIndex)) return;
    const std::vector<PointF> pts = CurvePoints();
    if (pts.empty()) return;

    GraphicsPath part(geom::FillMode::Winding);
    if (surface_.GetWidth() > 0.0f) {
        GraphicsPath stroke;
        stroke.AddBeziers(pts.data(), pts.size());
        if (closed_) stroke.CloseFigure();
        stroke.Flatten(kMergeFlatness);
        stroke.Widen(surface_.GetPen(), geom::kDefaultFlatness);
        part.AddPath(stroke);
    }
    if (surface_.GetFill()) {
        GraphicsPath figure(geom::FillMode::Winding);
        figure.AddBeziers(pts.data(), pts.size());
        figure.CloseFigure();
        figure.Flatten(kMergeFlatness);
        // Oriented like every other outline, so that it cannot cancel them.
        figure.WindingOutline(geom::kDefaultFlatness);
        part.AddPath(figure);
    }
    if (part.IsEmpty()) return;
    path.AddPath(part, false);
    path.WindingOutline(geom::kDefaultFlatness);
}

void TVemoPath::GetBounds(RectF& bounds) const {
    bounds = bounds_;
}

void TVemoPath::DrawFill(TVemoGraphics* graphics, int layerIndex) const {
    DrawOutlineFill(graphics, layerIndex, outline_);
}

void TVemoPath::DrawMask(TVemoGraphics* graphics, int layerIndex) const {
    DrawOutlineMask(graphics, layerIndex, outline_);
}

void TVemoPath::DrawDecorations(TVemoGraphics* graphics) const {
    if (!graphics) return;
    const bool editing = IsEditingPoints();
    if (!editing && !IsSelected()) return;

    const TDrawStyle& style = DrawStyle();
    const float px = style.GetPixelSize();
    const Argb colour = layer_ ? layer_->GetContrastColour() : style.GetColour(dcRubberBand);
    Pen pen;
    pen.colour = colour;
    pen.width = px;

    const GraphicsPath curve = CurvePath();
    if (!curve.IsEmpty()) graphics->StrokePath(curve, pen);
    if (!editing) return;

    const float half = 2.0f * px;  // squares and dots of 4 pixels
    const auto n = static_cast<std::ptrdiff_t>(points_.size());
    for (std::ptrdiff_t k = 0; k + 2 < n; k += 3) {
        const PointF anchor = points_[k];
        if (AnchorSelected(k)) {
            graphics->FillEllipse(SquareAt(points_[k - 1], half), colour);
            graphics->DrawLine(points_[k - 1], anchor, pen);
            graphics->FillEllipse(SquareAt(points_[k + 1], half), colour);
            graphics->DrawLine(points_[k + 1], anchor, pen);
            graphics->FillRect(SquareAt(anchor, half), colour);
        } else {
            graphics->StrokeRect(SquareAt(anchor, half), pen);
        }
    }
}

bool TVemoPath::HitPoint(PointF p) const {
    return !outline_.IsEmpty() && bounds_.Contains(p) && outline_.IsVisible(p);
}

bool TVemoPath::HitRect(const RectF& rect, TVemoGraphics*) const {
    return !outline_.IsEmpty() && bounds_.Touches(rect) && geom::OutlineMeetsRect(outline_, rect);
}

bool TVemoPath::HitPath(const GraphicsPath& path, const RectF& pathBounds, TVemoGraphics*) const {
    return !outline_.IsEmpty() && bounds_.Touches(pathBounds) && geom::OutlinesMeet(outline_, path);
}

bool TVemoPath::HitSelected(PointF p) const {
    return IsSelected() && HitPoint(p);
}

void TVemoPath::Select() {
    DeselectAnchors();
    TVemoInstance::Select();
}

void TVemoPath::Deselect() {
    DeselectAnchors();
    TVemoInstance::Deselect();
}

int TVemoPath::HitHandle(PointF p, float tol) const {
    const RectF box = ToleranceBox(p, tol);
    const auto n = static_cast<std::ptrdiff_t>(points_.size());
    for (std::ptrdiff_t k = 0; k + 2 < n; k += 3) {
        if (box.Contains(points_[k])) return 2;
        if (AnchorSelected(k) && (box.Contains(points_[k - 1]) || box.Contains(points_[k + 1]))) return 4;
    }
    return HitPoint(p) ? 1 : 0;
}

int TVemoPath::AnchorsInRect(const RectF& rect) const {
    const auto n = static_cast<std::ptrdiff_t>(points_.size());
    for (std::ptrdiff_t k = 0; k + 2 < n; k += 3)
        if (rect.Contains(points_[k])) return 2;
    return 0;
}

int TVemoPath::HitSelectedAnchor(PointF p, float tol) const {
    const RectF box = ToleranceBox(p, tol);
    const auto n = static_cast<std::ptrdiff_t>(points_.size());
    for (std::ptrdiff_t k = 0; k + 2 < n; k += 3)
        if (AnchorSelected(k) && box.Contains(points_[k])) return 2;
    return 0;
}

void TVemoPath::ClearHandleSelection() {
    for (std::size_t i = 0; i < types_.size(); ++i)
        if (i % 3 != 0) types_[std::ptrdiff_t(i)] &= static_cast<unsigned char>(~TypeSelected);
    handleMode_ = 0;
}

int TVemoPath::PickHandle(PointF p, float tol) {
    ClearHandleSelection();
    const RectF box = ToleranceBox(p, tol);
    const auto n = static_cast<std::ptrdiff_t>(points_.size());
    for (std::ptrdiff_t k = 0; k + 2 < n; k += 3) {
        if (box.Contains(points_[k])) {
            SetFlags(FlagEditingPoints);
            types_[k] |= TypeSelected;
            return 2;
        }
        if (!AnchorSelected(k)) continue;
        for (const std::ptrdiff_t h : {k - 1, k + 1}) {
            if (box.Contains(points_[h])) {
                types_[h] |= TypeSelected;
                handleMode_ = 1;
                return 4;
            }
        }
    }
    if (HitPoint(p)) {
        SetFlags(FlagEditingPoints);
        return 1;
    }
    return 0;
}

int TVemoPath::SelectAnchorsInRect(const RectF& rect) {
    ClearHandleSelection();
    int result = 0;
    const auto n = static_cast<std::ptrdiff_t>(points_.size());
    for (std::ptrdiff_t k = 0; k + 2 < n; k += 3) {
        if (!rect.Contains(points_[k])) continue;
        types_[k] |= TypeSelected;
        SetFlags(FlagEditingPoints);
        result = 2;
    }
    return result;
}

int TVemoPath::SelectAllAnchors() {
    ClearHandleSelection();
    SetFlags(FlagEditingPoints);
    const auto n = static_cast<std::ptrdiff_t>(points_.size());
    for (std::ptrdiff_t k = 0; k + 2 < n; k += 3) types_[k] |= TypeSelected;
    return 1;
}

void TVemoPath::DeselectAnchors() {
    ClearHandleSelection();
    ClearFlags(FlagEditingPoints);
    const auto n = static_cast<std::ptrdiff_t>(types_.size());
    for (std::ptrdiff_t k = 0; k + 2 < n; k += 3) types_[k] &= static_cast<unsigned char>(~TypeSelected);
}

int TVemoPath::SelectAnchorsOn(const TVemoObject& other) {
    ClearHandleSelection();
    int result = 0;
    const auto n = static_cast<std::ptrdiff_t>(points_.size());
    for (std::ptrdiff_t k = 0; k + 2 < n; k += 3) {
        if (!other.HitPoint(points_[k])) continue;
        SetFlags(FlagEditingPoints);
        types_[k] |= TypeSelected;
        result = 2;
    }
    return result;
}

std::ptrdiff_t TVemoPath::FirstSelectedAnchor() const {
    const auto n = static_cast<std::ptrdiff_t>(points_.size());
    for (std::ptrdiff_t k = 0; k + 2 < n; k += 3)
        if (AnchorSelected(k)) return k;
    return -1;
}

std::ptrdiff_t TVemoPath::ActiveHandle() const {
    const auto n = static_cast<std::ptrdiff_t>(types_.size());
    for (std::ptrdiff_t i = 0; i < n; ++i)
        if (i % 3 != 0 && (types_[i] & TypeSelected)) return i;
    return -1;
}

void TVemoPath::KeepCollinear(std::ptrdiff_t i) {
    const std::ptrdiff_t anchorIndex = (i % 3 == 1) ? i - 1 : i + 1;
    const std::ptrdiff_t opposite = (i % 3 == 1) ? i - 2 : i + 2;
    const PointF anchor = points_[anchorIndex];
    const PointF v = points_[i] - anchor;
    const double len = geom::Length(v);
    if (len == 0.0) return;
    const double keep = geom::Distance(points_[opposite], anchor);
    const double f = keep / len;
    points_[opposite] = PointF(float(anchor.x - v.x * f), float(anchor.y - v.y * f));
}

void TVemoPath::MoveSelection(float dx, float dy) {
    const PointF d(dx, dy);
    bool moved = false;
    const auto n = static_cast<std::ptrdiff_t>(points_.size());
    for (std::ptrdiff_t k = 0; k + 2 < n; k += 3) {
        if (!AnchorSelected(k)) continue;
        points_[k - 1] += d;
        points_[k] += d;
        points_[k + 1] += d;
        moved = true;
    }
    if (moved) Rebuild();
}

void TVemoPath::RotateSelection(float angle, PointF centre) {
    Matrix m;
    m.RotateAt(angle, centre);
    bool moved = false;
    const auto n = static_cast<std::ptrdiff_t>(points_.size());
    for (std::ptrdiff_t k = 0; k + 2 < n; k += 3) {
        if (!AnchorSelected(k)) continue;
        for (const std::ptrdiff_t i : {k - 1, k, k + 1}) points_[i] = m.Map(points_[i]);
        moved = true;
    }
    if (moved) Rebuild();
}

void TVemoPath::MoveActiveHandle(float dx, float dy) {
    if (!handleMode_) return;
    const std::ptrdiff_t i = ActiveHandle();
    if (i < 0) return;
    points_[i] += PointF(dx, dy);
    if (types_[i] & TypeSmooth) KeepCollinear(i);
    Rebuild();
}

void TVemoPath::RotateActiveHandle(float angle, PointF centre) {
    if (!handleMode_) return;
    const std::ptrdiff_t i = ActiveHandle();
    if (i < 0) return;
    Matrix m;
    m.RotateAt(angle, centre);
    points_[i] = m.Map(points_[i]);
    if (types_[i] & TypeSmooth) KeepCollinear(i);
    Rebuild();
}

void TVemoPath::PullHandles(PointF p) {
    const std::ptrdiff_t k = FirstSelectedAnchor();
    if (k < 0) return;
    const PointF anchor = points_[k];
    points_[k + 1] = p;
    points_[k - 1] = anchor * 2.0f - p;
    for (const std::ptrdiff_t i : {k - 1, k, k + 1}) types_[i] |= kCurvedNodeType;
    Rebuild();
}

void TVemoPath::ToggleNodeKind(PointF p) {
    const int hit = HitHandle(p, kToggleTolerance);
    if (hit == 2) {
        DeselectAnchors();
        PickHandle(p, kToggleTolerance);
        const std::ptrdiff_t k = FirstSelectedAnchor();
        if (k < 0) return;
        points_[k - 1] = points_[k];
        points_[k + 1] = points_[k];
        for (const std::ptrdiff_t i : {k - 1, k, k + 1}) types_[i] &= static_cast<unsigned char>(~TypeCurved);
        Rebuild();
    } else if (hit == 4) {
        PickHandle(p, kToggleTolerance);
        const auto n = static_cast<std::ptrdiff_t>(points_.size());
        for (std::ptrdiff_t k = 0; k + 2 < n; k += 3) {
            if (!((types_[k - 1] | types_[k + 1]) & TypeSelected)) continue;
            for (const std::ptrdiff_t i : {k - 1, k, k + 1})
                types_[i] &= static_cast<unsigned char>(~TypeSmooth);
            break;
        }
    }
}

TVemoPath::SegmentHit TVemoPath::NearestSegment(PointF p) const {
    SegmentHit best;
    const auto n = static_cast<std::ptrdiff_t>(points_.size());
    if (n < 3) return best;
    // A closed path also offers its closing segment (back to point 0).
    const std::ptrdiff_t last = closed_ ? n - 3 : n - 6;
    double bestDistance = -1.0;
    for (std::ptrdiff_t s = 0; s <= last; s += 3) {
        const PointF p0 = points_[s], p1 = points_[s + 1], p2 = points_[s + 2], p3 = points_[s + 3];
        Newton3 roots[2];
        roots[0].SetForX(p0, p1, p2, p3, p);
        roots[1].SetForY(p0, p1, p2, p3, p);
        double segDistance = -1.0;
        double segT = 0.0;
        for (Newton3& r : roots) {
            r.Solve();
            const double found[3] = {r.r1, r.r2, r.r3};
            for (int j = 0; j < r.count; ++j) {
                const double t = found[j];
                if (!(t > 0.0 && t < 1.0)) continue;
                const DPoint c = BezierAt(p0, p1, p2, p3, t);
                const double d = std::hypot(c.x - p.x, c.y - p.y);
                if (segDistance < 0.0 || d < segDistance) {
                    segDistance = d;
                    segT = t;
                }
            }
        }
        if (segDistance >= 0.0 && (bestDistance < 0.0 || segDistance < bestDistance)) {
            bestDistance = segDistance;
            best.start = s;
            best.t = segT;
        }
    }
    return best;
}

void TVemoPath::InsertNodeAt(PointF p) {
    const SegmentHit hit = NearestSegment(p);
    if (hit.start < 0) return;
    for (int j = 0; j < 3; ++j) {
        points_.insert(hit.start + 2, p);
        types_.insert(hit.start + 2, kNewNodeType);
    }
    Rebuild();
}

bool TVemoPath::SplitAt(PointF p) {
    const SegmentHit hit = NearestSegment(p);
    if (hit.start < 0) return false;
    const std::ptrdiff_t s = hit.start;
    const double t = hit.t;
    const DPoint p0 = ToD(points_[s]), p1 = ToD(points_[s + 1]), p2 = ToD(points_[s + 2]),
                 p3 = ToD(points_[s + 3]);
    const DPoint p01 = Lerp(p0, p1, t), p12 = Lerp(p1, p2, t), p23 = Lerp(p2, p3, t);
    const DPoint p012 = Lerp(p01, p12, t), p123 = Lerp(p12, p23, t);
    const DPoint m = Lerp(p012, p123, t);
    points_[s + 1] = ToF(p01);
    points_[s + 2] = ToF(p23);
    // The new node lies on a smooth curve with its handles pulled out.
    const PointF inserted[3] = {ToF(p012), ToF(m), ToF(p123)};
    for (int j = 2; j >= 0; --j) {
        points_.insert(s + 2, inserted[j]);
        types_.insert(s + 2, kCurvedNodeType);
    }
    Rebuild();
    return true;
}

void TVemoPath::DeleteNodeAt(PointF p, float tol) {
    if (points_.size() < 7) return;
    const RectF box = ToleranceBox(p, tol);
    const auto n = static_cast<std::ptrdiff_t>(points_.size());
    for (std::ptrdiff_t k = 0; k + 2 < n; k += 3) {
        if (!box.Contains(points_[k])) continue;
        for (const std::ptrdiff_t i : {k + 1, k, k - 1}) {
            points_.erase(i);
            types_.erase(i);
        }
        if (k == 0) {
            // Keep anchors at indices divisible by 3.
            points_.push_back(points_[0]);
            points_.erase(0);
            types_.push_back(types_[0]);
            types_.erase(0);
        }
        Rebuild();
        return;
    }
}

void TVemoPath::Reverse() {
    if (points_.empty()) return;
    ReverseRing(points_, closed_ != 0);
    ReverseRing(types_, closed_ != 0);
    Rebuild();
}

void TVemoPath::Transform(const Matrix& m) {
    m.TransformPoints(points_.data(), points_.size());
    Rebuild();
}

void TVemoPath::Translate(float dx, float dy) {
    const PointF d(dx, dy);
    for (PointF& pt : points_) pt += d;
    Rebuild();
}

void TVemoPath::Rotate(float angle, PointF centre) {
    Matrix m;
    m.RotateAt(angle, centre);
    Transform(m);
}

void TVemoPath::Reset() {
    points_.clear();
    types_.clear();
    closed_ = 0;
    handleMode_ = 0;
    ClearFlags(FlagEditingPoints);
    outline_.Reset();
}

void TVemoPath::AppendNode(PointF p) {
    if (points_.empty()) {
        for (int j = 0; j < 3; ++j) {
            points_.push_back(p);
            types_.push_back(kNewNodeType);
        }
        return;
    }
    // Before the incoming handle of anchor 0, which stays last.
    for (int j = 0; j < 3; ++j) {
        points_.insert(-1, p);
        types_.insert(-1, kNewNodeType);
    }
}

bool TVemoPath::IsNearStart(PointF p, float tol) const {
    return !points_.empty() && ToleranceBox(p, tol).Contains(points_[0]);
}

void TVemoPath::Close() {
    closed_ = 1;
    Rebuild();
}

void TVemoPath::Finish() {
    Rebuild();
}

bool TVemoPath::Offset(double distance) {
    const std::size_t n = points_.size();
    if (n < 4 || n % 3 != 0 || types_.size() != n) return false;

    std::vector<PointF> pts(points_.begin(), points_.end());
    std::vector<unsigned char> types(types_.begin(), types_.end());
    if (closed_) {
        pts.push_back(pts.front());
        types.push_back(types.front());
    } else {
        // The closing segment's handles are not part of an open chain.
        pts.resize(n - 2);
        types.resize(n - 2);
    }

    CBezierOfs<std::vector<PointF>::const_iterator, std::vector<unsigned char>::const_iterator> ofs;
    ofs.SetRange(pts.cbegin(), pts.cend(), types.cbegin(), types.cend());
    ofs.SetDistance(distance);
    if (!ofs.Run()) return false;
    std::vector<PointF> outPoints = ofs.OutPoints();
    std::vector<unsigned char> outTypes = ofs.OutTypes();
    if (outPoints.size() < 4 || outPoints.size() != outTypes.size() ||
        !std::all_of(outPoints.begin(), outPoints.end(), Finite))
        return false;

    if (closed_) {
        outPoints.pop_back();
        outTypes.pop_back();
    } else {
        // Closing handles again, mirrored out of the end anchors.
        outPoints.push_back(outPoints.back());
        outPoints.push_back(outPoints.front());
        outTypes.push_back(outTypes.back());
        outTypes.push_back(outTypes.front());
        const std::size_t m = outPoints.size();
        outPoints[m - 2] = outPoints[m - 3] * 2.0f - outPoints[m - 4];
        outPoints[m - 1] = outPoints[0] * 2.0f - outPoints[1];
    }
    AssignRing(points_, outPoints);
    AssignRing(types_, outTypes);
    handleMode_ = 0;
    Rebuild();
    return true;
}

bool TVemoPath::SetData(const std::vector<PointF>& points, const std::vector<unsigned char>& types,
                        bool closed) {
    if (points.size() != types.size() || points.size() % 3 != 0) return false;
    AssignRing(points_, points);
    AssignRing(types_, types);
    closed_ = closed ? 1 : 0;
    handleMode_ = 0;
    stale_ = true;
    return true;
}

bool TVemoPath::HasData(const std::vector<PointF>& points, const std::vector<unsigned char>& types,
                        bool closed) const {
    // Bit-exact, so that -0 and NaN count as changes; an empty list has a null data(),
    // which memcmp must not see even for no bytes.
    const auto same = [](const void* a, const void* b, std::size_t bytes) {
        return bytes == 0 || std::memcmp(a, b, bytes) == 0;
    };
    return (closed_ != 0) == closed && points.size() == points_.size() && types.size() == types_.size() &&
           same(points.data(), points_.data(), points.size() * sizeof(PointF)) &&
           same(types.data(), types_.data(), types.size());
}
