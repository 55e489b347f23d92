#include "render/Qtgraphics.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QSemaphore>
#include <QThread>
#include <QThreadPool>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "model/Vemofont.h"

namespace render {

QPainterPath ToQPainterPath(const GraphicsPath& path) {
    QPainterPath out;
    out.setFillRule(path.GetFillMode() == geom::FillMode::Winding ? Qt::WindingFill : Qt::OddEvenFill);
    const auto& pts = path.Points();
    const auto& types = path.Types();
    const std::size_t n = pts.size();
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t kind = types[i] & geom::PointTypeMask;
        const QPointF p(pts[i].x, pts[i].y);
        std::size_t last = i;
        if (kind == geom::PointStart) {
            out.moveTo(p);
        } else if (kind == geom::PointBezier && i + 2 < n) {
            out.cubicTo(p, QPointF(pts[i + 1].x, pts[i + 1].y), QPointF(pts[i + 2].x, pts[i + 2].y));
            last = i + 2;
        } else {
            out.lineTo(p);
        }
        if (types[last] & geom::PointCloseMark) out.closeSubpath();
        i = last;
    }
    return out;
}

QTransform ToQTransform(const Matrix& m) {
    return QTransform(m.M11(), m.M12(), m.M21(), m.M22(), m.Dx(), m.Dy());
}

namespace {

bool QtHasCap(int cap) {
    return cap == geom::CapFlat || cap == geom::CapSquare || cap == geom::CapRound;
}

Qt::PenCapStyle QtCap(int cap) {
    switch (cap) {
        case geom::CapSquare:
            return Qt::SquareCap;
        case geom::CapRound:
            return Qt::RoundCap;
        default:
            return Qt::FlatCap;
    }
}

Qt::PenJoinStyle QtJoin(int join) {
    switch (join) {
        case geom::JoinBevel:
            return Qt::BevelJoin;
        case geom::JoinRound:
            return Qt::RoundJoin;
        case geom::JoinMiterClipped:
            return Qt::SvgMiterJoin;
        default:
            return Qt::MiterJoin;
    }
}

}  // namespace

bool QtCanStroke(const Pen& pen) {
    if (pen.startCap != pen.endCap || !QtHasCap(pen.startCap)) return false;
    return pen.EffectiveDashPattern().empty() || pen.dashCap == pen.startCap;
}

QPen ToQPen(const Pen& pen) {
    QPen q(QBrush(QColor::fromRgba(pen.colour)), double(pen.width), Qt::SolidLine, QtCap(pen.startCap),
           QtJoin(pen.join));
    q.setMiterLimit(double(pen.miterLimit));
    const std::vector<float> dashes = pen.EffectiveDashPattern();
    if (!dashes.empty()) {
        QList<qreal> pattern;
        for (float d : dashes) pattern.push_back(double(d));
        // Qt needs an even count of entries: a repeated odd pattern is the same dash.
        if (pattern.size() % 2 != 0) pattern += pattern;
        q.setDashPattern(pattern);
    }
    return q;
}

void PaintSerially(const std::function<void()>& paint) {
    QThreadPool* pool = QThreadPool::globalInstance();
    if (!pool || pool->contains(QThread::currentThread())) {
        paint();
        return;
    }
    QSemaphore done;
    if (!pool->tryStart([&] {
            paint();
            done.release();
        })) {
        paint();
        return;
    }
    done.acquire();
}

void PaintInBands(int height, const std::function<void(int top, int bottom)>& paint) {
    QThreadPool* pool = QThreadPool::globalInstance();
    // Below this many rows per band the hand-over costs more than it saves.
    constexpr int kMinRows = 128;
    const int bands = pool && !pool->contains(QThread::currentThread())
                          ? std::clamp(std::min(pool->maxThreadCount(), height / kMinRows), 1, 8)
                          : 1;
    if (bands <= 1) {
        PaintSerially([&] { paint(0, height); });
        return;
    }
    QSemaphore done;
    int started = 0;
    std::vector<std::pair<int, int>> left;
    for (int b = 0; b < bands; ++b) {
        const int top = height * b / bands, bottom = height * (b + 1) / bands;
        if (pool->tryStart([&paint, &done, top, bottom] {
                paint(top, bottom);
                done.release();
            }))
            ++started;
        else
            left.emplace_back(top, bottom);
    }
    for (const std::pair<int, int>& band : left) PaintSerially([&] { paint(band.first, band.second); });
    done.acquire(started);
}

}  // namespace render

namespace {

// Glyphs are shaped at this pixel size and scaled down to the em size, as the
// text outline is, so that glyphs and outline coincide.
constexpr double kGlyphReferenceSize = 1024.0;

// Flatness of strokes widened here, in device pixels.
constexpr float kStrokeFlatnessPixels = 0.25f;

}  // namespace

