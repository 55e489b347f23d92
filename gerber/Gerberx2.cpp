#include "gerber/Gerberx2.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <string_view>
#include <tuple>

#include "geom/Regions.h"
#include "geom/Units.h"
#include "gerber/Gerber_oarchive.h"
#include "gerber/Gerbervisitor.h"
#include "model/Vemocontainer.h"
#include "model/Vemodocument.h"
#include "model/Vemoellipse.h"
#include "model/Vemolayer.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"
#include "model/Vemostring.h"
#include "model/Vemosurface.h"

namespace {

constexpr TLayerRoleInfo kRoles[] = {
    {TLayerRole::None, "none", "Other,Drawing", "Positive"},
    {TLayerRole::TopCopper, "top-copper", "Copper,L1,Top", "Positive"},
    {TLayerRole::BottomCopper, "bottom-copper", "Copper,L2,Bot", "Positive"},
    {TLayerRole::TopMask, "top-mask", "Soldermask,Top", "Negative"},
    {TLayerRole::BottomMask, "bottom-mask", "Soldermask,Bot", "Negative"},
    {TLayerRole::TopSilk, "top-silk", "Legend,Top", "Positive"},
    {TLayerRole::BottomSilk, "bottom-silk", "Legend,Bot", "Positive"},
    {TLayerRole::Outline, "outline", "Profile,NP", "Positive"},
    {TLayerRole::Drill, "drill", "Plated,1,2,PTH", "Positive"},
    {TLayerRole::Other, "other", "Other,Drawing", "Positive"},
};

// Filled areas are flattened finely, then runs of their edges that lie on a
// circle go out as arcs: within 10 um of the shape on copper and masks,
// finer than any board house etches, and within 25 um on legends, which
// print at 100 um.
constexpr float kRegionFlatness = 0.02f;
constexpr double kArcTolerance = 0.1;  // document units
constexpr double kLegendArcTolerance = 0.25;
// Runs longer than this are not tried as one arc, which bounds the fitting's work.
constexpr std::size_t kLongestArcRun = 96;
// Flatter than this radius (document units, 50 mm) a run is drawn as lines.
constexpr double kLargestArcRadius = 500.0;

struct ArcFit {
    double cx = 0, cy = 0;
    bool counterClockwise = false;
};

// Whether points first..last (indices into p, wrapping) lie on one circle
// within tol, turning one way all along; the circle in fit.
bool FitsArc(const std::vector<std::pair<double, double>>& p, std::size_t first, std::size_t last, double tol,
             ArcFit& fit) {
    const std::size_t n = p.size();
    const auto at = [&](std::size_t k) { return p[k % n]; };
    const auto [ax, ay] = at(first);
    const auto [bx, by] = at((first + last) / 2);
    const auto [cx, cy] = at(last);
    const double d = 2.0 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
    if (std::fabs(d) < 1e-9) return false;
    const double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    const double ux = (a2 * (by - cy) + b2 * (cy - ay) + c2 * (ay - by)) / d;
    const double uy = (a2 * (cx - bx) + b2 * (ax - cx) + c2 * (bx - ax)) / d;
    const double r = std::hypot(ax - ux, ay - uy);
    if (!(r < kLargestArcRadius * 100000.0)) return false;
    int turn = 0;
    for (std::size_t k = first; k <= last; ++k) {
        const auto [x, y] = at(k);
        if (std::fabs(std::hypot(x - ux, y - uy) - r) > tol) return false;
        if (k + 1 <= last) {
            const auto [x1, y1] = at(k + 1);
            // The middle of each edge must hug the circle as well.
            if (std::fabs(std::hypot((x + x1) / 2 - ux, (y + y1) / 2 - uy) - r) > tol) return false;
            if (k + 2 <= last) {
                const auto [x2, y2] = at(k + 2);
                const double cross = (x1 - x) * (y2 - y1) - (y1 - y) * (x2 - x1);
                const int sign = cross > 0 ? 1 : cross < 0 ? -1 : 0;
                if (sign != 0 && turn != 0 && sign != turn) return false;
                if (sign != 0) turn = sign;
            }
        }
    }
    if (turn == 0) return false;
    fit.cx = ux;
    fit.cy = uy;
    fit.counterClockwise = turn > 0;
    return true;
}

// Classic coordinates have three decimals of a millimetre, X2 six.
constexpr const char* kThousandths = "000";

std::string Now() {
    const std::time_t t = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&t, &utc);
    char buffer[40];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%S+00:00", &utc);
    return buffer;
}

