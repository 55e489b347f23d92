#pragma once
// The model's drawing target on a QPainter: what the design window, the image
// export and (later) printing paint objects with. The painter's world
// transform maps document units to device pixels; this class never changes it
// for longer than one call.

#include <functional>

#include <QPainterPath>
#include <QRectF>
#include <QPen>
#include <QTransform>

#include "model/Vemographics.h"

class QPainter;

namespace render {

// Figures, curves and close marks as they stand; alternate fill becomes the
// odd-even rule, winding the nonzero rule.
QPainterPath ToQPainterPath(const GraphicsPath& path);
// The same mapping of points: (x, y) -> (m11 x + m21 y + dx, m12 x + m22 y + dy).
QTransform ToQTransform(const Matrix& m);
// Whether a QPen draws exactly what the pen describes (both line ends share one
// cap that Qt has, and dashes end in that cap too).
bool QtCanStroke(const Pen& pen);
// The QPen for a pen QtCanStroke accepts; widths stay in document units.
QPen ToQPen(const Pen& pen);

// Runs paint, which draws through its own QPainter, and returns when it is done.
// Qt's raster engine hands every fill of more than a few dozen spans to its
// global thread pool; for the thousands of small shapes of a board that
// hand-over costs more than the fill (three times the whole redraw, measured),
// so the painting runs as one task of that pool, where Qt fills serially. When
// the pool has no free thread, paint runs here.
void PaintSerially(const std::function<void()>& paint);
// Runs paint(top, bottom) for horizontal bands that together cover rows
// 0 ... height - 1, each band as one task of the global pool, and returns when
// all are done. Small pictures are one band. paint must only read shared data.
void PaintInBands(int height, const std::function<void(int top, int bottom)>& paint);

}  // namespace render

class TQtGraphics : public TVemoGraphics {
public:
    // painter must stay active for the lifetime of this object.
    explicit TQtGraphics(QPainter& painter);

    void FillPath(const GraphicsPath& path, Argb colour) override;
    // Pens a QPen cannot reproduce (different caps at the two ends, triangle
    // caps, dash caps of their own) are widened by the geometry kernel and filled.
    void StrokePath(const GraphicsPath& path, const Pen& pen) override;
    void FillRect(RectF rect, Argb colour) override;
    void StrokeRect(RectF rect, const Pen& pen) override;
    void FillEllipse(RectF rect, Argb colour) override;
    void StrokeEllipse(RectF rect, const Pen& pen) override;
    void DrawLine(PointF a, PointF b, const Pen& pen) override;
    // Real font glyphs, laid out exactly as the text's outline is (so both draw
    // the same letters in the same place); the outline is filled instead when no
    // font can be resolved.
    void DrawText(const std::u16string& text, const TVemoFont& font, const Matrix& placement,
                  const GraphicsPath& outline, Argb colour) override;

private:
    // Document units per device pixel under the present transform.
    float DeviceFlatness() const;
    // The area lies wholly outside the device, even widened by margin document units.
    bool OffDevice(const GraphicsPath& path, float margin) const;

    QPainter& painter_;
    QRectF device_;
};
