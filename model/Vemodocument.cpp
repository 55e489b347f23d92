#include "model/Vemodocument.h"

#include <utility>

#include "model/Vemogroup.h"
#include "model/Vemoobjectvisitor.h"

namespace {

struct TDefaultLayer {
    const char* name;
    Argb colour;
};

// In insertion order: each goes before the current one, so the list ends up
// reversed with "hole" on top.
constexpr TDefaultLayer kDefaultLayers[] = {
    {"other", 0xFF808080u},     {"dimension", 0xFF000000u}, {"stop_cmp", 0xFFA6A6FFu},
    {"stop_sol", 0xFFFF80C0u},  {"place_cmp", 0xFFFFB900u}, {"place_sol", 0xFF465CAAu},
    {"component", 0xFF008000u}, {"solder", 0xFFEB2828u},    {"hole", 0xFFFFFFFFu},
};

}  // namespace

TVemoDocument::TVemoDocument()
    : layers_(std::make_unique<TVemoLayerList>()), root_(std::make_unique<TVemoPart>()) {
    for (const TDefaultLayer& layer : kDefaultLayers)
        layers_->Insert(std::make_shared<TVemoLayer>(layer.colour, layer.name));
    layers_->SetCurrentByName("solder");
    if (const TVemoLayerPtr hole = layers_->Find("hole")) hole->SetCutOut(true);
}

TVemoDocument::~TVemoDocument() {
    root_.reset();
    layers_.reset();
}

TVemoGroup* PlaceLibraryPart(const TVemoGroup& offered, TVemoPart& root, TVemoLayerList& layers, PointF q) {
    std::unique_ptr<TVemoGroup> copy = CloneOf(offered);
    TLayerCollector collector(layers);
    copy->AcceptDeep(collector);
    copy->RebindLayer(layers);
    copy->Translate(q.x, q.y);
    copy->Rebuild();
    TVemoGroup* placed = copy.get();
    root.AddChild(std::move(copy));
    return placed;
}

TVemoGroup* PlaceLibraryPart(const TVemoGroup& offered, TVemoDocument& document, PointF q) {
    return PlaceLibraryPart(offered, document.GetRoot(), document.GetLayerList(), q);
}
