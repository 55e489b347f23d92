#include "render/Dibwrap.h"

#include <QPainter>

#include <algorithm>
#include <cstring>
#include <limits>

#include "archive/Safefile.h"

namespace {

// QImage's 32-bit RGB format wants the ignored byte set; what we store there
// never reaches a reader of pixel values.
constexpr std::uint32_t kOpaque = 0xFF000000u;

constexpr std::size_t kBmpHeaderBytes = 54;

void Put16(std::string& out, std::uint16_t v) {
    out.push_back(char(v & 0xFF));
    out.push_back(char(v >> 8));
}

void Put32(std::string& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(char((v >> (8 * i)) & 0xFF));
}

}  // namespace

TDIBitmap::TDIBitmap() {
    Resize(1, 1);
}

TDIBitmap::TDIBitmap(int width, int height) {
    Resize(width, height);
}

bool TDIBitmap::Resize(int width, int height) {
    image_ = QImage();
    width_ = height_ = 0;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull() || image.bytesPerLine() != qsizetype(width) * 4) return false;
    image_ = std::move(image);
    width_ = width;
    height_ = height;
    return true;
}

std::uint32_t* TDIBitmap::Pixels() {
    return image_.isNull() ? nullptr : reinterpret_cast<std::uint32_t*>(image_.bits());
}

const std::uint32_t* TDIBitmap::Pixels() const {
    return image_.isNull() ? nullptr : reinterpret_cast<const std::uint32_t*>(image_.constBits());
}

void TDIBitmap::Fill(std::uint32_t value) {
    std::uint32_t* p = Pixels();
    if (!p) return;
    std::fill(p, p + PixelCount(), value | kOpaque);
}

void TDIBitmap::CopyFrom(int x, int y, const TDIBitmap& source) {
    std::uint32_t* dst = Pixels();
    const std::uint32_t* src = source.Pixels();
    if (!dst || !src || &source == this) return;
    // In 64 bits: an offset near the int limits must not wrap.
    const std::int64_t x0 = std::max<std::int64_t>(0, -std::int64_t(x));
    const std::int64_t x1 = std::min<std::int64_t>(source.width_, std::int64_t(width_) - x);
    const std::int64_t y0 = std::max<std::int64_t>(0, -std::int64_t(y));
    const std::int64_t y1 = std::min<std::int64_t>(source.height_, std::int64_t(height_) - y);
    if (x0 >= x1 || y0 >= y1) return;
    const std::size_t count = std::size_t(x1 - x0);
    for (std::int64_t sy = y0; sy < y1; ++sy) {
        const std::uint32_t* from = src + sy * source.width_ + x0;
        std::uint32_t* to = dst + (sy + y) * width_ + (x0 + x);
        std::memcpy(to, from, count * sizeof(std::uint32_t));
    }
}

QImage* TDIBitmap::PaintDevice() {
    return image_.isNull() ? nullptr : &image_;
}

void TDIBitmap::Present(QPainter& target, int x, int y) const {
    if (image_.isNull()) return;
    target.save();
    target.resetTransform();
    target.setOpacity(1.0);
    target.setCompositionMode(QPainter::CompositionMode_Source);
    target.drawImage(QPoint(x, y), image_);
    target.restore();
}

std::string TDIBitmap::BmpBytes(std::int32_t pixelsPerMetre) const {
    const std::uint64_t pixelBytes = std::uint64_t(PixelCount()) * 4;
    std::string out;
    out.reserve(kBmpHeaderBytes + std::size_t(pixelBytes));
    // File header.
    out += "BM";
    Put32(out, std::uint32_t(pixelBytes + kBmpHeaderBytes));
    Put16(out, 0);
    Put16(out, 0);
    Put32(out, std::uint32_t(kBmpHeaderBytes));
    // Information header; a positive height stores the rows bottom-up.
    Put32(out, 40);
    Put32(out, std::uint32_t(width_));
    Put32(out, std::uint32_t(height_));
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, 0);  // no compression
    Put32(out, 0);  // image size: may be 0 when uncompressed
    Put32(out, std::uint32_t(std::max<std::int32_t>(pixelsPerMetre, 0)));
    Put32(out, std::uint32_t(std::max<std::int32_t>(pixelsPerMetre, 0)));
    Put32(out, 0);
    Put32(out, 0);

    const std::uint32_t* p = Pixels();
    if (!p) return out;
    const std::size_t rowBytes = std::size_t(width_) * 4;
    std::string row(rowBytes, '\0');
    for (int yy = height_ - 1; yy >= 0; --yy) {
        const std::uint32_t* line = p + std::size_t(yy) * std::size_t(width_);
        for (int xx = 0; xx < width_; ++xx) {
            const std::uint32_t v = line[xx];
            char* b = row.data() + std::size_t(xx) * 4;
            b[0] = char(v & 0xFF);
            b[1] = char((v >> 8) & 0xFF);
            b[2] = char((v >> 16) & 0xFF);
            b[3] = 0;
        }
        out += row;
    }
    return out;
}

bool TDIBitmap::SaveBmp(const std::string& path, std::string& error) const {
    if (PixelCount() == 0) {
        error = "the image has no pixels: nothing written to \"" + path + "\"";
        return false;
    }
    if (std::uint64_t(PixelCount()) * 4 + kBmpHeaderBytes > std::numeric_limits<std::uint32_t>::max()) {
        error = "the image is too large for a BMP file: \"" + path + "\"";
        return false;
    }
    return WriteFileSafely(path, BmpBytes(), error);
}
