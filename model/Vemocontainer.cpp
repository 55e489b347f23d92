#include "model/Vemocontainer.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "model/Vemoinstance.h"
#include "model/Vemoobjectvisitor.h"
#include "model/Vemostring.h"

TVemoContainer::TVemoContainer(std::string name) : TVemoObject(std::move(name)) {}

TVemoContainer::TVemoContainer(const TVemoContainer& other) : TVemoObject(other) {
    children_.reserve(other.children_.size());
    for (const auto& child : other.children_) AddChild(CloneOf(*child));
}

TVemoContainer::~TVemoContainer() = default;

namespace {

// The longest chain of containers from object down, object included; 0 for a
// leaf. Walks with its own stack, so any tree can be measured.
int ContainerHeight(const TVemoObject& object) {
    const auto* top = dynamic_cast<const TVemoContainer*>(&object);
    if (!top) return 0;
    int height = 0;
    std::vector<std::pair<const TVemoContainer*, int>> pending{{top, 1}};
    while (!pending.empty()) {
        const auto [container, level] = pending.back();
        pending.pop_back();
        height = std::max(height, level);
        for (int i = 0; i < container->GetChildCount(); ++i)
            if (const auto* sub = dynamic_cast<const TVemoContainer*>(container->GetChild(i)))
                pending.emplace_back(sub, level + 1);
    }
    return height;
}

}  // namespace

int TVemoContainer::NestingLevel() const {
    int level = 1;
    for (const TVemoObject* up = GetParent(); up; up = up->GetParent()) ++level;
    return level;
}

bool TVemoContainer::CanAdopt(const TVemoObject& child) const {
    return NestingLevel() + ContainerHeight(child) <= kMaxNesting;
}

TVemoObject* TVemoContainer::AddChild(std::unique_ptr<TVemoObject> child) {
    if (!child || !CanAdopt(*child)) return nullptr;
    TVemoObject* raw = child.get();
    raw->SetParent(this);
    children_.push_back(std::move(child));
    if (raw->IsCutOut())
        drawOrder_.push_back(raw);
    else
        drawOrder_.push_front(raw);
    return raw;
}

TVemoObject* TVemoContainer::AddCopy(const TVemoObject& object) {
    return AddChild(CloneOf(object));
}

TVemoObject* TVemoContainer::GetChild(int i) const {
    if (i < 0 || i >= GetChildCount()) return nullptr;
    return children_[static_cast<std::size_t>(i)].get();
}

int TVemoContainer::IndexOf(const TVemoObject* child) const {
    const auto it = std::find_if(children_.begin(), children_.end(),
                                 [child](const auto& owned) { return owned.get() == child; });
    return it == children_.end() ? -1 : static_cast<int>(it - children_.begin());
}

std::unique_ptr<TVemoObject> TVemoContainer::ReleaseChild(TVemoObject* child) {
    const int i = IndexOf(child);
    if (i < 0) return nullptr;
    std::unique_ptr<TVemoObject> released = std::move(children_[static_cast<std::size_t>(i)]);
    children_.erase(children_.begin() + i);
    RebuildDrawOrder();
    released->SetParent(nullptr);
    return released;
}

std::vector<std::unique_ptr<TVemoObject>> TVemoContainer::ReleaseChildren() {
    drawOrder_.clear();
    std::vector<std::unique_ptr<TVemoObject>> released = std::move(children_);
    children_.clear();
    for (auto& child : released) child->SetParent(nullptr);
    return released;
}

void TVemoContainer::ClearChildren() {
    // The painting order goes first, so it never holds a destroyed object.
    drawOrder_.clear();
    children_.clear();
}

bool TVemoContainer::DestroyChild(TVemoObject* child) {
    const int i = IndexOf(child);
    if (i < 0) return false;
    // Out of the painting order first, so it never holds a destroyed object.
    std::erase(drawOrder_, child);
    children_.erase(children_.begin() + i);
    return true;
}

void TVemoContainer::RebuildDrawOrder() {
    drawOrder_.clear();
    for (const auto& child : children_) {
        if (child->IsCutOut())
            drawOrder_.push_back(child.get());
        else
            drawOrder_.push_front(child.get());
    }
}

