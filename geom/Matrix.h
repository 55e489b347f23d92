#pragma once
// 2x3 affine transform with float32 elements m11 m12 m21 m22 dx dy.
// (x, y) maps to (m11*x + m21*y + dx, m12*x + m22*y + dy).
// Every composition is appended: the new operation applies after the existing ones.

#include <array>
#include <cstddef>

#include "geom/Pointf.h"

namespace geom {

class Matrix {
public:
    Matrix() = default;  // identity
    Matrix(float m11, float m12, float m21, float m22, float dx, float dy) : m_{m11, m12, m21, m22, dx, dy} {}

    float M11() const { return m_[0]; }
    float M12() const { return m_[1]; }
    float M21() const { return m_[2]; }
    float M22() const { return m_[3]; }
    float Dx() const { return m_[4]; }
    float Dy() const { return m_[5]; }
    const std::array<float, 6>& Elements() const { return m_; }
    void SetElements(float m11, float m12, float m21, float m22, float dx, float dy) {
        m_ = {m11, m12, m21, m22, dx, dy};
    }

    void Reset() { m_ = {1, 0, 0, 1, 0, 0}; }
    bool IsIdentity() const { return m_ == std::array<float, 6>{1, 0, 0, 1, 0, 0}; }
    bool IsInvertible() const;
    // The one scale of a transform that keeps circles circles (a rotation,
    // perhaps mirrored, scaling both axes alike, to about 1e-5), or 0 for any other.
    double SimilarityScale() const;

    void Translate(float dx, float dy);
    void Scale(float sx, float sy);
    void Rotate(float degrees);
    // Rotation about c: translate(-c), rotate, translate(c), each appended.
    void RotateAt(float degrees, PointF c);
    // this = this followed by other.
    void Multiply(const Matrix& other);
    // Replaces the matrix by its inverse; false (and unchanged) when singular.
    bool Invert();

    PointF Map(PointF p) const;
    PointF MapVector(PointF v) const;  // ignores dx, dy
    void TransformPoints(PointF* pts, std::size_t n) const;
    void TransformVectors(PointF* pts, std::size_t n) const;

    bool operator==(const Matrix&) const = default;

private:
    std::array<float, 6> m_{1, 0, 0, 1, 0, 0};
};

}  // namespace geom
