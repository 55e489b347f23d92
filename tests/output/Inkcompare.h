#pragma once
// Independent readers render our files; ink maps of two pictures are compared,
// differences excused only along edges (pen rounding, curve flattening, the
// rasterisers' edge rules), never inside or away from a shape.

#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace inkcompare {

namespace fs = std::filesystem;

constexpr int kEdgeReach = 3;  // pixels

// Runs a reader that writes out; a test failure when it is missing, fails,
// complains (gerbv) or writes nothing.
inline QImage RunReader(const QString& program, const QStringList& args, const fs::path& out) {
    const QString exe = QStandardPaths::findExecutable(program);
    if (exe.isEmpty()) {
        ADD_FAILURE() << program.toStdString() << " is not installed (scripts/setup.sh installs it)";
        return {};
    }
    QProcess process;
    process.start(exe, args);
    EXPECT_TRUE(process.waitForFinished(120000)) << program.toStdString() << " did not finish";
    // gerbv 2.9 predates the X2 attributes and names each one it skips; any
    // other complaint fails.
    QString errors;
    for (const QString& line : QString::fromLocal8Bit(process.readAllStandardError()).split('\n')) {
        if (line.contains("Unknown RS-274X extension found %TF%") ||
            line.contains("Unknown RS-274X extension found %TA%") ||
            line.contains("Unknown RS-274X extension found %TD%"))
            continue;
        errors += line + "\n";
    }
    EXPECT_FALSE(errors.contains("CRITICAL") || errors.contains("WARNING") || errors.contains("rror"))
        << program.toStdString() << ": " << errors.toStdString();
    QImage image(QString::fromStdString(out.string()));
    EXPECT_FALSE(image.isNull()) << program.toStdString() << " wrote no picture " << out;
    return image;
}

// gerbv's picture of a window whose top-left corner is the design area's
// top-left corner, w x h pixels at ppi.
inline QImage RenderWithGerbv(const fs::path& file, double areaHeightMm, int w, int h, int ppi) {
    // gerbv truncates the pixel size: ask for half a pixel more. Its picture
    // grows up from the window's lower-left corner, which must therefore lie
    // h pixels below the area's top edge.
    const double wIn = (w + 0.5) / ppi, hIn = (h + 0.5) / ppi;
    char origin[32], window[32];
    std::snprintf(origin, sizeof origin, "0x%.5f", areaHeightMm - double(h) / ppi * 25.4);
    std::snprintf(window, sizeof window, "%.6fx%.6f", wIn, hIn);
    const fs::path png = file.parent_path() / (file.filename().string() + ".gerbv.png");
    return RunReader("gerbv",
                     {"-x", "png", "-D", QString::number(ppi), "-B", "0", "-b", "#ffffff", "-f", "#000000ff",
                      "-u", "mm", "-O", origin, "-W", window, "-o", QString::fromStdString(png.string()),
                      QString::fromStdString(file.string())},
                     png);
}

inline QImage RenderSvg(const fs::path& svg, int ppi) {
    const fs::path png = svg.parent_path() / (svg.filename().string() + ".png");
    return RunReader("rsvg-convert",
                     {"-d", QString::number(ppi), "-p", QString::number(ppi), "-b", "white", "-o",
                      QString::fromStdString(png.string()), QString::fromStdString(svg.string())},
                     png);
}

inline QImage RenderPdf(const fs::path& pdf, int ppi) {
    const fs::path stem = pdf.parent_path() / (pdf.filename().string() + ".page");
    return RunReader("pdftoppm",
                     {"-r", QString::number(ppi), "-png", "-singlefile", QString::fromStdString(pdf.string()),
                      QString::fromStdString(stem.string())},
                     fs::path(stem.string() + ".png"));
}

inline std::vector<bool> InkOf(const QImage& image) {
    std::vector<bool> ink(std::size_t(image.width()) * std::size_t(image.height()));
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink[std::size_t(y) * std::size_t(image.width()) + std::size_t(x)] =
                qGray(image.pixel(x, y)) < 128;
    return ink;
}

struct Comparison {
    long long pixels = 0, differ = 0, farFromEdges = 0, inkOurs = 0, inkGerbv = 0;
    double Agree() const { return pixels ? 100.0 * double(pixels - differ) / double(pixels) : 0.0; }
};

// A differing pixel is excused when it lies within kEdgeReach pixels of an
// edge of either picture.
inline Comparison Compare(const std::vector<bool>& ours, const std::vector<bool>& theirs, int w, int h) {
    std::vector<bool> nearEdge(std::size_t(w) * std::size_t(h), false);
    const auto at = [w](int x, int y) { return std::size_t(y) * std::size_t(w) + std::size_t(x); };
    const auto markAround = [&](int x, int y) {
        for (int dy = -kEdgeReach; dy <= kEdgeReach; ++dy)
            for (int dx = -kEdgeReach; dx <= kEdgeReach; ++dx) {
                const int xx = x + dx, yy = y + dy;
                if (dx * dx + dy * dy <= kEdgeReach * kEdgeReach && xx >= 0 && yy >= 0 && xx < w && yy < h)
                    nearEdge[at(xx, yy)] = true;
            }
    };
    for (const std::vector<bool>* ink : {&ours, &theirs})
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const bool v = (*ink)[at(x, y)];
                const bool edge =
                    (x + 1 < w && (*ink)[at(x + 1, y)] != v) || (y + 1 < h && (*ink)[at(x, y + 1)] != v);
                if (edge) markAround(x, y);
            }
    Comparison c;
    c.pixels = (long long)w * h;
    for (std::size_t i = 0; i < ours.size(); ++i) {
        c.inkOurs += ours[i];
        c.inkGerbv += theirs[i];
        if (ours[i] == theirs[i]) continue;
        ++c.differ;
        if (!nearEdge[i]) ++c.farFromEdges;
    }
    return c;
}

}  // namespace inkcompare
