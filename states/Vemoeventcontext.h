#pragma once
// The one object through which every pointer, wheel and key event of the
// design window reaches the current tool state. It owns the open document with
// its history, the tool panel and the two bitmaps of the window, and turns the
// redraw requests made while handling events into one redraw per burst.

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "archive/Filestamp.h"
#include "history/Vemohistory.h"
#include "render/Redraw.h"
#include "states/Vemoeventstate.h"
#include "states/Vemomenucontrol.h"
#include "states/Vemostylepanel.h"
#include "states/Vemotoolsession.h"
#include "states/Vemoui.h"

class QImage;
class TVemoPart;
class TVemoStateBank;

class TVemoEventContext {
public:
    // Starts with a new default document and the select tool current.
    explicit TVemoEventContext(TVemoUi& ui);
    TVemoEventContext(const TVemoEventContext&) = delete;
    TVemoEventContext& operator=(const TVemoEventContext&) = delete;
    ~TVemoEventContext();

    // Events of the design window; positions in window pixels.
    void MouseDown(TShiftState shift, int x, int y);
    // Dropped above the window (y < 0).
    void MouseMove(TShiftState shift, int x, int y);
    void MouseUp(TShiftState shift, int x, int y);
    void MouseWheel(TShiftState shift, int delta, int x, int y);
    // Key messages of the whole application. Automatic repeats reach the state
    // only for the arrow keys; a repeated key-up (the platform sends one before
    // each repeated key-down) is dropped, or holding Space would leave the pan.
    void KeyDown(int key, bool autoRepeat = false);
    void KeyUp(int key, bool autoRepeat = false);
    // The window's size in pixels: the view and both bitmaps follow it.
    void Resize(int width, int height);
    // The window was uncovered.
    void Paint() { InvalidateWindow(); }

    // The redraw cycle: the cheapest work that serves every request, then
    // Present. When a full redraw is due only because the view moved and the
    // last one took longer than the preview budget, the old picture is shown
    // moved and scaled to the new view first, and the full redraw waits for the
    // next call; true then, and ScheduleIdle has been asked again.
    bool Idle();
    // Whether a redraw request waits for Idle.
    bool RedrawPending() const { return view_.Pending(); }
    // What the window shows is the exact picture, with no redraw left to do.
    bool PictureFinal() const { return !view_.Pending() && !view_.ShowsPreview(); }
    // Full redraws slower than this show a preview first (see Idle).
    void SetPreviewBudget(std::chrono::microseconds budget) { view_.SetPreviewBudget(budget); }

    void ChangeState(TVemoEventState* state);
    // Takes over a document (null: a new one), starting its history afresh.
    void SetDocument(std::unique_ptr<TVemoDocument> document);
    TVemoEventState* PressTool(const std::string& name);
    TVemoEventState* ReleaseTool(const std::string& name);
    void SendCommand(TEditCommand code);
    // Records the undo step of an edit just made, through the current state
    // (a path being drawn takes it as one of its temporary steps). Prefer a
    // TEditStep opened before the edit.
    void RecordStep(TStepKind kind);

    void Invalidate();
    void InvalidateOverlay();
    void InvalidateWindow();
    // Zooms and pans so that the whole design area fills most of the window.
    void ShowWholeArea();
    // Shows the picture shifted by (dx, dy) document units at once (live panning).
    void PreviewPan(double dx, double dy);
    // Shows the window's picture with the rubber band spanned by two document
    // points outlined on it at once; the bitmaps are left as they are.
    void ShowRubberBand(PointF a, PointF b);
    void HideRubberBand();

    // Status panel 0: the point in millimetres; panel 1: its offset from the origin.
    void ShowPosition(PointF point);
    void SetOrigin(PointF point);
    void SetCursor(int id) { ui_.SetCursor(id); }
    void SetFileName(const std::string& name);
    void UpdateCaption();
    // Asks to save a modified document. Yes: saved or nothing to save; No: the
    // user drops the changes; Cancel: keep the document, go no further (also
    // when the save dialog was cancelled or the file could not be written).
    TAnswer QuerySave();
    // Writes the document to name safely. On success the document takes the
    // name and is no longer modified; on failure the user is told the file and
    // the reason, and the document keeps its name and modified mark. When the
    // document's own file was written elsewhere since it was read or saved
    // here, the user is asked first (overwrite, save as, cancel).
    bool WriteDocument(const std::string& name);

    TVemoPart& RootObject();
    TVemoDocument& Document() { return edited_->Document(); }
    TVemoHistory& History() { return edited_->History(); }
    TMenuControl& MenuControl() { return *menuControl_; }
    // What the style panel shows of the selection, and the style of new objects.
    TVemoStylePanel& StylePanel() { return *stylePanel_; }
    TVemoEventState* CurrentState() const { return current_; }
    // The tools' shared working data, and the one instance of each state.
    TVemoToolSession& Session() { return session_; }
    const TVemoToolSession& Session() const { return session_; }
    TVemoStateBank& StateBank() { return *bank_; }
    const TDIBitmap& MainBitmap() const { return view_.Main(); }
    const TDIBitmap& OverlayBitmap() const { return view_.Overlay(); }
    // The picture shown behind the design area when the view asks for it.
    // A new document starts without one.
    void SetBackground(const QImage& image);
    const QImage& Background() const { return view_.Background(); }
    TVemoUi& Ui() { return ui_; }
    // Window pixels to document units, through the inverse of the view transform.
    PointF ToDocument(double x, double y) const;

private:
    TVemoUi& ui_;
    std::unique_ptr<TEditedDocument> edited_;
    // Before the states, which refer to it, and the panels, which make states.
    TVemoToolSession session_;
    std::unique_ptr<TVemoStateBank> bank_;
    TVemoEventState* current_ = nullptr;
    // The window's two bitmaps and the redraw cycle over them.
    render::TRenderView view_;
    // The document's file as this window last read or wrote it.
    std::optional<TFileStamp> diskStamp_;
    std::unique_ptr<TMenuControl> menuControl_;
    std::unique_ptr<TVemoStylePanel> stylePanel_;
    bool bandShown_ = false;
    PointF origin_{};
    int windowWidth_ = 0, windowHeight_ = 0;
};
