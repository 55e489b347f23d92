#pragma once
// Undo steps. A memento keeps two snapshots of one part of a document, the
// state before an edit and the state after it, each as archive bytes (header
// and the part's record). It is made right after the edit, so its constructor
// serialises the present state as "after"; attaching it to a history borrows
// the previous "after" of the same kind as its "before", so neighbouring
// mementos share their snapshots and every state is written once.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

class TVemoDocument;
class TVemoHistory;
class TVemoLayerList;
class TVemoPart;
class TVemoPath;

// Archive bytes of one state, shared by the mementos and the history that
// refer to it. Readers always start at the beginning.
using TSnapshot = std::shared_ptr<const std::string>;

class TVemoMemento {
public:
    TVemoMemento(const TVemoMemento&) = delete;
    TVemoMemento& operator=(const TVemoMemento&) = delete;
    virtual ~TVemoMemento() = default;

    // Cost against the history's limit.
    virtual int Weight() const { return 1; }
    // Brings the document back to the state before the edit.
    virtual void Undo(TVemoDocument& document, TVemoHistory& history) = 0;
    // Brings the document to the state after the edit.
    virtual void Redo(TVemoDocument& document, TVemoHistory& history) = 0;
    // Takes the history's last snapshot of its kind as "before" and leaves its
    // own "after" there.
    virtual void Attach(TVemoHistory& history) = 0;

    const TSnapshot& Before() const { return before_; }
    const TSnapshot& After() const { return after_; }

protected:
    TVemoMemento() = default;

    TSnapshot before_;
    TSnapshot after_;
};

// The root object with every drawing object.
class TRootObjectMemento : public TVemoMemento {
public:
    // sizeHint: the expected snapshot size (the previous one's), so the bytes are
    // written into one buffer of the right size.
    explicit TRootObjectMemento(const TVemoPart& root, std::size_t sizeHint = 0);

    // Nothing happens without a before-snapshot (the oldest state).
    void Undo(TVemoDocument& document, TVemoHistory& history) override;
    void Redo(TVemoDocument& document, TVemoHistory& history) override;
    void Attach(TVemoHistory& history) override;

private:
    void Load(const TSnapshot& snapshot, TVemoDocument& document, TVemoHistory& history);
};

// The layer list. Loading it makes its first layer current, and every object
// is bound again to the layer of its layer's name.
class TLayerListMemento : public TVemoMemento {
public:
    explicit TLayerListMemento(const TVemoLayerList& layers);

    void Undo(TVemoDocument& document, TVemoHistory& history) override;
    void Redo(TVemoDocument& document, TVemoHistory& history) override;
    void Attach(TVemoHistory& history) override;

private:
    void Load(const TSnapshot& snapshot, TVemoDocument& document, TVemoHistory& history);
};

// Layer list and objects together, for edits that change both (deleting or
// editing a layer, a paste that brought layers). The layers are restored
// first, so that the objects find theirs.
class TObjectsMemento : public TVemoMemento {
public:
    TObjectsMemento(const TVemoPart& root, const TVemoLayerList& layers, std::size_t rootSizeHint = 0);

    int Weight() const override { return 2; }
    void Undo(TVemoDocument& document, TVemoHistory& history) override;
    void Redo(TVemoDocument& document, TVemoHistory& history) override;
    void Attach(TVemoHistory& history) override;

    const TRootObjectMemento& RootPart() const { return root_; }
    const TLayerListMemento& LayerPart() const { return layers_; }

private:
    TRootObjectMemento root_;
    TLayerListMemento layers_;
};

// Steps that live only while a tool is at work (the clicks of a path being
// drawn); they weigh nothing and DropTemporary removes them.
class TTempMemento : public TVemoMemento {
public:
    int Weight() const override { return 0; }

protected:
    TTempMemento() = default;
};

// The path tool's current path, shared between the tool and the path mementos
// recorded while the path is drawn; undo and redo may remove the path (null)
// or re-create it. The path itself is owned by the document's root.
struct TVemoPathSlot {
    TVemoPath* path = nullptr;
    // Told whenever undo or redo removes the path (null) or re-creates it, so
    // that the style panel can follow. May be empty.
    std::function<void(TVemoPath*)> styleChanged;
};

// One state of the path being drawn.
class TVemoPathMemento : public TTempMemento {
public:
    // An empty slot leaves the after-snapshot empty.
    explicit TVemoPathMemento(std::shared_ptr<TVemoPathSlot> slot);

    // Without a before-snapshot (the first click) the path is removed.
    void Undo(TVemoDocument& document, TVemoHistory& history) override;
    // Re-creates the path on the root when it was removed.
    void Redo(TVemoDocument& document, TVemoHistory& history) override;
    void Attach(TVemoHistory& history) override;

private:
    std::shared_ptr<TVemoPathSlot> slot_;
};
