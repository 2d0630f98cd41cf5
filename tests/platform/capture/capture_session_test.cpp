// A capture session in this process, run again and again: each run is the
// same, a signal stops one early with a file of what it holds, a program that
// fails or a name that is taken leaves nothing, and the video module's entry
// is taken only from a module of this build.
#include "platform/capture/capture_session.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/capture/capture_sink.h"
#include "platform/dsound/dsound.h"
#include "tests/platform/capture/flashing_program.h"

namespace fs = std::filesystem;

namespace {

int Flashing(void* /*context*/) { return FlashingMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOW); }
int FailingAtOnce(void* /*context*/) { return 2; }
int CreateSound(void* created) {
    IDirectSound* sound = nullptr;
    *static_cast<HRESULT*>(created) = DirectSoundCreate(nullptr, &sound, nullptr);
    if (sound != nullptr) {
        sound->Release();
    }
    return 2;
}

class CaptureSessionTest : public testing::Test {
  protected:
    void SetUp() override {
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }

    CaptureSettings Settings(const std::string& name, int seconds = 2) const {
        CaptureSettings settings;
        settings.output = (folder_ / name).string();
        settings.fps = 10;
        settings.seconds = seconds;
        settings.width = 64;
        settings.height = 48;
        settings.quiet = true;
        return settings;
    }

    // What is in the test's folder: names, and nothing under a temporary one.
    std::vector<std::string> Names(const fs::path& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    static std::string Bytes(const fs::path& path) {
        std::string bytes(fs::file_size(path), '\0');
        std::ifstream(path, std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return bytes;
    }

    fs::path folder_ = fs::absolute("capture_session");
};

TEST_F(CaptureSessionTest, RunsTwiceInOneProcessToTheSameFrames) {
    for (const char* name : {"first/", "second/"}) {
        CaptureSession session(Settings(name));
        EXPECT_EQ(session.Run(Flashing, nullptr), 0);
        EXPECT_EQ(session.FramesCaptured(), 20);
    }
    const std::vector<std::string> files = Names(folder_ / "first");
    ASSERT_EQ(files.size(), 21u);  // 20 frames and audio.wav
    EXPECT_EQ(Names(folder_ / "second"), files);
    for (const std::string& file : files) {
        EXPECT_EQ(Bytes(folder_ / "first" / file), Bytes(folder_ / "second" / file)) << file;
    }
    EXPECT_EQ(Names(folder_), (std::vector<std::string>{"first", "second"}));
}

TEST_F(CaptureSessionTest, ASignalStopsItWithWhatItHolds) {
    for (int round = 0; round < 2; ++round) {
        CaptureSession session(Settings("cut" + std::to_string(round) + "/", 3600));
        std::thread signaller([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            kill(getpid(), SIGTERM);
        });
        EXPECT_EQ(session.Run(Flashing, nullptr), 128 + SIGTERM);
        signaller.join();
        const int64_t frames = session.FramesCaptured();
        EXPECT_GT(frames, 0);
        EXPECT_LT(frames, 3600 * 10);
        EXPECT_EQ(Names(folder_ / ("cut" + std::to_string(round))).size(), static_cast<size_t>(frames) + 1);
    }
    struct sigaction restored = {};
    sigaction(SIGTERM, nullptr, &restored);
    EXPECT_EQ(restored.sa_handler, SIG_DFL) << "the process's own handler is back";
}

TEST_F(CaptureSessionTest, AFailingProgramOrATakenNameLeavesNothing) {
    CaptureSession failing(Settings("failed/"));
    EXPECT_EQ(failing.Run(FailingAtOnce, nullptr), 1);
    std::ofstream(folder_ / "taken.mkv") << "kept";
    CaptureSession taken(Settings("taken.mkv"));
    EXPECT_EQ(taken.Run(Flashing, nullptr), 1);
    EXPECT_EQ(Names(folder_), std::vector<std::string>{"taken.mkv"});
    EXPECT_EQ(Bytes(folder_ / "taken.mkv"), "kept");
}

TEST_F(CaptureSessionTest, WithoutSoundTheProgramFindsNoSoundDevice) {
    for (bool sound : {false, true}) {
        HRESULT created = E_FAIL;
        CaptureSession session(Settings(sound ? "heard/" : "silent/"), sound);
        session.Run(CreateSound, &created);
        EXPECT_EQ(created, sound ? DS_OK : DSERR_NODRIVER) << sound;
    }
}

// Entries of modules of this and other builds.
int32_t ThisBuild(uint32_t version, uint32_t size, TrelkVideoModule* module) {
    if (version != TRELK_VIDEO_MODULE_VERSION || size != sizeof(TrelkVideoModule)) {
        return 0;
    }
    module->structSize = sizeof(TrelkVideoModule);
    module->version = TRELK_VIDEO_MODULE_VERSION;
    module->open = [](const TrelkVideoRequest*) -> TrelkVideoEncoder* { return nullptr; };
    module->writeFrame = [](TrelkVideoEncoder*, const uint32_t*, int32_t) { return 0; };
    module->writeSound = [](TrelkVideoEncoder*, const int16_t*, uint64_t) { return 0; };
    module->finish = [](TrelkVideoEncoder*) { return 0; };
    module->close = [](TrelkVideoEncoder*) {};
    return 1;
}
int32_t RefusesThisVersion(uint32_t, uint32_t, TrelkVideoModule*) { return 0; }
int32_t AnswersWithAnotherVersion(uint32_t version, uint32_t size, TrelkVideoModule* module) {
    const int32_t accepted = ThisBuild(version, size, module);
    module->version = TRELK_VIDEO_MODULE_VERSION + 1;
    return accepted;
}
int32_t AnswersWithAnotherSize(uint32_t version, uint32_t size, TrelkVideoModule* module) {
    const int32_t accepted = ThisBuild(version, size, module);
    module->structSize = sizeof(TrelkVideoModule) - sizeof(void*);
    return accepted;
}

TEST(VideoModuleTest, OnlyAModuleOfThisBuildIsAccepted) {
    TrelkVideoModule module{};
    EXPECT_TRUE(AcceptVideoModule(ThisBuild, &module));
    EXPECT_EQ(module.version, static_cast<uint32_t>(TRELK_VIDEO_MODULE_VERSION));
    for (TrelkVideoModuleEntryFunction other :
         {RefusesThisVersion, AnswersWithAnotherVersion, AnswersWithAnotherSize}) {
        TrelkVideoModule untouched{};
        EXPECT_FALSE(AcceptVideoModule(other, &untouched));
        EXPECT_EQ(untouched.open, nullptr);
    }
}

}  // namespace
