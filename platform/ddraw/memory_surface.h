// Room ddraw/: DirectDraw's objects and surfaces; Flip hands frames to
// present/. Includes core/, present/, include/ and d3d/'s creation entry.
// The one surface class of the DirectDraw stand-in: 16-bit pixels in system
// memory, rows back to back (pitch = width * 2). Platform-internal: Direct3D
// and the presenter reach the pixels through it. Main thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/core/com_object.h"
#include "platform/ddraw/ddraw.h"

struct PresentTarget;

enum class SurfaceKind { Primary, BackBuffer, OffScreen, Depth };

class MemorySurface final : public ComObject<IDirectDrawSurface4, IID_IDirectDrawSurface4> {
  public:
    // A surface of width x height pixels in `format`; `caps` is reported back
    // by GetSurfaceDesc. Starts with one reference.
    MemorySurface(SurfaceKind kind, DWORD width, DWORD height, const DDPIXELFORMAT& format, DWORD caps);
    MemorySurface(const MemorySurface&) = delete;
    MemorySurface& operator=(const MemorySurface&) = delete;

    // Makes this primary the front of a flipping chain with one back buffer,
    // presented through `target` (shared with the DirectDraw object).
    void MakeFlippingChain(std::shared_ptr<PresentTarget> target);

    HRESULT AddAttachedSurface(IDirectDrawSurface4* surface) override;
    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface4* source, RECT* srcRect, DWORD trans) override;
    HRESULT Flip(IDirectDrawSurface4* targetOverride, DWORD flags) override;
    HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface4** surface) override;
    HRESULT GetPixelFormat(DDPIXELFORMAT* format) override;
    HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc) override;
    HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE event) override;
    HRESULT Unlock(RECT* rect) override;
    HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) override;
    HRESULT IsLost() override;
    HRESULT Restore() override;

    // ---- Stand-in internals ----
    SurfaceKind Kind() const { return kind_; }
    int Width() const { return static_cast<int>(width_); }
    int Height() const { return static_cast<int>(height_); }
    uint16_t* Pixels() { return pixels_.data(); }
    const uint16_t* Pixels() const { return pixels_.data(); }
    const DDPIXELFORMAT& Format() const { return format_; }
    bool IsLocked() const { return locked_; }
    bool IsRgb555() const { return format_.dwGBitMask == 0x03E0; }
    // The z-buffer attached with AddAttachedSurface, or null.
    MemorySurface* AttachedDepth() const { return attachedDepth_; }

  private:
    ~MemorySurface() override;
    // The bits of a pixel that a colour key compares (the RGB bits).
    uint16_t RgbMask() const;
    HRESULT CheckBlit(DWORD x, DWORD y, const MemorySurface& source, const RECT& rect) const;

    SurfaceKind kind_;
    DWORD width_;
    DWORD height_;
    DWORD caps_;
    DDPIXELFORMAT format_;
    std::vector<uint16_t> pixels_;
    bool locked_ = false;
    bool hasSourceKey_ = false;
    uint16_t sourceKey_ = 0;
    MemorySurface* backBuffer_ = nullptr;     // primary only: one reference owned
    MemorySurface* attachedDepth_ = nullptr;  // one reference owned
    std::shared_ptr<PresentTarget> present_;  // primary only
};

// The surface behind an interface pointer, or null for a foreign object.
MemorySurface* AsMemorySurface(IDirectDrawSurface4* surface);

// Copies rows of 16-bit pixels; with `keyed`, source pixels whose RGB bits
// (rgbMask) equal `key` are left out. Pitches in pixels.
void CopyPixels(const uint16_t* source, int sourcePitch, uint16_t* destination, int destinationPitch,
                int width, int height);
void CopyPixelsKeyed(const uint16_t* source, int sourcePitch, uint16_t* destination, int destinationPitch,
                     int width, int height, uint16_t key, uint16_t rgbMask);
