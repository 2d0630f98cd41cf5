// Bounded little-endian reads on a ChunkCursor: every read checks the bytes
// left in the resource first, and a failed read moves nothing.
#pragma once

#include <cstdint>
#include <cstring>

#include "scene/mesh_loader.h"

inline uint32_t BytesLeft(const ChunkCursor& cursor) { return cursor.size - cursor.position; }

// Moves forward by n, stopping at the resource's end.
inline void Advance(ChunkCursor& cursor, uint64_t n) {
    const uint32_t step = n < BytesLeft(cursor) ? static_cast<uint32_t>(n) : BytesLeft(cursor);
    cursor.data += step;
    cursor.position += step;
}

// Moves back by n; callers only undo what they have just read.
inline void MoveBack(ChunkCursor& cursor, uint32_t n) {
    const uint32_t step = n < cursor.position ? n : cursor.position;
    cursor.data -= step;
    cursor.position -= step;
}

// Ends the walk: position goes to end, or to the resource's end when that
// comes first (the bytes beyond it do not exist).
inline void EndWalk(ChunkCursor& cursor) {
    const uint32_t target = cursor.end < cursor.size ? cursor.end : cursor.size;
    if (target > cursor.position) {
        Advance(cursor, target - cursor.position);
    } else {
        MoveBack(cursor, cursor.position - target);
    }
}

inline bool ReadU16(ChunkCursor& cursor, uint16_t& value) {
    if (BytesLeft(cursor) < 2) {
        return false;
    }
    value = static_cast<uint16_t>(cursor.data[0] | (cursor.data[1] << 8));
    Advance(cursor, 2);
    return true;
}

inline bool ReadU32(ChunkCursor& cursor, uint32_t& value) {
    if (BytesLeft(cursor) < 4) {
        return false;
    }
    value = static_cast<uint32_t>(cursor.data[0]) | (static_cast<uint32_t>(cursor.data[1]) << 8) |
            (static_cast<uint32_t>(cursor.data[2]) << 16) | (static_cast<uint32_t>(cursor.data[3]) << 24);
    Advance(cursor, 4);
    return true;
}

inline bool ReadFloat(ChunkCursor& cursor, float& value) {
    uint32_t bits = 0;
    if (!ReadU32(cursor, bits)) {
        return false;
    }
    std::memcpy(&value, &bits, sizeof(value));
    return true;
}
