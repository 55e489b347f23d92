// Window placements are brought onto the screens there are.

#include <gtest/gtest.h>

#include "app/Vemoformtemplate.h"

namespace {

TEST(PlacementTest, ClampedToTheScreens) {
    const std::vector<QRect> two = {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const std::vector<QRect> one = {QRect(0, 0, 1920, 1080)};
    const struct {
        const char* name;
        std::vector<QRect> screens;
        settings::TFormPlacement in, out;
    } rows[] = {
        {"Inside", two, {100, 100, 240, 320, 0}, {100, 100, 240, 320, 0}},
        {"OnTheSecondScreen", two, {2000, 50, 800, 600, 2}, {2000, 50, 800, 600, 2}},
        {"SecondScreenGone", one, {2000, 50, 800, 600, 0}, {1120, 50, 800, 600, 0}},
        {"FarAway", one, {-30000, 90000, 800, 600, 0}, {0, 480, 800, 600, 0}},
        {"LargerThanTheScreen", one, {-50, -50, 4000, 3000, 0}, {0, 0, 1920, 1080, 0}},
        {"Straddling", two, {1700, 100, 800, 600, 0}, {1920, 100, 800, 600, 0}},
        {"HangingOffTheBottom", one, {300, 1000, 400, 300, 0}, {300, 780, 400, 300, 0}},
        {"TooSmall", one, {10, 10, 0, -5, 0}, {10, 10, 120, 80, 0}},
        {"OffsetScreen", {QRect(-1280, 200, 1280, 800)}, {100, 100, 300, 200, 0}, {-300, 200, 300, 200, 0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const settings::TFormPlacement p = app::ClampToScreens(row.in, row.screens);
        EXPECT_EQ(p.left, row.out.left);
        EXPECT_EQ(p.top, row.out.top);
        EXPECT_EQ(p.width, row.out.width);
        EXPECT_EQ(p.height, row.out.height);
        EXPECT_EQ(p.windowState, row.out.windowState);
    }
}

}  // namespace
