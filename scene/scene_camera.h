// A look-at camera that sets the device's view transform. The device is
// reached through a pointer to the scene's device pointer, so the camera
// follows whatever device the scene holds at the time of the call.
// Main thread only.
#pragma once

#include "scene/math3d.h"

class SceneCamera {
  public:
    SceneCamera();
    ~SceneCamera();
    SceneCamera(const SceneCamera&) = delete;
    SceneCamera& operator=(const SceneCamera&) = delete;

    void SetEye(float x, float y, float z);
    void SetTarget(float x, float y, float z);

    // Builds view from eye, target and up. Returns 0, or E_INVALIDARG when eye
    // and target coincide or no up direction is usable; view is then kept.
    HRESULT ComputeViewMatrix();

    // ComputeViewMatrix (result ignored), then the device's view transform.
    // Returns the device's result, or E_POINTER when there is no device.
    HRESULT ApplyView();

    Vec3 eye;
    Vec3 target;
    IDirect3DDevice3** deviceRef = nullptr;  // the scene's device field, not owned
    Matrix4 view;
    Vec3 up;
};
