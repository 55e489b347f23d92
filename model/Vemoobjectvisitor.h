#pragma once
// A traversal of the object tree: objects hand themselves to Visit through
// Accept (groups as units) or AcceptDeep (every leaf), and the visitor decides
// what to keep. Visitors hold non-owning pointers, valid until the tree changes.

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "model/Vemotypes.h"

class TVemoObject;
class TVemoPath;
class TVemoString;
class TVemoLayerList;
class TVemoGraphics;

class TVemoObjectVisitor {
public:
    virtual ~TVemoObjectVisitor() = default;

    virtual void Visit(TVemoObject* object) = 0;
    // Forgets what was collected, so the visitor can be used again.
    virtual void Clear() = 0;
    // Hands visitor to AcceptDeep of every collected object, in collection order.
    virtual void ForEachDeep(TVemoObjectVisitor& visitor) = 0;
    // Hands visitor to Accept of every collected object, in collection order.
    virtual void ForEachShallow(TVemoObjectVisitor& visitor) = 0;

protected:
    TVemoObjectVisitor() = default;
    TVemoObjectVisitor(const TVemoObjectVisitor&) = default;
    TVemoObjectVisitor& operator=(const TVemoObjectVisitor&) = default;
};

// Collects every object it visits, in visit order.
class TBasicVisitor : public TVemoObjectVisitor {
public:
    TBasicVisitor() = default;

    void Visit(TVemoObject* object) override;
    void Clear() override;
    // Only the objects collected when the call starts are visited, so a visitor may
    // be handed its own collection.
    void ForEachDeep(TVemoObjectVisitor& visitor) override;
    void ForEachShallow(TVemoObjectVisitor& visitor) override;

    const std::vector<TVemoObject*>& Objects() const { return objects_; }

protected:
    void Keep(TVemoObject* object) { objects_.push_back(object); }

    std::vector<TVemoObject*> objects_;
};

// A collection read by position.
class TRandomVisitor : public TBasicVisitor {
public:
    int Count() const { return static_cast<int>(objects_.size()); }
    // Null when i is out of range.
    TVemoObject* At(int i) const;
};

// Objects whose layer has index layerIndex (containers have no layer).
class TLayerVisitor : public TRandomVisitor {
public:
    explicit TLayerVisitor(int layerIndex) : layerIndex_(layerIndex) {}
    void Visit(TVemoObject* object) override;

private:
    int layerIndex_;
};

// Selected objects.
class TSelObjectVisitor : public TRandomVisitor {
public:
    void Visit(TVemoObject* object) override;
    // The rectangle enclosing the bounds of every collected object that is still
    // selected; false (and an empty rectangle) when there is none.
    bool GetSelectionBounds(RectF& bounds) const;
};

// Objects on an unlocked layer with a handle or outline under p (tol in
// pixels); Results() holds each one's HitHandle answer at the same position.
class TVisiblePointsVisitor : public TRandomVisitor {
public:
    TVisiblePointsVisitor(PointF p, float tol) : point_(p), tol_(tol) {}
    void Visit(TVemoObject* object) override;
    void Clear() override;
    const std::vector<int>& Results() const { return results_; }

private:
    PointF point_;
    float tol_;
    std::vector<int> results_;
};

// Objects whose area meets the rectangle.
class TRegionVisitor : public TRandomVisitor {
public:
    TRegionVisitor(const RectF& rect, TVemoGraphics* graphics) : rect_(rect), graphics_(graphics) {}
    void Visit(TVemoObject* object) override;

private:
    RectF rect_;
    TVemoGraphics* graphics_;
};

// Brings the layers of pasted or placed objects into a document: every layer
// the target list lacks (by name) is inserted as a copy, once. Keeps no objects.
class TLayerCollector : public TRandomVisitor {
public:
    explicit TLayerCollector(TVemoLayerList& target) : target_(target) {}
    void Visit(TVemoObject* object) override;
    // Also resets the count.
    void Clear() override;
    // The number of layers inserted.
    int GetCount() const { return count_; }

private:
    TVemoLayerList& target_;
    int count_ = 0;
};

// Paths lying on layer index layerIndex.
class TLayerPathVisitor : public TVemoObjectVisitor {
public:
    explicit TLayerPathVisitor(int layerIndex) : layerIndex_(layerIndex) {}
    void Visit(TVemoObject* object) override;
    void Clear() override { paths_.clear(); }
    void ForEachDeep(TVemoObjectVisitor& visitor) override;
    void ForEachShallow(TVemoObjectVisitor& visitor) override;
    const std::vector<TVemoPath*>& Paths() const { return paths_; }

private:
    int layerIndex_;
    std::vector<TVemoPath*> paths_;
};

// Texts whose area holds p.
class TPointStrVisitor : public TVemoObjectVisitor {
public:
    explicit TPointStrVisitor(PointF p) : point_(p) {}
    void Visit(TVemoObject* object) override;
    void Clear() override { strings_.clear(); }
    void ForEachDeep(TVemoObjectVisitor& visitor) override;
    void ForEachShallow(TVemoObjectVisitor& visitor) override;
    const std::vector<TVemoString*>& Strings() const { return strings_; }

private:
    PointF point_;
    std::vector<TVemoString*> strings_;
};

// Moves selected objects from one layer to another by name. A target layer the
// document lacks is created (blue) and inserted. Collects the objects it moved.
class TSwapLayerVisitor : public TBasicVisitor {
public:
    using NameMap = std::map<std::string, std::string>;

    TSwapLayerVisitor(TVemoLayerList& layers, NameMap names = {})
        : layers_(layers), names_(std::move(names)) {}
    void Visit(TVemoObject* object) override;
    // Also resets both result flags.
    void Clear() override;

    NameMap& GetNameMap() { return names_; }
    const NameMap& GetNameMap() const { return names_; }
    bool LayersCreated() const { return layersCreated_; }
    bool ObjectsChanged() const { return objectsChanged_; }

    static constexpr Argb kNewLayerColour = 0xFF0000FFu;

private:
    TVemoLayerList& layers_;
    NameMap names_;
    bool layersCreated_ = false;
    bool objectsChanged_ = false;
};
