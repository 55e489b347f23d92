#include "history/Vemomemento.h"

#include <string_view>
#include <utility>

#include "archive/Vemo_iarchive.h"
#include "archive/Vemo_oarchive.h"
#include "archive/Vemoobjectio.h"
#include "history/Vemohistory.h"
#include "model/Vemocontainer.h"
#include "model/Vemodocument.h"
#include "model/Vemopath.h"

namespace {

// Writes one snapshot into a single buffer. A board's snapshots are large and
// many of them are kept, so the buffer is sized from the previous snapshot of
// the same kind and trimmed only when much of it stayed unused.
template <typename Body>
TSnapshot WriteSnapshot(std::size_t sizeHint, Body&& body) {
    std::string bytes;
    bytes.reserve(sizeHint > 0 ? sizeHint + sizeHint / 16 + 256 : 256);
    {
        TVemo_oarchive out(bytes);
        body(out);
    }
    if (bytes.capacity() - bytes.size() > bytes.size() / 4 + 4096) bytes.shrink_to_fit();
    return std::make_shared<const std::string>(std::move(bytes));
}

std::string_view View(const TSnapshot& snapshot) {
    return std::string_view(*snapshot);
}

}  // namespace

// ---- root object ----

TRootObjectMemento::TRootObjectMemento(const TVemoPart& root, std::size_t sizeHint) {
    after_ = WriteSnapshot(sizeHint, [&](TVemo_oarchive& out) { SaveObject(out, root); });
}

void TRootObjectMemento::Load(const TSnapshot& snapshot, TVemoDocument& document, TVemoHistory& history) {
    if (!snapshot) return;
    // Objects whose layer the list lacks get a grey layer of that name.
    TVemo_iarchive in(View(snapshot), &document.GetLayerList());
    if (in.IsGood()) {
        // A step restores the snapshot's bytes as they stand, but the objects
        // the edit did not touch are taken over with their outlines instead of
        // being built again (see LoadContainerKeeping and TObjectPool); what
        // is new is built at the end, on every core.
        in.SetDeferRebuild(true);
        if (history.ReusesObjects())
            LoadContainerKeeping(in, document.GetRoot());
        else
            LoadObject(in, document.GetRoot(), in.Version());
        RebuildStale(document.GetRoot());
        in.CommitLayers();
    }
    history.LastRoot() = snapshot;
}

void TRootObjectMemento::Undo(TVemoDocument& document, TVemoHistory& history) {
    Load(before_, document, history);
}

void TRootObjectMemento::Redo(TVemoDocument& document, TVemoHistory& history) {
    Load(after_, document, history);
}

void TRootObjectMemento::Attach(TVemoHistory& history) {
    before_ = history.LastRoot();
    history.LastRoot() = after_;
}

// ---- layer list ----

TLayerListMemento::TLayerListMemento(const TVemoLayerList& layers) {
    after_ = WriteSnapshot(0, [&](TVemo_oarchive& out) { SaveLayerList(out, layers); });
}

void TLayerListMemento::Load(const TSnapshot& snapshot, TVemoDocument& document, TVemoHistory& history) {
    if (!snapshot) return;
    TVemo_iarchive in(View(snapshot));
    TVemoLayerList& layers = document.GetLayerList();
    if (in.IsGood() && LoadLayerList(in, layers, in.Version())) document.GetRoot().RebindLayer(layers);
    history.LastLayerList() = snapshot;
}

void TLayerListMemento::Undo(TVemoDocument& document, TVemoHistory& history) {
    Load(before_, document, history);
}

void TLayerListMemento::Redo(TVemoDocument& document, TVemoHistory& history) {
    Load(after_, document, history);
}

void TLayerListMemento::Attach(TVemoHistory& history) {
    before_ = history.LastLayerList();
    history.LastLayerList() = after_;
}

// ---- layers and objects ----

TObjectsMemento::TObjectsMemento(const TVemoPart& root, const TVemoLayerList& layers,
                                 std::size_t rootSizeHint)
    : root_(root, rootSizeHint), layers_(layers) {}

void TObjectsMemento::Undo(TVemoDocument& document, TVemoHistory& history) {
    layers_.Undo(document, history);
    root_.Undo(document, history);
}

void TObjectsMemento::Redo(TVemoDocument& document, TVemoHistory& history) {
    layers_.Redo(document, history);
    root_.Redo(document, history);
}

void TObjectsMemento::Attach(TVemoHistory& history) {
    root_.Attach(history);
    layers_.Attach(history);
}

// ---- the path being drawn ----

TVemoPathMemento::TVemoPathMemento(std::shared_ptr<TVemoPathSlot> slot) : slot_(std::move(slot)) {
    if (slot_ && slot_->path) {
        const TVemoPath& path = *slot_->path;
        after_ = WriteSnapshot(0, [&](TVemo_oarchive& out) { SaveObject(out, path); });
    }
}

void TVemoPathMemento::Undo(TVemoDocument& document, TVemoHistory& history) {
    if (!slot_) return;
    if (before_) {
        if (slot_->path) {
            TVemo_iarchive in(View(before_), &document.GetLayerList());
            // Reading a path body rebuilds it.
            if (in.IsGood()) LoadObject(in, *slot_->path, in.Version());
            slot_->path->SelectAllAnchors();
        }
    } else if (slot_->path) {
        // The first click: the path goes altogether.
        if (slot_->styleChanged) slot_->styleChanged(nullptr);
        TVemoPath* path = std::exchange(slot_->path, nullptr);
        path->RemoveFromParent();
    }
    history.LastPath() = before_;
}

void TVemoPathMemento::Redo(TVemoDocument& document, TVemoHistory& history) {
    if (!slot_ || !after_) return;
    TVemo_iarchive in(View(after_), &document.GetLayerList());
    if (!in.IsGood()) return;
    if (slot_->path) {
        LoadObject(in, *slot_->path, in.Version());
    } else {
        auto path = std::make_unique<TVemoPath>();
        if (!LoadObject(in, *path, in.Version())) return;
        slot_->path = path.get();
        document.GetRoot().AddChild(std::move(path));
        if (slot_->styleChanged) slot_->styleChanged(slot_->path);
    }
    slot_->path->SelectAllAnchors();
    history.LastPath() = after_;
}

void TVemoPathMemento::Attach(TVemoHistory& history) {
    before_ = history.LastPath();
    history.LastPath() = after_;
}
