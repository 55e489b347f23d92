#pragma once
// Grid snapping as the editing tools use it: points go to the nearest grid
// point, and drags move in whole grid pitches so that what was on the grid
// stays on it.

#include <cmath>

#include "model/Vemodocument.h"

namespace gridsnap {

inline bool On(const TVemoDocument* document) {
    return document && document->TestViewFlags(TVemoDocumentInfo::ViewSnapToGrid);
}

// The point on the grid when snapping is on, else unchanged.
inline PointF Snapped(const TVemoDocument* document, PointF p) {
    if (On(document)) document->Snap(p);
    return p;
}

// Rounds the drag d to whole pitches when snapping is on. False when it
// rounds to nothing in both directions (the drag has no effect yet).
inline bool WholePitches(const TVemoDocument* document, PointF& d) {
    if (!On(document)) return true;
    const double pitch = document->GetGrid();
    const double sx = std::floor(d.x / pitch + 0.5), sy = std::floor(d.y / pitch + 0.5);
    if (sx == 0.0 && sy == 0.0) return false;
    d = PointF(float(sx * pitch), float(sy * pitch));
    return true;
}

}  // namespace gridsnap
