#include "tests/support/fake_direct_draw.h"

#include <cstring>
#include <string>

#include "platform/ddraw/testing.h"
#include "tests/support/fake_direct3d.h"

namespace fake {

Surface::Surface(std::string name, DWORD surfaceWidth, DWORD surfaceHeight, LONG surfacePitch)
    : Counted(std::move(name)),
      width(surfaceWidth),
      height(surfaceHeight),
      pitch(surfacePitch != 0 ? surfacePitch : static_cast<LONG>(2 * surfaceWidth)) {}

HRESULT Surface::BltFast(DWORD x, DWORD y, IDirectDrawSurface4* source, RECT* srcRect, DWORD trans) {
    if (TheWorld().recording) {
        blits.push_back({x, y, source, srcRect != nullptr ? *srcRect : RECT{}, trans});
    }
    return Call("BltFast");
}

HRESULT Surface::Flip(IDirectDrawSurface4*, DWORD flags) {
    if (TheWorld().recording) {
        flips.push_back(flags);
    }
    return Call("Flip");
}

// The back buffer of a flipping chain, made once; later calls add a reference.
HRESULT Surface::GetAttachedSurface(DDSCAPS2*, IDirectDrawSurface4** surface) {
    if (const HRESULT result = Call("GetAttachedSurface"); FAILED(result)) {
        return result;
    }
    if (back_ == nullptr) {
        back_ = &TheWorld().Make<Surface>("backBuffer", width, height);
    } else {
        back_->AddRef();
    }
    *surface = back_;
    return DD_OK;
}

HRESULT Surface::GetPixelFormat(DDPIXELFORMAT* format) {
    const World& world = TheWorld();
    *format = DDPIXELFORMAT{};
    format->dwSize = sizeof(DDPIXELFORMAT);
    format->dwFlags = DDPF_RGB;
    format->dwRGBBitCount = 16;
    format->dwRBitMask = world.redMask;
    format->dwGBitMask = world.greenMask;
    format->dwBBitMask = world.blueMask;
    return Call("GetPixelFormat");
}

void Surface::Describe(DDSURFACEDESC2* desc) const {
    std::memset(desc, 0, sizeof *desc);
    desc->dwSize = DDSURFACEDESC2_SIZE_WIN32;
    desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH;
    desc->dwWidth = width;
    desc->dwHeight = height;
    desc->lPitch = pitch;
}

HRESULT Surface::GetSurfaceDesc(DDSURFACEDESC2* desc) {
    return Call("GetSurfaceDesc", {}, [&] { Describe(desc); });
}

HRESULT Surface::Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE) {
    ++lockCount;
    lastLockFlags = flags;
    if (const HRESULT result = Call("Lock"); FAILED(result) || locked || rect != nullptr) {
        // The program only ever locks whole surfaces.
        return FAILED(result) ? result : locked ? DDERR_SURFACEBUSY : DDERR_UNSUPPORTED;
    }
    Describe(desc);
    desc->dwFlags |= DDSD_LPSURFACE;
    desc->lpSurface = Memory().data();
    locked = true;
    return DD_OK;
}

HRESULT Surface::Unlock(RECT*) {
    if (const HRESULT result = Call("Unlock"); FAILED(result) || !locked) {
        return FAILED(result) ? result : DDERR_NOTLOCKED;
    }
    locked = false;
    return DD_OK;
}

HRESULT Surface::SetColorKey(DWORD flags, DDCOLORKEY* key) {
    ++colorKeyCalls;
    colorKeyFlags = flags;
    colorKey = *key;
    return Call("SetColorKey");
}

std::vector<uint8_t>& Surface::Memory() {
    if (memory_.empty()) {
        memory_.assign(static_cast<size_t>(pitch) * height, PADDING_BYTE);
    }
    return memory_;
}

uint16_t Surface::Pixel(int x, int y) {
    uint16_t value = 0;
    const size_t offset = static_cast<size_t>(y) * static_cast<size_t>(pitch) + 2 * static_cast<size_t>(x);
    std::memcpy(&value, &Memory()[offset], sizeof value);
    return value;
}

bool Surface::PaddingTouched() {
    for (DWORD y = 0; y < height; ++y) {
        for (auto x = static_cast<LONG>(2 * width); x < pitch; ++x) {
            if (Memory()[static_cast<size_t>(y) * static_cast<size_t>(pitch) + static_cast<size_t>(x)] !=
                PADDING_BYTE) {
                return true;
            }
        }
    }
    return false;
}

HRESULT DirectDraw4::QueryInterface(REFIID riid, void** object) {
    *object = nullptr;
    if (!(riid == IID_IDirect3D3)) {
        return Counted::QueryInterface(riid, object);
    }
    return Call("QueryInterface", "IDirect3D3",
                [&] { *object = static_cast<IDirect3D3*>(&TheWorld().Make<Direct3D>()); });
}

