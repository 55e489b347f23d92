// The temporary view states: which keys enter and leave them, panning by drag,
// zooming by click, wheel and buttons.

#include <algorithm>
#include <cmath>
#include <string>
#include <typeinfo>
#include <vector>

#include "model/Vemodocument.h"
#include "tests/states/Statefixture.h"

namespace {

struct KeyStep {
    bool down;
    int key;
};

struct ViewCase {
    const char* name;
    std::vector<KeyStep> keys;
    const std::type_info* expected;  // null: the tool itself
    int cursor;
};

// From any tool: the whole key-flag word decides, never a mask of it.
const std::vector<ViewCase> kViewCases = {
    {"SpacePans", {{true, ' '}}, &typeid(TVemoViewState), 10},
    {"SpaceXZoomsIn", {{true, ' '}, {true, 'X'}}, &typeid(TVemoScaleUpState), 11},
    {"SpaceZZoomsOut", {{true, ' '}, {true, 'Z'}}, &typeid(TVemoScaleDownState), 12},
    {"ReleasingXReturnsToPan", {{true, ' '}, {true, 'X'}, {false, 'X'}}, &typeid(TVemoViewState), 10},
    {"XThenZ", {{true, ' '}, {true, 'X'}, {false, 'X'}, {true, 'Z'}}, &typeid(TVemoScaleDownState), 12},
    {"ReleasingSpaceReturnsToTool", {{true, ' '}, {false, ' '}}, nullptr, 0},
    {"ReleasingSpaceWhileZooming", {{true, ' '}, {true, 'X'}, {false, ' '}}, nullptr, 0},
    {"ShiftSpaceDoesNotPan", {{true, vk::Shift}, {true, ' '}}, nullptr, 0},
    {"CtrlSpaceDoesNotPan", {{true, vk::Control}, {true, ' '}}, nullptr, 0},
    {"SpaceThenShiftLeavesPan", {{true, ' '}, {true, vk::Shift}}, nullptr, 0},
    {"ShiftLetGoThenPans", {{true, vk::Shift}, {true, ' '}, {false, vk::Shift}}, &typeid(TVemoViewState), 10},
    {"UntrackedKeyKeepsPan", {{true, ' '}, {true, 'A'}}, &typeid(TVemoViewState), 10},
    {"XSpaceZoomsIn", {{true, 'X'}, {true, ' '}}, &typeid(TVemoScaleUpState), 11},
};

const char* const kTools[] = {"select",  "point", "parts", "path", "poly",
                              "ellipse", "rect",  "text",  "pad",  "lib"};

class ViewStateTable : public StateTest, public testing::WithParamInterface<ViewCase> {};

TEST_P(ViewStateTable, FromEveryTool) {
    const ViewCase& c = GetParam();
    for (const char* tool : kTools) {
        SCOPED_TRACE(tool);
        context->Session().keys.Clear();
        TVemoEventState* toolState = context->PressTool(tool);
        for (const KeyStep& step : c.keys) step.down ? Down(step.key) : Up(step.key);
        TVemoEventState* now = context->CurrentState();
        if (c.expected) {
            EXPECT_EQ(typeid(*now), *c.expected);
            EXPECT_EQ(now->ReturnState(), toolState);
        } else {
            EXPECT_EQ(now, toolState);
        }
        EXPECT_EQ(ui.cursor, c.cursor);
        // Let go of everything before the next tool.
        for (const KeyStep& step : c.keys) Up(step.key);
        EXPECT_EQ(context->CurrentState(), toolState);
    }
}

INSTANTIATE_TEST_SUITE_P(Keys, ViewStateTable, testing::ValuesIn(kViewCases),
                         [](const testing::TestParamInfo<ViewCase>& info) {
                             return std::string(info.param.name);
                         });

TEST_F(StateTest, KeyWordsAreComparedWhole) {
    struct Row {
        std::vector<int> held;
        std::uint32_t word;
    } rows[] = {
        {{vk::Control, 'G'}, 0x808}, {{vk::Control, vk::Shift, 'G'}, 0x818},
        {{vk::Control, 'R'}, 0x208}, {{vk::Control, 'M'}, 0x408},
        {{'X', 'Z'}, 0x140},         {{'A', '1', vk::Escape}, 0},
    };
    for (const Row& row : rows) {
        TVemoKeyState keys;
        for (int key : row.held) keys.KeyDown(key);
        EXPECT_EQ(keys.Flags(), row.word);
    }
    TVemoKeyState keys;
    keys.KeyDown(vk::Control);
    keys.KeyDown('G');
    keys.KeyDown('Y');
    EXPECT_FALSE(keys.Is(TVemoKeyState::ksCtrl | TVemoKeyState::ksG));
}

TEST_F(StateTest, AutoRepeatsReachTheStateOnlyForArrows) {
    TProbeState probe(*context);
    context->ChangeState(&probe);
    Down(' ');
    context->KeyDown(' ', true);
    context->KeyDown('A', true);
    for (int i = 0; i < 3; ++i) {
        context->KeyUp(vk::Left, true);  // the platform's key-up before each repeat
        context->KeyDown(vk::Left, true);
    }
    context->KeyDown(vk::Down, true);
    EXPECT_EQ(probe.keysDown, (std::vector<int>{' ', vk::Left, vk::Left, vk::Left, vk::Down}));
    EXPECT_TRUE(probe.keysUp.empty());
    EXPECT_TRUE(context->Session().keys.Is(TVemoKeyState::ksSpace));
    context->ChangeState(context->StateBank().Get<TVemoSelectState>(nullptr));
}

TEST_F(StateTest, HeldSpaceSurvivesRepeatedKeyUps) {
    Down(' ');
    ASSERT_EQ(typeid(*context->CurrentState()), typeid(TVemoViewState));
    for (int i = 0; i < 5; ++i) {
        context->KeyUp(' ', true);
        context->KeyDown(' ', true);
    }
    EXPECT_EQ(typeid(*context->CurrentState()), typeid(TVemoViewState));
}

TEST_F(StateTest, SpaceDragPansByTheDragAndRedrawsOnce) {
    TVemoDocument& doc = context->Document();
    doc.SetZoom(2.0);
    const double panX = doc.GetPanX(), panY = doc.GetPanY();
    context->Idle();
    Down(' ');
    context->MouseDown(ssLeft, 50, 50);
    const int before = ui.presents;
    context->MouseMove(ssLeft, 70, 60);
    // The live picture is shown at once, without waiting for a redraw.
    EXPECT_EQ(ui.presents, before + 1);
    EXPECT_DOUBLE_EQ(doc.GetPanX(), panX);
    context->MouseUp(0, 70, 60);
    EXPECT_NEAR(doc.GetPanX() - panX, 20 / 2.0, 1e-4);
    EXPECT_NEAR(doc.GetPanY() - panY, 10 / 2.0, 1e-4);
    Up(' ');
    EXPECT_EQ(typeid(*context->CurrentState()), typeid(TVemoSelectState));
}

TEST_F(StateTest, ReleasingSpaceMidDragRestoresThePicture) {
    TVemoDocument& doc = context->Document();
    context->Idle();
    Down(' ');
    context->MouseDown(ssLeft, 50, 50);
    context->MouseMove(ssLeft, 90, 50);
    Up(' ');
    context->MouseUp(0, 90, 50);
    EXPECT_DOUBLE_EQ(doc.GetPanX(), 0.0);
    // The shifted preview is replaced by a full redraw.
    context->Idle();
    const TDIBitmap& main = context->MainBitmap();
    const TDIBitmap& overlay = context->OverlayBitmap();
    EXPECT_TRUE(std::equal(main.Pixels(), main.Pixels() + main.PixelCount(), overlay.Pixels()));
}

TEST_F(StateTest, ButtonUpWithoutDragDoesNotPan) {
    context->MouseDown(ssLeft, 10, 10);
    Down(' ');
    context->MouseUp(0, 150, 80);
    EXPECT_DOUBLE_EQ(context->Document().GetPanX(), 0.0);
    EXPECT_DOUBLE_EQ(context->Document().GetPanY(), 0.0);
}

TEST_F(StateTest, ZoomClicksBringThePointToTheCentre) {
    TVemoDocument& doc = context->Document();
    Down(' ');
    Down('X');
    context->MouseDown(ssLeft, 150, 30);
    const PointF clicked = PointF(150 - 100, 30 - 50);
    EXPECT_DOUBLE_EQ(doc.GetZoom(), 2.0);
    const PointF centre = context->ToDocument(100, 50);
    EXPECT_NEAR(centre.x, clicked.x, 1e-4);
    EXPECT_NEAR(centre.y, clicked.y, 1e-4);
    Up('X');
    Down('Z');
    context->MouseDown(ssLeft, 100, 50);
    EXPECT_DOUBLE_EQ(doc.GetZoom(), 1.0);
    // Other buttons do nothing.
    context->MouseDown(ssRight, 10, 10);
    EXPECT_DOUBLE_EQ(doc.GetZoom(), 1.0);
}

TEST_F(StateTest, WheelKeepsThePointUnderThePointer) {
    TVemoDocument& doc = context->Document();
    context->Resize(801, 600);
    const struct {
        int x, y, delta, steps;
    } rows[] = {
        {0, 0, 120, 6}, {800, 599, 120, 9}, {400, 300, -120, 4}, {123, 457, -120, 7}, {700, 20, 120, 3}};
    for (const auto& row : rows) {
        doc.SetZoom(1.0);
        doc.SetPan(-300.0, -200.0);
        for (int i = 0; i < row.steps; ++i) {
            const PointF before = context->ToDocument(row.x, row.y);
            const double zoom = doc.GetZoom();
            context->MouseWheel(0, row.delta, row.x, row.y);
            const PointF after = context->ToDocument(row.x, row.y);
            // Within a pixel at the new zoom.
            EXPECT_LT(std::hypot(after.x - before.x, after.y - before.y) * doc.GetZoom(), 1.0);
            EXPECT_NEAR(doc.GetZoom() / zoom, row.delta > 0 ? std::sqrt(2.0) : std::sqrt(0.5), 1e-9);
        }
    }
}

TEST_F(StateTest, WheelAtTheZoomLimitNeitherZoomsNorPans) {
    TVemoDocument& doc = context->Document();
    doc.SetZoom(TVemoDocumentInfo::kMaxZoom);
    doc.SetPan(-10.0, -20.0);
    context->MouseWheel(0, 120, 3, 7);
    EXPECT_DOUBLE_EQ(doc.GetZoom(), TVemoDocumentInfo::kMaxZoom);
    EXPECT_DOUBLE_EQ(doc.GetPanX(), -10.0);
    EXPECT_DOUBLE_EQ(doc.GetPanY(), -20.0);
}

TEST_F(StateTest, ZoomButtonsWorkInEveryTool) {
    for (const char* tool : kTools) {
        SCOPED_TRACE(tool);
        context->Document().SetZoom(1.0);
        context->PressTool(tool);
        context->PressTool("scaleup");
        EXPECT_DOUBLE_EQ(context->Document().GetZoom(), 2.0);
        context->PressTool("scaledown");
        context->PressTool("scaledown");
        EXPECT_DOUBLE_EQ(context->Document().GetZoom(), 0.5);
    }
}

TEST_F(StateTest, WholeAreaFillsTheWindow) {
    TVemoDocument& doc = context->Document();
    doc.SetAreaOrigin(100.0, -50.0);
    doc.SetAreaSize(400.0, 100.0);
    context->ShowWholeArea();
    // 200 x 100 pixels: the width decides, with a margin.
    EXPECT_DOUBLE_EQ(doc.GetZoom(), 0.9 * 200.0 / 400.0);
    const PointF centre = context->ToDocument(100, 50);
    EXPECT_NEAR(centre.x, 300.0, 1e-3);
    EXPECT_NEAR(centre.y, 0.0, 1e-3);
}

}  // namespace
