// The process entry in a web page. The page starts the program with its URL's
// options as the command line (web/page/page.js); it runs on a thread of its
// own (emscripten's PROXY_TO_PTHREAD), so its message loop may block as on a
// desktop. When WinMain returns, the page is told how the run ended.
#include <emscripten/emscripten.h>
#include <emscripten/threading.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <vector>

#include "platform/core/command_line.h"
#include "platform/core/stand_in_settings.h"
#include "platform/dsound/audio_backend.h"
#include "platform/mmsystem/timer_thread.h"
#include "platform/present/presenter.h"
#include "platform/web/web_input.h"
#include "platform/web/web_presenter.h"
#include "platform/win32/program_entry.h"
#include "platform/win32/window_registry.h"

namespace {

void TellPageEnded(int exitCode) {
    std::fflush(stdout);
    std::fflush(stderr);
    MAIN_THREAD_EM_ASM(
        {
            if (Module.trelkPage) Module.trelkPage.ended($0);
        },
        exitCode);
}

}  // namespace

int RunWinMain(int argc, char** argv, WinMainFunction winMain) {
    ParsedCommandLine parsed = ParseCommandLine(argc, argv, stdout, stderr);
    if (!parsed.run) {
        // Nothing of the program ran, so nothing of it may run at exit either
        // (as natively, where the process ends at once); but a page's exit
        // runs the program's exit-time clean-up whatever the status. This
        // instance is left to itself instead: the page never starts it again.
        TellPageEnded(parsed.exitCode);
        static std::atomic<uint32_t> never{0};
        for (;;) {
            emscripten_futex_wait(&never, 0, INFINITY);
        }
    }
    SetSettings(parsed.settings);
    SelectAudioBackend(parsed.settings.sound ? AudioBackendKind::Device : AudioBackendKind::Unavailable,
                       parsed.settings.volume);
    SetWindowsOffScreen();
    int result = 0;
    {
        WebPresenter presenter(PictureScaling{parsed.settings.scale, parsed.settings.filter});
        SetOffScreenPresenter(&presenter);
        WebInput input;
        std::vector<char> commandLine(parsed.programLine.begin(), parsed.programLine.end());
        commandLine.push_back('\0');
        result = winMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOW);
        // The process's end runs on the page's own thread, which must not wait
        // for a thread to end: the timer thread ends here instead.
        CloseTimerThread();
        SetOffScreenPresenter(nullptr);
    }
    TellPageEnded(result);
    return result;
}
