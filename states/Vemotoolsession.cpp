#include "states/Vemotoolsession.h"

namespace {
const std::vector<TVemoPath*> kNoPaths;
}  // namespace

const std::vector<TVemoPath*>& TVemoToolSession::ConnectedPaths(int layerIndex) const {
    if (layerIndex < 0 || layerIndex >= int(parts.layerPaths.size())) return kNoPaths;
    return parts.layerPaths[std::size_t(layerIndex)]->Paths();
}

void TVemoToolSession::ForgetDocument() {
    select.selection.Clear();
    select.candidates.clear();
    select.moved = select.keyMoved = false;
    point.edits.clear();
    point.moved = point.keyMoved = false;
    parts.selection.Clear();
    parts.layerObjects.clear();
    parts.layerPaths.clear();
    parts.moved = parts.pressed = false;
}