bool IsCopper(TLayerRole role) {
    return role == TLayerRole::TopCopper || role == TLayerRole::BottomCopper;
}

// A filled ellipse the classic writer flashes: round under a placement that
// turns, mirrors and scales it alike on both axes.
bool FlashableCircle(const TVemoEllipse& ellipse) {
    const RectF local = ellipse.GetLocalBounds();
    return ellipse.GetPlacement().SimilarityScale() > 0.0 && std::fabs(local.width - local.height) < 0.0001f;
}

// A filled rectangle the classic writer flashes: a thin pen and sides that
// stay parallel to the axes.
bool FlashableRect(const TVemoRect& rect) {
    return rect.GetSurface()->GetWidth() <= 0.1f &&
           TGerber_oarchive::ClassifyTransform(rect.GetPlacement()) != TGerber_oarchive::kOblique;
}

// A filled rectangle drawn with a pen, placed upright or a quarter turn round
// at scale 1: one flash of its whole copper, the rectangle grown by half the
// pen on every side with the corners the join gives (round: rounded by half
// the pen; mitred: square). A dashed pen or a bevel leaves it a region.
struct TPenPad {
    float width = 0, height = 0;  // outer size, document units
    float radius = 0;             // of the corners
    PointF centre;
};

bool PenDrawnPad(const TVemoRect& rect, TPenPad& pad) {
    const TVemoSurface& style = *rect.GetSurface();
    const int join = style.GetJoin();
    const int turn = TGerber_oarchive::ClassifyTransform(rect.GetPlacement());
    const float pen = style.GetWidth();
    if (!style.GetFill() || !(pen > 0.1f) || !std::isfinite(pen) || style.GetDash() != geom::DashSolid ||
        rect.IsBeyondReach() || turn == TGerber_oarchive::kOblique ||
        (join != geom::JoinRound && join != geom::JoinMiter && join != geom::JoinMiterClipped))
        return false;
    const RectF local = rect.GetLocalBounds();
    const bool quarter = turn == TGerber_oarchive::kQuarterTurn;
    pad.width = (quarter ? local.height : local.width) + pen;
    pad.height = (quarter ? local.width : local.height) + pen;
    pad.radius = join == geom::JoinRound ? pen / 2 : 0.0f;
    pad.centre = rect.GetPlacement().Map(PointF(local.x + local.width / 2, local.y + local.height / 2));
    return true;
}

// Millimetres of document units, as aperture definitions write them.
std::string MmText(double documentUnits) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.4f", units::ToMm(documentUnits));
    return buffer;
}

// The definition of a pen-drawn pad's aperture numbered code: a rectangle, or
// a macro of two bars and four corner discs for rounded corners.
std::string PenPadAperture(const TPenPad& pad, int code) {
    std::string out;
    const std::string number = std::to_string(code);
    if (pad.radius <= 0.0f)
        return "%ADD" + number + "R," + MmText(pad.width) + "X" + MmText(pad.height) + "*%";
    const float r = pad.radius, w = pad.width, h = pad.height;
    out += "%AMPAD" + number + "*\n";
    out += "21,1," + MmText(w) + "," + MmText(h - 2 * r) + ",0,0,0*\n";
    out += "21,1," + MmText(w - 2 * r) + "," + MmText(h) + ",0,0,0*\n";
    for (const int sx : {-1, 1})
        for (const int sy : {-1, 1})
            out += "1,1," + MmText(2 * r) + "," + MmText(float(sx) * (w / 2 - r)) + "," +
                   MmText(float(sy) * (h / 2 - r)) + "*\n";
    out += "%\n%ADD" + number + "PAD" + number + "*%";
    return out;
}

std::string Describe(const TVemoObject& object) {
    const std::string_view tag = object.GetTag();
    const char* kind = tag == "PATH"   ? "path"
                       : tag == "RECT" ? "rectangle"
                       : tag == "ELPS" ? "ellipse"
                                       : "text";
    const TVemoLayerPtr layer = object.GetLayer();
    return std::string(kind) + " \"" + object.GetName() + "\" on layer \"" + (layer ? layer->GetName() : "") +
           "\"";
}

