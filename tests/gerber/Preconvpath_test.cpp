#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "gerber/Gerber_oarchive.h"
#include "tests/gerber/Gerbertest.h"

namespace {

using gerbertest::Parse;
using gerbertest::ParseCoord;
using gerbertest::Surface;
using gerbertest::TCoord;
using gerbertest::TParsedFile;
using Polygon = std::vector<PointF>;

// Winding number of the closed polygons about p.
int Winding(const std::vector<Polygon>& polygons, double x, double y) {
    int w = 0;
    for (const Polygon& poly : polygons) {
        for (std::size_t i = 0; i < poly.size(); ++i) {
            const PointF a = poly[i], b = poly[(i + 1) % poly.size()];
            const double side = (double(b.x) - a.x) * (y - a.y) - (x - a.x) * (double(b.y) - a.y);
            if (a.y <= y && b.y > y && side > 0) ++w;
            if (a.y > y && b.y <= y && side < 0) --w;
        }
    }
    return w;
}

double DistanceToEdges(const std::vector<Polygon>& polygons, double x, double y) {
    double best = 1e300;
    for (const Polygon& poly : polygons) {
        for (std::size_t i = 0; i < poly.size(); ++i) {
            const PointF a = poly[i], b = poly[(i + 1) % poly.size()];
            const double dx = double(b.x) - a.x, dy = double(b.y) - a.y;
            const double len2 = dx * dx + dy * dy;
            double t = len2 > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / len2 : 0.0;
            t = std::clamp(t, 0.0, 1.0);
            best = std::min(best, std::hypot(a.x + t * dx - x, a.y + t * dy - y));
        }
    }
    return best;
}

GraphicsPath PathOf(const std::vector<Polygon>& polygons) {
    GraphicsPath path;
    for (const Polygon& poly : polygons) path.AddPolygon(poly.data(), poly.size());
    return path;
}

Polygon Box(float l, float t, float r, float b, bool clockwiseOnScreen = true) {
    if (clockwiseOnScreen) return {{l, t}, {r, t}, {r, b}, {l, b}};
    return {{l, t}, {l, b}, {r, b}, {r, t}};
}

// Hatch spans by scan line: the line's position (thousandths) to its spans
// along the line.
using SpanMap = std::map<long long, std::vector<std::pair<long long, long long>>>;

// The spans after the fill's aperture selection, which follows the outline.
SpanMap SpansOf(const std::vector<std::string>& body, std::size_t from, bool columns) {
    SpanMap spans;
    for (std::size_t i = from; i + 1 < body.size(); i += 2) {
        TCoord s, e;
        EXPECT_TRUE(ParseCoord(body[i], s) && ParseCoord(body[i + 1], e)) << body[i];
        EXPECT_EQ(s.d, 2);
        EXPECT_EQ(e.d, 1);
        if (columns) {
            EXPECT_EQ(s.x, e.x) << "a column span is vertical";
            spans[s.x].push_back({std::min(s.y, e.y), std::max(s.y, e.y)});
        } else {
            EXPECT_EQ(s.y, e.y) << "a row span is horizontal";
            spans[s.y].push_back({std::min(s.x, e.x), std::max(s.x, e.x)});
        }
    }
    return spans;
}

TEST(GerberHatch, FillsExactlyTheNonzeroArea) {
    const Polygon star = {{50, 0}, {79.4f, 90.5f}, {2.4f, 34.5f}, {97.6f, 34.5f}, {20.6f, 90.5f}};
    struct Row {
        const char* name;
        std::vector<Polygon> polygons;
    } rows[] = {
        {"one box", {Box(0, 0, 60, 30)}},
        {"slanted edges", {{{0, 0}, {70, 10}, {30, 45}}}},
        {"two overlapping boxes of the same turn are one area", {Box(0, 0, 40, 30), Box(25, 10, 70, 45)}},
        {"a hole of the opposite turn stays empty", {Box(0, 0, 60, 40), Box(20, 10, 40, 30, false)}},
        {"opposite turns cancel where they overlap", {Box(0, 0, 40, 30), Box(25, 10, 70, 45, false)}},
        {"a star's centre is filled (nonzero, not even-odd)", {star}},
    };
    constexpr float w = 3.0f;
    for (const Row& row : rows) {
        for (const bool columns : {false, true}) {
            const std::string name = std::string(row.name) + (columns ? ", columns" : ", rows");
            TGerber_oarchive archive(nullptr);  // offsets 0: X = 100 x, Y = -100 y
            TPreConvPath item(archive);
            item.SetPath(PathOf(row.polygons));
            item.SetStyle(Surface(w, true));
            TGerberBody body(0.0, 0.0);
            ASSERT_TRUE(columns ? item.WriteFillColumns(body, w) : item.WriteFillRows(body, w)) << name;
            const std::vector<std::string> lines = gerbertest::Lines(body.Text());
            ASSERT_FALSE(lines.empty()) << name;
            EXPECT_EQ(lines[0], "G54D10*") << name << ": one selection before the spans";
            const SpanMap spans = SpansOf(lines, 1, columns);

            // Walk the scan lines the hatch must visit and compare every sample
            // point away from the edges with the winding rule.
            const RectF b = item.GetBounds();
            const float step = 0.8f * w;
            const float lo = columns ? b.Left() : b.Top(), hi = columns ? b.Right() : b.Bottom();
            const float alongLo = columns ? b.Top() : b.Left(), alongHi = columns ? b.Bottom() : b.Right();
            int checked = 0;
            for (float v = lo; v <= hi; v += step) {
                const long long key =
                    columns ? (long long)std::floor(v * 100.0) : (long long)std::floor(-v * 100.0);
                const auto it = spans.find(key);
                for (double u = alongLo + 0.013; u < alongHi; u += 0.29) {
                    const double x = columns ? v : u, y = columns ? u : v;
                    if (DistanceToEdges(row.polygons, x, y) < 0.05) continue;
                    const long long at =
                        columns ? (long long)std::floor(-y * 100.0) : (long long)std::floor(x * 100.0);
                    bool covered = false;
                    if (it != spans.end())
                        for (const auto& [s, e] : it->second) covered = covered || (s <= at && at <= e);
                    const bool inside = Winding(row.polygons, x, y) != 0;
                    ASSERT_EQ(covered, inside) << name << " at (" << x << ", " << y << ")";
                    ++checked;
                }
            }
            EXPECT_GT(checked, 1000) << name;
        }
    }
}

TEST(GerberHatch, WiderShapesAreHatchedInRowsOthersInColumns) {
    struct Row {
        const char* name;
        float width, height;
        bool columns;
    } rows[] = {
        {"wider than tall", 20, 10, false},
        {"square", 10, 10, true},
        {"taller than wide", 10, 20, true},
    };
    for (const Row& row : rows) {
        TGerber_oarchive archive(nullptr);
        archive.AddRect(Surface(1, true), {0, 0, row.width, row.height}, Matrix());
        std::string file, error;
        ASSERT_TRUE(archive.Flush(file, error));
        const TParsedFile f = Parse(file);
        // Outline: selection, move, four draws; then the hatch.
        ASSERT_GT(f.body.size(), 8u) << row.name;
        EXPECT_EQ(f.body[6], "G54D10*") << row.name;
        const SpanMap spans = SpansOf(f.body, 7, row.columns);
        EXPECT_GE(spans.size(), std::size_t((row.columns ? row.width : row.height) / 0.8f)) << row.name;
    }
}

TEST(GerberHatch, WidthlessFillsUseTheDefaultWidth) {
    for (const double mm : {0.3, 0.5}) {
        TGerber_oarchive archive(nullptr);
        archive.penWidth = mm;
        archive.AddPath(Surface(0, true), PathOf({Box(0, 60, 100, 110)}));
        archive.AddPath(Surface(0, true), PathOf({Box(0, 0, 100, 50)}));
        std::string file, error;
        ASSERT_TRUE(archive.Flush(file, error));
        const TParsedFile f = Parse(file);
        char expected[32];
        std::snprintf(expected, sizeof expected, "%%ADD10C,%.3f*%%", mm);
        EXPECT_EQ(f.apertures, std::vector<std::string>{expected}) << "outline and hatch of both use it";
        // The box at the origin comes second: its outline takes 6 lines, its hatch
        // selection 1; its scan lines lie 0.8 of the width apart.
        const auto second = std::find(f.body.begin() + 1, f.body.end(), "X0Y0D02*");
        ASSERT_NE(second, f.body.end());
        const std::size_t from = std::size_t(second - f.body.begin()) + 5;
        ASSERT_EQ(f.body[from], "G54D10*");
        const SpanMap spans = SpansOf(f.body, from + 1, false);
        ASSERT_GT(spans.size(), 10u);
        for (auto it = std::next(spans.begin()); it != spans.end(); ++it)
            EXPECT_NEAR(double(it->first - std::prev(it)->first), mm * 0.8 * 1000.0, 1.0) << mm;
    }
}

TEST(GerberHatch, FillsThatCannotStepAreSkippedAndCounted) {
    struct Row {
        const char* name;
        float itemWidth;
        double defaultMm;
        float at;
    } rows[] = {
        {"default width 0", 0, 0.0, 0},
        {"default width negative", 0, -0.3, 0},
        {"too thin for coordinates this far out", 0.01f, 0.3, 1.0e6f},
    };
    for (const Row& row : rows) {
        TGerber_oarchive archive(nullptr);
        archive.penWidth = row.defaultMm;
        archive.AddPath(Surface(row.itemWidth, true),
                        PathOf({Box(row.at, row.at, row.at + 40, row.at + 20)}));
        archive.AddPath(Surface(2, true), PathOf({Box(0, 0, 4, 2)}));
        std::string file, error;
        ASSERT_TRUE(archive.Flush(file, error)) << row.name;
        EXPECT_EQ(archive.SkippedFills(), 1) << row.name;
        const TParsedFile f = Parse(file);
        // The skipped item keeps its outline: selection, move, four draws;
        // the second item is outlined and hatched as usual.
        ASSERT_GT(f.body.size(), 13u) << row.name;
        EXPECT_EQ(f.body[6], "G54D11*") << row.name << ": no hatch follows the first outline";
    }
}

}  // namespace
