#pragma once
// The base of every interaction state of the editor, the key flags they share
// and the plain event data they receive. Each handler returns the state that
// is current afterwards, so a tool changes mode by returning another state.
// States never draw: they change the document and set redraw flags.

#include <cmath>
#include <cstdint>

#include "model/Vemotypes.h"
#include "states/Vemoeditstep.h"

class TVemoDocument;
class TVemoEventContext;
class TVemoStateBank;

// A press turns into a band or a drag once the pointer has gone further than
// this many window pixels from where it was pressed, in either direction.
inline constexpr double kDragThresholdPixels = 5.0;
inline bool PastDragThreshold(PointF pressed, PointF point, double zoom) {
    const double t = kDragThresholdPixels / zoom;
    return std::fabs(point.x - pressed.x) > t || std::fabs(point.y - pressed.y) > t;
}

// Edit commands sent by menus and sub-tool buttons to the current state.
enum TEditCommand : std::uint8_t {
    ecUndo = 0,
    ecRedo = 1,
    ecScaleUp = 2,
    ecScaleDown = 3,
    ecCut = 4,
    ecCopy = 5,
    ecPaste = 6,
    ecDelete = 7,
    ecGroup = 8,
    ecUnGroup = 9,
    ecRotate = 10,
    ecNumeric = 11,
    ecMirror = 12,
    ecReversePoints = 13,
    ecAddPoint = 14,
    ecFinish = 15,
};

// Modifier keys and buttons of a pointer event. A button-down carries the
// pressed button; a button-up no longer carries the released one.
enum TShiftFlag : std::uint32_t {
    ssShift = 0x01,
    ssAlt = 0x02,
    ssCtrl = 0x04,
    ssLeft = 0x08,
    ssRight = 0x10,
    ssMiddle = 0x20,
    ssDouble = 0x40,
};
using TShiftState = std::uint32_t;

// Windows virtual-key numbers, which the states compare.
namespace vk {
inline constexpr int Back = 8, Tab = 9, Return = 13, Shift = 16, Control = 17, Menu = 18, Escape = 27,
                     Space = 32, Left = 37, Up = 38, Right = 39, Down = 40, Delete = 46;
}

// The held tracked keys, one bit each. Combinations are compared as whole
// words: Ctrl+G is exactly Ctrl and G, and holding any other tracked key as
// well defeats it. One word per editor window, in its tool session.
class TVemoKeyState {
public:
    static constexpr std::uint32_t ksCtrl = 0x008, ksShift = 0x010, ksSpace = 0x020, ksX = 0x040, ksY = 0x080,
                                   ksZ = 0x100, ksR = 0x200, ksM = 0x400, ksG = 0x800;
    static constexpr std::uint32_t ksView = ksSpace, ksScaleUp = ksSpace | ksX, ksScaleDown = ksSpace | ksZ;

    // The bit of a tracked key, 0 for any other.
    static std::uint32_t BitOf(int key);
    void KeyDown(int key) { flags_ |= BitOf(key); }
    void KeyUp(int key) { flags_ &= ~BitOf(key); }
    std::uint32_t Flags() const { return flags_; }
    bool Is(std::uint32_t combination) const { return flags_ == combination; }
    // Forgets every held key (the window lost the keyboard).
    void Clear() { flags_ = 0; }

private:
    std::uint32_t flags_ = 0;
};

// A state belongs to one event context: the context's state bank makes it,
// and everything the tools share (document, selection, anchor, held keys) is
// reached through that context and its tool session.
class TVemoEventState {
public:
    explicit TVemoEventState(TVemoEventContext& context);
    TVemoEventState(const TVemoEventState&) = delete;
    TVemoEventState& operator=(const TVemoEventState&) = delete;
    virtual ~TVemoEventState() = default;

    virtual void SetReturnState(TVemoEventState* state) { returnState_ = state; }
    virtual TVemoEventState* ReturnState() const { return returnState_; }
    virtual void ShowCursor();
    // Called when the state stops being current; the default leaves the return state.
    virtual TVemoEventState* Leave();
    // Records the undo step of an edit just made (see TEditStep); a tool with
    // work of its own in progress may record it its own way.
    virtual void RecordStep(TStepKind kind);
    virtual TVemoEventState* MouseDown(TShiftState shift, PointF point);
    virtual TVemoEventState* MouseMove(TShiftState shift, PointF point);
    virtual TVemoEventState* MouseUp(TShiftState shift, PointF point);
    // Zooms by sqrt(2) per step about the pointer.
    virtual TVemoEventState* MouseWheel(TShiftState shift, int delta, PointF point);
    virtual TVemoEventState* KeyDown(int key);
    virtual TVemoEventState* KeyUp(int key);
    // Zoom in and out by 2 about the view centre; other commands are ignored.
    virtual TVemoEventState* Command(TEditCommand code);

    TVemoDocument& Document() const;
    TVemoEventContext& Context() const { return *context_; }
    PointF Anchor() const { return anchor_; }

protected:
    // For the tool states: updates the key flags and, when they are exactly
    // Space, Space+X or Space+Z, answers the pan or zoom state that returns to
    // this state; otherwise this state.
    TVemoEventState* ToolKey(int key, bool down);
    // Zooms the view by factor keeping the window centre, and asks for a full redraw.
    void ZoomView(double factor);
    // One step of the document's history back (or forward with redo); the
    // layer panel follows and the whole window is redrawn.
    void StepHistory(bool redo);

    // The states of this state's context, to hand over to.
    TVemoStateBank& StateBank() const;
    // Zooms by factor keeping the document point under the pointer, and asks for a full redraw.
    void ZoomAtPoint(double factor, PointF point);

    TVemoEventContext* const context_;
    // The tool session's, shared by every state of the context.
    TVemoKeyState& keys_;
    PointF& anchor_;

private:
    TVemoEventState* returnState_ = nullptr;
};
