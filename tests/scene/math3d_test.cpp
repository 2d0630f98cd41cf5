// Matrix and vector arithmetic against hand-worked values and independent
// formulas: rotation direction and order, the 22/7 degree conversion, face
// orientation, and the double-precision intermediates.
#include "scene/math3d.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// p (row vector, w = 1) times m, in double: the reference the tests trust.
struct Point4 {
    double x, y, z, w;
};
Point4 Transform(double x, double y, double z, const Matrix4& m) {
    return {x * m._11 + y * m._21 + z * m._31 + m._41, x * m._12 + y * m._22 + z * m._32 + m._42,
            x * m._13 + y * m._23 + z * m._33 + m._43, x * m._14 + y * m._24 + z * m._34 + m._44};
}

const float* Entries(const Matrix4& m) { return &m._11; }

Matrix4 Counting(float start) {
    Matrix4 m;
    float* e = &m._11;
    for (int i = 0; i < 16; ++i) {
        e[i] = start + static_cast<float>(i);
    }
    return m;
}

}  // namespace

TEST(DegreeConversion, UsesTwentyTwoSevenths) {
    EXPECT_EQ(DegreesToRadians(90.0f), 1.5714285f);
    EXPECT_FLOAT_EQ(DegreesToRadians(360.0f), 6.2857141f);
    EXPECT_NEAR(DegreesToRadians(1.0f), 0.0174603, 1e-7);
    // Not pi: a slip to M_PI would give 3.1415927 here.
    EXPECT_NEAR(DegreesToRadians(180.0f), 3.142857, 1e-6);
    EXPECT_NE(DegreesToRadians(180.0f), static_cast<float>(M_PI));
    EXPECT_EQ(DegreesToRadians(0.0f), 0.0f);
    EXPECT_EQ(DegreesToRadians(-90.0f), -1.5714285f);
}

TEST(DegreeConversion, MatchesTheTwoStepProductRoundedOnce) {
    for (float degrees = -720.0f; degrees <= 720.0f; degrees += 1.25f) {
        const double expected = static_cast<double>(degrees) * 0.0055555557f * 3.142857f;
        EXPECT_EQ(DegreesToRadians(degrees), static_cast<float>(expected)) << degrees;
    }
}

TEST(MatrixBuilders, IdentityTranslationAndScaleTouchOnlyTheirEntries) {
    Matrix4 m = Counting(100.0f);
    IdentityMatrix(m);
    SetTranslation(1.0f, 2.0f, 3.0f, m);
    const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(Entries(m)[i], expected[i]) << i;
    }

    Matrix4 rotation;
    RotationZ(rotation, 0.5f);
    const Matrix4 before = rotation;
    SetScaleDiagonal(2.0f, 3.0f, 4.0f, rotation);
    EXPECT_EQ(rotation._11, 2.0f);
    EXPECT_EQ(rotation._22, 3.0f);
    EXPECT_EQ(rotation._33, 4.0f);
    EXPECT_EQ(rotation._12, before._12);  // the sines stay
    EXPECT_EQ(rotation._21, before._21);
    EXPECT_NE(rotation._12, 0.0f);
    EXPECT_EQ(rotation._44, 1.0f);
}

TEST(MatrixBuilders, RotationsStartFromIdentityAndPutPlusSineAboveTheDiagonal) {
    const float angle = 0.3f;
    const float c = static_cast<float>(std::cos(0.3f));
    const float s = static_cast<float>(std::sin(0.3f));
    Matrix4 m = Counting(50.0f);
    RotationX(m, angle);
    const float rx[16] = {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1};
    Matrix4 y = Counting(50.0f);
    RotationY(y, angle);
    const float ry[16] = {c, 0, s, 0, 0, 1, 0, 0, -s, 0, c, 0, 0, 0, 0, 1};
    Matrix4 z = Counting(50.0f);
    RotationZ(z, angle);
    const float rz[16] = {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(Entries(m)[i], rx[i]) << "X " << i;
        EXPECT_EQ(Entries(y)[i], ry[i]) << "Y " << i;
        EXPECT_EQ(Entries(z)[i], rz[i]) << "Z " << i;
    }
}

TEST(MatrixBuilders, NinetyDegreesIsNotAQuarterTurn) {
    Matrix4 m;
    RotationX(m, DegreesToRadians(90.0f));
    EXPECT_NEAR(m._22, -0.00063, 0.00001);
    EXPECT_NEAR(m._33, -0.00063, 0.00001);
    EXPECT_LT(m._22, 0.0f);
    EXPECT_NEAR(m._23, 0.9999998, 1e-7);
    EXPECT_NE(m._23, 1.0f);
    EXPECT_EQ(m._32, -m._23);
}

