#include "tests/support/fake_direct_sound.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/dsound/testing.h"

namespace {

std::atomic<FakeDirectSound*> installed{nullptr};

HRESULT HandOutFake(LPDIRECTSOUND* directSound) {
    FakeDirectSound* fake = installed.load();
    fake->AddRef();
    *directSound = fake;
    return DS_OK;
}

}  // namespace

void InstallFakeDirectSound(FakeDirectSound* fake) {
    installed.store(fake);
    SetDirectSoundFactoryForTesting(fake != nullptr ? HandOutFake : nullptr);
}

// ---- FakeSoundBuffer ----------------------------------------------------------
FakeSoundBuffer::FakeSoundBuffer(FakeDirectSound* owner, DWORD bufferFlags,
                                 std::shared_ptr<std::vector<uint8_t>> bytes, const FakeSoundBuffer* original)
    : flags(bufferFlags), data(std::move(bytes)), duplicateOf(original), owner_(owner) {}

void FakeSoundBuffer::Record(std::string call) { calls.push_back(std::move(call)); }

ULONG FakeSoundBuffer::AddRef() {
    std::lock_guard lock(owner_->mutex);
    return static_cast<ULONG>(++references);
}

ULONG FakeSoundBuffer::Release() {
    std::lock_guard lock(owner_->mutex);
    Record("Release");
    return static_cast<ULONG>(--references);
}

HRESULT FakeSoundBuffer::GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) {
    std::lock_guard lock(owner_->mutex);
    *playCursor = position;
    *writeCursor = position;
    return DS_OK;
}

HRESULT FakeSoundBuffer::GetStatus(DWORD* status) {
    std::lock_guard lock(owner_->mutex);
    *status = playing ? DSBSTATUS_PLAYING : 0;
    return DS_OK;
}

HRESULT FakeSoundBuffer::Lock(DWORD offset, DWORD bytes, LPVOID* audio1, DWORD* audioBytes1, LPVOID* audio2,
                              DWORD* audioBytes2, DWORD /*lockFlags*/) {
    std::lock_guard lock(owner_->mutex);
    if (loseNextLock) {
        loseNextLock = false;
        Record("Lock:lost");
        return DSERR_BUFFERLOST;
    }
    Record("Lock");
    if (offset + bytes > data->size()) {
        return DSERR_INVALIDPARAM;
    }
    DWORD first = splitLock ? bytes / 2 : bytes;
    *audio1 = data->data() + offset;
    *audioBytes1 = first;
    *audio2 = first < bytes ? data->data() + offset + first : nullptr;
    *audioBytes2 = bytes - first;
    return DS_OK;
}

HRESULT FakeSoundBuffer::Play(DWORD, DWORD, DWORD playFlags) {
    std::lock_guard lock(owner_->mutex);
    Record("Play:" + std::to_string(playFlags));
    playing = true;
    return DS_OK;
}

HRESULT FakeSoundBuffer::SetFormat(LPCWAVEFORMATEX newFormat) {
    return Note("SetFormat:" + std::to_string(newFormat->nChannels) + "x" +
                std::to_string(newFormat->nSamplesPerSec));
}

std::vector<int16_t> FakeSoundBuffer::Samples() const {
    std::vector<int16_t> samples(data->size() / 2);
    std::memcpy(samples.data(), data->data(), samples.size() * 2);
    return samples;
}

std::string FakeSoundBuffer::CallText() const {
    std::string text;
    for (const std::string& call : calls) {
        text += (text.empty() ? "" : " ") + call;
    }
    return text;
}

// ---- FakeDirectSound ----------------------------------------------------------
ULONG FakeDirectSound::AddRef() {
    std::lock_guard lock(mutex);
    return static_cast<ULONG>(++references);
}

ULONG FakeDirectSound::Release() {
    std::lock_guard lock(mutex);
    return static_cast<ULONG>(--references);
}

HRESULT FakeDirectSound::CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer, LPUNKNOWN) {
    std::lock_guard lock(mutex);
    *buffer = nullptr;
    if ((desc->dwFlags & DSBCAPS_PRIMARYBUFFER) == 0) {
        if (onCreateBuffer) {
            onCreateBuffer();
        }
        if (((desc->dwFlags & DSBCAPS_LOCHARDWARE) != 0 && failHardwareCreation) ||
            ((desc->dwFlags & DSBCAPS_LOCSOFTWARE) != 0 && failSoftwareCreation)) {
            return DSERR_ALLOCATED;
        }
    }
    auto bytes = std::make_shared<std::vector<uint8_t>>(desc->dwBufferBytes, 0xEE);
    buffers.push_back(std::make_unique<FakeSoundBuffer>(this, desc->dwFlags, bytes, nullptr));
    if (desc->lpwfxFormat != nullptr) {
        buffers.back()->format = *desc->lpwfxFormat;
    }
    buffers.back()->loseNextLock = newBuffersLoseLock;
    *buffer = buffers.back().get();
    return DS_OK;
}

HRESULT FakeDirectSound::GetCaps(LPDSCAPS caps) {
    std::lock_guard lock(mutex);
    if (caps->dwSize != sizeof(DSCAPS)) {
        return DSERR_INVALIDPARAM;
    }
    caps->dwFreeHwMixingAllBuffers = freeHardwareBuffers;
    return DS_OK;
}

HRESULT FakeDirectSound::DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original, LPDIRECTSOUNDBUFFER* duplicate) {
    std::lock_guard lock(mutex);
    *duplicate = nullptr;
    if (failDuplicate) {
        return DSERR_ALLOCATED;
    }
    auto* source = static_cast<FakeSoundBuffer*>(original);
    buffers.push_back(std::make_unique<FakeSoundBuffer>(this, source->flags, source->data, source));
    *duplicate = buffers.back().get();
    return DS_OK;
}

HRESULT FakeDirectSound::SetCooperativeLevel(HWND window, DWORD level) {
    std::lock_guard lock(mutex);
    cooperativeWindow = window;
    cooperativeLevel = level;
    return cooperativeResult;
}

HRESULT FakeDirectSound::Initialize(const GUID*) {
    std::lock_guard lock(mutex);
    ++initializeCalls;
    if (onInitialize) {
        onInitialize();
    }
    return initializeResult;
}

int FakeDirectSound::LiveBuffers() {
    std::lock_guard lock(mutex);
    return static_cast<int>(
        std::count_if(buffers.begin(), buffers.end(), [](const auto& b) { return b->references > 0; }));
}
