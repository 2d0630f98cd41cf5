// Recording fakes of the surfaces, device and viewport a frame draws with.
#pragma once

#include <string>
#include <vector>

#include "platform/d3d/d3d.h"

struct BlitCall {
    DWORD x;
    DWORD y;
    IDirectDrawSurface4* source;
    RECT rect;
    DWORD flags;
};

class FakeSurface : public IDirectDrawSurface4 {
public:
    FakeSurface(DWORD width, DWORD height) : width_(width), height_(height), pixels_(width * height) {}
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    HRESULT AddAttachedSurface(IDirectDrawSurface4*) override { return E_NOTIMPL; }
    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface4* source, RECT* rect, DWORD flags) override {
        blits.push_back({x, y, source, rect != nullptr ? *rect : RECT{}, flags});
        return DD_OK;
    }
    HRESULT Flip(IDirectDrawSurface4*, DWORD flags) override {
        flipFlags.push_back(flags);
        return flipResult;
    }
    HRESULT GetAttachedSurface(DDSCAPS2*, IDirectDrawSurface4**) override { return E_NOTIMPL; }
    HRESULT GetPixelFormat(DDPIXELFORMAT*) override { return E_NOTIMPL; }
    HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc) override { return Describe(desc); }
    HRESULT Lock(RECT*, DDSURFACEDESC2* desc, DWORD, HANDLE) override { return Describe(desc); }
    HRESULT Unlock(RECT*) override { return DD_OK; }
    HRESULT SetColorKey(DWORD, DDCOLORKEY*) override { return DD_OK; }
    HRESULT IsLost() override { return DD_OK; }
    HRESULT Restore() override { return DD_OK; }

    ULONG references = 1;
    std::vector<BlitCall> blits;
    std::vector<DWORD> flipFlags;
    HRESULT flipResult = DD_OK;

private:
    HRESULT Describe(DDSURFACEDESC2* desc) {
        desc->dwWidth = width_;
        desc->dwHeight = height_;
        desc->lPitch = static_cast<LONG>(width_ * 2);
        desc->lpSurface = pixels_.data();
        return DD_OK;
    }
    DWORD width_;
    DWORD height_;
    std::vector<uint16_t> pixels_;
};

class FakeViewport : public IDirect3DViewport3 {
public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT SetViewport2(D3DVIEWPORT2*) override { return D3D_OK; }
    HRESULT Clear2(DWORD count, D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z, DWORD) override {
        clears.push_back({count, count > 0 ? rects[0] : D3DRECT{}, flags, colour, z});
        return D3D_OK;
    }
    HRESULT AddLight(IDirect3DLight*) override { return D3D_OK; }

    struct ClearCall {
        DWORD count;
        D3DRECT rect;
        DWORD flags;
        D3DCOLOR colour;
        float z;
    };
    std::vector<ClearCall> clears;
};

class FakeDevice : public IDirect3DDevice3 {
public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT SetRenderTarget(IDirectDrawSurface4*, DWORD) override { return D3D_OK; }
    HRESULT AddViewport(IDirect3DViewport3*) override { return D3D_OK; }
    HRESULT SetCurrentViewport(IDirect3DViewport3*) override { return D3D_OK; }
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override {
        if (state == D3DTRANSFORMSTATE_WORLD) {
            worlds.push_back(*matrix);
        }
        return D3D_OK;
    }
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE, D3DMATRIX*) override { return E_NOTIMPL; }
    HRESULT SetLightState(D3DLIGHTSTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT SetRenderState(D3DRENDERSTATETYPE, DWORD) override { return D3D_OK; }
    HRESULT BeginScene() override {
        events.push_back("begin");
        return D3D_OK;
    }
    HRESULT EndScene() override {
        events.push_back("end");
        return D3D_OK;
    }
    HRESULT DrawPrimitive(D3DPRIMITIVETYPE, DWORD, LPVOID, DWORD, DWORD) override {
        events.push_back("draw");
        return drawResult;
    }

    std::vector<D3DMATRIX> worlds;
    std::vector<std::string> events;
    HRESULT drawResult = D3D_OK;
};
