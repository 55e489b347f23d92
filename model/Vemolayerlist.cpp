#include "model/Vemolayerlist.h"

#include <algorithm>
#include <unordered_set>

TVemoLayerList::TVemoLayerList(const TVemoLayerList& other) : TVemoBase(other), current_(other.current_) {
    layers_.reserve(other.layers_.size());
    for (const TVemoLayerPtr& layer : other.layers_) layers_.push_back(TVemoLayerPtr(layer->Clone()));
    Renumber();
    MarkCurrentOnly(current_);
}

TVemoLayerList* TVemoLayerList::Clone() const {
    return new TVemoLayerList(*this);
}

TVemoLayerPtr TVemoLayerList::At(int i) const {
    if (i < 0 || i >= Count()) return {};
    return layers_[static_cast<std::size_t>(i)];
}

TVemoLayerPtr TVemoLayerList::Current() const {
    if (current_ >= layers_.size()) return {};
    return layers_[current_];
}

TVemoLayerPtr TVemoLayerList::Find(const std::string& name) const {
    for (const TVemoLayerPtr& layer : layers_)
        if (layer->GetName() == name) return layer;
    return {};
}

bool TVemoLayerList::Insert(const TVemoLayerPtr& layer) {
    // The same layer object twice would hold two positions under one index.
    if (!layer || PositionOf(layer.get()) != kNone) return false;
    const std::size_t p = current_ < layers_.size() ? current_ : layers_.size();
    layers_.insert(layers_.begin() + static_cast<std::ptrdiff_t>(p), layer);
    current_ = p;
    Renumber();
    MarkCurrentOnly(current_);
    return true;
}

int TVemoLayerList::InsertAll(const std::vector<TVemoLayerPtr>& layers) {
    std::unordered_set<const TVemoLayer*> present;
    present.reserve(layers_.size() + layers.size());
    for (const TVemoLayerPtr& layer : layers_) present.insert(layer.get());
    std::vector<TVemoLayerPtr> fresh;
    for (const TVemoLayerPtr& layer : layers)
        if (layer && present.insert(layer.get()).second) fresh.push_back(layer);
    if (fresh.empty()) return 0;
    const std::size_t p = current_ < layers_.size() ? current_ : layers_.size();
    layers_.insert(layers_.begin() + static_cast<std::ptrdiff_t>(p), fresh.rbegin(), fresh.rend());
    current_ = p;
    Renumber();
    MarkCurrentOnly(current_);
    return static_cast<int>(fresh.size());
}

TVemoLayerPtr TVemoLayerList::InsertCopy(const TVemoLayer& layer) {
    TVemoLayerPtr copy(layer.Clone());
    Insert(copy);
    return copy;
}

bool TVemoLayerList::EraseCurrent() {
    if (current_ >= layers_.size()) return false;
    // Objects may still hold the erased layer; it is no longer anyone's current layer.
    layers_[current_]->SetCurrent(false);
    layers_.erase(layers_.begin() + static_cast<std::ptrdiff_t>(current_));
    if (current_ >= layers_.size()) current_ = kNone;
    Renumber();
    MarkCurrentOnly(current_);
    return true;
}

bool TVemoLayerList::Move(const TVemoLayerPtr& target, const TVemoLayerPtr& moving) {
    if (!target || !moving) return false;
    const std::size_t t = PositionOf(target.get());
    const std::size_t m = PositionOf(moving.get());
    if (t == kNone || m == kNone) return false;
    const auto first = layers_.begin();
    const auto ti = static_cast<std::ptrdiff_t>(t), mi = static_cast<std::ptrdiff_t>(m);
    if (t > m)
        std::rotate(first + mi, first + mi + 1, first + ti + 1);
    else if (t < m)
        std::rotate(first + ti, first + mi, first + mi + 1);
    current_ = t;
    Renumber();
    // The moved layer is the current one, so it also carries the current flag.
    MarkCurrentOnly(current_);
    return true;
}

void TVemoLayerList::SetCurrent(const TVemoLayerPtr& layer) {
    const std::size_t p = layer ? PositionOf(layer.get()) : kNone;
    if (p != kNone) current_ = p;
    MarkCurrentOnly(p);
}

void TVemoLayerList::SetCurrentByName(const std::string& name) {
    SetCurrent(Find(name));
}

void TVemoLayerList::Clear() {
    MarkCurrentOnly(kNone);
    layers_.clear();
    current_ = kNone;
}

std::size_t TVemoLayerList::PositionOf(const TVemoLayer* layer) const {
    for (std::size_t i = 0; i < layers_.size(); ++i)
        if (layers_[i].get() == layer) return i;
    return kNone;
}

void TVemoLayerList::Renumber() {
    for (std::size_t i = 0; i < layers_.size(); ++i) layers_[i]->SetIndex(static_cast<int>(i));
}

void TVemoLayerList::MarkCurrentOnly(std::size_t position) {
    for (std::size_t i = 0; i < layers_.size(); ++i) {
        const bool current = i == position;
        if (layers_[i]->IsCurrent() != current) layers_[i]->SetCurrent(current);
    }
}
