// Choosing a DirectDraw driver: every driver that offers IDirectDraw4 is
// staged, and the last one found is used.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "display/display_device.h"

namespace {

// Filled by the enumeration callback, then copied to the caller's table.
DriverRecord stagedDrivers[MAX_DRIVERS];
uint8_t stagedCount = 0;

constexpr DWORD ENUMERATE_ALL =
    DDENUM_ATTACHEDSECONDARYDEVICES | DDENUM_DETACHEDSECONDARYDEVICES | DDENUM_NONDISPLAYDEVICES;

BOOL EnumerationCallback(GUID* guid, LPSTR description, LPSTR /*driverName*/, LPVOID /*context*/,
                         HMONITOR /*monitor*/) {
    if (stagedCount == MAX_DRIVERS) {
        return FALSE;
    }
    IDirectDraw* directDraw = nullptr;
    if (FAILED(DirectDrawCreate(guid, &directDraw, nullptr))) {
        return TRUE;
    }
    void* directDraw4 = nullptr;
    if (FAILED(directDraw->QueryInterface(IID_IDirectDraw4, &directDraw4))) {
        directDraw->Release();
        return TRUE;
    }
    // Only the question mattered: does this driver offer IDirectDraw4.
    static_cast<IDirectDraw4*>(directDraw4)->Release();
    directDraw->Release();

    DriverRecord& record = stagedDrivers[stagedCount];
    if (guid != nullptr) {
        std::memcpy(&record.guid, guid, sizeof(GUID));
    }
    if (description != nullptr) {
        // Longer descriptions are cut to fit the field with its terminator.
        const size_t length = std::min(std::strlen(description), sizeof(record.description) - 1);
        std::memcpy(record.description, description, length);
        record.description[length] = '\0';
    }
    ++stagedCount;
    record.present = 0;
    return TRUE;
}

}  // namespace

int EnumerateDrivers(DriverRecord* table, uint8_t* count, uint8_t* chosen) {
    using EnumerateFunction = HRESULT (*)(LPDDENUMCALLBACKEXA, LPVOID, DWORD);
    const auto enumerate = reinterpret_cast<EnumerateFunction>(
        GetProcAddress(GetModuleHandleA("DDRAW.DLL"), "DirectDrawEnumerateExA"));
    // Every enumeration starts from an empty table, not from the last one's records.
    for (DriverRecord& record : stagedDrivers) {
        record = DriverRecord{};
        record.present = 0xFF;
    }
    stagedCount = 0;
    if (enumerate != nullptr) {
        enumerate(EnumerationCallback, nullptr, ENUMERATE_ALL);
    }
    std::copy(std::begin(stagedDrivers), std::end(stagedDrivers), table);
    const auto present = std::count_if(std::begin(stagedDrivers), std::end(stagedDrivers),
                                       [](const DriverRecord& record) { return record.present == 0; });
    *count = stagedCount;
    *chosen = static_cast<uint8_t>(present - 1);
    return 0;
}
