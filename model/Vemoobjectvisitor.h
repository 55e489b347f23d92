#pragma once
// A traversal of the object tree: objects hand themselves to Visit through
// Accept (groups as units) or AcceptDeep (every leaf), and the visitor decides
// what to keep. Visitors hold non-owning pointers, valid until the tree changes.

class TVemoObject;

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
