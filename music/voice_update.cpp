// The voice records: what the player asks for (the Voice operations) and how
// the timer event carries it over to the sound buffers.
#include "music/output_driver_state.h"

namespace {

constexpr DWORD FREQUENCY_MIN = DSBFREQUENCY_MIN;
constexpr DWORD FREQUENCY_MAX = DSBFREQUENCY_MAX;
constexpr ULONG PAN_SURROUND_VALUE = PAN_SURROUND;
constexpr uint8_t PAN_CENTRE = 128;
constexpr LONG MUTED = -10000;

bool IsLooped(const SoundVoice& voice) { return (voice.sampleFlags & SAMPLE_LOOPED) != 0; }

DWORD PlaySample(IDirectSoundBuffer* buffer) {
    DWORD play = 0;
    DWORD write = 0;
    buffer->GetCurrentPosition(&play, &write);
    return play / 2;
}

bool IsPlaying(IDirectSoundBuffer* buffer) {
    DWORD status = 0;
    return SUCCEEDED(buffer->GetStatus(&status)) && (status & DSBSTATUS_PLAYING) != 0;
}

// Takes `source` for the voice: a duplicate when another voice plays it.
// False when the duplicate could not be made.
bool TakeCopy(SoundVoice& voice, IDirectSoundBuffer* source) {
    if (IsPlaying(source)) {
        IDirectSoundBuffer* duplicate = nullptr;
        if (FAILED(outputDriver.directSound->DuplicateSoundBuffer(source, &duplicate)) ||
            duplicate == nullptr) {
            return false;
        }
        voice.buffer = duplicate;
        voice.state |= VOICE_DUPLICATE;
        return true;
    }
    voice.buffer = source;
    voice.state &= static_cast<uint8_t>(~VOICE_DUPLICATE);
    return true;
}

// Picks the buffer for a voice being started: the slot's hardware copy while
// hardware voices are free, else its software copy.
void ChooseBuffer(SoundVoice& voice) {
    if (voice.handle < 0 || voice.handle >= MAX_SAMPLE_SLOTS) {
        return;
    }
    const SampleSlot& slot = outputDriver.slots[voice.handle];
    if (slot.hardwareBuffer != nullptr) {
        if (!IsPlaying(slot.hardwareBuffer)) {
            TakeCopy(voice, slot.hardwareBuffer);
        } else if (FreeHardwareBuffers() > 0) {
            TakeCopy(voice, slot.hardwareBuffer);
        }
    }
    if (voice.buffer == nullptr && slot.softwareBuffer != nullptr) {
        if (TakeCopy(voice, slot.softwareBuffer)) {
            voice.state |= VOICE_SOFTWARE;
        }
    }
}

// Moves a looped voice that ran into its unrolled tail back into the loop,
// keeping its phase.
void WrapLoop(SoundVoice& voice) {
    DWORD p = PlaySample(voice.buffer);
    DWORD loopLength = voice.loopEnd - voice.loopStart;
    DWORD position = p >= voice.loopStart ? voice.loopStart + (p - voice.loopStart) % loopLength : p;
    voice.buffer->SetCurrentPosition(position * 2);
    if ((voice.state & VOICE_SOFTWARE) == 0) {
        voice.appliedVolume = -1;  // give back the volume muted at the tick
    }
}

void ForgetBuffer(SoundVoice& voice) {
    voice.buffer = nullptr;
    voice.state &= static_cast<uint8_t>(~(VOICE_DUPLICATE | VOICE_SOFTWARE));
}

}  // namespace

void DropVoiceBuffer(SoundVoice& voice) {
    if (voice.buffer == nullptr) {
        return;
    }
    voice.buffer->Stop();
    if ((voice.state & VOICE_DUPLICATE) != 0) {
        voice.buffer->Release();
    }
    ForgetBuffer(voice);
}

// ---- Voice operations: called by the player, under the library's lock ------
// Volume 0..256 from the library, kept as 0..64.
void VoiceSetVolume(UBYTE voice, UWORD volume) {
    if (voice < MAX_VOICES) {
        outputDriver.voices[voice].volume = static_cast<uint8_t>((volume > 256 ? 256 : volume) / 4);
    }
}

// Hz, clamped to what a sound buffer plays.
void VoiceSetFrequency(UBYTE voice, ULONG frequency) {
    if (voice < MAX_VOICES) {
        ULONG clamped = frequency < FREQUENCY_MIN ? FREQUENCY_MIN
                                                  : (frequency > FREQUENCY_MAX ? FREQUENCY_MAX : frequency);
        outputDriver.voices[voice].frequency = clamped;
    }
}

