#include <gtest/gtest.h>

#include <cmath>

#include "geom/Matrix.h"

using geom::Matrix;
using geom::PointF;

namespace {

void ExpectNear(PointF got, PointF want, float tol = 1e-4f) {
    EXPECT_NEAR(got.x, want.x, tol) << "x";
    EXPECT_NEAR(got.y, want.y, tol) << "y";
}

}  // namespace

TEST(Matrix, CompositionsAreAppended) {
    Matrix m;
    m.Translate(10, 0);
    m.Rotate(90);  // applied after the translation
    ExpectNear(m.Map({1, 0}), {0, 11});
    // A point maps to (m11 x + m21 y + dx, m12 x + m22 y + dy).
    EXPECT_EQ(m.Elements(), (std::array<float, 6>{0, 1, -1, 0, 0, 10}));

    Matrix s;
    s.Scale(2, 3);
    s.Translate(1, 1);
    ExpectNear(s.Map({1, 1}), {3, 4});
}

TEST(Matrix, RotateAtKeepsCentreAndQuarterTurnsAreExact) {
    Matrix m;
    m.RotateAt(90, {20, 15});
    EXPECT_EQ(m.Map({20, 15}), PointF(20, 15));
    EXPECT_EQ(m.Map({30, 15}), PointF(20, 25));
    Matrix r;
    r.Rotate(-270);
    EXPECT_EQ(r.Map({1, 0}), PointF(0, 1));
}

TEST(Matrix, MultiplyInvertAndVectors) {
    Matrix a(2, 0.5f, -1, 3, 7, -4);
    Matrix inv = a;
    ASSERT_TRUE(inv.Invert());
    Matrix both = a;
    both.Multiply(inv);
    ExpectNear(both.Map({5, -9}), {5, -9}, 1e-3f);
    ExpectNear(a.MapVector({1, 0}), {2, 0.5f});

    Matrix singular(1, 2, 2, 4, 0, 0);
    EXPECT_FALSE(singular.IsInvertible());
    EXPECT_FALSE(singular.Invert());
    EXPECT_EQ(singular, Matrix(1, 2, 2, 4, 0, 0));
}

TEST(Matrix, SimilarityScaleOnlyForTransformsThatKeepCircles) {
    Matrix turned;
    turned.Rotate(30);
    turned.Scale(2, 2);
    turned.Translate(5, 7);
    Matrix mirrored;
    mirrored.Scale(-1.5f, 1.5f);
    Matrix stretched;
    stretched.Scale(2, 1);
    const struct {
        const char* name;
        Matrix m;
        double scale;
    } rows[] = {
        {"identity", Matrix(), 1.0},
        {"turned and scaled", turned, 2.0},
        {"mirrored", mirrored, 1.5},
        {"stretched", stretched, 0.0},
        {"sheared", Matrix(1, 0, 0.5f, 1, 0, 0), 0.0},
        {"singular", Matrix(0, 0, 0, 0, 1, 1), 0.0},
        {"not finite", Matrix(INFINITY, 0, 0, INFINITY, 0, 0), 0.0},
    };
    for (const auto& row : rows) EXPECT_NEAR(row.m.SimilarityScale(), row.scale, 1e-5) << row.name;
}
