#include "archive/Vemoobjectio.h"

#include "archive/Cp932.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <functional>
#include <unordered_set>
#include <vector>

#include "model/Vemocontainer.h"
#include "model/Vemodocument.h"
#include "model/Vemoellipse.h"
#include "model/Vemogroup.h"
#include "model/Vemolayer.h"
#include "model/Vemolayerlist.h"
#include "model/Vemopart.h"
#include "model/Vemopath.h"
#include "model/Vemorectangle.h"
#include "model/Vemostring.h"
#include "model/Vemosurface.h"

namespace {

constexpr Argb kMissingLayerColour = 0xFF808080u;
// The smallest possible record bodies; counts of children and points are
// checked against what the rest of the data could hold.
constexpr std::size_t kMinTaggedRecord = 4 + 4 + 4 + 4;  // tag, empty name, flags, one more field
constexpr std::size_t kMinLayerRecord = 4 + 4 + 4;
constexpr std::size_t kMinLayerRecordV3 = 4 + 4 + 1 + 1;

// ---- helpers shared by the versions ----

TVemoLayerPtr BindLayer(TVemo_iarchive& in, const std::string& name) {
    return in.BindLayer(name, kMissingLayerColour);
}

bool LoadObjectFields(TVemo_iarchive& in, TVemoObject& object) {
    std::string name;
    std::int32_t flags = 0;
    if (!in.ReadString(name) || !in.ReadInt32(flags)) return false;
    object.SetName(name);
    object.ClearFlags(~0);
    object.SetFlags(flags & ~(TVemoObject::FlagSelected | TVemoObject::FlagEditingPoints));
    return true;
}

void SaveObjectFields(TVemo_oarchive& out, const TVemoObject& object) {
    out.WriteString(object.GetName());
    out.WriteInt32(object.GetFlags());
}

// Instance fields: object fields, layer name, surface. The surface is applied
// without rebuilding; the caller rebuilds once the body is complete.
bool LoadInstanceFields(TVemo_iarchive& in, TVemoInstance& object, int version, TVemoSurface& surface) {
    std::string layerName;
    if (!LoadObjectFields(in, object) || !in.ReadString(layerName)) return false;
    object.AssignLayer(BindLayer(in, layerName));
    return LoadSurface(in, surface, version);
}

// Where the record of a drawing object (path, rectangle, ellipse, text) of
// version 4 or 5 starting at start (its tag) ends; false when it does not fit.
// Walks the lengths only, so that a record can be looked up before it is read.
bool LeafRecordEnd(std::string_view bytes, std::size_t start, std::size_t& end) {
    std::size_t at = start;
    const auto need = [&](std::size_t n) { return n <= bytes.size() - at; };
    const auto skip = [&](std::size_t n) {
        if (!need(n)) return false;
        at += n;
        return true;
    };
    const auto count = [&](std::size_t itemBytes, std::size_t& n) {
        std::int32_t v = 0;
        if (!need(4)) return false;
        std::memcpy(&v, bytes.data() + at, 4);
        if constexpr (std::endian::native == std::endian::big)
            v = std::int32_t(__builtin_bswap32(std::uint32_t(v)));
        at += 4;
        if (v < 0) return false;
        n = std::size_t(v) * itemBytes;
        return true;
    };
    std::size_t n = 0;
    if (!skip(4)) return false;
    const std::string_view tag = bytes.substr(start, 4);
    // Name, flags, layer name, the stroke style (14 bytes in versions 4 and 5).
    if (!count(1, n) || !skip(n) || !skip(4) || !count(1, n) || !skip(n) || !skip(14)) return false;
    if (tag == "PATH") {
        if (!skip(1) || !count(8, n) || !skip(n) || !count(1, n) || !skip(n)) return false;
    } else if (tag == "RECT" || tag == "ELPS") {
        if (!count(8, n) || !skip(n) || !skip(24)) return false;
    } else if (tag == "TEXT") {
        if (!skip(24) || !count(2, n) || !skip(n) || !count(2, n) || !skip(n) || !skip(8)) return false;
    } else {
        return false;
    }
    end = at;
    return true;
}

bool IsLeafTag(std::string_view tag) {
    return tag == "PATH" || tag == "RECT" || tag == "ELPS" || tag == "TEXT";
}

// reused: object was taken from a pool under its own record, which ends at end.
bool LoadBody(TVemo_iarchive& in, TVemoObject& object, int version, bool reused, std::size_t end);

void SaveInstanceFields(TVemo_oarchive& out, const TVemoInstance& object) {
    SaveObjectFields(out, object);
    const TVemoLayer* layer = object.LayerOrNull();
    out.WriteString(layer ? std::string_view(layer->GetName()) : std::string_view());
    SaveSurface(out, *object.GetSurface());
}

std::unique_ptr<TVemoObject> MakeObject(const std::string& tag) {
    if (tag == "PATH") return std::make_unique<TVemoPath>();
    if (tag == "RECT") return std::make_unique<TVemoRect>();
    if (tag == "ELPS") return std::make_unique<TVemoEllipse>();
    if (tag == "TEXT") return std::make_unique<TVemoString>();
    if (tag == "GRUP") return std::make_unique<TVemoGroup>();
    if (tag == "PART") return std::make_unique<TVemoPart>();
    return nullptr;
}

bool LoadChildren(TVemo_iarchive& in, TVemoContainer& container) {
    std::int32_t count = 0;
    if (!in.ReadCount(count, kMinTaggedRecord) || !in.EnterContainer()) return false;
    for (std::int32_t i = 0; i < count; ++i) {
        std::unique_ptr<TVemoObject> child = ReadObject(in);
        // An unknown tag ends the container; a failed read ends everything.
        if (!child) break;
        container.AddChild(std::move(child));
    }
    in.LeaveContainer();
    return in.IsGood();
}

// ---- version 3 bodies ----

struct TrailerV3 {
    Matrix matrix;
    std::string name;
};

bool LoadTrailerV3(TVemo_iarchive& in, TrailerV3& trailer, TVemoSurface* surface) {
    if (!in.Skip(4 + 8) || !in.ReadMatrix(trailer.matrix) || !in.ReadString(trailer.name)) return false;
    TVemoSurface dropped;
    return LoadSurface(in, surface ? *surface : dropped, 3);
}

std::unique_ptr<TVemoObject> ReadObjectV3(TVemo_iarchive& in);

bool LoadBodyV3(TVemo_iarchive& in, TVemoObject& object, const std::string& tag) {
    TVemoSurface surface;
    TrailerV3 trailer;
    if (auto* container = dynamic_cast<TVemoContainer*>(&object)) {
        std::int32_t count = 0;
        if (!in.ReadCount(count, kMinTaggedRecord) || !in.EnterContainer()) return false;
        for (std::int32_t i = 0; i < count; ++i) {
            std::unique_ptr<TVemoObject> child = ReadObjectV3(in);
            if (!child) break;
            container->AddChild(std::move(child));
        }
        in.LeaveContainer();
        if (!in.IsGood() || !LoadTrailerV3(in, trailer, nullptr)) return false;
        object.SetName(trailer.name);
        return true;
    }

    auto& instance = static_cast<TVemoInstance&>(object);
    std::string layerName;
    if (!in.ReadString(layerName)) return false;
    instance.SetLayer(BindLayer(in, layerName));

    if (tag == "PATH") {
        std::uint8_t closed = 0;
        std::int32_t n = 0;
        if (!in.ReadByte(closed) || !in.ReadCount(n, 9)) return false;
        std::vector<PointF> points(static_cast<std::size_t>(n));
        std::vector<unsigned char> types(static_cast<std::size_t>(n));
        for (std::int32_t i = 0; i < n; ++i)
            if (!in.ReadPoint(points[std::size_t(i)]) || !in.ReadByte(types[std::size_t(i)])) return false;
        if (!LoadTrailerV3(in, trailer, &surface)) return false;
        trailer.matrix.TransformPoints(points.data(), points.size());
        auto& path = static_cast<TVemoPath&>(object);
        if (!path.SetData(points, types, closed != 0)) return false;
        path.SetName(trailer.name);
        *path.GetSurface() = surface;
        path.Rebuild();
        return true;
    }
    if (tag == "RECT" || tag == "ELPS") {
        TVemoShape::LocalPoints stored{};
        if (!in.Skip(16)) return false;
        for (PointF& p : stored)
            if (!in.ReadPoint(p)) return false;
        if (!LoadTrailerV3(in, trailer, &surface)) return false;
        TVemoShape::LocalPoints local = stored;
        if (tag == "ELPS") local = {stored[0], stored[4], stored[1], stored[2], stored[3]};
        auto& shape = static_cast<TVemoShape&>(object);
        shape.SetName(trailer.name);
        *shape.GetSurface() = surface;
        shape.SetData(local, trailer.matrix);
        return true;
    }
    if (tag == "TEXT") {
        std::u16string family, text;
        std::int32_t style = 0;
        float size = 0;
        if (!in.ReadWString(family) || !in.ReadInt32(style) || !in.ReadFloat(size) || !in.ReadWString(text) ||
            !LoadTrailerV3(in, trailer, &surface))
            return false;
        TVemoFont font;
        font.SetFamilyName(Utf16ToUtf8(family));
        font.SetStyle(style);
        font.SetSize(size);
        auto& str = static_cast<TVemoString&>(object);
        str.SetName(trailer.name);
        *str.GetSurface() = surface;
        str.SetData(trailer.matrix, text, font);
        return true;
    }
    return false;
}

std::unique_ptr<TVemoObject> ReadObjectV3(TVemo_iarchive& in) {
    if (!in.IsGood() || in.AtEnd()) return nullptr;
    std::string tag;
    if (!in.ReadTag(tag)) return nullptr;
    std::unique_ptr<TVemoObject> object = MakeObject(tag);
    if (!object) return nullptr;
    if (!LoadBodyV3(in, *object, tag)) {
        in.Fail();
        return nullptr;
    }
    return object;
}

bool LoadLayerListV3(TVemo_iarchive& in, TVemoLayerList& layers) {
    std::int32_t count = 0;
    if (!in.ReadCount(count, kMinLayerRecordV3)) return false;
    layers.Clear();
    for (std::int32_t i = 0; i < count; ++i) {
        std::string name;
        Argb colour = 0;
        std::uint8_t cutOut = 0, wireFrame = 0;
        if (!in.ReadString(name) || !in.ReadColour(colour) || !in.ReadByte(cutOut) || !in.ReadByte(wireFrame))
            return false;
        auto layer = std::make_shared<TVemoLayer>(colour, name);
        layer->SetFlags(TVemoLayer::DefaultFlags);
        layer->SetCutOut(cutOut != 0);
        layer->SetWireFrame(wireFrame != 0);
        layers.Insert(layer);
    }
    return true;
}

}  // namespace

