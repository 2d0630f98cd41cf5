#include "platform/dsound/sound_buffer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/core/unsupported.h"

namespace {

// How far the write cursor leads the play cursor.
constexpr DWORD WRITE_LEAD_MS = 10;
// The capabilities a secondary buffer may ask for; every buffer is memory
// mixed in software, so DSBCAPS_STATIC asks for nothing more.
constexpr DWORD SECONDARY_CAPS = DSBCAPS_STATIC | DSBCAPS_LOCHARDWARE | DSBCAPS_LOCSOFTWARE |
                                 DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME |
                                 DSBCAPS_GETCURRENTPOSITION2;

// 16-bit PCM, mono or stereo, at a rate a buffer can play.
bool IsSupportedFormat(const WAVEFORMATEX& format) {
    return format.wFormatTag == WAVE_FORMAT_PCM && (format.nChannels == 1 || format.nChannels == 2) &&
           format.wBitsPerSample == 16 && format.nBlockAlign == format.nChannels * 2 &&
           format.nSamplesPerSec >= DSBFREQUENCY_MIN && format.nSamplesPerSec <= DSBFREQUENCY_MAX;
}

// 8-bit and compressed sound is refused as an unsupported format.
void ReportFormat(const WAVEFORMATEX& format) {
    if (format.wFormatTag != WAVE_FORMAT_PCM || format.wBitsPerSample != 16) {
        ReportUnsupported("sound formats other than 16-bit PCM");
    }
}

}  // namespace

SoundBuffer::SoundBuffer(std::shared_ptr<SoundDeviceShared> device, DWORD flags, const WAVEFORMATEX& format)
    : device_(std::move(device)), flags_(flags), format_(format) {}

HRESULT SoundBuffer::CreateSecondary(const std::shared_ptr<SoundDeviceShared>& device,
                                     const DSBUFFERDESC& desc, SoundBuffer** buffer) {
    *buffer = nullptr;
    if (desc.lpwfxFormat == nullptr || desc.dwBufferBytes < DSBSIZE_MIN || desc.dwBufferBytes > DSBSIZE_MAX) {
        return DSERR_INVALIDPARAM;
    }
    if ((desc.dwFlags & DSBCAPS_LOCHARDWARE) != 0 && (desc.dwFlags & DSBCAPS_LOCSOFTWARE) != 0) {
        return DSERR_INVALIDPARAM;
    }
    if ((desc.dwFlags & DSBCAPS_LOCHARDWARE) != 0) {
        return DSERR_INVALIDCALL;  // the mixer is software: there are no hardware voices
    }
    if ((desc.dwFlags & ~SECONDARY_CAPS) != 0) {
        ReportUnsupported("sound buffer capabilities other than the volume, pan and frequency controls");
    }
    const WAVEFORMATEX& format = *desc.lpwfxFormat;
    if (!IsSupportedFormat(format)) {
        ReportFormat(format);
        return DSERR_BADFORMAT;
    }
    DWORD frames = desc.dwBufferBytes / format.nBlockAlign;
    if (frames == 0) {
        return DSERR_INVALIDPARAM;
    }
    size_t samples = static_cast<size_t>(frames) * format.nChannels;
    std::shared_ptr<int16_t[]> memory(new (std::nothrow) int16_t[samples]());
    if (memory == nullptr) {
        return DSERR_OUTOFMEMORY;
    }
    auto* created = new (std::nothrow) SoundBuffer(device, desc.dwFlags, format);
    if (created == nullptr) {
        return DSERR_OUTOFMEMORY;
    }
    created->memory_ = std::move(memory);
    created->voice_.samples = created->memory_.get();
    created->voice_.frameCount = frames;
    created->voice_.channels = format.nChannels;
    std::lock_guard lock(created->Mutex());
    created->UpdateStep();
    created->UpdateGains();
    *buffer = created;
    return DS_OK;
}

HRESULT SoundBuffer::CreatePrimary(const std::shared_ptr<SoundDeviceShared>& device, const DSBUFFERDESC& desc,
                                   SoundBuffer** buffer) {
    *buffer = nullptr;
    if (desc.dwBufferBytes != 0 || desc.lpwfxFormat != nullptr) {
        return DSERR_INVALIDPARAM;
    }
    // The device's own format until SetFormat.
    WAVEFORMATEX format{
        WAVE_FORMAT_PCM, 2, device->mixer.OutputRate(), device->mixer.OutputRate() * 4, 4, 16, 0};
    auto* created = new (std::nothrow) SoundBuffer(device, desc.dwFlags, format);
    if (created == nullptr) {
        return DSERR_OUTOFMEMORY;
    }
    *buffer = created;
    return DS_OK;
}

