// The event context: the state bank, the save prompt, status and caption
// texts, and one redraw per burst of requests.

#include <filesystem>
#include <fstream>
#include <string>
#include <typeinfo>

#include <QTemporaryDir>

#include "archive/Vemodocumentfile.h"
#include "model/Vemodocument.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopart.h"
#include "model/Vemorectangle.h"
#include "states/Vemoeditstep.h"
#include "tests/states/Statefixture.h"

namespace {

TEST_F(StateTest, StateBankHoldsOneLazyInstanceOfEachOfTheStates) {
    TVemoStateBank bank(*context);
    EXPECT_EQ(bank.Made(), 0);
    TVemoEventState* first = bank.Get<TVemoSelectState>(nullptr);
    EXPECT_EQ(bank.Made(), 1);
    TVemoPathState* tool = bank.Get<TVemoPathState>(nullptr);
    EXPECT_EQ(bank.Get<TVemoSelectState>(tool), first);
    EXPECT_EQ(first->ReturnState(), tool);  // replaced by the later request
    EXPECT_EQ(bank.Get<TVemoSelectState>(nullptr)->ReturnState(), nullptr);

    // Every class has a slot of its own: a shared slot would hand out the wrong class.
    const std::type_info* made[] = {
        &typeid(*bank.Get<TVemoViewState>(nullptr)),
        &typeid(*bank.Get<TVemoScaleUpState>(nullptr)),
        &typeid(*bank.Get<TVemoScaleDownState>(nullptr)),
        &typeid(*bank.Get<TVemoSelectState>(nullptr)),
        &typeid(*bank.Get<TVemoSelectNullState>(nullptr)),
        &typeid(*bank.Get<TVemoSelectRectState>(nullptr)),
        &typeid(*bank.Get<TVemoSelectNumericState>(nullptr)),
        &typeid(*bank.Get<TVemoPointState>(nullptr)),
        &typeid(*bank.Get<TVemoPointNullState>(nullptr)),
        &typeid(*bank.Get<TVemoPointRectState>(nullptr)),
        &typeid(*bank.Get<TVemoPointHandleState>(nullptr)),
        &typeid(*bank.Get<TVemoHandleRemakeState>(nullptr)),
        &typeid(*bank.Get<TVemoAddPointState>(nullptr)),
        &typeid(*bank.Get<TVemoAddPointToolState>(nullptr)),
        &typeid(*bank.Get<TVemoPathState>(nullptr)),
        &typeid(*bank.Get<TVemoPolyState>(nullptr)),
        &typeid(*bank.Get<TVemoRectState>(nullptr)),
        &typeid(*bank.Get<TVemoEllipseState>(nullptr)),
        &typeid(*bank.Get<TVemoStringState>(nullptr)),
        &typeid(*bank.Get<TVemoPadState>(nullptr)),
        &typeid(*bank.Get<TVemoLibState>(nullptr)),
        &typeid(*bank.Get<TVemoPartsState>(nullptr)),
    };
    EXPECT_EQ(bank.Made(), TVemoStateBank::kStateCount);
    EXPECT_EQ(*made[0], typeid(TVemoViewState));
    EXPECT_EQ(*made[13], typeid(TVemoAddPointToolState));
    EXPECT_EQ(*made[21], typeid(TVemoPartsState));
    bank.Release();
    EXPECT_EQ(bank.Made(), 0);
}

// The document is modified by one recorded edit.
void Modify(TVemoEventContext& context) {
    context.History().SaveRootMemento(context.Document());
}

TEST_F(StateTest, QuerySaveAnswers) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string named = dir.filePath("named.vbf").toStdString();
    const std::string chosen = dir.filePath("chosen.vbf").toStdString();
    const std::string unwritable = dir.filePath("no-such-folder/board.vbf").toStdString();

