// The DirectDraw object of the stand-in (IDirectDraw4): cooperative level,
// display mode and surface creation. Platform-internal. Main thread only.
#pragma once

#include <memory>

#include "platform/core/com_object.h"
#include "platform/ddraw/ddraw.h"
#include "platform/present/presenter.h"

class IDirect3D3;

class DirectDrawObject final : public ComObject<IDirectDraw4, IID_IDirectDraw4> {
  public:
    // rgb555 picks the screen layout of every surface this object makes.
    explicit DirectDrawObject(bool rgb555);
    DirectDrawObject(const DirectDrawObject&) = delete;
    DirectDrawObject& operator=(const DirectDrawObject&) = delete;

    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate,
                           DWORD flags) override;
    HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface4** surface, IUnknown* outer) override;

    const DDPIXELFORMAT& ScreenFormat() const { return screenFormat_; }

  private:
    ~DirectDrawObject() override = default;
    // IDirect3D3: a new Direct3D object holding this one.
    HRESULT QueryOther(REFIID riid, void** object) override;
    HRESULT CreatePrimary(const DDSURFACEDESC2& desc, IDirectDrawSurface4** surface);
    HRESULT CreateOffScreen(const DDSURFACEDESC2& desc, IDirectDrawSurface4** surface);
    HRESULT CreateDepth(const DDSURFACEDESC2& desc, IDirectDrawSurface4** surface);

    DDPIXELFORMAT screenFormat_{};
    std::shared_ptr<PresentTarget> present_;
};

// The 16-bit RGB layouts of the screen.
DDPIXELFORMAT ScreenPixelFormat(bool rgb555);

// Made by the Direct3D stand-in: a Direct3D object that keeps `directDraw`
// alive. Returns it with one reference.
IDirect3D3* CreateDirect3DFor(DirectDrawObject* directDraw);
