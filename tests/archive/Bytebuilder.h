#pragma once
// Builds archive bytes by hand, independently of the program's writer, so that
// fixtures of older versions and damaged files can be spelled out in tests.

#include <cstdint>
#include <cstring>
#include <string>

class ByteBuilder {
public:
    ByteBuilder& Raw(const std::string& s) {
        bytes_ += s;
        return *this;
    }
    ByteBuilder& I32(std::int32_t v) { return Put(&v, 4); }
    ByteBuilder& U32(std::uint32_t v) { return Put(&v, 4); }
    ByteBuilder& U8(std::uint8_t v) { return Put(&v, 1); }
    ByteBuilder& F32(float v) { return Put(&v, 4); }
    ByteBuilder& F64(double v) { return Put(&v, 8); }
    ByteBuilder& Str(const std::string& s) {
        I32(std::int32_t(s.size()));
        return Raw(s);
    }
    ByteBuilder& WStr(const std::u16string& s) {
        I32(std::int32_t(s.size()));
        for (char16_t c : s) Put(&c, 2);
        return *this;
    }
    ByteBuilder& Colour(std::uint32_t argb) {
        return U8(std::uint8_t(argb >> 24))
            .U8(std::uint8_t(argb >> 16))
            .U8(std::uint8_t(argb >> 8))
            .U8(std::uint8_t(argb));
    }
    ByteBuilder& Point(float x, float y) { return F32(x).F32(y); }
    ByteBuilder& Matrix(float a, float b, float c, float d, float e, float f) {
        return F32(a).F32(b).F32(c).F32(d).F32(e).F32(f);
    }
    ByteBuilder& Tag(const char* t) { return Raw(std::string(t, 4)); }
    ByteBuilder& Header(std::int32_t version) {
        return Raw(std::string("Vemo2.0\0", 8)).I32(version).I32(16);
    }
    ByteBuilder& Zeros(std::size_t n) {
        bytes_.append(n, '\0');
        return *this;
    }

    const std::string& Bytes() const { return bytes_; }
    std::size_t Size() const { return bytes_.size(); }

private:
    ByteBuilder& Put(const void* p, std::size_t n) {
        bytes_.append(static_cast<const char*>(p), n);
        return *this;
    }
    std::string bytes_;
};
