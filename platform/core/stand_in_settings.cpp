#include "platform/core/stand_in_settings.h"

#include <cstdarg>

namespace {

StandInSettings& Current() {
    static StandInSettings settings;
    return settings;
}

}  // namespace

const StandInSettings& Settings() { return Current(); }

void SetSettings(const StandInSettings& settings) { Current() = settings; }

void Verbose(const char* format, ...) {
    if (!Settings().verbose) {
        return;
    }
    std::fputs("trelk: ", stderr);
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::fputc('\n', stderr);
}
