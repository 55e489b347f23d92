#include "render/Redraw.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "boardgen/Boardgen.h"
#include "model/Vemodocument.h"
#include "model/Vemodrawstyle.h"
#include "model/Vemorectangle.h"
#include "model/Vemostring.h"
#include "render/Qtgraphics.h"

#include <QPainter>

namespace {

using render::TRedrawRequests;
using Work = TRedrawRequests::Work;

constexpr std::uint32_t kWhite = 0x00FFFFFFu;

// A document whose window is w x h pixels at zoom 1 with document (0, 0) on
// pixel (0, 0), no grid, and the layers given (index 0 first). Layer 0 is current.
std::unique_ptr<TVemoDocument> MakeDocument(int w, int h, const std::vector<Argb>& colours) {
    auto doc = std::make_unique<TVemoDocument>();
    doc->SetWindowSize(w, h);
    doc->SetPan(-w / 2.0, -h / 2.0);
    doc->ClearViewFlags(TVemoDocumentInfo::ViewShowGrid);
    doc->SetAreaOrigin(-1000, -1000);  // the frame stays out of the picture
    TVemoLayerList& layers = doc->GetLayerList();
    layers.Clear();
    // Each insertion goes before the current layer, so insert from the last.
    for (std::size_t i = colours.size(); i-- > 0;)
        layers.Insert(std::make_shared<TVemoLayer>(colours[i], "layer" + std::to_string(i)));
    return doc;
}

TVemoRect* AddRect(TVemoDocument& doc, int layer, PointF a, PointF b) {
    auto rect = std::make_unique<TVemoRect>();
    rect->SetLayer(doc.GetLayerList().At(layer));
    rect->SetSurface(TVemoSurface(1.0f, true, false));
    rect->SetCorners(a, b);
    rect->Deselect();
    return static_cast<TVemoRect*>(doc.GetRoot().AddChild(std::move(rect)));
}

// Source-over of an ARGB colour on an opaque 0x00RRGGBB pixel.
std::uint32_t Over(std::uint32_t dst, Argb src) {
    const double a = double(src >> 24) / 255.0;
    std::uint32_t out = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const double s = double((src >> shift) & 0xFF), d = double((dst >> shift) & 0xFF);
        out |= std::uint32_t(std::lround(s * a + d * (1.0 - a))) << shift;
    }
    return out;
}

std::string Hex(std::uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%06X", unsigned(v));
    return text;
}

::testing::AssertionResult Near(std::uint32_t actual, std::uint32_t expected, int tolerance = 2) {
    for (int shift = 0; shift <= 16; shift += 8) {
        const int a = int((actual >> shift) & 0xFF), e = int((expected >> shift) & 0xFF);
        if (std::abs(a - e) > tolerance)
            return ::testing::AssertionFailure() << "pixel " << Hex(actual) << ", expected " << Hex(expected)
                                                 << " within " << tolerance << " per channel";
    }
    return ::testing::AssertionSuccess();
}

// Line-grid columns: those painted in the line colour in every row.
std::vector<int> GridColumns(const TDIBitmap& b) {
    std::vector<int> columns;
    for (int x = 0; x < b.Width(); ++x) {
        bool full = true;
        for (int y = 0; y < b.Height() && full; ++y) full = b.Pixel(x, y) == render::kLineGridColour;
        if (full) columns.push_back(x);
    }
    return columns;
}

std::vector<int> Steps(double first, double d, int limit) {
    std::vector<int> out;
    for (int i = 0; first + i * d < limit; ++i) out.push_back(int(first + i * d));
    return out;
}

