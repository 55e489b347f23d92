#include "model/Vemopart.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numeric>
#include <vector>

#include "model/Vemoobjectvisitor.h"

namespace {

struct TOutlineItem {
    GraphicsPath outline{geom::FillMode::Winding};
    float l = 0, t = 0, r = 0, b = 0;

    // Closed boxes: outlines that only touch still meet.
    bool BoxMeets(const TOutlineItem& o) const { return l <= o.r && o.l <= r && t <= o.b && o.t <= b; }
};

class TDisjointSets {
public:
    explicit TDisjointSets(std::size_t n) : parent_(n) { std::iota(parent_.begin(), parent_.end(), 0); }

    std::size_t Find(std::size_t i) {
        while (parent_[i] != i) {
            parent_[i] = parent_[parent_[i]];
            i = parent_[i];
        }
        return i;
    }
    // The smaller index stays the root, so a root is always its set's first member.
    void Unite(std::size_t a, std::size_t b) {
        a = Find(a), b = Find(b);
        if (a == b) return;
        if (b < a) std::swap(a, b);
        parent_[b] = a;
    }

private:
    std::vector<std::size_t> parent_;
};

// A uniform grid over the items' bounds. The cell is about one typical item
// (the median extent), and the grid never has many more cells than items, so
// each item is compared only with the few that share its cells.
class TCellGrid {
public:
    explicit TCellGrid(const std::vector<TOutlineItem>& items) {
        float left = items[0].l, top = items[0].t, right = items[0].r, bottom = items[0].b;
        std::vector<float> extents;
        extents.reserve(items.size());
        for (const TOutlineItem& it : items) {
            left = std::min(left, it.l), top = std::min(top, it.t);
            right = std::max(right, it.r), bottom = std::max(bottom, it.b);
            // Not-a-number would break the ordering the median needs.
            const float extent = std::max(it.r - it.l, it.b - it.t);
            extents.push_back(std::isfinite(extent) ? extent : 0.0f);
        }
        const auto mid = extents.begin() + std::ptrdiff_t(extents.size() / 2);
        std::nth_element(extents.begin(), mid, extents.end());
        left_ = left, top_ = top;
        const double width = double(right) - left, height = double(bottom) - top;
        // Geometry beyond any board: one cell, compared pairwise but never wrong.
        if (!std::isfinite(width) || !std::isfinite(height)) {
            cells_.resize(1);
            return;
        }
        cell_ = std::max({double(*mid), std::max(width, height) * 1e-6, 1e-3});
        const double maxCells = 4.0 * double(items.size()) + 16.0;
        const auto cellCount = [&] {
            return (std::floor(width / cell_) + 1) * (std::floor(height / cell_) + 1);
        };
        // A long thin board needs more than one step: only one axis shrinks.
        for (double cells = cellCount(); cells > maxCells; cells = cellCount())
            cell_ *= std::max(1.25, std::sqrt(cells / maxCells));
        nx_ = std::size_t(std::floor(width / cell_)) + 1;
        ny_ = std::size_t(std::floor(height / cell_)) + 1;
        cells_.resize(nx_ * ny_);
    }

    std::size_t CellX(float x) const { return Clamp((double(x) - left_) / cell_, nx_); }
    std::size_t CellY(float y) const { return Clamp((double(y) - top_) / cell_, ny_); }
    std::vector<std::size_t>& At(std::size_t cx, std::size_t cy) { return cells_[cy * nx_ + cx]; }

private:
    static std::size_t Clamp(double v, std::size_t n) {
        if (!(v > 0.0)) return 0;
        if (v >= double(n - 1)) return n - 1;
        return std::size_t(v);
    }