void TVemoContainer::Rebuild() {
    for (const auto& child : children_) child->Rebuild();
    RebuildDrawOrder();
}

void TVemoContainer::RemoveChild(TVemoObject* child) {
    if (DestroyChild(child)) RebuildDrawOrder();
}

void TVemoContainer::AddOutline(GraphicsPath& path, int layerIndex) const {
    if (!IsVisible()) return;
    for (const TVemoObject* child : drawOrder_) child->AddOutline(path, layerIndex);
}

void TVemoContainer::GetBounds(RectF& bounds) const {
    bool any = false;
    float l = 0, t = 0, r = 0, b = 0;
    if (IsVisible()) {
        for (const TVemoObject* child : drawOrder_) {
            if (!CountsForBounds(*child)) continue;
            RectF box;
            child->GetBounds(box);
            // An empty or hidden container answers the empty rectangle: it has no
            // extent and must not pull the bounds towards the origin.
            if (box == RectF()) continue;
            if (!any) {
                l = box.Left(), t = box.Top(), r = box.Right(), b = box.Bottom();
                any = true;
            } else {
                l = std::min(l, box.Left()), t = std::min(t, box.Top());
                r = std::max(r, box.Right()), b = std::max(b, box.Bottom());
            }
        }
    }
    bounds = any ? RectF(l, t, r - l, b - t) : RectF();
}

void TVemoContainer::DrawFill(TVemoGraphics* graphics, int layerIndex) const {
    if (!IsVisible()) return;
    for (const TVemoObject* child : drawOrder_) child->DrawFill(graphics, layerIndex);
}

void TVemoContainer::DrawDecorations(TVemoGraphics* graphics) const {
    if (!IsVisible()) return;
    for (const TVemoObject* child : drawOrder_) child->DrawDecorations(graphics);
}

void TVemoContainer::DrawMask(TVemoGraphics* graphics, int layerIndex) const {
    if (!IsVisible()) return;
    for (const TVemoObject* child : drawOrder_) child->DrawMask(graphics, layerIndex);
}

bool TVemoContainer::HitPoint(PointF p) const {
    return std::any_of(children_.begin(), children_.end(),
                       [&](const auto& c) { return !c->IsLocked() && c->HitPoint(p); });
}

bool TVemoContainer::HitRect(const RectF& rect, TVemoGraphics* graphics) const {
    return std::any_of(children_.begin(), children_.end(),
                       [&](const auto& c) { return !c->IsLocked() && c->HitRect(rect, graphics); });
}

bool TVemoContainer::HitPath(const GraphicsPath& path, const RectF& pathBounds,
                             TVemoGraphics* graphics) const {
    return std::any_of(children_.begin(), children_.end(), [&](const auto& c) {
        return !c->IsLocked() && c->HitPath(path, pathBounds, graphics);
    });
}

bool TVemoContainer::HitSelected(PointF p) const {
    return std::any_of(children_.begin(), children_.end(),
                       [&](const auto& c) { return !c->IsLocked() && c->HitSelected(p); });
}

int TVemoContainer::HitHandle(PointF p, float tol) const {
    int answer = 0;
    for (const auto& child : children_)
        if (!child->IsLocked()) answer |= child->HitHandle(p, tol);
    return answer;
}

int TVemoContainer::AnchorsInRect(const RectF& rect) const {
    int answer = 0;
    for (const auto& child : children_)
        if (!child->IsLocked()) answer |= child->AnchorsInRect(rect);
    return answer;
}

int TVemoContainer::HitSelectedAnchor(PointF p, float tol) const {
    for (const auto& child : children_) {
        if (child->IsLocked()) continue;
        if (const int answer = child->HitSelectedAnchor(p, tol)) return answer;
    }
    return 0;
}

int TVemoContainer::PickHandle(PointF p, float tol) {
    int last = 0;
    TVemoObject* candidate = nullptr;
    for (const auto& child : children_) {
        if (child->IsLocked()) continue;
        if (child->IsEditingPoints()) {
            last = child->PickHandle(p, tol);
            if (last & (2 | 4)) return last;
        } else if (!candidate && child->HitHandle(p, tol) != 0) {
            candidate = child.get();
        }
    }
    return candidate ? candidate->PickHandle(p, tol) : last;
}

