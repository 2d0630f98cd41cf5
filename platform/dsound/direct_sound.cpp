// IDirectSound on the software mixer, the creation entry and COM activation.
#include <atomic>
#include <cstring>
#include <memory>
#include <new>

#include "platform/core/unsupported.h"
#include "platform/dsound/audio_backend.h"
#include "platform/dsound/dsound.h"
#include "platform/dsound/sound_buffer.h"
#include "platform/dsound/testing.h"

const CLSID CLSID_DirectSound = {
    0x47D4D946, 0x62E8, 0x11CF, {0x93, 0xBC, 0x44, 0x45, 0x54, 0x54, 0x00, 0x00}};
const IID IID_IDirectSound = {0x279AFA83, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};
const IID IID_IDirectSoundBuffer = {
    0x279AFA85, 0x4981, 0x11CE, {0xA5, 0x21, 0x00, 0x20, 0xAF, 0x0B, 0xE5, 0x60}};

namespace {

// The device always mixes 16-bit stereo at this rate; SDL converts if the
// hardware wants something else.
constexpr DWORD OUTPUT_RATE = 44100;

std::atomic<DirectSoundFactory> directSoundFactory{nullptr};
thread_local int comInitCount = 0;

class DirectSoundDevice final : public ComObject<IDirectSound, IID_IDirectSound> {
  public:
    DirectSoundDevice() = default;

    HRESULT Initialize(const GUID* device) override {
        if (shared_ != nullptr) {
            return DSERR_ALREADYINITIALIZED;
        }
        if (device != nullptr) {
            return ReportUnsupported("DirectSound devices other than the default", DSERR_NODRIVER);
        }
        auto shared = std::make_shared<SoundDeviceShared>(OUTPUT_RATE);
        output_ = OpenAudioOutput(static_cast<int>(OUTPUT_RATE), &SoundMixer::Pull, &shared->mixer);
        if (output_ == nullptr) {
            return DSERR_NODRIVER;
        }
        shared_ = std::move(shared);
        return DS_OK;
    }

    HRESULT SetCooperativeLevel(HWND window, DWORD level) override {
        if (shared_ == nullptr) {
            return DSERR_UNINITIALIZED;
        }
        if (window == nullptr || level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) {
            return DSERR_INVALIDPARAM;
        }
        if (level == DSSCL_EXCLUSIVE) {
            ReportUnsupported("DSSCL_EXCLUSIVE (other programs are not silenced)");
        }
        if (level == DSSCL_WRITEPRIMARY) {
            ReportUnsupported("DSSCL_WRITEPRIMARY (the primary buffer cannot be written)");
        }
        shared_->cooperativeLevel.store(level);
        return DS_OK;
    }

    HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer, LPUNKNOWN outer) override {
        if (outer != nullptr) {
            return DSERR_NOAGGREGATION;
        }
        if (desc == nullptr || buffer == nullptr || desc->dwSize != sizeof(DSBUFFERDESC)) {
            return DSERR_INVALIDPARAM;
        }
        *buffer = nullptr;
        if (shared_ == nullptr) {
            return DSERR_UNINITIALIZED;
        }
        SoundBuffer* created = nullptr;
        HRESULT result = (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) != 0
                             ? SoundBuffer::CreatePrimary(shared_, *desc, &created)
                             : SoundBuffer::CreateSecondary(shared_, *desc, &created);
        *buffer = created;
        return result;
    }

    HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original, LPDIRECTSOUNDBUFFER* duplicate) override {
        if (original == nullptr || duplicate == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        *duplicate = nullptr;
        if (shared_ == nullptr) {
            return DSERR_UNINITIALIZED;
        }
        auto* ours = dynamic_cast<SoundBuffer*>(original);
        if (ours == nullptr) {
            return DSERR_INVALIDPARAM;
        }
        SoundBuffer* created = nullptr;
        HRESULT result = ours->Duplicate(&created);
        *duplicate = created;
        return result;
    }

    HRESULT GetCaps(LPDSCAPS caps) override {
        if (caps == nullptr || caps->dwSize != sizeof(DSCAPS)) {
            return DSERR_INVALIDPARAM;
        }
        if (shared_ == nullptr) {
            return DSERR_UNINITIALIZED;
        }
        // A software mixer: no hardware mixing buffers of any kind.
        std::memset(reinterpret_cast<char*>(caps) + sizeof(DWORD), 0, sizeof(DSCAPS) - sizeof(DWORD));
        caps->dwMinSecondarySampleRate = DSBFREQUENCY_MIN;
        caps->dwMaxSecondarySampleRate = DSBFREQUENCY_MAX;
        caps->dwPrimaryBuffers = 1;
        return DS_OK;
    }

  private:
    ~DirectSoundDevice() override { output_.reset(); }  // no more pulls; buffers keep the mixer alive

    std::shared_ptr<SoundDeviceShared> shared_;
    std::unique_ptr<AudioOutput> output_;
};

HRESULT CreateDirectSoundObject(LPDIRECTSOUND* directSound) {
    if (DirectSoundFactory factory = directSoundFactory.load()) {
        return factory(directSound);
    }
    *directSound = new (std::nothrow) DirectSoundDevice();
    return *directSound != nullptr ? DS_OK : DSERR_OUTOFMEMORY;
}

}  // namespace

void SetDirectSoundFactoryForTesting(DirectSoundFactory factory) { directSoundFactory.store(factory); }

HRESULT DirectSoundCreate(const GUID* device, LPDIRECTSOUND* directSound, LPUNKNOWN outer) {
    if (directSound == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    *directSound = nullptr;
    if (outer != nullptr) {
        return DSERR_NOAGGREGATION;
    }
    LPDIRECTSOUND created = nullptr;
    HRESULT result = CreateDirectSoundObject(&created);
    if (FAILED(result) || created == nullptr) {
        return FAILED(result) ? result : DSERR_GENERIC;
    }
    result = created->Initialize(device);
    if (FAILED(result)) {
        created->Release();
        return result;
    }
    *directSound = created;
    return DS_OK;
}

HRESULT CoInitialize(LPVOID /*reserved*/) { return comInitCount++ == 0 ? S_OK : S_FALSE; }

void CoUninitialize() {
    if (comInitCount > 0) {
        --comInitCount;
    }
}

HRESULT CoCreateInstance(REFCLSID classId, LPUNKNOWN outer, DWORD context, REFIID interfaceId,
                         LPVOID* object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (comInitCount == 0) {
        return CO_E_NOTINITIALIZED;
    }
    if (!(classId == CLSID_DirectSound) || (context & CLSCTX_INPROC_SERVER) == 0) {
        return REGDB_E_CLASSNOTREG;
    }
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    if (!(interfaceId == IID_IDirectSound)) {
        return E_NOINTERFACE;
    }
    LPDIRECTSOUND created = nullptr;
    HRESULT result = CreateDirectSoundObject(&created);
    if (FAILED(result)) {
        return result;
    }
    *object = created;
    return created != nullptr ? S_OK : E_OUTOFMEMORY;
}
