#include <cstring>

#include "platform/win32/windows.h"

bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
