// The Direct3D 6 immediate-mode subset the intro calls (IDirect3D3,
// IDirect3DDevice3, IDirect3DViewport3, IDirect3DMaterial3, IDirect3DLight),
// implemented by our software rasteriser in platform/d3d/. Main thread only.
#pragma once

#include "platform/ddraw/ddraw.h"

// ---- Types -----------------------------------------------------------------
using D3DCOLOR = DWORD;  // ARGB bytes
using D3DMATERIALHANDLE = DWORD;

struct D3DCOLORVALUE {
    float r, g, b, a;
};
struct D3DVECTOR {
    float x, y, z;
};
struct D3DMATRIX {  // row-major; points are row vectors, translation in row 4
    float _11, _12, _13, _14;
    float _21, _22, _23, _24;
    float _31, _32, _33, _34;
    float _41, _42, _43, _44;
};
struct D3DVERTEX {  // D3DFVF_VERTEX: position, normal, one texture pair
    float x, y, z;
    float nx, ny, nz;
    float tu, tv;
};
static_assert(sizeof(D3DVERTEX) == 32);
struct D3DRECT {
    LONG x1, y1, x2, y2;
};

struct D3DVIEWPORT2 {
    DWORD dwSize;  // 44
    DWORD dwX;
    DWORD dwY;
    DWORD dwWidth;
    DWORD dwHeight;
    float dvClipX;
    float dvClipY;
    float dvClipWidth;
    float dvClipHeight;
    float dvMinZ;
    float dvMaxZ;
};
static_assert(sizeof(D3DVIEWPORT2) == 44);

enum D3DLIGHTTYPE : DWORD { D3DLIGHT_POINT = 1, D3DLIGHT_SPOT = 2, D3DLIGHT_DIRECTIONAL = 3 };
constexpr DWORD D3DLIGHT_ACTIVE = 0x00000001;
constexpr float D3DLIGHT_RANGE_MAX = 1.8446743e19f;  // sqrt(FLT_MAX)

struct D3DLIGHT2 {  // 80 bytes
    DWORD dwSize;
    D3DLIGHTTYPE dltType;
    D3DCOLORVALUE dcvColor;
    D3DVECTOR dvPosition;
    D3DVECTOR dvDirection;
    float dvRange;
    float dvFalloff;
    float dvAttenuation0;
    float dvAttenuation1;
    float dvAttenuation2;
    float dvTheta;
    float dvPhi;
    DWORD dwFlags;
};
static_assert(sizeof(D3DLIGHT2) == 80);

struct D3DMATERIAL {  // 80 bytes
    DWORD dwSize;
    D3DCOLORVALUE diffuse;
    D3DCOLORVALUE ambient;
    D3DCOLORVALUE specular;
    D3DCOLORVALUE emissive;
    float power;
    DWORD hTexture;
    DWORD dwRampSize;
};
static_assert(sizeof(D3DMATERIAL) == 80);

enum D3DTRANSFORMSTATETYPE : DWORD {
    D3DTRANSFORMSTATE_WORLD = 1,
    D3DTRANSFORMSTATE_VIEW = 2,
    D3DTRANSFORMSTATE_PROJECTION = 3
};
enum D3DLIGHTSTATETYPE : DWORD { D3DLIGHTSTATE_MATERIAL = 1, D3DLIGHTSTATE_AMBIENT = 2 };
enum D3DRENDERSTATETYPE : DWORD {
    D3DRENDERSTATE_ZENABLE = 7,
    D3DRENDERSTATE_SHADEMODE = 9,
    D3DRENDERSTATE_CULLMODE = 22,
    D3DRENDERSTATE_SPECULARENABLE = 29
};
constexpr DWORD D3DSHADE_FLAT = 1;
constexpr DWORD D3DSHADE_GOURAUD = 2;
constexpr DWORD D3DCULL_NONE = 1;
constexpr DWORD D3DCULL_CW = 2;
constexpr DWORD D3DCULL_CCW = 3;
enum D3DPRIMITIVETYPE : DWORD { D3DPT_TRIANGLELIST = 4 };
constexpr DWORD D3DFVF_VERTEX = 0x112;
constexpr DWORD D3DDP_WAIT = 0x00000001;
constexpr DWORD D3DDP_DONOTLIGHT = 0x00000010;
constexpr DWORD D3DCLEAR_TARGET = 0x00000001;
constexpr DWORD D3DCLEAR_ZBUFFER = 0x00000002;
constexpr HRESULT D3DENUMRET_CANCEL = 0;
constexpr HRESULT D3DENUMRET_OK = 1;

