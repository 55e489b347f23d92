#include "render/Screengraphics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "archive/Vemodocumentfile.h"
#include "boardgen/Boardgen.h"
#include "model/Vemodocument.h"
#include "model/Vemodrawstyle.h"
#include "model/Vemoellipse.h"
#include "model/Vemolayer.h"
#include "model/Vemorectangle.h"
#include "render/Redraw.h"

namespace {

constexpr std::uint32_t kWhite = 0x00FFFFFFu;
// Edge pixels of the two fillers round their covered area differently; a
// pixel agrees when no channel differs by more than this.
constexpr int kChannelTolerance = 24;

bool Agree(std::uint32_t a, std::uint32_t b) {
    for (int shift = 0; shift <= 16; shift += 8)
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > kChannelTolerance) return false;
    return true;
}

// The whole design area in a w x h window, times factor, centred on the area's
// centre shifted by (sx, sy) window widths.
void View(TVemoDocument& doc, int w, int h, double factor, double sx = 0.0, double sy = 0.0) {
    doc.SetWindowSize(w, h);
    const RectF area = doc.GetAreaRect();
    const double zoom = std::min(w / double(area.width), h / double(area.height)) * factor;
    doc.SetZoom(zoom);
    doc.SetPan(-(area.x + area.width / 2.0) + sx * w / zoom, -(area.y + area.height / 2.0) + sy * h / zoom);
    DrawStyle().SetZoom(float(doc.GetZoom()));
}

struct Comparison {
    int agree = 0, equal = 0, inked = 0, total = 0;
};

Comparison CompareWithExact(const TVemoDocument& doc) {
    const int w = doc.GetWindowWidth(), h = doc.GetWindowHeight();
    TDIBitmap screen(w, h), exact(w, h);
    render::RenderMain(doc, screen, nullptr, render::Fidelity::Screen);
    render::RenderMain(doc, exact, nullptr, render::Fidelity::Exact);
    Comparison c;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const std::uint32_t a = screen.Pixel(x, y), b = exact.Pixel(x, y);
            c.agree += Agree(a, b);
            c.equal += a == b;
            c.inked += b != kWhite;
            ++c.total;
        }
    return c;
}

// The window's picture through the screen filler against Qt's on the demo board
// and a generated one, at zooms where most shapes are a few pixels, sub-pixel,
// and large, and with shapes cut by the window's edges.
TEST(ScreenGraphics, AgreesWithTheExactPictureOnAlmostEveryPixel) {
    std::string error;
    const std::unique_ptr<TVemoDocument> demo =
        ReadDocumentFile(std::string(ZELKO_SOURCE_DIR) + "/examples/demo.vbf", error);
    ASSERT_TRUE(demo) << error;
    const std::unique_ptr<TVemoDocument> board = GenerateBoard({3000, 5, true});
    struct Case {
        const char* name;
        TVemoDocument* doc;
        double factor, sx, sy;
    };
    const Case cases[] = {
        {"demo at fit", demo.get(), 1.0, 0.0, 0.0},
        {"demo zoomed in, cut by the edges", demo.get(), 4.0, 0.3, -0.2},
        {"board at fit", board.get(), 1.0, 0.0, 0.0},
        {"board far out: sub-pixel shapes", board.get(), 0.15, 0.0, 0.0},
        {"board zoomed in, cut by the edges", board.get(), 6.0, -0.4, 0.35},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.doc->SetSmoothing(4);
        View(*c.doc, 640, 480, c.factor, c.sx, c.sy);
        const Comparison r = CompareWithExact(*c.doc);
        DrawStyle().Reset();
        EXPECT_GT(r.inked, r.total / 200) << "the view shows part of the board";
        EXPECT_GE(double(r.agree) / r.total, 0.995)
            << "identical: " << double(r.equal) / r.total << ", inked: " << double(r.inked) / r.total;
    }
}

// Shapes far smaller than a pixel, apart from each other: each leaves a pixel
// clearly darker than the paper, whichever band of the picture it falls in.
TEST(ScreenGraphics, EveryShapeInTheWindowLeavesAVisiblePixel) {
    auto doc = std::make_unique<TVemoDocument>();
    const int w = 300, h = 400;  // tall enough to be painted in several bands
    doc->SetWindowSize(w, h);
    doc->SetZoom(1.0);
    doc->SetPan(-w / 2.0, -h / 2.0);
    doc->ClearViewFlags(TVemoDocumentInfo::ViewShowGrid);
    doc->SetAreaOrigin(-1000, -1000);
    doc->SetSmoothing(4);
    const TVemoLayerPtr layer = doc->GetLayerList().Find("solder");
    ASSERT_TRUE(layer);
    struct Placed {
        RectF bounds;
    };
    std::vector<Placed> placed;
    int n = 0;
    for (float y = 2.3f; y < h - 2; y += 6.1f)
        for (float x = 1.7f; x < w - 2; x += 7.3f, ++n) {
            // Sizes from a hundredth of a pixel up to most of one, rectangles and ellipses.
            const float size = 0.01f + float(n % 12) * 0.05f;
            std::unique_ptr<TVemoShape> shape;
            if (n % 2 == 0)
                shape = std::make_unique<TVemoRect>();
            else
                shape = std::make_unique<TVemoEllipse>();
            shape->SetLayer(layer);
            shape->SetSurface(TVemoSurface(0.0f, true, false));
            if (auto* rect = dynamic_cast<TVemoRect*>(shape.get()))
                rect->SetCorners(PointF(x, y), PointF(x + size, y + size * 0.5f));
            else
                static_cast<TVemoEllipse*>(shape.get())
                    ->SetCircle(PointF(x + size / 2, y + size / 2), PointF(x + size, y + size / 2));
            shape->Deselect();
            doc->GetRoot().AddChild(std::move(shape));
        }
    doc->GetRoot().Rebuild();
    for (int i = 0; i < doc->GetRoot().GetChildCount(); ++i) {
        RectF b;
        doc->GetRoot().GetChild(i)->GetBounds(b);
        placed.push_back({b});
    }
    ASSERT_GT(placed.size(), 2000u);
    const auto missing = [&](render::Fidelity fidelity) {
        TDIBitmap main(w, h);
        render::RenderMain(*doc, main, nullptr, fidelity);
        int count = 0;
        for (const Placed& p : placed) {
            // Half-covered ink of the layer colour differs clearly from the paper.
            bool seen = false;
            for (int y = int(p.bounds.y) - 1; y <= int(p.bounds.y + p.bounds.height) + 1; ++y)
                for (int x = int(p.bounds.x) - 1; x <= int(p.bounds.x + p.bounds.width) + 1; ++x)
                    if (x >= 0 && y >= 0 && x < w && y < h && !Agree(main.Pixel(x, y), kWhite)) seen = true;
            count += !seen;
        }
        return count;
    };
    for (const Placed& p : placed) ASSERT_LE(std::max(p.bounds.width, p.bounds.height), 1.0f);
    EXPECT_EQ(missing(render::Fidelity::Screen), 0) << "of " << placed.size() << " shapes";
    // The check bites: Qt's covered area leaves the smallest ones paler than that.
    EXPECT_GT(missing(render::Fidelity::Exact), 0);
}

}  // namespace