TQtGraphics::TQtGraphics(QPainter& painter) : painter_(painter) {
    if (const QPaintDevice* device = painter.device())
        device_ = QRectF(0, 0, device->width(), device->height());
}

bool TQtGraphics::OffDevice(const GraphicsPath& path, float margin) const {
    // Boards hold thousands of objects and a zoomed view shows few of them: a
    // bounds test is far cheaper than handing the shape to the rasteriser.
    if (device_.isEmpty()) return false;
    const RectF b = path.GetBounds();
    const QRectF world(double(b.x) - margin, double(b.y) - margin, double(b.width) + 2.0 * margin,
                       double(b.height) + 2.0 * margin);
    const QRectF onDevice = painter_.worldTransform().mapRect(world).adjusted(-1, -1, 1, 1);
    return !onDevice.intersects(device_);
}

float TQtGraphics::DeviceFlatness() const {
    const QTransform t = painter_.worldTransform();
    const double scale = std::sqrt(std::fabs(t.determinant()));
    if (!(scale > 0.0) || !std::isfinite(scale)) return geom::kDefaultFlatness;
    return float(kStrokeFlatnessPixels / scale);
}

void TQtGraphics::FillPath(const GraphicsPath& path, Argb colour) {
    if (path.IsEmpty() || OffDevice(path, 0.0f)) return;
    painter_.fillPath(render::ToQPainterPath(path), QBrush(QColor::fromRgba(colour)));
}

void TQtGraphics::StrokePath(const GraphicsPath& path, const Pen& pen) {
    // Square and miter ends may reach past half the width.
    if (path.IsEmpty() || OffDevice(path, pen.width * std::max(1.0f, pen.miterLimit))) return;
    if (render::QtCanStroke(pen)) {
        painter_.strokePath(render::ToQPainterPath(path), render::ToQPen(pen));
        return;
    }
    GraphicsPath widened = path;
    widened.Widen(pen, DeviceFlatness());
    FillPath(widened, pen.colour);
}

void TQtGraphics::FillRect(RectF rect, Argb colour) {
    painter_.fillRect(QRectF(rect.x, rect.y, rect.width, rect.height), QColor::fromRgba(colour));
}

void TQtGraphics::StrokeRect(RectF rect, const Pen& pen) {
    GraphicsPath path;
    path.AddRectangle(rect);
    StrokePath(path, pen);
}

void TQtGraphics::FillEllipse(RectF rect, Argb colour) {
    GraphicsPath path;
    path.AddEllipse(rect);
    FillPath(path, colour);
}

void TQtGraphics::StrokeEllipse(RectF rect, const Pen& pen) {
    GraphicsPath path;
    path.AddEllipse(rect);
    StrokePath(path, pen);
}

void TQtGraphics::DrawLine(PointF a, PointF b, const Pen& pen) {
    GraphicsPath path;
    path.AddLine(a, b);
    StrokePath(path, pen);
}

void TQtGraphics::DrawText(const std::u16string& text, const TVemoFont& font, const Matrix& placement,
                           const GraphicsPath& outline, Argb colour) {
    const float size = font.GetSize();
    if (text.empty() || !(size > 0.0f) || !std::isfinite(size)) return;
    const QString family = QString::fromStdString(font.ResolvedFamily());
    if (family.isEmpty()) {
        FillPath(outline, colour);
        return;
    }
    QFont qfont(family);
    qfont.setPixelSize(int(kGlyphReferenceSize));
    const int style = font.GetStyle();
    qfont.setBold(style & TVemoFont::Bold);
    qfont.setItalic(style & TVemoFont::Italic);
    qfont.setUnderline(style & TVemoFont::Underline);
    qfont.setStrikeOut(style & TVemoFont::StrikeOut);
    qfont.setHintingPreference(QFont::PreferNoHinting);
    qfont.setKerning(true);

    QString str = QString::fromStdU16String(text);
    str.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    str.replace(QChar(u'\r'), QChar(u'\n'));

    painter_.save();
    const double scale = double(size) / kGlyphReferenceSize;
    painter_.setWorldTransform(QTransform::fromScale(scale, scale) * render::ToQTransform(placement) *
                               painter_.worldTransform());
    painter_.setPen(QPen(QColor::fromRgba(colour)));
    painter_.setBrush(Qt::NoBrush);
    // One layout per line, each under the previous one by the line spacing.
    const double lineSpacing = QFontMetricsF(qfont).lineSpacing();
    double y = 0.0;
    for (const QString& lineText : str.split(QChar(u'\n'))) {
        if (!lineText.isEmpty()) {
            QTextLayout layout(lineText, qfont);
            layout.setCacheEnabled(false);
            layout.beginLayout();
            QTextLine line = layout.createLine();
            if (line.isValid()) line.setPosition(QPointF(0.0, y));
            layout.endLayout();
            layout.draw(&painter_, QPointF(0.0, 0.0));
        }
        y += lineSpacing;
    }
    painter_.restore();
}
