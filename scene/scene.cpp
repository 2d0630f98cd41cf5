#include "scene/scene.h"

#include "scene/projection.h"

Scene::Scene() = default;

Scene::~Scene() {
    objectCount = 0;
    // The arrays' own destructors run next: cameras, lights, then objects.
}

int32_t Scene::AddObject() {
    if (objectCount < 0 || objectCount >= MAX_SCENE_OBJECTS) {
        return SCENE_FULL;
    }
    SceneObject& object = objects[objectCount];
    object.deviceRef = &device;
    object.direct3DRef = &direct3D;
    return ++objectCount;
}

int32_t Scene::AddLight() {
    if (lightCount < 0 || lightCount >= MAX_SCENE_LIGHTS) {
        return SCENE_FULL;
    }
    lights[lightCount].direct3DRef = &direct3D;
    return ++lightCount;
}

int32_t Scene::AddCamera() {
    if (cameraCount < 0 || cameraCount >= MAX_SCENE_CAMERAS) {
        return SCENE_FULL;
    }
    cameras[cameraCount].deviceRef = &device;
    return ++cameraCount;
}

HRESULT Scene::SetDefaultTransforms() {
    if (device == nullptr) {
        return E_POINTER;
    }
    Matrix4 identity;
    IdentityMatrix(identity);
    HRESULT hr = device->SetTransform(D3DTRANSFORMSTATE_WORLD, &identity);
    if (FAILED(hr)) {
        return hr;
    }
    IdentityMatrix(identity);  // SetTransform takes a writable pointer: hand over a fresh one
    hr = device->SetTransform(D3DTRANSFORMSTATE_VIEW, &identity);
    if (FAILED(hr)) {
        return hr;
    }
    Matrix4 projection = PROJECTION_MATRIX;
    hr = device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
    return FAILED(hr) ? hr : 0;
}