// ---- surfaces and layers ----

void SaveSurface(TVemo_oarchive& out, const TVemoSurface& s) {
    const std::uint32_t word = 0x80000000u | (s.GetCutOut() ? 1u : 0u) | (s.GetFill() ? 2u : 0u) |
                               ((std::uint32_t(s.GetJoin()) & 0x3u) << 2) |
                               ((std::uint32_t(s.GetCap()) & 0xFFu) << 4) |
                               ((std::uint32_t(s.GetDash()) & 0x7u) << 12);
    // Width, cut-out byte, fill byte, the style word and the cap, little-endian,
    // gathered so that a record costs few appends.
    unsigned char bytes[14];
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes[at + std::size_t(i)] = std::uint8_t(v >> (8 * i));
    };
    std::uint32_t width;
    const float w = s.GetWidth();
    std::memcpy(&width, &w, 4);
    put32(0, width);
    bytes[4] = s.GetCutOut() ? 1 : 0;
    bytes[5] = s.GetFill() ? 1 : 0;
    put32(6, word);
    put32(10, std::uint32_t(std::int32_t(s.GetCap())));
    out.WriteBytes(bytes, sizeof bytes);
}

bool LoadSurface(TVemo_iarchive& in, TVemoSurface& s, int version) {
    if (version > kArchiveVersion) return true;
    float width = 1.0f;
    std::uint8_t cutOut = 0, fill = 0;
    std::int32_t join = s.GetJoin(), cap = s.GetCap(), dash = s.GetDash();
    if (!in.ReadFloat(width) || !in.ReadByte(cutOut) || !in.ReadByte(fill)) return false;
    if (version >= 5) {
        std::uint32_t word = 0;
        if (!in.ReadUInt32(word) || !in.ReadInt32(cap)) return false;
        cutOut = word & 1u;
        fill = (word >> 1) & 1u;
        join = std::int32_t((word >> 2) & 0x3u);
        dash = std::int32_t((word >> 12) & 0x7u);
        // The cap of the word is replaced by the following field.
    } else {
        if (version <= 3 && !in.Skip(4)) return false;
        if (!in.ReadInt32(join) || !in.ReadInt32(cap)) return false;
    }
    s.SetFields(width, fill != 0, cutOut != 0, join, cap, dash);
    return true;
}

