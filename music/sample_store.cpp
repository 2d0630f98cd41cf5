// Sample storage: every sample of the module converted to signed 16-bit,
// its loop unrolled behind it, and kept in its own sound buffers.
#include <cstdlib>
#include <cstring>

#include "music/output_driver_state.h"

namespace {

constexpr WAVEFORMATEX SAMPLE_FORMAT{WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
constexpr DWORD SAMPLE_BUFFER_CONTROLS =
    DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME | DSBCAPS_GETCURRENTPOSITION2;
// Two zero samples end every sample, so the last interpolation fades to silence.
constexpr size_t END_SAMPLES = 2;

// An empty or reversed loop cannot be wrapped: such a sample plays unlooped.
bool HasUsableLoop(const SAMPLE& sample) {
    return (sample.flags & SAMPLE_LOOPED) != 0 && sample.loopend > sample.loopstart;
}

int FreeSlot() {
    for (int i = 0; i < MAX_SAMPLE_SLOTS; ++i) {
        if (outputDriver.slots[i].softwareBuffer == nullptr) {
            return i;
        }
    }
    return -1;
}

void ReleaseBuffer(IDirectSoundBuffer*& buffer) {
    if (buffer != nullptr) {
        buffer->Stop();
        buffer->Release();
        buffer = nullptr;
    }
}

}  // namespace

size_t SampleBufferBytes(uint32_t length, bool looped) {
    size_t samples = static_cast<size_t>(length) + END_SAMPLES + (looped ? LOOP_TAIL_SAMPLES : 0);
    size_t bytes = samples * 2;
    return bytes <= DSBSIZE_MAX ? bytes : 0;
}

void UnrollLoopTail(int16_t* samples, size_t total, uint32_t loopStart, uint32_t loopEnd) {
    if (loopEnd <= loopStart || loopEnd >= total) {
        return;
    }
    const size_t loopLength = loopEnd - loopStart;
    for (size_t p = loopEnd; p < total; ++p) {
        samples[p] = samples[loopStart + (p - loopEnd) % loopLength];
    }
}

// Result of GetCaps' free hardware mixing buffers, 0 when it fails.
DWORD FreeHardwareBuffers() {
    if (outputDriver.directSound == nullptr) {
        return 0;
    }
    DSCAPS caps{};
    caps.dwSize = sizeof(DSCAPS);
    if (FAILED(outputDriver.directSound->GetCaps(&caps))) {
        return 0;
    }
    return caps.dwFreeHwMixingAllBuffers;
}

void FillBuffer(IDirectSoundBuffer* buffer, const void* data, DWORD bytes) {
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0;
    DWORD secondBytes = 0;
    HRESULT result = buffer->Lock(0, bytes, &first, &firstBytes, &second, &secondBytes, 0);
    if (result == DSERR_BUFFERLOST) {
        buffer->Restore();
        result = buffer->Lock(0, bytes, &first, &firstBytes, &second, &secondBytes, 0);
    }
    if (FAILED(result)) {
        return;
    }
    const auto* source = static_cast<const uint8_t*>(data);
    firstBytes = firstBytes < bytes ? firstBytes : bytes;
    std::memcpy(first, source, firstBytes);
    if (second != nullptr) {
        secondBytes = secondBytes < bytes - firstBytes ? secondBytes : bytes - firstBytes;
        std::memcpy(second, source + firstBytes, secondBytes);
    }
    buffer->Unlock(first, firstBytes, second, secondBytes);
}

IDirectSoundBuffer* CreateSampleBuffer(DWORD location, const void* data, DWORD bytes) {
    WAVEFORMATEX format = SAMPLE_FORMAT;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof(DSBUFFERDESC);
    desc.dwFlags = location | SAMPLE_BUFFER_CONTROLS;
    desc.dwBufferBytes = bytes;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    if (outputDriver.directSound == nullptr ||
        FAILED(outputDriver.directSound->CreateSoundBuffer(&desc, &buffer, nullptr)) || buffer == nullptr) {
        return nullptr;
    }
    FillBuffer(buffer, data, bytes);
    return buffer;
}

// Library callback, music thread, no timer running. Reads the sample through
// the loader's reader; returns the slot index, or -1 with MikMod_errno set.
SWORD SampleLoad(SAMPLOAD* loader, int /*type*/) {
    SAMPLE& sample = *loader->sample;
    SL_SampleSigned(loader);
    SL_Sample8to16(loader);
    int slot = FreeSlot();
    if (slot < 0) {
        MikMod_errno = MMERR_OUT_OF_HANDLES;
        return -1;
    }
    const bool looped = HasUsableLoop(sample);
    const uint32_t length = sample.length;
    size_t bytes = SampleBufferBytes(length, looped);
    auto* block = bytes != 0 ? static_cast<int16_t*>(std::calloc(bytes, 1)) : nullptr;
    if (block == nullptr) {
        MikMod_errno = MMERR_SAMPLE_TOO_BIG;
        return -1;
    }
    // A sample that cannot be read fails the load with the library's text
    // rather than play whatever the block held.
    if (length != 0 && SL_Load(block, loader, length) != 0) {
        std::free(block);
        return -1;
    }
    // Behind an unlooped sample the block is already zero.
    if (looped) {
        UnrollLoopTail(block, bytes / 2, sample.loopstart, sample.loopend);
    }
    SampleSlot& target = outputDriver.slots[slot];
    target.hardwareBuffer = nullptr;
    if (FreeHardwareBuffers() > 0) {
        target.hardwareBuffer = CreateSampleBuffer(DSBCAPS_LOCHARDWARE, block, static_cast<DWORD>(bytes));
    }
    target.softwareBuffer = CreateSampleBuffer(DSBCAPS_LOCSOFTWARE, block, static_cast<DWORD>(bytes));
    std::free(block);
    if (target.softwareBuffer == nullptr) {
        // The slot stays free; a hardware copy made alone would be lost with it.
        ReleaseBuffer(target.hardwareBuffer);
    }
    return static_cast<SWORD>(slot);
}

// Library callback, music thread, no timer running.
void SampleUnload(SWORD handle) {
    if (handle < 0 || handle >= MAX_SAMPLE_SLOTS) {
        return;
    }
    SampleSlot& slot = outputDriver.slots[handle];
    ReleaseBuffer(slot.hardwareBuffer);
    ReleaseBuffer(slot.softwareBuffer);
}
