// Room dsound/: DirectSound's device, buffers and mixer, and the sound
// outputs behind it. Includes core/ and include/.
// Platform-internal: DirectSound buffers. A secondary buffer is sample memory
// (shared with its duplicates) plus a MixVoice of its own; the primary buffer
// stands for the device output and only takes its format and play state.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/core/com_object.h"
#include "platform/dsound/dsound.h"
#include "platform/dsound/sound_mixer.h"

// What a DirectSound object shares with the buffers it made, so that buffers
// stay usable after the object is released.
struct SoundDeviceShared {
    explicit SoundDeviceShared(DWORD outputRate) : mixer(outputRate) {}
    SoundMixer mixer;
    std::atomic<DWORD> cooperativeLevel{0};
};

class SoundBuffer final : public ComObject<IDirectSoundBuffer, IID_IDirectSoundBuffer> {
  public:
    // Validates the description of a secondary buffer and makes it, silent,
    // stopped at 0. Caller owns the one reference.
    static HRESULT CreateSecondary(const std::shared_ptr<SoundDeviceShared>& device, const DSBUFFERDESC& desc,
                                   SoundBuffer** buffer);
    static HRESULT CreatePrimary(const std::shared_ptr<SoundDeviceShared>& device, const DSBUFFERDESC& desc,
                                 SoundBuffer** buffer);
    // A new buffer on the same memory: own cursor (stopped at 0), same
    // volume, pan, frequency and flags.
    HRESULT Duplicate(SoundBuffer** duplicate);
    bool IsPrimary() const { return (flags_ & DSBCAPS_PRIMARYBUFFER) != 0; }

    HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) override;
    HRESULT GetStatus(DWORD* status) override;
    HRESULT Lock(DWORD offset, DWORD bytes, LPVOID* audio1, DWORD* audioBytes1, LPVOID* audio2,
                 DWORD* audioBytes2, DWORD flags) override;
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override;
    HRESULT SetCurrentPosition(DWORD newPosition) override;
    HRESULT SetFormat(LPCWAVEFORMATEX format) override;
    HRESULT SetVolume(LONG volume) override;
    HRESULT SetPan(LONG pan) override;
    HRESULT SetFrequency(DWORD frequency) override;
    HRESULT Stop() override;
    HRESULT Unlock(LPVOID audio1, DWORD audioBytes1, LPVOID audio2, DWORD audioBytes2) override;
    HRESULT Restore() override;

  private:
    SoundBuffer(std::shared_ptr<SoundDeviceShared> device, DWORD flags, const WAVEFORMATEX& format);
    ~SoundBuffer() override;  // leaves the mixer first
    SoundBuffer(const SoundBuffer&) = delete;
    SoundBuffer& operator=(const SoundBuffer&) = delete;

    DWORD LengthBytes() const { return voice_.frameCount * format_.nBlockAlign; }
    void UpdateGains();  // mutex held
    void UpdateStep();   // mutex held
    std::mutex& Mutex() { return device_->mixer.Mutex(); }

    std::shared_ptr<SoundDeviceShared> device_;
    const DWORD flags_;
    WAVEFORMATEX format_;
    std::shared_ptr<int16_t[]> memory_;  // shared with duplicates

    // Guarded by the mixer's mutex.
    MixVoice voice_;
    LONG volume_ = 0;
    LONG pan_ = 0;
    DWORD frequency_ = 0;  // 0: the format's own rate
    bool primaryPlaying_ = false;
    // One Lock at a time: the caller writes into a copy that Unlock puts in
    // place under the mutex, so the mixer never reads half-written memory.
    std::unique_ptr<uint8_t[]> lockCopy_;
    DWORD lockOffset_ = 0;
    DWORD lockFirst_ = 0;
    DWORD lockSecond_ = 0;
    bool locked_ = false;
};
