#include "boardgen/Hostile.h"

#include <cstring>
#include <random>
#include <vector>

#include "archive/Vemo_oarchive.h"

namespace hostile {

namespace {

constexpr std::int32_t kObjectVisible = 0x2;
constexpr std::int32_t kLayerFlags = 0x012;  // visible, output
constexpr geom::Argb kLayerColour = 0x5A0000FFu;

// One archive being written; version 3 only changes the header's number and
// the layouts the callers choose.
class Writer {
public:
    explicit Writer(int version) : out_(bytes_) {
        if (version != kArchiveVersion) {
            const std::int32_t v = version;
            std::memcpy(bytes_.data() + 8, &v, 4);
        }
    }

    TVemo_oarchive& operator*() { return out_; }
    TVemo_oarchive* operator->() { return &out_; }
    std::string Take() { return std::move(bytes_); }

    void Layers(const std::vector<std::string>& names) {
        out_.WriteInt32(std::int32_t(names.size()));
        for (auto it = names.rbegin(); it != names.rend(); ++it) {
            out_.WriteString(*it);
            out_.WriteColour(kLayerColour);
            out_.WriteInt32(kLayerFlags);
        }
    }
    void Surface(float width, bool fill, int cap = 2) {
        out_.WriteFloat(width);
        out_.WriteByte(0);
        out_.WriteByte(fill ? 1 : 0);
        out_.WriteUInt32(0x80000000u | (fill ? 2u : 0u) | (std::uint32_t(cap) << 4));
        out_.WriteInt32(cap);
    }
    void Instance(const char* tag, const std::string& layer, float width, bool fill) {
        out_.WriteTag(tag);
        out_.WriteString(tag);
        out_.WriteInt32(kObjectVisible);
        out_.WriteString(layer);
        Surface(width, fill);
    }
    // An open path through the anchors, straight segments (handles on their anchors).
    void Path(const std::string& layer, const std::vector<geom::PointF>& anchors, float width,
              bool closed = false) {
        Instance("PATH", layer, width, false);
        out_.WriteByte(closed ? 1 : 0);
        const auto n = std::int32_t(anchors.size() * 3);
        out_.WriteInt32(n);
        for (const geom::PointF& p : anchors)
            for (int k = 0; k < 3; ++k) out_.WritePoint(p);
        out_.WriteInt32(n);
        for (std::int32_t i = 0; i < n; ++i) out_.WriteByte(0x02);
    }
    void PartStart(std::int32_t children) {
        out_.WriteTag("PART");
        out_.WriteString("Part");
        out_.WriteInt32(kObjectVisible);
        out_.WriteInt32(children);
    }
    void Settings(double w = 1000, double h = 750) {
        out_.WriteInt32(3);
        out_.WriteDouble(0);
        out_.WriteDouble(0);
        out_.WriteDouble(w);
        out_.WriteDouble(h);
    }

private:
    std::string bytes_;
    TVemo_oarchive out_;
};

const std::vector<geom::PointF> kShortTrack = {{100, 100}, {200, 100}};

// The trailer that ends every version 3 body.
void TrailerV3(TVemo_oarchive& out, const char* name) {
    for (int i = 0; i < 12; ++i) out.WriteByte(0);
    out.WriteMatrix(geom::Matrix());
    out.WriteString(name);
    out.WriteFloat(3.0f);
    out.WriteByte(0);
    out.WriteByte(0);
    out.WriteInt32(0);
    out.WriteInt32(2);
    out.WriteInt32(2);
}

// The one-layer list of a version-3 document: "solder", neither cut out nor wire frame.
void SolderLayerV3(TVemo_oarchive& out) {
    out.WriteInt32(1);
    out.WriteString("solder");
    out.WriteColour(kLayerColour);
    out.WriteByte(0);
    out.WriteByte(0);
}

// A version-3 path on "solder" along the short track, with its trailer.
void ShortTrackV3(TVemo_oarchive& out) {
    out.WriteTag("PATH");
    out.WriteString("solder");
    out.WriteByte(0);
    out.WriteInt32(6);
    for (int i = 0; i < 6; ++i) {
        out.WritePoint(i < 3 ? kShortTrack[0] : kShortTrack[1]);
        out.WriteByte(0x02);
    }
    TrailerV3(out, "Path");
}

}  // namespace

std::string NestedGroups(int depth, int version) {
    Writer w(version == 3 ? 3 : kArchiveVersion);
    if (version == 3) {
        SolderLayerV3(*w);
        w->WriteTag("PART");
        w->WriteInt32(1);
        for (int i = 0; i < depth; ++i) {
            w->WriteTag("GRUP");
            w->WriteInt32(1);
        }
        ShortTrackV3(*w);
        for (int i = 0; i < depth; ++i) TrailerV3(*w, "Group");
        TrailerV3(*w, "Part");
        return w.Take();
    }
    w.Layers({"solder"});
    w.PartStart(1);
    for (int i = 0; i < depth; ++i) {
        w->WriteTag("GRUP");
        w->WriteString("Group");
        w->WriteInt32(kObjectVisible);
        w->WriteInt32(1);
    }
    w.Path("solder", kShortTrack, 3.0f);
    w.Settings();
    return w.Take();
}

std::string UnknownLayers(int objects) {
    Writer w(kArchiveVersion);
    w.Layers({"solder"});
    w.PartStart(objects);
    for (int i = 0; i < objects; ++i) {
        // A thousand to a row.
        const int column = i % 1000, row = i / 1000;
        const float x = float(column), y = float(row);
        std::string name = "L";  // appended: GCC 12 warns falsely (-Wrestrict) on "L" + string
        name += std::to_string(i);
        w.Path(name, {{x, y}, {x + 5, y}}, 3.0f);
    }
    w.Settings();
    return w.Take();
}

std::string LongSelfOverlappingPath(int points, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<float> coord(0.0f, 500.0f);
    std::vector<geom::PointF> anchors(std::size_t(std::max(2, points / 3)));
    for (geom::PointF& p : anchors) p = {coord(rng), coord(rng)};
    Writer w(kArchiveVersion);
    w.Layers({"solder"});
    w.PartStart(1);
    w.Path("solder", anchors, 3.0f);
    w.Settings();
    return w.Take();
}

std::string HugeText(float scale) {
    Writer w(kArchiveVersion);
    w.Layers({"place_cmp"});
    w.PartStart(1);
    w.Instance("TEXT", "place_cmp", 0.0f, true);
    w->WriteMatrix(geom::Matrix(scale, 0, 0, scale, 0, 0));
    w->WriteWString(u"W");
    w->WriteWString(u"MS UI Gothic");
    w->WriteInt32(0);
    w->WriteFloat(10.0f);
    w.Settings();
    return w.Take();
}

std::string HugeEllipse(float radius) {
    Writer w(kArchiveVersion);
    w.Layers({"solder"});
    w.PartStart(1);
    w.Instance("ELPS", "solder", 3.0f, true);
    w->WriteInt32(5);
    // The centre, then the ends of the axes.
    const geom::PointF local[5] = {{0, 0}, {radius, 0}, {0, radius}, {-radius, 0}, {0, -radius}};
    for (const geom::PointF& p : local) w->WritePoint(p);
    w->WriteMatrix(geom::Matrix(1, 0, 0, 1, 500, 375));
    w.Settings();
    return w.Take();
}

std::string WideStroke(float width) {
    Writer w(kArchiveVersion);
    w.Layers({"solder"});
    w.PartStart(1);
    w.Path("solder", kShortTrack, width);
    w.Settings();
    return w.Take();
}

std::string HugeArea(double width, double height) {
    Writer w(kArchiveVersion);
    w.Layers({"solder"});
    w.PartStart(0);
    w.Settings(width, height);
    return w.Take();
}

std::string EmptyPaths(int version) {
    if (version == 3) {
        Writer w(3);
        SolderLayerV3(*w);
        w->WriteTag("PART");
        w->WriteInt32(3);
        for (const bool closed : {false, true}) {
            w->WriteTag("PATH");
            w->WriteString("solder");
            w->WriteByte(closed ? 1 : 0);
            w->WriteInt32(0);
            TrailerV3(*w, "Path");
        }
        ShortTrackV3(*w);
        TrailerV3(*w, "Part");
        return w.Take();
    }
    Writer w(kArchiveVersion);
    w.Layers({"solder"});
    w.PartStart(3);
    w.Path("solder", {}, 3.0f);
    w.Path("solder", {}, 3.0f, true);
    w.Path("solder", kShortTrack, 3.0f);
    w.Settings();
    return w.Take();
}

}  // namespace hostile
