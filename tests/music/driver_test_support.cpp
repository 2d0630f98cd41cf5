#include "tests/music/driver_test_support.h"

#include "music/resource_reader.h"
#include "platform/dsound/testing.h"

extern "C" {
int SL_Init(SAMPLOAD* loader);
void SL_Exit(SAMPLOAD* loader);
}

UINT FakeTimer::SetEvent(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags) {
    std::lock_guard lock(mutex);
    UINT id = nextId++;
    events[id] = Event{delay, resolution, callback, user, flags};
    return id;
}

MMRESULT FakeTimer::KillEvent(UINT timerId) {
    std::lock_guard lock(mutex);
    killed.push_back(timerId);
    return events.erase(timerId) == 1 ? TIMERR_NOERROR : MMSYSERR_INVALPARAM;
}

void FakeTimer::Fire(UINT timerId) {
    Event event{};
    {
        std::lock_guard lock(mutex);
        auto found = events.find(timerId);
        if (found == events.end()) {
            return;  // killed: a real timer would not call it either
        }
        event = found->second;
    }
    event.callback(timerId, 0, event.user, 0, 0);
}

UINT FakeTimer::LiveId() const {
    std::lock_guard lock(mutex);
    return LiveIdLocked();
}

SWORD LoadSample(const SampleSpec& sampleSpec) {
    std::vector<uint8_t> file;
    for (int16_t value : sampleSpec.data) {
        if (sampleSpec.sixteenBit) {
            file.push_back(static_cast<uint8_t>(value & 0xFF));
        }
        file.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
    }
    ResourceReader reader{};
    OpenResourceReader(reader, file.data(), static_cast<uint32_t>(file.size()));
    SAMPLE sample{};
    sample.length = sampleSpec.lengthOverride != 0 ? sampleSpec.lengthOverride
                                                   : static_cast<ULONG>(sampleSpec.data.size());
    sample.loopstart = sampleSpec.loopStart;
    sample.loopend = sampleSpec.loopEnd;
    sample.flags = static_cast<UWORD>(SF_SIGNED | (sampleSpec.sixteenBit ? SF_16BITS : 0) |
                                      (sampleSpec.looped ? SF_LOOP : 0));
    SAMPLOAD loader{};
    loader.length = sample.length;
    loader.loopstart = sample.loopstart;
    loader.loopend = sample.loopend;
    loader.infmt = loader.outfmt = sample.flags & SF_FORMATMASK;
    loader.sample = &sample;
    loader.reader = &reader.reader;
    SL_Init(&loader);
    SWORD handle = SampleLoad(&loader, MD_HARDWARE);
    SL_Exit(&loader);
    return handle;
}

void FakeSoundTest::SetUp() {
    ResetOutputDriverForTesting();
    SelectAudioBackendForTesting(AudioBackendKind::Unavailable);
    InstallFakeDirectSound(&sound);
}

void FakeSoundTest::TearDown() {
    InstallFakeDirectSound(nullptr);
    SelectAudioBackendForTesting(AudioBackendKind::Device);
}

void DriverTest::SetUp() {
    FakeSoundTest::SetUp();
    SetMultimediaTimerForTesting(&timer);
    md_numchn = 4;
    md_player = nullptr;
    // No primary buffer, so that sound.buffers holds only what the samples made.
    sound.cooperativeResult = DSERR_INVALIDPARAM;
    ASSERT_EQ(directSoundDriver.Init(), 0);
}

void DriverTest::TearDown() {
    for (int i = 0; i < MAX_SAMPLE_SLOTS; ++i) {
        SampleUnload(static_cast<SWORD>(i));
    }
    directSoundDriver.Exit();
    SetMultimediaTimerForTesting(nullptr);
    md_player = nullptr;
    FakeSoundTest::TearDown();
}

void DriverTest::StartVoice(UBYTE voice, SWORD handle, uint32_t size, uint32_t loopStart, uint32_t loopEnd,
                            bool looped) {
    VoicePlay(voice, handle, 0, size, loopStart, loopEnd, static_cast<UWORD>(looped ? SF_LOOP : 0));
    UpdateVoice(outputDriver.voices[voice]);
}
