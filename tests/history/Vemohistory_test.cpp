#include <gtest/gtest.h>

#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "archive/Vemo_oarchive.h"
#include "archive/Vemodocumentfile.h"
#include "archive/Vemoobjectio.h"
#include "history/Vemohistory.h"
#include "model/Vemodocument.h"
#include "model/Vemoellipse.h"
#include "model/Vemogroup.h"
#include "model/Vemoobjectvisitor.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"
#include "model/Vemostring.h"
#include "tests/support/Builtstate.h"

namespace {

// ---- building and comparing documents ----

TVemoPath* AddTrack(TVemoContainer& parent, const TVemoLayerPtr& layer, const std::vector<PointF>& nodes) {
    auto path = std::make_unique<TVemoPath>();
    path->SetLayer(layer);
    for (PointF p : nodes) path->AppendNode(p);
    path->Finish();
    return static_cast<TVemoPath*>(parent.AddChild(std::move(path)));
}

// A small board: tracks, a land, a rectangle, an ellipse and a text on
// several layers, one pad group.
std::unique_ptr<TVemoDocument> SmallBoard() {
    auto doc = std::make_unique<TVemoDocument>();
    TVemoLayerList& layers = doc->GetLayerList();
    TVemoPart& root = doc->GetRoot();
    const TVemoLayerPtr solder = layers.Find("solder"), component = layers.Find("component");
    for (int i = 0; i < 4; ++i)
        AddTrack(root, i % 2 ? solder : component,
                 {{10.0f * float(i), 10}, {10.0f * float(i) + 30, 15}, {10.0f * float(i) + 40, 60}});
    TVemoPath* land = AddTrack(root, solder, {{100, 100}, {110, 100}, {110, 110}, {100, 110}});
    land->Close();
    land->SetSurface(TVemoSurface(0.5f, true, false));

    auto rect = std::make_unique<TVemoRect>();
    rect->SetLayer(layers.Find("place_cmp"));
    rect->SetCorners({200, 50}, {240, 80});
    rect->Deselect();
    root.AddChild(std::move(rect));

    auto pad = std::make_unique<TVemoGroup>();
    pad->SetName("pad");
    auto hole = std::make_unique<TVemoEllipse>();
    hole->SetLayer(layers.Find("hole"));
    hole->SetCircle({300, 300}, {304, 300});
    hole->Deselect();
    pad->AddChild(std::move(hole));
    AddTrack(*pad, component, {{296, 300}, {304, 300}});
    root.AddChild(std::move(pad));

    auto text = std::make_unique<TVemoString>();
    text->SetLayer(layers.Find("place_sol"));
    text->SetFont(TVemoFont("MS UI Gothic", 12.0f, 0));
    text->SetText(u"U1 基板");
    text->Translate(50, 200);
    root.AddChild(std::move(text));
    return doc;
}

std::string RootBytes(const TVemoDocument& doc) {
    std::string bytes;
    TVemo_oarchive out(bytes);
    SaveObject(out, doc.GetRoot());
    return bytes;
}

// What undo must bring back: every object as the archive writes it, and the
// layers with names, colours and flags. Which layer is current is left out:
// a restored layer list makes its first layer current, as reading a file does.
std::string StateOf(const TVemoDocument& doc) {
    std::string bytes = RootBytes(doc);
    TVemo_oarchive out(bytes);
    const TVemoLayerList& layers = doc.GetLayerList();
    for (int i = 0; i < layers.Count(); ++i) {
        out.WriteString(layers.At(i)->GetName());
        out.WriteColour(layers.At(i)->GetTranslucentColour());
        out.WriteInt32(layers.At(i)->GetFlags() & ~TVemoLayer::FlagCurrent);
    }
    return bytes;
}

// The document as reading its present bytes anew would build it: the same
// outlines, bounds and colours (undo keeps the objects a step did not change).
void ExpectBuiltAsReadAnew(const TVemoDocument& doc) {
    std::string error;
    const auto fresh = DocumentFromBytes(DocumentBytes(doc), error);
    ASSERT_TRUE(fresh) << error;
    EXPECT_EQ(testsupport::BuiltStateOf(doc.GetRoot()), testsupport::BuiltStateOf(fresh->GetRoot()));
}

// The state of the document written and read back (reading drops the selection).
std::string StateReadAnew(const TVemoDocument& doc) {
    std::string error;
    const auto fresh = DocumentFromBytes(DocumentBytes(doc), error);
    EXPECT_TRUE(fresh) << error;
    return fresh ? StateOf(*fresh) : std::string();
}

// Every object lies on the list's own layer of its layer's name.
void ExpectBoundToList(TVemoDocument& doc) {
    TBasicVisitor all;
    doc.GetRoot().AcceptDeep(all);
    for (TVemoObject* object : all.Objects()) {
        const TVemoLayerPtr layer = object->GetLayer();
        ASSERT_TRUE(layer);
        EXPECT_EQ(layer, doc.GetLayerList().Find(layer->GetName())) << layer->GetName();
    }
}

void MoveFirstChild(TVemoDocument& doc, float dx) {
    doc.GetRoot().GetChild(0)->Translate(dx, 0);
    doc.GetRoot().GetChild(0)->Rebuild();
}

const TSnapshot& RootAfter(const TVemoMemento* memento) {
    if (auto* objects = dynamic_cast<const TObjectsMemento*>(memento)) return objects->RootPart().After();
    return memento->After();
}

// ---- opening ----

TEST(VemoHistory, UndoAndRedoAfterOpeningChangeNothingButMarkModified) {
    std::string error;
    auto read = DocumentFromBytes(DocumentBytes(*SmallBoard()), error);
    ASSERT_TRUE(read) << error;
    TEditedDocument edited(std::move(read));
    const std::string opened = StateOf(edited.Document());
    EXPECT_FALSE(edited.History().IsModified());
    EXPECT_EQ(edited.History().Count(), 1u);
    EXPECT_EQ(edited.History().Weight(), 0);

    EXPECT_FALSE(edited.Undo());
    EXPECT_TRUE(edited.History().IsModified());
    EXPECT_EQ(StateOf(edited.Document()), opened);
    edited.History().ClearModified();
    EXPECT_FALSE(edited.Redo());
    EXPECT_TRUE(edited.History().IsModified());
    EXPECT_EQ(StateOf(edited.Document()), opened);

    // Taking over another document starts a clean history for it.
    edited.SaveRootMemento();
    EXPECT_FALSE(edited.Replace(nullptr));
    EXPECT_TRUE(edited.Replace(std::make_unique<TVemoDocument>()));
    EXPECT_FALSE(edited.History().IsModified());
    EXPECT_EQ(edited.History().Count(), 1u);
    EXPECT_EQ(edited.Document().GetRoot().GetChildCount(), 0);
}

// ---- the weight limit ----

struct TrimCase {
    const char* name;
    bool objects;  // objects mementos (weight 2) instead of root mementos
    int edits;
    std::size_t kept;  // mementos in the history afterwards
    int weight;
    int undoSteps;
};

void PrintTo(const TrimCase& c, std::ostream* os) {
    *os << c.name;
}

class HistoryTrim : public testing::TestWithParam<TrimCase> {};

// Root edits: up to 31 edits everything back to the opened state can be
// undone; the 32nd drops the initial step (subtracting 2 that were never
// added) and from the 33rd on 33 steps, 32 undos, remain.
INSTANTIATE_TEST_SUITE_P(
    Edits, HistoryTrim,
    testing::Values(TrimCase{"root30", false, 30, 31, 30, 30}, TrimCase{"root31", false, 31, 32, 31, 31},
                    TrimCase{"root32", false, 32, 32, 30, 31}, TrimCase{"root33", false, 33, 33, 31, 32},
                    TrimCase{"root45", false, 45, 33, 31, 32}, TrimCase{"objects15", true, 15, 16, 30, 15},
                    TrimCase{"objects16", true, 16, 17, 32, 16}, TrimCase{"objects17", true, 17, 17, 32, 16},
                    TrimCase{"objects25", true, 25, 17, 32, 16}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_P(HistoryTrim, KeepsTheNewestStepsAndUndoesThemInOrder) {
    const TrimCase& c = GetParam();
    TEditedDocument edited(SmallBoard());
    std::vector<std::string> states{StateOf(edited.Document())};
    for (int i = 0; i < c.edits; ++i) {
        MoveFirstChild(edited.Document(), 1.0f);
        c.objects ? edited.SaveObjectsMemento() : edited.SaveRootMemento();
        states.push_back(StateOf(edited.Document()));
    }
    const TVemoHistory& history = edited.History();
    EXPECT_EQ(history.Count(), c.kept);
    EXPECT_EQ(history.Weight(), c.weight);
    EXPECT_EQ(history.CurrentIndex(), c.kept - 1);
    // Neighbours share the snapshot between them.
    for (std::size_t i = 1; i < history.Count(); ++i) {
        const TVemoMemento* m = history.At(i);
        const TSnapshot& before =
            c.objects ? static_cast<const TObjectsMemento*>(m)->RootPart().Before() : m->Before();
        EXPECT_EQ(before.get(), RootAfter(history.At(i - 1)).get()) << "memento " << i;
    }

    int steps = 0;
    while (edited.Undo()) {
        ++steps;
        ASSERT_EQ(StateOf(edited.Document()), states[std::size_t(c.edits - steps)]) << "undo " << steps;
    }
    EXPECT_EQ(steps, c.undoSteps);
    EXPECT_FALSE(history.CanUndo());
    while (edited.Redo()) --steps;
    EXPECT_EQ(steps, 0);
    EXPECT_EQ(StateOf(edited.Document()), states.back());
}

// ---- redo ends with a new edit ----

TEST(VemoHistory, AnEditAfterUndoingDropsTheRedoSteps) {
    TEditedDocument edited(SmallBoard());
    const std::string start = StateOf(edited.Document());
    for (float dx : {1.0f, 2.0f, 3.0f}) {
        MoveFirstChild(edited.Document(), dx);
        edited.SaveRootMemento();
    }
    ASSERT_TRUE(edited.Undo());
    ASSERT_TRUE(edited.Undo());
    EXPECT_TRUE(edited.History().CanRedo());
    const std::string afterFirst = StateOf(edited.Document());

    edited.Document().GetRoot().GetChild(1)->RemoveFromParent();
    edited.SaveRootMemento();
    const std::string edited2 = StateOf(edited.Document());
    EXPECT_FALSE(edited.History().CanRedo());
    EXPECT_EQ(edited.History().Count(), 3u);
    EXPECT_EQ(edited.History().Weight(), 2);
    EXPECT_FALSE(edited.Redo());
    EXPECT_EQ(StateOf(edited.Document()), edited2);

    ASSERT_TRUE(edited.Undo());
    EXPECT_EQ(StateOf(edited.Document()), afterFirst);
    ASSERT_TRUE(edited.Undo());
    EXPECT_EQ(StateOf(edited.Document()), start);
}

// ---- drawing a path ----

TEST(VemoHistory, PathClicksUndoOneByOneAndCollapseIntoOneStep) {
    TEditedDocument edited(SmallBoard());
    TVemoDocument& doc = edited.Document();
    TVemoHistory& history = edited.History();
    const std::string start = StateOf(doc);
    const int children = doc.GetRoot().GetChildCount();

    auto slot = std::make_shared<TVemoPathSlot>();
    std::vector<TVemoPath*> shown;
    slot->styleChanged = [&](TVemoPath* path) { shown.push_back(path); };
    const std::vector<PointF> clicks{{0, 0}, {20, 0}, {20, 20}, {40, 20}, {40, 50}};
    for (PointF p : clicks) {
        if (!slot->path) {
            auto path = std::make_unique<TVemoPath>();
            path->SetLayer(doc.GetLayerList().Current());
            slot->path = static_cast<TVemoPath*>(doc.GetRoot().AddChild(std::move(path)));
        }
        slot->path->AppendNode(p);
        slot->path->Rebuild();
        history.SavePathMemento(slot);
    }
    EXPECT_EQ(history.Count(), 6u);
    EXPECT_EQ(history.Weight(), 0);
    using Points = std::vector<PointF>;
    std::vector<Points> clickPoints;  // newest first
    for (std::size_t n = clicks.size(); n > 0; --n) {
        ASSERT_TRUE(slot->path);
        clickPoints.emplace_back(slot->path->GetPoints().begin(), slot->path->GetPoints().end());
        EXPECT_EQ(clickPoints.back().size(), 3 * n);
        ASSERT_TRUE(edited.Undo());
    }
    // The first click's step removes the path and tells the style panel.
    EXPECT_EQ(slot->path, nullptr);
    EXPECT_EQ(doc.GetRoot().GetChildCount(), children);
    EXPECT_EQ(StateOf(doc), start);
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0], nullptr);

    // Redo re-creates it on the root, shows it and selects its anchors.
    for (std::size_t n = 1; n <= clicks.size(); ++n) {
        ASSERT_TRUE(edited.Redo());
        ASSERT_TRUE(slot->path);
        EXPECT_EQ(Points(slot->path->GetPoints().begin(), slot->path->GetPoints().end()),
                  clickPoints[clicks.size() - n]);
        EXPECT_TRUE(slot->path->IsEditingPoints());
        EXPECT_TRUE(slot->path->GetTypes()[0] & TVemoPath::TypeSelected);
    }
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1], slot->path);
    EXPECT_EQ(doc.GetRoot().GetChild(children), slot->path);

    // Finishing: the click steps go, one root step records the path.
    doc.GetRoot().Deselect();
    slot->path->Finish();
    slot->path = nullptr;
    history.DropTemporary();
    EXPECT_EQ(history.Count(), 1u);
    EXPECT_EQ(history.LastPath(), nullptr);
    edited.SaveRootMemento();
    const std::string finished = StateOf(doc);
    EXPECT_EQ(history.Count(), 2u);
    ASSERT_TRUE(edited.Undo());
    EXPECT_EQ(StateOf(doc), start);
    EXPECT_FALSE(edited.Undo());
    ASSERT_TRUE(edited.Redo());
    EXPECT_EQ(StateOf(doc), finished);
}

