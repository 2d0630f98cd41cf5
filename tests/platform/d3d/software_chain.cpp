#include "tests/platform/d3d/software_chain.h"

#include "platform/d3d/transform.h"
#include "platform/ddraw/testing.h"
#include "tests/support/intro_requests.h"

namespace {

template <class Interface>
void ReleaseAndClear(Interface*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

// Any non-null handle will do: without an SDL window nothing is presented.
HWND const FAKE_WINDOW = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x5EED));

const uint16_t* LockedPixels(IDirectDrawSurface4* surface) {
    DDSURFACEDESC2 desc = SizedDesc();
    if (surface == nullptr || FAILED(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr))) {
        return nullptr;
    }
    surface->Unlock(nullptr);  // memory surfaces stay where they are
    return static_cast<const uint16_t*>(desc.lpSurface);
}

}  // namespace

D3DMATRIX IntroViewMatrix() {
    D3DMATRIX m{};
    m._11 = 1.0f;
    m._22 = -1.0f;
    m._33 = -1.0f;
    m._43 = 10.0f;
    m._44 = 1.0f;
    return m;
}

D3DMATRIX IntroProjectionMatrix() {
    D3DMATRIX m{};
    m._11 = 1.0f;
    m._22 = 1.0f;
    m._33 = 1.0f;
    m._34 = 1.0f;
    m._43 = -1.0f;
    return m;
}

SoftwareChain::~SoftwareChain() {
    ReleaseAndClear(viewport);
    ReleaseAndClear(device);
    ReleaseAndClear(direct3D);
    ReleaseAndClear(depth);
    ReleaseAndClear(back);
    ReleaseAndClear(primary);
    ReleaseAndClear(directDraw);
    SetScreenFormat555ForTesting(false);
}

bool SoftwareChain::Create(DWORD modeWidth, DWORD modeHeight, bool rgb555) {
    width = modeWidth;
    height = modeHeight;
    SetScreenFormat555ForTesting(rgb555);
    auto check = [this](HRESULT result) {
        failure = result;
        return SUCCEEDED(result);
    };
    directDraw = CreateDirectDraw4();
    if (!check(directDraw != nullptr ? DD_OK : DDERR_GENERIC)) {
        return false;
    }
    DDSURFACEDESC2 desc = PrimaryDesc();
    DDSCAPS2 backCaps{DDSCAPS_BACKBUFFER, 0, 0, 0};
    if (!check(directDraw->SetCooperativeLevel(FAKE_WINDOW, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE)) ||
        !check(directDraw->SetDisplayMode(width, height, 16, 0, 0)) ||
        !check(directDraw->CreateSurface(&desc, &primary, nullptr)) ||
        !check(primary->GetAttachedSurface(&backCaps, &back))) {
        return false;
    }
    DDSURFACEDESC2 zDesc = ZBufferDesc(width, height);
    void* found = nullptr;
    if (!check(directDraw->CreateSurface(&zDesc, &depth, nullptr)) ||
        !check(back->AddAttachedSurface(depth)) ||
        !check(directDraw->QueryInterface(IID_IDirect3D3, &found))) {
        return false;
    }
    direct3D = static_cast<IDirect3D3*>(found);
    D3DVIEWPORT2 view{sizeof(D3DVIEWPORT2), 0, 0, width, height, -1.0f, 0.0f, 2.0f, 0.0f, 0.0f, 1.0f};
    const float aspect = static_cast<float>(height) / static_cast<float>(width);
    view.dvClipY = -aspect;
    view.dvClipHeight = -2.0f * aspect;
    return check(direct3D->CreateDevice(IID_IDirect3DRGBDevice, back, &device, nullptr)) &&
           check(direct3D->CreateViewport(&viewport, nullptr)) && check(device->AddViewport(viewport)) &&
           check(viewport->SetViewport2(&view)) && check(device->SetCurrentViewport(viewport));
}

void SoftwareChain::SetIntroTransforms() {
    D3DMATRIX world = IdentityMatrix();
    D3DMATRIX view = IntroViewMatrix();
    D3DMATRIX projection = IntroProjectionMatrix();
    device->SetTransform(D3DTRANSFORMSTATE_WORLD, &world);
    device->SetTransform(D3DTRANSFORMSTATE_VIEW, &view);
    device->SetTransform(D3DTRANSFORMSTATE_PROJECTION, &projection);
}

const uint16_t* SoftwareChain::BackPixels() { return LockedPixels(back); }
const uint16_t* SoftwareChain::DepthPixels() { return LockedPixels(depth); }
