#include "platform/core/unsupported.h"

#include <cstdio>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <utility>

#ifndef TRELK_SOURCE_ROOT
#define TRELK_SOURCE_ROOT ""
#endif

namespace {

// The path from the top of the tree, the same in every checkout.
const char* ShortPath(const char* file) {
    constexpr std::string_view ROOT = TRELK_SOURCE_ROOT;
    return std::string_view(file).starts_with(ROOT) ? file + ROOT.size() : file;
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