// A name as it may stand in a comment or a file name: no Gerber delimiters
// ("*", "%"), no folder separator, no control characters.
std::string Printable(const std::string& name) {
    std::string out = name;
    for (char& c : out)
        if (c == '*' || c == '%' || c == '/' || c == '\\' || (unsigned char)c < 0x20) c = '_';
    return out;
}

void AppendInt(std::string& out, long long v) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%lld", v);
    out += buffer;
}

// The D-code a select line ("D12*" once G54 is gone) names, or -1.
int SelectedCode(std::string_view line) {
    if (line.size() < 3 || line[0] != 'D' || line.back() != '*') return -1;
    int code = 0;
    for (std::size_t i = 1; i + 1 < line.size(); ++i) {
        if (line[i] < '0' || line[i] > '9' || code > 100000000) return -1;
        code = code * 10 + (line[i] - '0');
    }
    return code;
}

// The classic file's body in X2 spelling: D-codes selected without G54,
// coordinates with three more decimals. An aperture has one function in X2,
// so one both flashed and drawn is split: its flashes go to a copy numbered
// from nextCode on (split maps each such code to its copy). use gets, for
// every code of the result, whether it is flashed ('F') or drawn ('D').
std::string RespellBody(const std::vector<std::string_view>& lines, int nextCode, std::map<int, int>& split,
                        std::map<int, char>& use) {
    const auto operation = [](std::string_view line) {
        return line.find("D03") != std::string_view::npos   ? 'F'
               : line.find("D01") != std::string_view::npos ? 'D'
               : line.find("D02") != std::string_view::npos ? 'M'
                                                            : '\0';
    };
    std::map<int, int> flashes, draws;
    int current = -1;
    for (std::string_view line : lines) {
        if (line.substr(0, 4) == "G54D") line.remove_prefix(3);
        if (const int code = SelectedCode(line); code >= 0) {
            current = code;
            continue;
        }
        const char op = operation(line);
        if (op == 'F') ++flashes[current];
        if (op == 'D') ++draws[current];
    }
    for (const auto& [code, n] : flashes)
        if (code >= 0 && draws.count(code)) split[code] = nextCode++;

    std::string out;
    current = -1;
    int selected = -1;  // in the output
    const auto select = [&](int code) {
        if (code == selected) return;
        out += 'D';
        AppendInt(out, code);
        out += "*\n";
        selected = code;
    };
    for (std::string_view line : lines) {
        if (line.substr(0, 4) == "G54D") line.remove_prefix(3);
        if (const int code = SelectedCode(line); code >= 0) {
            current = code;
            // A split aperture is chosen when its use is known; any other at once, as written.
            if (!split.count(code)) {
                out.append(line);
                out += "\n";
                selected = code;
            }
            continue;
        }
        const char op = operation(line);
        if (const auto s = split.find(current); s != split.end() && op != '\0' && (op != 'M' || selected < 0))
            select(op == 'F' ? s->second : current);
        for (std::size_t i = 0; i < line.size(); ++i) {
            out += line[i];
            if (line[i] != 'X' && line[i] != 'Y') continue;
            std::size_t j = i + 1;
            if (j < line.size() && line[j] == '-') ++j;
            while (j < line.size() && line[j] >= '0' && line[j] <= '9') ++j;
            out.append(line.substr(i + 1, j - i - 1));
            out += kThousandths;
            i = j - 1;
        }
        out += "\n";
        if (selected >= 0 && !use.count(selected) && (op == 'F' || op == 'D')) use[selected] = op;
    }
    return out;
}

// Largest round flash on copper that is a via's land (the starter via is a
// 1.0 mm land), in millimetres.
constexpr double kViaLand = 1.0;

// The aperture function of a flashed aperture on copper, from its definition.
const char* PadFunction(std::string_view definition) {
    // "%ADD12C,1.000*%": a round aperture and its diameter.
    const std::size_t comma = definition.find(',');
    if (comma != std::string_view::npos && comma > 0 && definition[comma - 1] == 'C' &&
        std::atof(std::string(definition.substr(comma + 1)).c_str()) <= kViaLand + 1e-9)
        return "ViaPad";
    return "ComponentPad";
}