HRESULT DirectDraw4::SetCooperativeLevel(HWND window, DWORD flags) {
    cooperativeWindow = window;
    cooperativeFlags = flags;
    return Call("SetCooperativeLevel", std::to_string(flags));
}

HRESULT DirectDraw4::SetDisplayMode(DWORD width, DWORD height, DWORD, DWORD, DWORD) {
    return Call("SetDisplayMode", {}, [&] {
        modeWidth = width;
        modeHeight = height;
    });
}

HRESULT DirectDraw4::CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface4** surface, IUnknown* outer) {
    const DWORD caps = desc->ddsCaps.dwCaps;
    const bool primary = (caps & DDSCAPS_PRIMARYSURFACE) != 0;
    const bool depth = (caps & DDSCAPS_ZBUFFER) != 0;
    requests.push_back(*desc);
    const HRESULT result = Call("CreateSurface", primary ? "primary" : depth ? "zBuffer" : "offScreen");
    if (FAILED(result) || outer != nullptr) {
        return FAILED(result) ? result : CLASS_E_NOAGGREGATION;
    }
    World& world = TheWorld();
    const std::string name = primary ? "primary" : depth ? "zBuffer" : world.NextName("surface");
    const DWORD surfaceWidth = primary ? modeWidth : desc->dwWidth;
    const DWORD surfaceHeight = primary ? modeHeight : desc->dwHeight;
    Surface& made = world.Make<Surface>(name, surfaceWidth, surfaceHeight,
                                        static_cast<LONG>(2 * surfaceWidth) + extraPitch);
    surfaces.push_back(&made);
    *surface = &made;
    return DD_OK;
}

const DDSURFACEDESC2* DirectDraw4::Request(DWORD caps) const {
    for (auto it = requests.rbegin(); it != requests.rend(); ++it) {
        if ((it->ddsCaps.dwCaps & caps) == caps) {
            return &*it;
        }
    }
    return nullptr;
}

HRESULT DirectDraw::QueryInterface(REFIID riid, void** object) {
    *object = nullptr;
    if (!(riid == IID_IDirectDraw4) || !hasVersion4_) {
        return Counted::QueryInterface(riid, object);
    }
    return Call("QueryInterface", "IDirectDraw4",
                [&] { *object = static_cast<IDirectDraw4*>(&TheWorld().Make<DirectDraw4>()); });
}

namespace {

const Driver* FindDriver(const GUID* guid) {
    for (const Driver& driver : TheWorld().drivers) {
        if (guid == nullptr ? driver.nullGuid : (!driver.nullGuid && driver.guid == *guid)) {
            return &driver;
        }
    }
    return nullptr;
}

HRESULT FakeCreate(GUID* guid, IDirectDraw** directDraw, IUnknown*) {
    World& world = TheWorld();
    world.createdWith.push_back(guid == nullptr ? "null" : std::to_string(guid->Data1));
    const HRESULT result = world.Record("", "DirectDrawCreate");
    if (FAILED(result)) {
        return result;
    }
    const Driver* driver = FindDriver(guid);
    if (driver != nullptr && !driver->creatable) {
        return DDERR_NODIRECTDRAWHW;
    }
    *directDraw = &world.Make<DirectDraw>(driver == nullptr || driver->hasVersion4);
    return DD_OK;
}

HRESULT FakeEnumerate(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD flags) {
    World& world = TheWorld();
    const HRESULT result = world.Record("", "DirectDrawEnumerateExA", std::to_string(flags));
    if (FAILED(result)) {
        return result;
    }
    for (size_t index = 0; index < world.drivers.size(); ++index) {
        Driver& driver = world.drivers[index];
        std::string description = driver.description;
        char name[] = "driver";
        if (!callback(driver.nullGuid ? nullptr : &driver.guid, description.data(), name, context, nullptr)) {
            world.enumerationStoppedAt = static_cast<int>(index);
            break;
        }
    }
    return DD_OK;
}

}  // namespace

Seams::Seams() {
    SetDirectDrawCreateForTesting(FakeCreate);
    SetDirectDrawEnumerateForTesting(FakeEnumerate);
}

void Seams::Remove() {
    SetDirectDrawCreateForTesting(nullptr);
    SetDirectDrawEnumerateForTesting(nullptr);
}

DDPIXELFORMAT DepthFormat(DWORD flags, DWORD bits) {
    DDPIXELFORMAT format{};
    format.dwSize = sizeof(DDPIXELFORMAT);
    format.dwFlags = flags;
    format.dwZBufferBitDepth = bits;
    format.dwZBitMask = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1;
    return format;
}

}  // namespace fake
