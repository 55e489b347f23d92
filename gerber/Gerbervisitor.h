#pragma once
// How each kind of drawing object adds itself to a layer's photoplot archive.
// Objects on another layer add nothing; containers pass the archive to their
// children in child order.

#include <vector>

#include "model/Vemoobjectvisitor.h"

class TGerber_oarchive;
class TVemoObject;
class TVemoPath;
class TVemoRect;
class TVemoEllipse;
class TVemoString;

// Each returns 0 when the object added an item, -1 when it added nothing.
// A path needs at least one segment; a text is outlined and hatched with the
// archive's text width.
int WriteGerber(const TVemoPath& path, TGerber_oarchive& archive);
// A path the archive flashes as one land (see TGerber_oarchive::LandOf).
bool IsLand(const TVemoPath& path);
int WriteGerber(const TVemoRect& rect, TGerber_oarchive& archive);
int WriteGerber(const TVemoEllipse& ellipse, TGerber_oarchive& archive);
int WriteGerber(const TVemoString& text, TGerber_oarchive& archive);

// Dispatches every leaf object it visits to the matching WriteGerber above.
class TGerberVisitor : public TVemoObjectVisitor {
public:
    explicit TGerberVisitor(TGerber_oarchive& archive) : archive_(archive) {}

    void Visit(TVemoObject* object) override;
    // Nothing is collected.
    void Clear() override {}
    void ForEachDeep(TVemoObjectVisitor&) override {}
    void ForEachShallow(TVemoObjectVisitor&) override {}

private:
    TGerber_oarchive& archive_;
};

// The leaf objects under root that are drawn, in document order: objects
// hidden by their own flag, and everything inside a hidden group, are left out.
std::vector<TVemoObject*> VisibleLeaves(TVemoObject& root);
// Every visible object of the tree under root, in document order.
void WriteGerberTree(TVemoObject& root, TGerber_oarchive& archive);
// The objects given (leaves, as VisibleLeaves gives them), in order.
void WriteGerberObjects(const std::vector<TVemoObject*>& objects, TGerber_oarchive& archive);
