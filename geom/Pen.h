#pragma once
// Stroke parameters used by widening and by the renderer. A plain value type:
// the model never needs a graphics library to hold or compare pens.

#include <cstdint>
#include <vector>

namespace geom {

using Argb = std::uint32_t;  // alpha in bits 24-31, then red, green, blue

enum LineJoin : int { JoinMiter = 0, JoinBevel = 1, JoinRound = 2, JoinMiterClipped = 3 };
enum LineCap : int { CapFlat = 0, CapSquare = 1, CapRound = 2, CapTriangle = 3 };
enum DashStyle : int {
    DashSolid = 0,
    DashDash = 1,
    DashDot = 2,
    DashDashDot = 3,
    DashDashDotDot = 4,
    DashCustom = 5
};

struct Pen {
    Argb colour = 0xFF000000u;
    float width = 1.0f;
    int join = JoinRound;
    int startCap = CapRound;
    int endCap = CapRound;
    int dashCap = CapFlat;
    int dashStyle = DashSolid;
    float miterLimit = 10.0f;
    // Dash and gap lengths in multiples of the pen width; used when dashStyle is DashCustom.
    std::vector<float> dashPattern;

    bool operator==(const Pen&) const = default;

    // The dash and gap lengths of the pen in multiples of its width (empty = solid).
    std::vector<float> EffectiveDashPattern() const;
};

struct Brush {
    Argb colour = 0xFF000000u;
    bool operator==(const Brush&) const = default;
};

}  // namespace geom
