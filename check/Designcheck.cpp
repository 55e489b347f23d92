#include "check/Designcheck.h"

#include <polyclipping/clipper.hpp>

#include <boost/geometry.hpp>
#include <boost/geometry/index/rtree.hpp>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <map>
#include <memory>
#include <numeric>
#include <stdexcept>
#include <thread>
#include <unordered_map>

#include "geom/Graphicspath.h"
#include "geom/Units.h"
#include "model/Vemocontainer.h"
#include "model/Vemodocument.h"
#include "model/Vemoellipse.h"
#include "model/Vemolayer.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"
#include "model/Vemostring.h"
#include "model/Vemosurface.h"

namespace check {

namespace {

namespace bg = boost::geometry;
namespace bgi = boost::geometry::index;
using BPoint = bg::model::point<double, 2, bg::cs::cartesian>;
using BBox = bg::model::box<BPoint>;
using Entry = std::pair<BBox, std::uint32_t>;
using Tree = bgi::rtree<Entry, bgi::quadratic<16>>;
using ClipperLib::cInt;
using ClipperLib::IntPoint;
using ClipperLib::Path;
using ClipperLib::Paths;

// Clipper units per document unit: a micrometre is 10 of them, far below any
// rule, and a board of a metre stays near 1e7.
constexpr double kScale = 1000.0;
// Outlines are flattened this close to their curves (document units, 2 um):
// a measured gap is within that of the true one.
constexpr float kFineFlatness = 0.02f;
// Coarse and fine outlines differ by at most this much in a gap (both
// flatten, each within 0.025 mm of the curve), in Clipper units.
constexpr double kMargin = 0.6 * kScale;
// Round caps and joins: widening makes arcs within a tenth of this (1 um).
constexpr float kFineArcFlatness = 0.1f;
// Silk and mask openings only need to be seen, not measured.
constexpr float kCoarseFlatness = 0.25f;
// Closer than this two outlines touch (one conductor): twice the flattening,
// below which a gap cannot be told from an artefact of the chords.
constexpr double kTouch = 2.0 * kFineFlatness * kScale;
// Consecutive edges grouped under one entry of the spatial index.
constexpr std::uint32_t kChunk = 8;
// The layers of a new document by what they are to a board house (the roles
// the fab output gives them by default).
constexpr const char* kCopperLayers[] = {"component", "solder"};
constexpr const char* kOutlineLayer = "dimension";
// Silk screen over solder-mask openings of the same side.
constexpr std::pair<const char*, const char*> kSilkOverMask[] = {{"place_cmp", "stop_cmp"},
                                                                 {"place_sol", "stop_sol"}};
// How often loops poll for cancellation.
constexpr std::size_t kPoll = 512;

cInt ToClipper(double v) {
    if (!std::isfinite(v)) return 0;
    const double reach = double(geom::kReach) * kScale;
    return cInt(std::llround(std::clamp(v * kScale, -reach, reach)));
}

double ToMm(double clipperUnits) {
    return units::ToMm(clipperUnits / kScale);
}

Path ToPath(const std::vector<PointF>& poly) {
    Path path;
    path.reserve(poly.size());
    for (const PointF& p : poly) {
        const IntPoint q(ToClipper(p.x), ToClipper(p.y));
        if (path.empty() || path.back() != q) path.push_back(q);
    }
    if (path.size() > 1 && path.front() == path.back()) path.pop_back();
    return path;
}

void Append(const GraphicsPath& area, float flatness, Paths& out) {
    for (const std::vector<PointF>& poly : area.FlattenedPolygons(flatness)) {
        Path path = ToPath(poly);
        if (path.size() >= 3) out.push_back(std::move(path));
    }
}

Paths Unite(const Paths& in, ClipperLib::PolyFillType rule) {
    Paths out;
    ClipperLib::Clipper clipper;
    clipper.AddPaths(in, ClipperLib::ptSubject, true);
    clipper.Execute(ClipperLib::ctUnion, out, rule, rule);
    return out;
}

struct Leaf {
    const TVemoObject* object = nullptr;
    const TVemoLayer* layer = nullptr;
    std::string path;
    std::string part;
};

// Every visible leaf of the board with its index path and the innermost group holding it.
void CollectLeaves(const TVemoObject& object, const std::string& path, const std::string& part,
                   std::vector<Leaf>& out) {
    if (!object.IsVisible()) return;
    if (const TVemoContainer* container = object.AsContainer()) {
        const bool group = object.GetTag() == "GRUP";
        for (int i = 0; i < container->GetChildCount(); ++i) {
            const std::string child = path.empty() ? std::to_string(i) : path + "/" + std::to_string(i);
            CollectLeaves(*container->GetChild(i), child, group ? object.GetName() : part, out);
        }
        return;
    }
    out.push_back({&object, object.GetLayer().get(), path, part});
}

const char* Kind(const TVemoObject& object) {
    const std::string_view tag = object.GetTag();
    return tag == "PATH" ? "path" : tag == "RECT" ? "rectangle" : tag == "ELPS" ? "ellipse" : "text";
}

TObjectRef RefOf(const Leaf& leaf) {
    return {leaf.object, leaf.path, Kind(*leaf.object), leaf.object->GetName(), leaf.part};
}

// The curve a path is drawn along (see the Gerber writer): closed paths return
// to their start, open ones end before the handles of the closing segment.
GraphicsPath DrawnCurve(const TVemoPath& path) {
    GraphicsPath curve;
    const TRingVector<PointF>& points = path.GetPoints();
    if (points.size() < 4) return curve;
    std::vector<PointF> pts(points.begin(), points.end());
    if (path.IsClosed())
        pts.push_back(points[0]);
    else
        pts.resize(pts.size() - 2);
    if ((pts.size() - 1) % 3 != 0) return curve;
    curve.AddBeziers(pts.data(), pts.size());
    if (path.IsClosed()) curve.CloseFigure();
    return curve;
}

// The figure a rectangle or ellipse is stroked and filled along.
GraphicsPath ShapeFigure(const TVemoShape& shape) {
    GraphicsPath figure;
    if (shape.GetTag() == "ELPS")
        figure.AddEllipse(shape.GetLocalBounds());
    else
        figure.AddRectangle(shape.GetLocalBounds());
    figure.Transform(shape.GetPlacement());
    return figure;
}

// The area an object covers, as Clipper polygons oriented alike (so that a
// nonzero union of many objects never cancels one against another).
Paths AreaOf(const TVemoObject& object, float flatness) {
    Paths out;
    if (const auto* text = dynamic_cast<const TVemoString*>(&object)) {
        Append(text->GetOutline(), flatness, out);
        return Unite(out, ClipperLib::pftNonZero);
    }
    const TVemoSurface* surface = object.GetSurface();
    if (!surface) return out;
    GraphicsPath figure;
    if (const auto* path = dynamic_cast<const TVemoPath*>(&object))
        figure = DrawnCurve(*path);
    else if (const auto* shape = dynamic_cast<const TVemoShape*>(&object))
        figure = ShapeFigure(*shape);
    if (figure.IsEmpty()) return out;
    if (surface->GetFill()) {
        GraphicsPath fill = figure;
        fill.CloseFigure();
        Paths filled;
        Append(fill, flatness, filled);
        out = Unite(filled, ClipperLib::pftNonZero);
    }
    if (surface->GetWidth() > 0.0f && std::isfinite(surface->GetWidth())) {
        // The curve is flattened here; widening then rounds caps and joins
        // within a tenth of its flatness, so it is given a coarser one: arcs
        // of a micrometre, not of a fifth of one.
        GraphicsPath stroke = figure;
        stroke.Flatten(flatness);
        stroke.Widen(surface->GetPen(), std::max(flatness, kFineArcFlatness));
        const bool alone = out.empty();
        Append(stroke, flatness, out);
        if (!alone) out = Unite(out, ClipperLib::pftNonZero);
    }
    return out;
}

// The area of an object near a window, outlined finely: the stroke of the
// stretches of its curve that come near the window and its fill cut to the
// window grown by a margin. Edges that only the cutting made lie outside the
// window; inside it the area is the object's.
Paths AreaNear(const TVemoObject& object, double l, double t, double r, double b) {
    const TVemoSurface* surface = object.GetSurface();
    if (dynamic_cast<const TVemoString*>(&object) || !surface ||
        !surface->GetPen().EffectiveDashPattern().empty())
        return AreaOf(object, kFineFlatness);
    GraphicsPath figure;
    if (const auto* path = dynamic_cast<const TVemoPath*>(&object))
        figure = DrawnCurve(*path);
    else if (const auto* shape = dynamic_cast<const TVemoShape*>(&object))
        figure = ShapeFigure(*shape);
    if (figure.IsEmpty()) return {};
    figure.Flatten(kFineFlatness);
    const bool stroked = surface->GetWidth() > 0.0f && std::isfinite(surface->GetWidth());
    const double grow = (stroked ? 0.75 * surface->GetWidth() * kScale : 0.0) + kMargin;
    l -= grow, t -= grow, r += grow, b += grow;
    const auto near = [&](PointF p, PointF q) {
        return std::max(p.x, q.x) * kScale >= l && std::min(p.x, q.x) * kScale <= r &&
               std::max(p.y, q.y) * kScale >= t && std::min(p.y, q.y) * kScale <= b;
    };
    Paths out;
    if (surface->GetFill()) {
        Paths filled;
        GraphicsPath closedFigure = figure;
        closedFigure.CloseFigure();
        Append(closedFigure, kFineFlatness, filled);
        ClipperLib::Clipper clipper;
        clipper.AddPaths(filled, ClipperLib::ptSubject, true);
        const Path window = {IntPoint(cInt(l), cInt(t)), IntPoint(cInt(r), cInt(t)),
                             IntPoint(cInt(r), cInt(b)), IntPoint(cInt(l), cInt(b))};
        clipper.AddPath(window, ClipperLib::ptClip, true);
        clipper.Execute(ClipperLib::ctIntersection, out, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    }
    if (stroked) {
        // Runs of consecutive edges near the window, each widened on its own.
        GraphicsPath runs;
        const std::vector<PointF>& pts = figure.Points();
        const std::vector<std::uint8_t>& types = figure.Types();
        std::size_t start = 0;
        for (std::size_t i = 0; i < pts.size(); ++i) {
            const bool last = i + 1 == pts.size() || (types[i + 1] & geom::PointTypeMask) == geom::PointStart;
            if (!last) continue;
            std::vector<PointF> line(pts.begin() + std::ptrdiff_t(start),
                                     pts.begin() + std::ptrdiff_t(i) + 1);
            const bool closed = (types[i] & geom::PointCloseMark) != 0;
            if (closed) line.push_back(line.front());
            start = i + 1;
            std::vector<bool> keep(line.size() > 1 ? line.size() - 1 : 0);
            bool all = true;
            for (std::size_t k = 0; k + 1 < line.size(); ++k)
                all = (keep[k] = near(line[k], line[k + 1])) && all;
            if (line.size() == 1) {
                if (near(line[0], line[0])) runs.AddLines(line.data(), 1), runs.StartFigure();
                continue;
            }
            if (all) {
                runs.AddLines(line.data(), closed ? line.size() - 1 : line.size());
                if (closed) runs.CloseFigure();
                runs.StartFigure();
                continue;
            }
            // A closed figure's runs may pass its first point: start after an edge left out.
            const std::size_t m = keep.size();
            std::size_t from = 0;
            if (closed)
                while (from < m && keep[from]) ++from;
            for (std::size_t n = 0; n < m;) {
                const std::size_t k = (from + n) % m;
                if (!keep[k]) {
                    ++n;
                    continue;
                }
                std::vector<PointF> run = {line[k]};
                while (n < m && keep[(from + n) % m]) run.push_back(line[(from + n) % m + 1]), ++n;
                runs.AddLines(run.data(), run.size());
                runs.StartFigure();
            }
        }
        if (!runs.IsEmpty()) {
            runs.Widen(surface->GetPen(), kFineArcFlatness);
            const bool alone = out.empty();
            Append(runs, kFineFlatness, out);
            if (!alone) out = Unite(out, ClipperLib::pftNonZero);
        }
    }
    return out;
}

BBox BoxOf(const Path& path) {
    double l = double(path[0].X), t = double(path[0].Y), r = l, b = t;
    for (const IntPoint& p : path) {
        l = std::min(l, double(p.X)), r = std::max(r, double(p.X));
        t = std::min(t, double(p.Y)), b = std::max(b, double(p.Y));
    }
    return BBox(BPoint(l, t), BPoint(r, b));
}

BBox Grown(const BBox& box, double by) {
    return BBox(BPoint(box.min_corner().get<0>() - by, box.min_corner().get<1>() - by),
                BPoint(box.max_corner().get<0>() + by, box.max_corner().get<1>() + by));
}

struct P2 {
    double x, y;
};

P2 At(const IntPoint& p) {
    return {double(p.X), double(p.Y)};
}

// The point of segment ab closest to p.
P2 Closest(P2 p, P2 a, P2 b) {
    const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
    double t = len2 > 0.0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    return {a.x + t * dx, a.y + t * dy};
}

double Dist(P2 p, P2 q) {
    return std::hypot(p.x - q.x, p.y - q.y);
}

double Cross(P2 o, P2 a, P2 b) {
    return (a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x);
}

// The distance between segments ab and cd and the closest points on each.
double SegmentDistance(P2 a, P2 b, P2 c, P2 d, P2& onAb, P2& onCd) {
    const double d1 = Cross(c, d, a), d2 = Cross(c, d, b), d3 = Cross(a, b, c), d4 = Cross(a, b, d);
    if (((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0))) {
        const double t = d1 / (d1 - d2);
        onAb = onCd = {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
        return 0.0;
    }
    double best = INFINITY;
    const auto consider = [&](P2 p, P2 q, bool pOnAb) {
        const double dd = Dist(p, q);
        if (dd < best) {
            best = dd;
            onAb = pOnAb ? p : q;
            onCd = pOnAb ? q : p;
        }
    };
    consider(a, Closest(a, c, d), true);
    consider(b, Closest(b, c, d), true);
    consider(c, Closest(c, a, b), false);
    consider(d, Closest(d, a, b), false);
    return best;
}

// Whether p lies in the area of the polygons under the even-odd rule.
bool Inside(const IntPoint& p, const Paths& polys, const std::vector<std::uint32_t>& which) {
    int crossings = 0;
    for (std::uint32_t i : which) {
        const int in = ClipperLib::PointInPolygon(p, polys[i]);
        if (in < 0) return true;  // on an edge
        crossings += in;
    }
    return crossings % 2 == 1;
}

// The copper of one layer. Islands come from the union of the objects'
// outlines as the model keeps them (flattened within 0.025 mm, as the Gerber
// writer flattens), cut into strips so that each union stays small; the
// strips' pieces are joined again where they meet on a seam. Distances found
// on these outlines within kMargin of a rule are measured again on outlines
// flattened within kFineFlatness, near the place found.
struct Copper {
    std::string name;
    std::vector<const Leaf*> objects;  // drawing copper
    std::vector<const Leaf*> cuts;     // cut-out objects, removing copper
    std::vector<BBox> objectBoxes, cutBoxes;
    std::vector<Paths> coarse;  // of each drawing object, as the model keeps it
    Tree objectTree, cutTree;

    Paths contours;                     // outer contours and holes of every strip
    std::vector<std::uint32_t> island;  // of each contour
    std::vector<std::uint32_t> root;    // islands joined across seams or found touching
    std::vector<cInt> seams;            // x of the strips' borders, sorted
    struct Chunk {
        std::uint32_t contour, first, count;
    };
    std::vector<Chunk> chunks;
    Tree chunkTree;
    Tree contourTree;

    P2 EdgeStart(const Chunk& c, std::uint32_t k) const { return At(contours[c.contour][c.first + k]); }
    P2 EdgeEnd(const Chunk& c, std::uint32_t k) const {
        const Path& p = contours[c.contour];
        return At(p[(c.first + k + 1) % p.size()]);
    }
    // The box around a chunk's edges.
    BBox BoxOf(const Chunk& c) const {
        const P2 s0 = EdgeStart(c, 0);
        BBox box(BPoint(s0.x, s0.y), BPoint(s0.x, s0.y));
        for (std::uint32_t k = 0; k < c.count; ++k) {
            const P2 e = EdgeEnd(c, k);
            bg::expand(box, BPoint(e.x, e.y));
        }
        return box;
    }
    // An edge a strip's border made: no edge of the copper.
    bool IsSeam(const Chunk& c, std::uint32_t k) const {
        const Path& p = contours[c.contour];
        const IntPoint& a = p[c.first + k];
        const IntPoint& b = p[(c.first + k + 1) % p.size()];
        return a.X == b.X && std::binary_search(seams.begin(), seams.end(), a.X);
    }
    std::uint32_t Find(std::uint32_t i) {
        while (root[i] != i) i = root[i] = root[root[i]];
        return i;
    }
    void Join(std::uint32_t i, std::uint32_t j) {
        i = Find(i), j = Find(j);
        if (i != j) root[std::max(i, j)] = std::min(i, j);
    }
};

// Vertices of the coarse outlines a strip holds, about.
constexpr std::size_t kStripVertices = 20000;

// The outline the model keeps for drawing, as Clipper polygons.
Paths CoarseArea(const TVemoObject& object) {
    const GraphicsPath* outline = nullptr;
    const auto* instance = object.AsInstance();
    if (const auto* path = dynamic_cast<const TVemoPath*>(&object))
        outline = &path->GetOutline();
    else if (const auto* shape = dynamic_cast<const TVemoShape*>(&object))
        outline = &shape->GetOutline();
    if (!outline || (instance && instance->IsStale())) return AreaOf(object, kCoarseFlatness);
    Paths out;
    Append(*outline, kCoarseFlatness, out);
    return out;
}

struct FineEdge {
    P2 a, b;
    std::uint32_t island;
};

class Checker {
public:
    Checker(const TVemoDocument& document, const TDesignRules& rules, const TCheckControl& control,
            TCheckReport& report, const std::vector<Leaf>& leaves)
        : leaves_(leaves), doc_(document), rules_(rules), control_(control), report_(report) {}

    // Everything about one copper layer: its conductors and their gaps, widths,
    // the rings around holes and the board edge. False when stopped; with
    // copper set when the layer has any.
    bool CheckLayer(const TVemoLayer* layer, bool& copper);
    // The drill sizes of the holes and the silk screen; the idle checks.
    void CheckRest(bool anyCopper);
    bool BuildCopper(Copper& copper, const TVemoLayer* layer, double from, double to);

    const std::vector<Leaf>& leaves_;

private:
    bool Stopped() {
        if (!stopped_ && control_.cancelled && control_.cancelled()) stopped_ = true;
        return stopped_;
    }
    void Progress(double done, const std::string& step) {
        if (control_.progress) control_.progress(std::clamp(done, 0.0, 1.0), step);
    }
    PointF ToDocument(P2 p) const { return PointF(float(p.x / kScale), float(p.y / kScale)); }
    void Place(TViolation& v, P2 a, P2 b) const {
        v.a = ToDocument(a);
        v.b = ToDocument(b);
        const double mx = (a.x + b.x) / 2 / kScale, my = (a.y + b.y) / 2 / kScale;
        v.x = units::ToMm(mx - doc_.GetAreaX());
        v.y = units::ToMm(doc_.GetAreaY() + doc_.GetAreaHeight() - my);
    }
    // False, with the object noted as left out, for one whose outline the
    // model could not build whole (see TVemoInstance::OutlineNote).
    bool Usable(const Leaf& leaf) {
        const TVemoInstance* instance = leaf.object->AsInstance();
        const std::string_view note = instance ? instance->OutlineNote() : std::string_view();
        if (note.empty()) return true;
        report_.skipped.push_back({RefOf(leaf), leaf.layer ? leaf.layer->GetName() : "", std::string(note)});
        return false;
    }
    // The copper objects nearest to p (within a few micrometres of the nearest).
    void AddObjectsAt(Copper& copper, P2 p, TViolation& v);

    // The island p lies in, on, or within kMargin of; ~0 for none.
    std::uint32_t IslandAt(Copper& copper, P2 p);
    // Whether object i's outline as the model keeps it comes within radius of p.
    bool Reaches(const Copper& copper, std::uint32_t i, P2 p, double radius) const;
    // The fine outline of object i near window (see AreaNear), cut-outs removed.
    Paths Fine(Copper& copper, std::uint32_t i, const BBox& window);
    // The fine edges of the objects whose outlines come within radius of p.
    std::vector<FineEdge> FineAround(Copper& copper, P2 p, double radius);

    void Clearance(Copper& copper, double from, double to);
    void MinWidth(const Copper& copper);
    // Rings on the coppers given; with drills, the holes' sizes too.
    void Holes(std::vector<Copper>& coppers, bool drills);
    void EdgeClearance(std::vector<Copper>& coppers);
    void SilkOverPad();

    const TVemoDocument& doc_;
    const TDesignRules& rules_;
    const TCheckControl& control_;
    TCheckReport& report_;
    bool stopped_ = false;
};

BBox Around(P2 p, double r) {
    return BBox(BPoint(p.x - r, p.y - r), BPoint(p.x + r, p.y + r));
}

bool Checker::BuildCopper(Copper& copper, const TVemoLayer* layer, double from, double to) {
    copper.name = layer->GetName();
    for (const Leaf& leaf : leaves_)
        if (leaf.layer == layer && Usable(leaf))
            (leaf.object->IsCutOut() ? copper.cuts : copper.objects).push_back(&leaf);
    std::vector<Paths>& coarse = copper.coarse;
    std::vector<Paths> coarseCuts(copper.cuts.size());
    coarse.resize(copper.objects.size());
    std::vector<Entry> boxes, cutBoxes;
    std::size_t vertices = 0;
    const double far = std::numeric_limits<double>::infinity();
    double left = far, right = -far, top = far, bottom = -far;
    for (int kind = 0; kind < 2; ++kind) {
        const std::vector<const Leaf*>& list = kind == 0 ? copper.objects : copper.cuts;
        std::vector<Paths>& areas = kind == 0 ? coarse : coarseCuts;
        std::vector<BBox>& boxesOf = kind == 0 ? copper.objectBoxes : copper.cutBoxes;
        boxesOf.assign(list.size(), BBox(BPoint(0, 0), BPoint(0, 0)));
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (i % kPoll == 0 && Stopped()) return false;
            areas[i] = CoarseArea(*list[i]->object);
            if (areas[i].empty()) continue;
            BBox box = BoxOf(areas[i][0]);
            for (const Path& p : areas[i]) {
                bg::expand(box, BoxOf(p));
                vertices += kind == 0 ? p.size() : 0;
            }
            boxesOf[i] = box;
            (kind == 0 ? boxes : cutBoxes).emplace_back(box, std::uint32_t(i));
            if (kind == 0) {
                left = std::min(left, box.min_corner().get<0>()),
                right = std::max(right, box.max_corner().get<0>());
                top = std::min(top, box.min_corner().get<1>()),
                bottom = std::max(bottom, box.max_corner().get<1>());
            }
        }
    }
    copper.objectTree = Tree(boxes.begin(), boxes.end());
    copper.cutTree = Tree(cutBoxes.begin(), cutBoxes.end());
    if (boxes.empty()) return true;
    Progress(from + (to - from) * 0.2, "uniting " + copper.name);

    // Strips of equal width, each united on its own.
    const std::size_t perStrip = control_.stripVertices > 0 ? control_.stripVertices : kStripVertices;
    const std::size_t strips = std::clamp<std::size_t>(vertices / perStrip, 1, 1024);
    const double width = (right - left) / double(strips);
    std::vector<cInt> borders = {cInt(std::floor(left)) - 1};
    for (std::size_t k = 1; k < strips; ++k) {
        // Off the grids boards are drawn on, so that few holes and edges lie on a border.
        const cInt x = cInt(std::llround(left + width * double(k))) + 7;
        if (x > borders.back()) borders.push_back(x);
    }
    borders.push_back(cInt(std::ceil(right)) + 1);
    copper.seams.assign(borders.begin() + 1, borders.end() - 1);
    std::vector<std::uint32_t> stripOf;  // of each contour
    const cInt above = cInt(std::floor(top)) - 1, below = cInt(std::ceil(bottom)) + 1;
    for (std::size_t k = 0; k + 1 < borders.size(); ++k) {
        if (Stopped()) return false;
        Progress(from + (to - from) * (0.2 + 0.6 * double(k) / double(borders.size() - 1)),
                 "uniting " + copper.name);
        const BBox strip{BPoint(double(borders[k]), double(above)),
                         BPoint(double(borders[k + 1]), double(below))};
        std::vector<Entry> in, cutsIn;
        copper.objectTree.query(bgi::intersects(strip), std::back_inserter(in));
        if (in.empty()) continue;
        copper.cutTree.query(bgi::intersects(strip), std::back_inserter(cutsIn));
        ClipperLib::Clipper clipper;
        for (const Entry& e : in) clipper.AddPaths(coarse[e.second], ClipperLib::ptSubject, true);
        const bool split = borders.size() > 2;
        if (split) {
            const Path rect = {IntPoint(borders[k], above), IntPoint(borders[k + 1], above),
                               IntPoint(borders[k + 1], below), IntPoint(borders[k], below)};
            clipper.AddPath(rect, ClipperLib::ptClip, true);
        }
        const ClipperLib::ClipType op = split ? ClipperLib::ctIntersection : ClipperLib::ctUnion;
        ClipperLib::PolyTree tree;
        if (cutsIn.empty()) {
            clipper.Execute(op, tree, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        } else {
            Paths united;
            clipper.Execute(op, united, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
            ClipperLib::Clipper cutter;
            cutter.AddPaths(united, ClipperLib::ptSubject, true);
            for (const Entry& e : cutsIn) cutter.AddPaths(coarseCuts[e.second], ClipperLib::ptClip, true);
            cutter.Execute(ClipperLib::ctDifference, tree, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        }
        // Every outer contour with its holes is one island; islands inside holes are islands of their own.
        std::vector<std::pair<const ClipperLib::PolyNode*, std::uint32_t>> pending;
        for (const ClipperLib::PolyNode* child : tree.Childs) pending.emplace_back(child, 0);
        while (!pending.empty()) {
            const auto [node, parentIsland] = pending.back();
            pending.pop_back();
            std::uint32_t id = parentIsland;
            if (!node->IsHole()) {
                id = std::uint32_t(copper.root.size());
                copper.root.push_back(id);
            }
            if (node->Contour.size() >= 3) {
                copper.contours.push_back(node->Contour);
                copper.island.push_back(id);
                stripOf.push_back(std::uint32_t(k));
            }
            for (const ClipperLib::PolyNode* child : node->Childs) pending.emplace_back(child, id);
        }
    }
    if (Stopped()) return false;

    // Pieces of one island in neighbouring strips share a stretch of their border.
    struct Span {
        double y0, y1;
        std::uint32_t island;
    };
    std::vector<std::vector<Span>> leftOf(copper.seams.size()), rightOf(copper.seams.size());
    for (std::uint32_t c = 0; c < copper.contours.size(); ++c) {
        const Path& p = copper.contours[c];
        for (std::size_t i = 0; i < p.size(); ++i) {
            const IntPoint& a = p[i];
            const IntPoint& b = p[(i + 1) % p.size()];
            if (a.X != b.X) continue;
            const auto at = std::lower_bound(copper.seams.begin(), copper.seams.end(), a.X);
            if (at == copper.seams.end() || *at != a.X) continue;
            const std::size_t s = std::size_t(at - copper.seams.begin());
            const Span span{double(std::min(a.Y, b.Y)), double(std::max(a.Y, b.Y)), copper.island[c]};
            (stripOf[c] == s ? leftOf : rightOf)[s].push_back(span);
        }
    }
    for (std::size_t s = 0; s < copper.seams.size(); ++s) {
        auto& l = leftOf[s];
        auto& r = rightOf[s];
        const auto byStart = [](const Span& a, const Span& b) { return a.y0 < b.y0; };
        std::sort(l.begin(), l.end(), byStart);
        std::sort(r.begin(), r.end(), byStart);
        // Spans of one side never overlap each other, so one pass over both finds every overlap.
        std::size_t i = 0, j = 0;
        while (i < l.size() && j < r.size()) {
            if (std::max(l[i].y0, r[j].y0) <= std::min(l[i].y1, r[j].y1))
                copper.Join(l[i].island, r[j].island);
            if (l[i].y1 < r[j].y1)
                ++i;
            else
                ++j;
        }
    }

    std::vector<Entry> chunkBoxes, contourBoxes;
    for (std::uint32_t c = 0; c < copper.contours.size(); ++c) {
        const Path& path = copper.contours[c];
        contourBoxes.emplace_back(BoxOf(path), c);
        const auto n = std::uint32_t(path.size());
        for (std::uint32_t first = 0; first < n; first += kChunk) {
            const Copper::Chunk chunk{c, first, std::min(kChunk, n - first)};
            chunkBoxes.emplace_back(copper.BoxOf(chunk), std::uint32_t(copper.chunks.size()));
            copper.chunks.push_back(chunk);
        }
    }
    copper.chunkTree = Tree(chunkBoxes.begin(), chunkBoxes.end());
    copper.contourTree = Tree(contourBoxes.begin(), contourBoxes.end());
    return true;
}

std::uint32_t Checker::IslandAt(Copper& copper, P2 p) {
    constexpr std::uint32_t kNone = ~0u;
    std::vector<Entry> around;
    copper.contourTree.query(bgi::intersects(BPoint(p.x, p.y)), std::back_inserter(around));
    std::map<std::uint32_t, int> crossings;
    const IntPoint q(cInt(std::llround(p.x)), cInt(std::llround(p.y)));
    for (const Entry& e : around) {
        const int in = ClipperLib::PointInPolygon(q, copper.contours[e.second]);
        if (in < 0) return copper.Find(copper.island[e.second]);
        crossings[copper.island[e.second]] += in;
    }
    for (const auto& [island, n] : crossings)
        if (n % 2 == 1) return copper.Find(island);
    std::vector<Entry> near;
    copper.chunkTree.query(bgi::intersects(Around(p, kMargin)), std::back_inserter(near));
    double best = kMargin;
    std::uint32_t found = kNone;
    for (const Entry& e : near) {
        const Copper::Chunk& c = copper.chunks[e.second];
        for (std::uint32_t k = 0; k < c.count; ++k) {
            if (copper.IsSeam(c, k)) continue;
            const double d = Dist(p, Closest(p, copper.EdgeStart(c, k), copper.EdgeEnd(c, k)));
            if (d <= best) best = d, found = copper.island[c.contour];
        }
    }
    return found == kNone ? kNone : copper.Find(found);
}

bool Checker::Reaches(const Copper& copper, std::uint32_t i, P2 p, double radius) const {
    const IntPoint q(cInt(std::llround(p.x)), cInt(std::llround(p.y)));
    int crossings = 0;
    for (const Path& poly : copper.coarse[i]) {
        const int in = ClipperLib::PointInPolygon(q, poly);
        if (in < 0) return true;
        crossings += in;
        for (std::size_t k = 0; k < poly.size(); ++k)
            if (Dist(p, Closest(p, At(poly[k]), At(poly[(k + 1) % poly.size()]))) <= radius) return true;
    }
    return crossings % 2 == 1;
}

Paths Checker::Fine(Copper& copper, std::uint32_t i, const BBox& window) {
    const double l = window.min_corner().get<0>(), t = window.min_corner().get<1>();
    const double r = window.max_corner().get<0>(), b = window.max_corner().get<1>();
    Paths area = AreaNear(*copper.objects[i]->object, l, t, r, b);
    std::vector<Entry> cuts;
    copper.cutTree.query(bgi::intersects(copper.objectBoxes[i]), std::back_inserter(cuts));
    if (cuts.empty() || area.empty()) return area;
    ClipperLib::Clipper cutter;
    cutter.AddPaths(area, ClipperLib::ptSubject, true);
    for (const Entry& e : cuts)
        if (bg::intersects(copper.cutBoxes[e.second], Grown(window, kMargin)))
            cutter.AddPaths(AreaNear(*copper.cuts[e.second]->object, l, t, r, b), ClipperLib::ptClip, true);
    Paths cut;
    cutter.Execute(ClipperLib::ctDifference, cut, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    return cut;
}

std::vector<FineEdge> Checker::FineAround(Copper& copper, P2 p, double radius) {
    std::vector<FineEdge> edges;
    const BBox window = Around(p, radius);
    std::vector<Entry> objects;
    copper.objectTree.query(bgi::intersects(window), std::back_inserter(objects));
    const double l = window.min_corner().get<0>(), t = window.min_corner().get<1>();
    const double r = window.max_corner().get<0>(), b = window.max_corner().get<1>();
    for (const Entry& e : objects) {
        if (!Reaches(copper, e.second, p, radius + kMargin)) continue;
        const Paths area = Fine(copper, e.second, window);
        for (const Path& poly : area) {
            // Points of a polygon inside the window are the object's; its island is where one of them lies.
            std::size_t inside = 0;
            while (inside < poly.size() &&
                   !bg::intersects(BPoint(double(poly[inside].X), double(poly[inside].Y)), window))
                ++inside;
            if (inside == poly.size()) continue;
            const std::uint32_t island = IslandAt(copper, At(poly[inside]));
            for (std::size_t i = 0; i < poly.size(); ++i) {
                const P2 a = At(poly[i]), c = At(poly[(i + 1) % poly.size()]);
                if (std::max(a.x, c.x) < l || std::min(a.x, c.x) > r || std::max(a.y, c.y) < t ||
                    std::min(a.y, c.y) > b)
                    continue;
                edges.push_back({a, c, island});
            }
        }
    }
    return edges;
}

void Checker::AddObjectsAt(Copper& copper, P2 p, TViolation& v) {
    std::vector<Entry> near;
    const double reach = units::FromMm(0.05) * kScale;
    copper.objectTree.query(bgi::intersects(Around(p, reach)), std::back_inserter(near));
    std::vector<std::pair<double, std::uint32_t>> found;
    for (const Entry& e : near) {
        double best = INFINITY;
        // Telling objects apart needs no fine outline.
        for (const Path& poly : copper.coarse[e.second]) {
            if (ClipperLib::PointInPolygon(IntPoint(cInt(p.x), cInt(p.y)), poly) != 0) best = 0.0;
            for (std::size_t i = 0; i < poly.size() && best > 0.0; ++i)
                best = std::min(best, Dist(p, Closest(p, At(poly[i]), At(poly[(i + 1) % poly.size()]))));
        }
        found.emplace_back(best, e.second);
    }
    if (found.empty()) return;
    std::sort(found.begin(), found.end());
    const double within = found.front().first + units::FromMm(0.005) * kScale;
    for (const auto& [d, index] : found) {
        const std::uint32_t i = index;
        if (d > within || v.objects.size() >= 8) break;
        const bool known = std::any_of(v.objects.begin(), v.objects.end(), [&](const TObjectRef& r) {
            return r.object == copper.objects[i]->object;
        });
        if (!known) v.objects.push_back(RefOf(*copper.objects[i]));
    }
}

void Checker::Clearance(Copper& copper, double from, double to) {
    const double clearance = units::FromMm(rules_.clearance) * kScale;
    const double search = clearance + kMargin;
    struct Best {
        double d;
        P2 a, b;
    };
    std::unordered_map<std::uint64_t, Best> pairs;
    std::vector<Entry> near;
    for (std::size_t ci = 0; ci < copper.chunks.size(); ++ci) {
        if (ci % kPoll == 0) {
            if (Stopped()) return;
            Progress(from + (to - from) * 0.8 * double(ci) / double(copper.chunks.size()),
                     "clearance on " + copper.name);
        }
        const Copper::Chunk& c = copper.chunks[ci];
        const std::uint32_t island = copper.Find(copper.island[c.contour]);
        const BBox box = copper.BoxOf(c);
        near.clear();
        copper.chunkTree.query(bgi::intersects(Grown(box, search)), std::back_inserter(near));
        for (const Entry& e : near) {
            const Copper::Chunk& o = copper.chunks[e.second];
            const std::uint32_t other = copper.Find(copper.island[o.contour]);
            if (other <= island) continue;
            const std::uint64_t key = (std::uint64_t(island) << 32) | other;
            auto found = pairs.find(key);
            double best = found == pairs.end() ? search : found->second.d;
            Best result{best, {}, {}};
            for (std::uint32_t k = 0; k < c.count; ++k) {
                if (copper.IsSeam(c, k)) continue;
                const P2 a = copper.EdgeStart(c, k), b = copper.EdgeEnd(c, k);
                for (std::uint32_t m = 0; m < o.count; ++m) {
                    const P2 p = copper.EdgeStart(o, m), q = copper.EdgeEnd(o, m);
                    if (std::max(a.x, b.x) + best < std::min(p.x, q.x) ||
                        std::max(p.x, q.x) + best < std::min(a.x, b.x) ||
                        std::max(a.y, b.y) + best < std::min(p.y, q.y) ||
                        std::max(p.y, q.y) + best < std::min(a.y, b.y) || copper.IsSeam(o, m))
                        continue;
                    P2 onA, onB;
                    const double d = SegmentDistance(a, b, p, q, onA, onB);
                    if (d < best) {
                        best = d;
                        result = {d, onA, onB};
                    }
                }
            }
            if (result.d < search && (found == pairs.end() || result.d < found->second.d))
                pairs[key] = result;
        }
    }
    if (Stopped()) return;
    Progress(from + (to - from) * 0.8, "measuring gaps on " + copper.name);

    // Each gap found is measured again on the fine outlines near it; outlines
    // that then touch are one conductor.
    std::vector<std::pair<std::uint64_t, Best>> measured;
    std::size_t done = 0;
    for (const auto& [key, coarse] : pairs) {
        if (++done % 64 == 0 && Stopped()) return;
        const std::uint32_t i = std::uint32_t(key >> 32), j = std::uint32_t(key);
        const P2 mid{(coarse.a.x + coarse.b.x) / 2, (coarse.a.y + coarse.b.y) / 2};
        const std::vector<FineEdge> edges = FineAround(copper, mid, coarse.d / 2 + 2 * kMargin);
        Best best{INFINITY, coarse.a, coarse.b};
        for (const FineEdge& e : edges) {
            if (e.island != copper.Find(i)) continue;
            for (const FineEdge& f : edges) {
                if (f.island != copper.Find(j)) continue;
                P2 onA, onB;
                const double d = SegmentDistance(e.a, e.b, f.a, f.b, onA, onB);
                if (d < best.d) best = {d, onA, onB};
            }
        }
        if (!std::isfinite(best.d)) best = coarse;  // no fine outline there: keep what was found
        if (best.d <= kTouch)
            copper.Join(i, j);
        else if (best.d < clearance)
            measured.emplace_back(key, best);
    }
    std::map<std::pair<std::uint32_t, std::uint32_t>, Best> gaps;
    for (const auto& [key, best] : measured) {
        std::uint32_t i = copper.Find(std::uint32_t(key >> 32)), j = copper.Find(std::uint32_t(key));
        if (i == j) continue;
        if (i > j) std::swap(i, j);
        auto at = gaps.find({i, j});
        if (at == gaps.end() || best.d < at->second.d) gaps[{i, j}] = best;
    }
    std::uint32_t conductors = 0;
    for (std::uint32_t i = 0; i < copper.root.size(); ++i) conductors += copper.Find(i) == i ? 1 : 0;
    report_.islands += int(conductors);
    for (const auto& [key, best] : gaps) {
        TViolation v;
        v.rule = "clearance";
        v.layer = copper.name;
        v.measured = ToMm(best.d);
        v.required = rules_.clearance;
        v.note = "copper too close to other copper";
        Place(v, best.a, best.b);
        AddObjectsAt(copper, best.a, v);
        AddObjectsAt(copper, best.b, v);
        report_.violations.push_back(std::move(v));
    }
}

void Checker::MinWidth(const Copper& copper) {
    const double minWidth = units::FromMm(rules_.minWidth);
    for (const Leaf* leaf : copper.objects) {
        const TVemoObject& object = *leaf->object;
        const TVemoSurface* surface = object.GetSurface();
        // A fill carries its own area; texts are plotted as their glyphs.
        if (!surface || surface->GetFill() || dynamic_cast<const TVemoString*>(&object) || object.IsCutOut())
            continue;
        const double width = surface->GetWidth();
        if (!(width < minWidth) || !(width > 0.0)) continue;
        P2 at{};
        if (const auto* path = dynamic_cast<const TVemoPath*>(&object)) {
            if (path->GetPoints().size() < 4) continue;
            at = {path->GetPoints()[0].x * kScale, path->GetPoints()[0].y * kScale};
        } else if (const auto* shape = dynamic_cast<const TVemoShape*>(&object)) {
            const PointF p = shape->GetHandle(1);
            at = {p.x * kScale, p.y * kScale};
        } else {
            continue;
        }
        TViolation v;
        v.rule = "min-width";
        v.layer = copper.name;
        v.measured = units::ToMm(width);
        v.required = rules_.minWidth;
        v.note = std::string(Kind(object)) + " drawn narrower than the rule";
        Place(v, at, at);
        v.objects.push_back(RefOf(*leaf));
        report_.violations.push_back(std::move(v));
    }
}

// A hole of the drill layer: a filled round circle (its diameter grown by its
// pen) or a round dot (a path on one point), as the drill file takes them.
bool HoleOf(const TVemoObject& object, P2& centre, double& diameter) {
    const TVemoSurface* surface = object.GetSurface();
    if (!surface) return false;
    if (const auto* ellipse = dynamic_cast<const TVemoEllipse*>(&object)) {
        const RectF local = ellipse->GetLocalBounds();
        const double s = ellipse->GetPlacement().SimilarityScale();
        if (!(s > 0.0) || !surface->GetFill()) return false;
        if (std::fabs(local.width - local.height) > 1e-4f * std::max(local.width, 1.0f)) return false;
        diameter = local.width * s + std::max(0.0f, surface->GetWidth());
        const PointF c =
            ellipse->GetPlacement().Map(PointF(local.x + local.width / 2, local.y + local.height / 2));
        centre = {double(c.x), double(c.y)};
    } else if (const auto* path = dynamic_cast<const TVemoPath*>(&object)) {
        const TRingVector<PointF>& points = path->GetPoints();
        if (points.size() == 0 || surface->GetCap() == geom::CapSquare) return false;
        for (const PointF& p : points)
            if (std::fabs(p.x - points[0].x) > 1e-3f || std::fabs(p.y - points[0].y) > 1e-3f) return false;
        diameter = surface->GetWidth();
        centre = {double(points[0].x), double(points[0].y)};
    } else {
        return false;
    }
    return std::isfinite(diameter) && diameter > 0.0 && std::isfinite(centre.x) && std::isfinite(centre.y);
}

// Whether p lies in the copper of some island (or on its edge).
bool InCopper(const Copper& copper, P2 p) {
    std::vector<Entry> around;
    copper.contourTree.query(bgi::intersects(BPoint(p.x, p.y)), std::back_inserter(around));
    std::map<std::uint32_t, int> crossings;
    const IntPoint q(cInt(std::llround(p.x)), cInt(std::llround(p.y)));
    for (const Entry& e : around) {
        const int in = ClipperLib::PointInPolygon(q, copper.contours[e.second]);
        if (in < 0) return true;
        crossings[copper.island[e.second]] += in;
    }
    return std::any_of(crossings.begin(), crossings.end(), [](const auto& c) { return c.second % 2 == 1; });
}

void Checker::Holes(std::vector<Copper>& coppers, bool drills) {
    const TVemoLayerList& layers = doc_.GetLayerList();
    TVemoLayerPtr drill;
    for (int i = 0; i < layers.Count() && !drill; ++i)
        if (layers.At(i)->IsHole()) drill = layers.At(i);
    if (!drill) drill = layers.Find("hole");
    std::vector<const Leaf*> holes;
    if (drill)
        for (const Leaf& leaf : leaves_)
            if (leaf.layer == drill.get()) holes.push_back(&leaf);
    for (std::size_t h = 0; h < holes.size(); ++h) {
        if (h % kPoll == 0 && Stopped()) return;
        P2 c;
        double diameter = 0.0;
        if (!HoleOf(*holes[h]->object, c, diameter)) continue;
        report_.holes += drills ? 1 : 0;
        const P2 at{c.x * kScale, c.y * kScale};
        const double mm = units::ToMm(diameter);
        const auto flag = [&](const char* rule, double required, const std::string& layer, double measured,
                              const std::string& note, Copper* copper) {
            TViolation v;
            v.rule = rule;
            v.layer = layer;
            v.measured = measured;
            v.required = required;
            v.note = note;
            Place(v, at, at);
            v.objects.push_back(RefOf(*holes[h]));
            if (copper) AddObjectsAt(*copper, at, v);
            report_.violations.push_back(std::move(v));
        };
        if (drills && mm < rules_.minDrill)
            flag("min-drill", rules_.minDrill, drill->GetName(), mm, "hole too small", nullptr);
        if (drills && mm > rules_.maxDrill)
            flag("max-drill", rules_.maxDrill, drill->GetName(), mm, "hole too big", nullptr);

        const double r = diameter / 2 * kScale;
        const double want = units::FromMm(rules_.minAnnular) * kScale;
        const double reach = r + want + kMargin;
        for (Copper& copper : coppers) {
            if (copper.contours.empty()) continue;  // a layer without copper takes no part
            // The nearest copper edge within reach of a ring of the wanted width.
            std::vector<Entry> near;
            copper.chunkTree.query(bgi::intersects(Around(at, reach)), std::back_inserter(near));
            double edge = INFINITY;
            for (const Entry& e : near) {
                const Copper::Chunk& k = copper.chunks[e.second];
                for (std::uint32_t m = 0; m < k.count; ++m)
                    if (!copper.IsSeam(k, m))
                        edge = std::min(edge,
                                        Dist(at, Closest(at, copper.EdgeStart(k, m), copper.EdgeEnd(k, m))));
            }
            bool inCopper = InCopper(copper, at);
            // Clear cases need no finer look: a wide ring, copper far from the
            // hole, or a hole far out of its copper's edge (no ring to measure).
            if (inCopper && edge - r >= want + kMargin) continue;
            if (!inCopper && edge >= r + kMargin) {
                flag("min-annular", rules_.minAnnular, copper.name, 0.0, "no copper around the hole",
                     nullptr);
                continue;
            }
            if (edge < r - kMargin) {
                flag("min-annular", rules_.minAnnular, copper.name, 0.0,
                     inCopper ? "the hole breaks out of its copper" : "the hole is not inside copper",
                     &copper);
                continue;
            }
            // Close to the rule: measured again on the fine copper around the hole.
            std::vector<Entry> objects;
            copper.objectTree.query(bgi::intersects(Around(at, reach)), std::back_inserter(objects));
            ClipperLib::Clipper clipper;
            for (const Entry& e : objects)
                if (Reaches(copper, e.second, at, reach))
                    clipper.AddPaths(Fine(copper, e.second, Around(at, reach)), ClipperLib::ptSubject, true);
            Paths united;
            clipper.Execute(ClipperLib::ctUnion, united, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
            std::vector<std::uint32_t> all(united.size());
            std::iota(all.begin(), all.end(), 0u);
            inCopper = Inside(IntPoint(cInt(at.x), cInt(at.y)), united, all);
            edge = INFINITY;
            for (const Path& poly : united)
                for (std::size_t i = 0; i < poly.size(); ++i)
                    edge =
                        std::min(edge, Dist(at, Closest(at, At(poly[i]), At(poly[(i + 1) % poly.size()]))));
            if (inCopper) {
                const double ring = edge - r;
                if (ring < want)
                    flag("min-annular", rules_.minAnnular, copper.name, std::max(0.0, ToMm(ring)),
                         ring < 0.0 ? "the hole breaks out of its copper"
                                    : "copper ring around the hole too thin",
                         &copper);
            } else if (edge < r) {
                flag("min-annular", rules_.minAnnular, copper.name, 0.0, "the hole is not inside copper",
                     &copper);
            } else {
                flag("min-annular", rules_.minAnnular, copper.name, 0.0, "no copper around the hole",
                     nullptr);
            }
        }
    }
    if (drills && report_.holes == 0)
        report_.idle.push_back(std::string("min-annular, min-drill, max-drill: ") +
                               (drill ? "no round holes on layer " + drill->GetName() : "no hole layer"));
}

void Checker::EdgeClearance(std::vector<Copper>& coppers) {
    // The board is cut along the middle of the outline layer's strokes.
    GraphicsPath edges;
    for (const Leaf& leaf : leaves_) {
        if (!leaf.layer || leaf.layer->GetName() != kOutlineLayer) continue;
        const TVemoObject& object = *leaf.object;
        if (const auto* path = dynamic_cast<const TVemoPath*>(&object))
            edges.AddPath(DrawnCurve(*path));
        else if (const auto* shape = dynamic_cast<const TVemoShape*>(&object))
            edges.AddPath(ShapeFigure(*shape));
        else if (const auto* text = dynamic_cast<const TVemoString*>(&object))
            edges.AddPath(text->GetOutline());
    }
    if (edges.IsEmpty()) {
        report_.idle.emplace_back("edge-clearance: no board outline (layer dimension)");
        return;
    }
    edges.Flatten(kFineFlatness);
    std::vector<std::pair<P2, P2>> segments;
    Paths closed;
    {
        const std::vector<PointF>& pts = edges.Points();
        const std::vector<std::uint8_t>& types = edges.Types();
        std::size_t start = 0;
        const auto scaled = [](PointF p) { return P2{p.x * kScale, p.y * kScale}; };
        for (std::size_t i = 0; i < pts.size(); ++i) {
            const bool last = i + 1 == pts.size() || (types[i + 1] & geom::PointTypeMask) == geom::PointStart;
            if (i > start) segments.emplace_back(scaled(pts[i - 1]), scaled(pts[i]));
            if (!last) continue;
            const PointF first = pts[start], end = pts[i];
            const bool marked = (types[i] & geom::PointCloseMark) != 0;
            const bool meets = std::fabs(first.x - end.x) < 1e-3f && std::fabs(first.y - end.y) < 1e-3f;
            if ((marked || meets) && i > start + 1) {
                if (marked) segments.emplace_back(scaled(end), scaled(first));
                Path poly = ToPath(std::vector<PointF>(pts.begin() + std::ptrdiff_t(start),
                                                       pts.begin() + std::ptrdiff_t(i) + 1));
                if (poly.size() >= 3) closed.push_back(std::move(poly));
            }
            start = i + 1;
        }
    }
    std::vector<Entry> boxes;
    for (std::uint32_t i = 0; i < segments.size(); ++i) {
        const auto& [a, b] = segments[i];
        boxes.emplace_back(BBox(BPoint(std::min(a.x, b.x), std::min(a.y, b.y)),
                                BPoint(std::max(a.x, b.x), std::max(a.y, b.y))),
                           i);
    }
    const Tree tree(boxes.begin(), boxes.end());
    std::vector<std::uint32_t> allClosed(closed.size());
    std::iota(allClosed.begin(), allClosed.end(), 0u);

    const double limit = units::FromMm(rules_.edgeClearance) * kScale;
    for (Copper& copper : coppers) {
        struct Best {
            double d = INFINITY;
            P2 a{}, b{};
        };
        std::vector<Best> best(copper.root.size());
        std::vector<Entry> near;
        for (std::size_t ci = 0; ci < copper.chunks.size(); ++ci) {
            if (ci % kPoll == 0 && Stopped()) return;
            const Copper::Chunk& c = copper.chunks[ci];
            const BBox box = copper.BoxOf(c);
            near.clear();
            tree.query(bgi::intersects(Grown(box, limit + kMargin)), std::back_inserter(near));
            Best& b = best[copper.Find(copper.island[c.contour])];
            for (const Entry& e : near)
                for (std::uint32_t k = 0; k < c.count; ++k) {
                    if (copper.IsSeam(c, k)) continue;
                    P2 onA, onB;
                    const double d =
                        SegmentDistance(copper.EdgeStart(c, k), copper.EdgeEnd(c, k),
                                        segments[e.second].first, segments[e.second].second, onA, onB);
                    if (d < b.d) b = {d, onA, onB};
                }
        }
        std::vector<bool> seen(copper.root.size(), false);
        for (std::uint32_t c = 0; c < copper.contours.size(); ++c) {
            const std::uint32_t island = copper.Find(copper.island[c]);
            if (seen[island]) continue;
            seen[island] = true;
            TViolation v;
            v.rule = "edge-clearance";
            v.layer = copper.name;
            v.required = rules_.edgeClearance;
            Best found = best[island];
            if (found.d < limit + kMargin) {
                // Measured again on the fine copper there.
                Best fine;
                const std::vector<FineEdge> copperEdges = FineAround(copper, found.a, 2 * kMargin);
                near.clear();
                tree.query(bgi::intersects(Around(found.a, found.d + 3 * kMargin)), std::back_inserter(near));
                for (const FineEdge& e : copperEdges) {
                    if (e.island != island) continue;
                    for (const Entry& s : near) {
                        P2 onA, onB;
                        const double d = SegmentDistance(e.a, e.b, segments[s.second].first,
                                                         segments[s.second].second, onA, onB);
                        if (d < fine.d) fine = {d, onA, onB};
                    }
                }
                if (std::isfinite(fine.d)) found = fine;
            }
            if (found.d < limit) {
                v.measured = ToMm(found.d);
                v.note = found.d <= kTouch ? "copper crosses the board outline"
                                           : "copper too close to the board outline";
                Place(v, found.a, found.b);
                AddObjectsAt(copper, found.a, v);
            } else if (!closed.empty() && !Inside(copper.contours[c][0], closed, allClosed)) {
                const P2 at = At(copper.contours[c][0]);
                v.measured = 0.0;
                v.note = "copper outside the board outline";
                Place(v, at, at);
                AddObjectsAt(copper, at, v);
            } else {
                continue;
            }
            report_.violations.push_back(std::move(v));
        }
    }
}

void Checker::SilkOverPad() {
    if (!rules_.silkOverPad) return;
    const TVemoLayerList& layers = doc_.GetLayerList();
    bool any = false;
    for (const auto& [silkName, maskName] : kSilkOverMask) {
        const TVemoLayerPtr silk = layers.Find(silkName), mask = layers.Find(maskName);
        if (!silk || !mask) continue;
        std::vector<const Leaf*> silkObjects, maskObjects;
        for (const Leaf& leaf : leaves_) {
            if (leaf.layer == silk.get() && Usable(leaf)) silkObjects.push_back(&leaf);
            if (leaf.layer == mask.get() && Usable(leaf)) maskObjects.push_back(&leaf);
        }
        if (silkObjects.empty() || maskObjects.empty()) continue;
        any = true;
        Paths silkArea, maskArea;
        std::vector<std::pair<BBox, const Leaf*>> owners;
        for (const auto* list : {&silkObjects, &maskObjects})
            for (const Leaf* leaf : *list) {
                if (Stopped()) return;
                Paths area = AreaOf(*leaf->object, kCoarseFlatness);
                if (area.empty()) continue;
                BBox box = BoxOf(area[0]);
                for (const Path& p : area) bg::expand(box, BoxOf(p));
                owners.emplace_back(box, leaf);
                Paths& into = list == &silkObjects ? silkArea : maskArea;
                into.insert(into.end(), area.begin(), area.end());
            }
        ClipperLib::Clipper clipper;
        clipper.AddPaths(silkArea, ClipperLib::ptSubject, true);
        clipper.AddPaths(maskArea, ClipperLib::ptClip, true);
        Paths overlap;
        clipper.Execute(ClipperLib::ctIntersection, overlap, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        // Slivers below a hundredth of a millimetre each way are rounding, not print.
        const double least = units::FromMm(0.01) * kScale;
        for (const Path& piece : overlap) {
            if (!ClipperLib::Orientation(piece) || std::fabs(ClipperLib::Area(piece)) < least * least)
                continue;
            const BBox box = BoxOf(piece);
            const double w = box.max_corner().get<0>() - box.min_corner().get<0>(),
                         h = box.max_corner().get<1>() - box.min_corner().get<1>();
            const P2 at{(box.min_corner().get<0>() + box.max_corner().get<0>()) / 2,
                        (box.min_corner().get<1>() + box.max_corner().get<1>()) / 2};
            TViolation v;
            v.rule = "silk-over-pad";
            v.layer = silkName;
            v.measured = ToMm(std::max(w, h));
            v.required = 0.0;
            v.note = std::string("silk screen over a mask opening of ") + maskName;
            Place(v, at, at);
            for (const auto& [ownerBox, leaf] : owners)
                if (bg::intersects(ownerBox, box) && v.objects.size() < 8) v.objects.push_back(RefOf(*leaf));
            report_.violations.push_back(std::move(v));
        }
    }
    if (!any) report_.idle.emplace_back("silk-over-pad: no silk screen and mask openings on the same side");
}

bool Checker::CheckLayer(const TVemoLayer* layer, bool& copper) {
    std::vector<Copper> one(1);
    if (!BuildCopper(one[0], layer, 0.0, 0.5)) return false;
    report_.objects += int(one[0].objects.size());
    copper = !one[0].contours.empty();
    Clearance(one[0], 0.5, 0.8);
    if (Stopped()) return false;
    MinWidth(one[0]);
    Progress(0.8, "holes on " + one[0].name);
    Holes(one, false);
    if (Stopped()) return false;
    Progress(0.9, "board edge on " + one[0].name);
    if (copper) EdgeClearance(one);
    Progress(1.0, "checked " + one[0].name);
    return !Stopped();
}

void Checker::CheckRest(bool anyCopper) {
    std::vector<Copper> none;
    Holes(none, true);
    if (!anyCopper) report_.idle.emplace_back("edge-clearance: no copper");
    if (Stopped()) return;
    SilkOverPad();
}

// The copper layers: the standard ones and those the rules name, in layer-list order.
std::vector<const TVemoLayer*> CopperLayers(const TVemoDocument& document, const TDesignRules& rules) {
    const TVemoLayerList& layers = document.GetLayerList();
    std::vector<const TVemoLayer*> copper;
    for (int i = 0; i < layers.Count(); ++i) {
        const std::string& name = layers.At(i)->GetName();
        const bool standard =
            std::find_if(std::begin(kCopperLayers), std::end(kCopperLayers),
                         [&](const char* c) { return name == c; }) != std::end(kCopperLayers);
        const bool named =
            std::find(rules.extraCopper.begin(), rules.extraCopper.end(), name) != rules.extraCopper.end();
        if (!standard && !named) continue;
        if (std::find_if(copper.begin(), copper.end(),
                         [&](const TVemoLayer* l) { return l->GetName() == name; }) != copper.end())
            continue;  // two layers of one name: the first stands for both, as a name chooses it
        copper.push_back(layers.At(i).get());
    }
    return copper;
}

// Copper layers are checked side by side, one thread each as far as there are
// cores (the calling thread takes the first). Only the calling thread calls
// the caller's progress and cancel functions; the others see a flag it sets.
void RunChecks(const TVemoDocument& document, const TDesignRules& rules, const TCheckControl& control,
               TCheckReport& report) {
    std::vector<Leaf> leaves;
    CollectLeaves(document.GetRoot(), "", "", leaves);
    const std::vector<const TVemoLayer*> layers = CopperLayers(document, rules);
    for (const TVemoLayer* layer : layers) report.copperLayers.push_back(layer->GetName());
    const std::size_t n = layers.size();

    std::atomic<bool> stop{false};
    std::unique_ptr<std::atomic<double>[]> done(new std::atomic<double>[n + 1]);
    for (std::size_t i = 0; i <= n; ++i) done[i] = 0.0;
    std::string step;
    const auto callerStopped = [&] {
        if (!stop && control.cancelled && control.cancelled()) stop = true;
        return stop.load();
    };
    const auto callerProgress = [&] {
        if (!control.progress) return;
        double sum = 0.0;
        for (std::size_t i = 0; i <= n; ++i) sum += done[i];
        control.progress(std::min(1.0, sum / double(n + 1)), step);
    };

    std::vector<TCheckReport> parts(n);
    std::unique_ptr<bool[]> copper(new bool[n]());
    std::unique_ptr<std::atomic<bool>[]> finished(new std::atomic<bool>[n]);
    for (std::size_t i = 0; i < n; ++i) finished[i] = false;
    std::vector<std::string> failures(n);
    const auto checkLayer = [&](std::size_t i, const TCheckControl& own) {
        try {
            Checker checker(document, rules, own, parts[i], leaves);
            checker.CheckLayer(layers[i], copper[i]);
        } catch (const std::exception& e) {
            failures[i] = e.what();
            stop = true;
        }
        finished[i] = true;
    };
    // Layers 1 ... threads.size() go to threads of their own.
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t helpers = n > 0 ? std::min(n - 1, cores - 1) : 0;
    std::vector<TCheckControl> controls(helpers);
    std::vector<std::thread> threads;
    for (std::size_t h = 0; h < helpers; ++h) {
        const std::size_t i = h + 1;
        controls[h].stripVertices = control.stripVertices;
        controls[h].progress = [&, i](double d, const std::string&) { done[i] = d; };
        controls[h].cancelled = [&] { return stop.load(); };
        threads.emplace_back(checkLayer, i, std::cref(controls[h]));
    }
    TCheckControl mine;
    mine.stripVertices = control.stripVertices;
    mine.cancelled = callerStopped;
    for (std::size_t i = 0; i < n; ++i) {
        if (i >= 1 && i <= helpers) continue;
        mine.progress = [&, i](double d, const std::string& s) {
            done[i] = d;
            step = s;
            callerProgress();
        };
        checkLayer(i, mine);
    }
    for (;;) {
        bool all = true;
        for (std::size_t i = 0; i < n; ++i) all = all && finished[i];
        if (all) break;
        callerStopped();
        step = "checking the other copper layers";
        callerProgress();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    for (std::thread& t : threads) t.join();
    for (const std::string& failure : failures)
        if (!failure.empty()) {
            report.error = "the check failed: " + failure;
            return;
        }
    if (stop) return;

    // A side with no copper at a hole is a single-sided board's other side,
    // not a fault: a hole is bare only when no copper layer holds it. The
    // layers are checked apart, so the layers' bare findings are counted here.
    const auto bare = [](const TViolation& v) {
        return v.rule == "min-annular" && v.note == "no copper around the hole" && !v.objects.empty();
    };
    std::map<const TVemoObject*, int> bareOn;
    int withCopper = 0;
    for (std::size_t i = 0; i < n; ++i) {
        withCopper += copper[i] ? 1 : 0;
        for (const TViolation& v : parts[i].violations)
            if (bare(v)) ++bareOn[v.objects.front().object];
    }
    for (std::size_t i = 0; i < n; ++i)
        std::erase_if(parts[i].violations, [&](const TViolation& v) {
            return bare(v) && bareOn[v.objects.front().object] < withCopper;
        });

    bool anyCopper = false;
    for (std::size_t i = 0; i < n; ++i) {
        anyCopper = anyCopper || copper[i];
        report.objects += parts[i].objects;
        report.islands += parts[i].islands;
        for (TViolation& v : parts[i].violations) report.violations.push_back(std::move(v));
        for (TSkipped& k : parts[i].skipped) report.skipped.push_back(std::move(k));
        for (const std::string& idle : parts[i].idle)
            if (std::find(report.idle.begin(), report.idle.end(), idle) == report.idle.end())
                report.idle.push_back(idle);
    }
    if (!anyCopper)
        report.idle.insert(report.idle.begin(), layers.empty()
                                                    ? "clearance, min-width: no copper layer"
                                                    : "clearance, min-width: no copper on the copper layers");
    TCheckControl last;
    last.cancelled = callerStopped;
    last.progress = [&](double d, const std::string& s) {
        done[n] = d;
        step = s;
        callerProgress();
    };
    Checker rest(document, rules, last, report, leaves);
    rest.CheckRest(anyCopper);
    if (stop) return;
    done[n] = 1.0;
    step = "done";
    callerProgress();
    report.completed = true;
}

}  // namespace

TCheckReport CheckDesign(const TVemoDocument& document, const TDesignRules& rules,
                         const TCheckControl& control) {
    TCheckReport report;
    report.rules = rules;
    report.error = RulesProblem(rules);
    if (!report.error.empty()) return report;
    for (const std::string& name : rules.extraCopper)
        if (!document.GetLayerList().Find(name)) {
            report.error = "the document has no layer \"" + name + "\" to check as copper";
            return report;
        }
    RunChecks(document, rules, control, report);
    if (!report.completed) {
        report.cancelled = true;
        report.violations.clear();
        return report;
    }
    static const std::vector<std::string> order = {"clearance", "min-width",      "min-annular",  "min-drill",
                                                   "max-drill", "edge-clearance", "silk-over-pad"};
    const auto rank = [&](const std::string& rule) {
        return std::find(order.begin(), order.end(), rule) - order.begin();
    };
    std::stable_sort(report.violations.begin(), report.violations.end(),
                     [&](const TViolation& a, const TViolation& b) {
                         if (rank(a.rule) != rank(b.rule)) return rank(a.rule) < rank(b.rule);
                         if (a.layer != b.layer) return a.layer < b.layer;
                         if (a.y != b.y) return a.y > b.y;
                         return a.x < b.x;
                     });
    return report;
}

std::vector<std::vector<PointF>> CopperContours(const TVemoDocument& document, const std::string& layerName) {
    std::vector<std::vector<PointF>> out;
    const TVemoLayerPtr layer = document.GetLayerList().Find(layerName);
    if (!layer) return out;
    const TDesignRules rules;
    const TCheckControl control;
    TCheckReport report;
    std::vector<Leaf> leaves;
    CollectLeaves(document.GetRoot(), "", "", leaves);
    Checker checker(document, rules, control, report, leaves);
    Copper copper;
    if (!checker.BuildCopper(copper, layer.get(), 0.0, 1.0)) return out;
    for (const Path& contour : copper.contours) {
        std::vector<PointF>& poly = out.emplace_back();
        for (const IntPoint& p : contour)
            poly.emplace_back(float(double(p.X) / kScale), float(double(p.Y) / kScale));
    }
    return out;
}

}  // namespace check
