#pragma once
// The design-rule check of a board: what a board house would refuse or what
// would fail in etching, found before the files go out. zelko's artwork has no
// netlist, so copper that touches is one conductor: on each copper layer the
// united copper of all objects (strokes widened with their caps, fills, texts,
// minus the layer's cut-out objects) falls into islands, and islands closer
// than the clearance are reported at their closest points.
//
// Conductors are found on the outlines the model keeps, which the fab flavour
// of Gerber output draws too (filled shapes and texts as their outlines,
// strokes with their own pens, curves within 0.025 mm): copper that touches
// there touches on the film. Gaps, rings and edge distances found near a rule
// are measured again on outlines flattened within 2 um, so a reported value is
// within a few micrometres of the true one.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "check/Designrules.h"
#include "model/Vemotypes.h"

class TVemoDocument;
class TVemoObject;

namespace check {

// An object a finding is about, as users can find it again.
struct TObjectRef {
    const TVemoObject* object = nullptr;  // valid until the document changes
    std::string path;                     // child indexes from the board down: "12/3"
    std::string kind;                     // "path", "rectangle", "ellipse", "text"
    std::string name;                     // its own name
    std::string part;                     // name of the innermost group (pad or part) holding it
};

struct TViolation {
    std::string
        rule;  // clearance, min-width, min-annular, min-drill, max-drill, edge-clearance, silk-over-pad
    std::string layer;  // where it was found
    // Millimetres from the bottom-left corner of the design area, y up (as the
    // Gerber and drill files place things): the midpoint of the closest points.
    double x = 0.0, y = 0.0;
    double measured = 0.0, required = 0.0;  // mm
    std::string note;                       // what was found, in words
    PointF a, b;                            // the closest points, document units
    std::vector<TObjectRef> objects;
};

// An object the check had to leave out: its outline is not one it can unite.
struct TSkipped {
    TObjectRef object;
    std::string layer;
    std::string why;
};

struct TCheckReport {
    bool completed = false;  // false when cancelled or refused
    bool cancelled = false;
    std::string error;  // why the check could not run
    TDesignRules rules;
    std::vector<std::string> copperLayers;  // the layers checked as copper, in layer-list order
    int objects = 0;                        // objects on copper layers
    int islands = 0;                        // conductors found, over all copper layers
    int holes = 0;
    std::vector<TViolation> violations;  // by rule, then layer, then position
    std::vector<std::string> idle;       // checks that had nothing to do, and why
    // Objects left out: geometry beyond 100 m or not finite, or a line that
    // crosses itself so often that uniting it would take far longer than its size warrants.
    std::vector<TSkipped> skipped;
};

// The check runs the copper layers on threads of their own, but calls these
// back only on the thread that called CheckDesign.
struct TCheckControl {
    // Called now and then with the part done (0 to 1) and the step under way.
    std::function<void(double done, const std::string& step)> progress;
    // Polled regularly; true stops the check, which then reports cancelled.
    std::function<bool()> cancelled;
    // About how many outline vertices are united at once (0: the check's
    // choice). A matter of speed only: the findings never depend on it.
    std::size_t stripVertices = 0;
};

// Checks the visible objects of the document. Copper layers are those named
// "solder" and "component" (the copper roles of the fab output) and those the
// rules name; holes are the round holes of the drill layer as the drill file
// takes them; the board outline is the centre line of the outline layer's
// objects ("dimension"); silk over a mask opening pairs place_cmp with
// stop_cmp and place_sol with stop_sol. Refused with error for rules that
// RulesProblem refuses or an extra copper layer the document lacks.
TCheckReport CheckDesign(const TVemoDocument& document, const TDesignRules& rules,
                         const TCheckControl& control = {});

// The united copper of a layer as the check sees it: closed contours in
// document units (outer contours and holes, filled with the even-odd rule).
std::vector<std::vector<PointF>> CopperContours(const TVemoDocument& document, const std::string& layerName);

}  // namespace check
