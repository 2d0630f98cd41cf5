#include "tests/display/fake_directx.h"

#include <string>
#include <utility>

namespace fake {
namespace {

World world;

// Records the call; true (with the chosen result) when the test made it fail.
bool Fails(const std::string& call, HRESULT* result) {
    world.calls.push_back(call);
    const auto it = world.failures.find(call);
    if (it == world.failures.end()) {
        return false;
    }
    *result = it->second;
    return true;
}

template <class Interface>
class Counted : public Interface {
public:
    explicit Counted(std::string name) : name_(std::move(name)) { ++world.live; }
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override {
        world.releases.push_back("Release " + name_);
        const ULONG left = --refs_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

protected:
    ~Counted() override { --world.live; }
    HRESULT NoInterface(void** object) {
        *object = nullptr;
        return E_NOINTERFACE;
    }

private:
    std::string name_;
    ULONG refs_ = 1;
};

class Surface final : public Counted<IDirectDrawSurface4> {
public:
    explicit Surface(const char* name) : Counted(name) {}
    HRESULT QueryInterface(REFIID, void** object) override { return NoInterface(object); }
    HRESULT AddAttachedSurface(IDirectDrawSurface4*) override {
        HRESULT result = DD_OK;
        return Fails("AddAttachedSurface", &result) ? result : DD_OK;
    }
    HRESULT BltFast(DWORD, DWORD, IDirectDrawSurface4*, RECT*, DWORD) override { return DD_OK; }
    HRESULT Flip(IDirectDrawSurface4*, DWORD) override { return DD_OK; }
    HRESULT GetAttachedSurface(DDSCAPS2*, IDirectDrawSurface4** surface) override {
        HRESULT result = DD_OK;
        if (Fails("GetAttachedSurface", &result)) {
            return result;
        }
        *surface = new Surface("backBuffer");
        return DD_OK;
    }
    HRESULT GetPixelFormat(DDPIXELFORMAT* format) override {
        world.calls.push_back("GetPixelFormat");
        format->dwFlags = DDPF_RGB;
        format->dwRGBBitCount = 16;
        format->dwRBitMask = world.primaryRedMask;
        format->dwGBitMask = world.primaryGreenMask;
        format->dwBBitMask = world.primaryBlueMask;
        return DD_OK;
    }
    HRESULT GetSurfaceDesc(DDSURFACEDESC2*) override { return DD_OK; }
    HRESULT Lock(RECT*, DDSURFACEDESC2*, DWORD, HANDLE) override { return DDERR_UNSUPPORTED; }
    HRESULT Unlock(RECT*) override { return DD_OK; }
    HRESULT SetColorKey(DWORD, DDCOLORKEY*) override { return DD_OK; }
    HRESULT IsLost() override { return DD_OK; }
    HRESULT Restore() override { return DD_OK; }
};

class Viewport final : public Counted<IDirect3DViewport3> {
public:
    Viewport() : Counted("viewport") {}
    HRESULT QueryInterface(REFIID, void** object) override { return NoInterface(object); }
    HRESULT SetViewport2(D3DVIEWPORT2* viewport) override {
        HRESULT result = D3D_OK;
        world.viewport = *viewport;
        return Fails("SetViewport2", &result) ? result : D3D_OK;
    }
    HRESULT Clear2(DWORD, D3DRECT*, DWORD, D3DCOLOR, float, DWORD) override { return D3D_OK; }
    HRESULT AddLight(IDirect3DLight*) override { return D3D_OK; }
};

class Device final : public Counted<IDirect3DDevice3> {
public:
    Device() : Counted("device") {}
    HRESULT QueryInterface(REFIID, void** object) override { return NoInterface(object); }
    HRESULT SetRenderTarget(IDirectDrawSurface4*, DWORD) override { return Call("SetRenderTarget"); }
    HRESULT AddViewport(IDirect3DViewport3*) override { return Call("AddViewport"); }
    HRESULT SetCurrentViewport(IDirect3DViewport3*) override { return Call("SetCurrentViewport"); }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return D3D_OK; }
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return D3D_OK; }
    HRESULT SetLightState(D3DLIGHTSTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT BeginScene() override { return D3D_OK; }
    HRESULT EndScene() override { return D3D_OK; }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE, DWORD, LPVOID, DWORD, DWORD) override { return D3D_OK; }

private:
    static HRESULT Call(const char* name) {
        HRESULT result = D3D_OK;
        return Fails(name, &result) ? result : D3D_OK;
    }
};

class Direct3D final : public Counted<IDirect3D3> {
public:
    Direct3D() : Counted("direct3D") {}
    HRESULT QueryInterface(REFIID, void** object) override { return NoInterface(object); }
    HRESULT EnumZBufferFormats(REFCLSID device, LPD3DENUMPIXELFORMATSCALLBACK callback, LPVOID context) override {
        const bool hal = device == IID_IDirect3DHALDevice;
        HRESULT result = D3D_OK;
        if (Fails(hal ? "EnumZBufferFormats HAL" : "EnumZBufferFormats RGB", &result)) {
            return result;
        }
        std::vector<DDPIXELFORMAT> formats = hal ? world.halFormats : std::vector{DepthFormat(DDPF_ZBUFFER, 16)};
        for (DDPIXELFORMAT& format : formats) {
            if (callback(&format, context) == D3DENUMRET_CANCEL) {
                break;
            }
        }
        return D3D_OK;
    }
    HRESULT CreateDevice(REFCLSID device, IDirectDrawSurface4*, IDirect3DDevice3** result, IUnknown*) override {
        HRESULT failure = D3D_OK;
        if (Fails(device == IID_IDirect3DHALDevice ? "CreateDevice HAL" : "CreateDevice RGB", &failure)) {
            return failure;
        }
        *result = new Device();
        return D3D_OK;
    }
    HRESULT CreateViewport(IDirect3DViewport3** viewport, IUnknown*) override {
        HRESULT result = D3D_OK;
        if (Fails("CreateViewport", &result)) {
            return result;
        }
        *viewport = new Viewport();
        return D3D_OK;
    }
    HRESULT CreateLight(IDirect3DLight**, IUnknown*) override { return DDERR_UNSUPPORTED; }
    HRESULT CreateMaterial(IDirect3DMaterial3**, IUnknown*) override { return DDERR_UNSUPPORTED; }
};

class DirectDraw4 final : public Counted<IDirectDraw4> {
public:
    DirectDraw4() : Counted("directDraw") {}
    HRESULT QueryInterface(REFIID riid, void** object) override {
        HRESULT result = S_OK;
        if (!(riid == IID_IDirect3D3) || Fails("QueryInterface IDirect3D3", &result)) {
            *object = nullptr;
            return riid == IID_IDirect3D3 ? result : E_NOINTERFACE;
        }
        *object = static_cast<IDirect3D3*>(new Direct3D());
        return S_OK;
    }
    HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
        world.cooperativeWindow = window;
        world.cooperativeFlags = flags;
        HRESULT result = DD_OK;
        return Fails("SetCooperativeLevel", &result) ? result : DD_OK;
    }
    HRESULT SetDisplayMode(DWORD, DWORD, DWORD, DWORD, DWORD) override {
        HRESULT result = DD_OK;
        return Fails("SetDisplayMode", &result) ? result : DD_OK;
    }
    HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface4** surface, IUnknown*) override {
        const bool primary = (desc->ddsCaps.dwCaps & DDSCAPS_PRIMARYSURFACE) != 0;
        (primary ? world.primaryDesc : world.zBufferDesc) = *desc;
        HRESULT result = DD_OK;
        if (Fails(primary ? "CreateSurface primary" : "CreateSurface zBuffer", &result)) {
            return result;
        }
        *surface = new Surface(primary ? "primary" : "zBuffer");
        return DD_OK;
    }
};

