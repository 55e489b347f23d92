#pragma once
// Geometry the fab readers share: arcs as cubic segments, polygons combined
// with the clipper in whole nanometres, and polygons with holes as one chain.

#include <polyclipping/clipper.hpp>

#include <vector>

#include "import/Fabreader.h"

namespace fab {

// How far an arc's cubic segments may stray from the true arc, in mm.
inline constexpr double kArcToleranceMm = 0.0005;
// How far a polygon that stands in for a circle may stray, in mm.
inline constexpr double kFlattenToleranceMm = 0.0005;

// Appends the arc from the chain's last point about centre, sweeping sweep
// radians (positive counter-clockwise), ending exactly at end. The radius
// runs from the start's to the end's, so a slightly inconsistent file still
// ends where it says.
void AppendArc(std::vector<TFabPoint>& chain, TFabPoint centre, double sweep, TFabPoint end);
// Appends a straight segment to end.
void AppendLine(std::vector<TFabPoint>& chain, TFabPoint end);

// Polygon of a circle within kFlattenToleranceMm, counter-clockwise.
ClipperLib::Path CirclePolygon(TFabPoint centre, double radius);
ClipperLib::IntPoint ToInt(TFabPoint p);
TFabPoint FromInt(const ClipperLib::IntPoint& p);
// The chain's straight-line stand-in, arcs flattened within kFlattenToleranceMm.
ClipperLib::Path FlattenChain(const std::vector<TFabPoint>& chain);
// a united with (add) or less (!add) b under the nonzero rule.
void Combine(ClipperLib::Paths& a, const ClipperLib::Paths& b, bool add);
// One closed chain per outer polygon of shape (filled by the rule given), its
// holes joined in by cuts.
std::vector<std::vector<TFabPoint>> AreaChains(const ClipperLib::Paths& shape,
                                               ClipperLib::PolyFillType rule = ClipperLib::pftNonZero);
// The area shape covers under the rule, in square nanometres.
double CoveredArea(const ClipperLib::Paths& shape, ClipperLib::PolyFillType rule);

}  // namespace fab
