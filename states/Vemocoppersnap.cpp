#include "states/Vemocoppersnap.h"

#include <algorithm>
#include <cmath>

#include "model/Vemocontainer.h"
#include "model/Vemodocument.h"
#include "model/Vemopart.h"
#include "model/Vemopath.h"
#include "model/Vemoshape.h"

namespace coppersnap {

namespace {

// A land bigger than this (either side, document units) is an area, not a pad.
constexpr float kLargestLand = 100.0f;

bool SamePoint(PointF a, PointF b) {
    return a.x == b.x && a.y == b.y;
}

}  // namespace

std::optional<PointF> Target(const TVemoDocument& document, PointF point, const TVemoObject* skip) {
    const TVemoObject* const one[] = {skip};
    return Target(document, point, std::span<const TVemoObject* const>(one, skip ? 1 : 0));
}

std::optional<PointF> Target(const TVemoDocument& document, PointF point,
                             std::span<const TVemoObject* const> skip) {
    const auto skipped = [&](const TVemoObject* o) {
        return std::find(skip.begin(), skip.end(), o) != skip.end();
    };
    const double reach = kPixels / document.GetZoom();
    std::optional<PointF> best;
    double bestDistance = reach;
    const auto offer = [&](PointF p) {
        const double d = std::hypot(double(p.x) - point.x, double(p.y) - point.y);
        if (d <= bestDistance) {
            bestDistance = d;
            best = p;
        }
    };
    ForEachObject(document.GetRoot(), true, [&](const TVemoObject& object) {
        if (object.IsLocked() || skipped(&object)) return;
        for (const TVemoObject* up = object.GetParent(); up; up = up->GetParent())
            if (skipped(up)) return;
        if (const auto* path = dynamic_cast<const TVemoPath*>(&object)) {
            const auto& points = path->GetPoints();
            const auto nodes = std::ptrdiff_t(points.size() / 3);
            if (nodes == 0) return;
            bool dot = true;
            for (std::ptrdiff_t k = 1; k < nodes && dot; ++k) dot = SamePoint(points[3 * k], points[0]);
            if (dot) {
                offer(points[0]);
            } else if (!path->IsClosed()) {
                offer(points[0]);
                offer(points[3 * (nodes - 1)]);
            } else if (nodes == 2) {
                // A slot drawn there and back: its middle.
                offer(PointF((points[0].x + points[3].x) / 2, (points[0].y + points[3].y) / 2));
            }
            return;
        }
        if (dynamic_cast<const TVemoShape*>(&object)) {
            const TVemoSurface* surface = object.GetSurface();
            RectF b;
            object.GetBounds(b);
            if (surface && surface->GetFill() && b.width <= kLargestLand && b.height <= kLargestLand)
                offer(PointF(b.x + b.width / 2, b.y + b.height / 2));
        }
    });
    return best;
}

}  // namespace coppersnap