TEST(DrawGrid, FirstColumnAndPitch) {
    struct Row {
        const char* name;
        double grid, panX;
        std::vector<int> columns;  // window 100 pixels wide at zoom 1: x0 = 50 + panX
    };
    const Row rows[] = {
        {"origin two pitches right of the edge: first line at d, not 0", 10, -30, Steps(10, 10, 100)},
        {"origin left of the window: x0 brought up into [0, d)", 10, -73, Steps(7, 10, 100)},
        {"origin on a pitch left of the window: column 0", 10, -70, Steps(0, 10, 100)},
        {"fractional pitch: positions truncated, not rounded", 12.5, 0, {12, 25, 37, 50, 62, 75, 87}},
        {"pitch 4.01 pixels is drawn", 4.01, 0, Steps(50 - 12 * 4.01, 4.01, 100)},
        {"pitch of exactly 4 pixels is not drawn", 4, 0, {}},
        {"far pan at zoom 1", 10, 10000, Steps(10, 10, 100)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TVemoDocumentInfo view;
        view.SetWindowSize(100, 40);
        view.SetViewFlags(TVemoDocumentInfo::ViewLineGrid);
        ASSERT_TRUE(view.SetGrid(row.grid));
        view.SetPan(row.panX, 0);
        TDIBitmap b(100, 40);
        b.Fill(kWhite);
        render::DrawGrid(view, b);
        EXPECT_EQ(GridColumns(b), row.columns);
    }
}

TEST(DrawGrid, DotGridAndItsThreshold) {
    struct Row {
        const char* name;
        double zoom;  // grid 2 units
        bool drawn;
    };
    const Row rows[] = {
        {"2 pixels", 1.0, false}, {"exactly 4 pixels", 2.0, false}, {"4.01 pixels", 2.005, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TVemoDocumentInfo view;
        view.SetWindowSize(64, 48);
        view.SetZoom(row.zoom);
        view.SetGrid(2.0);
        view.SetPan(1.3, 1.3);
        TDIBitmap b(64, 48);
        b.Fill(kWhite);
        render::DrawGrid(view, b);
        int dots = 0, others = 0;
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x) {
                if (b.Pixel(x, y) == 0x00808080u)
                    ++dots;
                else if (b.Pixel(x, y) != kWhite)
                    ++others;
            }
        EXPECT_EQ(others, 0);
        // x0 = 34.6 and y0 = 26.6 come down to 2.53 and 2.55: 16 columns x 12 rows of dots.
        EXPECT_EQ(dots, row.drawn ? 16 * 12 : 0);
        EXPECT_EQ(b.Pixel(2, 2) == 0x00808080u, row.drawn);
    }
}

TEST(DrawGrid, DotColourKeepsRedGreenBlueInPlace) {
    DrawStyle().SetColour(dcGrid, 0xFF102030u);
    TVemoDocumentInfo view;
    view.SetWindowSize(40, 40);
    view.SetGrid(10);
    TDIBitmap b(40, 40);
    b.Fill(kWhite);
    render::DrawGrid(view, b);
    DrawStyle().Reset();
    EXPECT_EQ(b.Pixel(20, 20), 0x00102030u);
}

TEST(RenderMain, LayersPaintFromTheLastToLayerZero) {
    // Layer 0 is current (alpha 160), the others translucent (alpha 90).
    const std::vector<Argb> colours = {0xFFFF0000u, 0xFF00C000u, 0xFF0000FFu};
    struct Row {
        const char* name;
        int hidden;  // -1: every layer shown
    };
    const Row rows[] = {{"all three", -1}, {"middle layer hidden", 1}, {"top layer hidden", 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        auto doc = MakeDocument(60, 40, colours);
        for (int i = 0; i < 3; ++i)
            AddRect(*doc, i, PointF(5.0f + 5.0f * float(i), 5), PointF(40.0f + 5.0f * float(i), 30));
        if (row.hidden >= 0) doc->GetLayerList().At(row.hidden)->SetVisible(false);
        doc->GetRoot().Rebuild();
        TDIBitmap main(60, 40);
        render::RenderMain(*doc, main);

        std::uint32_t expected = kWhite;
        for (int i = 2; i >= 0; --i)
            if (i != row.hidden) expected = Over(expected, doc->GetLayerList().At(i)->GetEffectiveColour());
        EXPECT_TRUE(Near(main.Pixel(25, 20), expected));
        EXPECT_EQ(main.Pixel(55, 35), kWhite);
    }
}

// The window's redraw sorts the objects by layer once and paints horizontal
// bands on several threads; through Qt alone the picture must be exactly what
// one painter walking the whole tree once per layer makes.
TEST(RenderMain, BandsAndLayerListsPaintExactlyWhatOneWalkPerLayerPaints) {
    // With a wire-frame layer shown the picture is painted whole; compare both ways.
    for (const bool wireFrame : {false, true}) {
        SCOPED_TRACE(wireFrame ? "with a wire-frame layer" : "filled layers");
        const auto doc = GenerateBoard({400, 11, true});
        doc->GetLayerList().Find("place_cmp")->SetTextOutput(true);  // glyphs from several threads
        doc->GetLayerList().Find("component")->SetWireFrame(wireFrame);
        doc->SetSmoothing(4);
        const int w = 500, h = 700;  // tall enough for several bands
        doc->SetWindowSize(w, h);
        const RectF area = doc->GetAreaRect();
        doc->SetZoom(std::min(w / double(area.width), h / double(area.height)));
        doc->SetPan(-(area.x + area.width / 2.0), -(area.y + area.height / 2.0));
        DrawStyle().SetZoom(float(doc->GetZoom()));

        TDIBitmap banded(w, h);
        render::RenderMain(*doc, banded, nullptr, render::Fidelity::Exact);

        TDIBitmap reference(w, h);
        reference.Fill(DrawStyle().GetColour(dcCutOut));
        render::DrawGrid(*doc, reference);
        render::PaintSerially([&] {
            QPainter painter(reference.PaintDevice());
            painter.setWorldTransform(render::ToQTransform(doc->GetViewMatrix()));
            TQtGraphics graphics(painter);
            Pen frame = DrawStyle().GetFramePen();
            frame.width = float(1.0 / doc->GetZoom());
            graphics.StrokeRect(area, frame);
            painter.setRenderHint(QPainter::Antialiasing, true);
            painter.setRenderHint(QPainter::TextAntialiasing, true);
            for (int i = doc->GetLayerList().Count() - 1; i >= 0; --i)
                if (doc->GetLayerList().At(i)->IsVisible()) doc->GetRoot().DrawFill(&graphics, i);
        });

        int differ = 0, inked = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                differ += banded.Pixel(x, y) != reference.Pixel(x, y);
                inked += banded.Pixel(x, y) != kWhite;
            }
        EXPECT_EQ(differ, 0);
        EXPECT_GT(inked, w * h / 20) << "the board covers the picture";
    }
}

TEST(RenderMain, CutOutAndWireFrameLayers) {
    auto doc = MakeDocument(60, 40, {0xFF0000FFu, 0xFF00C000u});
    doc->SetSmoothing(3);  // aliased: every pixel is either ink or paper
    AddRect(*doc, 1, PointF(5, 5), PointF(50, 35));
    AddRect(*doc, 0, PointF(15, 12), PointF(30, 25));
    doc->GetLayerList().At(0)->SetCutOut(true);
    doc->GetRoot().Rebuild();
    TDIBitmap main(60, 40);
    render::RenderMain(*doc, main);
    const std::uint32_t green = Over(kWhite, doc->GetLayerList().At(1)->GetEffectiveColour());
    EXPECT_EQ(main.Pixel(20, 18), kWhite) << "the cut-out layer paints white over the layer beneath";
    EXPECT_TRUE(Near(main.Pixel(40, 18), green));

    // Wire frame: one-pixel outline in the layer's opaque colour, nothing inside.
    doc->GetLayerList().At(0)->SetCutOut(false);
    doc->GetLayerList().At(1)->SetVisible(false);
    doc->GetLayerList().At(0)->SetWireFrame(true);
    doc->GetRoot().Rebuild();
    DrawStyle().SetZoom(1.0f);
    render::RenderMain(*doc, main);
    const std::uint32_t ink = doc->GetLayerList().At(0)->GetOpaqueColour() & 0x00FFFFFFu;
    // The outline runs half a unit outside the rectangle (its stroke): 14.5 ... 30.5, 11.5 ... 25.5.
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            const bool nearEdge = (std::abs(x - 14.5) <= 1 || std::abs(x - 30.5) <= 1) && y >= 10 && y <= 27;
            const bool nearTopBottom =
                (std::abs(y - 11.5) <= 1 || std::abs(y - 25.5) <= 1) && x >= 13 && x <= 32;
            const std::uint32_t p = main.Pixel(x, y);
            if (!nearEdge && !nearTopBottom) {
                ASSERT_EQ(p, kWhite) << x << "," << y;
            } else {
                ASSERT_TRUE(p == kWhite || p == ink) << x << "," << y;
            }
        }
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{22, 11}, {22, 25}, {14, 18}, {30, 18}})
        EXPECT_TRUE(main.Pixel(x, y) == ink || main.Pixel(x, y + 1) == ink || main.Pixel(x + 1, y) == ink)
            << "no outline pixel near " << x << "," << y;
}