void SaveLayerList(TVemo_oarchive& out, const TVemoLayerList& layers) {
    out.WriteInt32(layers.Count());
    for (int i = layers.Count() - 1; i >= 0; --i) {
        const TVemoLayerPtr layer = layers.At(i);
        out.WriteString(layer->GetName());
        out.WriteColour(layer->GetTranslucentColour());
        out.WriteInt32(layer->GetFlags());
    }
}

bool LoadLayerList(TVemo_iarchive& in, TVemoLayerList& layers, int version) {
    if (version <= 3) return LoadLayerListV3(in, layers);
    std::int32_t count = 0;
    if (!in.ReadCount(count, kMinLayerRecord)) return false;
    layers.Clear();
    TVemoLayerPtr stored;  // the layer that was current when the list was written
    for (std::int32_t i = 0; i < count; ++i) {
        std::string name;
        Argb colour = 0;
        std::int32_t flags = 0;
        if (!in.ReadString(name) || !in.ReadColour(colour) || !in.ReadInt32(flags)) return false;
        auto layer = std::make_shared<TVemoLayer>(colour, name);
        layer->SetFlags(flags);
        // The list is written from the last layer to the first: the one nearest
        // index 0 wins should a damaged file mark several.
        if (flags & TVemoLayer::FlagCurrent) stored = layer;
        // Insert makes it current; after the last one only index 0 is.
        layers.Insert(layer);
    }
    // The user's current layer comes back with the document (and with an undone
    // layer step) instead of whatever layer happens to be first.
    if (stored) layers.SetCurrent(stored);
    return true;
}

