#pragma once
// Reads the document archive format from a byte buffer.
//
// The reader is good while its header was accepted and every read so far
// succeeded. A read past the end, a negative count or a count the rest of the
// buffer cannot hold makes it not good, and every later read fails at once, so
// no damaged count can drive a loop or an allocation.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "geom/Matrix.h"
#include "geom/Pen.h"
#include "geom/Pointf.h"
#include "model/Vemotypes.h"

class TVemoLayerList;
class TObjectPool;

class TVemo_iarchive {
public:
    // Reads and checks the header. bytes must outlive the reader. binding is the
    // layer list objects are bound to by name (not owned; may be null at first).
    explicit TVemo_iarchive(std::string_view bytes, TVemoLayerList* binding = nullptr);

    bool IsGood() const { return good_; }
    // Whether the header was accepted (the reader may have failed later).
    bool IsAccepted() const { return accepted_; }
    int Version() const { return version_; }
    bool AtEnd() const { return pos_ >= bytes_.size(); }
    std::size_t Remaining() const { return bytes_.size() - pos_; }
    std::size_t Position() const { return pos_; }
    void Fail() { good_ = false; }
    // Fails with a reason the caller can show; the first reason given is kept.
    void Fail(const std::string& reason);
    // Why reading failed, when the failure is more than damaged bytes.
    const std::string& FailReason() const { return reason_; }

    // Containers being read, innermost last. Enter fails the reader, with a
    // reason, rather than nest deeper than a model tree may.
    bool EnterContainer();
    void LeaveContainer() { --nesting_; }

    bool ReadInt32(std::int32_t& v);
    bool ReadUInt32(std::uint32_t& v);
    bool ReadByte(std::uint8_t& v);
    bool ReadFloat(float& v);
    bool ReadDouble(double& v);
    bool ReadString(std::string& utf8);
    bool ReadWString(std::u16string& text);
    bool ReadColour(geom::Argb& argb);
    bool ReadPoint(geom::PointF& p);
    // n points, as n calls of ReadPoint read them.
    bool ReadPoints(geom::PointF* points, std::size_t n);
    // n bytes as they stand.
    bool ReadBytes(void* out, std::size_t n) { return Take(out, n); }
    bool ReadMatrix(geom::Matrix& m);
    bool ReadTag(std::string& tag);
    bool Skip(std::size_t n);
    // Reads a count of items that take at least minItemBytes each; fails when it
    // is negative or the rest of the buffer cannot hold that many.
    bool ReadCount(std::int32_t& n, std::size_t minItemBytes);

    // With this on, objects read from records of version 4 or 5 are left with
    // stale outlines instead of being rebuilt one by one; the caller builds
    // them all at once (RebuildStale) when the tree is complete.
    void SetDeferRebuild(bool defer) { deferRebuild_ = defer; }
    bool DefersRebuild() const { return deferRebuild_; }
    // Objects that records may be read into instead of new ones (an undo
    // step); not owned, may be null.
    void SetPool(TObjectPool* pool) { pool_ = pool; }
    TObjectPool* Pool() const { return pool_; }
    // The whole buffer being read.
    std::string_view Bytes() const { return bytes_; }

    TVemoLayerList* BindingList() const { return binding_; }
    // Layers made for missing names go into the old list first (see BindLayer).
    void SetBindingList(TVemoLayerList* list);

    // The layer of the binding list named name (the first of that name). A
    // missing name gets a new layer of that name and colour, made once per name
    // and inserted into the list, as Insert would, when the reader is done with
    // the list: on CommitLayers, SetBindingList or destruction. Names are looked
    // up by hash, so reading stays linear however many names are missing.
    TVemoLayerPtr BindLayer(const std::string& name, geom::Argb missingColour);
    void CommitLayers();

    ~TVemo_iarchive();
    TVemo_iarchive(const TVemo_iarchive&) = delete;
    TVemo_iarchive& operator=(const TVemo_iarchive&) = delete;

private:
    bool Take(void* out, std::size_t n);

    std::string_view bytes_;
    std::size_t pos_ = 0;
    bool good_ = false;
    bool accepted_ = false;
    int version_ = 0;
    int nesting_ = 0;
    std::string reason_;
    TVemoLayerList* binding_ = nullptr;
    bool indexed_ = false;
    bool deferRebuild_ = false;
    TObjectPool* pool_ = nullptr;
    std::unordered_map<std::string, TVemoLayerPtr> byName_;
    std::vector<TVemoLayerPtr> pending_;  // made for missing names, not yet in the list
};
