// Recording memory fakes of the DirectDraw interfaces.
#include "tests/image/fake_direct_draw.h"

#include <cstring>

FakeSurface::FakeSurface(DWORD surfaceWidth, DWORD surfaceHeight, LONG surfacePitch)
    : width(surfaceWidth), height(surfaceHeight), pitch(surfacePitch),
      memory(static_cast<size_t>(surfacePitch) * surfaceHeight, PADDING_BYTE) {}

HRESULT FakeSurface::QueryInterface(REFIID, void** object) {
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeSurface::AddAttachedSurface(IDirectDrawSurface4*) { return DDERR_UNSUPPORTED; }
HRESULT FakeSurface::BltFast(DWORD, DWORD, IDirectDrawSurface4*, RECT*, DWORD) { return DDERR_UNSUPPORTED; }
HRESULT FakeSurface::Flip(IDirectDrawSurface4*, DWORD) { return DDERR_UNSUPPORTED; }
HRESULT FakeSurface::GetAttachedSurface(DDSCAPS2*, IDirectDrawSurface4**) { return DDERR_UNSUPPORTED; }
HRESULT FakeSurface::GetPixelFormat(DDPIXELFORMAT*) { return DDERR_UNSUPPORTED; }

HRESULT FakeSurface::GetSurfaceDesc(DDSURFACEDESC2* desc) {
    std::memset(desc, 0, sizeof *desc);
    desc->dwSize = DDSURFACEDESC2_SIZE_WIN32;
    desc->dwWidth = width;
    desc->dwHeight = height;
    desc->lPitch = pitch;
    return DD_OK;
}

HRESULT FakeSurface::Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE) {
    ++lockCount;
    lastLockFlags = flags;
    if (failLock || locked || rect != nullptr) {
        return failLock ? DDERR_SURFACELOST : DDERR_SURFACEBUSY;
    }
    GetSurfaceDesc(desc);
    desc->lpSurface = memory.data();
    locked = true;
    return DD_OK;
}

HRESULT FakeSurface::Unlock(RECT*) {
    ++unlockCount;
    if (!locked) {
        return DDERR_NOTLOCKED;
    }
    locked = false;
    return DD_OK;
}

HRESULT FakeSurface::SetColorKey(DWORD flags, DDCOLORKEY* key) {
    ++colorKeyCalls;
    colorKeyFlags = flags;
    colorKey = *key;
    return DD_OK;
}

uint16_t FakeSurface::Pixel(int x, int y) const {
    uint16_t value = 0;
    std::memcpy(&value, &memory[static_cast<size_t>(y) * static_cast<size_t>(pitch) + 2 * static_cast<size_t>(x)],
                sizeof value);
    return value;
}

bool FakeSurface::PaddingTouched() const {
    for (DWORD y = 0; y < height; ++y) {
        for (auto x = static_cast<LONG>(2 * width); x < pitch; ++x) {
            if (memory[static_cast<size_t>(y) * static_cast<size_t>(pitch) + static_cast<size_t>(x)] !=
                PADDING_BYTE) {
                return true;
            }
        }
    }
    return false;
}

HRESULT FakeDirectDraw::QueryInterface(REFIID, void** object) {
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT FakeDirectDraw::SetCooperativeLevel(HWND, DWORD) { return DD_OK; }
HRESULT FakeDirectDraw::SetDisplayMode(DWORD, DWORD, DWORD, DWORD, DWORD) { return DD_OK; }

HRESULT FakeDirectDraw::CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface4** surface, IUnknown* outer) {
    requests.push_back(*desc);
    if (failCreate || outer != nullptr) {
        return DDERR_OUTOFMEMORY;
    }
    auto made = std::make_unique<FakeSurface>(desc->dwWidth, desc->dwHeight,
                                              static_cast<LONG>(2 * desc->dwWidth) + extraPitch);
    made->failLock = failLockOfNewSurfaces;
    *surface = made.get();
    surfaces.push_back(std::move(made));
    return DD_OK;
}
