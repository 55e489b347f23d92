#include "model/Vemoobjectvisitor.h"

#include <algorithm>
#include <memory>

#include "model/Vemolayerlist.h"
#include "model/Vemoobject.h"
#include "model/Vemopath.h"
#include "model/Vemostring.h"

namespace {

bool OnLayer(const TVemoObject& object, int layerIndex) {
    const TVemoLayerPtr layer = object.GetLayer();
    return layer && layer->GetIndex() == layerIndex;
}

// Visits by position over the objects present at the start: the visitor handed
// in may append to the very vector being walked.
template <class T>
void EachDeep(const std::vector<T*>& objects, TVemoObjectVisitor& visitor) {
    for (std::size_t i = 0, n = objects.size(); i < n; ++i) objects[i]->AcceptDeep(visitor);
}

template <class T>
void EachShallow(const std::vector<T*>& objects, TVemoObjectVisitor& visitor) {
    for (std::size_t i = 0, n = objects.size(); i < n; ++i) objects[i]->Accept(visitor);
}

}  // namespace

void TBasicVisitor::Visit(TVemoObject* object) {
    if (object) Keep(object);
}

void TBasicVisitor::Clear() {
    objects_.clear();
}

void TBasicVisitor::ForEachDeep(TVemoObjectVisitor& visitor) {
    EachDeep(objects_, visitor);
}

void TBasicVisitor::ForEachShallow(TVemoObjectVisitor& visitor) {
    EachShallow(objects_, visitor);
}

TVemoObject* TRandomVisitor::At(int i) const {
    if (i < 0 || i >= Count()) return nullptr;
    return objects_[static_cast<std::size_t>(i)];
}

void TLayerVisitor::Visit(TVemoObject* object) {
    if (object && OnLayer(*object, layerIndex_)) Keep(object);
}

void TSelObjectVisitor::Visit(TVemoObject* object) {
    if (object && object->IsSelected()) Keep(object);
}

bool TSelObjectVisitor::GetSelectionBounds(RectF& bounds) const {
    bool any = false;
    float l = 0, t = 0, r = 0, b = 0;
    for (const TVemoObject* object : objects_) {
        if (!object->IsSelected()) continue;
        RectF box;
        object->GetBounds(box);
        if (!any) {
            l = box.Left(), t = box.Top(), r = box.Right(), b = box.Bottom();
            any = true;
        } else {
            l = std::min(l, box.Left()), t = std::min(t, box.Top());
            r = std::max(r, box.Right()), b = std::max(b, box.Bottom());
        }
    }
    bounds = any ? RectF(l, t, r - l, b - t) : RectF();
    return any;
}

void TVisiblePointsVisitor::Visit(TVemoObject* object) {
    if (!object) return;
    const TVemoLayerPtr layer = object->GetLayer();
    // A hidden layer still shows its handles to the point tool; a locked one does not.
    if (!layer || layer->IsLocked()) return;
    const int answer = object->HitHandle(point_, tol_);
    if (answer == 0) return;
    Keep(object);
    results_.push_back(answer);
}

void TVisiblePointsVisitor::Clear() {
    TRandomVisitor::Clear();
    results_.clear();
}

void TRegionVisitor::Visit(TVemoObject* object) {
    if (object && object->HitRect(rect_, graphics_)) Keep(object);
}

void TLayerCollector::Visit(TVemoObject* object) {
    if (!object) return;
    const TVemoLayerPtr layer = object->GetLayer();
    if (!layer || target_.Find(layer->GetName())) return;
    target_.InsertCopy(*layer);
    ++count_;
}

void TLayerCollector::Clear() {
    TRandomVisitor::Clear();
    count_ = 0;
}

void TLayerPathVisitor::Visit(TVemoObject* object) {
    auto* path = dynamic_cast<TVemoPath*>(object);
    if (path && OnLayer(*path, layerIndex_)) paths_.push_back(path);
}

void TLayerPathVisitor::ForEachDeep(TVemoObjectVisitor& visitor) {
    EachDeep(paths_, visitor);
}

void TLayerPathVisitor::ForEachShallow(TVemoObjectVisitor& visitor) {
    EachShallow(paths_, visitor);
}

void TPointStrVisitor::Visit(TVemoObject* object) {
    auto* text = dynamic_cast<TVemoString*>(object);
    if (text && text->HitPoint(point_)) strings_.push_back(text);
}

void TPointStrVisitor::ForEachDeep(TVemoObjectVisitor& visitor) {
    EachDeep(strings_, visitor);
}

void TPointStrVisitor::ForEachShallow(TVemoObjectVisitor& visitor) {
    EachShallow(strings_, visitor);
}

void TSwapLayerVisitor::Visit(TVemoObject* object) {
    if (!object || !object->IsSelected()) return;
    const TVemoLayerPtr from = object->GetLayer();
    if (!from) return;
    const auto mapped = names_.find(from->GetName());
    if (mapped == names_.end()) return;
    TVemoLayerPtr to = layers_.Find(mapped->second);
    if (!to) {
        to = std::make_shared<TVemoLayer>(kNewLayerColour, mapped->second);
        layers_.Insert(to);
        layersCreated_ = true;
    }
    object->SetLayer(to);
    objectsChanged_ = true;
    Keep(object);
}

void TSwapLayerVisitor::Clear() {
    TBasicVisitor::Clear();
    layersCreated_ = false;
    objectsChanged_ = false;
}
