// A 3D Studio chunk walker written for the tests, apart from the generator:
// it knows which chunks hold sub-chunks and how much own data comes first.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace trelk::test {

struct Chunk {
    std::uint16_t id = 0;
    std::uint32_t offset = 0;        // of the header
    std::uint32_t length = 0;        // header included
    std::vector<std::uint8_t> data;  // own data, before any sub-chunk
    std::vector<Chunk> children;
};

inline std::uint16_t LittleU16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

inline std::uint32_t LittleU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

inline float LittleF32(const std::uint8_t* p) {
    const std::uint32_t bits = LittleU32(p);
    float value = 0.0f;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// How many bytes of own data a chunk has before its sub-chunks; -1 for a
// chunk that is all data.
inline long OwnDataBytes(std::uint16_t id, const std::uint8_t* data, std::uint32_t available) {
    switch (id) {
        case 0x4D4D:
        case 0x3D3D:
        case 0xAFFF:
        case 0x4100:
        case 0xA010:
        case 0xA020:
        case 0xA030:
        case 0xA040:
        case 0xA041:
            return 0;
        case 0x4000: {  // a NUL-terminated name
            const void* nul = std::memchr(data, 0, available);
            return nul == nullptr ? -2 : static_cast<const std::uint8_t*>(nul) - data + 1;
        }
        case 0x4120:  // count, then 8 bytes per face
            return available < 2 ? -2 : 2 + 8L * LittleU16(data);
        default:
            return -1;
    }
}

// Parses the chunks that exactly fill [begin, end); nullopt if any chunk
// runs past its parent or a container's own data does not fit.
inline std::optional<std::vector<Chunk>> ParseChunks(const std::vector<std::uint8_t>& bytes,
                                                     std::uint32_t begin, std::uint32_t end) {
    std::vector<Chunk> chunks;
    std::uint32_t at = begin;
    while (at < end) {
        if (end - at < 6) return std::nullopt;
        Chunk chunk;
        chunk.offset = at;
        chunk.id = LittleU16(&bytes[at]);
        chunk.length = LittleU32(&bytes[at + 2]);
        if (chunk.length < 6 || chunk.length > end - at) return std::nullopt;
        const std::uint32_t dataBegin = at + 6;
        const std::uint32_t chunkEnd = at + chunk.length;
        long own = OwnDataBytes(chunk.id, &bytes[dataBegin], chunkEnd - dataBegin);
        if (own == -2 || own > static_cast<long>(chunkEnd - dataBegin)) return std::nullopt;
        if (own == -1) own = chunkEnd - dataBegin;
        chunk.data.assign(bytes.begin() + dataBegin, bytes.begin() + dataBegin + own);
        auto children = ParseChunks(bytes, dataBegin + static_cast<std::uint32_t>(own), chunkEnd);
        if (!children) return std::nullopt;
        chunk.children = std::move(*children);
        chunks.push_back(std::move(chunk));
        at = chunkEnd;
    }
    return chunks;
}

inline std::vector<std::uint16_t> ChildIds(const Chunk& chunk) {
    std::vector<std::uint16_t> ids;
    for (const Chunk& child : chunk.children) ids.push_back(child.id);
    return ids;
}

}  // namespace trelk::test