// ---- objects ----

void SaveObject(TVemo_oarchive& out, const TVemoObject& object) {
    const std::string_view tag = object.GetTag();
    // The tag names the class (the hierarchy is closed): cheaper than dynamic casts.
    if (tag == "PATH") {
        const auto* path = static_cast<const TVemoPath*>(&object);
        SaveInstanceFields(out, *path);
        out.WriteByte(path->IsClosed() ? 1 : 0);
        const auto& pts = path->GetPoints();
        out.WriteInt32(std::int32_t(pts.size()));
        out.WritePoints(pts.data(), pts.size());
        const auto& types = path->GetTypes();
        out.WriteInt32(std::int32_t(types.size()));
        out.WriteBytes(types.data(), types.size());
    } else if (tag == "RECT" || tag == "ELPS") {
        const auto* shape = static_cast<const TVemoShape*>(&object);
        SaveInstanceFields(out, *shape);
        out.WriteInt32(TVemoShape::kHandleCount);
        out.WritePoints(shape->GetLocalPoints().data(), shape->GetLocalPoints().size());
        out.WriteMatrix(shape->GetPlacement());
    } else if (tag == "TEXT") {
        const auto* str = static_cast<const TVemoString*>(&object);
        SaveInstanceFields(out, *str);
        out.WriteMatrix(str->GetPlacement());
        out.WriteWString(str->GetText());
        out.WriteWString(Utf8ToUtf16(str->GetFont().FamilyName()));
        out.WriteInt32(str->GetFont().GetStyle());
        out.WriteFloat(str->GetFont().GetSize());
    } else if (const TVemoContainer* container = object.AsContainer()) {
        SaveObjectFields(out, *container);
        out.WriteInt32(container->GetChildCount());
        for (int i = 0; i < container->GetChildCount(); ++i) WriteObject(out, *container->GetChild(i));
    }
}

bool LoadObject(TVemo_iarchive& in, TVemoObject& object, int version) {
    const bool ok = LoadBody(in, object, version, false, 0);
    // A record that broke off halfway still leaves an outline that fits the data.
    if (TVemoInstance* instance = object.AsInstance();
        !ok && instance && instance->IsStale() && !in.DefersRebuild())
        instance->Rebuild();
    return ok;
}

