#include "gerber/Gerber_oarchive.h"

#include <cmath>
#include <utility>

#include "geom/Units.h"
#include "model/Vemosurface.h"

namespace {

// The element rounded to five decimals, sign dropped, as a whole number of 1e-5.
double FiveDecimals(float v) {
    return std::fabs(std::floor(double(v) * 100000.0 + 0.5));
}

// Integer digits a coordinate of this magnitude (thousandths of a mm) needs, at least 3.
int IntegerDigits(std::int64_t largest) {
    int digits = 0;
    for (std::int64_t v = largest; v > 0; v /= 10) ++digits;
    return std::max(3, digits - 3);
}

// The linear part of m as (a c; b d), mapping (x, y) to (a x + c y, b x + d y).
struct Linear {
    double a, b, c, d;
    explicit Linear(const Matrix& m) : a(m.M11()), b(m.M12()), c(m.M21()), d(m.M22()) {}
    // Both columns have the same length and are perpendicular: a rotation,
    // possibly mirrored, with one scale; that scale, or 0 when it is not one.
    double SimilarityScale() const {
        const double sx = std::hypot(a, b), sy = std::hypot(c, d);
        if (!std::isfinite(sx) || !std::isfinite(sy) || !(sx > 0.0)) return 0.0;
        const double tol = 1e-5 * sx;
        if (std::fabs(sx - sy) > tol || std::fabs(a * c + b * d) > tol * sx) return 0.0;
        return sx;
    }
    // Axes stay axes (to five decimals): x maps onto x (upright) or onto y (quarter turn).
    bool Upright() const { return FiveDecimals(float(b)) == 0.0 && FiveDecimals(float(c)) == 0.0; }
    bool QuarterTurn() const { return FiveDecimals(float(a)) == 0.0 && FiveDecimals(float(d)) == 0.0; }
};

}  // namespace

TGerber_oarchive::TGerber_oarchive(TVemoLayerPtr layer) : layer_(std::move(layer)) {}

TGerber_oarchive::~TGerber_oarchive() = default;

char TGerber_oarchive::LandOf(const TVemoSurface& style, const GraphicsPath& figure, bool closed,
                              double penWidth, float& w, float& h, PointF& centre) {
    const std::vector<PointF>& points = figure.Points();
    if (points.empty()) return 0;
    for (const std::uint8_t type : figure.Types()) closed = closed || (type & geom::PointCloseMark);
    PointF a = points.front(), b = a;
    for (const PointF& p : points) {
        if (p == a || p == b) continue;
        if (!(a == b)) return 0;  // a third point
        b = p;
    }
    const float pen = style.GetWidth() > 0.0f ? style.GetWidth() : float(units::FromMm(penWidth));
    const int cap = style.GetCap();
    if (a == b) {
        // A closed figure has no caps: the editor draws nothing of a closed dot.
        if (closed || (cap != geom::CapRound && cap != geom::CapSquare)) return 0;
        w = h = pen;
        centre = a;
        return cap == geom::CapRound ? 'C' : 'R';
    }
    // Turning back at both ends, a closed line shows its round joins there as
    // the half circles of a slot.
    if (!closed || style.GetJoin() != geom::JoinRound || style.GetDash() != geom::DashSolid ||
        (a.x != b.x && a.y != b.y))
        return 0;
    w = std::fabs(a.x - b.x) + pen;
    h = std::fabs(a.y - b.y) + pen;
    centre = PointF((a.x + b.x) / 2, (a.y + b.y) / 2);
    return 'O';
}

void TGerber_oarchive::AddPath(const TVemoSurface& style, const GraphicsPath& figure, bool closed) {
    float w = 0, h = 0;
    PointF at;
    switch (LandOf(style, figure, closed, penWidth, w, h, at)) {
        case 'C':
            items_.push_back(std::make_unique<TPreConvRound>(*this, w, at));
            return;
        case 'R':
            items_.push_back(std::make_unique<TPreConvRect>(*this, w, h, at));
            return;
        case 'O':
            items_.push_back(std::make_unique<TPreConvObround>(*this, w, h, at));
            return;
        default:
            break;
    }
    auto item = std::make_unique<TPreConvPath>(*this);
    item->SetPath(figure);
    item->SetStyle(style);
    items_.push_back(std::move(item));
}

void TGerber_oarchive::AddEllipse(const TVemoSurface& style, const RectF& bounds, const Matrix& transform) {
    const float x = bounds.x, y = bounds.y, w = bounds.width, h = bounds.height;
    const double scale = Linear(transform).SimilarityScale();
    if (style.GetFill() && std::fabs(w - h) < 0.0001f && scale > 0.0) {
        const PointF centre = transform.Map(PointF(x + w / 2, y + w / 2));
        items_.push_back(std::make_unique<TPreConvRound>(*this, float(w * scale) + style.GetWidth(), centre));
        return;
    }
    GraphicsPath figure;
    figure.AddEllipse(bounds);
    figure.Transform(transform);
    AddPath(style, figure);
}