TEST(RenderMain, TextOnATextOutputLayerDrawsGlyphsOverItsOutline) {
    auto doc = MakeDocument(200, 60, {0xFF000000u});
    doc->SetSmoothing(3);
    auto text = std::make_unique<TVemoString>();
    text->SetLayer(doc->GetLayerList().At(0));
    text->SetFont(TVemoFont(TVemoFont::kDefaultFamily, 30.0f, 0));
    text->SetText(u"HEL8");
    text->Translate(10, 10);
    TVemoString* placed = static_cast<TVemoString*>(doc->GetRoot().AddChild(std::move(text)));
    ASSERT_FALSE(placed->GetOutline().IsEmpty()) << "no font for the text";
    doc->GetLayerList().At(0)->SetOpaque(true);
    doc->GetRoot().Rebuild();

    TDIBitmap filled(200, 60), glyphs(200, 60);
    render::RenderMain(*doc, filled);
    doc->GetLayerList().At(0)->SetTextOutput(true);
    render::RenderMain(*doc, glyphs);
    // Glyph edges are smoothed: a pixel counts as ink when it is darker than mid grey.
    int both = 0, either = 0;
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 200; ++x) {
            const bool a = (filled.Pixel(x, y) & 0xFF) < 0x80, b = (glyphs.Pixel(x, y) & 0xFF) < 0x80;
            both += a && b;
            either += a || b;
        }
    ASSERT_GT(either, 300);
    EXPECT_GT(double(both) / either, 0.8) << both << " of " << either << " ink pixels shared";
}