// Temporary steps that were already undone: the present state is that of the
// last ordinary step before them, and the steps after it can still be redone.
TEST(VemoHistory, DroppingUndoneTemporaryStepsKeepsThePresentState) {
    TEditedDocument edited(SmallBoard());
    TVemoDocument& doc = edited.Document();
    MoveFirstChild(doc, 5);
    edited.SaveRootMemento();
    const std::string moved = StateOf(doc);
    auto slot = std::make_shared<TVemoPathSlot>();
    auto path = std::make_unique<TVemoPath>();
    path->SetLayer(doc.GetLayerList().Current());
    path->AppendNode({1, 1});
    slot->path = static_cast<TVemoPath*>(doc.GetRoot().AddChild(std::move(path)));
    edited.History().SavePathMemento(slot);

    ASSERT_TRUE(edited.Undo());  // the path goes
    ASSERT_TRUE(edited.Undo());  // the move goes
    edited.History().DropTemporary();
    EXPECT_EQ(edited.History().Count(), 2u);
    EXPECT_EQ(edited.History().CurrentIndex(), 0u);
    ASSERT_TRUE(edited.Redo());
    EXPECT_EQ(StateOf(doc), moved);
}

// ---- layers and objects together ----

TEST(VemoHistory, UndoingALayerDeletionBindsTheObjectsToTheRestoredLayer) {
    TEditedDocument edited(SmallBoard());
    TVemoDocument& doc = edited.Document();
    TVemoLayerList& layers = doc.GetLayerList();
    const std::string start = StateOf(doc);
    const int layerCount = layers.Count();

    // The layer dialog's delete: the objects on the layer at any depth, then the layer.
    layers.SetCurrentByName("component");
    const int index = layers.Current()->GetIndex();
    TLayerVisitor onLayer(index);
    doc.GetRoot().AcceptDeep(onLayer);
    ASSERT_EQ(onLayer.Count(), 3);  // two tracks and the pad's track
    for (TVemoObject* object : onLayer.Objects()) object->RemoveFromParent();
    layers.EraseCurrent();
    edited.SaveObjectsMemento();
    const std::string deleted = StateOf(doc);
    EXPECT_EQ(edited.History().Weight(), 2);

    ASSERT_TRUE(edited.Undo());
    EXPECT_EQ(StateOf(doc), start);
    EXPECT_EQ(layers.Count(), layerCount);  // no grey stand-in layer was made
    const TVemoLayerPtr restored = layers.Find("component");
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->GetIndex(), index);
    TLayerVisitor back(index);
    doc.GetRoot().AcceptDeep(back);
    EXPECT_EQ(back.Count(), 3);
    for (TVemoObject* object : back.Objects()) EXPECT_EQ(object->GetLayer(), restored);
    ExpectBoundToList(doc);

    ASSERT_TRUE(edited.Redo());
    EXPECT_EQ(StateOf(doc), deleted);
    EXPECT_FALSE(layers.Find("component"));
    ExpectBoundToList(doc);
}

