#pragma once
// The archive records of layers, stroke styles, drawing objects and documents:
// every byte layout of the format lives in this file's implementation. Writing
// always uses the current version; reading understands versions 3, 4 and 5.
//
// Reading never throws: a damaged record makes the reader not good and the
// caller drops what it was reading.

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "archive/Vemo_iarchive.h"
#include "archive/Vemo_oarchive.h"

class TVemoContainer;
class TVemoSurface;
class TVemoLayerList;
class TVemoObject;
class TVemoPart;
class TVemoDocument;

void SaveSurface(TVemo_oarchive& out, const TVemoSurface& surface);
bool LoadSurface(TVemo_iarchive& in, TVemoSurface& surface, int version);

// Layers are written last index first, so that inserting each one read before
// the current layer rebuilds the stored order.
void SaveLayerList(TVemo_oarchive& out, const TVemoLayerList& layers);
bool LoadLayerList(TVemo_iarchive& in, TVemoLayerList& layers, int version);

// The body of an object's record, without its tag.
void SaveObject(TVemo_oarchive& out, const TVemoObject& object);
// Reads the body of a version 4 or 5 record into object (containers first drop
// their children); false when the reader failed on the way.
bool LoadObject(TVemo_iarchive& in, TVemoObject& object, int version);

// The drawing objects of a tree that is about to be read anew from a snapshot
// (an undo or redo step), offered to the reader so that the objects an edit
// did not touch are not built again. Each offered object is filed under the
// record it writes itself; a record of the snapshot equal to it is read into
// that object instead of a new one, and LoadObject keeps its outline only if
// the data read equals, bit for bit, the data the outline was built from.
// The objects nobody took go with the pool.
class TObjectPool {
public:
    TObjectPool();
    ~TObjectPool();
    TObjectPool(const TObjectPool&) = delete;
    TObjectPool& operator=(const TObjectPool&) = delete;

    // Takes every leaf object out of container's tree; the inner containers go.
    void Offer(TVemoContainer& container);
    // The same for objects already taken out of their container.
    void Offer(std::vector<std::unique_ptr<TVemoObject>> objects);
    // An offered object whose own record (tag and body) is record, or null.
    std::unique_ptr<TVemoObject> Take(std::string_view record);
    std::size_t Offered() const { return objects_.size(); }
    std::size_t Taken() const { return taken_; }

private:
    std::string records_;
    std::vector<std::unique_ptr<TVemoObject>> objects_;
    // Where each object's record starts in records_ (one more: the end).
    std::vector<std::size_t> starts_;
    // (hash of the record, object) sorted, so that one allocation files them all.
    std::vector<std::pair<std::size_t, std::size_t>> byHash_;
    std::size_t taken_ = 0;
};

// Reads the body of a container's record (version 4 or 5) into container as
// LoadObject does, with the reader's pool and deferred rebuilds, but first
// keeps the children at the start and at the end of its list whose own
// records equal those of the data and whose every field reads back as it is
// (plain ASCII names, a layer the binding gives, style fields the record
// holds whole); only the children between them go through the pool. False
// when the reader failed on the way.
bool LoadContainerKeeping(TVemo_iarchive& in, TVemoContainer& container);

// A tagged record: the tag, then the body.
void WriteObject(TVemo_oarchive& out, const TVemoObject& object);
// The next tagged record as a new object, read by the reader's version; none
// for an unknown tag, at the end of the data or when the reader failed.
std::unique_ptr<TVemoObject> ReadObject(TVemo_iarchive& in);

// Layer list, root part and document settings.
void SaveDocument(TVemo_oarchive& out, const TVemoDocument& document);
// Reads a whole document into a new one; none when the data is damaged or not
// a document (a partly read document is never returned).
std::unique_ptr<TVemoDocument> LoadDocument(TVemo_iarchive& in);

// UTF-16 text to UTF-8 and back, reversibly even for unpaired surrogates (font
// family names are stored as UTF-16).
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);