TEST(MultiplyMatrix, RowTimesColumnWithTheLeftOperandFirst) {
    const Matrix4 a = Counting(1.0f);   // rows 1..4, 5..8, 9..12, 13..16
    const Matrix4 b = Counting(17.0f);  // rows 17..20, ...
    const Matrix4 c = MultiplyMatrix(a, b);
    // Row 1 of a = (1, 2, 3, 4); column 1 of b = (17, 21, 25, 29).
    EXPECT_EQ(c._11, 1 * 17 + 2 * 21 + 3 * 25 + 4 * 29);
    EXPECT_EQ(c._14, 1 * 20 + 2 * 24 + 3 * 28 + 4 * 32);
    EXPECT_EQ(c._41, 13 * 17 + 14 * 21 + 15 * 25 + 16 * 29);
    EXPECT_EQ(c._23, 5 * 19 + 6 * 23 + 7 * 27 + 8 * 31);

    // A translation followed by a quarter turn: the point moves, then turns.
    Matrix4 t;
    IdentityMatrix(t);
    SetTranslation(1.0f, 0.0f, 0.0f, t);
    Matrix4 r;
    RotationZ(r, static_cast<float>(M_PI / 2));
    const Point4 p = Transform(1.0, 0.0, 0.0, MultiplyMatrix(t, r));
    EXPECT_NEAR(p.x, 0.0, 1e-6);
    EXPECT_NEAR(p.y, 2.0, 1e-6);
}

TEST(MultiplyMatrix, SumsInDoubleBeforeRounding) {
    Matrix4 a{};
    a._11 = 1e8f;
    a._12 = 1.0f;
    a._13 = -1e8f;
    Matrix4 b{};
    b._11 = 1.0f;
    b._21 = 1.0f;
    b._31 = 1.0f;
    // In float, 1e8 + 1 is 1e8 and the sum would come out 0.
    EXPECT_EQ(MultiplyMatrix(a, b)._11, 1.0f);
}

TEST(VectorOps, DotLengthAndRightHandedCross) {
    EXPECT_EQ(Dot({1, 2, 3}, {4, -5, 6}), 4.0f - 10.0f + 18.0f);
    EXPECT_EQ(LengthSquared({2, 3, 6}), 49.0f);
    EXPECT_EQ(Dot({1e8f, 1.0f, -1e8f}, {1.0f, 1.0f, 1.0f}), 1.0f);
    const Vec3 z = Cross({1, 0, 0}, {0, 1, 0});
    EXPECT_EQ(z.x, 0.0f);
    EXPECT_EQ(z.y, 0.0f);
    EXPECT_EQ(z.z, 1.0f);
    const Vec3 n = Cross({1, 2, 3}, {4, 5, 6});
    EXPECT_EQ(n.x, 2 * 6 - 3 * 5);
    EXPECT_EQ(n.y, 3 * 4 - 1 * 6);
    EXPECT_EQ(n.z, 1 * 5 - 2 * 4);
    const Vec3 zero;
    EXPECT_EQ(zero.x, 0.0f);
    EXPECT_EQ(zero.y, 0.0f);
    EXPECT_EQ(zero.z, 0.0f);
}

TEST(FaceNormal, FollowsCornerOrderAndIsUnitLength) {
    const Vec3 up = FaceNormal({0, 0, 0}, {1, 0, 0}, {0, 1, 0});
    EXPECT_EQ(up.x, 0.0f);
    EXPECT_EQ(up.y, 0.0f);
    EXPECT_EQ(up.z, 1.0f);
    const Vec3 down = FaceNormal({0, 0, 0}, {0, 1, 0}, {1, 0, 0});
    EXPECT_EQ(down.z, -1.0f);

    // (b - a) x (c - a), normalised, worked out independently.
    const Vec3 a{1, 2, 3};
    const Vec3 b{4, 0, -1};
    const Vec3 c{-2, 5, 2};
    const double ux = 3, uy = -2, uz = -4;  // b - a
    const double vx = -3, vy = 3, vz = -1;  // c - a
    const double nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
    const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
    const Vec3 n = FaceNormal(a, b, c);
    EXPECT_FLOAT_EQ(n.x, static_cast<float>(nx / len));
    EXPECT_FLOAT_EQ(n.y, static_cast<float>(ny / len));
    EXPECT_FLOAT_EQ(n.z, static_cast<float>(nz / len));
}