// The contours of the united filled areas, in drawing order. Areas whose
// bounds touch no other's are united apart: a hole of one group can then never
// clear another group (anything inside a hole lies inside the bounds of the
// area around it), and no union grows with the whole layer.
std::vector<geom::Contour> RegionContours(const std::vector<GraphicsPath>& pieces, float flatness) {
    const std::size_t n = pieces.size();
    std::vector<RectF> bounds(n);
    for (std::size_t i = 0; i < n; ++i) bounds[i] = pieces[i].GetBounds();
    std::vector<std::size_t> parent(n);
    for (std::size_t i = 0; i < n; ++i) parent[i] = i;
    const auto root = [&](std::size_t i) {
        while (parent[i] != i) i = parent[i] = parent[parent[i]];
        return i;
    };
    // Sweep from left to right, keeping the boxes that reach the sweep line.
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return bounds[a].x < bounds[b].x; });
    std::vector<std::size_t> active;
    // Many long boxes side by side would make the sweep quadratic; past this
    // much work the rest is simply united as one group.
    std::size_t budget = 64 * n + 1000000;
    for (std::size_t i : order) {
        const RectF& b = bounds[i];
        if (active.size() > budget) {
            for (std::size_t j = 0; j < n; ++j) parent[root(j)] = root(i);
            break;
        }
        budget -= active.size();
        std::size_t kept = 0;
        for (std::size_t a : active) {
            const RectF& o = bounds[a];
            if (o.x + o.width < b.x) continue;  // ends before this one starts
            active[kept++] = a;
            if (o.y <= b.y + b.height && b.y <= o.y + o.height) parent[root(a)] = root(i);
        }
        active.resize(kept);
        active.push_back(i);
    }
    std::map<std::size_t, GraphicsPath> groups;
    for (std::size_t i = 0; i < n; ++i) groups[root(i)].AddPath(pieces[i]);
    std::vector<geom::Contour> contours;
    for (const auto& [id, group] : groups)
        for (geom::Contour& c : geom::UnionContours(group, flatness)) contours.push_back(std::move(c));
    // All groups level by level: the outer contours of a level dark, then its
    // holes clear, then the islands in them. Groups do not meet, so one
    // group's holes never clear another's; the polarity changes only twice a level.
    std::stable_sort(contours.begin(), contours.end(), [](const geom::Contour& a, const geom::Contour& b) {
        return a.depth != b.depth ? a.depth < b.depth : (!a.hole && b.hole);
    });
    return contours;
}

}  // namespace

const TLayerRoleInfo& RoleInfo(TLayerRole role) {
    for (const TLayerRoleInfo& info : kRoles)
        if (info.role == role) return info;
    return kRoles[0];
}

TLayerRole RoleNamed(const std::string& word) {
    for (const TLayerRoleInfo& info : kRoles)
        if (word == info.name) return info.role;
    return TLayerRole::None;
}

std::string RoleNames() {
    std::string out;
    for (const TLayerRoleInfo& info : kRoles)
        if (info.role != TLayerRole::None) out += (out.empty() ? "" : ", ") + std::string(info.name);
    return out;
}

TLayerRole DefaultRole(const std::string& layerName) {
    static const std::map<std::string, TLayerRole> kDefaults = {
        {"component", TLayerRole::TopCopper}, {"solder", TLayerRole::BottomCopper},
        {"stop_cmp", TLayerRole::TopMask},    {"stop_sol", TLayerRole::BottomMask},
        {"place_cmp", TLayerRole::TopSilk},   {"place_sol", TLayerRole::BottomSilk},
        {"dimension", TLayerRole::Outline},   {"hole", TLayerRole::Drill}};
    const auto found = kDefaults.find(layerName);
    return found == kDefaults.end() ? TLayerRole::None : found->second;
}

