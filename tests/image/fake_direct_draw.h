// Fakes of IDirectDraw4 and IDirectDrawSurface4 for the image tests: memory
// surfaces whose pitch the test chooses, with every call recorded.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ddraw/ddraw.h"

class FakeSurface : public IDirectDrawSurface4 {
public:
    FakeSurface(DWORD surfaceWidth, DWORD surfaceHeight, LONG surfacePitch);
    ~FakeSurface() override = default;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    HRESULT AddAttachedSurface(IDirectDrawSurface4* surface) override;
    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface4* source, RECT* srcRect, DWORD trans) override;
    HRESULT Flip(IDirectDrawSurface4* targetOverride, DWORD flags) override;
    HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface4** surface) override;
    HRESULT GetPixelFormat(DDPIXELFORMAT* format) override;
    HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc) override;
    HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE event) override;
    HRESULT Unlock(RECT* rect) override;
    HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) override;
    HRESULT IsLost() override { return DD_OK; }
    HRESULT Restore() override { return DD_OK; }

    // The 16-bit pixel at (x, y), read at the surface's pitch.
    uint16_t Pixel(int x, int y) const;
    // True when a byte past the rows' width (in the pitch padding) changed.
    bool PaddingTouched() const;

    const DWORD width;
    const DWORD height;
    const LONG pitch;
    std::vector<uint8_t> memory;
    ULONG references = 1;
    bool failLock = false;
    bool locked = false;
    int lockCount = 0;
    int unlockCount = 0;
    DWORD lastLockFlags = 0;
    DWORD colorKeyFlags = 0;
    DDCOLORKEY colorKey = {0, 0};
    int colorKeyCalls = 0;

    static constexpr uint8_t PADDING_BYTE = 0xA5;
};

class FakeDirectDraw : public IDirectDraw4 {
public:
    ~FakeDirectDraw() override = default;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate, DWORD flags) override;
    HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface4** surface, IUnknown* outer) override;

    // Bytes added to twice the width for the pitch of every new surface.
    LONG extraPitch = 0;
    bool failCreate = false;
    bool failLockOfNewSurfaces = false;
    std::vector<DDSURFACEDESC2> requests;
    std::vector<std::unique_ptr<FakeSurface>> surfaces;
    ULONG references = 1;
};
