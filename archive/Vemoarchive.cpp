#include <bit>
#include <cstring>

#include "archive/Cp932.h"
#include "archive/Vemo_iarchive.h"
#include "archive/Vemo_oarchive.h"
#include "model/Vemocontainer.h"
#include "model/Vemolayer.h"
#include "model/Vemolayerlist.h"

namespace {

template <typename T>
T ToLittle(T v) {
    if constexpr (std::endian::native == std::endian::big) {
        unsigned char b[sizeof(T)];
        std::memcpy(b, &v, sizeof(T));
        for (std::size_t i = 0; i < sizeof(T) / 2; ++i) std::swap(b[i], b[sizeof(T) - 1 - i]);
        std::memcpy(&v, b, sizeof(T));
    }
    return v;
}

}  // namespace

// ---- writer ----

TVemo_oarchive::TVemo_oarchive(std::string& out) : out_(out) {
    Append(kArchiveMagic, sizeof kArchiveMagic);
    WriteInt32(kArchiveVersion);
    WriteInt32(kArchiveHeaderSize);
}

void TVemo_oarchive::WriteInt32(std::int32_t v) {
    v = ToLittle(v);
    Append(&v, 4);
}

void TVemo_oarchive::WriteUInt32(std::uint32_t v) {
    v = ToLittle(v);
    Append(&v, 4);
}

void TVemo_oarchive::WriteByte(std::uint8_t v) {
    out_.push_back(char(v));
}

void TVemo_oarchive::WriteFloat(float v) {
    std::uint32_t bits;
    std::memcpy(&bits, &v, 4);
    WriteUInt32(bits);
}

void TVemo_oarchive::WriteDouble(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, 8);
    bits = ToLittle(bits);
    Append(&bits, 8);
}

void TVemo_oarchive::WriteString(std::string_view utf8) {
    bool ascii = true;
    for (char c : utf8) ascii = ascii && (static_cast<unsigned char>(c) < 0x80);
    if (ascii) {
        WriteInt32(std::int32_t(utf8.size()));
        Append(utf8.data(), utf8.size());
        return;
    }
    if (!EncodeCp932(utf8, scratch_)) ++lossyStrings_;
    WriteInt32(std::int32_t(scratch_.size()));
    Append(scratch_.data(), scratch_.size());
}

void TVemo_oarchive::WriteWString(std::u16string_view text) {
    WriteInt32(std::int32_t(text.size()));
    if constexpr (std::endian::native == std::endian::little) {
        Append(text.data(), text.size() * 2);
        return;
    }
    for (char16_t c : text) {
        const std::uint16_t u = ToLittle(std::uint16_t(c));
        Append(&u, 2);
    }
}

void TVemo_oarchive::WriteColour(geom::Argb argb) {
    const unsigned char bytes[4] = {std::uint8_t(argb >> 24), std::uint8_t(argb >> 16),
                                    std::uint8_t(argb >> 8), std::uint8_t(argb)};
    Append(bytes, 4);
}

void TVemo_oarchive::WritePoint(geom::PointF p) {
    WriteFloat(p.x);
    WriteFloat(p.y);
}

void TVemo_oarchive::WritePoints(const geom::PointF* points, std::size_t n) {
    static_assert(sizeof(geom::PointF) == 8, "a point is two floats without padding");
    if constexpr (std::endian::native == std::endian::little) {
        Append(points, n * sizeof(geom::PointF));
    } else {
        for (std::size_t i = 0; i < n; ++i) WritePoint(points[i]);
    }
}

void TVemo_oarchive::WriteMatrix(const geom::Matrix& m) {
    unsigned char bytes[24];
    std::size_t at = 0;
    for (float v : m.Elements()) {
        std::uint32_t bits;
        std::memcpy(&bits, &v, 4);
        bits = ToLittle(bits);
        std::memcpy(bytes + at, &bits, 4);
        at += 4;
    }
    Append(bytes, at);
}

void TVemo_oarchive::WriteTag(std::string_view tag) {
    char t[4] = {' ', ' ', ' ', ' '};
    std::memcpy(t, tag.data(), std::min<std::size_t>(4, tag.size()));
    Append(t, 4);
}

// ---- reader ----

TVemo_iarchive::TVemo_iarchive(std::string_view bytes, TVemoLayerList* binding)
    : bytes_(bytes), good_(true), binding_(binding) {
    char magic[8];
    std::int32_t version = 0, headerSize = 0;
    if (!Take(magic, 8) || !ReadInt32(version) || !ReadInt32(headerSize)) {
        good_ = false;
        return;
    }
    // The header size is written as 16 and not checked.
    accepted_ = std::memcmp(magic, kArchiveMagic, 7) == 0 && version <= kArchiveVersion;
    good_ = accepted_;
    version_ = version;
}

TVemo_iarchive::~TVemo_iarchive() {
    CommitLayers();
}

void TVemo_iarchive::SetBindingList(TVemoLayerList* list) {
    if (list == binding_) return;
    CommitLayers();
    binding_ = list;
    indexed_ = false;
    byName_.clear();
}

