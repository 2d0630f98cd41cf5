// The "DirectSound" output driver record and its device-level operations:
// presence test, DirectSound set-up and release, start and stop of playback.
#include <cstring>

#include "music/output_driver_state.h"
#include "platform/mmsystem/mmsystem.h"

OutputDriverState outputDriver{};
std::atomic<bool> outputDriverStopping{false};

namespace {

constexpr uint16_t START_TEMPO = 125;
constexpr uint32_t START_FREQUENCY = 10000;
constexpr uint8_t EVEN_VOICE_PANNING = 255;
constexpr uint8_t ODD_VOICE_PANNING = 0;

constexpr WAVEFORMATEX PRIMARY_FORMAT{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};

template <typename Interface>
void ReleaseInterface(Interface*& object) {
    if (object != nullptr) {
        object->Release();
        object = nullptr;
    }
}

// The primary buffer at 44100 Hz 16-bit stereo, playing looping. On any
// failure there is no primary buffer and the device's default format stays.
void SetupPrimaryBuffer() {
    IDirectSound* directSound = outputDriver.directSound;
    if (FAILED(directSound->SetCooperativeLevel(outputDriver.focusWindow, DSSCL_PRIORITY))) {
        return;
    }
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(DSBUFFERDESC);
    desc.dwFlags = DSBCAPS_PRIMARYBUFFER;
    IDirectSoundBuffer* primary = nullptr;
    if (FAILED(directSound->CreateSoundBuffer(&desc, &primary, nullptr)) || primary == nullptr) {
        return;
    }
    outputDriver.primaryBuffer = primary;
    primary->SetFormat(&PRIMARY_FORMAT);
    primary->Play(0, 0, DSBPLAY_LOOPING);
}

BOOL IsPresent() {
    IDirectSound* probe = nullptr;
    if (FAILED(DirectSoundCreate(nullptr, &probe, nullptr)) || probe == nullptr) {
        return 0;
    }
    probe->Release();
    return 1;
}

// Music thread. Fails only when COM or the DirectSound object cannot be had.
int Init() {
    md_mode &= static_cast<UWORD>(~(DMODE_SOFT_MUSIC | DMODE_SOFT_SNDFX));
    outputDriver.focusWindow = GetForegroundWindow();
    if (FAILED(CoInitialize(nullptr))) {
        MikMod_errno = MMERR_INITIALIZING_MIXER;
        return 1;
    }
    void* created = nullptr;
    if (FAILED(
            CoCreateInstance(CLSID_DirectSound, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectSound, &created)) ||
        created == nullptr) {
        MikMod_errno = MMERR_OPENING_AUDIO;
        return 1;
    }
    outputDriver.directSound = static_cast<IDirectSound*>(created);
    // Without a device no buffer can be made and the song runs silent.
    if (SUCCEEDED(outputDriver.directSound->Initialize(nullptr))) {
        SetupPrimaryBuffer();
    }
    FillPanTable(outputDriver.PanTable);
    FillVolumeTable(outputDriver.VolumeTable);
    return 0;
}

// Music thread. Also called by the library after a failed Init.
void Exit() {
    if (outputDriver.primaryBuffer != nullptr) {
        outputDriver.primaryBuffer->Stop();
    }
    ReleaseInterface(outputDriver.primaryBuffer);
    ReleaseInterface(outputDriver.directSound);
    CoUninitialize();
}

// Music thread, under the library's lock, before any timer exists.
int PlayStart() {
    for (int i = 0; i < md_numchn && i < MAX_VOICES; ++i) {
        SoundVoice& voice = outputDriver.voices[i];
        voice = SoundVoice{};
        voice.frequency = START_FREQUENCY;
        voice.panning = (i % 2 == 0) ? EVEN_VOICE_PANNING : ODD_VOICE_PANNING;
        voice.appliedFrequency = -1;
        voice.appliedVolume = -1;
        voice.appliedPanning = -1;
    }
    outputDriverStopping.store(false);
    BeginTimer();
    outputDriver.timer.cachedTempo = START_TEMPO;
    SetTempo(START_TEMPO);
    return 0;
}

// Music thread, with the library's lock held by the caller: a timer event
// waiting for that lock must not be waited for. Mark, kill, then release.
void PlayStop() {
    outputDriverStopping.store(true);
    EndTimer();
    for (int i = 0; i < md_numchn && i < MAX_VOICES; ++i) {
        DropVoiceBuffer(outputDriver.voices[i]);
    }
}

void Update() {}  // the timer drives everything

int SetNumVoices() { return 0; }

ULONG FreeSampleSpace(int /*type*/) { return 0; }  // no limit: samples are never reduced

ULONG RealSampleLength(int /*type*/, SAMPLE* sample) {
    return sample != nullptr ? static_cast<ULONG>(SampleBufferBytes(sample->length, false)) : 0;
}

UWORD VoiceGetVolume(UBYTE voice) { return voice < MAX_VOICES ? outputDriver.voices[voice].volume * 4 : 0; }
ULONG VoiceGetFrequency(UBYTE voice) { return voice < MAX_VOICES ? outputDriver.voices[voice].frequency : 0; }
ULONG VoiceGetPanning(UBYTE voice) { return voice < MAX_VOICES ? outputDriver.voices[voice].panning : 0; }

}  // namespace

MDRIVER directSoundDriver = {
    .next = nullptr,
    .Name = "DirectSound",
    .Version = "DirectSound sample-buffer driver 1.0",
    .HardVoiceLimit = MAX_VOICES,
    .SoftVoiceLimit = 0,
    .Alias = "ds",
    .CmdLineHelp = nullptr,
    .CommandLine = nullptr,
    .IsPresent = IsPresent,
    .SampleLoad = SampleLoad,
    .SampleUnload = SampleUnload,
    .FreeSampleSpace = FreeSampleSpace,
    .RealSampleLength = RealSampleLength,
    .Init = Init,
    .Exit = Exit,
    .Reset = nullptr,
    .SetNumVoices = SetNumVoices,
    .PlayStart = PlayStart,
    .PlayStop = PlayStop,
    .Update = Update,
    .Pause = nullptr,
    .VoiceSetVolume = VoiceSetVolume,
    .VoiceGetVolume = VoiceGetVolume,
    .VoiceSetFrequency = VoiceSetFrequency,
    .VoiceGetFrequency = VoiceGetFrequency,
    .VoiceSetPanning = VoiceSetPanning,
    .VoiceGetPanning = VoiceGetPanning,
    .VoicePlay = VoicePlay,
    .VoiceStop = VoiceStop,
    .VoiceStopped = VoiceStopped,
    .VoiceGetPosition = nullptr,
    .VoiceRealVolume = nullptr,
};

void ResetOutputDriverForTesting() {
    outputDriver = OutputDriverState{};
    outputDriverStopping.store(false);
}
