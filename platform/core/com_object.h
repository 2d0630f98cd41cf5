// The reference count and QueryInterface that every stand-in object shares.
// Part of the stand-in's core: includes only the public headers.
#pragma once

#include <atomic>

#include "platform/win32/windows.h"

// An object implementing `Interface`, found by QueryInterface under `Iid`.
// It starts with one reference and deletes itself when the last is released;
// the count is atomic, so an object may be handed between threads. A class
// that can be reached under more identifiers overrides QueryOther.
template <typename Interface, const IID& Iid>
class ComObject : public Interface {
  public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) final {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        if (riid == Iid) {
            AddRef();
            *object = static_cast<Interface*>(this);
            return S_OK;
        }
        return QueryOther(riid, object);
    }

    ULONG AddRef() final { return references_.fetch_add(1, std::memory_order_relaxed) + 1; }

    // The destructor runs on the thread that releases the last reference.
    ULONG Release() final {
        const ULONG left = references_.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) {
            delete this;
        }
        return left;
    }

  protected:
    ComObject() = default;
    ~ComObject() override = default;

    // Identifiers other than Iid: E_NOINTERFACE unless a class knows more.
    // `object` is not null and already cleared.
    virtual HRESULT QueryOther(REFIID /*riid*/, void** /*object*/) { return E_NOINTERFACE; }

  private:
    std::atomic<ULONG> references_{1};
};
