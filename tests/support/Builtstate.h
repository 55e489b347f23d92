#pragma once
// What the archive bytes of a tree leave out: everything a drawing object
// builds from its data (outline, bounds, how exact the outline is, the colours
// taken from the layer) and its edit state, for every object in tree order.
// Two trees with equal bytes and equal built states draw, hit and export alike;
// tests compare a tree that took a shortcut (objects kept over an undo,
// outlines built on several threads) with one read and built plainly.

#include <cstring>
#include <sstream>
#include <string>

#include "model/Vemocontainer.h"
#include "model/Vemodrawstyle.h"
#include "model/Vemolayer.h"
#include "model/Vemopath.h"
#include "model/Vemoshape.h"
#include "model/Vemostring.h"

namespace testsupport {

inline void AppendOutline(std::ostringstream& out, const GraphicsPath& path) {
    out << " fill " << int(path.GetFillMode()) << " n " << path.Points().size() << ':';
    std::string bits(path.Points().size() * sizeof(PointF), '\0');
    if (!bits.empty()) std::memcpy(bits.data(), path.Points().data(), bits.size());
    out << std::hash<std::string>()(bits) << '/'
        << std::hash<std::string>()(std::string(path.Types().begin(), path.Types().end()));
}

inline std::string BuiltStateOf(const TVemoObject& root) {
    std::ostringstream out;
    ForEachObject(root, false, [&](const TVemoObject& object) {
        out << object.GetTag() << " name " << object.GetName() << " flags " << object.GetFlags();
        if (const TVemoInstance* instance = object.AsInstance()) {
            RectF b;
            instance->GetBounds(b);
            // The colours as the layer gives them now (which layer is current
            // changes them), or as they stand for an object without a layer.
            const TVemoSurface& s = *instance->GetSurface();
            const TVemoLayer* layer = instance->LayerOrNull();
            const Argb want = s.GetCutOut() ? DrawStyle().GetColour(dcCutOut)
                              : layer       ? layer->GetEffectiveColour()
                                            : s.GetBrush().colour;
            out << " stale " << instance->IsStale() << " note " << instance->OutlineNote() << " bounds "
                << b.x << ',' << b.y << ',' << b.width << ',' << b.height << " pen " << s.GetPen().width
                << '/' << s.GetPen().join << '/' << s.GetPen().startCap << '/' << s.GetPen().dashStyle
                << " coloured " << (s.GetPen().colour == want && s.GetBrush().colour == want);
            if (const auto* path = dynamic_cast<const TVemoPath*>(&object)) {
                AppendOutline(out, path->GetOutline());
                out << " handle " << path->IsHandleMode();
            } else if (const auto* shape = dynamic_cast<const TVemoShape*>(&object)) {
                AppendOutline(out, shape->GetOutline());
                for (int h = 0; h < TVemoShape::kHandleCount; ++h) out << shape->IsHandleSelected(h);
            } else if (const auto* text = dynamic_cast<const TVemoString*>(&object)) {
                AppendOutline(out, text->GetOutline());
                out << " handle " << text->IsHandleSelected();
            }
        }
        out << '\n';
    });
    return out.str();
}

}  // namespace testsupport
