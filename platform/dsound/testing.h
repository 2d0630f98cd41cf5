// Test seams of the DirectSound stand-in. For tests only: the program never
// sees this header.
#pragma once

#include "platform/dsound/audio_backend.h"
#include "platform/dsound/dsound.h"

// The memory backend replaces the SDL device with one that PullMemoryAudio
// mixes on demand; the unavailable backend is a machine without a sound device.
void SelectAudioBackendForTesting(AudioBackendKind kind);

// A factory for the uninitialised DirectSound objects that both creation
// entries hand out; null restores the stand-in's own.
using DirectSoundFactory = HRESULT (*)(LPDIRECTSOUND* directSound);
void SetDirectSoundFactoryForTesting(DirectSoundFactory factory);
