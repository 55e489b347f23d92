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

#include "geom/Matrix.h"
#include "geom/Pen.h"
#include "geom/Pointf.h"

class TVemoLayerList;

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

    bool ReadInt32(std::int32_t& v);
    bool ReadUInt32(std::uint32_t& v);
    bool ReadByte(std::uint8_t& v);
    bool ReadFloat(float& v);
    bool ReadDouble(double& v);
    bool ReadString(std::string& utf8);
    bool ReadWString(std::u16string& text);
    bool ReadColour(geom::Argb& argb);
    bool ReadPoint(geom::PointF& p);
    bool ReadMatrix(geom::Matrix& m);
    bool ReadTag(std::string& tag);
    bool Skip(std::size_t n);
    // Reads a count of items that take at least minItemBytes each; fails when it
    // is negative or the rest of the buffer cannot hold that many.
    bool ReadCount(std::int32_t& n, std::size_t minItemBytes);

    TVemoLayerList* BindingList() const { return binding_; }
    void SetBindingList(TVemoLayerList* list) { binding_ = list; }

private:
    bool Take(void* out, std::size_t n);

    std::string_view bytes_;
    std::size_t pos_ = 0;
    bool good_ = false;
    bool accepted_ = false;
    int version_ = 0;
    TVemoLayerList* binding_ = nullptr;
};
