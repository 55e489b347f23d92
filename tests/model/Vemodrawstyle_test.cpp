#include "model/Vemodrawstyle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

TEST(DrawStyle, FreshStyleDefaults) {
    const TDrawStyle style;
    const Argb expected[TDrawStyle::kColourCount] = {0xFF000000u, 0xFFFFFFFFu, 0xFF808080u,
                                                     0xFF3A6EA5u, 0xFF000000u, 0xFFFFFFFFu};
    for (int i = 0; i < TDrawStyle::kColourCount; ++i) EXPECT_EQ(style.GetColour(i), expected[i]) << i;
    EXPECT_EQ(style.GetRubberBandPen().dashStyle, geom::DashDot);
    EXPECT_EQ(style.GetFramePen().colour, 0xFF3A6EA5u);
    EXPECT_EQ(style.GetDecorationBrush().colour, 0xFF000000u);
    EXPECT_FLOAT_EQ(style.GetPixelSize(), 1.0f);
}

TEST(DrawStyle, SetZoomScalesPensAndDots) {
    struct Row {
        float zoom;
        float pixelSize;
        float dot;
    };
    for (const Row& row : {Row{4.0f, 0.25f, 0.25f}, Row{0.5f, 2.0f, 1.0f}}) {
        TDrawStyle style;
        style.SetZoom(row.zoom);
        EXPECT_FLOAT_EQ(style.GetPixelSize(), row.pixelSize) << "zoom " << row.zoom;
        for (const Pen* pen : {&style.GetRubberBandPen(), &style.GetDecorationPen(), &style.GetFramePen()})
            EXPECT_FLOAT_EQ(pen->width, row.pixelSize) << "zoom " << row.zoom;
        EXPECT_EQ(style.GetRubberBandPen().dashStyle, geom::DashCustom);
        EXPECT_EQ(style.GetRubberBandPen().dashPattern, (std::vector<float>{row.dot, row.dot}))
            << "zoom " << row.zoom;
    }
}

TEST(DrawStyle, UnusableZoomLeavesPixelSize) {
    TDrawStyle style;
    style.SetZoom(2.0f);
    for (float zoom : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(),
                       std::numeric_limits<float>::infinity(), std::numeric_limits<float>::denorm_min()}) {
        style.SetZoom(zoom);
        EXPECT_FLOAT_EQ(style.GetPixelSize(), 0.5f) << "zoom " << zoom;
    }
}

TEST(DrawStyle, ColourChangesReachTheirPens) {
    TDrawStyle style;
    style.SetColour(dcRubberBand, 0xFF112233u);
    style.SetColour(dcFrame, 0xFF445566u);
    style.SetColour(TDrawStyle::kColourCount, 0xFF778899u);  // out of range: ignored
    EXPECT_EQ(style.GetRubberBandPen().colour, 0xFF112233u);
    EXPECT_EQ(style.GetDecorationPen().colour, 0xFF112233u);
    EXPECT_EQ(style.GetDecorationBrush().colour, 0xFF112233u);
    EXPECT_EQ(style.GetFramePen().colour, 0xFF445566u);
    EXPECT_EQ(style.GetColour(-1), 0xFF000000u);
}

TEST(DrawStyle, ToleranceBoxFollowsPixelSize) {
    DrawStyle().SetZoom(2.0f);
    const RectF box = ToleranceBox(PointF(10.0f, 20.0f), 3.0f);
    DrawStyle().Reset();
    EXPECT_EQ(box, RectF(8.5f, 18.5f, 3.0f, 3.0f));
}

}  // namespace
