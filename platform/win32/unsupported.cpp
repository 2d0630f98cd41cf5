#include "platform/win32/unsupported.h"

#include <cstdio>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <utility>

namespace {

// The path from platform/ on, the same in every build tree.
const char* ShortPath(const char* file) {
    const char* shown = file;
    for (const char* at = std::strstr(file, "platform/"); at != nullptr;
         at = std::strstr(at + 1, "platform/")) {
        if (at == file || at[-1] == '/') {
            shown = at;
        }
    }
    return shown;
}

}  // namespace

void ReportUnsupported(const char* what, const char* file, unsigned line) {
    static std::mutex mutex;
    static auto* reported =
        new std::set<std::pair<std::string, unsigned>>();  // never destroyed: usable at exit
    const char* path = ShortPath(file);
    {
        std::lock_guard lock(mutex);
        if (!reported->emplace(path, line).second) {
            return;
        }
    }
    std::fprintf(stderr, "unsupported: %s (%s:%u)\n", what, path, line);
}
