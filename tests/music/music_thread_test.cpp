// The music thread's handshake with the application: stop requests at any
// moment, songs that end, early ends, and a machine without sound.
#include "music/music_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <tuple>

#include "music/output_driver_state.h"
#include "platform/dsound/testing.h"
#include "platform/win32/testing.h"
#include "tests/music/driver_test_support.h"
#include "tests/music/looping_song.h"
#include "tests/support/installed_resource.h"
#include "tests/support/wait_for.h"

namespace {

using namespace std::chrono_literals;

class MusicThread : public FakeSoundTest {
  protected:
    void SetUp() override {
        FakeSoundTest::SetUp();
        UseSong(XmBytes(LoopingSong(4)));
        control.store(Running);
        RepeatSong.store(true);
    }
    void TearDown() override {
        SetMultimediaTimerForTesting(nullptr);
        song.reset();
        RepeatSong.store(false);
        FakeSoundTest::TearDown();
    }
    void UseSong(const std::vector<uint8_t>& bytes) { song.emplace(116, bytes); }
    int Start(int extendedSpeed = 1) { return StartMusic(extendedSpeed, song->Size(), "#116", &control); }
    bool WaitForStopped() {
        return WaitFor([this] { return control.load() == Stopped; });
    }
    bool AnyVoiceStarted() {
        std::lock_guard lock(sound.mutex);
        for (const auto& buffer : sound.buffers) {
            if (buffer->playing && (buffer->flags & DSBCAPS_PRIMARYBUFFER) == 0) {
                return true;
            }
        }
        return false;
    }
    size_t CallCount() {
        std::lock_guard lock(sound.mutex);
        size_t count = 0;
        for (const auto& buffer : sound.buffers) {
            count += buffer->calls.size();
        }
        return count;
    }
    // Everything the driver made is released and the timer is gone.
    void ExpectAllReleased() {
        EXPECT_EQ(sound.LiveBuffers(), 0);
        EXPECT_EQ(sound.references, 1);
        size_t calls = CallCount();
        std::this_thread::sleep_for(50ms);
        EXPECT_EQ(CallCount(), calls) << "no timer event after Stopped";
    }

    std::optional<InstalledResource> song;
    std::atomic<int32_t> control{Running};
};

TEST_F(MusicThread, StopDuringPlaybackReleasesEverythingBeforeStopped) {
    ASSERT_EQ(Start(), 1);
    ASSERT_TRUE(WaitFor([this] { return AnyVoiceStarted(); })) << "the timer plays the song";
    control.store(StopRequested);
    ASSERT_TRUE(WaitForStopped());
    ExpectAllReleased();
}

TEST_F(MusicThread, StopDuringSetUpIsNoticedAtTheFirstPoll) {
    sound.onInitialize = [this] { control.store(StopRequested); };
    ASSERT_EQ(Start(), 1);
    ASSERT_TRUE(WaitForStopped());
    ExpectAllReleased();
}

TEST_F(MusicThread, StopDuringLoadingIsNoticedAtTheFirstPoll) {
    sound.onCreateBuffer = [this] { control.store(StopRequested); };
    ASSERT_EQ(Start(), 1);
    ASSERT_TRUE(WaitForStopped());
    ExpectAllReleased();
}

TEST_F(MusicThread, StopsOfManyRunsAtRandomMomentsNeverHang) {
    for (int run = 0; run < 12; ++run) {
        control.store(Running);
        ASSERT_EQ(Start(), 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(run * 7 % 40));
        control.store(StopRequested);
        ASSERT_TRUE(WaitForStopped()) << "run " << run;
    }
    ExpectAllReleased();
}

TEST_F(MusicThread, MissingResourceEndsTheThreadWithAnEmptyErrorLine) {
    InstallResourceTable(nullptr, 0);
    MusicParams params{"#116", 1000, 1, &control};
    testing::internal::CaptureStdout();
    EXPECT_EQ(MusicThreadMain(&params), 0u);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "MikMod Error: \n");
    EXPECT_EQ(control.load(), Running);
    MikMod_Exit();  // the thread leaves the driver layer up
    EXPECT_EQ(sound.references, 1);
}

