// Fakes of IDirectDraw, IDirectDraw4 and IDirectDrawSurface4, and the seams
// that make DirectDrawCreate and DirectDrawEnumerateExA hand them out. Every
// call goes through the world's log and failure rules (fake_world.h).
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/fake_world.h"

namespace fake {

struct Blit {
    DWORD x;
    DWORD y;
    IDirectDrawSurface4* source;
    RECT rect;  // all zero when the whole source was asked for
    DWORD flags;
};

// A surface with real pixel memory, made at the first Lock and filled with
// PADDING_BYTE, so that a test can see what was written and where.
class Surface final : public Counted<IDirectDrawSurface4> {
  public:
    Surface(std::string name, DWORD surfaceWidth, DWORD surfaceHeight, LONG surfacePitch = 0);

    HRESULT AddAttachedSurface(IDirectDrawSurface4*) override { return Call("AddAttachedSurface"); }
    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface4* source, RECT* srcRect, DWORD trans) override;
    HRESULT Flip(IDirectDrawSurface4* targetOverride, DWORD flags) override;
    HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface4** surface) override;
    HRESULT GetPixelFormat(DDPIXELFORMAT* format) override;
    HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc) override;
    HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE event) override;
    HRESULT Unlock(RECT* rect) override;
    HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) override;
    HRESULT IsLost() override { return Call("IsLost"); }
    HRESULT Restore() override { return Call("Restore"); }

    // The 16-bit pixel at (x, y), read at the surface's pitch.
    uint16_t Pixel(int x, int y);
    // True when a byte past the rows' width (in the pitch padding) changed.
    bool PaddingTouched();
    std::vector<uint8_t>& Memory();

    const DWORD width;
    const DWORD height;
    const LONG pitch;
    bool locked = false;
    int lockCount = 0;
    DWORD lastLockFlags = 0;
    std::vector<Blit> blits;
    std::vector<DWORD> flips;  // the flags of every Flip
    int colorKeyCalls = 0;
    DWORD colorKeyFlags = 0;
    DDCOLORKEY colorKey{0, 0};

    static constexpr uint8_t PADDING_BYTE = 0xA5;

  private:
    void Describe(DDSURFACEDESC2* desc) const;

    std::vector<uint8_t> memory_;
    Surface* back_ = nullptr;
};

class DirectDraw4 final : public Counted<IDirectDraw4> {
  public:
    explicit DirectDraw4(std::string name = "directDraw") : Counted(std::move(name)) {}

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate,
                           DWORD flags) override;
    // Names what it makes "primary", "zBuffer" or "surface1", "surface2", ...
    HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface4** surface, IUnknown* outer) override;

    // The request whose caps hold `caps`, latest first; null when none.
    const DDSURFACEDESC2* Request(DWORD caps) const;

    LONG extraPitch = 0;    // bytes added to twice the width for every new surface's pitch
    DWORD modeWidth = 640;  // the primary's size
    DWORD modeHeight = 480;
    HWND cooperativeWindow = nullptr;
    DWORD cooperativeFlags = 0;
    std::vector<DDSURFACEDESC2> requests;  // every CreateSurface description, in order
    std::vector<Surface*> surfaces;        // every surface made, in order
};

// The first interface DirectDrawCreate hands out; it only leads to IDirectDraw4.
class DirectDraw final : public Counted<IDirectDraw> {
  public:
    explicit DirectDraw(bool hasVersion4) : Counted("directDraw1"), hasVersion4_(hasVersion4) {}
    HRESULT QueryInterface(REFIID riid, void** object) override;

  private:
    bool hasVersion4_;
};

// Points DirectDrawCreate and DirectDrawEnumerateExA at the world's drivers
// while it lives (or until Remove).
class Seams {
  public:
    Seams();
    ~Seams() { Remove(); }
    Seams(const Seams&) = delete;
    Seams& operator=(const Seams&) = delete;
    void Remove();
};

// A depth format with only the given flags, as a driver may offer it.
DDPIXELFORMAT DepthFormat(DWORD flags, DWORD bits);

}  // namespace fake
