// The command line: any words, split at NUL bytes, must parse to settings
// within their ranges or to a usage error, never crash or read past a word.
// What a capture's form cannot hold (an .mp4 of odd size, a folder's WAV past
// 4 GB) is never accepted, nor an option taken as another's value.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/core/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> words{"trelk"};
    std::string word;
    for (size_t i = 0; i < size && words.size() < 32; ++i) {
        if (data[i] == 0) {
            words.push_back(word);
            word.clear();
        } else {
            word.push_back(static_cast<char>(data[i]));
        }
    }
    words.push_back(word);
    std::vector<const char*> argv;
    for (const std::string& each : words) {
        argv.push_back(each.c_str());
    }
    static std::FILE* sink = std::fopen("/dev/null", "w");
    const ParsedCommandLine parsed = ParseCommandLine(static_cast<int>(argv.size()), argv.data(), sink, sink);
    if (parsed.run) {
        const StandInSettings& s = parsed.settings;
        const CaptureSettings& c = s.capture;
        if (s.volume < 0 || s.volume > 100 || s.display < 0 || s.display > 63 || c.fps < 1 || c.fps > 240 ||
            c.seconds < 1 || c.seconds > 86400 || c.width < 64 || c.width > 7680 || c.height < 48 ||
            c.height > 5760) {
            __builtin_trap();
        }
        const bool mp4 = c.output.ends_with(".mp4");
        const bool folder = !mp4 && !c.output.ends_with(".mkv");
        if ((mp4 && (c.width % 2 != 0 || c.height % 2 != 0)) ||
            (!c.output.empty() && folder && c.seconds > CAPTURE_WAV_MOST_SECONDS)) {
            __builtin_trap();
        }
        for (size_t i = 1; i + 1 < words.size() && words[i] != "--"; ++i) {
            for (const char* takesValue : {"--capture", "--fps", "--seconds", "--size", "--display",
                                           "--volume", "--renderer", "--scale", "--filter"}) {
                if (words[i] == takesValue && words[i + 1].starts_with("--")) {
                    __builtin_trap();
                }
            }
        }
    } else if (parsed.exitCode != EXIT_CODE_OK && parsed.exitCode != EXIT_CODE_BAD_USAGE) {
        __builtin_trap();
    }
    return 0;
}
