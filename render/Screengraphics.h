#pragma once
// The design window's drawing target: TQtGraphics with a filler of its own for
// the small shapes that make up a board. Handing each of thousands of pads and
// track pieces to Qt costs several microseconds of set-up for a few pixels of
// work; this filler computes each pixel's covered area straight into the
// window's pixels instead. The picture agrees with Qt's anti-aliased one up to
// rounding on edge pixels, except that a shape smaller than a pixel always
// leaves a visible pixel. Exported and printed pictures keep TQtGraphics.

#include <cstdint>

#include "render/Qtgraphics.h"

class TScreenGraphics : public TQtGraphics {
public:
    // Least coverage of the most covered pixel of a shape that reaches the
    // device, so that nothing on the board vanishes at a small zoom.
    static constexpr float kLeastCoverage = 0.5f;
    // Shapes with more device pixels than this in their bounds go to Qt, whose
    // per-shape set-up no longer matters there.
    static constexpr double kLargestOwnFill = 64.0 * 64.0;

    // pixels: the device of painter, rows of width 32-bit RGB pixels; the
    // painter's world transform is read once, here.
    TScreenGraphics(QPainter& painter, std::uint32_t* pixels, int width, int height);

    void FillPath(const GraphicsPath& path, Argb colour) override;

private:
    std::uint32_t* pixels_;
    int width_;
    int height_;
    double m11_, m12_, m21_, m22_, dx_, dy_;
    bool affine_;
};
