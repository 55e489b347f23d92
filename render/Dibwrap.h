#pragma once
// The 32-bit off-screen pixel buffer the design window and the image export
// draw into: row 0 at the top, rows packed, each pixel one word 0x??RRGGBB
// (bytes blue, green, red, ignored). It wraps a QImage so that a QPainter can
// draw into the same memory that the grid, copies and fills write directly.
//
// A buffer that could not be created has size 0 x 0 and no pixels; every
// operation on it does nothing.

#include <cstdint>
#include <string>

#include <QImage>

class QPainter;

class TDIBitmap {
public:
    // The largest side a buffer may have; larger requests fail like an
    // allocation the platform refuses.
    static constexpr int kMaxSide = 30000;

    TDIBitmap();  // 1 x 1
    TDIBitmap(int width, int height);
    TDIBitmap(const TDIBitmap&) = delete;
    TDIBitmap& operator=(const TDIBitmap&) = delete;
    virtual ~TDIBitmap() = default;

    // Discards the pixels and makes a buffer of the new size (contents undefined
    // until drawn). False, and size 0 x 0, when the size is not positive, too
    // large, or the memory cannot be had.
    bool Resize(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    std::int64_t PixelCount() const { return std::int64_t(width_) * height_; }
    // Null for an empty buffer.
    std::uint32_t* Pixels();
    const std::uint32_t* Pixels() const;
    // The pixel as 0x00RRGGBB; x and y must lie inside.
    std::uint32_t Pixel(int x, int y) const {
        return Pixels()[std::size_t(y) * std::size_t(width_) + std::size_t(x)] & 0x00FFFFFFu;
    }

    // Sets every pixel to value (its top byte is ignored).
    void Fill(std::uint32_t value);
    // Copies source with its top-left pixel at (x, y) of this buffer, clipped to
    // both; x and y may be negative.
    void CopyFrom(int x, int y, const TDIBitmap& source);

    // The drawing target for a QPainter; null for an empty buffer.
    QImage* PaintDevice();
    const QImage& Image() const { return image_; }
    // Copies the whole buffer 1:1 to (x, y) of target, replacing what is there.
    void Present(QPainter& target, int x, int y) const;

    // The buffer as a 32-bit BMP file: 54 bytes of headers, then the rows from
    // the bottom up, four bytes a pixel with the ignored byte written as 0.
    // pixelsPerMetre, when above 0, goes into both resolution fields of the header
    // so other programs print the picture at its true size.
    std::string BmpBytes(std::int32_t pixelsPerMetre = 0) const;
    // Writes BmpBytes crash-safely: on failure nothing is left under path.
    bool SaveBmp(const std::string& path, std::string& error) const;

private:
    QImage image_;
    int width_ = 0;
    int height_ = 0;
};
