#include "model/Vemodrawstyle.h"

#include <algorithm>
#include <cmath>

TDrawStyle::TDrawStyle() {
    Reset();
}

void TDrawStyle::Reset() {
    colours_ = {0xFF000000u, 0xFFFFFFFFu, 0xFF808080u, 0xFF3A6EA5u, 0xFF000000u, 0xFFFFFFFFu};
    pixelSize_ = 1.0f;
    rubberBandPen_ = Pen{};
    rubberBandPen_.colour = colours_[dcRubberBand];
    rubberBandPen_.dashStyle = geom::DashDot;
    decorationPen_ = Pen{};
    decorationPen_.colour = colours_[dcRubberBand];
    framePen_ = Pen{};
    framePen_.colour = colours_[dcFrame];
    decorationBrush_.colour = colours_[dcRubberBand];
}

Argb TDrawStyle::GetColour(int i) const {
    if (i < 0 || i >= kColourCount) return 0xFF000000u;
    return colours_[static_cast<std::size_t>(i)];
}

void TDrawStyle::SetColour(int i, Argb colour) {
    if (i < 0 || i >= kColourCount) return;
    colours_[static_cast<std::size_t>(i)] = colour;
    if (i == dcRubberBand) {
        rubberBandPen_.colour = colour;
        decorationPen_.colour = colour;
        decorationBrush_.colour = colour;
    } else if (i == dcFrame) {
        framePen_.colour = colour;
    }
}

void TDrawStyle::SetZoom(float zoom) {
    if (!(zoom > 0.0f) || !std::isfinite(zoom)) return;
    const float pixelSize = 1.0f / zoom;
    if (!std::isfinite(pixelSize)) return;  // a denormal zoom
    pixelSize_ = pixelSize;
    rubberBandPen_.width = pixelSize_;
    decorationPen_.width = pixelSize_;
    framePen_.width = pixelSize_;
    const float dot = std::min(pixelSize_, 1.0f);
    rubberBandPen_.dashStyle = geom::DashCustom;
    rubberBandPen_.dashPattern = {dot, dot};
}

TDrawStyle& DrawStyle() {
    static TDrawStyle style;
    return style;
}

RectF ToleranceBox(PointF p, float tol) {
    const float h = tol * DrawStyle().GetPixelSize();
    return RectF(p.x - h, p.y - h, 2.0f * h, 2.0f * h);
}