TVemoLayerPtr TVemo_iarchive::BindLayer(const std::string& name, geom::Argb missingColour) {
    if (binding_ && !indexed_) {
        // Built when the first object asks, after the list itself was read.
        byName_.clear();
        for (int i = 0; i < binding_->Count(); ++i)
            byName_.emplace(binding_->At(i)->GetName(), binding_->At(i));
        indexed_ = true;
    }
    if (const auto found = byName_.find(name); found != byName_.end()) return found->second;
    auto layer = std::make_shared<TVemoLayer>(missingColour, name);
    if (binding_) {
        byName_.emplace(name, layer);
        pending_.push_back(layer);
    }
    return layer;
}

void TVemo_iarchive::CommitLayers() {
    if (binding_ && !pending_.empty()) binding_->InsertAll(pending_);
    pending_.clear();
}

void TVemo_iarchive::Fail(const std::string& reason) {
    if (good_ && reason_.empty()) reason_ = reason;
    good_ = false;
}

bool TVemo_iarchive::EnterContainer() {
    if (nesting_ >= TVemoContainer::kMaxNesting) {
        Fail("groups are nested more than " + std::to_string(TVemoContainer::kMaxNesting) + " levels deep");
        return false;
    }
    ++nesting_;
    return true;
}

bool TVemo_iarchive::Take(void* out, std::size_t n) {
    if (!good_ || n > Remaining()) {
        good_ = false;
        return false;
    }
    // An empty list hands over the null data() of an empty vector, which memcpy must not see.
    if (n == 0) return true;
    std::memcpy(out, bytes_.data() + pos_, n);
    pos_ += n;
    return true;
}

bool TVemo_iarchive::Skip(std::size_t n) {
    if (!good_ || n > Remaining()) {
        good_ = false;
        return false;
    }
    pos_ += n;
    return true;
}

bool TVemo_iarchive::ReadInt32(std::int32_t& v) {
    std::int32_t raw;
    if (!Take(&raw, 4)) return false;
    v = ToLittle(raw);
    return true;
}

bool TVemo_iarchive::ReadUInt32(std::uint32_t& v) {
    std::uint32_t raw;
    if (!Take(&raw, 4)) return false;
    v = ToLittle(raw);
    return true;
}

bool TVemo_iarchive::ReadByte(std::uint8_t& v) {
    return Take(&v, 1);
}

bool TVemo_iarchive::ReadFloat(float& v) {
    std::uint32_t bits;
    if (!ReadUInt32(bits)) return false;
    std::memcpy(&v, &bits, 4);
    return true;
}

bool TVemo_iarchive::ReadDouble(double& v) {
    std::uint64_t bits;
    if (!Take(&bits, 8)) return false;
    bits = ToLittle(bits);
    std::memcpy(&v, &bits, 8);
    return true;
}

bool TVemo_iarchive::ReadCount(std::int32_t& n, std::size_t minItemBytes) {
    if (!ReadInt32(n)) return false;
    if (n < 0 || (minItemBytes > 0 && std::size_t(n) > Remaining() / minItemBytes)) {
        good_ = false;
        return false;
    }
    return true;
}

bool TVemo_iarchive::ReadString(std::string& utf8) {
    std::int32_t n = 0;
    if (!ReadCount(n, 1)) return false;
    const std::string_view raw = bytes_.substr(pos_, std::size_t(n));
    pos_ += std::size_t(n);
    bool ascii = true;
    for (char c : raw) ascii = ascii && (static_cast<unsigned char>(c) < 0x80);
    utf8 = ascii ? std::string(raw) : DecodeCp932(raw);
    return true;
}

bool TVemo_iarchive::ReadWString(std::u16string& text) {
    std::int32_t n = 0;
    if (!ReadCount(n, 2)) return false;
    text.resize(std::size_t(n));
    for (std::int32_t i = 0; i < n; ++i) {
        std::uint16_t u = 0;
        if (!Take(&u, 2)) return false;
        text[std::size_t(i)] = char16_t(ToLittle(u));
    }
    return true;
}

bool TVemo_iarchive::ReadColour(geom::Argb& argb) {
    std::uint8_t b[4];
    if (!Take(b, 4)) return false;
    argb = (geom::Argb(b[0]) << 24) | (geom::Argb(b[1]) << 16) | (geom::Argb(b[2]) << 8) | geom::Argb(b[3]);
    return true;
}

bool TVemo_iarchive::ReadPoint(geom::PointF& p) {
    return ReadFloat(p.x) && ReadFloat(p.y);
}

bool TVemo_iarchive::ReadPoints(geom::PointF* points, std::size_t n) {
    if constexpr (std::endian::native == std::endian::little) {
        if (n > Remaining() / sizeof(geom::PointF)) {
            good_ = false;
            return false;
        }
        return Take(points, n * sizeof(geom::PointF));
    }
    for (std::size_t i = 0; i < n; ++i)
        if (!ReadPoint(points[i])) return false;
    return true;
}

bool TVemo_iarchive::ReadMatrix(geom::Matrix& m) {
    float v[6];
    for (float& f : v)
        if (!ReadFloat(f)) return false;
    m.SetElements(v[0], v[1], v[2], v[3], v[4], v[5]);
    return true;
}

bool TVemo_iarchive::ReadTag(std::string& tag) {
    char t[4];
    if (!Take(t, 4)) return false;
    tag.assign(t, 4);
    return true;
}
