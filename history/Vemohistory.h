#pragma once
// The undo steps of one document, oldest first, and the position of the step
// whose after-state is the document's present state. The history lives next
// to its document (see TEditedDocument) and is handed the document for every
// undo and redo.
//
// The total weight of the steps is held near a limit of 30 by dropping the
// oldest ones. The limit is checked before a new step is added, and the
// initial step made by Restart is not counted when added but is subtracted
// when dropped: with root edits only, 33 steps (32 undos) are kept.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>

#include "history/Vemomemento.h"

// What an edit changed, and so what its undo step keeps.
enum class TStepKind : std::uint8_t {
    Root,       // the drawing objects (TRootObjectMemento)
    LayerList,  // the layers (TLayerListMemento)
    Objects,    // both (TObjectsMemento)
};

class TVemoHistory {
public:
    static constexpr int kLimit = 30;

    TVemoHistory() = default;
    TVemoHistory(const TVemoHistory&) = delete;
    TVemoHistory& operator=(const TVemoHistory&) = delete;
    ~TVemoHistory();

    // Starts over from the document as it is (after creating or loading it):
    // one initial step that cannot be undone, not modified.
    void Restart(const TVemoDocument& document);
    // Drops every step and every last snapshot.
    void Clear();
    // Records a step made after an edit: the steps that could be redone are
    // dropped, the oldest ones while the weight is over the limit, and the new
    // one becomes current. Marks the document modified. Null is ignored.
    void Push(std::unique_ptr<TVemoMemento> memento);
    // Both mark the document modified whenever there is any step, even when
    // nothing could be undone or redone. True when a step was undone or redone.
    bool Undo(TVemoDocument& document);
    bool Redo(TVemoDocument& document);
    // Removes the temporary steps and the last path snapshot. The current step
    // becomes the last ordinary step at or before the one that was current.
    void DropTemporary();

    // Records the step of that kind from the document's present state unless
    // the document's part is byte for byte what the last step left: true when
    // a step was recorded.
    bool Record(TStepKind kind, const TVemoDocument& document);
    // Constructs and pushes the step of each kind from the document's present state.
    void SaveRootMemento(const TVemoDocument& document);
    void SaveLayerListMemento(const TVemoDocument& document);
    void SaveObjectsMemento(const TVemoDocument& document);
    void SavePathMemento(std::shared_ptr<TVemoPathSlot> slot);

    bool IsModified() const { return modified_; }
    // Not modified from here on; the present state is the one on disk.
    void ClearModified();
    // Whether the document differs from the state last saved (or restarted
    // from): false again once undo or redo comes back to that very state.
    bool DiffersFromSaved() const;

    bool CanUndo() const { return !mementos_.empty() && current_ > 0; }
    bool CanRedo() const { return !mementos_.empty() && current_ + 1 < mementos_.size(); }
    int Limit() const { return limit_; }
    int Weight() const { return weight_; }
    std::size_t Count() const { return mementos_.size(); }
    // Meaningless while Count() is 0.
    std::size_t CurrentIndex() const { return current_; }
    const TVemoMemento* At(std::size_t i) const {
        return i < mementos_.size() ? mementos_[i].get() : nullptr;
    }

    // Whether undo and redo take over the objects a step did not change (on by
    // default); off, every object is read and built anew, as a check of the other.
    bool ReusesObjects() const { return reuse_; }
    void SetReusesObjects(bool reuse) { reuse_ = reuse; }

    // The after-snapshots as of the present state; mementos borrow and update them.
    TSnapshot& LastRoot() { return lastRoot_; }
    TSnapshot& LastLayerList() { return lastLayers_; }
    TSnapshot& LastPath() { return lastPath_; }

private:
    bool modified_ = false;
    // The snapshots of the saved state: a state reached again by undo or redo
    // shares them, while any new step makes new ones.
    TSnapshot savedRoot_, savedLayers_, savedPath_;
    bool reuse_ = true;
    int limit_ = kLimit;
    int weight_ = 0;
    std::deque<std::unique_ptr<TVemoMemento>> mementos_;
    std::size_t current_ = 0;
    TSnapshot lastRoot_;
    TSnapshot lastLayers_;
    TSnapshot lastPath_;
};

// A document together with its history: what an editor window works on. The
// history restarts whenever a document is created or taken over.
class TEditedDocument {
public:
    // The default document.
    TEditedDocument();
    // A document read from a file; null gives the default document.
    explicit TEditedDocument(std::unique_ptr<TVemoDocument> document);
    ~TEditedDocument();

    TVemoDocument& Document() { return *document_; }
    const TVemoDocument& Document() const { return *document_; }
    TVemoHistory& History() { return history_; }
    const TVemoHistory& History() const { return history_; }

    // Takes over a newly read or created document; false (nothing changes) for null.
    bool Replace(std::unique_ptr<TVemoDocument> document);

    void SaveRootMemento() { history_.SaveRootMemento(*document_); }
    void SaveLayerListMemento() { history_.SaveLayerListMemento(*document_); }
    void SaveObjectsMemento() { history_.SaveObjectsMemento(*document_); }
    bool Undo() { return history_.Undo(*document_); }
    bool Redo() { return history_.Redo(*document_); }

private:
    // Declared first, so that it outlives the steps that describe it.
    std::unique_ptr<TVemoDocument> document_;
    TVemoHistory history_;
};
