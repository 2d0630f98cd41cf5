// One Direct3D light and its description. The setters only change desc;
// nothing reaches Direct3D before Create or Apply. The Direct3D object is
// reached through a pointer to the scene's direct3D pointer. Main thread only.
#pragma once

#include "platform/d3d/d3d.h"

// Returned by Create when the light belongs to no scene with a Direct3D object.
constexpr HRESULT LIGHT_NOT_IN_SCENE = 16;

class SceneLight {
  public:
    SceneLight();
    // Releases the light (it stays attached to its viewport) and clears desc.
    ~SceneLight();
    SceneLight(const SceneLight&) = delete;
    SceneLight& operator=(const SceneLight&) = delete;

    // Creates the light with the default description (a white, inactive point
    // light at the origin) and attaches it to viewport. Returns 0, 16 without
    // a Direct3D object, E_POINTER without a viewport, or the failing call's code.
    HRESULT Create(IDirect3DViewport3* viewport);

    void SetPosition(float x, float y, float z);
    void SetType(DWORD type);
    // Red, green and blue only; alpha is left as it is.
    void SetColor(float r, float g, float b);

    // Marks the light active and hands desc to Direct3D. Returns 0, the call's
    // failure code, or E_POINTER before Create.
    HRESULT Apply();

    IDirect3DLight* light = nullptr;  // one reference owned
    D3DLIGHT2 desc;
    IDirect3D3** direct3DRef = nullptr;  // the scene's direct3D field, not owned
};
