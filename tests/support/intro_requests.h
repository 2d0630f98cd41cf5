// What the intro hands to DirectX, written out once for the tests, the
// benchmarks, the golden images and the fuzz targets: its way to IDirectDraw4,
// its surface descriptions, its material, its light and the ambient level.
// Header only, so that the fuzz build (which has no test libraries) can use it too.
#pragma once

#include <cstring>

#include "platform/d3d/d3d.h"

// DirectDrawCreate of the default driver, then its IDirectDraw4; null when
// either fails.
inline IDirectDraw4* CreateDirectDraw4() {
    IDirectDraw* first = nullptr;
    if (FAILED(DirectDrawCreate(nullptr, &first, nullptr))) {
        return nullptr;
    }
    void* found = nullptr;
    first->QueryInterface(IID_IDirectDraw4, &found);
    first->Release();
    return static_cast<IDirectDraw4*>(found);
}

// The flipping primary surface with one back buffer, for a 3D device.
inline DDSURFACEDESC2 PrimaryDesc() {
    DDSURFACEDESC2 desc{};
    desc.dwSize = DDSURFACEDESC2_SIZE_WIN32;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_3DDEVICE;
    return desc;
}

// An empty description of the right size, for Lock and GetSurfaceDesc.
inline DDSURFACEDESC2 SizedDesc() {
    DDSURFACEDESC2 desc{};
    desc.dwSize = DDSURFACEDESC2_SIZE_WIN32;
    return desc;
}

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

// The software z-buffer: 16-bit depth in system memory (formatFlags
// DDPF_ZBUFFER; a test may ask for a stencil too).
inline DDSURFACEDESC2 ZBufferDesc(DWORD width, DWORD height, DWORD formatFlags = DDPF_ZBUFFER) {
    DDSURFACEDESC2 desc = OffScreenDesc(width, height);
    desc.dwFlags |= DDSD_PIXELFORMAT;
    desc.ddsCaps.dwCaps = DDSCAPS_ZBUFFER | DDSCAPS_SYSTEMMEMORY;
    desc.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    desc.ddpfPixelFormat.dwFlags = formatFlags;
    desc.ddpfPixelFormat.dwZBufferBitDepth = 16;
    desc.ddpfPixelFormat.dwZBitMask = 0xFFFF;
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
