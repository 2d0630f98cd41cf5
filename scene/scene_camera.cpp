#include "scene/scene_camera.h"

#include <cmath>

namespace {

// Shorter vectors than this give no usable direction.
constexpr double LOOK_AT_EPSILON = 1e-6;

struct Vec3d {
    double x;
    double y;
    double z;
};

double DotD(const Vec3d& a, const Vec3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double LengthD(const Vec3d& v) { return std::sqrt(DotD(v, v)); }
Vec3d Scaled(const Vec3d& v, double s) { return {v.x * s, v.y * s, v.z * s}; }
Vec3d Minus(const Vec3d& a, const Vec3d& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

// The part of candidate at right angles to the unit direction d.
Vec3d Orthogonal(const Vec3d& candidate, const Vec3d& d) {
    return Minus(candidate, Scaled(d, DotD(candidate, d)));
}

}  // namespace

SceneCamera::SceneCamera() : target{0.0f, 0.0f, 1.0f}, up{0.0f, -1.0f, 0.0f} {
    // The default up points down the y axis: screen up is world -y.
    IdentityMatrix(view);
}

SceneCamera::~SceneCamera() { eye = Vec3{}; }

void SceneCamera::SetEye(float x, float y, float z) { eye = {x, y, z}; }

void SceneCamera::SetTarget(float x, float y, float z) { target = {x, y, z}; }

HRESULT SceneCamera::ComputeViewMatrix() {
    const Vec3d e{eye.x, eye.y, eye.z};
    Vec3d d = Minus(Vec3d{target.x, target.y, target.z}, e);
    const double dLength = LengthD(d);
    if (dLength < LOOK_AT_EPSILON) {
        return E_INVALIDARG;
    }
    d = Scaled(d, 1.0 / dLength);

    // Up falls back to +y, then to +z, when it runs along the view direction.
    Vec3d u = Orthogonal(Vec3d{up.x, up.y, up.z}, d);
    if (LengthD(u) < LOOK_AT_EPSILON) {
        u = Orthogonal(Vec3d{0.0, 1.0, 0.0}, d);
        if (LengthD(u) < LOOK_AT_EPSILON) {
            u = Orthogonal(Vec3d{0.0, 0.0, 1.0}, d);
            if (LengthD(u) < LOOK_AT_EPSILON) {
                return E_INVALIDARG;
            }
        }
    }
    u = Scaled(u, 1.0 / LengthD(u));

    const Vec3d r{u.y * d.z - u.z * d.y, u.z * d.x - u.x * d.z, u.x * d.y - u.y * d.x};

    IdentityMatrix(view);
    view._11 = static_cast<float>(r.x);
    view._21 = static_cast<float>(r.y);
    view._31 = static_cast<float>(r.z);
    view._12 = static_cast<float>(u.x);
    view._22 = static_cast<float>(u.y);
    view._32 = static_cast<float>(u.z);
    view._13 = static_cast<float>(d.x);
    view._23 = static_cast<float>(d.y);
    view._33 = static_cast<float>(d.z);
    view._41 = static_cast<float>(-DotD(e, r));
    view._42 = static_cast<float>(-DotD(e, u));
    view._43 = static_cast<float>(-DotD(e, d));
    return 0;
}

HRESULT SceneCamera::ApplyView() {
    ComputeViewMatrix();  // on failure the previous view is set again
    if (deviceRef == nullptr || *deviceRef == nullptr) {
        return E_POINTER;
    }
    return (*deviceRef)->SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
}