HRESULT SoundBuffer::Duplicate(SoundBuffer** duplicate) {
    *duplicate = nullptr;
    if (IsPrimary()) {
        return DSERR_INVALIDCALL;
    }
    auto* created = new (std::nothrow) SoundBuffer(device_, flags_, format_);
    if (created == nullptr) {
        return DSERR_OUTOFMEMORY;
    }
    std::lock_guard lock(Mutex());
    created->memory_ = memory_;
    created->voice_ = voice_;
    created->voice_.position = 0;
    created->voice_.playing = false;
    created->voice_.looping = false;
    created->volume_ = volume_;
    created->pan_ = pan_;
    created->frequency_ = frequency_;
    *duplicate = created;
    return DS_OK;
}

SoundBuffer::~SoundBuffer() {
    std::lock_guard lock(Mutex());
    device_->mixer.StopVoice(&voice_);
}

HRESULT SoundBuffer::GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) {
    if (IsPrimary()) {
        return ReportUnsupported("the primary buffer's cursors", DSERR_INVALIDCALL);
    }
    std::lock_guard lock(Mutex());
    DWORD frame = static_cast<DWORD>(voice_.position >> MIX_FRACTION_BITS);
    DWORD play = frame * format_.nBlockAlign;
    DWORD write = play;
    if (voice_.playing) {
        DWORD rate = frequency_ != 0 ? frequency_ : format_.nSamplesPerSec;
        write = (play + rate * WRITE_LEAD_MS / 1000 * format_.nBlockAlign) % LengthBytes();
    }
    if (playCursor != nullptr) {
        *playCursor = play;
    }
    if (writeCursor != nullptr) {
        *writeCursor = write;
    }
    return DS_OK;
}

HRESULT SoundBuffer::GetStatus(DWORD* status) {
    if (status == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    std::lock_guard lock(Mutex());
    if (IsPrimary()) {
        *status = primaryPlaying_ ? (DSBSTATUS_PLAYING | DSBSTATUS_LOOPING) : 0;
        return DS_OK;
    }
    *status = voice_.playing ? DSBSTATUS_PLAYING : 0;
    if (voice_.playing && voice_.looping) {
        *status |= DSBSTATUS_LOOPING;
    }
    return DS_OK;
}

HRESULT SoundBuffer::Lock(DWORD offset, DWORD bytes, LPVOID* audio1, DWORD* audioBytes1, LPVOID* audio2,
                          DWORD* audioBytes2, DWORD flags) {
    if (IsPrimary()) {
        return ReportUnsupported("Lock of the primary buffer", DSERR_INVALIDCALL);
    }
    if (audio1 == nullptr || audioBytes1 == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    std::lock_guard lock(Mutex());
    if (locked_) {
        return DSERR_INVALIDCALL;
    }
    const DWORD length = LengthBytes();
    if ((flags & DSBLOCK_ENTIREBUFFER) != 0) {
        offset = 0;
        bytes = length;
    } else if ((flags & DSBLOCK_FROMWRITECURSOR) != 0) {
        DWORD rate = frequency_ != 0 ? frequency_ : format_.nSamplesPerSec;
        DWORD play = static_cast<DWORD>(voice_.position >> MIX_FRACTION_BITS) * format_.nBlockAlign;
        offset = voice_.playing ? (play + rate * WRITE_LEAD_MS / 1000 * format_.nBlockAlign) % length : play;
    }
    if (offset >= length || bytes == 0 || bytes > length) {
        return DSERR_INVALIDPARAM;
    }
    DWORD first = std::min(bytes, length - offset);
    DWORD second =
        audio2 != nullptr ? bytes - first : 0;  // without a second pointer the lock stops at the end
    lockCopy_.reset(new (std::nothrow) uint8_t[first + second]);
    if (lockCopy_ == nullptr) {
        return DSERR_OUTOFMEMORY;
    }
    const auto* source = reinterpret_cast<const uint8_t*>(memory_.get());
    std::memcpy(lockCopy_.get(), source + offset, first);
    std::memcpy(lockCopy_.get() + first, source, second);
    lockOffset_ = offset;
    lockFirst_ = first;
    lockSecond_ = second;
    locked_ = true;
    *audio1 = lockCopy_.get();
    *audioBytes1 = first;
    if (audio2 != nullptr) {
        *audio2 = second != 0 ? lockCopy_.get() + first : nullptr;
    }
    if (audioBytes2 != nullptr) {
        *audioBytes2 = second;
    }
    return DS_OK;
}

HRESULT SoundBuffer::Unlock(LPVOID audio1, DWORD audioBytes1, LPVOID audio2, DWORD audioBytes2) {
    std::lock_guard lock(Mutex());
    if (!locked_) {
        return DSERR_INVALIDCALL;
    }
    bool firstOk = audio1 == lockCopy_.get() && audioBytes1 <= lockFirst_;
    bool secondOk = audio2 == nullptr
                        ? audioBytes2 == 0
                        : (audio2 == lockCopy_.get() + lockFirst_ && audioBytes2 <= lockSecond_);
    if (!firstOk || !secondOk) {
        return DSERR_INVALIDPARAM;
    }
    auto* target = reinterpret_cast<uint8_t*>(memory_.get());
    std::memcpy(target + lockOffset_, lockCopy_.get(), audioBytes1);
    if (audio2 != nullptr) {
        std::memcpy(target, lockCopy_.get() + lockFirst_, audioBytes2);
    }
    lockCopy_.reset();
    locked_ = false;
    return DS_OK;
}

HRESULT SoundBuffer::Play(DWORD /*reserved*/, DWORD /*priority*/, DWORD flags) {
    if ((flags & ~DSBPLAY_LOOPING) != 0) {
        ReportUnsupported("Play flags other than DSBPLAY_LOOPING");
    }
    std::lock_guard lock(Mutex());
    if (IsPrimary()) {
        if ((flags & DSBPLAY_LOOPING) == 0) {
            return DSERR_INVALIDPARAM;  // the primary buffer only plays looping
        }
        primaryPlaying_ = true;
        return DS_OK;
    }
    voice_.looping = (flags & DSBPLAY_LOOPING) != 0;
    device_->mixer.StartVoice(&voice_);
    return DS_OK;
}

HRESULT SoundBuffer::SetCurrentPosition(DWORD newPosition) {
    if (IsPrimary()) {
        return ReportUnsupported("the primary buffer's cursors", DSERR_INVALIDCALL);
    }
    std::lock_guard lock(Mutex());
    DWORD frame = (newPosition % LengthBytes()) / format_.nBlockAlign;
    voice_.position = static_cast<uint64_t>(frame) << MIX_FRACTION_BITS;
    return DS_OK;
}

HRESULT SoundBuffer::SetFormat(LPCWAVEFORMATEX format) {
    if (!IsPrimary()) {
        return DSERR_INVALIDCALL;
    }
    if (format == nullptr) {
        return DSERR_INVALIDPARAM;
    }
    if (device_->cooperativeLevel.load() < DSSCL_PRIORITY) {
        return DSERR_PRIOLEVELNEEDED;
    }
    if (!IsSupportedFormat(*format) ||
        format->nAvgBytesPerSec != format->nSamplesPerSec * format->nBlockAlign) {
        ReportFormat(*format);
        return DSERR_BADFORMAT;
    }
    // The device keeps mixing at its own rate; the format is recorded only.
    if (format->nSamplesPerSec != device_->mixer.OutputRate() || format->nChannels != 2) {
        ReportUnsupported("primary buffer formats other than the device's 16-bit stereo at its rate");
    }
    std::lock_guard lock(Mutex());
    format_ = *format;
    return DS_OK;
}

HRESULT SoundBuffer::SetVolume(LONG volume) {
    if ((flags_ & DSBCAPS_CTRLVOLUME) == 0) {
        return DSERR_CONTROLUNAVAIL;
    }
    if (IsPrimary()) {
        return ReportUnsupported("the primary buffer's volume", DSERR_CONTROLUNAVAIL);
    }
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) {
        return DSERR_INVALIDPARAM;
    }
    std::lock_guard lock(Mutex());
    volume_ = volume;
    UpdateGains();
    return DS_OK;
}

HRESULT SoundBuffer::SetPan(LONG pan) {
    if ((flags_ & DSBCAPS_CTRLPAN) == 0) {
        return DSERR_CONTROLUNAVAIL;
    }
    if (IsPrimary()) {
        return ReportUnsupported("the primary buffer's pan", DSERR_CONTROLUNAVAIL);
    }
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) {
        return DSERR_INVALIDPARAM;
    }
    std::lock_guard lock(Mutex());
    pan_ = pan;
    UpdateGains();
    return DS_OK;
}

