#include "history/Vemohistory.h"

#include <utility>

#include "model/Vemodocument.h"

namespace {

std::size_t SizeOf(const TSnapshot& snapshot) {
    return snapshot ? snapshot->size() : 0;
}

}  // namespace

TVemoHistory::~TVemoHistory() = default;

void TVemoHistory::Restart(const TVemoDocument& document) {
    Clear();
    auto initial = std::make_unique<TObjectsMemento>(document.GetRoot(), document.GetLayerList());
    initial->Attach(*this);
    // The initial step is not counted: a fresh document offers the full limit.
    mementos_.push_back(std::move(initial));
    current_ = 0;
    limit_ = kLimit;
    ClearModified();
}

void TVemoHistory::ClearModified() {
    modified_ = false;
    savedRoot_ = lastRoot_;
    savedLayers_ = lastLayers_;
    savedPath_ = lastPath_;
}

bool TVemoHistory::DiffersFromSaved() const {
    return modified_ && !(lastRoot_ == savedRoot_ && lastLayers_ == savedLayers_ && lastPath_ == savedPath_);
}

void TVemoHistory::Clear() {
    lastRoot_.reset();
    lastLayers_.reset();
    lastPath_.reset();
    weight_ = 0;
    mementos_.clear();
    current_ = 0;
}

void TVemoHistory::Push(std::unique_ptr<TVemoMemento> memento) {
    if (!memento) return;
    // A new edit after undoing ends the steps that could have been redone.
    while (!mementos_.empty() && mementos_.size() > current_ + 1) {
        weight_ -= mementos_.back()->Weight();
        mementos_.pop_back();
    }
    while (weight_ > limit_ && !mementos_.empty()) {
        weight_ -= mementos_.front()->Weight();
        mementos_.pop_front();
    }
    memento->Attach(*this);
    weight_ += memento->Weight();
    mementos_.push_back(std::move(memento));
    current_ = mementos_.size() - 1;
    modified_ = true;
}

bool TVemoHistory::Undo(TVemoDocument& document) {
    if (mementos_.empty()) return false;
    modified_ = true;
    // The oldest step holds the oldest reachable state; it is never undone.
    if (current_ == 0) return false;
    TVemoMemento& step = *mementos_[current_];
    --current_;
    step.Undo(document, *this);
    return true;
}

bool TVemoHistory::Redo(TVemoDocument& document) {
    if (mementos_.empty()) return false;
    modified_ = true;
    if (current_ + 1 >= mementos_.size()) return false;
    ++current_;
    mementos_[current_]->Redo(document, *this);
    return true;
}

void TVemoHistory::DropTemporary() {
    std::deque<std::unique_ptr<TVemoMemento>> kept;
    std::size_t keptUpToCurrent = 0;
    for (std::size_t i = 0; i < mementos_.size(); ++i) {
        if (dynamic_cast<const TTempMemento*>(mementos_[i].get())) continue;
        kept.push_back(std::move(mementos_[i]));
        if (i <= current_) ++keptUpToCurrent;
    }
    mementos_ = std::move(kept);
    lastPath_.reset();
    // The document is in the state of the last ordinary step before the
    // temporary ones; steps after it stay available for redo. (Normally the
    // temporary steps are the newest, and this is the last step.)
    current_ = keptUpToCurrent > 0 ? keptUpToCurrent - 1 : 0;
}

namespace {

bool Same(const TSnapshot& last, const TSnapshot& now) {
    return last && now && *last == *now;
}

}  // namespace

bool TVemoHistory::Record(TStepKind kind, const TVemoDocument& document) {
    std::unique_ptr<TVemoMemento> step;
    bool unchanged = false;
    switch (kind) {
        case TStepKind::Root: {
            auto root = std::make_unique<TRootObjectMemento>(document.GetRoot(), SizeOf(lastRoot_));
            unchanged = Same(lastRoot_, root->After());
            step = std::move(root);
            break;
        }
        case TStepKind::LayerList: {
            auto layers = std::make_unique<TLayerListMemento>(document.GetLayerList());
            unchanged = Same(lastLayers_, layers->After());
            step = std::move(layers);
            break;
        }
        case TStepKind::Objects: {
            auto both = std::make_unique<TObjectsMemento>(document.GetRoot(), document.GetLayerList(),
                                                          SizeOf(lastRoot_));
            unchanged =
                Same(lastRoot_, both->RootPart().After()) && Same(lastLayers_, both->LayerPart().After());
            step = std::move(both);
            break;
        }
    }
    if (unchanged) return false;
    Push(std::move(step));
    return true;
}

void TVemoHistory::SaveRootMemento(const TVemoDocument& document) {
    Push(std::make_unique<TRootObjectMemento>(document.GetRoot(), SizeOf(lastRoot_)));
}

void TVemoHistory::SaveLayerListMemento(const TVemoDocument& document) {
    Push(std::make_unique<TLayerListMemento>(document.GetLayerList()));
}

void TVemoHistory::SaveObjectsMemento(const TVemoDocument& document) {
    Push(std::make_unique<TObjectsMemento>(document.GetRoot(), document.GetLayerList(), SizeOf(lastRoot_)));
}

void TVemoHistory::SavePathMemento(std::shared_ptr<TVemoPathSlot> slot) {
    Push(std::make_unique<TVemoPathMemento>(std::move(slot)));
}

// ---- a document with its history ----

TEditedDocument::TEditedDocument() : TEditedDocument(nullptr) {}

TEditedDocument::TEditedDocument(std::unique_ptr<TVemoDocument> document)
    : document_(document ? std::move(document) : std::make_unique<TVemoDocument>()) {
    history_.Restart(*document_);
}

TEditedDocument::~TEditedDocument() = default;

bool TEditedDocument::Replace(std::unique_ptr<TVemoDocument> document) {
    if (!document) return false;
    // The old steps describe the old document: they go first.
    history_.Clear();
    document_ = std::move(document);
    history_.Restart(*document_);
    return true;
}