// ---- random edits ----

// One edit of the editor, and the step it records.
struct RandomEditor {
    TEditedDocument& edited;
    std::mt19937 rng;
    int layersMade = 0;

    TVemoDocument& Doc() { return edited.Document(); }
    TVemoPart& Root() { return Doc().GetRoot(); }
    TVemoLayerList& Layers() { return Doc().GetLayerList(); }
    int Pick(int n) { return int(rng() % unsigned(n)); }
    float Coord() { return float(Pick(400)) * 0.5f; }
    TVemoObject* AnyChild() { return Root().GetChild(Pick(Root().GetChildCount())); }

    TVemoObject* AnyLeaf() {
        TBasicVisitor all;
        Root().AcceptDeep(all);
        return all.Objects()[std::size_t(Pick(int(all.Objects().size())))];
    }

    void NewTrack() {
        AddTrack(Root(), Layers().Current() ? Layers().Current() : Layers().At(0),
                 {{Coord(), Coord()}, {Coord(), Coord()}});
        edited.SaveRootMemento();
    }
    void Move() {
        if (Root().GetChildCount() == 0) return NewTrack();
        AnyChild()->Translate(Coord() - 100, Coord() - 100);
        Root().Rebuild();
        edited.SaveRootMemento();
    }
    void Rotate() {
        if (Root().GetChildCount() == 0) return NewTrack();
        AnyChild()->Rotate(90, {Coord(), Coord()});
        Root().Rebuild();
        edited.SaveRootMemento();
    }
    void Mirror() {
        if (Root().GetChildCount() == 0) return NewTrack();
        Matrix m;
        const float c = Coord();
        m.Translate(-c, 0);
        m.Scale(-1, 1);
        m.Translate(c, 0);
        TVemoObject* object = AnyChild();
        object->Transform(m);
        object->Reverse();
        Root().Rebuild();
        edited.SaveRootMemento();
    }
    void Delete() {
        if (Root().GetChildCount() <= 4) return NewTrack();
        AnyChild()->RemoveFromParent();
        edited.SaveRootMemento();
    }
    void Group() {
        if (Root().GetChildCount() < 4) return NewTrack();
        auto group = std::make_unique<TVemoGroup>();
        for (int k = 0; k < 2 + Pick(2); ++k) {
            TVemoObject* member = AnyChild();
            group->AddCopy(*member);
            member->RemoveFromParent();
        }
        group->Deselect();
        Root().AddChild(std::move(group));
        edited.SaveRootMemento();
    }
    void Ungroup() {
        for (int i = 0; i < Root().GetChildCount(); ++i) {
            if (auto* group = dynamic_cast<TVemoGroup*>(Root().GetChild(i))) {
                for (int k = 0; k < group->GetChildCount(); ++k) Root().AddCopy(*group->GetChild(k));
                group->RemoveFromParent();
                edited.SaveRootMemento();
                return;
            }
        }
        Group();
    }
    void Style() {
        if (Root().GetChildCount() == 0) return NewTrack();
        TVemoObject* leaf = AnyLeaf();
        TVemoSurface surface = *leaf->GetSurface();
        surface.SetFill(!surface.GetFill());
        surface.SetWidth(float(1 + Pick(8)));
        surface.SetJoin(Pick(3));
        leaf->SetSurface(surface);
        edited.SaveRootMemento();
    }
    void ChangeLayer() {
        if (Root().GetChildCount() == 0) return NewTrack();
        AnyLeaf()->SetLayer(Layers().At(Pick(Layers().Count())));
        edited.SaveRootMemento();
    }
    void AddLayer() {
        Layers().Insert(std::make_shared<TVemoLayer>(0xFF000000u | rng(),
                                                     std::string("L").append(std::to_string(++layersMade))));
        edited.SaveLayerListMemento();
    }
    void ReorderLayers() {
        Layers().Move(Layers().At(Pick(Layers().Count())), Layers().At(Pick(Layers().Count())));
        edited.SaveLayerListMemento();
    }
    void DeleteLayer() {
        if (Layers().Count() <= 5) return AddLayer();
        Layers().SetCurrent(Layers().At(Pick(Layers().Count())));
        TLayerVisitor onLayer(Layers().Current()->GetIndex());
        Root().AcceptDeep(onLayer);
        for (TVemoObject* object : onLayer.Objects()) object->RemoveFromParent();
        Layers().EraseCurrent();
        edited.SaveObjectsMemento();
    }
    // A few clicks, one of them taken back, then finished into one root step.
    void DrawPath() {
        auto slot = std::make_shared<TVemoPathSlot>();
        auto path = std::make_unique<TVemoPath>();
        path->SetLayer(Layers().Current() ? Layers().Current() : Layers().At(0));
        slot->path = static_cast<TVemoPath*>(Root().AddChild(std::move(path)));
        for (int k = 0; k < 4; ++k) {
            slot->path->AppendNode({Coord(), Coord()});
            slot->path->Rebuild();
            edited.History().SavePathMemento(slot);
        }
        edited.Undo();
        Root().Deselect();
        slot->path->Finish();
        slot->path = nullptr;
        edited.History().DropTemporary();
        edited.SaveRootMemento();
    }

