// The DirectDraw entry points, their test seams and the first-version
// IDirectDraw interface that DirectDrawCreate hands out.
#include <atomic>

#include "platform/ddraw/direct_draw.h"
#include "platform/ddraw/testing.h"

const IID IID_IDirectDraw = {0x6C14DB80, 0xA733, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectDraw4 = {0x9C59509A, 0x39BD, 0x11D1, {0x8C, 0x4A, 0x00, 0xC0, 0x4F, 0xD9, 0x30, 0xC5}};
const IID IID_IDirectDrawSurface4 = {
    0x0B2B8630, 0xAD35, 0x11D0, {0x8E, 0xA6, 0x00, 0x60, 0x97, 0x97, 0xEA, 0x5B}};

namespace {

std::atomic<DirectDrawCreateFunction> createOverride{nullptr};
std::atomic<DirectDrawEnumerateExFunction> enumerateOverride{nullptr};
std::atomic<bool> screen555{false};

// IDirectDraw only leads to IDirectDraw4; it keeps one reference to the real
// object, which outlives it when the program moves on to IDirectDraw4.
class DirectDrawV1 final : public ComObject<IDirectDraw, IID_IDirectDraw> {
  public:
    explicit DirectDrawV1(DirectDrawObject* object) : object_(object) {}

  private:
    ~DirectDrawV1() override { object_->Release(); }
    HRESULT QueryOther(REFIID riid, void** object) override { return object_->QueryInterface(riid, object); }

    DirectDrawObject* object_;
};

HRESULT CreateStandIn(GUID* guid, IDirectDraw** directDraw, IUnknown* outer) {
    if (directDraw == nullptr) {
        return DDERR_INVALIDPARAMS;
    }
    *directDraw = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    // The one driver is the primary display driver, named by a null GUID.
    if (guid != nullptr) {
        return DDERR_INVALIDDIRECTDRAWGUID;
    }
    *directDraw = new DirectDrawV1(new DirectDrawObject(screen555.load()));
    return DD_OK;
}

HRESULT EnumerateStandIn(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD flags) {
    constexpr DWORD KNOWN_FLAGS =
        DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_DETACHEDSECONDARYDEVICES | DDENUM_NONDISPLAYDEVICES;
    if (callback == nullptr || (flags & ~KNOWN_FLAGS) != 0) {
        return DDERR_INVALIDPARAMS;
    }
    char description[] = "Primary Display Driver";
    char name[] = "display";
    callback(nullptr, description, name, context, nullptr);
    return DD_OK;
}

}  // namespace

HRESULT DirectDrawCreate(GUID* guid, IDirectDraw** directDraw, IUnknown* outer) {
    DirectDrawCreateFunction function = createOverride.load();
    return function != nullptr ? function(guid, directDraw, outer) : CreateStandIn(guid, directDraw, outer);
}

HRESULT DirectDrawEnumerateExA(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD flags) {
    DirectDrawEnumerateExFunction function = enumerateOverride.load();
    return function != nullptr ? function(callback, context, flags)
                               : EnumerateStandIn(callback, context, flags);
}

void SetDirectDrawCreateForTesting(DirectDrawCreateFunction function) { createOverride.store(function); }
void SetDirectDrawEnumerateForTesting(DirectDrawEnumerateExFunction function) {
    enumerateOverride.store(function);
}
void SetScreenFormat555ForTesting(bool rgb555) { screen555.store(rgb555); }