TEST_F(MusicThread, UnknownModuleEndsTheThreadWithTheLibrarysText) {
    UseSong(std::vector<uint8_t>(2000, 0x5A));
    MusicParams params{"#116", 2000, 1, &control};
    testing::internal::CaptureStdout();
    EXPECT_EQ(MusicThreadMain(&params), 0u);
    std::string line = testing::internal::GetCapturedStdout();
    EXPECT_EQ(line, std::string("MikMod Error: ") + MikMod_strerror(MMERR_NOT_A_MODULE) + "\n");
    EXPECT_EQ(control.load(), Running);
    MikMod_Exit();
}

TEST_F(MusicThread, WithoutASoundDeviceTheSilentDriverPlaysAndTheHandshakeWorks) {
    InstallFakeDirectSound(nullptr);
    ASSERT_EQ(Start(), 1);
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(control.load(), Running);
    control.store(StopRequested);
    ASSERT_TRUE(WaitForStopped());
}

TEST_F(MusicThread, ThreadThatCannotBeMadeShowsTheWarning) {
    static std::string text;
    static const char* caption = "unset";
    static HWND owner = reinterpret_cast<HWND>(1);
    static UINT style = 0;
    SetThreadStartFailureForTesting(true);
    SetMessageBoxHookForTesting([](HWND o, LPCSTR t, LPCSTR c, UINT s) {
        owner = o;
        text = t;
        caption = c;
        style = s;
        return IDOK;
    });
    EXPECT_EQ(Start(), 0);
    SetThreadStartFailureForTesting(false);
    SetMessageBoxHookForTesting(nullptr);
    EXPECT_EQ(text, "Yer machine is pretty cooked!\nCannot thread.");
    EXPECT_EQ(caption, nullptr);
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(style, MB_ICONWARNING);
}

// With a timer the test fires itself, the song's progress is exact.
class SteppedMusicThread : public MusicThread {
  protected:
    void SetUp() override {
        MusicThread::SetUp();
        SetMultimediaTimerForTesting(&timer);
    }
    void StartAndWaitForTimer(int extendedSpeed) {
        ASSERT_EQ(Start(extendedSpeed), 1);
        ASSERT_TRUE(WaitFor([this] { return timer.LiveId() != 0; }));
    }
    void FireTicks(int ticks) {
        // Nine events in ten fires at 125 bpm, three events a tick.
        for (int i = 0; i < ticks * 10 / 3 + 4; ++i) {
            UINT id = timer.LiveId();
            if (id == 0) {
                break;  // playback stopped
            }
            timer.Fire(id);
        }
    }
    FakeTimer timer;
};

// With extended speed F40 sets a tempo of 64 bpm, without it 64 ticks a row.
TEST_F(SteppedMusicThread, SetSpeedOf64IsATempoOnlyWithExtendedSpeed) {
    song::XmModule tempoSong = LoopingSong(4);
    tempoSong.patterns[0].At(0, 0).effect = 0xF;
    tempoSong.patterns[0].At(0, 0).param = 0x40;
    UseSong(XmBytes(tempoSong));
    for (const auto& [extendedSpeed, bpm, delay] : {std::tuple{1, 64, 13u}, std::tuple{0, 125, 6u}}) {
        control.store(Running);
        StartAndWaitForTimer(extendedSpeed);
        FireTicks(2);
        EXPECT_EQ(md_bpm, bpm);
        EXPECT_EQ(timer.Live().delay, delay) << "2500 / (3 x bpm) ms";
        control.store(StopRequested);
        ASSERT_TRUE(WaitForStopped());
    }
}

TEST_F(SteppedMusicThread, SongThatEndsWithoutRepeatStopsByItself) {
    RepeatSong.store(false);
    StartAndWaitForTimer(1);
    FireTicks(LOOPING_SONG_ROWS * 6 + 2);  // one pattern at 6 ticks a row
    ASSERT_TRUE(WaitForStopped()) << "no request was needed";
    ExpectAllReleased();
}

TEST_F(SteppedMusicThread, SongWithRepeatPlaysOnPastItsEnd) {
    StartAndWaitForTimer(1);
    FireTicks(3 * LOOPING_SONG_ROWS * 6);
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(control.load(), Running);
    control.store(StopRequested);
    ASSERT_TRUE(WaitForStopped());
}

}  // namespace
