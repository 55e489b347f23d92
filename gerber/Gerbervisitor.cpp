#include "gerber/Gerbervisitor.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "geom/Units.h"
#include "gerber/Gerber_oarchive.h"
#include "gerber/Gerberexport.h"
#include "model/Vemocontainer.h"
#include "model/Vemoellipse.h"
#include "model/Vemolayer.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"
#include "model/Vemostring.h"

namespace {

bool OnArchiveLayer(const TVemoObject& object, const TGerber_oarchive& archive) {
    const TVemoLayerPtr layer = object.GetLayer();
    return layer && layer == archive.GetLayer();
}

// The widest pen a document may plot with, as for the export's own widths.
constexpr float kMaxPenWidth = float(units::FromMm(kMaxPenWidthMm));

std::string Describe(const TVemoInstance& object) {
    const std::string_view tag = object.GetTag();
    const char* kind = tag == "PATH"   ? "path"
                       : tag == "RECT" ? "rectangle"
                       : tag == "ELPS" ? "ellipse"
                                       : "text";
    const TVemoLayerPtr layer = object.GetLayer();
    return std::string(kind) + " \"" + object.GetName() + "\" on layer \"" + (layer ? layer->GetName() : "") +
           "\"";
}

// Names the object to the archive; false, with the object refused, when it
// cannot be plotted: a pen width that is not a number or wider than 100 mm
// (an aperture no plotter has, and numbers the file format cannot hold), or
// geometry out of the reach of outlines.
bool Plottable(const TVemoInstance& object, TGerber_oarchive& archive, bool ownWidth) {
    archive.SetCurrentObject(Describe(object));
    const float width = object.GetSurface()->GetWidth();
    if (ownWidth && !std::isfinite(width)) {
        archive.Refuse(archive.CurrentObject(), "its pen width is not a finite number");
        return false;
    }
    if (ownWidth && width > kMaxPenWidth) {
        char mm[64];
        std::snprintf(mm, sizeof mm, "%.6g", units::ToMm(width));
        archive.Refuse(archive.CurrentObject(),
                       std::string("its pen width of ") + mm + " mm is more than 100 mm");
        return false;
    }
    if (object.IsBeyondReach()) {
        archive.Refuse(archive.CurrentObject(),
                       "it reaches more than 100 m from the origin, or is not finite");
        return false;
    }
    return true;
}

int WriteShape(const TVemoShape& shape, TGerber_oarchive& archive, bool ellipse) {
    if (!OnArchiveLayer(shape, archive) || !Plottable(shape, archive, true)) return -1;
    const TVemoSurface& style = *shape.GetSurface();
    if (ellipse)
        archive.AddEllipse(style, shape.GetLocalBounds(), shape.GetPlacement());
    else
        archive.AddRect(style, shape.GetLocalBounds(), shape.GetPlacement());
    return 0;
}

}  // namespace

namespace {

// The curve as drawn: a closed path returns to its first point; an open one
// ends before the handles of its closing segment. Empty for fewer than 4 points.
GraphicsPath DrawnCurve(const TVemoPath& path) {
    GraphicsPath figure;
    const TRingVector<PointF>& points = path.GetPoints();
    if (points.size() < 4) return figure;
    std::vector<PointF> curve(points.begin(), points.end());
    if (path.IsClosed())
        curve.push_back(points[0]);
    else
        curve.resize(curve.size() - 2);
    figure.AddBeziers(curve.data(), curve.size());
    return figure;
}

}  // namespace

bool IsLand(const TVemoPath& path) {
    float w = 0, h = 0;
    PointF centre;
    // The stand-in width does not decide whether it is a land.
    return TGerber_oarchive::LandOf(*path.GetSurface(), DrawnCurve(path), path.IsClosed(), 0.3, w, h,
                                    centre) != 0;
}

int WriteGerber(const TVemoPath& path, TGerber_oarchive& archive) {
    if (!OnArchiveLayer(path, archive) || !Plottable(path, archive, true)) return -1;
    if (path.GetPoints().size() < 4) return -1;
    archive.AddPath(*path.GetSurface(), DrawnCurve(path), path.IsClosed());
    return 0;
}

int WriteGerber(const TVemoRect& rect, TGerber_oarchive& archive) {
    return WriteShape(rect, archive, false);
}

int WriteGerber(const TVemoEllipse& ellipse, TGerber_oarchive& archive) {
    return WriteShape(ellipse, archive, true);
}

int WriteGerber(const TVemoString& text, TGerber_oarchive& archive) {
    // A text is drawn with the archive's text width, not its own.
    if (!OnArchiveLayer(text, archive) || !Plottable(text, archive, false)) return -1;
    const TVemoSurface style(static_cast<float>(units::FromMm(archive.textPenWidth)), true, false);
    archive.AddPath(style, text.GetOutline());
    return 0;
}

void TGerberVisitor::Visit(TVemoObject* object) {
    if (const auto* path = dynamic_cast<const TVemoPath*>(object))
        WriteGerber(*path, archive_);
    else if (const auto* rect = dynamic_cast<const TVemoRect*>(object))
        WriteGerber(*rect, archive_);
    else if (const auto* ellipse = dynamic_cast<const TVemoEllipse*>(object))
        WriteGerber(*ellipse, archive_);
    else if (const auto* text = dynamic_cast<const TVemoString*>(object))
        WriteGerber(*text, archive_);
}

std::vector<TVemoObject*> VisibleLeaves(TVemoObject& root) {
    // A walk with its own stack: no tree can make it run out of the thread's.
    std::vector<TVemoObject*> leaves;
    std::vector<TVemoObject*> pending{&root};
    while (!pending.empty()) {
        TVemoObject* object = pending.back();
        pending.pop_back();
        if (!object->IsVisible()) continue;
        if (const auto* container = dynamic_cast<const TVemoContainer*>(object)) {
            for (int i = container->GetChildCount() - 1; i >= 0; --i)
                pending.push_back(container->GetChild(i));
        } else {
            leaves.push_back(object);
        }
    }
    return leaves;
}

void WriteGerberTree(TVemoObject& root, TGerber_oarchive& archive) {
    WriteGerberObjects(VisibleLeaves(root), archive);
}

void WriteGerberObjects(const std::vector<TVemoObject*>& objects, TGerber_oarchive& archive) {
    TGerberVisitor visitor(archive);
    for (TVemoObject* object : objects) visitor.Visit(object);
}
