#include "import/Fabimport.h"

#include <filesystem>
#include <memory>
#include <utility>

#include "geom/Units.h"
#include "model/Vemocontainer.h"
#include "model/Vemodocument.h"
#include "model/Vemoellipse.h"
#include "model/Vemogroup.h"
#include "model/Vemolayer.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"

namespace {

constexpr Argb kNewLayerColour = 0xFF0000FFu;  // opaque blue, as the line-and-land import
// Clear polarity after dark nests one group deeper each time (see
// BuildObjects); a file that switches more often than this is refused.
constexpr int kMaxPolarityLevels = 200;

// File millimetres (y up, origin at the design area's bottom-left corner)
// to document units.
struct TFrame {
    double left = 0, bottom = 0;
    PointF operator()(TFabPoint p) const {
        return PointF(float(left + units::FromMm(p.x)), float(bottom - units::FromMm(p.y)));
    }
};

std::unique_ptr<TVemoInstance> MakeObject(const TFabItem& item, const TFrame& frame,
                                          const TVemoLayerPtr& layer) {
    std::unique_ptr<TVemoInstance> object;
    TVemoSurface surface(0.0f, true, item.clear);
    switch (item.kind) {
        case TFabItem::Kind::Circle: {
            auto ellipse = std::make_unique<TVemoEllipse>();
            const PointF c = frame(item.centre);
            const float r = float(units::FromMm(item.width / 2));
            Matrix placement;
            placement.Translate(c.x, c.y);
            ellipse->AssignData({PointF(0, 0), PointF(r, 0), PointF(0, r), PointF(-r, 0), PointF(0, -r)},
                                placement);
            object = std::move(ellipse);
            break;
        }
        case TFabItem::Kind::Rect: {
            auto rect = std::make_unique<TVemoRect>();
            const PointF c = frame(item.centre);
            const float w = float(units::FromMm(item.width / 2)), h = float(units::FromMm(item.height / 2));
            Matrix placement;
            placement.Translate(c.x, c.y);
            rect->AssignData({PointF(0, 0), PointF(-w, -h), PointF(w, -h), PointF(w, h), PointF(-w, h)},
                             placement);
            object = std::move(rect);
            break;
        }
        case TFabItem::Kind::Stroke:
        case TFabItem::Kind::Area: {
            const bool closed = item.kind == TFabItem::Kind::Area;
            std::vector<PointF> points;
            points.reserve(item.chain.size() + 2);
            for (const TFabPoint& p : item.chain) points.push_back(frame(p));
            if (closed) {
                points.pop_back();  // the ring returns to point 0 by itself
            } else {
                // The closing segment's handles of an open path stay unused.
                points.push_back(points.back());
                points.push_back(points.front());
            }
            std::vector<unsigned char> types(points.size(), 0);
            for (std::size_t k = 0; k + 2 < points.size(); k += 3) {
                const bool curved =
                    !(points[k + 1] == points[k]) || !(points[k + 2] == points[(k + 3) % points.size()]);
                if (curved) types[k] = TVemoPath::TypeCurved;
            }
            auto path = std::make_unique<TVemoPath>();
            path->SetData(points, types, closed);
            if (!closed) {
                // Exactly the aperture's width, even below the editor's
                // smallest pen for a new line.
                surface.SetFields(float(units::FromMm(item.width)), false, item.clear,
                                  item.squareCap ? geom::JoinMiter : geom::JoinRound,
                                  item.squareCap ? geom::CapSquare : geom::CapRound, geom::DashSolid);
            }
            object = std::move(path);
            break;
        }
    }
    object->AssignLayer(layer);
    *object->GetSurface() = surface;
    return object;
}

// One file's objects as one group. Clear polarity becomes cut-out objects,
// which erase only what their container paints before them: the container
// paints its ordinary children first, then the cut-out ones. So each switch
// from clear back to dark wraps everything so far in a group of its own,
// which the next level paints first: {later dark..., {earlier...}, later clear...}.
// The pieces of one flash share a group.
bool BuildObjects(const TFabPicture& picture, const TFrame& frame, const TVemoLayerPtr& layer,
                  std::unique_ptr<TVemoGroup>& out, std::string& error) {
    struct TLevel {
        std::vector<std::unique_ptr<TVemoObject>> dark, clear;
    };
    std::vector<TLevel> levels(1);
    std::map<int, TVemoGroup*> flashGroups;
    for (const TFabItem& item : picture.items) {
        if (!item.clear && !levels.back().clear.empty()) {
            if (int(levels.size()) >= kMaxPolarityLevels) {
                error = "polarity switches from clear to dark more than " +
                        std::to_string(kMaxPolarityLevels) + " times";
                return false;
            }
            levels.emplace_back();
            flashGroups.clear();
        }
        std::unique_ptr<TVemoInstance> object = MakeObject(item, frame, layer);
        auto& list = item.clear ? levels.back().clear : levels.back().dark;
        if (item.group < 0) {
            list.push_back(std::move(object));
            continue;
        }
        auto [at, fresh] = flashGroups.emplace(item.group, nullptr);
        if (fresh) {
            auto group = std::make_unique<TVemoGroup>();
            at->second = group.get();
            list.push_back(std::move(group));
        }
        at->second->AddChild(std::move(object));
    }
    std::unique_ptr<TVemoGroup> inner;
    for (TLevel& level : levels) {
        auto group = std::make_unique<TVemoGroup>();
        for (auto& object : level.dark) group->AddChild(std::move(object));
        if (inner) group->AddChild(std::move(inner));
        for (auto& object : level.clear) group->AddChild(std::move(object));
        inner = std::move(group);
    }
    out = std::move(inner);
    return true;
}

// X2 file functions and the layers of a new document that play that part.
std::string LayerOfFunction(const std::string& function) {
    const auto has = [&](const char* word) { return function.find(word) != std::string::npos; };
    const bool top = has(",Top"), bottom = has(",Bot");
    if (function.rfind("Copper", 0) == 0) return top ? "component" : bottom ? "solder" : "";
    if (function.rfind("Soldermask", 0) == 0) return top ? "stop_cmp" : bottom ? "stop_sol" : "";
    if (function.rfind("Legend", 0) == 0) return top ? "place_cmp" : bottom ? "place_sol" : "";
    if (function.rfind("Profile", 0) == 0) return "dimension";
    if (function.rfind("Plated", 0) == 0 || function.rfind("NonPlated", 0) == 0) return "hole";
    return "";
}

}  // namespace