TEST(FaceNormal, DegenerateTrianglesGiveTheZeroVector) {
    const Vec3 same = FaceNormal({1, 2, 3}, {1, 2, 3}, {1, 2, 3});
    EXPECT_EQ(same.x, 0.0f);
    EXPECT_EQ(same.y, 0.0f);
    EXPECT_EQ(same.z, 0.0f);
    const Vec3 line = FaceNormal({0, 0, 0}, {1, 1, 1}, {2, 2, 2});
    EXPECT_FALSE(std::isnan(line.x) || std::isnan(line.y) || std::isnan(line.z));
    EXPECT_EQ(LengthSquared(line), 0.0f);
}

TEST(RotatePoint, ZeroAnglesPassThroughExactly) {
    const Vec3 p = RotatePoint(1.0f, 2.0f, 3.0f, 0.0f, 0.0f, 0.0f);
    EXPECT_EQ(p.x, 1.0f);
    EXPECT_EQ(p.y, 2.0f);
    EXPECT_EQ(p.z, 3.0f);
    // NaN coordinates are not touched either.
    const Vec3 q = RotatePoint(NAN, 5.0f, 0.1f, 0.0f, 0.0f, 0.0f);
    EXPECT_TRUE(std::isnan(q.x));
    EXPECT_EQ(q.z, 0.1f);
}

TEST(RotatePoint, EachAxisTurnsTheWayTheTableSays) {
    const Vec3 z = RotatePoint(1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 90.0f);  // x toward y
    EXPECT_NEAR(z.x, -0.00063, 0.00001);
    EXPECT_NEAR(z.y, 0.9999998, 1e-7);
    EXPECT_EQ(z.z, 0.0f);
    const Vec3 x = RotatePoint(0.0f, 1.0f, 0.0f, 90.0f, 0.0f, 0.0f);  // y toward z
    EXPECT_NEAR(x.z, 1.0, 1e-6);
    EXPECT_NEAR(x.y, -0.00063, 0.00001);
    const Vec3 y = RotatePoint(1.0f, 0.0f, 0.0f, 0.0f, 90.0f, 0.0f);  // x toward z
    EXPECT_NEAR(y.z, 1.0, 1e-6);
    EXPECT_NEAR(y.x, -0.00063, 0.00001);
}

TEST(RotatePoint, MinusNinetyAboutYMapsXyzToZyMinusX) {
    const Vec3 p = RotatePoint(2.0f, 3.0f, 5.0f, 0.0f, -90.0f, 0.0f);
    EXPECT_NEAR(p.x, 5.0, 0.01);
    EXPECT_EQ(p.y, 3.0f);
    EXPECT_NEAR(p.z, -2.0, 0.01);
    // The 22/7 slip is visible: not exactly (z, y, -x).
    EXPECT_NE(p.x, 5.0f);
}

TEST(RotatePoint, AppliesXThenYThenZ) {
    const float ax = 30.0f, ay = 45.0f, az = 60.0f;
    const Vec3 once = RotatePoint(1.0f, 2.0f, 3.0f, ax, ay, az);
    Vec3 step = RotatePoint(1.0f, 2.0f, 3.0f, ax, 0.0f, 0.0f);
    step = RotatePoint(step.x, step.y, step.z, 0.0f, ay, 0.0f);
    step = RotatePoint(step.x, step.y, step.z, 0.0f, 0.0f, az);
    EXPECT_NEAR(once.x, step.x, 1e-5);
    EXPECT_NEAR(once.y, step.y, 1e-5);
    EXPECT_NEAR(once.z, step.z, 1e-5);

    // The reverse order lands somewhere else, so the check above can fail.
    Vec3 reverse = RotatePoint(1.0f, 2.0f, 3.0f, 0.0f, 0.0f, az);
    reverse = RotatePoint(reverse.x, reverse.y, reverse.z, 0.0f, ay, 0.0f);
    reverse = RotatePoint(reverse.x, reverse.y, reverse.z, ax, 0.0f, 0.0f);
    EXPECT_GT(std::fabs(once.x - reverse.x) + std::fabs(once.y - reverse.y), 0.1);

    // Turning keeps the length.
    EXPECT_NEAR(LengthSquared(once), 14.0, 1e-4);
}
