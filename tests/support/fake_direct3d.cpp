#include "tests/support/fake_direct3d.h"

#include "tests/support/fake_direct_draw.h"

namespace fake {
namespace {

const char* TransformName(DWORD state) {
    switch (state) {
        case D3DTRANSFORMSTATE_WORLD:
            return "WORLD";
        case D3DTRANSFORMSTATE_VIEW:
            return "VIEW";
        case D3DTRANSFORMSTATE_PROJECTION:
            return "PROJECTION";
        default:
            return "OTHER";
    }
}

}  // namespace

D3DMATRIX Identity4() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

HRESULT Light::SetLight(D3DLIGHT2* light) {
    setLights.push_back(*light);
    return Call("SetLight");
}

HRESULT Material::SetMaterial(D3DMATERIAL* material) {
    setMaterials.push_back(*material);
    return Call("SetMaterial", {}, [&] { current = *material; });
}

HRESULT Material::GetHandle(IDirect3DDevice3* device, D3DMATERIALHANDLE* result) {
    handleDevice = device;
    *result = handle;
    return Call("GetHandle");
}

HRESULT Viewport::SetViewport2(D3DVIEWPORT2* viewport) {
    lastViewport = *viewport;
    return Call("SetViewport2");
}

HRESULT Viewport::Clear2(DWORD count, D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z, DWORD) {
    if (TheWorld().recording) {
        clears.push_back({count, count > 0 ? rects[0] : D3DRECT{}, flags, colour, z});
    }
    return Call("Clear2");
}

HRESULT Viewport::AddLight(IDirect3DLight* light) {
    return Call("AddLight", {}, [&] { lights.push_back(light); });
}

Device::Device(std::string name) : Counted(std::move(name)) {
    for (D3DMATRIX& m : transforms) {
        m = Identity4();
    }
}

HRESULT Device::Keep(const DeviceCall& call, std::string_view method, std::string_view detail) {
    if (TheWorld().recording) {
        calls.push_back(call);
    }
    return Call(method, detail);
}

HRESULT Device::SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    DeviceCall call{DeviceCallKind::SetTransform};
    call.state = state;
    call.matrix = *matrix;
    if (TheWorld().recording) {
        calls.push_back(call);
    }
    return Call("SetTransform", TransformName(state), [&] { transforms[state & 3] = *matrix; });
}

HRESULT Device::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    *matrix = transforms[state & 3];
    return Call("GetTransform", TransformName(state));
}

HRESULT Device::SetLightState(D3DLIGHTSTATETYPE state, DWORD value) {
    DeviceCall call{DeviceCallKind::SetLightState};
    call.state = state;
    call.value = value;
    return Keep(call, "SetLightState", state == D3DLIGHTSTATE_MATERIAL ? "MATERIAL" : "AMBIENT");
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    DeviceCall call{DeviceCallKind::SetRenderState};
    call.state = state;
    call.value = value;
    return Keep(call, "SetRenderState");
}

HRESULT Device::BeginScene() { return Keep(DeviceCall{DeviceCallKind::BeginScene}, "BeginScene"); }

HRESULT Device::EndScene() { return Keep(DeviceCall{DeviceCallKind::EndScene}, "EndScene"); }

HRESULT Device::DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, LPVOID vertices, DWORD count,
                              DWORD flags) {
    DeviceCall call{DeviceCallKind::DrawPrimitive};
    call.state = type;
    call.value = vertexFormat;
    call.vertices = vertices;
    call.count = count;
    call.flags = flags;
    return Keep(call, "DrawPrimitive");
}

std::vector<D3DMATRIX> Device::Worlds() const {
    std::vector<D3DMATRIX> worlds;
    for (const DeviceCall& call : calls) {
        if (call.kind == DeviceCallKind::SetTransform && call.state == D3DTRANSFORMSTATE_WORLD) {
            worlds.push_back(call.matrix);
        }
    }
    return worlds;
}

int Device::Count(DeviceCallKind kind) const {
    int count = 0;
    for (const DeviceCall& call : calls) {
        count += call.kind == kind ? 1 : 0;
    }
    return count;
}

int64_t Device::LastValue(DeviceCallKind kind, DWORD state) const {
    for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
        if (it->kind == kind && it->state == state) {
            return it->value;
        }
    }
    return -1;
}

HRESULT Direct3D::EnumZBufferFormats(REFCLSID device, LPD3DENUMPIXELFORMATSCALLBACK callback,
                                     LPVOID context) {
    const World& world = TheWorld();
    const bool hal = device == IID_IDirect3DHALDevice;
    const HRESULT result = Call("EnumZBufferFormats", hal ? "HAL" : "RGB");
    if (FAILED(result) || (hal && !world.hardware)) {
        return FAILED(result) ? result : DDERR_NODIRECTDRAWHW;
    }
    std::vector<DDPIXELFORMAT> formats = hal ? world.halFormats : std::vector{DepthFormat(DDPF_ZBUFFER, 16)};
    for (DDPIXELFORMAT& format : formats) {
        if (callback(&format, context) == D3DENUMRET_CANCEL) {
            break;
        }
    }
    return D3D_OK;
}

HRESULT Direct3D::CreateDevice(REFCLSID device, IDirectDrawSurface4*, IDirect3DDevice3** made, IUnknown*) {
    const bool hal = device == IID_IDirect3DHALDevice;
    const HRESULT result = Call("CreateDevice", hal ? "HAL" : "RGB");
    if (FAILED(result) || (hal && !TheWorld().hardware)) {
        return FAILED(result) ? result : DDERR_NODIRECTDRAWHW;
    }
    *made = &TheWorld().Make<Device>();
    return D3D_OK;
}

HRESULT Direct3D::CreateViewport(IDirect3DViewport3** viewport, IUnknown*) {
    return Call("CreateViewport", {}, [&] { *viewport = &TheWorld().Make<Viewport>(); });
}

HRESULT Direct3D::CreateLight(IDirect3DLight** light, IUnknown* outer) {
    outers.push_back(outer);
    return Call("CreateLight", {}, [&] {
        World& world = TheWorld();
        *light = lights.emplace_back(&world.Make<Light>(world.NextName("light")));
    });
}

HRESULT Direct3D::CreateMaterial(IDirect3DMaterial3** material, IUnknown* outer) {
    outers.push_back(outer);
    return Call("CreateMaterial", {}, [&] {
        World& world = TheWorld();
        *material = materials.emplace_back(&world.Make<Material>(world.NextName("material"), nextHandle++));
    });
}

}  // namespace fake
