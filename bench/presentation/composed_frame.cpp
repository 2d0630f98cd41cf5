#include "bench/presentation/composed_frame.h"

#include <chrono>

#include "app/program_objects.h"
#include "app/win_main.h"
#include "platform/mmsystem/testing.h"
#include "platform/win32/testing.h"
#include "presentation/render_frame.h"

namespace {

DWORD fakeNow = 1000;
DWORD FakeTime() { return fakeNow; }

}  // namespace

bool SetUpComposedFrames() {
    static bool ready = [] {
        SetHeadlessWindowsForTesting(true);
        SetTimeSourceForTesting(FakeTime);
        PrepareMainframe(GetModuleHandleA(nullptr));
        return mainframe.CreateMainWindow() == 0 && mainframe.display.CreateDisplay(640, 480, 16) >= 0 &&
               SetUpPresentation() == 0;
    }();
    return ready;
}

double ComposeTimedFrameUs() {
    fakeNow += 41;
    const auto start = std::chrono::steady_clock::now();
    RenderFrame(frameObjects);
    return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
}
