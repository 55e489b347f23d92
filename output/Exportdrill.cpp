#include "output/Exportdrill.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "geom/Units.h"
#include "model/Vemocontainer.h"
#include "model/Vemodocument.h"
#include "model/Vemoellipse.h"
#include "model/Vemopath.h"
#include "model/Vemolayer.h"
#include "model/Vemolayerlist.h"
#include "model/Vemosurface.h"

namespace {

// Holes are placed and sized to the micrometre; drills come in far coarser steps.
std::int64_t Microns(double mm) {
    return std::llround(mm * 1000.0);
}

std::string Mm3(std::int64_t microns) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%s%lld.%03lld", microns < 0 ? "-" : "",
                  static_cast<long long>(std::llabs(microns) / 1000),
                  static_cast<long long>(std::llabs(microns) % 1000));
    return buffer;
}

std::string Where(const TVemoObject& object, double areaX, double areaBottom) {
    RectF box;
    object.GetBounds(box);
    const std::string_view tag = object.GetTag();
    const char* kind = tag == "PATH"   ? "path"
                       : tag == "RECT" ? "rectangle"
                       : tag == "ELPS" ? "ellipse"
                                       : "text";
    return std::string(kind) + (object.GetName().empty() ? "" : " \"" + object.GetName() + "\"") + " at (" +
           Mm3(Microns(units::ToMm(box.x + box.width / 2 - areaX))) + ", " +
           Mm3(Microns(units::ToMm(areaBottom - (box.y + box.height / 2)))) + ") mm";
}

// The visible diameter of a round, filled ellipse in document units, or 0 for
// any other ellipse: one with two radii, an outline only, or a placement that
// stretches it.
double RoundHoleDiameter(const TVemoEllipse& ellipse) {
    const RectF local = ellipse.GetLocalBounds();
    const double sx = ellipse.GetPlacement().SimilarityScale();
    if (!(sx > 0.0)) return 0.0;
    if (std::fabs(local.width - local.height) > 1e-4f * std::max(local.width, 1.0f)) return 0.0;
    const TVemoSurface& surface = *ellipse.GetSurface();
    if (!surface.GetFill()) return 0.0;
    const double d = local.width * sx + std::max(0.0f, surface.GetWidth());
    return std::isfinite(d) && d > 0.0 ? d : 0.0;
}

// A land drawn as a dot, a path that stays on one point, plots as a round
// flash of its pen: its centre and that width, or a width of 0 for any other path.
double DotDiameter(const TVemoPath& path, PointF& centre) {
    const TRingVector<PointF>& points = path.GetPoints();
    if (points.size() == 0) return 0.0;
    const PointF first = points[0];
    for (const PointF& p : points)
        if (std::fabs(p.x - first.x) > 1e-3f || std::fabs(p.y - first.y) > 1e-3f) return 0.0;
    const TVemoSurface& surface = *path.GetSurface();
    if (surface.GetCap() == geom::CapSquare) return 0.0;
    const double d = surface.GetWidth();
    centre = first;
    return std::isfinite(d) && d > 0.0 ? d : 0.0;
}

}  // namespace

TVemoLayerPtr DrillLayer(const TVemoDocument& document, const std::string& name) {
    const TVemoLayerList& layers = document.GetLayerList();
    if (!name.empty()) return layers.Find(name);
    for (int i = 0; i < layers.Count(); ++i)
        if (layers.At(i)->IsHole()) return layers.At(i);
    return layers.Find("hole");
}

TDrillFile BuildDrill(const TVemoDocument& document, const TVemoLayerPtr& layer, const std::string& comment) {
    TDrillFile file;
    const double areaX = document.GetAreaX();
    const double areaBottom = document.GetAreaY() + document.GetAreaHeight();
    std::map<std::int64_t, std::vector<std::pair<std::int64_t, std::int64_t>>> byTool;  // diameter -> places

    ForEachObject(document.GetRoot(), true, [&](const TVemoObject& leaf) {
        const TVemoObject* object = &leaf;
        if (dynamic_cast<const TVemoContainer*>(object) || object->GetLayer() != layer) return;
        const auto* ellipse = dynamic_cast<const TVemoEllipse*>(object);
        const auto* path = dynamic_cast<const TVemoPath*>(object);
        PointF centre;
        double d = 0.0;
        if (ellipse) {
            d = RoundHoleDiameter(*ellipse);
            const RectF local = ellipse->GetLocalBounds();
            centre =
                ellipse->GetPlacement().Map(PointF(local.x + local.width / 2, local.y + local.height / 2));
        } else if (path) {
            d = DotDiameter(*path, centre);
        }
        if (!(d > 0.0)) {
            file.refused.push_back(Where(*object, areaX, areaBottom) +
                                   (ellipse ? ": not a filled round circle" : ": not a round hole"));
            return;
        }
        const double x = units::ToMm(centre.x - areaX), y = units::ToMm(areaBottom - centre.y);
        if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > 1e5 || std::fabs(y) > 1e5 || d > 1e4) {
            file.refused.push_back(Where(*object, areaX, areaBottom) + ": out of any drill's reach");
            return;
        }
        byTool[Microns(units::ToMm(d))].push_back({Microns(x), Microns(y)});
        ++file.holes;
    });

    std::string& out = file.bytes;
    out += "M48\n";
    if (!comment.empty()) out += "; " + comment + "\n";
    out += "; holes: " + std::to_string(file.holes) + ", tools: " + std::to_string(byTool.size()) + "\n";
    out += "METRIC,TZ\nFMAT,2\n";
    int tool = 0;
    // Lines are appended piece by piece: GCC 12 warns falsely (-Wrestrict)
    // on "T" + string, and nothing is built only to be copied.
    for (const auto& [diameter, places] : byTool) {
        out.append("T").append(std::to_string(++tool)).append("C").append(Mm3(diameter)).append("\n");
        file.tools.push_back(double(diameter) / 1000.0);
        file.holesPerTool.push_back(int(places.size()));
    }
    out += "%\nG90\nG05\n";
    tool = 0;
    for (const auto& [diameter, places] : byTool) {
        out.append("T").append(std::to_string(++tool)).append("\n");
        for (const auto& [x, y] : places)
            out.append("X").append(Mm3(x)).append("Y").append(Mm3(y)).append("\n");
    }
    out += "M30\n";
    return file;
}
