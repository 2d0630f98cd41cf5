// Shared set-up of the output driver's tests: a fake DirectSound, a timer the
// test fires by hand, and samples loaded through the library's sample reader.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <mutex>
#include <vector>

#include "music/output_driver_state.h"
#include "platform/mmsystem/testing.h"
#include "tests/support/fake_direct_sound.h"

// Thread-safe: the driver may program it from the music thread while the
// test fires it.
class FakeTimer final : public MultimediaTimerForTesting {
  public:
    struct Event {
        UINT delay;
        UINT resolution;
        LPTIMECALLBACK callback;
        DWORD_PTR user;
        UINT flags;
    };
    UINT SetEvent(UINT delay, UINT resolution, LPTIMECALLBACK callback, DWORD_PTR user, UINT flags) override;
    MMRESULT KillEvent(UINT timerId) override;
    // Calls the live event's callback once, as the timer thread would.
    void Fire(UINT timerId);
    UINT LiveId() const;  // the one live event, 0 if none
    Event Live() const {
        std::lock_guard lock(mutex);
        return events.at(LiveIdLocked());
    }

    mutable std::mutex mutex;
    std::map<UINT, Event> events;
    std::vector<UINT> killed;
    UINT nextId = 100;

  private:
    UINT LiveIdLocked() const { return events.size() == 1 ? events.begin()->first : 0; }
};

// A sample for SampleLoad: `data` as the file holds it (8-bit samples are
// the high bytes), optionally looped over [loopStart, loopEnd).
struct SampleSpec {
    std::vector<int16_t> data;
    bool sixteenBit = true;
    bool looped = false;
    uint32_t loopStart = 0;
    uint32_t loopEnd = 0;
    uint32_t lengthOverride = 0;  // a length larger than the data (nothing is read)
};
SWORD LoadSample(const SampleSpec& sampleSpec);

// A test on the DirectSound fake: the driver's state reset, no real audio
// back end, and `sound` handed out as the device until the test ends.
class FakeSoundTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    FakeDirectSound sound;
};

// The driver initialised on the fake, with a timer the test fires.
class DriverTest : public FakeSoundTest {
  protected:
    void SetUp() override;
    void TearDown() override;
    // VoicePlay of a whole sample of `size` samples on `voice`, then the update.
    void StartVoice(UBYTE voice, SWORD handle, uint32_t size, uint32_t loopStart = 0, uint32_t loopEnd = 0,
                    bool looped = false);

    FakeTimer timer;
};
