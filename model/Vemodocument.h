#pragma once
// What the user opens, edits and saves: the layer list, the root part that
// owns every drawing object, and the view settings. A new document has the
// nine standard layers with "solder" current.

#include <memory>

#include "model/Vemodocumentinfo.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopart.h"

class TVemoGroup;

class TVemoDocument : public TVemoDocumentInfo {
public:
    // The default document.
    TVemoDocument();
    TVemoDocument(const TVemoDocument&) = delete;
    TVemoDocument& operator=(const TVemoDocument&) = delete;
    // The root part goes first, then the layer list; layers still held elsewhere live on.
    ~TVemoDocument();

    TVemoPart& GetRoot() { return *root_; }
    const TVemoPart& GetRoot() const { return *root_; }
    TVemoLayerList& GetLayerList() { return *layers_; }
    const TVemoLayerList& GetLayerList() const { return *layers_; }

private:
    // Declared first so that it is destroyed after the objects that refer to it.
    std::unique_ptr<TVemoLayerList> layers_;
    std::unique_ptr<TVemoPart> root_;
};

// Places a copy of an offered pad or library part at q: layers the document
// lacks are copied in (each before the current layer), the copy's objects take
// the document's layers of the same names, and the copy is moved by q, rebuilt
// and added to root. Snapping q is the caller's business. Returns the placed group.
TVemoGroup* PlaceLibraryPart(const TVemoGroup& offered, TVemoPart& root, TVemoLayerList& layers, PointF q);
TVemoGroup* PlaceLibraryPart(const TVemoGroup& offered, TVemoDocument& document, PointF q);