    double left_ = 0, top_ = 0, cell_ = 1;
    std::size_t nx_ = 1, ny_ = 1;
    std::vector<std::vector<std::size_t>> cells_;
};

// Appends one winding outline per group of met outlines, groups in the order of
// their first item.
void AppendMerged(std::vector<TOutlineItem>& items, GraphicsPath& path) {
    const std::size_t n = items.size();
    TDisjointSets sets(n);
    TCellGrid grid(items);
    for (std::size_t i = 0; i < n; ++i) {
        const TOutlineItem& a = items[i];
        const std::size_t x0 = grid.CellX(a.l), x1 = grid.CellX(a.r);
        const std::size_t y0 = grid.CellY(a.t), y1 = grid.CellY(a.b);
        for (std::size_t cy = y0; cy <= y1; ++cy) {
            for (std::size_t cx = x0; cx <= x1; ++cx) {
                std::vector<std::size_t>& cell = grid.At(cx, cy);
                for (const std::size_t j : cell) {
                    const TOutlineItem& b = items[j];
                    if (!a.BoxMeets(b) || sets.Find(i) == sets.Find(j)) continue;
                    // A pair sharing several cells is compared once: in the cell
                    // holding the top-left corner of the common box.
                    if (grid.CellX(std::max(a.l, b.l)) != cx || grid.CellY(std::max(a.t, b.t)) != cy)
                        continue;
                    if (geom::OutlinesMeet(a.outline, b.outline)) sets.Unite(i, j);
                }
                cell.push_back(i);
            }
        }
    }

    // Roots are first members, so walking the items in order meets each group at
    // its first item.
    std::vector<std::vector<std::size_t>> groups;
    std::vector<std::size_t> groupOf(n, n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t root = sets.Find(i);
        if (groupOf[root] == n) {
            groupOf[root] = groups.size();
            groups.emplace_back();
        }
        groups[groupOf[root]].push_back(i);
    }
    for (const auto& members : groups) {
        GraphicsPath merged(geom::FillMode::Winding);
        for (const std::size_t m : members) merged.AddPath(items[m].outline, false);
        merged.WindingOutline(geom::kDefaultFlatness);
        path.AddPath(merged, false);
    }
    path.SetFillMode(geom::FillMode::Winding);
}

}  // namespace

TVemoPart::TVemoPart() : TVemoContainer("Part") {}

TVemoPart* TVemoPart::Clone() const {
    return new TVemoPart(*this);
}

void TVemoPart::AddMergedOutline(GraphicsPath& path, int layerIndex) {
    if (!IsVisible()) return;
    TLayerVisitor onLayer(layerIndex);
    AcceptDeep(onLayer);
    if (onLayer.Count() == 0) return;

    // Each outline is made once; hidden objects add nothing and take no part.
    std::vector<TOutlineItem> items;
    items.reserve(static_cast<std::size_t>(onLayer.Count()));
    for (const TVemoObject* object : onLayer.Objects()) {
        TOutlineItem item;
        object->AddOutline(item.outline, layerIndex);
        if (item.outline.IsEmpty()) continue;
        const RectF box = item.outline.GetBounds();
        item.l = box.Left(), item.t = box.Top(), item.r = box.Right(), item.b = box.Bottom();
        items.push_back(std::move(item));
    }

    const bool hadFigures = !path.IsEmpty();
    if (!items.empty()) AppendMerged(items, path);
    if (hadFigures) path.WindingOutline(geom::kDefaultFlatness);
}

bool TVemoPart::SelectAt(PointF p) {
    bool hit = false;
    for (const auto& child : children_)
        if (!child->IsLocked() && child->SelectAt(p)) hit = true;
    return hit;
}

bool TVemoPart::SelectInRect(const RectF& rect, TVemoGraphics* graphics) {
    bool hit = false;
    for (const auto& child : children_)
        if (!child->IsLocked() && child->SelectInRect(rect, graphics)) hit = true;
    return hit;
}

void TVemoPart::Select() {
    for (const auto& child : children_)
        if (!child->IsLocked()) child->Select();
}

void TVemoPart::Deselect() {
    for (const auto& child : children_) child->Deselect();
}

void TVemoPart::Accept(TVemoObjectVisitor& visitor) {
    for (const auto& child : children_) child->Accept(visitor);
}
