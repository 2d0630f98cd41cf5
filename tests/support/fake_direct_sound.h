// A DirectSound fake for the output driver's tests: buffers that record what
// the driver asks of them and whose status and cursor a test sets by hand.
// Thread-safe, so it also serves tests that run the real timer thread.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/dsound/dsound.h"

class FakeDirectSound;

class FakeSoundBuffer final : public IDirectSoundBuffer {
  public:
    FakeSoundBuffer(FakeDirectSound* owner, DWORD flags, std::shared_ptr<std::vector<uint8_t>> data,
                    const FakeSoundBuffer* original);

    // State a test reads or sets (under the owner's mutex when threads run).
    DWORD flags;
    std::shared_ptr<std::vector<uint8_t>> data;
    const FakeSoundBuffer* duplicateOf;
    bool playing = false;
    DWORD position = 0;  // bytes
    LONG volume = 0;
    LONG pan = 0;
    DWORD frequency = 0;
    int references = 1;
    bool loseNextLock = false;
    bool splitLock = false;  // Lock answers with two regions
    WAVEFORMATEX format{};
    std::vector<std::string> calls;

    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) override;
    HRESULT GetStatus(DWORD* status) override;
    HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* audio1, DWORD* audioBytes1, LPVOID* audio2,
                 DWORD* audioBytes2, DWORD flags) override;
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override;
    HRESULT SetCurrentPosition(DWORD value) override { return Set("SetCurrentPosition", position, value); }
    HRESULT SetFormat(LPCWAVEFORMATEX format) override;
    HRESULT SetVolume(LONG value) override { return Set("SetVolume", volume, value); }
    HRESULT SetPan(LONG value) override { return Set("SetPan", pan, value); }
    HRESULT SetFrequency(DWORD value) override { return Set("SetFrequency", frequency, value); }
    HRESULT Stop() override { return Set("Stop", playing, false); }
    HRESULT Unlock(LPVOID, DWORD, LPVOID, DWORD) override { return Note("Unlock"); }
    HRESULT Restore() override { return Note("Restore"); }

    std::vector<int16_t> Samples() const;
    // Calls recorded since the last ClearCalls, joined by spaces.
    std::string CallText() const;
    void ClearCalls() { calls.clear(); }

  private:
    void Record(std::string call);
    HRESULT Note(const std::string& call);
    // Records "call:value" (the call alone for a flag) and sets the field.
    template <class Value>
    HRESULT Set(const char* call, Value& field, Value value);
    FakeDirectSound* owner_;
};

class FakeDirectSound final : public IDirectSound {
  public:
    // Behaviour a test chooses.
    DWORD freeHardwareBuffers = 0;
    bool failHardwareCreation = false;
    bool failSoftwareCreation = false;
    bool failDuplicate = false;
    HRESULT initializeResult = DS_OK;
    HRESULT cooperativeResult = DS_OK;
    // Runs inside CreateSoundBuffer of secondary buffers (a test's probe).
    std::function<void()> onCreateBuffer;
    std::function<void()> onInitialize;
    bool newBuffersLoseLock = false;

    // What happened.
    int references = 1;
    int initializeCalls = 0;
    DWORD cooperativeLevel = 0;
    HWND cooperativeWindow = nullptr;
    std::vector<std::unique_ptr<FakeSoundBuffer>> buffers;  // every buffer ever made, in order

    std::recursive_mutex mutex;

    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT CreateSoundBuffer(LPCDSBUFFERDESC desc, LPDIRECTSOUNDBUFFER* buffer, LPUNKNOWN outer) override;
    HRESULT GetCaps(LPDSCAPS caps) override;
    HRESULT DuplicateSoundBuffer(LPDIRECTSOUNDBUFFER original, LPDIRECTSOUNDBUFFER* duplicate) override;
    HRESULT SetCooperativeLevel(HWND window, DWORD level) override;
    HRESULT Initialize(const GUID* device) override;

    FakeSoundBuffer* Buffer(size_t index) { return buffers.at(index).get(); }
    // Buffers not released yet.
    int LiveBuffers();
};

inline HRESULT FakeSoundBuffer::Note(const std::string& call) {
    std::lock_guard lock(owner_->mutex);
    Record(call);
    return DS_OK;
}

template <class Value>
HRESULT FakeSoundBuffer::Set(const char* call, Value& field, Value value) {
    std::lock_guard lock(owner_->mutex);
    Record(std::is_same_v<Value, bool> ? call : call + (":" + std::to_string(value)));
    field = value;
    return DS_OK;
}

// Makes the stand-in's entries hand out `fake` (null: back to the stand-in).
// The fake is AddRef'd for every object handed out.
void InstallFakeDirectSound(FakeDirectSound* fake);
