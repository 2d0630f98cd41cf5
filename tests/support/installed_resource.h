// Bytes installed as the executable's only resource for as long as the object
// lives; the table is emptied when it goes. The bytes are copied into a heap
// block of exactly their size, so that the address sanitizer sees any read
// past the end, and an empty resource still has an address, as a module's would.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/win32/resource_table.h"

class InstalledResource {
  public:
    // typeName null: an RCDATA resource. size: what the table reports, the
    // bytes' own by default.
    InstalledResource(uint32_t id, const std::vector<uint8_t>& bytes, const char* typeName = nullptr,
                      uint32_t size = UINT32_MAX)
        : bytes_(new uint8_t[bytes.size() + (bytes.empty() ? 1 : 0)]) {
        std::copy(bytes.begin(), bytes.end(), bytes_.get());
        entry_ = ResourceEntry{id, typeName != nullptr ? 0u : 10u, typeName, bytes_.get(),
                               size != UINT32_MAX ? size : static_cast<uint32_t>(bytes.size())};
        InstallResourceTable(&entry_, 1);
    }
    ~InstalledResource() { InstallResourceTable(nullptr, 0); }
    InstalledResource(const InstalledResource&) = delete;
    InstalledResource& operator=(const InstalledResource&) = delete;

    uint32_t Size() const { return entry_.size; }

  private:
    std::unique_ptr<uint8_t[]> bytes_;
    ResourceEntry entry_{};
};
