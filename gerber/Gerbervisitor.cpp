#include "gerber/Gerbervisitor.h"

#include <vector>

#include "gerber/Gerber_oarchive.h"
#include "model/Vemoellipse.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"
#include "model/Vemostring.h"

namespace {

bool OnArchiveLayer(const TVemoObject& object, const TGerber_oarchive& archive) {
    const TVemoLayerPtr layer = object.GetLayer();
    return layer && layer == archive.GetLayer();
}

int WriteShape(const TVemoShape& shape, TGerber_oarchive& archive, bool ellipse) {
    if (!OnArchiveLayer(shape, archive)) return -1;
    const TVemoSurface& style = *shape.GetSurface();
    if (ellipse)
        archive.AddEllipse(style, shape.GetLocalBounds(), shape.GetPlacement());
    else
        archive.AddRect(style, shape.GetLocalBounds(), shape.GetPlacement());
    return 0;
}

}  // namespace

int WriteGerber(const TVemoPath& path, TGerber_oarchive& archive) {
    if (!OnArchiveLayer(path, archive)) return -1;
    const TRingVector<PointF>& points = path.GetPoints();
    if (points.size() < 4) return -1;
    // The curve as drawn: a closed path returns to its first point; an open one
    // ends before the handles of its closing segment.
    std::vector<PointF> curve(points.begin(), points.end());
    if (path.IsClosed())
        curve.push_back(points[0]);
    else
        curve.resize(curve.size() - 2);
    GraphicsPath figure;
    figure.AddBeziers(curve.data(), curve.size());
    archive.AddPath(*path.GetSurface(), figure);
    return 0;
}

int WriteGerber(const TVemoRect& rect, TGerber_oarchive& archive) {
    return WriteShape(rect, archive, false);
}

int WriteGerber(const TVemoEllipse& ellipse, TGerber_oarchive& archive) {
    return WriteShape(ellipse, archive, true);
}

int WriteGerber(const TVemoString& text, TGerber_oarchive& archive) {
    if (!OnArchiveLayer(text, archive)) return -1;
    const TVemoSurface style(static_cast<float>(archive.textPenWidth * 10.0), true, false);
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

void WriteGerberTree(TVemoObject& root, TGerber_oarchive& archive) {
    TGerberVisitor visitor(archive);
    root.AcceptDeep(visitor);
}