class DirectDraw1 final : public Counted<IDirectDraw> {
public:
    explicit DirectDraw1(bool hasVersion4) : Counted("directDraw1"), hasVersion4_(hasVersion4) {}
    HRESULT QueryInterface(REFIID riid, void** object) override {
        HRESULT result = S_OK;
        if (!(riid == IID_IDirectDraw4) || !hasVersion4_ || Fails("QueryInterface IDirectDraw4", &result)) {
            *object = nullptr;
            return result != S_OK ? result : E_NOINTERFACE;
        }
        *object = static_cast<IDirectDraw4*>(new DirectDraw4());
        return S_OK;
    }

private:
    bool hasVersion4_;
};

const Driver* FindDriver(const GUID* guid) {
    for (const Driver& driver : world.drivers) {
        if (guid == nullptr ? driver.nullGuid : (!driver.nullGuid && driver.guid == *guid)) {
            return &driver;
        }
    }
    return nullptr;
}

HRESULT FakeCreate(GUID* guid, IDirectDraw** directDraw, IUnknown*) {
    world.createdWith.push_back(guid == nullptr ? "null" : std::to_string(guid->Data1));
    HRESULT result = DD_OK;
    if (Fails("DirectDrawCreate", &result)) {
        return result;
    }
    const Driver* driver = FindDriver(guid);
    if (driver != nullptr && !driver->creatable) {
        return DDERR_NODIRECTDRAWHW;
    }
    *directDraw = new DirectDraw1(driver == nullptr || driver->hasVersion4);
    return DD_OK;
}

HRESULT FakeEnumerate(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD flags) {
    world.calls.push_back("DirectDrawEnumerateExA " + std::to_string(flags));
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

World& TheWorld() { return world; }

void Install() {
    world = World{};
    world.drivers.push_back(Driver{true, {}, "Primary Display Driver", true, true});
    // As with the stand-in, there is no 3D hardware unless a test says so.
    world.failures["EnumZBufferFormats HAL"] = DDERR_NODIRECTDRAWHW;
    SetDirectDrawCreateForTesting(FakeCreate);
    SetDirectDrawEnumerateForTesting(FakeEnumerate);
}

void Uninstall() {
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
