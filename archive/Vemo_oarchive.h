#pragma once
// Writes the document archive format: a 16-byte header, then little-endian
// primitives appended to a byte buffer. The same bytes serve document files,
// library parts, the clipboard and undo snapshots.

#include <cstdint>
#include <string>
#include <string_view>

#include "geom/Matrix.h"
#include "geom/Pen.h"
#include "geom/Pointf.h"

inline constexpr char kArchiveMagic[8] = {'V', 'e', 'm', 'o', '2', '.', '0', '\0'};
inline constexpr std::int32_t kArchiveVersion = 5;
inline constexpr std::int32_t kArchiveHeaderSize = 16;

class TVemo_oarchive {
public:
    // Appends the header to out at once; out must outlive the writer.
    explicit TVemo_oarchive(std::string& out);

    void WriteInt32(std::int32_t v);
    void WriteUInt32(std::uint32_t v);
    void WriteByte(std::uint8_t v);
    void WriteFloat(float v);
    void WriteDouble(double v);
    // UTF-8 in memory, CP932 on disk; characters CP932 cannot hold become '?'
    // and are counted in LossyStrings().
    void WriteString(std::string_view utf8);
    void WriteWString(std::u16string_view text);
    void WriteColour(geom::Argb argb);  // bytes alpha, red, green, blue
    void WritePoint(geom::PointF p);
    // n points in one go, byte for byte what n calls of WritePoint give.
    void WritePoints(const geom::PointF* points, std::size_t n);
    // Raw bytes, written as they stand (type bytes of a path).
    void WriteBytes(const void* data, std::size_t n) { Append(data, n); }
    void WriteMatrix(const geom::Matrix& m);
    void WriteTag(std::string_view tag);  // exactly four letters

    int Version() const { return kArchiveVersion; }
    int LossyStrings() const { return lossyStrings_; }

private:
    // Empty lists come with a null data(); nothing is appended for them.
    void Append(const void* data, std::size_t n) {
        if (n != 0) out_.append(static_cast<const char*>(data), n);
    }

    std::string& out_;
    int lossyStrings_ = 0;
    std::string scratch_;
};
