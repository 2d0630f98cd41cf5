// Vectors and 4x4 matrices of the scene engine. Matrices are row-major with
// points as row vectors (p x M) and the translation in row 4, exactly the
// layout Direct3D takes, so a Matrix4 is handed to the device unchanged.
// Every operation computes in double and rounds each stored result to float.
// Pure functions on caller-owned values; any thread.
#pragma once

#include "platform/d3d/d3d.h"

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};
static_assert(sizeof(Vec3) == sizeof(D3DVECTOR), "Vec3 must keep the D3DVECTOR layout");

using Matrix4 = D3DMATRIX;
static_assert(sizeof(Matrix4) == 16 * sizeof(float), "Matrix4 is sixteen packed floats");

// Degrees become radians through 1/180 and 22/7 (not pi), both as floats, in
// that order. One degree is thus 0.0174603 rad; 90 degrees is 1.5714285.
constexpr float DEGREES_TO_RADIANS_STEP1 = 0.0055555557f;  // 1/180
constexpr float DEGREES_TO_RADIANS_STEP2 = 3.142857f;      // 22/7
constexpr double DEGREES_TO_RADIANS =
    static_cast<double>(DEGREES_TO_RADIANS_STEP1) * static_cast<double>(DEGREES_TO_RADIANS_STEP2);

// degrees x 0.0055555557 x 3.142857, rounded to float once at the end.
float DegreesToRadians(float degrees);

// Writes the identity into out and returns it.
Matrix4& IdentityMatrix(Matrix4& out);
// Sets _41, _42, _43 only.
void SetTranslation(float x, float y, float z, Matrix4& m);
// Sets _11, _22, _33 only.
void SetScaleDiagonal(float x, float y, float z, Matrix4& m);

// Each makes out the identity, then sets its four entries: +sin above the
// diagonal, -sin below it. Angles in radians.
void RotationX(Matrix4& out, float radians);
void RotationY(Matrix4& out, float radians);
void RotationZ(Matrix4& out, float radians);

// a x b: a applies first. Each entry is summed from 0 over k = 1..4 in order.
Matrix4 MultiplyMatrix(const Matrix4& a, const Matrix4& b);

float Dot(const Vec3& a, const Vec3& b);
float LengthSquared(const Vec3& v);
// (u.y v.z - u.z v.y, u.z v.x - u.x v.z, u.x v.y - u.y v.x)
Vec3 Cross(const Vec3& u, const Vec3& v);

// Unit normal of (b - a) x (c - a); the zero vector for a degenerate triangle.
Vec3 FaceNormal(const Vec3& a, const Vec3& b, const Vec3& c);

// Turns a point about x, then y, then z (degrees, program conversion); the
// point comes back untouched when all three angles are exactly 0.
Vec3 RotatePoint(float x, float y, float z, float xDegrees, float yDegrees, float zDegrees);
