#include "gerber/Gerberaperture.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

#include "geom/Units.h"

namespace {

// The definition lines must read the same whatever locale the program runs in:
// to_chars formats exactly as printf does in the C locale.
void AppendFixed3(std::string& out, double value) {
    char buf[400];  // "%.3f" of the largest double needs 313 characters
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 3);
    if (ec == std::errc()) out.append(buf, end);
}

void AppendInt(std::string& out, int value) {
    char buf[16];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    if (ec == std::errc()) out.append(buf, end);
}

// "%02d": at least two digits.
void AppendDcode(std::string& out, int number) {
    if (number >= 0 && number < 10) out += '0';
    AppendInt(out, number);
}

std::uint32_t Bits(float f) {
    if (f == 0.0f) f = 0.0f;  // -0 equals +0
    std::uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

}  // namespace

std::unique_ptr<TAperture> TApRound::Clone() const {
    return std::make_unique<TApRound>(*this);
}

std::string TApRound::Text() const {
    std::string out = "%ADD";
    AppendDcode(out, GetNumber());
    out += "C,";
    AppendFixed3(out, units::ToMm(diameter_));
    out += "*%";
    return out;
}

bool TApRound::IsEqual(const TAperture& other) const {
    const auto* round = dynamic_cast<const TApRound*>(&other);
    return round && round->diameter_ == diameter_;
}

std::unique_ptr<TAperture> TApRect::Clone() const {
    return std::make_unique<TApRect>(*this);
}

std::string TApRect::Text() const {
    std::string out = "%ADD";
    AppendDcode(out, GetNumber());
    if (rotation_ != 0 && std::fabs(width_ - height_) < 0.0001f) {
        // A square as a regular four-vertex polygon: the outer diameter is the
        // square's diagonal, and 45 - rotation lines its sides up with a stroke
        // whose angle was measured with y pointing down.
        const float outer = static_cast<float>(width_ * 1.4142135623730951);
        out += "P,";
        AppendFixed3(out, units::ToMm(outer));
        out += "X4X";
        AppendInt(out, 45 - rotation_);
    } else {
        out += "R,";
        AppendFixed3(out, units::ToMm(width_));
        out += 'X';
        AppendFixed3(out, units::ToMm(height_));
    }
    out += "*%";
    return out;
}

bool TApRect::IsEqual(const TAperture& other) const {
    const auto* rect = dynamic_cast<const TApRect*>(&other);
    return rect && rect->width_ == width_ && rect->height_ == height_ && rect->rotation_ == rotation_;
}

std::unique_ptr<TAperture> TApObround::Clone() const {
    return std::make_unique<TApObround>(*this);
}

std::string TApObround::Text() const {
    std::string out = "%ADD";
    AppendDcode(out, GetNumber());
    out += "O,";
    AppendFixed3(out, units::ToMm(width_));
    out += 'X';
    AppendFixed3(out, units::ToMm(height_));
    out += "*%";
    return out;
}

bool TApObround::IsEqual(const TAperture& other) const {
    const auto* obround = dynamic_cast<const TApObround*>(&other);
    return obround && obround->width_ == width_ && obround->height_ == height_;
}

std::size_t TApertureList::KeyHash::operator()(const Key& k) const {
    std::size_t h = std::size_t(k.kind) * 0x9E3779B97F4A7C15ull;
    h ^= std::size_t(k.a) + 0x9E3779B9u + (h << 6) + (h >> 2);
    h ^= std::size_t(k.b) + 0x9E3779B9u + (h << 6) + (h >> 2);
    h ^= std::size_t(std::uint32_t(k.rotation)) + 0x9E3779B9u + (h << 6) + (h >> 2);
    return h;
}

int TApertureList::Lookup(const TAperture& aperture) {
    Key key{};
    bool indexed = false;
    if (const auto* round = dynamic_cast<const TApRound*>(&aperture)) {
        key = {kRound, Bits(round->GetDiameter()), 0, 0};
        indexed = !std::isnan(round->GetDiameter());
    } else if (const auto* rect = dynamic_cast<const TApRect*>(&aperture)) {
        key = {kSquare, Bits(rect->GetWidth()), Bits(rect->GetHeight()), rect->GetRotation()};
        indexed = !std::isnan(rect->GetWidth()) && !std::isnan(rect->GetHeight());
    } else if (const auto* obround = dynamic_cast<const TApObround*>(&aperture)) {
        key = {kObround, Bits(obround->GetWidth()), Bits(obround->GetHeight()), 0};
        indexed = !std::isnan(obround->GetWidth()) && !std::isnan(obround->GetHeight());
    }
    if (indexed) {
        if (const auto it = index_.find(key); it != index_.end()) return it->second;
    } else {
        for (const auto& known : apertures_)
            if (known->IsEqual(aperture)) return known->GetNumber();
    }
    std::unique_ptr<TAperture> copy = aperture.Clone();
    const int number = kFirstNumber + Count();
    copy->SetNumber(number);
    apertures_.push_back(std::move(copy));
    if (indexed) index_.emplace(key, number);
    return number;
}

int TApertureList::Lookup(float size, int kind, int rotation) {
    if (kind == kSquare) return Lookup(TApRect(size, size, rotation));
    return Lookup(TApRound(size));
}

std::string TApertureList::Text() const {
    std::string out;
    for (const auto& aperture : apertures_) {
        out += aperture->Text();
        out += "\r\n";
    }
    return out;
}

void TApertureList::Clear() {
    apertures_.clear();
    index_.clear();
}
