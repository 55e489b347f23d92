// The tool panel: main tools, their sub-tool sets and the commands the
// sub-tools send.

#include <string>
#include <typeinfo>
#include <vector>

#include "tests/states/Statefixture.h"

namespace {

std::vector<std::string> Names(const std::vector<std::unique_ptr<TVemoToolButton>>& buttons) {
    std::vector<std::string> names;
    names.reserve(buttons.size());
    for (const auto& b : buttons) names.push_back(b->CommandName());
    return names;
}

TEST_F(StateTest, StartsWithTheSelectTool) {
    TMenuControl& menu = context->MenuControl();
    EXPECT_EQ(Names(menu.MainButtons()), (std::vector<std::string>{"select", "point", "parts", "path", "poly",
                                                                   "ellipse", "rect", "text", "pad", "lib"}));
    EXPECT_TRUE(menu.Find("select")->IsDown());
    EXPECT_EQ(typeid(*context->CurrentState()), typeid(TVemoSelectState));
    EXPECT_EQ(menu.SubToolSet(), TToolSet::Select);
}

TEST_F(StateTest, MainToolsMakeTheirStateCurrentAndShowTheirSubTools) {
    const std::vector<std::string> select = {"group",   "ungroup", "rotate",  "mirror",
                                             "numeric", "ok",      "scaleup", "scaledown"};
    const std::vector<std::string> point = {"add_point", "ok", "scaleup", "scaledown"};
    const std::vector<std::string> drawing = {"ok", "scaleup", "scaledown"};
    const std::vector<std::string> plain = {"scaleup", "scaledown"};
    const struct {
        const char* tool;
        const char* picture;
        const char* tooltip;
        const std::type_info& state;
        const std::vector<std::string>& subs;
    } rows[] = {
        {"point", "Arrow01", "ポイントを選択します", typeid(TVemoPointState), point},
        {"parts", "Arrow02", "部品を選択します", typeid(TVemoPartsState), plain},
        {"path", "Line", "ベジェ曲線を生成します", typeid(TVemoPathState), drawing},
        {"poly", "Poly", "ポリラインを生成します", typeid(TVemoPolyState), drawing},
        {"ellipse", "Ellipse", "楕円を生成します", typeid(TVemoEllipseState), plain},
        {"rect", "Rect", "長方形を生成します", typeid(TVemoRectState), plain},
        {"text", "Text", "文字列を生成します", typeid(TVemoStringState), plain},
        {"pad", "Pad", "パッド", typeid(TVemoPadState), plain},
        {"lib", "Lib", "ライブラリ", typeid(TVemoLibState), plain},
        {"select", "Arrow00", "オブジェクトを選択します", typeid(TVemoSelectState), select},
    };
    TMenuControl& menu = context->MenuControl();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.tool);
        TVemoToolButton* button = menu.Find(row.tool);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->Picture(), row.picture);
        EXPECT_EQ(button->Tooltip(), row.tooltip);
        const int changes = ui.panelChanges;
        menu.UserClick(*button);
        EXPECT_GT(ui.panelChanges, changes);
        EXPECT_EQ(typeid(*context->CurrentState()), row.state);
        EXPECT_EQ(context->CurrentState()->ReturnState(), nullptr);
        EXPECT_EQ(Names(menu.SubButtons()), row.subs);
        for (const auto& b : menu.MainButtons())
            EXPECT_EQ(b->IsDown(), b.get() == button) << b->CommandName();
    }
}

TEST_F(StateTest, ClickingTheCurrentToolAgainLeavesItAndRebuildsItsSubTools) {
    TProbeState probe(*context);
    context->ChangeState(&probe);
    const int generation = context->MenuControl().SubToolGeneration();
    context->PressTool("select");
    EXPECT_EQ(probe.leaves, 1);
    EXPECT_GT(context->MenuControl().SubToolGeneration(), generation);
}

TEST_F(StateTest, SubToolsSendTheirCommands) {
    TMenuControl& menu = context->MenuControl();
    TProbeState probe(*context);
    context->ChangeState(&probe);
    for (const char* name : {"group", "ungroup", "rotate", "mirror", "ok"}) menu.UserClick(*menu.Find(name));
    // The numeric button is a toggle: down starts the mode, up finishes it.
    TVemoToolButton* numeric = menu.Find("numeric");
    menu.UserClick(*numeric);
    EXPECT_TRUE(numeric->IsDown());
    menu.UserClick(*numeric);
    EXPECT_FALSE(numeric->IsDown());
    menu.UserClick(*numeric);
    // A state that ends the mode puts the button up without a command.
    context->ReleaseTool("numeric");
    EXPECT_FALSE(numeric->IsDown());
    EXPECT_EQ(probe.commands, (std::vector<TEditCommand>{ecGroup, ecUnGroup, ecRotate, ecMirror, ecFinish,
                                                         ecNumeric, ecFinish, ecNumeric}));

    menu.UserClick(*menu.Find("point"));
    context->ChangeState(&probe);
    probe.commands.clear();
    TVemoToolButton* addPoint = menu.Find("add_point");
    menu.UserClick(*addPoint);
    menu.UserClick(*addPoint);
    EXPECT_EQ(probe.commands, (std::vector<TEditCommand>{ecAddPoint, ecFinish}));
    context->ChangeState(context->StateBank().Get<TVemoSelectState>(nullptr));
}

TEST_F(StateTest, UnknownToolNamesDoNothing) {
    TVemoEventState* before = context->CurrentState();
    EXPECT_EQ(context->PressTool("no-such-tool"), before);
    EXPECT_EQ(context->ReleaseTool("no-such-tool"), before);
}

}  // namespace
