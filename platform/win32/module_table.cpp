// Module look-up: the executable itself and the named entries the stand-in
// provides in place of system libraries.
#include <strings.h>

#include <string>
#include <vector>

#include "platform/core/unsupported.h"
#include "platform/ddraw/ddraw.h"
#include "platform/win32/testing.h"
#include "platform/win32/windows.h"

struct HINSTANCE__ {
    const char* name;
};

namespace {

HINSTANCE__ executableModule{"TRELK.EXE"};
HINSTANCE__ ddrawModule{"DDRAW.DLL"};

struct ProcEntry {
    std::string module;
    std::string name;
    FARPROC function;
};

std::vector<ProcEntry>& Overrides() {
    static auto* overrides = new std::vector<ProcEntry>();  // never destroyed: safe at exit
    return *overrides;
}

FARPROC RealProc(const HINSTANCE__* module, LPCSTR name) {
    if (module == &ddrawModule && strcasecmp(name, "DirectDrawEnumerateExA") == 0) {
        return reinterpret_cast<FARPROC>(&DirectDrawEnumerateExA);
    }
    return nullptr;
}

}  // namespace

HMODULE LoadLibraryA(LPCSTR fileName) {
    if (fileName == nullptr) {
        return &executableModule;
    }
    return GetModuleHandleA(fileName);
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
    if (moduleName == nullptr) {
        return &executableModule;
    }
    if (strcasecmp(moduleName, ddrawModule.name) == 0 || strcasecmp(moduleName, "DDRAW") == 0) {
        return &ddrawModule;
    }
    return nullptr;
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName) {
    if (module == nullptr || procName == nullptr) {
        return nullptr;
    }
    if (IS_INTRESOURCE(procName)) {
        return ReportUnsupported("GetProcAddress by ordinal", FARPROC{nullptr});
    }
    for (const ProcEntry& entry : Overrides()) {
        if (strcasecmp(entry.module.c_str(), module->name) == 0 &&
            strcasecmp(entry.name.c_str(), procName) == 0) {
            return entry.function;
        }
    }
    return RealProc(module, procName);
}

void SetProcAddressForTesting(const char* module, const char* name, FARPROC function) {
    for (ProcEntry& entry : Overrides()) {
        if (entry.module == module && entry.name == name) {
            entry.function = function;
            return;
        }
    }
    Overrides().push_back({module, name, function});
}

void ClearProcAddressOverrides() { Overrides().clear(); }