TEST(TRedrawRequests, TheCheapestWorkServesEveryRequest) {
    struct Row {
        const char* name;
        bool all, overlay, blit;
        Work expected;
    };
    const Row rows[] = {
        {"nothing", false, false, false, Work::None},
        {"blit", false, false, true, Work::Blit},
        {"overlay", false, true, false, Work::Overlay},
        {"overlay and blit", false, true, true, Work::Overlay},
        {"all", true, false, false, Work::All},
        {"all with the others", true, true, true, Work::All},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TRedrawRequests requests;
        if (row.blit) requests.InvalidateWindow();
        if (row.all) requests.Invalidate();
        if (row.overlay) requests.InvalidateOverlay();
        EXPECT_EQ(requests.Pending(), row.expected != Work::None);
        EXPECT_EQ(requests.Take(), row.expected);
        EXPECT_FALSE(requests.Pending());
        EXPECT_EQ(requests.Take(), Work::None);
    }
}

TEST(TRenderView, EachLevelRepaintsOnlyWhatItOwns) {
    using Step = render::TRenderView::Step;
    auto doc = MakeDocument(60, 40, {0xFF0000FFu});
    doc->SetSmoothing(3);
    doc->SetWindowSize(60, 40);
    render::TRenderView view(60, 40);
    TVemoRect* first = AddRect(*doc, 0, PointF(5, 5), PointF(20, 20));
    std::vector<std::uint32_t> shown;
    const auto present = [&](const TDIBitmap& b) { shown.assign(b.Pixels(), b.Pixels() + b.PixelCount()); };
    auto shownAt = [&](int x, int y) { return shown.at(std::size_t(y) * 60 + std::size_t(x)) & 0x00FFFFFFu; };

    EXPECT_EQ(view.Idle(*doc, present), Step::All);
    ASSERT_EQ(shown.size(), 60u * 40u);
    EXPECT_NE(shownAt(12, 12), kWhite);
    EXPECT_EQ(view.Overlay().Pixel(5, 12), view.Main().Pixel(5, 12)) << "nothing selected yet";

    // A second object appears only with a full redraw; the selection with the overlay.
    AddRect(*doc, 0, PointF(35, 5), PointF(50, 20));
    first->Select();
    view.Requests().InvalidateWindow();
    EXPECT_EQ(view.Idle(*doc, present), Step::Blit);
    EXPECT_EQ(shownAt(42, 12), kWhite);
    view.Requests().InvalidateOverlay();
    EXPECT_EQ(view.Idle(*doc, present), Step::Overlay);
    EXPECT_EQ(shownAt(42, 12), kWhite);
    bool decorated = false;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) decorated |= view.Overlay().Pixel(x, y) != view.Main().Pixel(x, y);
    EXPECT_TRUE(decorated) << "the selected object shows no feedback";
    view.Requests().Invalidate();
    EXPECT_EQ(view.Idle(*doc, present), Step::All);
    EXPECT_NE(shownAt(42, 12), kWhite);
    shown.clear();
    EXPECT_EQ(view.Idle(*doc, present), Step::None);
    EXPECT_TRUE(shown.empty());
}

TEST(LivePan, ShiftsByTruncatedPixelsAndLeavesTheGapWhite) {
    struct Row {
        const char* name;
        double zoom, dx, dy;
        int sx, sy;
    };
    const Row rows[] = {
        {"right and up at zoom 2", 2.0, 3.7, -1.2, 7, -2},
        {"fractions below one pixel", 4.0, 0.2, -0.24, 0, 0},
        {"left and down", 0.5, -9.0, 5.0, -4, 2},
        {"beyond the picture", 1.0, 500.0, 0.0, 500, 0},
    };
    TDIBitmap main(30, 20);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) main.Pixels()[y * 30 + x] = std::uint32_t(y * 256 + x);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TDIBitmap overlay(30, 20);
        render::LivePan(main, overlay, row.zoom, row.dx, row.dy);
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 30; ++x) {
                const int mx = x - row.sx, my = y - row.sy;
                const bool inside = mx >= 0 && mx < 30 && my >= 0 && my < 20;
                ASSERT_EQ(overlay.Pixel(x, y), inside ? main.Pixel(mx, my) : kWhite) << x << "," << y;
            }
    }
}

}  // namespace
