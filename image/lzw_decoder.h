// The variable-width LZW decoder of GIF image data: reads the data sub-blocks
// from a byte span and fills one pixel row per DecodeRow call, carrying its
// state (string tables, pending pixels, bit reader) from row to row.
// Internal to the GIF decoder; one instance per image, main thread.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int32_t NO_CODE = 4098;
constexpr int32_t MAX_CODE = 4095;
constexpr int32_t MAX_CODE_WIDTH = 12;
constexpr int32_t LZW_TABLE_SIZE = 4096;
// Minimum code sizes outside this range cannot come from a valid encoder and
// would put the first code width past MAX_CODE_WIDTH.
constexpr int32_t LZW_MIN_CODE_SIZE_LOW = 1;
constexpr int32_t LZW_MIN_CODE_SIZE_HIGH = 11;

class LzwDecoder {
  public:
    // data/size: the stream from the first length byte of the image data on;
    // nothing at or past data + size is read. minCodeSize must lie within
    // LZW_MIN_CODE_SIZE_LOW..LZW_MIN_CODE_SIZE_HIGH.
    void Start(const uint8_t* data, size_t size, int32_t minCodeSize);

    // The next byte of the data sub-blocks; 0 once the sub-blocks have ended
    // (a zero-length block, or the end of the bytes given).
    uint8_t NextDataByte();
    // The next code at the current width, least significant bit first.
    int32_t ReadCode();
    // The first pixel of a defined code's string; roots are their own.
    int32_t FirstRoot(int32_t code) const;
    // Fills exactly width pixels from row on. A defect in the code stream
    // stops the row (its remaining pixels keep their value); the next call
    // goes on with the next row.
    void DecodeRow(uint8_t* row, int32_t width);
    // True when every further pixel would be 0: the data has ended, no bits
    // are left over and nothing waits on the stack.
    bool Exhausted() const;

    int32_t minCodeSize = 0;
    int32_t clearCode = 0;
    int32_t endCode = 0;
    int32_t nextCode = 0;
    int32_t codeWidth = 0;
    int32_t codeLimit = 0;
    int32_t previousCode = NO_CODE;
    int32_t stackDepth = 0;
    int32_t bitCount = 0;
    uint32_t bitBuffer = 0;
    bool endOfData = false;
    int32_t blockPosition = 0;
    int32_t blockSize = 0;
    uint8_t blockBuffer[256] = {};
    uint8_t stack[LZW_TABLE_SIZE] = {};
    uint8_t suffix[LZW_TABLE_SIZE] = {};
    int32_t prefix[LZW_TABLE_SIZE] = {};

  private:
    void ResetTables();
    // Pushes the string of code (or, for the entry being defined, of the
    // previous code plus its first pixel); false on a defect.
    bool PushString(int32_t code);
    // Defines entry nextCode - 2 after code has been emitted.
    void DefineEntry(int32_t code);

    const uint8_t* stream_ = nullptr;
    size_t streamSize_ = 0;
    size_t streamPosition_ = 0;
};