    struct Row {
        const char* name;
        bool modified;
        std::string fileName;  // the document's before asking
        TAnswer user;
        std::optional<std::string> dialog;  // the save dialog's answer
        TAnswer expected;
        std::string written;  // the file that must exist afterwards, or ""
        bool stillModified;
        int questions, dialogs, errors;
    } rows[] = {
        {"Unmodified", false, "", TAnswer::Yes, std::nullopt, TAnswer::Yes, "", false, 0, 0, 0},
        {"No", true, named, TAnswer::No, std::nullopt, TAnswer::No, "", true, 1, 0, 0},
        {"Cancel", true, named, TAnswer::Cancel, std::nullopt, TAnswer::Cancel, "", true, 1, 0, 0},
        {"YesNamed", true, named, TAnswer::Yes, std::nullopt, TAnswer::Yes, named, false, 1, 0, 0},
        {"YesUntitledChosen", true, "", TAnswer::Yes, chosen, TAnswer::Yes, chosen, false, 1, 1, 0},
        // Sound: nothing was saved, so New, Open and close must not go on.
        {"YesUntitledDialogCancelled", true, "", TAnswer::Yes, std::nullopt, TAnswer::Cancel, "", true, 1, 1,
         0},
        // Sound: a failed write is said, keeps the mark and stops the caller.
        {"YesWriteFails", true, unwritable, TAnswer::Yes, std::nullopt, TAnswer::Cancel, "", true, 1, 0, 1},
        {"YesUntitledChosenWriteFails", true, "", TAnswer::Yes, unwritable, TAnswer::Cancel, "", true, 1, 1,
         1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove(named);
        std::filesystem::remove(chosen);
        ui = TFakeUi();
        context->SetDocument(nullptr);
        context->SetFileName(row.fileName);
        if (row.modified) Modify(*context);
        ui.answer = row.user;
        ui.saveName = row.dialog;

        EXPECT_EQ(context->QuerySave(), row.expected);
        EXPECT_EQ(context->History().IsModified(), row.stillModified);
        EXPECT_EQ(int(ui.questions.size()), row.questions);
        EXPECT_EQ(ui.saveDialogs, row.dialogs);
        EXPECT_EQ(int(ui.errors.size()), row.errors);
        if (row.questions) {
            EXPECT_EQ(ui.questions[0], "ファイルの変更を保存しますか?");
        }
        for (const std::string& path : {named, chosen})
            EXPECT_EQ(std::filesystem::exists(path), path == row.written) << path;
        if (!row.written.empty()) {
            std::string error;
            EXPECT_NE(ReadDocumentFile(row.written, error), nullptr) << error;
            EXPECT_EQ(context->Document().GetFileName(), row.written);
            EXPECT_EQ(ui.caption, row.written);
        }
        if (row.errors) {
            // The message names the file and says why.
            EXPECT_NE(ui.errors[0].find(unwritable), std::string::npos) << ui.errors[0];
            EXPECT_GT(ui.errors[0].size(), unwritable.size() + 20) << ui.errors[0];
            EXPECT_EQ(context->Document().GetFileName(), row.fileName);
        }
    }
}

TEST_F(StateTest, StatusBarTexts) {
    context->ShowPosition(PointF(127.0f, -50.5f));
    EXPECT_EQ(ui.status[0], "X  12.700000 Y  -5.050000");
    EXPECT_EQ(ui.status[1], "X  12.700000 Y  -5.050000");
    context->SetOrigin(PointF(100.0f, 100.0f));
    EXPECT_EQ(ui.status[1], "X= 0.000000 Y= 0.000000");
    context->ShowPosition(PointF(100.0f, 99.99999f));
    EXPECT_EQ(ui.status[0], "X  10.000000 Y  10.000000");
    // A tiny negative offset rounds to zero, shown without a sign.
    EXPECT_EQ(ui.status[1], "X   0.000000 Y   0.000000");
    EXPECT_EQ(ui.status.count(2), 0u);

    // A pointer move shows its position in millimetres (snapping off here, or
    // the select tool shows the grid point); moves above the window are dropped.
    context->Document().ClearViewFlags(TVemoDocumentInfo::ViewSnapToGrid);
    context->MouseMove(0, 110, 60);
    EXPECT_EQ(ui.status[0], "X   1.000000 Y   1.000000");
    context->MouseMove(0, 110, -1);
    EXPECT_EQ(ui.status[0], "X   1.000000 Y   1.000000");
}

TEST_F(StateTest, CaptionFollowsTheFileName) {
    EXPECT_EQ(ui.caption, "");
    context->SetDocument(nullptr);
    EXPECT_EQ(ui.caption, "zelko");
    context->SetFileName("/boards/amp.vbf");
    EXPECT_EQ(ui.caption, "/boards/amp.vbf");
    auto doc = std::make_unique<TVemoDocument>();
    doc->SetFileName("/boards/other.vbf");
    context->SetDocument(std::move(doc));
    EXPECT_EQ(ui.caption, "/boards/other.vbf");
}

TEST_F(StateTest, NewDocumentLeavesTheToolOnceAndSelects) {
    TProbeState probe(*context);
    context->PressTool("rect");
    context->ChangeState(&probe);
    Modify(*context);
    context->SetDocument(nullptr);
    EXPECT_EQ(probe.leaves, 1);
    EXPECT_EQ(typeid(*context->CurrentState()), typeid(TVemoSelectState));
    EXPECT_TRUE(context->MenuControl().Find("select")->IsDown());
    EXPECT_FALSE(context->MenuControl().Find("rect")->IsDown());
    EXPECT_FALSE(context->History().IsModified());
    // The new document takes the window's size.
    EXPECT_EQ(context->Document().GetWindowWidth(), 200);
    EXPECT_EQ(context->MainBitmap().Width(), 200);
}

TEST_F(StateTest, OneRedrawPerBurst) {
    context->Idle();
    ui.presents = 0;
    EXPECT_FALSE(context->Idle());
    EXPECT_EQ(ui.presents, 0);  // nothing asked, nothing shown
    for (int i = 0; i < 5; ++i) {
        context->InvalidateWindow();
        context->Invalidate();
        context->InvalidateOverlay();
    }
    context->Idle();
    context->Idle();
    EXPECT_EQ(ui.presents, 1);
}

TEST_F(StateTest, SlowRedrawsShowTheOldPictureMovedFirst) {
    context->Document().SetGrid(100.0);
    context->Idle();
    const std::uint32_t centre = context->OverlayBitmap().Pixel(100, 50);
    context->SetPreviewBudget(std::chrono::microseconds(-1));  // every redraw counts as slow

    // A change of content is drawn exactly at once.
    context->Invalidate();
    EXPECT_FALSE(context->Idle());

    // A view change shows the preview, then the exact picture at the next idle.
    ui.presents = 0;
    context->MouseWheel(0, 120, 100, 50);
    EXPECT_TRUE(context->Idle());
    EXPECT_EQ(ui.presents, 1);
    EXPECT_EQ(ui.lastCentre, centre);
    EXPECT_FALSE(context->Idle());
    EXPECT_EQ(ui.presents, 2);

    // Another wheel step before the exact picture: a new preview instead.
    context->MouseWheel(0, 120, 10, 10);
    EXPECT_TRUE(context->Idle());
    context->MouseWheel(0, 120, 10, 10);
    EXPECT_TRUE(context->Idle());
    EXPECT_FALSE(context->Idle());
    EXPECT_FALSE(context->Idle());
    EXPECT_EQ(ui.presents, 5);
}

}  // namespace

