#include "render/Redraw.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

#include "model/Vemocontainer.h"
#include "model/Vemodocument.h"
#include "model/Vemolayer.h"
#include "model/Vemodrawstyle.h"
#include "model/Vemoinstance.h"
#include "render/Qtgraphics.h"
#include "render/Screengraphics.h"

namespace render {

namespace {

// How many objects ahead of the one drawn a redraw asks for the next ones' data.
constexpr std::size_t kPrefetchAhead = 4;

// Smoothing modes of a document that ask for anti-aliased shapes (high
// quality, anti-alias and its finer variant); the others draw aliased.
bool IsAntiAliased(std::int32_t smoothing) {
    return smoothing == 2 || smoothing == 4 || smoothing == 5;
}

// The first grid position at or right of the window's edge: the pixel position
// p of document coordinate 0 brought into (0, d] when it is right of the edge,
// into [0, d) otherwise.
double FirstGridLine(double p, double d) {
    double r = std::fmod(p, d);
    if (p > 0.0) return r == 0.0 ? d : r;
    if (r < 0.0) r += d;
    return r < d ? r : 0.0;
}

// The leaves of a container in painting order, sorted by the index of their
// layer. A leaf paints only in the pass of its own layer, so drawing each
// layer's list is the same as walking the whole tree once per layer, which on a
// large board cost more than the painting.
void CollectByLayer(const TVemoContainer& container, std::vector<std::vector<const TVemoObject*>>& perLayer) {
    if (!container.IsVisible()) return;
    for (const TVemoObject* child : container.GetDrawOrder()) {
        if (const TVemoContainer* inner = child->AsContainer()) {
            CollectByLayer(*inner, perLayer);
            continue;
        }
        // Without a copy of the layer's shared pointer: two atomic counts per object.
        const TVemoInstance* instance = child->AsInstance();
        const TVemoLayerPtr held = instance ? nullptr : child->GetLayer();
        const TVemoLayer* layer = instance ? instance->LayerOrNull() : held.get();
        if (!layer) continue;
        const int index = layer->GetIndex();
        if (index >= 0 && std::size_t(index) < perLayer.size()) perLayer[std::size_t(index)].push_back(child);
    }
}

}  // namespace

void DrawGrid(const TVemoDocumentInfo& view, TDIBitmap& bitmap) {
    std::uint32_t* pixels = bitmap.Pixels();
    if (!pixels) return;
    const double z = view.GetZoom();
    const double d = view.GetGrid() * z;
    if (!(d > 4.0) || !std::isfinite(d)) return;
    const double x0 = FirstGridLine(z * (view.GetPanX() + view.GetViewExtentX() * 0.5), d);
    const double y0 = FirstGridLine(z * (view.GetPanY() + view.GetViewExtentY() * 0.5), d);
    const int w = bitmap.Width(), h = bitmap.Height();
    const std::size_t stride = std::size_t(w);

    if (view.TestViewFlags(TVemoDocumentInfo::ViewLineGrid)) {
        const std::uint32_t colour = kLineGridColour | 0xFF000000u;
        for (int i = 0;; ++i) {
            const double y = y0 + i * d;
            if (!(y < h)) break;
            std::uint32_t* row = pixels + std::size_t(int(y)) * stride;
            std::fill(row, row + w, colour);
        }
        for (int i = 0;; ++i) {
            const double x = x0 + i * d;
            if (!(x < w)) break;
            const std::size_t column = std::size_t(int(x));
            for (int yy = 0; yy < h; ++yy) pixels[std::size_t(yy) * stride + column] = colour;
        }
        return;
    }
    const std::uint32_t dot = (DrawStyle().GetColour(dcGrid) & 0x00FFFFFFu) | 0xFF000000u;
    for (int j = 0;; ++j) {
        const double y = y0 + j * d;
        if (!(y < h)) break;
        std::uint32_t* row = pixels + std::size_t(int(y)) * stride;
        for (int i = 0;; ++i) {
            const double x = x0 + i * d;
            if (!(x < w)) break;
            row[int(x)] = dot;
        }
    }
}

void RenderMain(const TVemoDocument& document, TDIBitmap& main, const QImage* background, Fidelity fidelity) {
    QImage* device = main.PaintDevice();
    if (!device) return;
    main.Fill(DrawStyle().GetColour(dcCutOut));
    const QTransform view = ToQTransform(document.GetViewMatrix());
    const RectF area = document.GetAreaRect();
    if (background && !background->isNull() &&
        document.TestViewFlags(TVemoDocumentInfo::ViewShowBackground)) {
        PaintSerially([&] {
            QPainter painter(device);
            painter.setWorldTransform(view);
            painter.drawImage(QRectF(area.x, area.y, area.width, area.height), *background);
        });
    }
    if (document.TestViewFlags(TVemoDocumentInfo::ViewShowGrid)) DrawGrid(document, main);

    const TVemoLayerList& layers = document.GetLayerList();
    std::vector<std::vector<const TVemoObject*>> perLayer(std::size_t(std::max(layers.Count(), 0)));
    CollectByLayer(document.GetRoot(), perLayer);
    // One pixel wide at every zoom, whatever zoom the shared style last heard of.
    Pen frame = DrawStyle().GetFramePen();
    frame.width = float(1.0 / document.GetZoom());
    const bool antiAliased = IsAntiAliased(document.GetSmoothing());
    const bool ownFiller = antiAliased && fidelity == Fidelity::Screen;
    const int width = main.Width();

    // Each band is painted through its own painter on the rows it owns; shapes
    // outside a band are skipped by the drawing target, so the bands share the
    // work of a large board. Qt places the pixels of hairlines (wire-frame
    // layers) by clipping them to the device, so with one of those shown the
    // picture is one band, to come out the same whatever the band size.
    bool hairlines = false;
    for (int i = 0; i < layers.Count(); ++i)
        if (const TVemoLayerPtr layer = layers.At(i); layer && layer->IsVisible() && layer->IsWireFrame())
            hairlines = true;
    const auto paintRows = [&](int top, int bottom) {
        std::uint32_t* rows = main.Pixels() + std::size_t(top) * std::size_t(width);
        QImage band(reinterpret_cast<uchar*>(rows), width, bottom - top, qsizetype(width) * 4,
                    QImage::Format_RGB32);
        QPainter painter(&band);
        painter.setWorldTransform(view * QTransform::fromTranslate(0, -top));
        TQtGraphics exact(painter);
        TScreenGraphics screen(painter, rows, width, bottom - top);
        TQtGraphics& graphics = ownFiller ? screen : exact;
        graphics.StrokeRect(area, frame);
        painter.setRenderHint(QPainter::Antialiasing, antiAliased);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        // The band in document units, a few pixels wider: an object whose bounds
        // miss it paints nothing here, and its bounds are cheaper to ask than its outline's.
        bool invertible = false;
        const QTransform toDocument = painter.worldTransform().inverted(&invertible);
        const QRectF reach = toDocument.mapRect(QRectF(-4.0, -4.0, width + 8.0, bottom - top + 8.0));
        for (int i = layers.Count() - 1; i >= 0; --i) {
            const TVemoLayerPtr layer = layers.At(i);
            if (!layer || !layer->IsVisible()) continue;
            const std::vector<const TVemoObject*>& list = perLayer[std::size_t(i)];
            for (std::size_t k = 0; k < list.size(); ++k) {
                // Memory, not arithmetic, bounds the redraw of a large board:
                // the objects ahead are fetched while this one is drawn.
                if (k + 2 * kPrefetchAhead < list.size()) __builtin_prefetch(list[k + 2 * kPrefetchAhead]);
                if (k + kPrefetchAhead < list.size()) list[k + kPrefetchAhead]->PrefetchForDrawing(0);
                if (k + kPrefetchAhead / 2 < list.size()) list[k + kPrefetchAhead / 2]->PrefetchForDrawing(1);
                const TVemoObject* object = list[k];
                RectF b;
                object->GetBounds(b);
                if (invertible && !b.IsEmptyArea() &&
                    (b.x > reach.right() || b.x + b.width < reach.left() || b.y > reach.bottom() ||
                     b.y + b.height < reach.top()))
                    continue;
                object->DrawFill(&graphics, i);
            }
        }
    };
    if (hairlines)
        PaintSerially([&] { paintRows(0, main.Height()); });
    else
        PaintInBands(main.Height(), paintRows);
}

void RenderOverlay(const TVemoDocument& document, const TDIBitmap& main, TDIBitmap& overlay) {
    if (overlay.Width() != main.Width() || overlay.Height() != main.Height())
        overlay.Resize(main.Width(), main.Height());
    QImage* device = overlay.PaintDevice();
    if (!device) return;
    overlay.CopyFrom(0, 0, main);
    PaintSerially([&] {
        QPainter painter(device);
        painter.setWorldTransform(ToQTransform(document.GetViewMatrix()));
        TQtGraphics graphics(painter);
        document.GetRoot().DrawDecorations(&graphics);
    });
}

void LivePan(const TDIBitmap& main, TDIBitmap& overlay, double zoom, double dragX, double dragY) {
    overlay.Fill(kPanGapColour);
    const double sx = std::trunc(zoom * dragX), sy = std::trunc(zoom * dragY);
    // A shift beyond the picture leaves only the gap colour.
    const double limit = double(TDIBitmap::kMaxSide) * 2.0;
    if (!(std::fabs(sx) < limit) || !(std::fabs(sy) < limit)) return;
    overlay.CopyFrom(int(sx), int(sy), main);
}

TRedrawRequests::Work TRedrawRequests::Take() {
    const Work work = all_ ? Work::All : overlay_ ? Work::Overlay : blit_ ? Work::Blit : Work::None;
    all_ = overlay_ = blit_ = false;
    return work;
}

TRenderView::TRenderView(int width, int height) : main_(width, height), overlay_(width, height) {
    // Nothing is drawn yet.
    requests_.Invalidate();
}

void TRenderView::Resize(int width, int height) {
    main_.Resize(width, height);
    overlay_.Resize(width, height);
    Forget();
    requests_.Invalidate();
}

void TRenderView::Forget() {
    mainView_.reset();
    previewView_.reset();
}

TRenderView::Step TRenderView::Idle(const TVemoDocument& document, const Present& present) {
    switch (requests_.Take()) {
        case TRedrawRequests::Work::All: {
            const QTransform view = ToQTransform(document.GetViewMatrix());
            const bool viewMoved = mainView_ && *mainView_ != view;
            const bool previewShown = previewView_ && *previewView_ == view;
            if (viewMoved && !previewShown && lastMainTime_ > previewBudget_ && main_.PaintDevice() &&
                overlay_.PaintDevice()) {
                // The old picture moved to the new view, drawn at once; the exact
                // one follows when no newer view change has arrived meanwhile.
                overlay_.Fill(kPanGapColour);
                {
                    QPainter painter(overlay_.PaintDevice());
                    painter.setTransform(mainView_->inverted() * view);
                    painter.drawImage(0, 0, main_.Image());
                }
                previewView_ = view;
                if (present) present(overlay_);
                requests_.Invalidate();
                return Step::Preview;
            }
            const auto start = std::chrono::steady_clock::now();
            RenderMain(document, main_, background_.isNull() ? nullptr : &background_);
            lastMainTime_ = std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now() - start);
            mainView_ = view;
            previewView_.reset();
            RenderOverlay(document, main_, overlay_);
            if (present) present(overlay_);
            return Step::All;
        }
        case TRedrawRequests::Work::Overlay:
            RenderOverlay(document, main_, overlay_);
            if (present) present(overlay_);
            return Step::Overlay;
        case TRedrawRequests::Work::Blit:
            if (present) present(overlay_);
            return Step::Blit;
        case TRedrawRequests::Work::None:
            break;
    }
    return Step::None;
}

void TRenderView::LivePan(const TVemoDocument& document, double dx, double dy, const Present& present) {
    render::LivePan(main_, overlay_, document.GetZoom(), dx, dy);
    if (present) present(overlay_);
}

}  // namespace render
