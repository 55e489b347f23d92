#include "render/Dibwrap.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cstdint>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// Every pixel different: 0x00yyyxxx style values a shifted copy cannot fake.
void Pattern(TDIBitmap& b) {
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            b.Pixels()[y * b.Width() + x] = std::uint32_t(0x100000 + y * 0x1000 + x);
}

std::uint32_t Le32(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | std::uint8_t(s[at + std::size_t(i)]);
    return v;
}

fs::path TempDir() {
    const fs::path dir = fs::temp_directory_path() / ("zelko-dib-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    return dir;
}

TEST(TDIBitmap, SizesAndFailedCreation) {
    EXPECT_EQ(TDIBitmap().Width(), 1);
    EXPECT_EQ(TDIBitmap().Height(), 1);
    struct Row {
        const char* name;
        int w, h;
        bool ok;
    };
    const Row rows[] = {
        {"ordinary", 7, 3, true},
        {"zero width", 0, 5, false},
        {"negative height", 4, -1, false},
        {"beyond the side limit", TDIBitmap::kMaxSide + 1, 1, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TDIBitmap b(2, 2);
        EXPECT_EQ(b.Resize(row.w, row.h), row.ok);
        EXPECT_EQ(b.Width(), row.ok ? row.w : 0);
        EXPECT_EQ(b.Height(), row.ok ? row.h : 0);
        EXPECT_EQ(b.PixelCount(), row.ok ? std::int64_t(row.w) * row.h : 0);
        EXPECT_EQ(b.Pixels() == nullptr, !row.ok);
        // Operations on a buffer that could not be made do nothing.
        TDIBitmap other(3, 3);
        b.Fill(0x123456);
        b.CopyFrom(0, 0, other);
        other.Fill(0x00ABCDEF);
        other.CopyFrom(0, 0, b);
        if (!row.ok) {
            EXPECT_EQ(other.Pixel(1, 1), 0x00ABCDEFu);
        }
    }
}

TEST(TDIBitmap, CopyFromClipsToBothBuffers) {
    struct Row {
        const char* name;
        int dw, dh;  // destination size; the source is 40 x 30
        int x, y;
    };
    const Row rows[] = {
        {"same size at (-10, -10)", 40, 30, -10, -10},
        {"shifted right and down", 40, 30, 5, 3},
        {"source larger than destination", 12, 9, -3, 2},
        {"destination larger", 60, 50, 15, 12},
        {"entirely left", 40, 30, -40, 0},
        {"entirely below", 40, 30, 0, 30},
    };
    TDIBitmap source(40, 30);
    Pattern(source);
    constexpr std::uint32_t kUntouched = 0x00C0FFEE;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TDIBitmap dest(row.dw, row.dh);
        dest.Fill(kUntouched);
        dest.CopyFrom(row.x, row.y, source);
        for (int y = 0; y < row.dh; ++y)
            for (int x = 0; x < row.dw; ++x) {
                const int sx = x - row.x, sy = y - row.y;
                const bool inside = sx >= 0 && sx < 40 && sy >= 0 && sy < 30;
                ASSERT_EQ(dest.Pixel(x, y), inside ? source.Pixel(sx, sy) : kUntouched) << x << "," << y;
            }
    }
}

TEST(TDIBitmap, CopyFromAtMinusTenKeepsTheRestOfTheDestination) {
    TDIBitmap source(40, 30), dest(40, 30);
    Pattern(source);
    dest.Fill(0x000000FF);
    dest.CopyFrom(-10, -10, source);
    EXPECT_EQ(dest.Pixel(0, 0), source.Pixel(10, 10));
    EXPECT_EQ(dest.Pixel(29, 19), source.Pixel(39, 29));
    EXPECT_EQ(dest.Pixel(30, 0), 0x0000FFu);
    EXPECT_EQ(dest.Pixel(0, 20), 0x0000FFu);
}

TEST(TDIBitmap, PresentCopiesOneToOneWhateverThePainterState) {
    TDIBitmap source(6, 4), window(12, 8);
    Pattern(source);
    window.Fill(0x00FF0000);
    QPainter painter(window.PaintDevice());
    painter.scale(2, 2);
    painter.setOpacity(0.5);
    source.Present(painter, 3, 2);
    EXPECT_EQ(painter.worldTransform(), QTransform::fromScale(2, 2)) << "the painter's state is restored";
    painter.end();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inside = x >= 3 && x < 9 && y >= 2 && y < 6;
            ASSERT_EQ(window.Pixel(x, y), inside ? source.Pixel(x - 3, y - 2) : 0x00FF0000u) << x << "," << y;
        }
}

TEST(TDIBitmap, BmpBytesOfATwoByOneBuffer) {
    TDIBitmap b(2, 1);
    b.Pixels()[0] = 0x00112233;
    b.Pixels()[1] = 0xFFA0B0C0;  // the ignored byte never reaches the file
    const std::string bytes = b.BmpBytes();
    ASSERT_EQ(bytes.size(), 62u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(Le32(bytes, 2), 62u);
    EXPECT_EQ(Le32(bytes, 6), 0u);
    EXPECT_EQ(Le32(bytes, 10), 54u);
    EXPECT_EQ(Le32(bytes, 14), 40u);
    EXPECT_EQ(Le32(bytes, 18), 2u);
    EXPECT_EQ(Le32(bytes, 22), 1u);
    EXPECT_EQ(Le32(bytes, 26), 0x00200001u);  // planes 1, 32 bits per pixel
    for (std::size_t at = 30; at < 54; at += 4) EXPECT_EQ(Le32(bytes, at), 0u) << at;
    EXPECT_EQ(bytes.substr(54), std::string("\x33\x22\x11\x00\xC0\xB0\xA0\x00", 8));
}

TEST(TDIBitmap, SavedBmpReadsBackBottomUpRowsIntact) {
    TDIBitmap b(5, 3);
    Pattern(b);
    const fs::path file = TempDir() / "pattern.bmp";
    std::string error;
    ASSERT_TRUE(b.SaveBmp(file.string(), error)) << error;
    EXPECT_EQ(fs::file_size(file), 54u + 5 * 3 * 4);
    // An independent reader sees the same picture the right way up.
    const QImage read(QString::fromStdString(file.string()));
    ASSERT_FALSE(read.isNull());
    ASSERT_EQ(read.width(), 5);
    ASSERT_EQ(read.height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(read.pixel(x, y) & 0xFFFFFFu, b.Pixel(x, y)) << x << "," << y;
    fs::remove_all(file.parent_path());
}

TEST(TDIBitmap, SaveBmpFailureLeavesNoFile) {
    const fs::path dir = TempDir();
    struct Row {
        const char* name;
        fs::path path;
        int w, h;
    };
    const Row rows[] = {
        {"folder that does not exist", dir / "missing" / "out.bmp", 4, 4},
        {"name of a folder", dir, 4, 4},
        {"empty buffer", dir / "empty.bmp", 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TDIBitmap b(1, 1);
        b.Resize(row.w, row.h);
        std::string error;
        EXPECT_FALSE(b.SaveBmp(row.path.string(), error));
        EXPECT_FALSE(error.empty());
        if (row.path != dir) {
            EXPECT_FALSE(fs::exists(row.path));
        }
    }
    EXPECT_TRUE(fs::is_empty(dir)) << "a temporary file was left behind";
    fs::remove_all(dir);
}

}  // namespace