namespace {

// Ends the body of a drawing object. same: the object was taken from a pool,
// its outline was built from its data before (it was not stale), and every
// datum the outline is built from (the stroke style and the geometry) was
// read equal to what it held, bit for bit. Rebuild is a function of exactly
// those data (the layer gives only the colour, which KeepOutline takes
// again), and every change of them in the model ends in a Rebuild or leaves
// the object stale, so the outline kept is the one a rebuild would make:
// the object is the same, byte for byte and pixel for pixel, as one read anew.
void FinishBody(TVemo_iarchive& in, TVemoInstance& instance, bool same) {
    if (same)
        instance.KeepOutline();
    else if (!in.DefersRebuild())
        instance.Rebuild();
}

bool LoadBody(TVemo_iarchive& in, TVemoObject& object, int version, bool reused, std::size_t end) {
    if (TVemoContainer* container = object.AsContainer()) {
        container->ClearChildren();
        return LoadObjectFields(in, *container) && LoadChildren(in, *container);
    }
    TVemoInstance* instance = object.AsInstance();
    if (!instance) return false;
    const std::string_view tag = object.GetTag();
    const bool isPath = tag == "PATH", isShape = tag == "RECT" || tag == "ELPS";
    bool same = reused && !instance->IsStale();
    TVemoSurface surface;
    // Name, flags, layer and style are always taken from the record: their
    // writing may lose what the object held (characters CP932 lacks, style
    // bits beyond the stored ones).
    if (!LoadInstanceFields(in, *instance, version, surface)) return false;
    same = same && instance->GetSurface()->SameFields(surface);
    *instance->GetSurface() = surface;

    // The geometry of a path or a shape is written bit for bit (floats as
    // their bits, type bytes as they stand, the closed flag as 0 or 1), so the
    // object whose own record is this one holds exactly the geometry reading
    // it would give: it is skipped, not compared.
    if (same && end > in.Position() && (isPath || isShape)) {
        if (!in.Skip(end - in.Position())) return false;
        if (isPath)
            static_cast<TVemoPath*>(instance)->EndHandleMode();
        else
            instance->DeselectAnchors();
        instance->KeepOutline();
        return true;
    }

    if (isPath) {
        auto* path = static_cast<TVemoPath*>(instance);
        std::uint8_t closed = 0;
        std::int32_t n = 0, m = 0;
        if (!in.ReadByte(closed) || !in.ReadCount(n, 8)) return false;
        std::vector<PointF> points(static_cast<std::size_t>(n));
        if (!in.ReadPoints(points.data(), points.size())) return false;
        if (!in.ReadCount(m, 1)) return false;
        std::vector<unsigned char> types(static_cast<std::size_t>(m));
        if (!in.ReadBytes(types.data(), types.size())) return false;
        same = same && path->HasData(points, types, closed != 0);
        if (!path->SetData(points, types, closed != 0)) {
            in.Fail();
            return false;
        }
        FinishBody(in, *path, same);
        return true;
    }
    if (isShape) {
        auto* shape = static_cast<TVemoShape*>(instance);
        std::int32_t count = 0;
        if (!in.ReadCount(count, 8)) return false;
        if (count != TVemoShape::kHandleCount) {
            in.Fail();
            return false;
        }
        TVemoShape::LocalPoints local{};
        if (!in.ReadPoints(local.data(), local.size())) return false;
        Matrix placement;
        if (!in.ReadMatrix(placement)) return false;
        same = same && shape->HasData(local, placement);
        shape->AssignData(local, placement);
        // As a shape just made: no handle picked.
        shape->DeselectAnchors();
        FinishBody(in, *shape, same);
        return true;
    }
    if (tag == "TEXT") {
        auto* str = static_cast<TVemoString*>(instance);
        Matrix placement;
        std::u16string text, family;
        std::int32_t style = 0;
        float size = 0;
        if (!in.ReadMatrix(placement) || !in.ReadWString(text) || !in.ReadWString(family) ||
            !in.ReadInt32(style) || !in.ReadFloat(size))
            return false;
        TVemoFont font;
        font.SetFamilyName(Utf16ToUtf8(family));
        font.SetStyle(style);
        font.SetSize(size);
        same = same && str->HasData(placement, text, font);
        str->AssignData(placement, text, font);
        str->DeselectAnchors();
        FinishBody(in, *str, same);
        return true;
    }
    return false;
}

}  // namespace

void WriteObject(TVemo_oarchive& out, const TVemoObject& object) {
    out.WriteTag(object.GetTag());
    SaveObject(out, object);
}

std::unique_ptr<TVemoObject> ReadObject(TVemo_iarchive& in) {
    if (in.Version() <= 3) return ReadObjectV3(in);
    const std::size_t start = in.Position();
    std::string tag;
    if (!in.ReadTag(tag)) return nullptr;
    std::unique_ptr<TVemoObject> object;
    std::size_t end = 0;
    if (in.Pool() && IsLeafTag(tag) && LeafRecordEnd(in.Bytes(), start, end))
        object = in.Pool()->Take(in.Bytes().substr(start, end - start));
    const bool reused = object != nullptr;
    if (!object) object = MakeObject(tag);
    if (!object) return nullptr;
    if (!LoadBody(in, *object, in.Version(), reused, end)) {
        in.Fail();
        return nullptr;
    }
    return object;
}

// ---- objects offered for reuse ----

TObjectPool::TObjectPool() = default;
TObjectPool::~TObjectPool() = default;

void TObjectPool::Offer(TVemoContainer& container) {
    Offer(container.ReleaseChildren());
}

void TObjectPool::Offer(std::vector<std::unique_ptr<TVemoObject>> pending) {
    while (!pending.empty()) {
        std::unique_ptr<TVemoObject> object = std::move(pending.back());
        pending.pop_back();
        if (TVemoContainer* inner = object->AsContainer()) {
            // Containers are cheap to read anew; the group itself goes, empty.
            for (auto& child : inner->ReleaseChildren()) pending.push_back(std::move(child));
            continue;
        }
        objects_.push_back(std::move(object));
    }
    if (!starts_.empty()) return;  // offered once
    TVemo_oarchive out(records_);
    starts_.reserve(objects_.size() + 1);
    for (const auto& object : objects_) {
        starts_.push_back(records_.size());
        WriteObject(out, *object);
    }
    starts_.push_back(records_.size());
    byHash_.reserve(objects_.size());
    const std::hash<std::string_view> hash;
    for (std::size_t i = 0; i < objects_.size(); ++i)
        byHash_.emplace_back(hash(std::string_view(records_).substr(starts_[i], starts_[i + 1] - starts_[i])),
                             i);
    std::sort(byHash_.begin(), byHash_.end());
}