void TGerber_oarchive::AddRect(const TVemoSurface& style, const RectF& bounds, const Matrix& transform) {
    const float x = bounds.x, y = bounds.y, w = bounds.width, h = bounds.height;
    const Linear lin(transform);
    const auto outline = [&](const TVemoSurface& s) {
        const PointF corners[4] = {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
        GraphicsPath figure;
        figure.AddPolygon(corners, 4);
        figure.Transform(transform);
        AddPath(s, figure);
    };
    if (style.GetWidth() > 0.1f || !style.GetFill()) {
        outline(style);
        return;
    }
    const PointF centre = transform.Map(PointF(x + w / 2, y + h / 2));
    if (lin.Upright()) {
        // The scales of the axes enter the size, so a stretched pad keeps the
        // size it shows on the screen.
        items_.push_back(std::make_unique<TPreConvRect>(*this, float(w * std::fabs(lin.a)),
                                                        float(h * std::fabs(lin.d)), centre));
        return;
    }
    if (lin.QuarterTurn()) {
        items_.push_back(std::make_unique<TPreConvRect>(*this, float(h * std::fabs(lin.c)),
                                                        float(w * std::fabs(lin.b)), centre));
        return;
    }
    const double scale = lin.SimilarityScale();
    if (scale > 0.0 && std::fabs(w - h) > 0.1f) {
        // A turned bar: one stroke along its length whose square ends make up
        // its short sides; the placement's scale widens the stroke as it
        // lengthens it.
        const float s = std::min(w, h);
        PointF a, b;
        if (w >= h) {
            a = {x + s / 2, y + s / 2};
            b = {x + w - s / 2, y + s / 2};
        } else {
            a = {x + w / 2, y + w / 2};
            b = {x + w / 2, y + h - w / 2};
        }
        TVemoSurface bar(float(s * scale), false, false);
        bar.SetCap(geom::CapSquare);
        bar.SetJoin(geom::JoinBevel);
        GraphicsPath figure;
        figure.AddLine(transform.Map(a), transform.Map(b));
        AddPath(bar, figure);
        return;
    }
    // Nearly square, sheared, or scaled unlike on its axes: only the outline
    // shows its true shape.
    outline(style);
}

void TGerber_oarchive::Refuse(const std::string& object, const std::string& why) {
    refusals_.push_back(object + ": " + why);
}

int TGerber_oarchive::ClassifyTransform(const Matrix& m) {
    const double a = FiveDecimals(m.M11()), b = FiveDecimals(m.M12());
    const double c = FiveDecimals(m.M21()), d = FiveDecimals(m.M22());
    constexpr double kOne = 100000.0;
    if (a == kOne && b == 0.0 && c == 0.0 && d == kOne) return kUpright;
    if (a == 0.0 && b == kOne && c == kOne && d == 0.0) return kQuarterTurn;
    return kOblique;
}

bool TGerber_oarchive::Flush(std::string& file, std::string& error) {
    apertures_.Clear();
    skippedFills_ = 0;
    // Items refuse again on every flush; what the objects refused stays.
    if (objectRefusals_ == std::string::npos) objectRefusals_ = refusals_.size();
    refusals_.resize(objectRefusals_);
    TGerberBody body(offsetX, offsetY);
    for (const auto& item : items_) item->Write(body);
    if (!refusals_.empty()) {
        constexpr std::size_t kListed = 20;
        error = std::to_string(refusals_.size()) + " object(s) cannot be plotted:";
        for (std::size_t i = 0; i < refusals_.size() && i < kListed; ++i) error += "\n  " + refusals_[i];
        if (refusals_.size() > kListed)
            error += "\n  and " + std::to_string(refusals_.size() - kListed) + " more";
        return false;
    }
    if (body.OutOfRange()) {
        error = "a coordinate is not a number or lies 1000 m or more from the origin";
        return false;
    }
    const std::string digits = std::to_string(IntegerDigits(body.Largest())) + "3";
    std::string out;
    out.reserve(body.Text().size() + 256);
    out += "G75*\r\nG71*\r\n%OFA0B0*%\r\n";
    out += "%FSLAX" + digits + "Y" + digits + "*%\r\n";
    out += "%IPPOS*%\r\n%LPD*%\r\n";
    out += apertures_.Text();
    out += body.Text();
    out += "M02*\r\n";
    file = std::move(out);
    return true;
}
