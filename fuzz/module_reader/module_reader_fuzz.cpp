// Arbitrary bytes as the song resource: loaded through our resource reader by
// the library's loaders into our output driver on the memory sound device,
// then played for a few ticks with the timer stepped by hand.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "music/music_thread.h"
#include "music/output_driver_state.h"
#include "music/resource_reader.h"
#include "platform/dsound/testing.h"
#include "platform/mmsystem/testing.h"
#include "platform/win32/resource_table.h"

namespace {

constexpr int EVENTS_PLAYED = 60;  // twenty player ticks

// Timer events are run by hand below; the timer only hands out ids.
class SteppedTimer final : public MultimediaTimerForTesting {
  public:
    UINT SetEvent(UINT, UINT, LPTIMECALLBACK, DWORD_PTR, UINT) override { return ++lastId; }
    MMRESULT KillEvent(UINT) override { return TIMERR_NOERROR; }
    UINT lastId = 0;
};

bool SetUpOnce() {
    static SteppedTimer timer;
    SelectAudioBackendForTesting(AudioBackendKind::Memory);
    SetMultimediaTimerForTesting(&timer);
    RegisterMusicLibraryParts();
    md_device = 0;
    md_mode = DMODE_16BITS | DMODE_STEREO;
    return MikMod_Init("") == 0 && md_driver == &directSoundDriver;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool ready = SetUpOnce();
    if (!ready) {
        return 0;
    }
    // An exact copy, so that a read past the end is a detectable fault.
    std::vector<uint8_t> song(data, data + size);
    ResourceEntry entry{116, 10, nullptr, song.data(), static_cast<uint32_t>(song.size())};
    InstallResourceTable(&entry, 1);
    MODULE* module = LoadModuleFromResource(static_cast<uint32_t>(size), "#116");
    if (module != nullptr) {
        module->wrap = 1;
        module->loop = 1;
        Player_Start(module);
        for (int i = 0; i < EVENTS_PLAYED; ++i) {
            MikMod_Lock();
            DriverEvent();
            MikMod_Unlock();
        }
        Player_Stop();
        Player_Free(module);
    }
    InstallResourceTable(nullptr, 0);
    return 0;
}
