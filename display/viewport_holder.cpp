// The viewport covering the screen, through the display's Direct3D object
// and device.
#include "display/display_device.h"

ViewportHolder::~ViewportHolder() {
    if (direct3DRef != nullptr && deviceRef != nullptr && viewport != nullptr) {
        viewport->Release();
        viewport = nullptr;
    }
}

// Pixels x, y, width, height of the render target; main thread.
HRESULT ViewportHolder::SetUpViewport(int32_t x, int32_t y, int32_t width, int32_t height) {
    if (direct3DRef == nullptr || deviceRef == nullptr || *direct3DRef == nullptr || *deviceRef == nullptr) {
        return DDERR_INVALIDOBJECT;
    }
    // A negative clip height turns +y down the screen.
    const double aspect = static_cast<double>(height - y) / static_cast<double>(width - x);
    D3DVIEWPORT2 desc{};
    desc.dwSize = sizeof(D3DVIEWPORT2);
    desc.dwX = static_cast<DWORD>(x);
    desc.dwY = static_cast<DWORD>(y);
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    desc.dvClipX = -1.0f;
    desc.dvClipY = static_cast<float>(-aspect);
    desc.dvClipWidth = 2.0f;
    desc.dvClipHeight = static_cast<float>(-2.0 * aspect);
    desc.dvMinZ = 0.0f;
    desc.dvMaxZ = 1.0f;

    if (viewport == nullptr) {
        if (HRESULT result = (*direct3DRef)->CreateViewport(&viewport, nullptr); FAILED(result)) {
            return result;
        }
    }
    // A viewport the device already has is no failure.
    if (HRESULT result = (*deviceRef)->AddViewport(viewport); FAILED(result) && result != E_INVALIDARG) {
        return result;
    }
    if (HRESULT result = viewport->SetViewport2(&desc); FAILED(result)) {
        return result;
    }
    const HRESULT result = (*deviceRef)->SetCurrentViewport(viewport);
    return FAILED(result) ? result : 0;
}

HRESULT ViewportHolder::ReleaseViewport() {
    if (viewport != nullptr) {
        viewport->Release();
        viewport = nullptr;
    }
    return 0;
}
