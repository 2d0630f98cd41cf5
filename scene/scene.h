// The scene container: fixed arrays of mesh instances, lights and cameras with
// their counts, and copies of the display device's Direct3D interfaces, which
// every element in use reaches through a pointer to these fields.
// The application defines the one instance among its globals. Main thread only.
#pragma once

#include <cstdint>

#include "scene/scene_camera.h"
#include "scene/scene_light.h"
#include "scene/scene_object.h"

constexpr int32_t MAX_SCENE_OBJECTS = 256;
constexpr int32_t MAX_SCENE_LIGHTS = 256;
constexpr int32_t MAX_SCENE_CAMERAS = 256;

// What AddObject, AddLight and AddCamera return when their array is full.
constexpr int32_t SCENE_FULL = -1;

class Scene {
  public:
    // Objects, lights and cameras are constructed in that order; counts and
    // interface copies start at zero.
    Scene();
    // objectCount goes to 0 first; then cameras, lights and objects are
    // destroyed, in that order.
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    // Each takes the next free slot, points it at device and/or direct3D and
    // returns the new count; a full array adds nothing and returns SCENE_FULL.
    int32_t AddObject();
    int32_t AddLight();
    int32_t AddCamera();

    // World and view to the identity, projection to the fixed matrix. Returns
    // 0, the first failing call's code, or E_POINTER without a device.
    HRESULT SetDefaultTransforms();

    // Declared in construction order; C++ destroys them in reverse.
    SceneObject objects[MAX_SCENE_OBJECTS];
    SceneLight lights[MAX_SCENE_LIGHTS];
    SceneCamera cameras[MAX_SCENE_CAMERAS];
    int32_t objectCount = 0;
    int32_t lightCount = 0;
    int32_t cameraCount = 0;
    IDirect3DDevice3* device = nullptr;  // a copy, never released here
    IDirect3D3* direct3D = nullptr;      // a copy, never released here
};
