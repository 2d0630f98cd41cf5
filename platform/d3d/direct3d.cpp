// The Direct3D object: z-buffer formats, and the device, viewports, lights
// and materials it makes.
#include "platform/core/unsupported.h"
#include "platform/d3d/device.h"
#include "platform/ddraw/direct_draw.h"
#include "platform/ddraw/memory_surface.h"

const IID IID_IDirect3D3 = {0xBB223240, 0xE72B, 0x11D0, {0xA9, 0xB4, 0x00, 0xAA, 0x00, 0xC0, 0x99, 0x3E}};
const IID IID_IDirect3DHALDevice = {
    0x84E63DE0, 0x46AA, 0x11CF, {0x81, 0x6F, 0x00, 0x00, 0xC0, 0x20, 0x15, 0x6E}};
const IID IID_IDirect3DRGBDevice = {
    0xA4665C60, 0x2673, 0x11CF, {0xA3, 0x1A, 0x00, 0xAA, 0x00, 0xB9, 0x33, 0x56}};

IDirect3D3* CreateDirect3DFor(DirectDrawObject* directDraw) { return new Direct3DObject(directDraw); }

Direct3DObject::Direct3DObject(DirectDrawObject* directDraw) : directDraw_(directDraw) {
    directDraw_->AddRef();
}

Direct3DObject::~Direct3DObject() { directDraw_->Release(); }

HRESULT Direct3DObject::EnumZBufferFormats(REFCLSID device, LPD3DENUMPIXELFORMATSCALLBACK callback,
                                           LPVOID context) {
    if (callback == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    if (device == IID_IDirect3DHALDevice) {
        return DDERR_NODIRECTDRAWHW;  // no 3D hardware behind this stand-in
    }
    if (!(device == IID_IDirect3DRGBDevice)) {
        return ReportUnsupported("Direct3D devices other than the HAL and RGB devices", DDERR_INVALIDPARAMS);
    }
    // The software device's one depth format: 16-bit, nothing else in the pixel.
    DDPIXELFORMAT format{};
    format.dwSize = sizeof(DDPIXELFORMAT);
    format.dwFlags = DDPF_ZBUFFER;
    format.dwZBufferBitDepth = 16;
    format.dwZBitMask = 0xFFFF;
    callback(&format, context);
    return D3D_OK;
}

HRESULT Direct3DObject::CreateDevice(REFCLSID device, IDirectDrawSurface4* target, IDirect3DDevice3** result,
                                     IUnknown* outer) {
    if (result == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *result = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    if (device == IID_IDirect3DHALDevice) {
        return DDERR_NODIRECTDRAWHW;
    }
    if (!(device == IID_IDirect3DRGBDevice)) {
        return ReportUnsupported("Direct3D devices other than the HAL and RGB devices",
                                 D3DERR_INVALID_DEVICE);
    }
    MemorySurface* surface = AsMemorySurface(target);
    if (surface == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    if (surface->Kind() == SurfaceKind::Depth) {
        return DDERR_INVALIDPIXELFORMAT;
    }
    *result = new SoftwareDevice(surface);
    return D3D_OK;
}

HRESULT Direct3DObject::CreateViewport(IDirect3DViewport3** viewport, IUnknown* outer) {
    if (viewport == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *viewport = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    *viewport = new SoftwareViewport();
    return D3D_OK;
}

HRESULT Direct3DObject::CreateLight(IDirect3DLight** light, IUnknown* outer) {
    if (light == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *light = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    *light = new SoftwareLight();
    return D3D_OK;
}

HRESULT Direct3DObject::CreateMaterial(IDirect3DMaterial3** material, IUnknown* outer) {
    if (material == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *material = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    *material = new SoftwareMaterial();
    return D3D_OK;
}
