// What the intro hands to DirectX, written out once for the tests, the
// benchmarks, the golden images and the fuzz targets: its off-screen surface
// description, its material, its light and the ambient level. Header only,
// so that the fuzz build (which has no test libraries) can use it too.
#pragma once

#include <cstring>

#include "platform/d3d/d3d.h"

// An off-screen plain surface in system memory, as the picture and the panel
// ask for one; every other byte zero.
inline DDSURFACEDESC2 OffScreenDesc(DWORD width, DWORD height) {
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof desc);
    desc.dwSize = DDSURFACEDESC2_SIZE_WIN32;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwWidth = width;
    desc.dwHeight = height;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
    return desc;
}

// Every object's material: a white one with power 5, then its ambient,
// specular and diffuse set.
inline D3DMATERIAL IntroMaterial() {
    D3DMATERIAL material{};
    material.dwSize = sizeof(D3DMATERIAL);
    material.diffuse = {0.0f, 0.9f, 0.0f, 0.1f};
    material.ambient = {1.0f, 0.1f, 0.1f, 1.0f};
    material.specular = {1.0f, 0.1f, 0.1f, 0.1f};
    material.emissive = {0.0f, 0.0f, 0.0f, 0.0f};
    material.power = 5.0f;
    return material;
}

// The one light once applied: a green point light of unlimited range, left
// of and behind the ring.
inline D3DLIGHT2 IntroLight() {
    D3DLIGHT2 light{};
    light.dwSize = sizeof(D3DLIGHT2);
    light.dltType = D3DLIGHT_POINT;
    light.dcvColor = {0.0f, 1.0f, 0.0f, 0.0f};
    light.dvPosition = {-3.0f, -1.0f, -5.0f};
    light.dvDirection = {0.0f, -1.0f, 0.0f};
    light.dvRange = D3DLIGHT_RANGE_MAX;
    light.dvFalloff = 1.0f;
    light.dvAttenuation0 = 1.0f;
    light.dvAttenuation1 = 0.2f;
    light.dvTheta = 360.0f;
    light.dvPhi = 360.0f;
    light.dwFlags = D3DLIGHT_ACTIVE;
    return light;
}

// The ambient level once the picture exists.
constexpr DWORD INTRO_AMBIENT = 65000;

// The intro's material and light made on a device and attached to its
// viewport, with the ambient level and the material handle set; released
// when it goes.
struct IntroLighting {
    IntroLighting() = default;
    IntroLighting(const IntroLighting&) = delete;
    IntroLighting& operator=(const IntroLighting&) = delete;
    ~IntroLighting() {
        if (light != nullptr) {
            light->Release();
        }
        if (material != nullptr) {
            material->Release();
        }
    }

    // False when a step fails; what was made is released all the same.
    bool Create(IDirect3D3* direct3D, IDirect3DDevice3* device, IDirect3DViewport3* viewport) {
        if (FAILED(direct3D->CreateMaterial(&material, nullptr)) ||
            FAILED(direct3D->CreateLight(&light, nullptr))) {
            return false;
        }
        D3DMATERIAL materialDesc = IntroMaterial();
        D3DLIGHT2 lightDesc = IntroLight();
        return SUCCEEDED(material->SetMaterial(&materialDesc)) &&
               SUCCEEDED(material->GetHandle(device, &handle)) && SUCCEEDED(light->SetLight(&lightDesc)) &&
               SUCCEEDED(viewport->AddLight(light)) &&
               SUCCEEDED(device->SetLightState(D3DLIGHTSTATE_AMBIENT, INTRO_AMBIENT)) &&
               SUCCEEDED(device->SetLightState(D3DLIGHTSTATE_MATERIAL, handle));
    }

    IDirect3DMaterial3* material = nullptr;
    IDirect3DLight* light = nullptr;
    D3DMATERIALHANDLE handle = 0;
};
