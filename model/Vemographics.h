#pragma once
// The drawing target that model objects paint on. The model only describes what
// to paint; the renderer implements this on a real painter (screen, bitmap,
// printer, metafile), and tests implement it to record the calls.

#include <string>

#include "model/Vemotypes.h"

class TVemoFont;

class TVemoGraphics {
public:
    virtual ~TVemoGraphics() = default;

    // Fills the area of path under its own fill mode.
    virtual void FillPath(const GraphicsPath& path, Argb colour) = 0;
    virtual void StrokePath(const GraphicsPath& path, const Pen& pen) = 0;
    virtual void FillRect(RectF rect, Argb colour) = 0;
    virtual void StrokeRect(RectF rect, const Pen& pen) = 0;
    virtual void FillEllipse(RectF rect, Argb colour) = 0;
    virtual void StrokeEllipse(RectF rect, const Pen& pen) = 0;
    virtual void DrawLine(PointF a, PointF b, const Pen& pen) = 0;
    // Draws text as font glyphs, laid out from (0, 0) in text space and placed by
    // placement. Targets that cannot draw glyphs fill the text's outline instead,
    // which is the same shape.
    virtual void DrawText(const std::u16string& text, const TVemoFont& font, const Matrix& placement,
                          const GraphicsPath& outline, Argb colour) {
        (void)text;
        (void)font;
        (void)placement;
        FillPath(outline, colour);
    }

protected:
    TVemoGraphics() = default;
    TVemoGraphics(const TVemoGraphics&) = default;
    TVemoGraphics& operator=(const TVemoGraphics&) = default;
};
