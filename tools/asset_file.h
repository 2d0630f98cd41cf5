// Writing a generated asset: every generator ends the same way.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

namespace trelk::tools {

// Writes bytes to path; on failure says why on standard error and returns false.
inline bool WriteAssetFile(const char* path, const std::vector<uint8_t>& bytes) {
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        std::perror(path);
        return false;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !written) {
        std::perror(path);
        return false;
    }
    return true;
}

}  // namespace trelk::tools
