#pragma once
// gerbv, an independent reader, renders two Gerber or drill files over the
// same window, and the pictures are compared pixel by pixel.

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "import/Fabreader.h"

namespace gerbvcompare {

constexpr int kDpi = 1000;

struct TWindow {
    double x = 0, y = 0, width = 0, height = 0;  // mm
};

// The picture's extent with a margin, in mm.
inline TWindow WindowOf(const TFabPicture& picture, double margin = 1.0) {
    double l = 1e300, b = 1e300, r = -1e300, t = -1e300;
    const auto add = [&](TFabPoint p, double grow) {
        l = std::min(l, p.x - grow);
        r = std::max(r, p.x + grow);
        b = std::min(b, p.y - grow);
        t = std::max(t, p.y + grow);
    };
    for (const TFabItem& item : picture.items) {
        const double grow = std::max({item.width, item.height, 0.0});
        if (item.kind == TFabItem::Kind::Circle || item.kind == TFabItem::Kind::Rect) add(item.centre, grow);
        for (const TFabPoint& p : item.chain) add(p, grow);
    }
    if (l > r) return {0, 0, 10, 10};
    return {l - margin, b - margin, r - l + 2 * margin, t - b + 2 * margin};
}

// gerbv's picture of file over window; a null image (with the test failed)
// when gerbv is missing or writes none.
inline QImage Render(const std::filesystem::path& file, const TWindow& w, const std::filesystem::path& png) {
    const QString gerbv = QStandardPaths::findExecutable("gerbv");
    if (gerbv.isEmpty()) {
        ADD_FAILURE() << "gerbv is not installed (scripts/setup.sh installs it); it must judge the files";
        return {};
    }
    char origin[64], window[64];
    std::snprintf(origin, sizeof origin, "%.6fx%.6f", w.x, w.y);
    std::snprintf(window, sizeof window, "%.6fx%.6f", w.width / 25.4, w.height / 25.4);
    QProcess process;
    process.start(gerbv, {"-x", "png", "-D", QString::number(kDpi), "-B", "0", "-b", "#ffffff", "-f",
                          "#000000ff", "-u", "mm", "-O", origin, "-W", window, "-o",
                          QString::fromStdString(png.string()), QString::fromStdString(file.string())});
    if (!process.waitForFinished(300000)) {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "gerbv did not finish on " << file;
        return {};
    }
    QImage image(QString::fromStdString(png.string()));
    EXPECT_FALSE(image.isNull()) << "gerbv wrote no picture of " << file << " over " << w.width << " x "
                                 << w.height << " mm from " << w.x << ", " << w.y;
    return image;
}

// gerbv places a flash's aperture on the pixel grid but fills a region
// where it lies, so the same square as a flash and as a region differ by up
// to one pixel along their edges. A pixel therefore counts as different only
// when the other picture has no pixel of its colour within one pixel of it;
// the plain count is kept too.
struct TDifference {
    long long differing = 0;  // beyond the one-pixel allowance
    long long raw = 0;        // every pixel whose colour differs
    long long pixels = 0;
    long long inkA = 0, inkB = 0;
    double Share() const { return pixels == 0 ? 1.0 : double(differing) / double(pixels); }
    double RawShare() const { return pixels == 0 ? 1.0 : double(raw) / double(pixels); }
};

inline TDifference Compare(const QImage& a, const QImage& b) {
    TDifference d;
    if (a.isNull() || b.isNull() || a.size() != b.size()) return d;
    const QImage ga = a.convertToFormat(QImage::Format_Grayscale8),
                 gb = b.convertToFormat(QImage::Format_Grayscale8);
    const int w = ga.width(), h = ga.height();
    const auto ink = [](const QImage& g, int x, int y) { return g.constScanLine(y)[x] < 128; };
    const auto near = [&](const QImage& g, int x, int y, bool colour) {
        for (int v = std::max(0, y - 1); v <= std::min(h - 1, y + 1); ++v)
            for (int u = std::max(0, x - 1); u <= std::min(w - 1, x + 1); ++u)
                if (ink(g, u, v) == colour) return true;
        return false;
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const bool ia = ink(ga, x, y), ib = ink(gb, x, y);
            d.inkA += ia;
            d.inkB += ib;
            if (ia == ib) continue;
            ++d.raw;
            if (!near(gb, x, y, ia) || !near(ga, x, y, ib)) ++d.differing;
        }
    d.pixels = (long long)w * h;
    return d;
}

// Both files over window, tile by tile: gerbv writes no picture much
// beyond 30 million pixels.
inline TDifference CompareFiles(const std::filesystem::path& a, const std::filesystem::path& b,
                                const TWindow& window, const std::filesystem::path& scratch) {
    constexpr double kTile = 100.0;  // mm, about 3900 pixels
    TDifference sum;
    for (double x = window.x; x < window.x + window.width - 1e-9; x += kTile)
        for (double y = window.y; y < window.y + window.height - 1e-9; y += kTile) {
            const TWindow tile{x, y, std::min(kTile, window.x + window.width - x),
                               std::min(kTile, window.y + window.height - y)};
            const TDifference d =
                Compare(Render(a, tile, scratch / "a.png"), Render(b, tile, scratch / "b.png"));
            if (d.pixels == 0) return d;
            sum.differing += d.differing;
            sum.raw += d.raw;
            sum.pixels += d.pixels;
            sum.inkA += d.inkA;
            sum.inkB += d.inkB;
        }
    return sum;
}

}  // namespace gerbvcompare
