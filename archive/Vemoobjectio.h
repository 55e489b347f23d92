#pragma once
// The archive records of layers, stroke styles, drawing objects and documents:
// every byte layout of the format lives in this file's implementation. Writing
// always uses the current version; reading understands versions 3, 4 and 5.
//
// Reading never throws: a damaged record makes the reader not good and the
// caller drops what it was reading.

#include <memory>

#include "archive/Vemo_iarchive.h"
#include "archive/Vemo_oarchive.h"

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