namespace {

// What one walk of a layer's objects gives besides the strokes and flashes
// it sends to the classic writer: the outlines of filled areas, to be united
// into regions, the pen-drawn pads, and the objects that cannot be plotted.
// items counts the objects gathered here; the archive counts its own.
struct TX2Objects {
    std::vector<GraphicsPath> filled;
    std::vector<TPenPad> penPads;
    std::vector<std::string> refused;
    int items = 0;
};

TX2Objects CollectX2Objects(TVemoDocument& document, const TVemoLayerPtr& layer, TGerber_oarchive& archive) {
    TX2Objects out;
    const int layerIndex = layer->GetIndex();
    const float widest = float(units::FromMm(kMaxPenWidthMm));
    ForEachObject(document.GetRoot(), true, [&](const TVemoObject& leaf) {
        const TVemoObject* object = &leaf;
        if (dynamic_cast<const TVemoContainer*>(object) || object->GetLayer() != layer) return;
        if (const auto* text = dynamic_cast<const TVemoString*>(object)) {
            out.filled.push_back(text->GetOutline());
            ++out.items;
            return;
        }
        const TVemoSurface* surface = object->GetSurface();
        const bool fill = surface && surface->GetFill();
        const float width = surface ? surface->GetWidth() : 0.0f;
        if (fill && (!std::isfinite(width) || width > widest)) {
            out.refused.push_back(Describe(*object) + ": its pen width is not a number of 100 mm or less");
            return;
        }
        if (const auto* path = dynamic_cast<const TVemoPath*>(object)) {
            // A land is flashed whatever its fill: filling it adds nothing.
            if (!fill || IsLand(*path)) {
                WriteGerber(*path, archive);
                return;
            }
        } else if (const auto* ellipse = dynamic_cast<const TVemoEllipse*>(object)) {
            if (!fill || FlashableCircle(*ellipse)) {
                WriteGerber(*ellipse, archive);
                return;
            }
        } else if (const auto* rect = dynamic_cast<const TVemoRect*>(object)) {
            if (!fill || FlashableRect(*rect)) {
                WriteGerber(*rect, archive);
                return;
            }
            TPenPad pad;
            if (PenDrawnPad(*rect, pad)) {
                out.penPads.push_back(pad);
                ++out.items;
                return;
            }
        } else {
            return;
        }
        out.filled.emplace_back();
        object->AddOutline(out.filled.back(), layerIndex);
        ++out.items;
    });
    return out;
}

// The classic file in X2 spelling: its aperture table followed by the copies
// of split apertures and the apertures of pen-drawn pads, the strokes, the
// use of every aperture ('F' flashed, 'D' drawn) and each pen pad's aperture.
struct TX2Body {
    std::vector<std::string> apertures;
    std::string strokes;
    std::map<int, char> use;
    std::vector<int> padCode;
};

TX2Body RespellClassic(const std::string& classic, const std::vector<TPenPad>& penPads) {
    TX2Body out;
    // The classic file, split into its aperture table and its body.
    std::vector<std::string_view> apertures, body;
    std::string_view rest(classic);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);  // the classic file ends lines in CR LF
        if (line == "G75*" || line == "G71*" || line == "%OFA0B0*%" || line == "%IPPOS*%" ||
            line == "%LPD*%" || line == "M02*" || line.substr(0, 5) == "%FSLA" || line.empty())
            continue;
        if (line.substr(0, 3) == "%AD" || line.substr(0, 3) == "%AM")
            apertures.push_back(line);
        else
            body.push_back(line);
    }
    int nextCode = TApertureList::kFirstNumber;
    for (std::string_view line : apertures)
        if (line.substr(0, 4) == "%ADD")
            nextCode = std::max(nextCode, std::atoi(std::string(line.substr(4)).c_str()) + 1);
    std::map<int, int> split;
    out.strokes = RespellBody(body, nextCode, split, out.use);
    // The copies of split apertures follow the table, in order of their numbers.
    std::vector<std::string> copies;
    for (std::string_view line : apertures) {
        if (line.substr(0, 4) != "%ADD") continue;
        const int code = std::atoi(std::string(line.substr(4)).c_str());
        const auto s = split.find(code);
        if (s == split.end()) continue;
        std::size_t digits = 4;
        while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') ++digits;
        std::string copy = "%ADD";
        AppendInt(copy, s->second);
        copy.append(line.substr(digits));
        copies.push_back(std::move(copy));
    }
    std::sort(copies.begin(), copies.end(), [](const std::string& a, const std::string& b) {
        return std::atoi(a.c_str() + 4) < std::atoi(b.c_str() + 4);
    });
    // Pen-drawn pads: one aperture per size and corner, numbered after the rest.
    int next = nextCode + int(split.size());
    std::map<std::tuple<float, float, float>, int> padCodes;
    out.padCode.resize(penPads.size());
    for (std::size_t i = 0; i < penPads.size(); ++i) {
        const TPenPad& pad = penPads[i];
        const auto [at, fresh] = padCodes.emplace(std::make_tuple(pad.width, pad.height, pad.radius), next);
        if (fresh) {
            copies.push_back(PenPadAperture(pad, next));
            out.use[next] = 'F';
            ++next;
        }
        out.padCode[i] = at->second;
    }
    out.apertures.assign(apertures.begin(), apertures.end());
    for (std::string& copy : copies) out.apertures.push_back(std::move(copy));
    return out;
}

