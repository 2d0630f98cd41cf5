// The DirectSound output driver's records: sample slots, voices, the two
// level tables and the tick timer, in one program-wide instance, with the
// operations of the driver that other music files and the tests reach.
// Threads: Init, Exit, SampleLoad, SampleUnload, PlayStart and PlayStop run on
// the music thread; everything between PlayStart and PlayStop runs in the
// timer event under the module library's lock. Voice records are only ever
// touched under that lock (or before any timer exists).
#pragma once

#include <atomic>
#include <cstdint>

#include "music/mikmod_driver_side.h"
#include "platform/dsound/dsound.h"

constexpr int MAX_SAMPLE_SLOTS = 128;
constexpr int MAX_VOICES = 32;
constexpr uint32_t LOOP_TAIL_SAMPLES = 6144;
constexpr uint32_t EVENTS_PER_TICK = 3;

// SoundVoice::state bits.
constexpr uint8_t VOICE_DUPLICATE = 0x01;     // buffer is a duplicate the voice releases
constexpr uint8_t VOICE_WRAP_PENDING = 0x02;  // the loop wrap is due at the next update
constexpr uint8_t VOICE_SOFTWARE = 0x04;      // buffer comes from the software copy
constexpr uint8_t VOICE_STOP_PENDING = 0x08;  // the player stopped the voice; silence it at the next update

// The library's sample flags the driver reads; other format bits may be stale.
constexpr uint16_t SAMPLE_16BIT = SF_16BITS;
constexpr uint16_t SAMPLE_LOOPED = SF_LOOP;

struct SampleSlot {
    IDirectSoundBuffer* hardwareBuffer;
    IDirectSoundBuffer* softwareBuffer;  // none: the slot is free
};

struct SoundVoice {
    uint8_t kick;
    uint16_t sampleFlags;
    int16_t handle;
    uint32_t start;  // all positions in samples
    uint32_t size;
    uint32_t loopStart;
    uint32_t loopEnd;
    uint32_t frequency;
    int32_t appliedFrequency;  // -1: none
    uint8_t volume;            // 0..64
    int16_t appliedVolume;
    uint8_t panning;  // 0..255
    int16_t appliedPanning;
    IDirectSoundBuffer* buffer;
    uint8_t state;
};

struct TickTimer {
    UINT timerId;
    UINT resolution;    // ms
    float wholePeriod;  // ms
    float exactPeriod;  // ms
    float accumulator;  // ms, never reset
    uint32_t eventCounter;
    uint16_t cachedTempo;  // beats per minute
};

struct OutputDriverState {
    IDirectSound* directSound;
    IDirectSoundBuffer* primaryBuffer;
    HWND focusWindow;
    SampleSlot slots[MAX_SAMPLE_SLOTS];
    SoundVoice voices[MAX_VOICES];
    int16_t VolumeTable[65];
    int16_t PanTable[256];
    TickTimer timer;
};

// The one instance. Trivially destructible, so a late timer event at program
// end still finds it.
extern OutputDriverState outputDriver;
// Set by PlayStop under the library's lock: a timer event that gets the lock
// afterwards returns at once.
extern std::atomic<bool> outputDriverStopping;

// The record registered with the library, name "DirectSound".
extern MDRIVER directSoundDriver;

// ---- Sample storage (sample_store.cpp) -------------------------------------
SWORD SampleLoad(SAMPLOAD* loader, int type);
void SampleUnload(SWORD handle);
DWORD FreeHardwareBuffers();
// Buffer bytes for a sample of `length` samples: data, two zero samples, and
// the unrolled loop tail when looped. 0 when it cannot fit a sound buffer.
size_t SampleBufferBytes(uint32_t length, bool looped);
// Fills samples [loopEnd, total) with the loop [loopStart, loopEnd) continued
// cyclically. Nothing when loopEnd is not inside or the loop is empty.
void UnrollLoopTail(int16_t* samples, size_t total, uint32_t loopStart, uint32_t loopEnd);
// Creates a sample buffer at `location` and fills it; none on any failure.
IDirectSoundBuffer* CreateSampleBuffer(DWORD location, const void* data, DWORD bytes);
void FillBuffer(IDirectSoundBuffer* buffer, const void* data, DWORD bytes);

// ---- Voices (voice_update.cpp) ---------------------------------------------
void VoiceSetVolume(UBYTE voice, UWORD volume);
void VoiceSetFrequency(UBYTE voice, ULONG frequency);
void VoiceSetPanning(UBYTE voice, ULONG panning);
void VoicePlay(UBYTE voice, SWORD handle, ULONG start, ULONG size, ULONG loopStart, ULONG loopEnd,
               UWORD flags);
void VoiceStop(UBYTE voice);
BOOL VoiceStopped(UBYTE voice);
// The player-tick work on the voices after md_player ran.
void TickVoices();
// The update pass for one voice.
void UpdateVoice(SoundVoice& voice);
// Stops a voice's buffer and releases it when it is the voice's duplicate.
void DropVoiceBuffer(SoundVoice& voice);

// ---- Timer and the player tick (tick_timer.cpp) ----------------------------
// Registers MusicTick as the library's player callback, keeping the library's
// own tick for it to call. Music thread.
void RegisterMusicTick();
// The player callback: one tick of the song, then the driver tempo follows
// the module's. Timer thread, with the module library locked.
void MusicTick();
void BeginTimer();
void EndTimer();
void SetTempo(uint16_t tempo);
void TimerProc(UINT timerId, UINT message, DWORD_PTR user, DWORD_PTR reserved1, DWORD_PTR reserved2);
void DriverEvent();

// ---- Tables (voice_tables.cpp) ---------------------------------------------
int LogScale(int x);
void FillVolumeTable(int16_t table[65]);
void FillPanTable(int16_t table[256]);

// Tests: every record back to its state at program start.
void ResetOutputDriverForTesting();
