#pragma once
// The colours, pens and pixel size shared by every drawing of the program.
// One instance lives for the whole process (DrawStyle()); it needs no GUI, so
// the model and its tests use it freely.

#include <array>

#include "model/Vemotypes.h"

// Indices of the draw-style colours.
enum TDrawColour : int {
    dcRubberBand = 0,  // rubber-band pen, text decoration pen and brush
    dcCutOut = 1,      // objects and layers that cut out are painted in it
    dcGrid = 2,
    dcFrame = 3,      // frame of the design area
    dcMaskInk = 4,    // monochrome pass: ordinary objects
    dcMaskPaper = 5,  // monochrome pass: cut-out objects
};

class TDrawStyle {
public:
    static constexpr int kColourCount = 6;

    TDrawStyle();

    // Back to the colours, pens and pixel size of a fresh start (zoom 1).
    void Reset();

    // Colour i, or opaque black for an index out of range.
    Argb GetColour(int i) const;
    // Sets colour i and the pens and brush drawn in it; an index out of range is ignored.
    void SetColour(int i, Argb colour);

    const Pen& GetRubberBandPen() const { return rubberBandPen_; }
    const Pen& GetDecorationPen() const { return decorationPen_; }
    const Pen& GetFramePen() const { return framePen_; }
    const Brush& GetDecorationBrush() const { return decorationBrush_; }

    // Document units per screen pixel (1 / zoom).
    float GetPixelSize() const { return pixelSize_; }
    // Pixel size = 1/zoom; the pens become one pixel wide and the rubber band keeps
    // dots of at most one unit. A zoom that is not a positive finite number is ignored.
    void SetZoom(float zoom);

private:
    std::array<Argb, kColourCount> colours_{};
    Pen rubberBandPen_;
    Pen decorationPen_;
    Pen framePen_;
    Brush decorationBrush_;
    float pixelSize_ = 1.0f;
};

// The process-wide draw style.
TDrawStyle& DrawStyle();

// The hit box of tol pixels around p: a square of side 2·tol·pixel size centred on p.
RectF ToleranceBox(PointF p, float tol);