// The head of the file: a comment naming the layer, the file attributes, the
// format and the aperture table with each aperture's function.
void AppendX2Head(std::string& file, const TVemoLayer& layer, TLayerRole role, const TX2Options& options,
                  const TX2Body& body) {
    const TLayerRoleInfo& info = RoleInfo(role);
    file += "G04 zelko " ZELKO_VERSION ", layer " + Printable(layer.GetName()) + "*\n";
    if (options.attributes) {
        file += "%TF.GenerationSoftware,zelko,zelko," ZELKO_VERSION "*%\n";
        file += "%TF.CreationDate," + (options.creationDate.empty() ? Now() : options.creationDate) + "*%\n";
        file += std::string("%TF.FileFunction,") + info.fileFunction + "*%\n";
        file += std::string("%TF.FilePolarity,") + info.polarity + "*%\n";
    }
    file += "%FSLAX46Y46*%\n%MOMM*%\n%LPD*%\nG75*\nG01*\n";
    for (std::string_view line : body.apertures) {
        const bool macro = line.substr(0, 3) == "%AM" && line.find("%ADD") != std::string_view::npos;
        if (options.attributes && (line.substr(0, 4) == "%ADD" || macro)) {
            const std::string_view definition = macro ? line.substr(line.find("%ADD")) : line;
            const int code = std::atoi(std::string(definition.substr(4)).c_str());
            const auto u = body.use.find(code);
            const char* function = nullptr;
            if (IsCopper(role) && u != body.use.end())
                function = u->second == 'F' ? PadFunction(definition) : "Conductor";
            if (role == TLayerRole::Outline) function = "Profile";
            if (function) file += std::string("%TA.AperFunction,") + function + "*%\n";
        }
        file.append(line);
        file += "\n";
    }
    if (options.attributes && !body.apertures.empty()) file += "%TD*%\n";
    // A file of regions only defines no aperture, and some readers then take
    // it for the old format without a table; one unused aperture says otherwise.
    if (body.apertures.empty()) file += "%ADD10C,0.100*%\n";
}

// One edge of a contour: to point `to` (an index into the contour that may
// pass its end, wrapping), straight (code '1') or an arc about (cx, cy),
// clockwise ('2') or counter-clockwise ('3').
struct TContourEdge {
    std::size_t to = 0;
    char code = '1';
    double cx = 0, cy = 0;
};

// The edges of a closed contour q (file units) from its first point round to
// it again. Greedy: from each point, the longest run of at least three edges
// that fits one arc within tol, else one straight edge. Runs wrap to the
// start; the whole contour is never one arc (a full circle is left to two or more).
std::vector<TContourEdge> FitContourEdges(const std::vector<std::pair<double, double>>& q, double tol) {
    std::vector<TContourEdge> edges;
    const std::size_t n = q.size();
    for (std::size_t i = 0; i < n;) {
        std::size_t best = 0;
        ArcFit fit, bestFit;
        for (std::size_t j = i + 3; j <= std::min(n, i + kLongestArcRun) && j < i + n; ++j) {
            if (!FitsArc(q, i, j, tol, fit)) break;
            best = j;
            bestFit = fit;
        }
        if (best > 0) {
            edges.push_back({best, bestFit.counterClockwise ? '3' : '2', bestFit.cx, bestFit.cy});
            i = best;
        } else {
            edges.push_back({i + 1, '1', 0, 0});
            ++i;
        }
    }
    return edges;
}

