#include "scene/scene_light.h"

#include <cstring>

SceneLight::SceneLight() {
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(D3DLIGHT2);
}

SceneLight::~SceneLight() {
    if (light != nullptr) {
        light->Release();
        light = nullptr;
    }
    std::memset(&desc, 0, sizeof(desc));
}

HRESULT SceneLight::Create(IDirect3DViewport3* viewport) {
    if (direct3DRef == nullptr || *direct3DRef == nullptr) {
        return LIGHT_NOT_IN_SCENE;
    }
    if (viewport == nullptr) {
        return E_POINTER;
    }
    if (light != nullptr) {
        // A second Create replaces the light rather than leaking a reference.
        light->Release();
        light = nullptr;
    }
    HRESULT hr = (*direct3DRef)->CreateLight(&light, nullptr);
    if (FAILED(hr)) {
        return hr;
    }
    if (light == nullptr) {
        return E_POINTER;
    }

    // A white point light at the origin that never fades with distance; flags
    // 0 keep it inactive until Apply. Alpha is left as it was.
    desc.dltType = D3DLIGHT_POINT;
    desc.dcvColor.r = 1.0f;
    desc.dcvColor.g = 1.0f;
    desc.dcvColor.b = 1.0f;
    desc.dvPosition = {0.0f, 0.0f, 0.0f};
    desc.dvDirection = {0.0f, -1.0f, 0.0f};
    desc.dvRange = D3DLIGHT_RANGE_MAX;
    desc.dvFalloff = 1.0f;
    desc.dvAttenuation0 = 1.0f;
    desc.dvAttenuation1 = 0.2f;
    desc.dvAttenuation2 = 0.0f;
    desc.dvTheta = 360.0f;
    desc.dvPhi = 360.0f;
    desc.dwFlags = 0;

    hr = light->SetLight(&desc);
    if (FAILED(hr)) {
        return hr;
    }
    hr = viewport->AddLight(light);
    return FAILED(hr) ? hr : 0;
}

void SceneLight::SetPosition(float x, float y, float z) { desc.dvPosition = {x, y, z}; }

void SceneLight::SetType(DWORD type) { desc.dltType = static_cast<D3DLIGHTTYPE>(type); }

void SceneLight::SetColor(float r, float g, float b) {
    desc.dcvColor.r = r;
    desc.dcvColor.g = g;
    desc.dcvColor.b = b;
}

HRESULT SceneLight::Apply() {
    if (light == nullptr) {
        return E_POINTER;
    }
    desc.dwFlags = D3DLIGHT_ACTIVE;
    const HRESULT hr = light->SetLight(&desc);
    return FAILED(hr) ? hr : 0;
}
