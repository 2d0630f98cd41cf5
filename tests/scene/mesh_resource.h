// Installs bytes as mesh resource 117 of type "MESH" for the length of a test.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/win32/resource_table.h"

class MeshResource {
  public:
    explicit MeshResource(std::vector<uint8_t> data, uint32_t id = 117) : bytes_(std::move(data)) {
        // A non-null pointer even for an empty resource, as a module's would be.
        bytes_.reserve(1);
        entry_ = ResourceEntry{id, 0, "MESH", bytes_.data(), static_cast<uint32_t>(bytes_.size())};
        InstallResourceTable(&entry_, 1);
    }
    ~MeshResource() { InstallResourceTable(nullptr, 0); }
    MeshResource(const MeshResource&) = delete;
    MeshResource& operator=(const MeshResource&) = delete;

  private:
    std::vector<uint8_t> bytes_;
    ResourceEntry entry_{};
};
