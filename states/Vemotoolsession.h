#pragma once
// What the tools of one editor window share while the user works: the held
// keys, the anchor of the current gesture, and the working lists of the
// select, point and parts tools. The event context owns one; its states reach
// it through the context, so two windows never share a selection.
//
// The lists hold non-owning pointers into the context's document, valid until
// the document changes otherwise than through the tool that filled them.

#include <memory>
#include <vector>

#include "model/Vemoobjectvisitor.h"
#include "states/Vemoeventstate.h"

class TVemoObject;
class TVemoPath;

struct TVemoToolSession {
    TVemoKeyState keys;
    // Where the current gesture started or last moved to, in document units.
    PointF anchor{};

    struct TSelect {
        // The top-level objects flagged selected, in the root's order.
        TSelObjectVisitor selection;
        // Everything under the pointer at the last right-button pick, which
        // further right-clicks on the same spot cycle through.
        std::vector<TVemoObject*> candidates;
        // A drag has moved objects and no undo step was recorded for it yet.
        bool moved = false;
        // An arrow key has moved objects and no undo step was recorded for it yet.
        bool keyMoved = false;
    } select;

    struct TPoint {
        // The objects being point-edited, in the order they were added.
        std::vector<TVemoObject*> edits;
        bool moved = false;
        bool keyMoved = false;
    } point;

    struct TParts {
        // The selected objects (a selected group is one entry) and their bounds.
        TSelObjectVisitor selection;
        RectF bounds;
        // Entry i: the selection's leaf objects on layer i, and the paths of
        // layer i whose anchors lying on those objects move with them.
        std::vector<std::unique_ptr<TLayerVisitor>> layerObjects;
        std::vector<std::unique_ptr<TLayerPathVisitor>> layerPaths;
        bool moved = false;
        // A press of the parts tool whose drag may still come: only then do the
        // lists describe the document as it is under the pointer.
        bool pressed = false;
    } parts;

    // The select tool's selection.
    const std::vector<TVemoObject*>& Selection() const { return select.selection.Objects(); }
    // The point tool's edit list.
    const std::vector<TVemoObject*>& EditList() const { return point.edits; }
    // The parts tool's selection and the paths of layer index i it drags
    // along by their anchors (empty beyond the layers).
    const TSelObjectVisitor& PartsSelection() const { return parts.selection; }
    const std::vector<TVemoPath*>& ConnectedPaths(int layerIndex) const;

    // Empties every list (their document is going); the held keys stay.
    void ForgetDocument();
};
