// LZW decoding of GIF image data, row by row.
#include "image/lzw_decoder.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

constexpr uint32_t CODE_MASKS[MAX_CODE_WIDTH + 1] = {
    0x000, 0x001, 0x003, 0x007, 0x00F, 0x01F, 0x03F, 0x07F, 0x0FF, 0x1FF, 0x3FF, 0x7FF, 0xFFF,
};

// A string of 4094 links or more cannot come from a table of 4096 entries
// with at least two roots; it can only be a loop made by a lying stream.
constexpr int32_t MAX_WALK_LINKS = 4093;

}  // namespace

void LzwDecoder::Start(const uint8_t* data, size_t size, int32_t codeSize) {
    stream_ = data;
    streamSize_ = size;
    streamPosition_ = 0;
    minCodeSize = codeSize;
    clearCode = 1 << minCodeSize;
    endCode = clearCode + 1;
    stackDepth = 0;
    bitCount = 0;
    bitBuffer = 0;
    endOfData = false;
    blockPosition = 0;
    blockSize = 0;
    ResetTables();
}

void LzwDecoder::ResetTables() {
    std::fill(std::begin(prefix), std::end(prefix), NO_CODE);
    nextCode = endCode + 1;
    codeWidth = minCodeSize + 1;
    codeLimit = 1 << codeWidth;
    previousCode = NO_CODE;
}

uint8_t LzwDecoder::NextDataByte() {
    if (endOfData) {
        return 0;
    }
    if (blockPosition < blockSize) {
        return blockBuffer[blockPosition++];
    }
    // A stream cut short ends the data exactly as a zero-length block would;
    // a block cut short keeps the bytes that are there.
    if (streamPosition_ >= streamSize_) {
        endOfData = true;
        return 0;
    }
    size_t length = stream_[streamPosition_++];
    length = std::min(length, streamSize_ - streamPosition_);
    if (length == 0) {
        endOfData = true;
        return 0;
    }
    std::memcpy(blockBuffer, stream_ + streamPosition_, length);
    streamPosition_ += length;
    blockSize = static_cast<int32_t>(length);
    blockPosition = 1;
    return blockBuffer[0];
}

int32_t LzwDecoder::ReadCode() {
    while (bitCount < codeWidth) {
        bitBuffer |= static_cast<uint32_t>(NextDataByte()) << bitCount;
        bitCount += 8;
    }
    const int32_t code = static_cast<int32_t>(bitBuffer & CODE_MASKS[codeWidth]);
    bitBuffer >>= codeWidth;
    bitCount -= codeWidth;
    // Past NO_CODE the counter only says "table full"; stopping there keeps
    // an endless stream without clear codes from overflowing it.
    if (nextCode < NO_CODE) {
        ++nextCode;
    }
    if (nextCode > codeLimit && codeWidth < MAX_CODE_WIDTH) {
        codeLimit *= 2;
        ++codeWidth;
    }
    return code;
}

int32_t LzwDecoder::FirstRoot(int32_t code) const {
    for (int32_t steps = 0; steps < LZW_TABLE_SIZE && code > clearCode && code <= MAX_CODE; ++steps) {
        code = prefix[code];
    }
    return code;
}

bool LzwDecoder::PushString(int32_t code) {
    int32_t current = code;
    if (prefix[code] == NO_CODE) {
        // Only the entry about to be defined may be used before it exists: its
        // string is the previous string plus that string's first pixel.
        if (code != nextCode - 2 || previousCode == NO_CODE) {
            return false;
        }
        const auto first = static_cast<uint8_t>(FirstRoot(previousCode));
        stack[stackDepth++] = first;
        suffix[code] = first;
        current = previousCode;
    }
    int32_t links = 0;
    while (current > clearCode && current <= MAX_CODE) {
        if (links == MAX_WALK_LINKS) {
            return false;
        }
        stack[stackDepth++] = suffix[current];
        current = prefix[current];
        ++links;
    }
    if (current > MAX_CODE) {
        return false;
    }
    stack[stackDepth++] = static_cast<uint8_t>(current);
    return true;
}

void LzwDecoder::DefineEntry(int32_t code) {
    const int32_t index = nextCode - 2;
    // Once entry 4095 exists nothing more is defined until a clear code.
    if (previousCode == NO_CODE || index > MAX_CODE) {
        return;
    }
    const int32_t first = (code == index) ? FirstRoot(previousCode) : FirstRoot(code);
    prefix[index] = previousCode;
    suffix[index] = static_cast<uint8_t>(first);
}

void LzwDecoder::DecodeRow(uint8_t* row, int32_t width) {
    int32_t i = 0;
    while (stackDepth > 0 && i < width) {
        row[i++] = stack[--stackDepth];
    }
    while (i < width) {
        const int32_t code = ReadCode();
        if (code == endCode) {
            // One pixel short, this is the normal end of the row (its last
            // pixel stays 0); any earlier it is a defect. Either way the row ends.
            return;
        }
        if (code == clearCode) {
            ResetTables();
            continue;
        }
        if (code < clearCode) {
            row[i++] = static_cast<uint8_t>(code);
        } else {
            if (!PushString(code)) {
                stackDepth = 0;
                return;
            }
            while (stackDepth > 0 && i < width) {
                row[i++] = stack[--stackDepth];
            }
        }
        DefineEntry(code);
        previousCode = code;
    }
}

bool LzwDecoder::Exhausted() const {
    // From here on every code is root 0, which the zero-filled rows hold already.
    return endOfData && bitBuffer == 0 && stackDepth == 0;
}
