#pragma once
// Snapping to copper: a press near a land's middle or a track's end lands on it
// exactly, so a track drawn from pad to pad meets both without a gap. It takes
// precedence over the grid; holding Alt turns it off.

#include <optional>
#include <span>

#include "model/Vemotypes.h"

class TVemoDocument;
class TVemoObject;

namespace coppersnap {

// How near the pointer must be, in window pixels.
inline constexpr double kPixels = 6.0;

// The nearest land middle or track end within kPixels of point (document
// units) on a visible, unlocked object, skipping skip and what it holds; none
// when nothing is that near. Lands are dots (a path of one point), closed
// there-and-back slots and filled rectangles or ellipses up to 10 mm; track
// ends are the first and last anchors of open paths.
std::optional<PointF> Target(const TVemoDocument& document, PointF point, const TVemoObject* skip = nullptr);
// The same, skipping every object of skip and what they hold: the objects a
// drag moves never attract their own points.
std::optional<PointF> Target(const TVemoDocument& document, PointF point,
                             std::span<const TVemoObject* const> skip);

}  // namespace coppersnap
