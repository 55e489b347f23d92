#pragma once
// Board objects made the way a designer would draw them: tracks, lands,
// drill marks, pads and labels. Shared by the synthetic boards and the demo.

#include <memory>
#include <string>
#include <vector>

#include "model/Vemotypes.h"

class TVemoPath;
class TVemoRect;
class TVemoEllipse;
class TVemoString;

namespace boardgen {

// A path through the anchors with straight segments (handles on their anchors).
std::unique_ptr<TVemoPath> Polyline(const std::vector<PointF>& anchors, bool closed);
// A track from a to b bending through a smooth curve; bulge is the sideways
// pull of the handles as a fraction of the length.
std::unique_ptr<TVemoPath> CurvedTrack(PointF a, PointF b, float bulge);
// A round land: a path of one point stroked with a round pen.
std::unique_ptr<TVemoPath> RoundPad(PointF c, float diameter, const TVemoLayerPtr& layer);
// A filled rectangle of w x h centred on c, turned by angle degrees.
std::unique_ptr<TVemoRect> SquarePad(PointF c, float w, float h, float angle, const TVemoLayerPtr& layer);
// A filled ellipse with radii rx, ry; a cut-out one clears what lies beneath.
std::unique_ptr<TVemoEllipse> Disc(PointF c, float rx, float ry, bool cutOut, const TVemoLayerPtr& layer);
// A filled text whose first line's top-left is at.
std::unique_ptr<TVemoString> Label(PointF at, const std::u16string& text, float size,
                                   const TVemoLayerPtr& layer);

}  // namespace boardgen
