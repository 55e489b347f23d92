#include "geom/Pen.h"

namespace geom {

std::vector<float> Pen::EffectiveDashPattern() const {
    switch (dashStyle) {
        case DashDash:
            return {3, 1};
        case DashDot:
            return {1, 1};
        case DashDashDot:
            return {3, 1, 1, 1};
        case DashDashDotDot:
            return {3, 1, 1, 1, 1, 1};
        case DashCustom:
            return dashPattern;
        default:
            return {};
    }
}

}  // namespace geom
