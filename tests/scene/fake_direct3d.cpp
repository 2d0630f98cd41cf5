#include "tests/scene/fake_direct3d.h"

D3DMATRIX Identity4() {
    D3DMATRIX m{};
    m._11 = m._22 = m._33 = m._44 = 1.0f;
    return m;
}

std::vector<const char*> releaseLog;

ULONG FakeLight::Release() {
    if (--refs == 0) {
        releaseLog.push_back("light");
    }
    return refs;
}

ULONG FakeMaterial::Release() {
    if (--refs == 0) {
        releaseLog.push_back("material");
    }
    return refs;
}

HRESULT FakeLight::SetLight(D3DLIGHT2* light) {
    setLights.push_back(*light);
    return setLightResult;
}

HRESULT FakeMaterial::SetMaterial(D3DMATERIAL* material) {
    setMaterials.push_back(*material);
    if (SUCCEEDED(setMaterialResult)) {
        current = *material;
    }
    return setMaterialResult;
}

HRESULT FakeMaterial::GetHandle(IDirect3DDevice3* device, D3DMATERIALHANDLE* result) {
    handleDevice = device;
    *result = handle;
    return D3D_OK;
}

HRESULT FakeViewport::AddLight(IDirect3DLight* light) {
    lights.push_back(light);
    return addLightResult;
}

FakeDevice::FakeDevice() {
    for (D3DMATRIX& m : transforms) {
        m = Identity4();
    }
}

HRESULT FakeDevice::SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    DeviceCall call{DeviceCallKind::SetTransform};
    call.state = state;
    call.matrix = *matrix;
    calls.push_back(call);
    const HRESULT result = transformResults[state & 3];
    if (SUCCEEDED(result)) {
        transforms[state & 3] = *matrix;
    }
    return result;
}

HRESULT FakeDevice::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    *matrix = transforms[state & 3];
    return D3D_OK;
}

HRESULT FakeDevice::SetLightState(D3DLIGHTSTATETYPE state, DWORD value) {
    DeviceCall call{DeviceCallKind::SetLightState};
    call.state = state;
    call.value = value;
    calls.push_back(call);
    return lightStateResult;
}

HRESULT FakeDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    DeviceCall call{DeviceCallKind::SetRenderState};
    call.state = state;
    call.value = value;
    calls.push_back(call);
    return D3D_OK;
}

HRESULT FakeDevice::DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, LPVOID vertices, DWORD count,
                                  DWORD flags) {
    DeviceCall call{DeviceCallKind::DrawPrimitive};
    call.state = type;
    call.value = vertexFormat;
    call.vertices = vertices;
    call.count = count;
    call.flags = flags;
    calls.push_back(call);
    return drawResult;
}

HRESULT FakeDirect3D::CreateLight(IDirect3DLight** light, IUnknown* outer) {
    outers.push_back(outer);
    if (FAILED(createLightResult)) {
        return createLightResult;
    }
    createdLights.push_back(std::make_unique<FakeLight>());
    createdLights.back()->setLightResult = newLightSetLightResult;
    *light = createdLights.back().get();
    return D3D_OK;
}

HRESULT FakeDirect3D::CreateMaterial(IDirect3DMaterial3** material, IUnknown* outer) {
    outers.push_back(outer);
    if (FAILED(createMaterialResult)) {
        return createMaterialResult;
    }
    createdMaterials.push_back(std::make_unique<FakeMaterial>());
    createdMaterials.back()->handle = nextHandle++;
    *material = createdMaterials.back().get();
    return D3D_OK;
}
