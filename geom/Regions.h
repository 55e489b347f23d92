#pragma once
// The area of a path as plotters and fabs want it: closed contours of straight
// edges, outer contours and holes told apart, in an order that draws the area
// with dark and clear polarity and never clears anything outside it.

#include <vector>

#include "geom/Graphicspath.h"

namespace geom {

struct Contour {
    std::vector<PointF> points;  // not repeating the first point at the end
    bool hole = false;
    int depth =
        0;  // 0 for the outermost contours and their holes, 1 for islands in them and their holes, ...
};

// The union of the path's figures under the nonzero rule, flattened within
// flatness. Every outer contour comes before the holes it holds, and every hole
// before the outer contours (islands) inside it; so drawing the outer contours
// dark and the holes clear, in this order, paints exactly the area.
std::vector<Contour> UnionContours(const GraphicsPath& path, float flatness);

}  // namespace geom
