#include "archive/Vemoobjectio.h"

#include "archive/Cp932.h"

#include <array>
#include <vector>

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
    object.SetLayer(BindLayer(in, layerName));
    return LoadSurface(in, surface, version);
}

void SaveInstanceFields(TVemo_oarchive& out, const TVemoInstance& object) {
    SaveObjectFields(out, object);
    const TVemoLayerPtr layer = object.GetLayer();
    out.WriteString(layer ? layer->GetName() : std::string());
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
    out.WriteFloat(s.GetWidth());
    out.WriteByte(s.GetCutOut() ? 1 : 0);
    out.WriteByte(s.GetFill() ? 1 : 0);
    const std::uint32_t word = 0x80000000u | (s.GetCutOut() ? 1u : 0u) | (s.GetFill() ? 2u : 0u) |
                               ((std::uint32_t(s.GetJoin()) & 0x3u) << 2) |
                               ((std::uint32_t(s.GetCap()) & 0xFFu) << 4) |
                               ((std::uint32_t(s.GetDash()) & 0x7u) << 12);
    out.WriteUInt32(word);
    out.WriteInt32(s.GetCap());
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
    for (std::int32_t i = 0; i < count; ++i) {
        std::string name;
        Argb colour = 0;
        std::int32_t flags = 0;
        if (!in.ReadString(name) || !in.ReadColour(colour) || !in.ReadInt32(flags)) return false;
        auto layer = std::make_shared<TVemoLayer>(colour, name);
        layer->SetFlags(flags);
        // Insert makes it current; after the last one only index 0 is.
        layers.Insert(layer);
    }
    return true;
}

// ---- objects ----

void SaveObject(TVemo_oarchive& out, const TVemoObject& object) {
    if (const auto* path = dynamic_cast<const TVemoPath*>(&object)) {
        SaveInstanceFields(out, *path);
        out.WriteByte(path->IsClosed() ? 1 : 0);
        const auto& pts = path->GetPoints();
        out.WriteInt32(std::int32_t(pts.size()));
        for (const PointF& p : pts) out.WritePoint(p);
        const auto& types = path->GetTypes();
        out.WriteInt32(std::int32_t(types.size()));
        for (unsigned char t : types) out.WriteByte(t);
    } else if (const auto* shape = dynamic_cast<const TVemoShape*>(&object)) {
        SaveInstanceFields(out, *shape);
        out.WriteInt32(TVemoShape::kHandleCount);
        for (const PointF& p : shape->GetLocalPoints()) out.WritePoint(p);
        out.WriteMatrix(shape->GetPlacement());
    } else if (const auto* str = dynamic_cast<const TVemoString*>(&object)) {
        SaveInstanceFields(out, *str);
        out.WriteMatrix(str->GetPlacement());
        out.WriteWString(str->GetText());
        out.WriteWString(Utf8ToUtf16(str->GetFont().FamilyName()));
        out.WriteInt32(str->GetFont().GetStyle());
        out.WriteFloat(str->GetFont().GetSize());
    } else if (const auto* container = dynamic_cast<const TVemoContainer*>(&object)) {
        SaveObjectFields(out, *container);
        out.WriteInt32(container->GetChildCount());
        for (int i = 0; i < container->GetChildCount(); ++i) WriteObject(out, *container->GetChild(i));
    }
}

bool LoadObject(TVemo_iarchive& in, TVemoObject& object, int version) {
    if (auto* container = dynamic_cast<TVemoContainer*>(&object)) {
        container->ClearChildren();
        return LoadObjectFields(in, *container) && LoadChildren(in, *container);
    }
    auto* instance = dynamic_cast<TVemoInstance*>(&object);
    if (!instance) return false;
    TVemoSurface surface;
    if (!LoadInstanceFields(in, *instance, version, surface)) return false;
    // Each body below ends with exactly one rebuild.
    *instance->GetSurface() = surface;

    if (auto* path = dynamic_cast<TVemoPath*>(&object)) {
        std::uint8_t closed = 0;
        std::int32_t n = 0, m = 0;
        if (!in.ReadByte(closed) || !in.ReadCount(n, 8)) return false;
        std::vector<PointF> points(static_cast<std::size_t>(n));
        for (PointF& p : points)
            if (!in.ReadPoint(p)) return false;
        if (!in.ReadCount(m, 1)) return false;
        std::vector<unsigned char> types(static_cast<std::size_t>(m));
        for (unsigned char& t : types)
            if (!in.ReadByte(t)) return false;
        if (!path->SetData(points, types, closed != 0)) {
            in.Fail();
            return false;
        }
        path->Rebuild();
        return true;
    }
    if (auto* shape = dynamic_cast<TVemoShape*>(&object)) {
        std::int32_t count = 0;
        if (!in.ReadCount(count, 8)) return false;
        std::vector<PointF> stored(static_cast<std::size_t>(count));
        for (PointF& p : stored)
            if (!in.ReadPoint(p)) return false;
        Matrix placement;
        if (!in.ReadMatrix(placement)) return false;
        if (count != TVemoShape::kHandleCount) {
            in.Fail();
            return false;
        }
        TVemoShape::LocalPoints local{};
        std::copy(stored.begin(), stored.end(), local.begin());
        shape->SetData(local, placement);
        return true;
    }
    if (auto* str = dynamic_cast<TVemoString*>(&object)) {
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
        str->SetData(placement, text, font);
        return true;
    }
    return false;
}

void WriteObject(TVemo_oarchive& out, const TVemoObject& object) {
    out.WriteTag(object.GetTag());
    SaveObject(out, object);
}

std::unique_ptr<TVemoObject> ReadObject(TVemo_iarchive& in) {
    if (in.Version() <= 3) return ReadObjectV3(in);
    std::string tag;
    if (!in.ReadTag(tag)) return nullptr;
    std::unique_ptr<TVemoObject> object = MakeObject(tag);
    if (!object) return nullptr;
    if (!LoadObject(in, *object, in.Version())) {
        in.Fail();
        return nullptr;
    }
    return object;
}

// ---- text encodings of wide strings ----

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    auto put = [&](char32_t cp) { AppendUtf8(cp, out); };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char32_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
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
        const std::size_t len = b0 < 0x80 ? 1 : (b0 >> 5) == 0x6 ? 2 : (b0 >> 4) == 0xE ? 3 : (b0 >> 3) == 0x1E ? 4 : 0;
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
        if (!LoadObject(in, root, version)) return nullptr;
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