// The united filled areas as regions, first in the file: their holes are
// cleared before any stroke is drawn, so a clear hole never takes away a
// track that crosses it. Ends with dark polarity and straight interpolation.
// false, with error, for a shape 1000 m or more from the origin.
bool AppendRegions(std::string& file, const std::vector<GraphicsPath>& filled, double offsetX, double offsetY,
                   double tol, std::string& error) {
    bool dark = true, open = false;
    char mode = '1';  // the interpolation in force: G01 lines, G02 or G03 arcs
    // Coordinates are modal: one that did not change is left out.
    long long lastX = 0, lastY = 0;
    bool haveLast = false;
    const auto coordinate = [&](PointF p, const char* code) {
        const double x = std::round((p.x + offsetX) * 100000.0), y = std::round((offsetY - p.y) * 100000.0);
        if (!(std::fabs(x) < 1e15) || !(std::fabs(y) < 1e15)) return false;
        if (!haveLast || (long long)x != lastX) {
            file += 'X';
            AppendInt(file, (long long)x);
        }
        if (!haveLast || (long long)y != lastY) {
            file += 'Y';
            AppendInt(file, (long long)y);
        }
        lastX = (long long)x;
        lastY = (long long)y;
        haveLast = true;
        file += code;
        return true;
    };
    // An edge to (x, y) in file units, as a line or an arc about (cx, cy).
    const auto edge = [&](double x, double y, char wanted, double cx, double cy) {
        if (wanted != mode) {
            file += wanted == '1' ? "G01*\n" : wanted == '2' ? "G02*\n" : "G03*\n";
            mode = wanted;
        }
        const long long ix = (long long)x, iy = (long long)y;
        if (!haveLast || ix != lastX) {
            file += 'X';
            AppendInt(file, ix);
        }
        if (!haveLast || iy != lastY) {
            file += 'Y';
            AppendInt(file, iy);
        }
        if (wanted != '1') {
            file += 'I';
            AppendInt(file, std::llround(cx) - lastX);
            file += 'J';
            AppendInt(file, std::llround(cy) - lastY);
        }
        lastX = ix;
        lastY = iy;
        file += "D01*\n";
    };
    for (const geom::Contour& contour : RegionContours(filled, kRegionFlatness)) {
        if (contour.points.size() < 3) continue;
        // The contour in file units (millionths of a millimetre, y up).
        std::vector<std::pair<double, double>> q;
        q.reserve(contour.points.size());
        bool inReach = true;
        for (const PointF& p : contour.points) {
            const double x = std::round((p.x + offsetX) * 100000.0),
                         y = std::round((offsetY - p.y) * 100000.0);
            inReach = inReach && std::fabs(x) < 1e15 && std::fabs(y) < 1e15;
            q.emplace_back(x, y);
        }
        if (!inReach) {
            error = "a filled shape lies 1000 m or more from the origin";
            return false;
        }
        if (contour.hole == dark) {
            if (open) file += "G37*\n";
            open = false;
            dark = !contour.hole;
            file += dark ? "%LPD*%\n" : "%LPC*%\n";
        }
        if (!open) file += "G36*\n";
        open = true;
        coordinate(contour.points[0], "D02*\n");
        for (const TContourEdge& e : FitContourEdges(q, tol)) {
            const auto [x, y] = q[e.to % q.size()];
            edge(x, y, e.code, e.cx, e.cy);
        }
    }
    if (open) file += "G37*\n";
    if (!dark) file += "%LPD*%\n";
    if (mode != '1') file += "G01*\n";
    return true;
}

// The flashes of the pen-drawn pads, each with its aperture (padCode).
// false, with error, for a pad 1000 m or more from the origin.
bool AppendPenPads(std::string& file, const std::vector<TPenPad>& penPads, const std::vector<int>& padCode,
                   double offsetX, double offsetY, std::string& error) {
    int selected = -1;
    for (std::size_t i = 0; i < penPads.size(); ++i) {
        if (padCode[i] != selected) {
            file += 'D';
            AppendInt(file, padCode[i]);
            file += "*\n";
            selected = padCode[i];
        }
        const PointF c = penPads[i].centre;
        const double x = std::round((c.x + offsetX) * 100000.0), y = std::round((offsetY - c.y) * 100000.0);
        if (!(std::fabs(x) < 1e15) || !(std::fabs(y) < 1e15)) {
            error = "a pad lies 1000 m or more from the origin";
            return false;
        }
        file += 'X';
        AppendInt(file, (long long)x);
        file += 'Y';
        AppendInt(file, (long long)y);
        file += "D03*\n";
    }
    return true;
}

}  // namespace

