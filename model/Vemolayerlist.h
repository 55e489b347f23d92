#pragma once
// The ordered layers of a document and its current layer. Index 0 is drawn last,
// on top. After every operation each layer's index equals its position and the
// current flag is set on the current layer only.

#include <cstddef>
#include <string>
#include <vector>

#include "model/Vemobase.h"
#include "model/Vemolayer.h"

class TVemoLayerList : public TVemoBase {
public:
    TVemoLayerList() = default;
    // Copies every layer, keeping the order and the current position.
    TVemoLayerList(const TVemoLayerList& other);
    TVemoLayerList& operator=(const TVemoLayerList&) = delete;

    TVemoLayerList* Clone() const override;

    int Count() const { return static_cast<int>(layers_.size()); }
    // Empty when i is out of range.
    TVemoLayerPtr At(int i) const;
    // Empty when no layer is current.
    TVemoLayerPtr Current() const;
    // The first layer named exactly name, else empty.
    TVemoLayerPtr Find(const std::string& name) const;

    // Inserts before the current layer (at the end when none is current) and makes
    // the layer current. Refuses an empty pointer and a layer already in the list.
    bool Insert(const TVemoLayerPtr& layer);
    // The same as calling Insert for each layer in turn, in one pass: the last
    // one ends up first, at the old current position, and current. Returns the
    // number inserted.
    int InsertAll(const std::vector<TVemoLayerPtr>& layers);
    // Insert of a copy of layer; returns the copy.
    TVemoLayerPtr InsertCopy(const TVemoLayer& layer);
    // Removes the current layer; the one that followed becomes current. False when
    // no layer is current.
    bool EraseCurrent();
    // Moves `moving` to the position of `target`; the layers between close up and
    // `moving` becomes current. False when either is not in the list.
    bool Move(const TVemoLayerPtr& target, const TVemoLayerPtr& moving);
    // Makes layer current. A layer not in the list clears the current flag on
    // every layer and leaves the current position where it was.
    void SetCurrent(const TVemoLayerPtr& layer);
    // The same, naming the layer.
    void SetCurrentByName(const std::string& name);
    void Clear();

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    std::size_t PositionOf(const TVemoLayer* layer) const;
    // Indices follow positions; the current flag follows the current position.
    void Renumber();
    void MarkCurrentOnly(std::size_t position);

    std::vector<TVemoLayerPtr> layers_;
    std::size_t current_ = kNone;  // position of the current layer, kNone when there is none
};