std::unique_ptr<TVemoObject> TObjectPool::Take(std::string_view record) {
    const std::size_t h = std::hash<std::string_view>()(record);
    auto at = std::lower_bound(byHash_.begin(), byHash_.end(), std::pair<std::size_t, std::size_t>(h, 0));
    for (; at != byHash_.end() && at->first == h; ++at) {
        std::unique_ptr<TVemoObject>& object = objects_[at->second];
        const std::size_t i = at->second;
        if (!object || std::string_view(records_).substr(starts_[i], starts_[i + 1] - starts_[i]) != record)
            continue;
        ++taken_;
        return std::move(object);
    }
    return nullptr;
}

// ---- reading a container anew, keeping what did not change ----

namespace {

// Where the record (tag and body, version 4 or 5) starting at start ends,
// containers with everything in them; false for an unknown tag or a record
// that does not fit.
// left: scratch space, children still to walk in each open container.
bool RecordEnd(std::string_view bytes, std::size_t start, std::size_t& end, std::vector<std::size_t>& left) {
    left.clear();
    std::size_t at = start;
    for (;;) {
        if (bytes.size() - at < 4) return false;
        const std::string_view tag = bytes.substr(at, 4);
        bool complete = true;  // the record at hand was walked to its end
        if (IsLeafTag(tag)) {
            if (!LeafRecordEnd(bytes, at, at)) return false;
        } else if (tag == "GRUP" || tag == "PART") {
            std::size_t p = at + 4;
            std::int32_t v = 0;
            const auto int32 = [&]() {
                if (bytes.size() - p < 4) return false;
                std::memcpy(&v, bytes.data() + p, 4);
                if constexpr (std::endian::native == std::endian::big)
                    v = std::int32_t(__builtin_bswap32(std::uint32_t(v)));
                p += 4;
                return true;
            };
            // Name, flags, count of children.
            if (!int32() || v < 0 || std::size_t(v) > bytes.size() - p) return false;
            p += std::size_t(v);
            if (!int32() || !int32() || v < 0) return false;
            at = p;
            if (v > 0) {
                if (left.size() + 1 >= std::size_t(TVemoContainer::kMaxNesting)) return false;
                left.push_back(std::size_t(v));
                complete = false;
            }
        } else {
            return false;
        }
        // A finished record counts against its container, which may finish too.
        while (complete) {
            if (left.empty()) {
                end = at;
                return true;
            }
            if (--left.back() == 0)
                left.pop_back();
            else
                complete = false;
        }
    }
}

bool PlainAscii(std::string_view s) {
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Whether reading the object's own record gives back the object as it is,
// but for what KeepAsRead sets: every string plain ASCII (CP932 and UTF-16
// hold those unchanged), the layer the reader would bind by that name (the
// first of the name in the list), the join and dash within the bits the
// record keeps of them, and an outline built from the present data.
bool LeafReadsBackAsItself(const TVemoInstance& instance,
                           const std::unordered_set<const TVemoLayer*>& firstOfName) {
    const TVemoLayer* layer = instance.LayerOrNull();
    const TVemoSurface& s = *instance.GetSurface();
    if (instance.IsStale() || !layer || !PlainAscii(instance.GetName()) || !firstOfName.count(layer) ||
        !PlainAscii(layer->GetName()) || s.GetJoin() < 0 || s.GetJoin() > 3 || s.GetDash() < 0 ||
        s.GetDash() > 7)
        return false;
    return instance.GetTag() != "TEXT" ||
           PlainAscii(static_cast<const TVemoString&>(instance).GetFont().FamilyName());
}

bool ReadsBackAsItself(const TVemoObject& root, const std::unordered_set<const TVemoLayer*>& firstOfName,
                       std::vector<const TVemoObject*>& pending) {
    if (const TVemoInstance* leaf = root.AsInstance()) return LeafReadsBackAsItself(*leaf, firstOfName);
    pending.assign(1, &root);
    while (!pending.empty()) {
        const TVemoObject* object = pending.back();
        pending.pop_back();
        if (const TVemoContainer* container = object->AsContainer()) {
            if (!PlainAscii(container->GetName())) return false;
            for (int i = 0; i < container->GetChildCount(); ++i) pending.push_back(container->GetChild(i));
        } else if (const TVemoInstance* instance = object->AsInstance()) {
            if (!LeafReadsBackAsItself(*instance, firstOfName)) return false;
        } else {
            return false;
        }
    }
    return true;
}

// What reading sets beyond the record's fields: no selection and no edit in
// progress, the pen made from the style's fields and the layer's colour.
void KeepAsRead(TVemoObject& root, std::vector<TVemoObject*>& pending) {
    pending.assign(1, &root);
    while (!pending.empty()) {
        TVemoObject* object = pending.back();
        pending.pop_back();
        object->ClearFlags(TVemoObject::FlagSelected | TVemoObject::FlagEditingPoints);
        if (TVemoContainer* container = object->AsContainer()) {
            for (int i = 0; i < container->GetChildCount(); ++i) pending.push_back(container->GetChild(i));
            continue;
        }
        TVemoInstance* instance = object->AsInstance();
        if (!instance) continue;
        TVemoSurface& s = *instance->GetSurface();
        s.SetFields(s.GetWidth(), s.GetFill(), s.GetCutOut(), s.GetJoin(), s.GetCap(), s.GetDash());
        if (object->GetTag() == "PATH")
            static_cast<TVemoPath*>(object)->EndHandleMode();
        else
            instance->DeselectAnchors();
        instance->KeepOutline();
    }
}

}  // namespace

bool LoadContainerKeeping(TVemo_iarchive& in, TVemoContainer& container) {
    if (in.Version() < 4 || !in.IsGood()) return LoadObject(in, container, in.Version());
    if (!LoadObjectFields(in, container)) return false;
    std::int32_t count = 0;
    if (!in.ReadCount(count, kMinTaggedRecord) || !in.EnterContainer()) return false;
    // The children's records in the data, found without reading them.
    const std::string_view bytes = in.Bytes();
    std::vector<std::size_t> ends;
    ends.reserve(std::size_t(count));
    const std::size_t first = in.Position();
    bool walked = true;
    std::vector<std::size_t> open;
    for (std::size_t at = first, i = 0; i < std::size_t(count); ++i) {
        std::size_t end = 0;
        if (!RecordEnd(bytes, at, end, open)) {
            walked = false;
            break;
        }
        ends.push_back(end);
        at = end;
    }
    std::vector<std::unique_ptr<TVemoObject>> present = container.ReleaseChildren();
    TObjectPool pool;
    std::size_t keepFront = 0, keepBack = 0;
    if (walked) {
        std::unordered_set<const TVemoLayer*> firstOfName;
        if (const TVemoLayerList* list = in.BindingList()) {
            std::unordered_set<std::string_view> names;
            for (int i = 0; i < list->Count(); ++i) {
                const TVemoLayerPtr layer = list->At(i);
                if (names.insert(layer->GetName()).second) firstOfName.insert(layer.get());
            }
        }
        const auto dataRecord = [&](std::size_t i) {
            const std::size_t from = i == 0 ? first : ends[i - 1];
            return bytes.substr(from, ends[i] - from);
        };
        // Each child is written, compared and, when kept, set as reading
        // would set it, one child at a time: on a large board a child has
        // left the cache by the time a second pass over all of them comes
        // back to it. A record never depends on the records written before it,
        // and the kept children's layers stay as they are until the reader
        // commits its new layers at the very end, so doing this before the
        // children between are read gives the same objects.
        std::string own;
        TVemo_oarchive out(own);
        std::vector<const TVemoObject*> pending;
        std::vector<TVemoObject*> settle;
        const auto keep = [&](std::size_t mine, std::size_t theirs) {
            own.resize(kArchiveHeaderSize);
            WriteObject(out, *present[mine]);
            if (std::string_view(own).substr(kArchiveHeaderSize) != dataRecord(theirs) ||
                !ReadsBackAsItself(*present[mine], firstOfName, pending))
                return false;
            KeepAsRead(*present[mine], settle);
            return true;
        };
        const std::size_t n = present.size(), m = ends.size();
        while (keepFront < std::min(n, m) && keep(keepFront, keepFront)) ++keepFront;
        while (keepFront + keepBack < std::min(n, m) && keep(n - 1 - keepBack, m - 1 - keepBack)) ++keepBack;
    }
    // Those in between are offered to the reader.
    std::vector<std::unique_ptr<TVemoObject>> middle;
    for (std::size_t i = keepFront; i + keepBack < present.size(); ++i)
        middle.push_back(std::move(present[i]));
    pool.Offer(std::move(middle));
    TObjectPool* outerPool = in.Pool();
    in.SetPool(&pool);
    bool ok = true;
    std::vector<std::unique_ptr<TVemoObject>> read;
    if (walked) {
        ok = in.Skip((keepFront == 0 ? first : ends[keepFront - 1]) - in.Position());
        for (std::size_t i = keepFront; ok && i + keepBack < ends.size(); ++i) {
            std::unique_ptr<TVemoObject> child = ReadObject(in);
            if (!child)
                ok = false;
            else
                read.push_back(std::move(child));
        }
        if (ok && !ends.empty()) ok = in.Skip(ends.back() - in.Position());
    } else {
        // Data this walk cannot follow is read as ever, child by child.
        for (std::int32_t i = 0; i < count; ++i) {
            std::unique_ptr<TVemoObject> child = ReadObject(in);
            if (!child) break;
            read.push_back(std::move(child));
        }
    }
    in.SetPool(outerPool);
    in.LeaveContainer();
    for (std::size_t i = 0; i < keepFront; ++i) container.AddChild(std::move(present[i]));
    for (auto& child : read) container.AddChild(std::move(child));
    for (std::size_t i = present.size() - keepBack; i < present.size(); ++i)
        container.AddChild(std::move(present[i]));
    return ok && in.IsGood();
}

// ---- text encodings of wide strings ----

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    auto put = [&](char32_t cp) { AppendUtf8(cp, out); };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            put(0x10000 + ((u - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else {
            put(u);  // an unpaired surrogate keeps its own three-byte form
        }
    }
    return out;
}

std::u16string Utf8ToUtf16(std::string_view s) {
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b0 = std::uint8_t(s[i]);
        const std::size_t len = b0 < 0x80           ? 1
                                : (b0 >> 5) == 0x6  ? 2
                                : (b0 >> 4) == 0xE  ? 3
                                : (b0 >> 3) == 0x1E ? 4
                                                    : 0;
        char32_t cp = 0xFFFD;
        if (len > 0 && i + len <= s.size()) {
            cp = len == 1 ? b0 : len == 2 ? (b0 & 0x1F) : len == 3 ? (b0 & 0x0F) : (b0 & 0x07);
            bool ok = true;
            for (std::size_t k = 1; k < len; ++k) {
                const auto b = std::uint8_t(s[i + k]);
                ok = ok && (b >> 6) == 0x2;
                cp = (cp << 6) | (b & 0x3F);
            }
            if (!ok) cp = 0xFFFD;
            i += ok ? len : 1;
        } else {
            ++i;
        }
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += char16_t(0xD800 + (cp >> 10));
            out += char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += char16_t(cp);
        }
    }
    return out;
}