TGerberLayerFile BuildGerberX2Layer(TVemoDocument& document, const TVemoLayerPtr& layer, TLayerRole role,
                                    double penWidth, double textPenWidth, const TX2Options& options) {
    TGerberLayerFile out;
    TGerber_oarchive archive(layer);
    SetUpLayerArchive(archive, document, penWidth, textPenWidth);

    const TX2Objects objects = CollectX2Objects(document, layer, archive);
    out.items = objects.items;
    std::string classic;
    if (!archive.Flush(classic, out.error)) return out;
    for (const std::string& r : objects.refused) out.error += (out.error.empty() ? "" : "\n  ") + r;
    if (!objects.refused.empty()) {
        out.error = std::to_string(objects.refused.size()) + " object(s) cannot be plotted:\n  " + out.error;
        return out;
    }
    out.items += archive.ItemCount();
    out.apertures = archive.GetApertures().Count();

    const TX2Body body = RespellClassic(classic, objects.penPads);
    AppendX2Head(out.bytes, *layer, role, options, body);
    const bool legend = role == TLayerRole::TopSilk || role == TLayerRole::BottomSilk;
    const double tol = (legend ? kLegendArcTolerance : kArcTolerance) * 100000.0;
    if (!AppendRegions(out.bytes, objects.filled, archive.offsetX, archive.offsetY, tol, out.error)) {
        out.bytes.clear();
        return out;
    }
    out.bytes += body.strokes;
    if (!AppendPenPads(out.bytes, objects.penPads, body.padCode, archive.offsetX, archive.offsetY,
                       out.error)) {
        out.bytes.clear();
        return out;
    }
    out.bytes += "M02*\n";
    out.ok = true;
    return out;
}

TLayerRole RoleOf(const TX2ExportOptions& options, const std::string& layerName) {
    const auto found = options.roles.find(layerName);
    return found != options.roles.end() ? found->second : DefaultRole(layerName);
}

std::string X2FileName(const TX2ExportOptions& options, const std::string& layerName) {
    const TLayerRole role = RoleOf(options, layerName);
    const std::string roleWord = role == TLayerRole::None ? layerName : RoleInfo(role).name;
    std::string name;
    const std::string& t = options.nameTemplate;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const auto field = [&](const char* key, const std::string& value) {
            const std::string k = std::string("{") + key + "}";
            if (t.compare(i, k.size(), k) != 0) return false;
            name += value;
            i += k.size() - 1;
            return true;
        };
        if (field("board", options.board) || field("layer", layerName) || field("role", roleWord) ||
            field("ext", "gbr"))
            continue;
        name += t[i];
    }
    name = Printable(name);
    if (name.empty() || name == "." || name == "..") name = "_";
    return name;
}

TGerberExportResult ExportGerberX2(TVemoDocument& document, const TX2ExportOptions& options) {
    TGerberExportResult result;
    result.error = PenWidthProblem(options.penWidth, options.textPenWidth);
    if (!result.error.empty()) return result;
    std::vector<TVemoLayerPtr> chosen;
    const auto notDrill = [&](const TVemoLayer& layer) {
        return RoleOf(options, layer.GetName()) != TLayerRole::Drill;
    };
    if (!ChooseLayers(document, options.layers, notDrill, chosen, result.error)) return result;

    // Two layers must never write one file: the second would replace the first.
    std::map<std::string, std::string> owner;
    for (const TVemoLayerPtr& layer : chosen) {
        const std::string file = X2FileName(options, layer->GetName());
        const auto [at, fresh] = owner.emplace(file, layer->GetName());
        if (!fresh) {
            result.error = "layers \"" + at->second + "\" and \"" + layer->GetName() +
                           "\" would both be written to " + file +
                           ": give them roles of their own or a name template with {layer}";
            return result;
        }
    }

    // One creation date for the whole set, however long building takes.
    TX2Options fileOptions = options;
    if (fileOptions.creationDate.empty()) fileOptions.creationDate = Now();
    TLayerSetJob job;
    job.folder = options.folder;
    job.progress = options.progress;
    job.leaveOutEmpty = options.leaveOutEmpty;
    job.fileName = [&](const TVemoLayer& layer, std::string&) {
        return X2FileName(options, layer.GetName());
    };
    job.build = [&](std::size_t index) {
        const TVemoLayerPtr& layer = chosen[index];
        return BuildGerberX2Layer(document, layer, RoleOf(options, layer->GetName()), options.penWidth,
                                  options.textPenWidth, fileOptions);
    };
    WriteLayerSet(chosen, job, result);
    return result;
}
