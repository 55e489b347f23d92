#pragma once
// The selection tool, the editor's default tool: picks objects with the
// pointer or a rubber band, drags them, moves them with the arrow keys, and
// carries out the edit commands on the picked objects (group, ungroup, rotate,
// mirror, numeric move-and-rotate, reverse points, cut, copy, paste, delete,
// undo, redo). Four states share one selection:
//   TVemoSelectState         the tool itself;
//   TVemoSelectNullState     a press on empty space, waiting for a drag;
//   TVemoSelectRectState     the rubber band;
//   TVemoSelectNumericState  waiting for the click that opens the numeric dialog.

#include <string>
#include <vector>

#include "model/Vemoobjectvisitor.h"
#include "states/Vemoeventstate.h"

class TVemoObject;

// The clipboard holds the archive header followed by one tagged record per
// object, the same bytes a document file uses for them.
std::string WriteClipboardObjects(const std::vector<TVemoObject*>& objects);

class TVemoSelectStateIF : public TVemoEventState {
public:
    explicit TVemoSelectStateIF(TVemoEventContext& context);

    // Deselects everything and forgets the selection (a tool change).
    TVemoEventState* Leave() override;
    // The objects the edit commands act on: the top-level objects flagged
    // selected, in the root's order. Valid until the document changes.
    const std::vector<TVemoObject*>& Selection() const { return selection_.Objects(); }

protected:
    // Empties the selection and refills it from the root's selected objects.
    void RefillSelection();
    void ClearSelection();
    bool SnapOn() const;
    // The point on the grid when snapping is on, else unchanged.
    PointF Snapped(PointF p) const;

    // The tool session's select data (see TVemoToolSession::TSelect).
    TSelObjectVisitor& selection_;
    std::vector<TVemoObject*>& candidates_;
    bool& moved_;
    bool& keyMoved_;
};

class TVemoSelectState : public TVemoSelectStateIF {
public:
    using TVemoSelectStateIF::TVemoSelectStateIF;
    static constexpr int kBankIndex = 3;
    TVemoEventState* MouseDown(TShiftState shift, PointF point) override;
    TVemoEventState* MouseMove(TShiftState shift, PointF point) override;
    TVemoEventState* MouseUp(TShiftState shift, PointF point) override;
    TVemoEventState* KeyDown(int key) override;
    TVemoEventState* KeyUp(int key) override;
    TVemoEventState* Command(TEditCommand code) override;

private:
    TVemoEventState* LeftPick(TShiftState shift, PointF point);
    TVemoEventState* RightPick(PointF point);
    void UndoRedo(bool redo);
    void Cut();
    void Copy();
    void Paste();
    void Delete();
    void Group();
    void UnGroup();
    void Rotate90();
    void Mirror();
    void ReversePoints();
    void ArrowMove(int key);
    void OffsetCopies();
    // The centre of the selection's bounds, on the grid when snapping is on.
    PointF SelectionCentre() const;
};

class TVemoSelectNullState : public TVemoSelectStateIF {
public:
    using TVemoSelectStateIF::TVemoSelectStateIF;
    static constexpr int kBankIndex = 4;
    // Starts the rubber band once the pointer has moved more than 5 pixels.
    TVemoEventState* MouseMove(TShiftState shift, PointF point) override;
    TVemoEventState* MouseUp(TShiftState shift, PointF point) override;
};

class TVemoSelectRectState : public TVemoSelectStateIF {
public:
    using TVemoSelectStateIF::TVemoSelectStateIF;
    static constexpr int kBankIndex = 5;
    // Outlines the band on the window only; no bitmap holds it.
    TVemoEventState* MouseMove(TShiftState shift, PointF point) override;
    // Selects every top-level object the band meets, replacing the selection.
    TVemoEventState* MouseUp(TShiftState shift, PointF point) override;
};

class TVemoSelectNumericState : public TVemoSelectStateIF {
public:
    using TVemoSelectStateIF::TVemoSelectStateIF;
    static constexpr int kBankIndex = 6;
    // Opens the numeric dialog with the (snapped) point as its anchor.
    TVemoEventState* MouseDown(TShiftState shift, PointF point) override;
    TVemoEventState* MouseMove(TShiftState shift, PointF point) override;
    TVemoEventState* KeyDown(int key) override;
    TVemoEventState* KeyUp(int key) override;
    // ecFinish puts the numeric button up and goes back to the select state.
    TVemoEventState* Command(TEditCommand code) override;
};