namespace {

TVemoObject* AddRect(TVemoEventContext& context, PointF a, PointF b) {
    auto rect = std::make_unique<TVemoRect>();
    rect->SetLayer(context.Document().GetLayerList().Current());
    rect->SetSurface(TVemoSurface(2.0f, true, false));  // filled: a click inside picks it
    rect->SetCorners(a, b);
    rect->Deselect();
    return context.RootObject().AddChild(std::move(rect));
}

}  // namespace

TEST_F(StateTest, AnEditStepRecordsAChangeOnceAndNothingElse) {
    struct Row {
        const char* name;
        bool change;
        bool dismiss;
        TStepKind kind;
        std::size_t steps;
    };
    const Row rows[] = {
        {"open and closed without a change", false, false, TStepKind::Root, 0},
        {"a new object, committed at the end of the scope", true, false, TStepKind::Root, 1},
        {"a new object, dismissed", true, true, TStepKind::Root, 0},
        {"a new object as an objects-and-layers step", true, false, TStepKind::Objects, 1},
        {"a layer list without a change", false, false, TStepKind::LayerList, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        context->SetDocument(nullptr);
        const std::size_t before = context->History().Count();
        {
            TEditStep step(*context, row.kind);
            if (row.change) AddRect(*context, {0, 0}, {20, 10});
            if (row.dismiss) step.Dismiss();
        }
        EXPECT_EQ(context->History().Count(), before + row.steps);
        EXPECT_EQ(context->History().DiffersFromSaved(), row.steps > 0);
    }
    // A second commit of one step records nothing more.
    TEditStep step(*context, TStepKind::Root);
    AddRect(*context, {30, 0}, {40, 10});
    const std::size_t before = context->History().Count();
    step.Commit();
    step.Commit();
    EXPECT_EQ(context->History().Count(), before + 1);
    ASSERT_TRUE(context->History().Undo(context->Document()));
    EXPECT_EQ(context->RootObject().GetChildCount(), 0);
}

TEST_F(StateTest, TwoWindowsKeepTheirOwnSelectionAndKeys) {
    TFakeUi otherUi;
    TVemoEventContext other(otherUi);
    other.Resize(200, 100);
    for (TVemoEventContext* c : {context.get(), &other}) AddRect(*c, {-20, -10}, {20, 10});
    // A click on the rectangle in the first window selects it there only.
    const PointF at = context->Document().GetViewMatrix().Map(PointF(0, 0));
    context->MouseDown(ssLeft, int(at.x), int(at.y));
    context->MouseUp(0, int(at.x), int(at.y));
    context->KeyDown(vk::Space);
    EXPECT_EQ(context->Session().Selection().size(), 1u);
    EXPECT_TRUE(other.Session().Selection().empty());
    EXPECT_TRUE(context->Session().keys.Is(TVemoKeyState::ksSpace));
    EXPECT_EQ(other.Session().keys.Flags(), 0u);
    EXPECT_EQ(typeid(*other.CurrentState()), typeid(TVemoSelectState));
    EXPECT_NE(other.StateBank().Get<TVemoSelectState>(nullptr),
              context->StateBank().Get<TVemoSelectState>(nullptr));
    context->KeyUp(vk::Space);
}
