// A reader of Extended Module files for the song's tests, written apart from
// the generator so that the two check each other. Every count and offset is
// checked against the bytes it has.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace songtest {

struct Cell {
    uint8_t note = 0, instrument = 0, volume = 0, effect = 0, param = 0;
};

struct Pattern {
    int rows = 0;
    size_t packedOffset = 0;  // where the packed data starts in the file
    size_t packedSize = 0;
    std::vector<Cell> cells;  // rows * channels
};

struct Sample {
    uint32_t lengthBytes = 0, loopStartBytes = 0, loopLengthBytes = 0;
    uint8_t volume = 0, type = 0, panning = 0;
    int8_t finetune = 0, relativeNote = 0;
    std::vector<int32_t> values;  // delta-decoded, signed, 8- or 16-bit range

    bool SixteenBit() const { return (type & 0x10) != 0; }
    bool Looped() const { return (type & 0x3) != 0; }
    uint32_t Width() const { return SixteenBit() ? 2 : 1; }
};

struct Instrument {
    std::string name;
    std::vector<Sample> samples;
    int volumePoints = 0;
    uint8_t volumeType = 0;
    uint16_t volumeValues[12] = {};
};

struct Module {
    std::string idText, name, tracker;
    uint16_t version = 0, orderCount = 0, restart = 0, channels = 0, flags = 0, speed = 0, tempo = 0;
    std::vector<uint8_t> orders;
    std::vector<Pattern> patterns;
    std::vector<Instrument> instruments;
    size_t endOffset = 0;  // the first byte the module did not describe
};

// Parses the whole module; false when any part runs past the data or a
// count is out of range.
bool ReadModule(const uint8_t* data, size_t size, Module& module);

}  // namespace songtest
