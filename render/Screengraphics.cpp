#include "render/Screengraphics.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Device-pixel error allowed when curves become lines.
constexpr double kCurveTolerance = 0.2;
// A point this close to the last one kept (each way, in device pixels) is left
// out: the outlines of pads and track ends are fine polygons that would give a
// shape of a few pixels dozens of edges.
constexpr double kLeastStep = 0.3;

struct DPoint {
    double x, y;
};

// Per-thread scratch: the bands of one redraw fill side by side.
struct Scratch {
    std::vector<DPoint> points;       // device points of every figure, closed
    std::vector<std::size_t> starts;  // where each figure begins in points
    // Signed area per cell, then coverage. All zero between shapes: each shape
    // clears the cells it touched, so its work follows its outline and covered
    // area rather than its bounds (a thin diagonal track has large bounds).
    std::vector<float> cells;
    std::vector<int> lo, hi;  // per row, the first and last cell touched
};

// A shape's cells: rows of stride entries for columns 0 ... columns + 1.
struct Cells {
    float* data;
    int stride;
    int rows;
    int* lo;
    int* hi;
};

Scratch& ThreadScratch() {
    thread_local Scratch scratch;
    return scratch;
}

// Accumulates the signed area of one edge inside the region: prefix sums along
// a row give each pixel's covered area. Edges must lie in columns [0, columns].
void AccumulateEdge(const Cells& cells, DPoint a, DPoint b) {
    const int stride = cells.stride, rows = cells.rows;
    if (a.y == b.y) return;
    double dir = 1.0;
    if (a.y > b.y) {
        std::swap(a, b);
        dir = -1.0;
    }
    const double dxdy = (b.x - a.x) / (b.y - a.y);
    const int first = std::max(0, int(std::floor(a.y)));
    const int last = std::min(rows, int(std::ceil(b.y)));
    // Stepping may stray past the region's columns by rounding.
    const double limit = double(stride - 2);
    double x = std::clamp(a.x + (std::max(a.y, double(first)) - a.y) * dxdy, 0.0, limit);
    for (int y = first; y < last; ++y) {
        float* row = cells.data + std::size_t(y) * std::size_t(stride);
        const double dy = std::min(double(y + 1), b.y) - std::max(double(y), a.y);
        const double xnext = std::clamp(x + dxdy * dy, 0.0, limit);
        const double d = dy * dir;
        const double x0 = std::min(x, xnext), x1 = std::max(x, xnext);
        // Both are 0 or more: truncation is floor, and cheaper.
        const int x0i = int(x0);
        const double x0floor = double(x0i);
        const int x1i = int(x1) + (double(int(x1)) < x1 ? 1 : 0);
        const double x1ceil = double(x1i);
        cells.lo[y] = std::min(cells.lo[y], x0i);
        cells.hi[y] = std::max(cells.hi[y], std::max(x1i, x0i + 1));
        if (x1i <= x0i + 1) {
            const double xmf = 0.5 * (x + xnext) - x0floor;
            row[x0i] += float(d - d * xmf);
            row[x0i + 1] += float(d * xmf);
        } else {
            const double s = 1.0 / (x1 - x0);
            const double x0f = x0 - x0floor;
            const double a0 = 0.5 * s * (1.0 - x0f) * (1.0 - x0f);
            const double x1f = x1 - x1ceil + 1.0;
            const double am = 0.5 * s * x1f * x1f;
            row[x0i] += float(d * a0);
            if (x1i == x0i + 2) {
                row[x0i + 1] += float(d * (1.0 - a0 - am));
            } else {
                const double a1 = s * (1.5 - x0f);
                row[x0i + 1] += float(d * (a1 - a0));
                for (int xi = x0i + 2; xi < x1i - 1; ++xi) row[xi] += float(d * s);
                const double a2 = a1 + double(x1i - x0i - 3) * s;
                row[x1i - 1] += float(d * (1.0 - a2 - am));
            }
            row[x1i] += float(d * am);
        }
        x = xnext;
    }
}

