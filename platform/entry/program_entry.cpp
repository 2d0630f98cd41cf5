// The process entry: the one place that knows every room of the stand-in,
// the capture included (nothing of win32/ or ddraw/ reaches up into capture/).
#include "platform/win32/program_entry.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/capture/capture_session.h"
#include "platform/core/command_line.h"
#include "platform/dsound/audio_backend.h"
#include "platform/win32/window_registry.h"

namespace {

bool IsSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

}  // namespace

int RunWinMain(int argc, char** argv, WinMainFunction winMain) {
    ParsedCommandLine parsed = ParseCommandLine(argc, argv, stdout, stderr);
    if (!parsed.run) {
        std::fflush(stdout);
        // Nothing of the program ran: no exit-time clean-up, no log line.
        std::_Exit(parsed.exitCode);
    }
    SetSettings(parsed.settings);
    const bool sound = parsed.settings.sound;
    SelectAudioBackend(sound ? AudioBackendKind::Device : AudioBackendKind::Unavailable,
                       parsed.settings.volume);
    if (!parsed.settings.capture.output.empty()) {
        // Off-screen on a virtual clock: no display needed.
        struct Call {
            WinMainFunction winMain;
            std::vector<char> line;
        } call{winMain, std::vector<char>(parsed.programLine.begin(), parsed.programLine.end())};
        call.line.push_back('\0');
        return RunCapture(
            parsed.settings.capture, sound,
            [](void* context) {
                auto* c = static_cast<Call*>(context);
                return c->winMain(GetModuleHandleA(nullptr), nullptr, c->line.data(), SW_SHOW);
            },
            &call);
    }
#if defined(__unix__) && !defined(__ANDROID__)
    // SDL would otherwise settle for an off-screen or console video driver and
    // the intro would run unseen. Video itself starts with the first window,
    // once its class name is known (starting it twice in one process loses
    // the X connection with this SDL).
    if (!IsSet("DISPLAY") && !IsSet("WAYLAND_DISPLAY") && !IsSet("SDL_VIDEODRIVER")) {
        std::fprintf(stderr, "trelk: no display available (neither DISPLAY nor WAYLAND_DISPLAY is set)\n");
        std::_Exit(EXIT_CODE_FAILED);
    }
#endif
    std::vector<char> commandLine(parsed.programLine.begin(), parsed.programLine.end());
    commandLine.push_back('\0');
    int result = winMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOW);
    // No window could be shown (a display named but unreachable, a monitor
    // that does not exist, nothing to present with).
    return VideoUnavailable() ? EXIT_CODE_FAILED : result;
}