std::string DefaultFabDestination(const std::string& fileName, const TFabPicture& picture) {
    if (picture.drill) return "hole";
    const std::string byFunction = LayerOfFunction(picture.fileFunction);
    if (!byFunction.empty()) return byFunction;
    std::string stem = std::filesystem::path(fileName).stem().string();
    return stem.empty() ? "imported" : stem;
}

bool ReadFab(const TFabFile& file, TFabPicture& picture, std::string& error) {
    return DetectFabKind(file.bytes) == TFabKind::Excellon
               ? ReadExcellon(file.bytes, file.name, picture, error)
               : ReadGerber(file.bytes, file.name, picture, error);
}

TFabImportResult ImportFab(const std::vector<TFabFile>& files,
                           const std::map<std::string, std::string>& destinations, TVemoDocument& document) {
    TFabImportResult result;
    const TFrame frame{document.GetAreaX(), document.GetAreaY() + document.GetAreaHeight()};
    TVemoLayerList& layers = document.GetLayerList();
    std::map<std::string, TVemoLayerPtr> made;
    std::vector<std::unique_ptr<TVemoGroup>> groups;
    for (const TFabFile& file : files) {
        TFabPicture picture;
        if (!ReadFab(file, picture, result.error)) return result;
        for (std::string& w : picture.warnings) result.warnings.push_back(std::move(w));
        const auto named = destinations.find(file.name);
        const std::string dest =
            named != destinations.end() ? named->second : DefaultFabDestination(file.name, picture);
        TVemoLayerPtr layer = layers.Find(dest);
        if (!layer) {
            TVemoLayerPtr& fresh = made[dest];
            if (!fresh) {
                fresh = std::make_shared<TVemoLayer>(kNewLayerColour, dest);
                result.createdLayers.push_back(dest);
            }
            layer = fresh;
        }
        std::unique_ptr<TVemoGroup> group;
        if (!BuildObjects(picture, frame, layer, group, result.error)) {
            result.error = file.name + ": " + result.error;
            return result;
        }
        result.files.push_back({file.name, dest, int(picture.items.size()), nullptr});
        groups.push_back(std::move(group));
    }
    // Everything was read: now the document changes.
    for (const std::string& name : result.createdLayers) layers.Insert(made[name]);
    for (std::size_t k = 0; k < groups.size(); ++k) {
        TVemoObject* added = document.GetRoot().AddChild(std::move(groups[k]));
        result.files[k].group = static_cast<TVemoGroup*>(added);
    }
    RebuildStale(document.GetRoot());
    result.ok = true;
    return result;
}