// An edge of the region's coordinates cut at the columns 0 and columns: what lies
// beyond runs along that border instead, which leaves the area inside unchanged.
void AccumulateClipped(const Cells& cells, int columns, DPoint a, DPoint b) {
    const double right = double(columns);
    const auto clamp = [right](DPoint p) { return DPoint{std::clamp(p.x, 0.0, right), p.y}; };
    if (a.x >= 0.0 && a.x <= right && b.x >= 0.0 && b.x <= right) {
        AccumulateEdge(cells, a, b);
        return;
    }
    double cuts[4] = {0.0, 1.0, 1.0, 1.0};
    int n = 1;
    if (a.x != b.x) {
        for (const double edge : {0.0, right}) {
            const double t = (edge - a.x) / (b.x - a.x);
            if (t > 0.0 && t < 1.0) cuts[n++] = t;
        }
    }
    std::sort(cuts, cuts + n);
    cuts[n] = 1.0;
    for (int i = 0; i < n; ++i) {
        const double t0 = cuts[i], t1 = cuts[i + 1];
        const DPoint p{a.x + (b.x - a.x) * t0, a.y + (b.y - a.y) * t0};
        const DPoint q = t1 >= 1.0 ? b : DPoint{a.x + (b.x - a.x) * t1, a.y + (b.y - a.y) * t1};
        AccumulateEdge(cells, clamp(p), clamp(q));
    }
}

// x * a / 255 rounded, for x and a in 0 ... 255.
inline std::uint32_t Mul255(std::uint32_t x, std::uint32_t a) {
    const std::uint32_t t = x * a;
    return (t + (t >> 8) + 0x80u) >> 8;
}

// A premultiplied colour fully covering an opaque pixel; keep is 255 minus its alpha.
inline std::uint32_t Over(std::uint32_t dst, std::uint32_t premultiplied, std::uint32_t keep) {
    std::uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8)
        out |= std::min(255u, ((premultiplied >> shift) & 0xFFu) + Mul255((dst >> shift) & 0xFFu, keep))
               << shift;
    return out;
}

// The colour premultiplied by its alpha, then by coverage (1 ... 254), over an
// opaque pixel: the same rounding as Qt's raster engine, so that covered pixels
// come out identical.
inline std::uint32_t Blend(std::uint32_t dst, std::uint32_t premultiplied, std::uint32_t coverage) {
    std::uint32_t src = 0;
    for (int shift = 0; shift < 32; shift += 8)
        src |= Mul255((premultiplied >> shift) & 0xFFu, coverage) << shift;
    return Over(dst, src, 255u - (src >> 24));
}

}  // namespace

TScreenGraphics::TScreenGraphics(QPainter& painter, std::uint32_t* pixels, int width, int height)
    : TQtGraphics(painter), pixels_(pixels), width_(width), height_(height) {
    const QTransform t = painter.worldTransform();
    m11_ = t.m11();
    m12_ = t.m12();
    m21_ = t.m21();
    m22_ = t.m22();
    dx_ = t.dx();
    dy_ = t.dy();
    affine_ = t.type() <= QTransform::TxShear;
}