    void RandomEdit() {
        using Edit = void (RandomEditor::*)();
        static constexpr Edit kEdits[] = {
            &RandomEditor::NewTrack, &RandomEditor::Move,          &RandomEditor::Rotate,
            &RandomEditor::Mirror,   &RandomEditor::Delete,        &RandomEditor::Group,
            &RandomEditor::Ungroup,  &RandomEditor::Style,         &RandomEditor::ChangeLayer,
            &RandomEditor::AddLayer, &RandomEditor::ReorderLayers, &RandomEditor::DeleteLayer,
            &RandomEditor::DrawPath,
        };
        (this->*kEdits[Pick(int(std::size(kEdits)))])();
    }
};

class HistoryRandomEdits : public testing::TestWithParam<unsigned> {};

INSTANTIATE_TEST_SUITE_P(Seeds, HistoryRandomEdits, testing::Values(1u, 2u, 3u));

// Every undo brings back the state before its edit, as far back as the limit
// keeps steps, and redoing all of them ends in the final state.
TEST_P(HistoryRandomEdits, UndoAllThenRedoAllRetraceTheStates) {
    TEditedDocument edited(SmallBoard());
    RandomEditor editor{edited, std::mt19937(GetParam())};
    std::vector<std::string> states{StateOf(edited.Document())};
    constexpr int kEdits = 200;
    for (int i = 0; i < kEdits; ++i) {
        editor.RandomEdit();
        states.push_back(StateOf(edited.Document()));
        ASSERT_FALSE(edited.History().CanRedo()) << "edit " << i;
    }
    ASSERT_EQ(edited.History().Count(), std::size_t(edited.History().CurrentIndex() + 1));

    // One step per edit, so the oldest kept step holds the state this many edits back.
    const int reachable = int(edited.History().Count()) - 1;
    EXPECT_GE(reachable, 16);  // even if every step weighed 2
    for (int step = 1; step <= reachable; ++step) {
        ASSERT_TRUE(edited.Undo()) << "undo " << step;
        ASSERT_EQ(StateOf(edited.Document()), states[std::size_t(kEdits - step)]) << "undo " << step;
        ExpectBoundToList(edited.Document());
        ASSERT_NO_FATAL_FAILURE(ExpectBuiltAsReadAnew(edited.Document())) << "undo " << step;
    }
    EXPECT_FALSE(edited.Undo());
    for (int step = reachable - 1; step >= 0; --step) {
        ASSERT_TRUE(edited.Redo());
        ASSERT_EQ(StateOf(edited.Document()), states[std::size_t(kEdits - step)]) << "redo to " << step;
        ASSERT_NO_FATAL_FAILURE(ExpectBuiltAsReadAnew(edited.Document())) << "redo to " << step;
    }
    EXPECT_FALSE(edited.Redo());
    ExpectBoundToList(edited.Document());
}

