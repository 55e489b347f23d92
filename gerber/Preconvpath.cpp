#include "gerber/Preconvpath.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <cstddef>
#include <vector>

#include "geom/Units.h"
#include "gerber/Gerber_oarchive.h"
#include "model/Vemosurface.h"

namespace {

// A crossing of one scan line, in scan coordinates: u runs along the scan
// line, v across (the scan line's own position).
struct TCrossing {
    double u;
    double v;
    int direction;
};

// Edges that change less than this across the scan lines count as parallel to them.
constexpr double kEpsilon = 1.1920929e-7;

}  // namespace

int CapAngle(PointF d) {
    if (d.x == 0.0f) return 0;
    return static_cast<int>(std::floor(std::atan(double(d.y) / double(d.x)) * 180.0 * 0.3183098861837907));
}

void TPreConvRound::Write(TGerberBody& body) {
    body.Select(archive_.GetApertures().Lookup(diameter_, TApertureList::kRound));
    body.Flash(centre_);
}

void TPreConvRect::Write(TGerberBody& body) {
    body.Select(archive_.GetApertures().Lookup(TApRect(width_, height_, 0)));
    body.Flash(centre_);
}

void TPreConvObround::Write(TGerberBody& body) {
    body.Select(archive_.GetApertures().Lookup(TApObround(width_, height_)));
    body.Flash(centre_);
}

TPreConvPath::TPreConvPath(TGerber_oarchive& archive)
    : TPreConvObject(archive), owner_(archive.CurrentObject()) {}

void TPreConvPath::SetPath(const GraphicsPath& figure) {
    path_ = figure;
    path_.Flatten(kFlatness);
    bounds_ = path_.GetBounds();
}

void TPreConvPath::SetStyle(const TVemoSurface& style) {
    penWidth_ = style.GetWidth();
    filled_ = style.GetFill();
    cap_ = style.GetCap();
}

void TPreConvPath::Write(TGerberBody& body) {
    if (path_.IsEmpty()) return;
    const float w = penWidth_ > 0.0f ? penWidth_ : static_cast<float>(units::FromMm(archive_.penWidth));
    WriteOutline(body, w);
    if (!filled_) return;
    const bool hatched = bounds_.width > bounds_.height ? WriteFillRows(body, w) : WriteFillColumns(body, w);
    if (!hatched) archive_.NoteSkippedFill();
}

void TPreConvPath::WriteOutline(TGerberBody& body, float w) {
    TApertureList& apertures = archive_.GetApertures();
    const std::vector<PointF>& p = path_.Points();
    const std::vector<std::uint8_t>& types = path_.Types();
    const std::size_t n = p.size();
    const bool square = cap_ == geom::CapSquare;
    // A figure that starts without a neighbour to measure takes the angle last
    // measured in this path, or 0 when there is none yet.
    int angle = 0;
    bool newFigure = true;
    PointF first;
    for (std::size_t i = 0; i < n; ++i) {
        if (newFigure) {
            newFigure = false;
            first = p[i];
            if (square && i + 1 < n) {
                angle = CapAngle(p[i] - p[i + 1]);
                body.Select(apertures.Lookup(w, TApertureList::kSquare, angle));
                body.Flash(p[i]);
                body.Select(apertures.Lookup(w, TApertureList::kRound));
            } else {
                body.Select(square ? apertures.Lookup(w, TApertureList::kSquare, angle)
                                   : apertures.Lookup(w, TApertureList::kRound));
            }
            body.Move(p[i]);
            continue;
        }
        body.Draw(p[i]);
        if (types[i] & geom::PointCloseMark) {
            body.Draw(first);
            newFigure = true;
        } else if (i == n - 1) {
            newFigure = true;
            if (square) {
                angle = CapAngle(p[i - 1] - p[i]);
                body.Select(apertures.Lookup(w, TApertureList::kSquare, angle));
                body.Flash(p[i]);
            }
        }
    }
}

