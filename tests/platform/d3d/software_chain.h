// The stand-in's display chain built the way the intro builds it, without a
// window: flipping primary and back buffer, 16-bit z-buffer, RGB device and a
// viewport with the intro's clip volume (+y down the screen). Shared by the
// Direct3D tests, the golden image, the benchmarks and the fuzz target.
#pragma once

#include "platform/d3d/d3d.h"

struct SoftwareChain {
    SoftwareChain() = default;
    ~SoftwareChain();
    SoftwareChain(const SoftwareChain&) = delete;
    SoftwareChain& operator=(const SoftwareChain&) = delete;

    // False when any step fails (the step's code is kept in `failure`).
    bool Create(DWORD width, DWORD height, bool rgb555 = false);
    // World identity, the intro's camera (eye (0, 0, 10) looking at -z, up -y)
    // and projection (x, y, z - 1, z).
    void SetIntroTransforms();
    // A Lock of the back buffer's or z-buffer's pixels, read at once; pitch = width.
    const uint16_t* BackPixels();
    const uint16_t* DepthPixels();

    DWORD width = 0;
    DWORD height = 0;
    HRESULT failure = 0;
    IDirectDraw4* directDraw = nullptr;
    IDirectDrawSurface4* primary = nullptr;
    IDirectDrawSurface4* back = nullptr;
    IDirectDrawSurface4* depth = nullptr;
    IDirect3D3* direct3D = nullptr;
    IDirect3DDevice3* device = nullptr;
    IDirect3DViewport3* viewport = nullptr;
};

D3DMATRIX IntroViewMatrix();
D3DMATRIX IntroProjectionMatrix();