// Undo takes over the objects a step did not touch, and even then restores
// what was recorded: an edit made after the last step (and never recorded), a
// selection, a handle picked for dragging and a style changed in place are all
// gone after undo and redo, as if the bytes had been read anew.
TEST(VemoHistory, UndoAndRedoRestoreRecordedStatesOverUnrecordedChanges) {
    for (const bool reuse : {true, false}) {
        SCOPED_TRACE(reuse ? "objects taken over" : "every object read anew");
        TEditedDocument edited(SmallBoard());
        edited.History().SetReusesObjects(reuse);
        // A name the file cannot hold as it stands (no é in CP932) reads back otherwise.
        edited.Document().GetRoot().GetChild(3)->SetName("caf\xC3\xA9");
        // Recorded while selected: read back, it is not.
        edited.Document().GetRoot().GetChild(4)->Select();
        auto* text = dynamic_cast<TVemoString*>(edited.Document().GetRoot().GetChild(7));
        ASSERT_TRUE(text);
        text->Select();
        edited.SaveRootMemento();
        const std::string opened = StateReadAnew(edited.Document());
        MoveFirstChild(edited.Document(), 5);
        edited.SaveRootMemento();
        const std::string moved = StateReadAnew(edited.Document());

        TVemoPart& root = edited.Document().GetRoot();
        root.GetChild(1)->Translate(0, 7);  // never recorded
        root.GetChild(2)->Select();
        auto* rect = dynamic_cast<TVemoRect*>(root.GetChild(5));
        ASSERT_TRUE(rect);
        rect->Select();
        rect->SelectAllAnchors();
        ASSERT_TRUE(rect->IsHandleSelected(0));
        text->SelectAllAnchors();
        // A style changed in place without a rebuild leaves an outline that no
        // longer fits; it must not be kept.
        rect->GetSurface()->SetWidth(9.0f);

        ASSERT_TRUE(edited.Undo());
        EXPECT_EQ(StateOf(edited.Document()), opened);
        ExpectBuiltAsReadAnew(edited.Document());
        ASSERT_TRUE(edited.Redo());
        EXPECT_EQ(StateOf(edited.Document()), moved);
        ExpectBuiltAsReadAnew(edited.Document());
    }
}

}  // namespace