// ---- documents ----

void SaveDocument(TVemo_oarchive& out, const TVemoDocument& document) {
    SaveLayerList(out, document.GetLayerList());
    WriteObject(out, document.GetRoot());
    out.WriteInt32(document.GetViewFlags());
    out.WriteDouble(document.GetAreaX());
    out.WriteDouble(document.GetAreaY());
    out.WriteDouble(document.GetAreaWidth());
    out.WriteDouble(document.GetAreaHeight());
}

std::unique_ptr<TVemoDocument> LoadDocument(TVemo_iarchive& in) {
    if (!in.IsGood()) return nullptr;
    auto document = std::make_unique<TVemoDocument>();
    const int version = in.Version();
    if (!LoadLayerList(in, document->GetLayerList(), version)) return nullptr;
    // Layers made for missing names join the document's list however reading ends.
    struct Unbind {
        TVemo_iarchive& in;
        const TVemoLayerList* own;
        ~Unbind() {
            if (in.BindingList() == own) in.SetBindingList(nullptr);
        }
    } unbind{in, &document->GetLayerList()};
    if (!in.BindingList()) in.SetBindingList(&document->GetLayerList());

    std::string tag;
    // The root must be a part; anything else is not a document.
    if (!in.ReadTag(tag) || tag != "PART") return nullptr;
    TVemoPart& root = document->GetRoot();
    if (version <= 3) {
        if (!LoadBodyV3(in, root, tag) || !in.IsGood()) return nullptr;
    } else {
        // The outlines are built together once the tree is read, on every core.
        struct Defer {
            TVemo_iarchive& in;
            bool was;
            ~Defer() { in.SetDeferRebuild(was); }
        } defer{in, in.DefersRebuild()};
        in.SetDeferRebuild(true);
        if (!LoadObject(in, root, version)) return nullptr;
        // Before the layers made for missing names join the list, as when each
        // object was built as it was read.
        RebuildStale(root);
        std::int32_t viewFlags = 0;
        double x = 0, y = 0, w = 0, h = 0;
        if (!in.ReadInt32(viewFlags) || !in.ReadDouble(x) || !in.ReadDouble(y) || !in.ReadDouble(w) ||
            !in.ReadDouble(h))
            return nullptr;
        document->ClearViewFlags(~0);
        document->SetViewFlags(viewFlags);
        document->SetAreaOrigin(x, y);
        document->SetAreaSize(w, h);
    }
    in.CommitLayers();
    return document;
}
