// Resources: the executable's embedded resource table, looked up by id and type.
#include <strings.h>

#include <cstdlib>
#include <cstring>

#include "platform/core/unsupported.h"
#include "platform/win32/resource_table.h"
#include "platform/win32/windows.h"

namespace {

const ResourceEntry* installedEntries = nullptr;
size_t installedCount = 0;

// "#115" and MAKEINTRESOURCE(115) both name id 115; other strings name nothing
// here, because the resource script gives every resource an integer id.
bool ParseId(LPCSTR name, uint32_t* id) {
    if (name == nullptr) {
        return false;
    }
    if (IS_INTRESOURCE(name)) {
        *id = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(name));
        return true;
    }
    if (name[0] != '#' || name[1] == '\0') {
        return false;
    }
    char* end = nullptr;
    unsigned long value = std::strtoul(name + 1, &end, 10);
    if (*end != '\0' || value > 0xFFFF) {
        return false;
    }
    *id = static_cast<uint32_t>(value);
    return true;
}

bool TypeMatches(const ResourceEntry& entry, LPCSTR type) {
    uint32_t typeId = 0;
    if (ParseId(type, &typeId)) {
        return entry.typeName == nullptr && entry.typeId == typeId;
    }
    // Named types compare without regard to case, as on Windows.
    return type != nullptr && entry.typeName != nullptr && strcasecmp(entry.typeName, type) == 0;
}

}  // namespace

void InstallResourceTable(const ResourceEntry* entries, size_t count) {
    installedEntries = entries;
    installedCount = count;
}

HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type) {
    if (module != nullptr && module != GetModuleHandleA(nullptr)) {
        ReportUnsupported("resources of modules other than the executable (its own are searched)");
    }
    uint32_t id = 0;
    if (!ParseId(name, &id)) {
        return nullptr;
    }
    for (size_t i = 0; i < installedCount; ++i) {
        const ResourceEntry& entry = installedEntries[i];
        if (entry.id == id && TypeMatches(entry, type)) {
            return reinterpret_cast<HRSRC>(const_cast<ResourceEntry*>(&entry));
        }
    }
    return nullptr;
}

HGLOBAL LoadResource(HMODULE /*module*/, HRSRC resource) {
    if (resource == nullptr) {
        return nullptr;
    }
    return const_cast<uint8_t*>(reinterpret_cast<const ResourceEntry*>(resource)->data);
}

LPVOID LockResource(HGLOBAL loaded) { return loaded; }

DWORD SizeofResource(HMODULE /*module*/, HRSRC resource) {
    if (resource == nullptr) {
        return 0;
    }
    return reinterpret_cast<const ResourceEntry*>(resource)->size;
}