void TScreenGraphics::FillPath(const GraphicsPath& path, Argb colour) {
    if (path.IsEmpty() || !pixels_ || !affine_ || (colour >> 24) == 0) {
        if (!path.IsEmpty() && (colour >> 24) != 0) TQtGraphics::FillPath(path, colour);
        return;
    }
    // The figures in device pixels, curves as lines, each closed.
    Scratch& scratch = ThreadScratch();
    std::vector<DPoint>& points = scratch.points;
    std::vector<std::size_t>& starts = scratch.starts;
    const auto& pts = path.Points();
    const auto& types = path.Types();
    const std::size_t n = pts.size();
    const auto map = [this](PointF p) {
        return DPoint{m11_ * p.x + m21_ * p.y + dx_, m12_ * p.x + m22_ * p.y + dy_};
    };
    double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
    double leastStep = kLeastStep;
    // The bounds are those of the points kept: the edges run between them only.
    const auto add = [&](DPoint p) {
        if (points.size() > starts.back()) {
            const DPoint& kept = points.back();
            if (std::fabs(p.x - kept.x) < leastStep && std::fabs(p.y - kept.y) < leastStep) return;
        }
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
        points.push_back(p);
    };
    const auto flatten = [&] {
        points.clear();
        starts.clear();
        DPoint last{0.0, 0.0};  // the path's own last point, kept or not
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint8_t kind = types[i] & geom::PointTypeMask;
            if (kind == geom::PointStart || starts.empty()) {
                starts.push_back(points.size());
                last = map(pts[i]);
                add(last);
                continue;
            }
            if (kind == geom::PointBezier && i + 2 < n) {
                const DPoint p0 = last, p1 = map(pts[i]), p2 = map(pts[i + 1]), p3 = map(pts[i + 2]);
                const double ddx =
                    std::max(std::fabs(p0.x - 2 * p1.x + p2.x), std::fabs(p1.x - 2 * p2.x + p3.x));
                const double ddy =
                    std::max(std::fabs(p0.y - 2 * p1.y + p2.y), std::fabs(p1.y - 2 * p2.y + p3.y));
                const double bend = std::sqrt(ddx * ddx + ddy * ddy);
                const int steps =
                    std::clamp(int(std::ceil(std::sqrt(0.75 * bend / kCurveTolerance))), 1, 256);
                for (int k = 1; k < steps; ++k) {
                    const double t = double(k) / steps, u = 1.0 - t;
                    const double w0 = u * u * u, w1 = 3 * u * u * t, w2 = 3 * u * t * t, w3 = t * t * t;
                    add(DPoint{w0 * p0.x + w1 * p1.x + w2 * p2.x + w3 * p3.x,
                               w0 * p0.y + w1 * p1.y + w2 * p2.y + w3 * p3.y});
                }
                add(p3);
                last = p3;
                i += 2;
                continue;
            }
            last = map(pts[i]);
            add(last);
        }
    };
    flatten();
    // A shape within one pixel each way keeps every point: its few are all it has.
    if (maxX - minX <= 1.0 && maxY - minY <= 1.0) {
        leastStep = 0.0;
        flatten();
    }
    if (!(maxX - minX < 1e7) || !(maxY - minY < 1e7)) {  // not finite, or beyond any window
        TQtGraphics::FillPath(path, colour);
        return;
    }
    if (maxX <= 0.0 || maxY <= 0.0 || minX >= width_ || minY >= height_) return;
    // A shape within one pixel each way is worked over whole so that it keeps
    // its one visible pixel whichever band it falls in; others are cut to the device.
    const bool tiny = maxX - minX <= 1.0 && maxY - minY <= 1.0;
    int left = int(std::floor(minX)), top = int(std::floor(minY));
    int right = int(std::ceil(maxX)), bottom = int(std::ceil(maxY));
    if (right == left) ++right;
    if (bottom == top) ++bottom;
    if (!tiny) {
        left = std::max(left, 0);
        top = std::max(top, 0);
        right = std::min(right, width_);
        bottom = std::min(bottom, height_);
        if (double(right - left) * double(bottom - top) > kLargestOwnFill) {
            TQtGraphics::FillPath(path, colour);
            return;
        }
    }
    const int columns = right - left, rows = bottom - top, stride = columns + 2;
    std::vector<float>& store = scratch.cells;
    // Growing keeps every cell zero: new ones are zero, the old ones were cleared.
    if (store.size() < std::size_t(stride) * std::size_t(rows))
        store.resize(std::size_t(stride) * std::size_t(rows));
    if (scratch.lo.size() < std::size_t(rows)) {
        scratch.lo.resize(std::size_t(rows));
        scratch.hi.resize(std::size_t(rows));
    }
    std::fill_n(scratch.lo.begin(), rows, stride);
    std::fill_n(scratch.hi.begin(), rows, -1);
    const Cells cells{store.data(), stride, rows, scratch.lo.data(), scratch.hi.data()};
    // The window's rows under the shape are fetched while its edges are summed.
    for (int y = std::max(0, -top); y < rows && top + y < height_; ++y)
        __builtin_prefetch(pixels_ + std::size_t(top + y) * std::size_t(width_) + std::max(left, 0));
    starts.push_back(points.size());
    for (std::size_t f = 0; f + 1 < starts.size(); ++f) {
        const std::size_t begin = starts[f], end = starts[f + 1];
        for (std::size_t i = begin; i < end; ++i) {
            const DPoint a = points[i], b = points[i + 1 < end ? i + 1 : begin];
            AccumulateClipped(cells, columns, DPoint{a.x - left, a.y - top}, DPoint{b.x - left, b.y - top});
        }
    }
    // Coverage per pixel under the fill rule. Left of a row's first touched cell
    // and right of its last the sums are zero: a closed outline enters and leaves
    // every row. A shape within one pixel each way is blended after all its rows
    // are known, so its most covered pixel can be made visible.
    const bool evenOdd = path.GetFillMode() != geom::FillMode::Winding;
    const std::uint32_t alpha = colour >> 24;
    std::uint32_t premultiplied = alpha << 24;
    for (int shift = 0; shift < 24; shift += 8)
        premultiplied |= Mul255((colour >> shift) & 0xFFu, alpha) << shift;
    const std::uint32_t keep = 255u - alpha;
    // Coverage 0 ... 1 onto one pixel.
    const auto put = [premultiplied, keep](std::uint32_t& pixel, float c) {
        // Never below -0.5 / 255 here, so adding 0.5 rounds as lround would.
        const int coverage = int(c * 255.0f + 0.5f);  // NOLINT(bugprone-incorrect-roundings)
        if (coverage <= 0) return;
        if (coverage < 255) {
            pixel = Blend(pixel, premultiplied, std::uint32_t(coverage));
        } else if (keep == 0) {
            pixel = premultiplied | 0xFF000000u;
        } else {
            pixel = Over(pixel, premultiplied, keep);
        }
    };
    const auto blendRow = [&](float* row, int y) {
        std::uint32_t* out = pixels_ + std::size_t(top + y) * std::size_t(width_) + left;
        const int x0 = std::max(cells.lo[y], -left),
                  x1 = std::min(std::min(cells.hi[y] + 1, columns), width_ - left);
        for (int x = x0; x < x1; ++x) put(out[x], row[x]);
    };
    const auto clearRow = [&](float* row, int y) {
        if (cells.hi[y] >= 0) std::fill(row + cells.lo[y], row + cells.hi[y] + 1, 0.0f);
    };
    const auto coverageOf = [evenOdd](float sum) {
        float c = std::fabs(sum);
        if (evenOdd) {
            c -= 2.0f * std::floor(c * 0.5f);
            if (c > 1.0f) c = 2.0f - c;
        } else {
            c = std::min(c, 1.0f);
        }
        return c;
    };
    if (!tiny) {
        // Cut to the window: every row and column of the shape is on it. Sum,
        // blend and clear in one pass.
        for (int y = 0; y < rows; ++y) {
            if (cells.hi[y] < 0) continue;
            float* row = cells.data + std::size_t(y) * std::size_t(stride);
            std::uint32_t* out = pixels_ + std::size_t(top + y) * std::size_t(width_) + left;
            float sum = 0.0f;
            const int end = std::min(cells.hi[y] + 1, columns);
            for (int x = cells.lo[y]; x < end; ++x) {
                sum += row[x];
                row[x] = 0.0f;
                put(out[x], coverageOf(sum));
            }
            for (int x = end; x <= cells.hi[y]; ++x) row[x] = 0.0f;
        }
        return;
    }
    float most = 0.0f;
    std::size_t mostAt = 0;
    for (int y = 0; y < rows; ++y) {
        float* row = cells.data + std::size_t(y) * std::size_t(stride);
        float sum = 0.0f;
        const int end = std::min(cells.hi[y] + 1, columns);
        for (int x = cells.lo[y]; x < end; ++x) {
            sum += row[x];
            row[x] = coverageOf(sum);
            if (row[x] > most) {
                most = row[x];
                mostAt = std::size_t(y) * std::size_t(stride) + std::size_t(x);
            }
        }
    }
    if (most > 0.0f && most < kLeastCoverage) cells.data[mostAt] = kLeastCoverage;
    for (int y = 0; y < rows; ++y) {
        float* row = cells.data + std::size_t(y) * std::size_t(stride);
        if (top + y >= 0 && top + y < height_) blendRow(row, y);
        clearRow(row, y);
    }
}
