#include "geom/Matrix.h"

#include <cmath>

namespace geom {

namespace {

// Quarter turns get exact sines and cosines so that rotating by 90 degrees
// keeps integral coordinates integral.
void SinCos(double degrees, double& s, double& c) {
    const double turns = degrees / 90.0;
    if (turns == std::floor(turns)) {
        const long q = ((static_cast<long>(turns) % 4) + 4) % 4;
        static constexpr double kSin[4] = {0, 1, 0, -1};
        static constexpr double kCos[4] = {1, 0, -1, 0};
        s = kSin[q];
        c = kCos[q];
        return;
    }
    const double r = degrees * (M_PI / 180.0);
    s = std::sin(r);
    c = std::cos(r);
}

}  // namespace

bool Matrix::IsInvertible() const {
    const double det = double(m_[0]) * m_[3] - double(m_[1]) * m_[2];
    return det != 0.0 && std::isfinite(det);
}

double Matrix::SimilarityScale() const {
    const double a = m_[0], b = m_[1], c = m_[2], d = m_[3];
    const double sx = std::hypot(a, b), sy = std::hypot(c, d);
    if (!std::isfinite(sx) || !std::isfinite(sy) || !(sx > 0.0)) return 0.0;
    const double tol = 1e-5 * sx;
    if (std::fabs(sx - sy) > tol || std::fabs(a * c + b * d) > tol * sx) return 0.0;
    return sx;
}

void Matrix::Translate(float dx, float dy) {
    m_[4] = float(double(m_[4]) + dx);
    m_[5] = float(double(m_[5]) + dy);
}

void Matrix::Scale(float sx, float sy) {
    Multiply(Matrix(sx, 0, 0, sy, 0, 0));
}

void Matrix::Rotate(float degrees) {
    double s, c;
    SinCos(degrees, s, c);
    // Appending a rotation: row-vector convention p' = p * M * R.
    const double a = m_[0], b = m_[1], cc = m_[2], d = m_[3], e = m_[4], f = m_[5];
    m_[0] = float(a * c - b * s);
    m_[1] = float(a * s + b * c);
    m_[2] = float(cc * c - d * s);
    m_[3] = float(cc * s + d * c);
    m_[4] = float(e * c - f * s);
    m_[5] = float(e * s + f * c);
}

void Matrix::RotateAt(float degrees, PointF c) {
    Translate(-c.x, -c.y);
    Rotate(degrees);
    Translate(c.x, c.y);
}

void Matrix::Multiply(const Matrix& o) {
    const double a = m_[0], b = m_[1], c = m_[2], d = m_[3], e = m_[4], f = m_[5];
    const double A = o.m_[0], B = o.m_[1], C = o.m_[2], D = o.m_[3], E = o.m_[4], F = o.m_[5];
    m_[0] = float(a * A + b * C);
    m_[1] = float(a * B + b * D);
    m_[2] = float(c * A + d * C);
    m_[3] = float(c * B + d * D);
    m_[4] = float(e * A + f * C + E);
    m_[5] = float(e * B + f * D + F);
}

bool Matrix::Invert() {
    const double a = m_[0], b = m_[1], c = m_[2], d = m_[3], e = m_[4], f = m_[5];
    const double det = a * d - b * c;
    if (det == 0.0 || !std::isfinite(det)) return false;
    const double ia = d / det, ib = -b / det, ic = -c / det, id = a / det;
    m_[0] = float(ia);
    m_[1] = float(ib);
    m_[2] = float(ic);
    m_[3] = float(id);
    m_[4] = float(-(e * ia + f * ic));
    m_[5] = float(-(e * ib + f * id));
    return true;
}

PointF Matrix::Map(PointF p) const {
    return {float(double(m_[0]) * p.x + double(m_[2]) * p.y + m_[4]),
            float(double(m_[1]) * p.x + double(m_[3]) * p.y + m_[5])};
}

PointF Matrix::MapVector(PointF v) const {
    return {float(double(m_[0]) * v.x + double(m_[2]) * v.y),
            float(double(m_[1]) * v.x + double(m_[3]) * v.y)};
}

void Matrix::TransformPoints(PointF* pts, std::size_t n) const {
    for (std::size_t i = 0; i < n; ++i) pts[i] = Map(pts[i]);
}

void Matrix::TransformVectors(PointF* pts, std::size_t n) const {
    for (std::size_t i = 0; i < n; ++i) pts[i] = MapVector(pts[i]);
}

}  // namespace geom