HRESULT SoundBuffer::SetFrequency(DWORD frequency) {
    if ((flags_ & DSBCAPS_CTRLFREQUENCY) == 0 || IsPrimary()) {
        return DSERR_CONTROLUNAVAIL;
    }
    if (frequency != DSBFREQUENCY_ORIGINAL &&
        (frequency < DSBFREQUENCY_MIN || frequency > DSBFREQUENCY_MAX)) {
        return DSERR_INVALIDPARAM;
    }
    std::lock_guard lock(Mutex());
    frequency_ = frequency;
    UpdateStep();
    return DS_OK;
}

HRESULT SoundBuffer::Stop() {
    std::lock_guard lock(Mutex());
    if (IsPrimary()) {
        primaryPlaying_ = false;
        return DS_OK;
    }
    device_->mixer.StopVoice(&voice_);  // the cursor stays where it is
    return DS_OK;
}

HRESULT SoundBuffer::Restore() {
    return DS_OK;  // memory buffers are never lost
}

void SoundBuffer::UpdateGains() { PanGains(volume_, pan_, &voice_.leftGain, &voice_.rightGain); }

void SoundBuffer::UpdateStep() {
    DWORD rate = frequency_ != 0 ? frequency_ : format_.nSamplesPerSec;
    voice_.step = ResampleStep(rate, device_->mixer.OutputRate());
}

static_assert(sizeof(DSCAPS) == 96, "DSCAPS holds 24 DWORDs");
