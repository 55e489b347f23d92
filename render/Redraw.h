#pragma once
// The redraw pipeline of the design window, free of widgets so that the window
// only has to hand over a way to show the finished pixels.
//
// The main bitmap holds what changes only with the document or the view
// (background, grid, area frame, every visible layer); the overlay bitmap is a
// copy of it with the selection feedback on top and is what the window shows.
// Requests only set flags; the idle step does the cheapest work that serves
// them all.

#include <functional>

#include <QImage>

#include "render/Dibwrap.h"

class TVemoDocument;
class TVemoDocumentInfo;

namespace render {

// The line-grid colour.
inline constexpr std::uint32_t kLineGridColour = 0x00E0E0E0u;
// What a live pan shows where the shifted picture leaves a gap.
inline constexpr std::uint32_t kPanGapColour = 0x00FFFFFFu;

// Writes the grid of the document's view straight into the pixels: a dot at
// every crossing, or whole rows and columns with the line-grid flag. Nothing
// when a pitch is 4 pixels or less.
void DrawGrid(const TVemoDocumentInfo& view, TDIBitmap& bitmap);

// How RenderMain fills shapes: Screen through TScreenGraphics where the
// document asks for anti-aliasing (its own filler for small shapes), Exact
// through Qt alone, as exported pictures are.
enum class Fidelity { Screen, Exact };

// Paints the main bitmap: clear, background image (when shown and given),
// grid, area frame, then the visible layers from the last to layer 0, so
// layer 0 lies on top.
void RenderMain(const TVemoDocument& document, TDIBitmap& main, const QImage* background = nullptr,
                Fidelity fidelity = Fidelity::Screen);
// The overlay becomes a copy of main with the selection feedback drawn on it.
void RenderOverlay(const TVemoDocument& document, const TDIBitmap& main, TDIBitmap& overlay);
// The picture while the view is dragged: main shifted by trunc(zoom x drag) pixels
// into the overlay, the uncovered part white.
void LivePan(const TDIBitmap& main, TDIBitmap& overlay, double zoom, double dragX, double dragY);

// The three redraw requests.
class TRedrawRequests {
public:
    enum class Work { None, Blit, Overlay, All };

    void Invalidate() { all_ = true; }
    void InvalidateOverlay() { overlay_ = true; }
    void InvalidateWindow() { blit_ = true; }
    bool Pending() const { return all_ || overlay_ || blit_; }
    // The work that serves every request made since the last call; clears them.
    Work Take();

private:
    bool all_ = false;
    bool overlay_ = false;
    bool blit_ = false;
};

// The two bitmaps of a document's design window and the redraw cycle over them.
class TRenderView {
public:
    // Shows the finished overlay bitmap in the window at (0, 0).
    using Present = std::function<void(const TDIBitmap&)>;

    // Bitmaps of the document's window size; the document must outlive the view.
    explicit TRenderView(TVemoDocument& document);

    // The window's new size: the document's view and both bitmaps follow, and a
    // full redraw is requested.
    void Resize(int width, int height);
    TRedrawRequests& Requests() { return requests_; }
    // The idle step: the requested work, then present. Returns what was done.
    TRedrawRequests::Work Idle(const Present& present);
    // Shows the main bitmap shifted by a drag of (dx, dy) document units at once.
    void LivePan(double dx, double dy, const Present& present);

    // The picture drawn into the design area when the view shows its background.
    void SetBackground(const QImage& image) { background_ = image; }
    const TDIBitmap& Main() const { return main_; }
    const TDIBitmap& Overlay() const { return overlay_; }

private:
    TVemoDocument& document_;
    TDIBitmap main_;
    TDIBitmap overlay_;
    QImage background_;
    TRedrawRequests requests_;
};

}  // namespace render