bool TPreConvPath::Hatch(TGerberBody& body, float w, bool columns) {
    const float step = static_cast<float>(0.8 * w);
    // Scan lines sit at v = lo, lo + step, ... while v <= hi.
    const float lo = columns ? bounds_.Left() : bounds_.Top();
    const float hi = columns ? bounds_.Right() : bounds_.Bottom();
    const float far = std::max(std::fabs(lo), std::fabs(hi));
    if (!(step > 0.0f) || !(far + step > far)) return false;
    const double lines = (double(hi) - double(lo)) / step + 1.0;
    const double work = lines * double(std::max<std::size_t>(path_.PointCount(), 1));
    if (!(lines <= kMaxHatchLines && work <= kHatchBudget)) {
        archive_.Refuse(owner_.empty() ? "a filled shape" : owner_,
                        "hatching its fill at this width would take " +
                            std::to_string(std::llround(std::min(lines, 1e15))) + " strokes");
        return true;
    }

    const auto U = [columns](PointF q) { return double(columns ? q.y : q.x); };
    const auto V = [columns](PointF q) { return double(columns ? q.x : q.y); };
    // Each scan segment reaches a little beyond the bounds on both sides.
    const double s0 = double(columns ? bounds_.Top() : bounds_.Left()) - 0.1;
    const double s1 = double(columns ? bounds_.Bottom() : bounds_.Right()) + 0.1;

    const std::vector<PointF>& p = path_.Points();
    const std::vector<std::uint8_t>& types = path_.Types();
    const std::size_t n = p.size();
    std::vector<TCrossing> crossings;
    std::vector<TCrossing> spans;  // start and end points, in pairs

    for (float v = lo; hi >= v;) {
        const double y = v;
        crossings.clear();
        const auto cross = [&](PointF a, PointF b) {
            const double av = V(a), bv = V(b);
            if (!((av > y && y >= bv) || (av <= y && y < bv))) return;
            const double dv = bv - av;
            if ((s1 - s0) * dv == 0.0) return;  // parallel to the scan line
            const double t = (y - av) / dv;
            const double u = U(a) + t * (U(b) - U(a));
            const double along = (u - s0) / (s1 - s0);
            if (t < 0.0 || t > 1.0 || along < 0.0 || along > 1.0) return;
            if (dv > kEpsilon)
                crossings.push_back({u, y, +1});
            else if (dv < -kEpsilon)
                crossings.push_back({u, y, -1});
        };
        // Edges run between consecutive points; a close mark adds the closing
        // edge, and the step to the next figure is no edge.
        std::size_t first = 0;
        bool pending = true;
        for (std::size_t i = 1; i < n; ++i) {
            if (pending) {
                first = i - 1;
                pending = false;
            }
            cross(p[i - 1], p[i]);
            if (types[i] & geom::PointCloseMark) {
                cross(p[i], p[first]);
                ++i;
                pending = true;
            }
        }
        // Stable, so that equal crossings keep path order and the bytes never
        // depend on the sorting algorithm.
        std::stable_sort(crossings.begin(), crossings.end(), [](const TCrossing& a, const TCrossing& b) {
            return a.u < b.u || (a.u == b.u && a.v < b.v);
        });
        const std::size_t before = spans.size();
        int winding = 0;
        for (const TCrossing& c : crossings) {
            const bool outside = winding == 0;
            winding += c.direction;
            if (outside || winding == 0) spans.push_back(c);
        }
        if ((spans.size() - before) % 2 != 0) spans.pop_back();

        const float next = v + step;
        if (!(next > v)) break;  // a step of exactly half a float unit may still round away
        v = next;
    }

    body.Select(archive_.GetApertures().Lookup(w, TApertureList::kRound));
    for (std::size_t i = 0; i + 1 < spans.size(); i += 2) {
        const TCrossing& s = spans[i];
        const TCrossing& e = spans[i + 1];
        if (columns) {
            body.Move(s.v, s.u);
            body.Draw(e.v, e.u);
        } else {
            body.Move(s.u, s.v);
            body.Draw(e.u, e.v);
        }
    }
    return true;
}
