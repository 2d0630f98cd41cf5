// Fakes and helpers shared by the application tests.
#pragma once

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/ddraw/ddraw.h"

inline std::string ReadFile(const char* path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// A surface that only counts its references; every other call fails loudly.
class CountingSurface : public IDirectDrawSurface4 {
public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return ++references; }
    ULONG Release() override { return --references; }
    HRESULT AddAttachedSurface(IDirectDrawSurface4*) override { return E_NOTIMPL; }
    HRESULT BltFast(DWORD, DWORD, IDirectDrawSurface4*, RECT*, DWORD) override { return E_NOTIMPL; }
    HRESULT Flip(IDirectDrawSurface4*, DWORD) override { return E_NOTIMPL; }
    HRESULT GetAttachedSurface(DDSCAPS2*, IDirectDrawSurface4**) override { return E_NOTIMPL; }
    HRESULT GetPixelFormat(DDPIXELFORMAT*) override { return E_NOTIMPL; }
    HRESULT GetSurfaceDesc(DDSURFACEDESC2*) override { return E_NOTIMPL; }
    HRESULT Lock(RECT*, DDSURFACEDESC2*, DWORD, HANDLE) override { return E_NOTIMPL; }
    HRESULT Unlock(RECT*) override { return E_NOTIMPL; }
    HRESULT SetColorKey(DWORD, DDCOLORKEY*) override { return E_NOTIMPL; }
    HRESULT IsLost() override { return DD_OK; }
    HRESULT Restore() override { return DD_OK; }
    ULONG references = 1;
};

// Records the cooperative levels asked for, into a shared event list.
class RecordingDirectDraw : public IDirectDraw4 {
public:
    explicit RecordingDirectDraw(std::vector<std::string>* events) : events_(events) {}
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 2; }
    ULONG Release() override { return 1; }
    HRESULT SetCooperativeLevel(HWND, DWORD flags) override {
        events_->push_back("cooperative " + std::to_string(flags));
        return DD_OK;
    }
    HRESULT SetDisplayMode(DWORD, DWORD, DWORD, DWORD, DWORD) override { return E_NOTIMPL; }
    HRESULT CreateSurface(DDSURFACEDESC2*, IDirectDrawSurface4**, IUnknown*) override { return E_NOTIMPL; }

private:
    std::vector<std::string>* events_;
};
