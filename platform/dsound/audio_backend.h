// Platform-internal: the audio output device behind a DirectSound object.
// The device backend plays to the default device (SDL2 natively, Web Audio
// in a web page); the memory backend lets a test pull mixed frames by hand;
// the unavailable backend is a PC without a sound card.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// Fills `frames` interleaved stereo 16-bit frames. Called on the device's
// own thread or on the thread of PullMemoryAudio.
using AudioPullFunction = void (*)(void* user, int16_t* stereo, size_t frames);

class AudioOutput {
  public:
    virtual ~AudioOutput() = default;  // after it returns, pull is never called again
};

// Opens the selected backend's output at `rate` Hz, 16-bit stereo; null when
// there is no device.
std::unique_ptr<AudioOutput> OpenAudioOutput(int rate, AudioPullFunction pull, void* user);

// Scales `count` samples to `volume` percent (0 to 100) of their level: the
// output level of the live device (--volume); the mix itself is unchanged.
void ApplyOutputLevel(int16_t* samples, size_t count, int volume);

// The device's own output at `volume` percent (dsound/sdl_audio_output.cpp
// natively, web/ in a web page); null when there is no device.
std::unique_ptr<AudioOutput> OpenDeviceOutput(int rate, AudioPullFunction pull, void* user, int volume);

enum class AudioBackendKind { Device, Memory, Unavailable };
// Which backend OpenAudioOutput opens from now on, and the output level of the
// live device (--volume, 0 to 100). The process's entry selects before the
// program runs: --no-sound is the unavailable backend, as on a PC without a
// sound card. A capture takes the sound from the memory backend at the
// device's pace.
void SelectAudioBackend(AudioBackendKind kind, int volume = 100);

// Memory backend: mixes `frames` frames of the open output into `stereo`.
// Returns the frames written: 0 when no memory output is open.
size_t PullMemoryAudio(int16_t* stereo, size_t frames);
