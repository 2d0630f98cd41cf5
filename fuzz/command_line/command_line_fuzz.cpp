// The command line: any words, split at NUL bytes, must parse to settings
// within their ranges or to a usage error, never crash or read past a word.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/command_line.h"

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
    } else if (parsed.exitCode != EXIT_CODE_OK && parsed.exitCode != EXIT_CODE_BAD_USAGE) {
        __builtin_trap();
    }
    return 0;
}
