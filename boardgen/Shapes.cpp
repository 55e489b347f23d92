#include "boardgen/Shapes.h"

#include "model/Vemoellipse.h"
#include "model/Vemolayer.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"
#include "model/Vemostring.h"

namespace boardgen {

namespace {
constexpr unsigned char kCurved = TVemoPath::TypeCurved | TVemoPath::TypeSmooth;
}  // namespace

// A path through the anchors with straight segments (handles on their anchors).
std::unique_ptr<TVemoPath> Polyline(const std::vector<PointF>& anchors, bool closed) {
    std::vector<PointF> points;
    std::vector<unsigned char> types;
    for (std::size_t k = 0; k < anchors.size(); ++k) {
        const PointF next = anchors[(k + 1) % anchors.size()];
        points.insert(points.end(), {anchors[k], anchors[k], next});
        types.insert(types.end(), {0, 0, 0});
    }
    auto path = std::make_unique<TVemoPath>();
    path->SetData(points, types, closed);
    return path;
}

// A track from a to b bending through a smooth curve.
std::unique_ptr<TVemoPath> CurvedTrack(PointF a, PointF b, float bulge) {
    const PointF d{b.x - a.x, b.y - a.y};
    const PointF n{-d.y * bulge, d.x * bulge};
    const std::vector<PointF> points{a,
                                     {a.x + d.x / 3 + n.x, a.y + d.y / 3 + n.y},
                                     {a.x + 2 * d.x / 3 + n.x, a.y + 2 * d.y / 3 + n.y},
                                     b,
                                     b,
                                     a};
    const std::vector<unsigned char> types{kCurved, kCurved, kCurved, kCurved, 0, 0};
    auto path = std::make_unique<TVemoPath>();
    path->SetData(points, types, false);
    return path;
}

std::unique_ptr<TVemoPath> RoundPad(PointF c, float diameter, const TVemoLayerPtr& layer) {
    auto pad = Polyline({c, c}, false);
    pad->SetSurface(TVemoSurface(diameter, false, false));
    pad->SetLayer(layer);
    return pad;
}

std::unique_ptr<TVemoRect> SquarePad(PointF c, float w, float h, float angle, const TVemoLayerPtr& layer) {
    auto pad = std::make_unique<TVemoRect>();
    const TVemoShape::LocalPoints local{PointF(0, 0), PointF(-w / 2, -h / 2), PointF(w / 2, -h / 2),
                                        PointF(w / 2, h / 2), PointF(-w / 2, h / 2)};
    // Turned about its own centre, then put in place (each step applies after the last).
    Matrix placement;
    placement.Rotate(angle);
    placement.Translate(c.x, c.y);
    pad->SetSurface(TVemoSurface(0.5f, true, false));
    pad->SetLayer(layer);
    pad->SetData(local, placement);
    return pad;
}

std::unique_ptr<TVemoEllipse> Disc(PointF c, float rx, float ry, bool cutOut, const TVemoLayerPtr& layer) {
    auto disc = std::make_unique<TVemoEllipse>();
    const TVemoShape::LocalPoints local{PointF(0, 0), PointF(rx, 0), PointF(0, ry), PointF(-rx, 0),
                                        PointF(0, -ry)};
    Matrix placement;
    placement.Translate(c.x, c.y);
    disc->SetSurface(TVemoSurface(0.5f, true, cutOut));
    disc->SetLayer(layer);
    disc->SetData(local, placement);
    return disc;
}

std::unique_ptr<TVemoString> Label(PointF at, const std::u16string& text, float size,
                                   const TVemoLayerPtr& layer) {
    auto label = std::make_unique<TVemoString>();
    Matrix placement;
    placement.Translate(at.x, at.y);
    label->SetLayer(layer);
    label->SetSurface(TVemoSurface(0.5f, true, false));
    label->SetData(placement, text, TVemoFont(TVemoFont::kDefaultFamily, size, 0));
    return label;
}

}  // namespace boardgen
