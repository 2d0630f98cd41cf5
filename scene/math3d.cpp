#include "scene/math3d.h"

#include <cmath>

namespace {

struct Vec3d {
    double x;
    double y;
    double z;
};

Vec3d Widen(const Vec3& v) { return {v.x, v.y, v.z}; }

Vec3d CrossD(const Vec3d& u, const Vec3d& v) {
    return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
}

// Row i, column j (both 0-based) of a matrix laid out as sixteen floats.
float& At(Matrix4& m, int i, int j) { return (&m._11)[i * 4 + j]; }
float At(const Matrix4& m, int i, int j) { return (&m._11)[i * 4 + j]; }

// The four entries every rotation sets, at rows/columns p and q.
void SetRotationPlane(Matrix4& out, int p, int q, float radians) {
    IdentityMatrix(out);
    const double angle = radians;
    const float c = static_cast<float>(std::cos(angle));
    const float s = static_cast<float>(std::sin(angle));
    At(out, p, p) = c;
    At(out, p, q) = s;
    At(out, q, p) = -s;
    At(out, q, q) = c;
}

}  // namespace

float DegreesToRadians(float degrees) {
    const double step = static_cast<double>(degrees) * static_cast<double>(DEGREES_TO_RADIANS_STEP1);
    return static_cast<float>(step * static_cast<double>(DEGREES_TO_RADIANS_STEP2));
}

Matrix4& IdentityMatrix(Matrix4& out) {
    out = Matrix4{};
    out._11 = 1.0f;
    out._22 = 1.0f;
    out._33 = 1.0f;
    out._44 = 1.0f;
    return out;
}

void SetTranslation(float x, float y, float z, Matrix4& m) {
    m._41 = x;
    m._42 = y;
    m._43 = z;
}

void SetScaleDiagonal(float x, float y, float z, Matrix4& m) {
    m._11 = x;
    m._22 = y;
    m._33 = z;
}

void RotationX(Matrix4& out, float radians) { SetRotationPlane(out, 1, 2, radians); }
void RotationY(Matrix4& out, float radians) { SetRotationPlane(out, 0, 2, radians); }
void RotationZ(Matrix4& out, float radians) { SetRotationPlane(out, 0, 1, radians); }

Matrix4 MultiplyMatrix(const Matrix4& a, const Matrix4& b) {
    Matrix4 c{};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += static_cast<double>(At(a, i, k)) * static_cast<double>(At(b, k, j));
            }
            At(c, i, j) = static_cast<float>(sum);
        }
    }
    return c;
}

float Dot(const Vec3& a, const Vec3& b) {
    const Vec3d u = Widen(a);
    const Vec3d v = Widen(b);
    return static_cast<float>(u.x * v.x + u.y * v.y + u.z * v.z);
}

float LengthSquared(const Vec3& v) { return Dot(v, v); }

Vec3 Cross(const Vec3& u, const Vec3& v) {
    const Vec3d n = CrossD(Widen(u), Widen(v));
    return {static_cast<float>(n.x), static_cast<float>(n.y), static_cast<float>(n.z)};
}

Vec3 FaceNormal(const Vec3& a, const Vec3& b, const Vec3& c) {
    const Vec3d u{static_cast<double>(a.x) - b.x, static_cast<double>(a.y) - b.y,
                  static_cast<double>(a.z) - b.z};
    const Vec3d v{static_cast<double>(a.x) - c.x, static_cast<double>(a.y) - c.y,
                  static_cast<double>(a.z) - c.z};
    const Vec3d n = CrossD(u, v);
    double length = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
    if (length == 0.0) {
        length = 0.00001;  // a degenerate face keeps the zero vector instead of NaNs
    }
    return {static_cast<float>(n.x / length), static_cast<float>(n.y / length),
            static_cast<float>(n.z / length)};
}

Vec3 RotatePoint(float x, float y, float z, float xDegrees, float yDegrees, float zDegrees) {
    if (xDegrees == 0.0f && yDegrees == 0.0f && zDegrees == 0.0f) {
        return {x, y, z};
    }
    Matrix4 m{};
    bool haveMatrix = false;
    Matrix4 r{};
    // Only the non-zero angles take part, multiplied in the order x, y, z.
    const float angles[3] = {xDegrees, yDegrees, zDegrees};
    void (*const builders[3])(Matrix4&, float) = {RotationX, RotationY, RotationZ};
    for (int axis = 0; axis < 3; ++axis) {
        if (angles[axis] == 0.0f) {
            continue;
        }
        builders[axis](r, DegreesToRadians(angles[axis]));
        m = haveMatrix ? MultiplyMatrix(m, r) : r;
        haveMatrix = true;
    }
    const double px = x;
    const double py = y;
    const double pz = z;
    return {static_cast<float>(px * m._11 + py * m._21 + pz * m._31),
            static_cast<float>(px * m._12 + py * m._22 + pz * m._32),
            static_cast<float>(px * m._13 + py * m._23 + pz * m._33)};
}
