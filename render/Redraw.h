#pragma once
// The redraw pipeline of the design window, free of widgets so that the window
// only has to hand over a way to show the finished pixels.
//
// The main bitmap holds what changes only with the document or the view
// (background, grid, area frame, every visible layer); the overlay bitmap is a
// copy of it with the selection feedback on top and is what the window shows.
// Requests only set flags; the idle step does the cheapest work that serves
// them all.

#include <chrono>
#include <functional>
#include <optional>

#include <QImage>
#include <QTransform>

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

// The two bitmaps of a design window and the redraw cycle over them. The
// view does not keep the document: the window's document may be replaced, so
// each step is handed the one to draw.
class TRenderView {
public:
    // Shows the finished pixels in the window at (0, 0).
    using Present = std::function<void(const TDIBitmap&)>;

    TRenderView(int width, int height);

    // The window's new size in pixels: both bitmaps follow, and a full redraw is requested.
    void Resize(int width, int height);
    TRedrawRequests& Requests() { return requests_; }
    bool Pending() const { return requests_.Pending(); }
    // A preview is on the screen: the exact picture of this view is still to come.
    bool ShowsPreview() const { return previewView_.has_value(); }
    // The idle step: the cheapest work that serves every request, then present.
    // When a full redraw is due only because the view moved and the last one
    // took longer than the preview budget, the old picture is presented moved
    // and scaled to the new view first, the full redraw stays requested, and
    // Preview is answered. Otherwise what was done.
    enum class Step { None, Blit, Overlay, All, Preview };
    Step Idle(const TVemoDocument& document, const Present& present);
    // Shows the main bitmap shifted by a drag of (dx, dy) document units at once.
    void LivePan(const TVemoDocument& document, double dx, double dy, const Present& present);
    // Full redraws slower than this show a preview first (see Idle).
    void SetPreviewBudget(std::chrono::microseconds budget) { previewBudget_ = budget; }
    // Forgets what the bitmaps show, so the next full redraw shows no preview
    // (a new document, a new size).
    void Forget();

    // The picture drawn into the design area when the view shows its background.
    void SetBackground(const QImage& image) { background_ = image; }
    const QImage& Background() const { return background_; }
    const TDIBitmap& Main() const { return main_; }
    const TDIBitmap& Overlay() const { return overlay_; }

private:
    TDIBitmap main_;
    TDIBitmap overlay_;
    QImage background_;
    TRedrawRequests requests_;
    // The view the main bitmap was drawn for, and the one a preview was shown for.
    std::optional<QTransform> mainView_;
    std::optional<QTransform> previewView_;
    std::chrono::microseconds lastMainTime_{0};
    std::chrono::microseconds previewBudget_{12000};
};

}  // namespace render
