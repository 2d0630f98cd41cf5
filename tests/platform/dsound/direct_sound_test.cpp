// DirectSound objects and buffers on the memory device: creation rules,
// buffer calls, and what a test hears when it pulls mixed frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

#include "platform/dsound/audio_backend.h"
#include "platform/dsound/dsound.h"
#include "platform/dsound/testing.h"

namespace {

WAVEFORMATEX MonoFormat(DWORD rate = 44100) {
    return WAVEFORMATEX{WAVE_FORMAT_PCM, 1, rate, rate * 2, 2, 16, 0};
}

constexpr DWORD CONTROLS = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME;

class DirectSoundOnMemory : public ::testing::Test {
  protected:
    void SetUp() override {
        SelectAudioBackendForTesting(AudioBackendKind::Memory);
        ASSERT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DS_OK);
    }
    void TearDown() override {
        if (device != nullptr) {
            device->Release();
        }
        SelectAudioBackendForTesting(AudioBackendKind::Device);
    }
    // A secondary buffer holding `samples`, mono 16-bit.
    IDirectSoundBuffer* MakeBuffer(const std::vector<int16_t>& samples, DWORD flags = CONTROLS) {
        WAVEFORMATEX format = MonoFormat();
        DSBUFFERDESC desc{sizeof(DSBUFFERDESC), flags | DSBCAPS_LOCSOFTWARE,
                          static_cast<DWORD>(samples.size() * 2), 0, &format};
        IDirectSoundBuffer* buffer = nullptr;
        EXPECT_EQ(device->CreateSoundBuffer(&desc, &buffer, nullptr), DS_OK);
        void* first = nullptr;
        DWORD firstBytes = 0;
        EXPECT_EQ(buffer->Lock(0, 0, &first, &firstBytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
        std::memcpy(first, samples.data(), firstBytes);
        EXPECT_EQ(buffer->Unlock(first, firstBytes, nullptr, 0), DS_OK);
        return buffer;
    }
    std::vector<int16_t> Pull(size_t frames) {
        std::vector<int16_t> out(frames * 2);
        EXPECT_EQ(PullMemoryAudio(out.data(), frames), frames);
        return out;
    }
    IDirectSound* device = nullptr;
};

TEST_F(DirectSoundOnMemory, PlayOnceStopsAtTheEndWithThePositionBackAtZero) {
    IDirectSoundBuffer* buffer = MakeBuffer({1000, 2000, 3000, 4000});
    ASSERT_EQ(buffer->Play(0, 0, 0), DS_OK);
    DWORD status = 0;
    buffer->GetStatus(&status);
    EXPECT_EQ(status, DSBSTATUS_PLAYING);
    std::vector<int16_t> out = Pull(6);
    EXPECT_EQ(out, (std::vector<int16_t>{1000, 1000, 2000, 2000, 3000, 3000, 4000, 4000, 0, 0, 0, 0}));
    buffer->GetStatus(&status);
    EXPECT_EQ(status, 0u);
    DWORD play = 99;
    DWORD write = 99;
    buffer->GetCurrentPosition(&play, &write);
    EXPECT_EQ(play, 0u);
    buffer->Release();
}

TEST_F(DirectSoundOnMemory, LoopingPlaysOnAndStopKeepsThePosition) {
    IDirectSoundBuffer* buffer = MakeBuffer({10, 20, 30});
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    std::vector<int16_t> out = Pull(7);
    EXPECT_EQ(out[12], 10);
    DWORD status = 0;
    buffer->GetStatus(&status);
    EXPECT_EQ(status, DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    buffer->Stop();
    DWORD play = 0;
    buffer->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 2u) << "7 frames into a 3-frame loop is frame 1";
    EXPECT_EQ(Pull(2), (std::vector<int16_t>{0, 0, 0, 0})) << "a stopped buffer is silent";
    buffer->Release();
}

TEST_F(DirectSoundOnMemory, VolumeAndPanFollowTheDecibelLaws) {
    IDirectSoundBuffer* buffer = MakeBuffer(std::vector<int16_t>(100, 20000));
    buffer->SetVolume(-600);
    buffer->SetPan(1000);
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    std::vector<int16_t> out = Pull(4);
    EXPECT_NEAR(out[0], 20000 * std::pow(10.0, -1600.0 / 2000.0), 1.0);
    EXPECT_NEAR(out[1], 20000 * std::pow(10.0, -600.0 / 2000.0), 1.0);
    buffer->SetVolume(-10000);
    out = Pull(4);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(buffer->SetVolume(1), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetVolume(-10001), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetPan(10001), DSERR_INVALIDPARAM);
    out = Pull(4);
    EXPECT_EQ(out[0], 0) << "a refused volume changes nothing";
    buffer->Release();
}

TEST_F(DirectSoundOnMemory, FrequencySetsTheStepAndZeroRestoresTheOwnRate) {
    std::vector<int16_t> ramp;
    for (int i = 0; i < 1000; ++i) {
        ramp.push_back(static_cast<int16_t>(i * 10));
    }
    IDirectSoundBuffer* buffer = MakeBuffer(ramp);
    buffer->SetFrequency(11025);
    buffer->Play(0, 0, 0);
    std::vector<int16_t> out = Pull(8);
    EXPECT_EQ(out[2 * 4], 10) << "a quarter frame per output frame";
    EXPECT_EQ(out[2 * 2], 5);
    buffer->SetFrequency(0);
    out = Pull(2);
    EXPECT_EQ(out[2] - out[0], 10) << "one frame per output frame again";
    EXPECT_EQ(buffer->SetFrequency(99), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetFrequency(100001), DSERR_INVALIDPARAM);
    EXPECT_EQ(buffer->SetFrequency(100000), DS_OK);
    buffer->Release();
}

TEST_F(DirectSoundOnMemory, ControlsMustHaveBeenAskedFor) {
    IDirectSoundBuffer* buffer = MakeBuffer({1, 2}, 0);
    EXPECT_EQ(buffer->SetVolume(0), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(buffer->SetPan(0), DSERR_CONTROLUNAVAIL);
    EXPECT_EQ(buffer->SetFrequency(22050), DSERR_CONTROLUNAVAIL);
    buffer->Release();
}

TEST_F(DirectSoundOnMemory, SetCurrentPositionTakesModuloAndRoundsToTheBlock) {
    IDirectSoundBuffer* buffer = MakeBuffer(std::vector<int16_t>(50, 0));
    buffer->SetCurrentPosition(131);
    DWORD play = 0;
    buffer->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 30u) << "131 mod 100 = 31, rounded down to 2-byte blocks";
    buffer->Release();
}

TEST_F(DirectSoundOnMemory, DuplicatesShareMemoryButNotCursorsOrParameters) {
    IDirectSoundBuffer* original = MakeBuffer({100, 200, 300, 400});
    original->SetVolume(-2000);
    original->SetCurrentPosition(4);
    IDirectSoundBuffer* copy = nullptr;
    ASSERT_EQ(device->DuplicateSoundBuffer(original, &copy), DS_OK);
    DWORD play = 9;
    copy->GetCurrentPosition(&play, nullptr);
    EXPECT_EQ(play, 0u) << "a duplicate starts at 0";
    copy->Play(0, 0, 0);
    std::vector<int16_t> out = Pull(1);
    EXPECT_EQ(out[0], 10) << "with the original's volume";
    copy->SetVolume(0);
    original->Release();  // the memory lives on with the duplicate
    out = Pull(1);
    EXPECT_EQ(out[0], 200);
    DWORD status = 0;
    copy->GetStatus(&status);
    EXPECT_EQ(status, DSBSTATUS_PLAYING);
    copy->Release();
}

TEST_F(DirectSoundOnMemory, LockAcrossTheEndGivesTwoRegions) {
    IDirectSoundBuffer* buffer = MakeBuffer({0, 0, 0, 0});
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0;
    DWORD secondBytes = 0;
    ASSERT_EQ(buffer->Lock(6, 4, &first, &firstBytes, &second, &secondBytes, 0), DS_OK);
    EXPECT_EQ(firstBytes, 2u);
    EXPECT_EQ(secondBytes, 2u);
    int16_t values[2] = {7, 9};
    std::memcpy(first, &values[0], 2);
    std::memcpy(second, &values[1], 2);
    EXPECT_EQ(buffer->Lock(0, 2, &first, &firstBytes, nullptr, nullptr, 0), DSERR_INVALIDCALL)
        << "one lock at a time";
    ASSERT_EQ(buffer->Unlock(first, firstBytes, second, secondBytes), DS_OK);
    buffer->Play(0, 0, 0);
    std::vector<int16_t> out = Pull(4);
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(out[6], 7);
    EXPECT_EQ(buffer->Lock(8, 2, &first, &firstBytes, nullptr, nullptr, 0), DSERR_INVALIDPARAM);
    buffer->Release();
}

TEST_F(DirectSoundOnMemory, SoftwareDeviceHasNoHardwareBuffers) {
    DSCAPS caps{};
    caps.dwSize = sizeof(DSCAPS);
    ASSERT_EQ(device->GetCaps(&caps), DS_OK);
    EXPECT_EQ(caps.dwFreeHwMixingAllBuffers, 0u);
    caps.dwSize = 20;
    EXPECT_EQ(device->GetCaps(&caps), DSERR_INVALIDPARAM);
    WAVEFORMATEX format = MonoFormat();
    DSBUFFERDESC desc{sizeof(DSBUFFERDESC), DSBCAPS_LOCHARDWARE | CONTROLS, 64, 0, &format};
    IDirectSoundBuffer* buffer = nullptr;
    EXPECT_TRUE(FAILED(device->CreateSoundBuffer(&desc, &buffer, nullptr)));
    EXPECT_EQ(buffer, nullptr);
}

TEST_F(DirectSoundOnMemory, BufferDescriptionsAreChecked) {
    WAVEFORMATEX format = MonoFormat();
    IDirectSoundBuffer* buffer = nullptr;
    DSBUFFERDESC desc{20, CONTROLS, 64, 0, &format};
    EXPECT_EQ(device->CreateSoundBuffer(&desc, &buffer, nullptr), DSERR_INVALIDPARAM) << "wrong dwSize";
    desc.dwSize = sizeof(DSBUFFERDESC);
    desc.dwBufferBytes = 2;
    EXPECT_EQ(device->CreateSoundBuffer(&desc, &buffer, nullptr), DSERR_INVALIDPARAM);
    desc.dwBufferBytes = 64;
    format.wBitsPerSample = 12;
    EXPECT_EQ(device->CreateSoundBuffer(&desc, &buffer, nullptr), DSERR_BADFORMAT);
    EXPECT_EQ(buffer, nullptr);
}

TEST_F(DirectSoundOnMemory, PrimaryBufferNeedsThePriorityLevelForItsFormat) {
    DSBUFFERDESC desc{sizeof(DSBUFFERDESC), DSBCAPS_PRIMARYBUFFER, 0, 0, nullptr};
    IDirectSoundBuffer* primary = nullptr;
    ASSERT_EQ(device->CreateSoundBuffer(&desc, &primary, nullptr), DS_OK);
    WAVEFORMATEX stereo{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
    EXPECT_EQ(primary->SetFormat(&stereo), DSERR_PRIOLEVELNEEDED);
    HWND window = reinterpret_cast<HWND>(0x1234);
    EXPECT_EQ(device->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), DSERR_INVALIDPARAM);
    ASSERT_EQ(device->SetCooperativeLevel(window, DSSCL_PRIORITY), DS_OK);
    EXPECT_EQ(primary->SetFormat(&stereo), DS_OK);
    EXPECT_EQ(primary->Play(0, 0, 0), DSERR_INVALIDPARAM) << "the primary buffer only loops";
    EXPECT_EQ(primary->Play(0, 0, DSBPLAY_LOOPING), DS_OK);
    DWORD status = 0;
    primary->GetStatus(&status);
    EXPECT_NE(status & DSBSTATUS_PLAYING, 0u);
    EXPECT_EQ(primary->Stop(), DS_OK);
    primary->Release();
}

TEST_F(DirectSoundOnMemory, BuffersOutliveTheirDevice) {
    IDirectSoundBuffer* buffer = MakeBuffer({5, 6, 7});
    device->Release();
    device = nullptr;
    EXPECT_EQ(buffer->Play(0, 0, 0), DS_OK);
    EXPECT_EQ(buffer->SetVolume(-100), DS_OK);
    int16_t out[4];
    EXPECT_EQ(PullMemoryAudio(out, 2), 0u) << "the device is closed";
    buffer->Release();
}

TEST_F(DirectSoundOnMemory, TimerThreadMayChangeBuffersWhileTheAudioThreadMixes) {
    IDirectSoundBuffer* buffer = MakeBuffer(std::vector<int16_t>(4096, 1000));
    IDirectSoundBuffer* copy = nullptr;
    device->DuplicateSoundBuffer(buffer, &copy);
    buffer->Play(0, 0, DSBPLAY_LOOPING);
    std::atomic<bool> done{false};
    std::thread mixer([&] {
        std::vector<int16_t> out(512 * 2);
        while (!done.load()) {
            PullMemoryAudio(out.data(), 512);
        }
    });
    for (int i = 0; i < 2000; ++i) {
        buffer->SetVolume(-(i % 10000));
        buffer->SetPan(i % 2000 - 1000);
        buffer->SetFrequency(1000 + i * 10);
        copy->SetCurrentPosition(static_cast<DWORD>(i * 2));
        copy->Play(0, 0, 0);
        DWORD status = 0;
        copy->GetStatus(&status);
        if (i % 100 == 0) {
            copy->Stop();
        }
    }
    done.store(true);
    mixer.join();
    copy->Release();
    buffer->Release();
}

TEST(DirectSoundCreation, FailsWithoutAnAudioDevice) {
    SelectAudioBackendForTesting(AudioBackendKind::Unavailable);
    IDirectSound* device = reinterpret_cast<IDirectSound*>(0x1);
    EXPECT_EQ(DirectSoundCreate(nullptr, &device, nullptr), DSERR_NODRIVER);
    EXPECT_EQ(device, nullptr);
    SelectAudioBackendForTesting(AudioBackendKind::Device);
}

// The live device plays the mix at the level it was selected with (--volume),
// heard through SDL's disk driver, which writes what it plays to a file.
TEST(DirectSoundCreation, TheDevicePlaysAtItsSelectedLevel) {
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "device.raw", 1);
    SelectAudioBackend(AudioBackendKind::Device, 40);
    auto full = [](void* /*user*/, int16_t* stereo, size_t frames) { std::fill_n(stereo, frames * 2, 1000); };
    std::unique_ptr<AudioOutput> output = OpenAudioOutput(44100, full, nullptr);
    ASSERT_NE(output, nullptr);
    // Some SDL versions write a buffer of silence before the first one mixed.
    std::ifstream played("device.raw", std::ios::binary);
    std::vector<int16_t> samples(8192);
    const auto bytes = static_cast<std::streamsize>(samples.size() * sizeof(int16_t));
    for (int wait = 0; wait < 500 && !played.read(reinterpret_cast<char*>(samples.data()), bytes); ++wait) {
        played.clear();
        played.seekg(0);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    output.reset();
    unsetenv("SDL_AUDIODRIVER");
    SelectAudioBackendForTesting(AudioBackendKind::Device);
    EXPECT_GE(std::count(samples.begin(), samples.end(), 400), 4096);
    EXPECT_EQ(std::count(samples.begin(), samples.end(), 400) + std::count(samples.begin(), samples.end(), 0),
              static_cast<std::ptrdiff_t>(samples.size()))
        << "every sample played is the mix at 40 % or silence";
}

TEST(DirectSoundCreation, ComHandsOutAnUninitialisedObject) {
    SelectAudioBackendForTesting(AudioBackendKind::Unavailable);
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(CLSID_DirectSound, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectSound, &object),
              CO_E_NOTINITIALIZED);
    ASSERT_EQ(CoInitialize(nullptr), S_OK);
    EXPECT_EQ(CoInitialize(nullptr), S_FALSE);
    CoUninitialize();
    EXPECT_EQ(CoCreateInstance(IID_IDirectSound, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectSound, &object),
              REGDB_E_CLASSNOTREG);
    EXPECT_EQ(CoCreateInstance(CLSID_DirectSound, nullptr, CLSCTX_INPROC_SERVER, CLSID_DirectSound, &object),
              E_NOINTERFACE);
    ASSERT_EQ(CoCreateInstance(CLSID_DirectSound, nullptr, CLSCTX_INPROC_SERVER, IID_IDirectSound, &object),
              S_OK);
    auto* device = static_cast<IDirectSound*>(object);
    DSCAPS caps{};
    caps.dwSize = sizeof(DSCAPS);
    EXPECT_EQ(device->GetCaps(&caps), DSERR_UNINITIALIZED);
    EXPECT_EQ(device->Initialize(nullptr), DSERR_NODRIVER) << "no sound card";
    SelectAudioBackendForTesting(AudioBackendKind::Memory);
    EXPECT_EQ(device->Initialize(nullptr), DS_OK);
    EXPECT_EQ(device->Initialize(nullptr), DSERR_ALREADYINITIALIZED);
    EXPECT_EQ(device->Release(), 0u);
    CoUninitialize();
    SelectAudioBackendForTesting(AudioBackendKind::Device);
}

}  // namespace
