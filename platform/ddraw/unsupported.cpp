#include "platform/ddraw/unsupported.h"

#include <cstdio>
#include <mutex>
#include <set>

HRESULT ReportUnsupported(const char* what, HRESULT code) {
    static std::mutex mutex;
    static auto* reported = new std::set<const char*>();  // never destroyed: usable at exit
    bool first = false;
    {
        std::lock_guard lock(mutex);
        first = reported->insert(what).second;
    }
    if (first) {
        std::fprintf(stderr, "unsupported: %s\n", what);
    }
    return code;
}