int TVemoContainer::SelectAnchorsInRect(const RectF& rect) {
    // Every child is asked: each one flags its own anchors.
    int answer = 0;
    for (const auto& child : children_)
        if (!child->IsLocked()) answer |= child->SelectAnchorsInRect(rect);
    return answer;
}

int TVemoContainer::SelectAllAnchors() {
    for (const auto& child : children_)
        if (!child->IsLocked()) child->SelectAllAnchors();
    return 1;
}

void TVemoContainer::DeselectAnchors() {
    for (const auto& child : children_) child->DeselectAnchors();
}

void TVemoContainer::Transform(const Matrix& m) {
    for (const auto& child : children_) child->Transform(m);
}

void TVemoContainer::Translate(float dx, float dy) {
    for (const auto& child : children_) child->Translate(dx, dy);
}

void TVemoContainer::Rotate(float angle, PointF centre) {
    for (const auto& child : children_) child->Rotate(angle, centre);
}

void TVemoContainer::MoveSelection(float dx, float dy) {
    for (const auto& child : children_)
        if (!child->IsLocked()) child->MoveSelection(dx, dy);
}

void TVemoContainer::RotateSelection(float angle, PointF centre) {
    for (const auto& child : children_)
        if (!child->IsLocked()) child->RotateSelection(angle, centre);
}

void TVemoContainer::MoveActiveHandle(float dx, float dy) {
    for (const auto& child : children_)
        if (!child->IsLocked()) child->MoveActiveHandle(dx, dy);
}

void TVemoContainer::RotateActiveHandle(float angle, PointF centre) {
    for (const auto& child : children_)
        if (!child->IsLocked()) child->RotateActiveHandle(angle, centre);
}

void TVemoContainer::RebindLayer(const TVemoLayerList& layers) {
    for (const auto& child : children_) child->RebindLayer(layers);
}

void TVemoContainer::AcceptDeep(TVemoObjectVisitor& visitor) {
    for (const auto& child : children_) child->AcceptDeep(visitor);
}

void ForEachObject(const TVemoObject& root, bool visibleOnly,
                   const std::function<void(const TVemoObject&)>& visit) {
    std::vector<const TVemoObject*> pending{&root};
    while (!pending.empty()) {
        const TVemoObject* object = pending.back();
        pending.pop_back();
        if (visibleOnly && !object->IsVisible()) continue;
        visit(*object);
        if (const auto* container = dynamic_cast<const TVemoContainer*>(object))
            for (int i = container->GetChildCount() - 1; i >= 0; --i)
                pending.push_back(container->GetChild(i));
    }
}

void RebuildStale(TVemoObject& root) {
    std::vector<TVemoInstance*> shapes, texts;
    std::vector<TVemoObject*> pending{&root};
    while (!pending.empty()) {
        TVemoObject* object = pending.back();
        pending.pop_back();
        if (TVemoContainer* container = object->AsContainer()) {
            for (int i = container->GetChildCount() - 1; i >= 0; --i)
                pending.push_back(container->GetChild(i));
        } else if (TVemoInstance* instance = object->AsInstance(); instance && instance->IsStale()) {
            (instance->GetTag() == "TEXT" ? texts : shapes).push_back(instance);
        }
    }
    // Small pieces handed out in turn keep both cores busy however uneven the
    // objects are; below a few hundred objects a thread costs more than it saves.
    constexpr std::size_t kPiece = 64;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned helpers = shapes.size() < 4 * kPiece ? 0u : std::min(cores - 1, 7u);
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (;;) {
            const std::size_t first = next.fetch_add(kPiece);
            if (first >= shapes.size()) return;
            const std::size_t last = std::min(shapes.size(), first + kPiece);
            for (std::size_t i = first; i < last; ++i) shapes[i]->Rebuild();
        }
    };
    std::vector<std::thread> threads;
    threads.reserve(helpers);
    for (unsigned i = 0; i < helpers; ++i) {
        try {
            threads.emplace_back(work);
        } catch (const std::system_error&) {
            break;  // no thread to be had: fewer hands
        }
    }
    for (TVemoInstance* text : texts) text->Rebuild();
    work();
    for (std::thread& thread : threads) thread.join();
}