// 0 left .. 255 right; surround plays from the centre.
void VoiceSetPanning(UBYTE voice, ULONG panning) {
    if (voice < MAX_VOICES) {
        uint8_t value =
            panning == PAN_SURROUND_VALUE ? PAN_CENTRE : static_cast<uint8_t>(panning > 255 ? 255 : panning);
        outputDriver.voices[voice].panning = value;
    }
}

// Positions in samples. The start is carried out at the next update.
void VoicePlay(UBYTE voice, SWORD handle, ULONG start, ULONG size, ULONG loopStart, ULONG loopEnd,
               UWORD flags) {
    if (voice >= MAX_VOICES || start >= size) {
        return;
    }
    SoundVoice& target = outputDriver.voices[voice];
    if ((flags & SAMPLE_LOOPED) != 0 && loopEnd > size) {
        loopEnd = size;
    }
    if (loopEnd <= loopStart) {
        flags &= static_cast<UWORD>(~SAMPLE_LOOPED);  // an empty loop plays unlooped
    }
    target.handle = handle;
    target.start = start;
    target.size = size;
    target.loopStart = loopStart;
    target.loopEnd = loopEnd;
    target.sampleFlags = flags;
    target.state &= static_cast<uint8_t>(~VOICE_STOP_PENDING);
    target.kick = 1;
}

void VoiceStop(UBYTE voice) {
    if (voice < MAX_VOICES) {
        SoundVoice& target = outputDriver.voices[voice];
        target.kick = 0;
        target.state |= VOICE_STOP_PENDING;
    }
}

// True when the voice has nothing playing and nothing about to start.
BOOL VoiceStopped(UBYTE voice) {
    if (voice >= MAX_VOICES) {
        return 1;
    }
    const SoundVoice& target = outputDriver.voices[voice];
    if (target.kick != 0) {
        return 0;
    }
    if ((target.state & VOICE_STOP_PENDING) != 0 || target.buffer == nullptr) {
        return 1;
    }
    return IsPlaying(target.buffer) ? 0 : 1;
}

// ---- Timer event work -----------------------------------------------------
void TickVoices() {
    for (int i = 0; i < md_numchn && i < MAX_VOICES; ++i) {
        SoundVoice& voice = outputDriver.voices[i];
        if (voice.buffer == nullptr) {
            continue;
        }
        const bool software = (voice.state & VOICE_SOFTWARE) != 0;
        if (IsLooped(voice) && PlaySample(voice.buffer) > voice.loopEnd + LOOP_TAIL_SAMPLES / 2) {
            if (!software) {
                voice.buffer->SetVolume(MUTED);
            }
            voice.state |= VOICE_WRAP_PENDING;
        }
        if (voice.kick != 0 && !software) {
            voice.buffer->SetVolume(MUTED);  // a hardware voice about to restart falls silent now
        }
    }
}

void UpdateVoice(SoundVoice& voice) {
    if (voice.buffer != nullptr && IsLooped(voice) && (voice.state & VOICE_WRAP_PENDING) != 0) {
        WrapLoop(voice);
    }
    if (voice.buffer != nullptr && (voice.state & VOICE_STOP_PENDING) != 0) {
        DropVoiceBuffer(voice);
    }
    if (voice.buffer != nullptr && !IsPlaying(voice.buffer)) {
        if ((voice.state & VOICE_DUPLICATE) != 0) {
            voice.buffer->Release();
        }
        ForgetBuffer(voice);
    }
    if (voice.kick != 0) {
        DropVoiceBuffer(voice);
        ChooseBuffer(voice);
        if (voice.buffer != nullptr) {
            voice.buffer->SetCurrentPosition(voice.start * 2);
        }
        voice.appliedFrequency = -1;
        voice.appliedVolume = -1;
        voice.appliedPanning = -1;
    }
    if (voice.buffer != nullptr) {
        if (static_cast<int32_t>(voice.frequency) != voice.appliedFrequency) {
            voice.buffer->SetFrequency(voice.frequency);
        }
        if (voice.volume != voice.appliedVolume) {
            voice.buffer->SetVolume(outputDriver.VolumeTable[voice.volume <= 64 ? voice.volume : 64]);
        }
        if (voice.panning != voice.appliedPanning) {
            voice.buffer->SetPan(outputDriver.PanTable[voice.panning]);
        }
        if (voice.kick != 0) {
            voice.buffer->Play(0, 0, 0);
        }
    }
    voice.state &= static_cast<uint8_t>(~(VOICE_WRAP_PENDING | VOICE_STOP_PENDING));
    voice.appliedFrequency = static_cast<int32_t>(voice.frequency);
    voice.appliedVolume = voice.volume;
    voice.appliedPanning = voice.panning;
    voice.kick = 0;
}