// ---- Result codes ----------------------------------------------------------
constexpr HRESULT D3D_OK = S_OK;
constexpr HRESULT D3DERR_INVALID_DEVICE = MAKE_DDHRESULT(705);
constexpr HRESULT D3DERR_INVALIDPRIMITIVETYPE = MAKE_DDHRESULT(2068);
constexpr HRESULT D3DERR_INVALIDVERTEXTYPE = MAKE_DDHRESULT(2069);
constexpr HRESULT D3DERR_INVALIDVERTEXFORMAT = MAKE_DDHRESULT(2072);
constexpr HRESULT D3DERR_SCENE_IN_SCENE = MAKE_DDHRESULT(760);
constexpr HRESULT D3DERR_SCENE_NOT_IN_SCENE = MAKE_DDHRESULT(761);
constexpr HRESULT D3DERR_VIEWPORTHASNODEVICE = MAKE_DDHRESULT(2062);
constexpr HRESULT D3DERR_NOCURRENTVIEWPORT = MAKE_DDHRESULT(2067);
constexpr HRESULT D3DERR_ZBUFFER_NOTPRESENT = MAKE_DDHRESULT(768);

// ---- Interfaces ------------------------------------------------------------
extern const IID IID_IDirect3D3;
extern const IID IID_IDirect3DHALDevice;
extern const IID IID_IDirect3DRGBDevice;
extern const IID IID_IDirect3DDevice3;
extern const IID IID_IDirect3DViewport3;
extern const IID IID_IDirect3DMaterial3;
extern const IID IID_IDirect3DLight;

class IDirect3DDevice3;

class IDirect3DLight : public IUnknown {
  public:
    virtual HRESULT SetLight(D3DLIGHT2* light) = 0;
};

class IDirect3DMaterial3 : public IUnknown {
  public:
    virtual HRESULT SetMaterial(D3DMATERIAL* material) = 0;
    virtual HRESULT GetHandle(IDirect3DDevice3* device, D3DMATERIALHANDLE* handle) = 0;
};

class IDirect3DViewport3 : public IUnknown {
  public:
    virtual HRESULT SetViewport2(D3DVIEWPORT2* viewport) = 0;
    virtual HRESULT Clear2(DWORD count, D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z,
                           DWORD stencil) = 0;
    virtual HRESULT AddLight(IDirect3DLight* light) = 0;
};

class IDirect3DDevice3 : public IUnknown {
  public:
    virtual HRESULT SetRenderTarget(IDirectDrawSurface4* target, DWORD flags) = 0;
    virtual HRESULT AddViewport(IDirect3DViewport3* viewport) = 0;
    virtual HRESULT SetCurrentViewport(IDirect3DViewport3* viewport) = 0;
    virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
    virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
    virtual HRESULT SetLightState(D3DLIGHTSTATETYPE state, DWORD value) = 0;
    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    virtual HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, DWORD vertexFormat, LPVOID vertices, DWORD count,
                                  DWORD flags) = 0;
};

using LPD3DENUMPIXELFORMATSCALLBACK = HRESULT (*)(DDPIXELFORMAT* format, LPVOID context);

class IDirect3D3 : public IUnknown {
  public:
    // The HAL device has no hardware here and fails; the RGB device offers a
    // 16-bit pure depth format.
    virtual HRESULT EnumZBufferFormats(REFCLSID device, LPD3DENUMPIXELFORMATSCALLBACK callback,
                                       LPVOID context) = 0;
    virtual HRESULT CreateDevice(REFCLSID device, IDirectDrawSurface4* target, IDirect3DDevice3** result,
                                 IUnknown* outer) = 0;
    virtual HRESULT CreateViewport(IDirect3DViewport3** viewport, IUnknown* outer) = 0;
    virtual HRESULT CreateLight(IDirect3DLight** light, IUnknown* outer) = 0;
    virtual HRESULT CreateMaterial(IDirect3DMaterial3** material, IUnknown* outer) = 0;
};
