// Little- and big-endian byte writing for the tracker formats besides XM.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace song {

class ModuleBytes {
  public:
    void U8(uint32_t v) { bytes.push_back(static_cast<uint8_t>(v & 0xFF)); }
    void U16(uint32_t v) {
        U8(v);
        U8(v >> 8);
    }
    void U32(uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void U16Big(uint32_t v) {
        U8(v >> 8);
        U8(v);
    }
    // Fixed-width text, cut or padded with zeros.
    void Text(const std::string& text, size_t width) {
        for (size_t i = 0; i < width; ++i) {
            U8(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
        }
    }
    void Zeros(size_t count) { bytes.insert(bytes.end(), count, 0); }
    // Zeros up to the next multiple of 16, where S3M parapointers point.
    void AlignTo16() { Zeros((16 - bytes.size() % 16) % 16); }
    // Writes a 16-bit little-endian value at an earlier offset.
    void PatchU16(size_t offset, uint32_t v) {
        bytes[offset] = static_cast<uint8_t>(v & 0xFF);
        bytes[offset + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
    }
    size_t Size() const { return bytes.size(); }

    std::vector<uint8_t> bytes;
};

}  // namespace song
