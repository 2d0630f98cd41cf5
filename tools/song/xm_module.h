// In-memory model of an Extended Module as the generator builds it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace song {

// Note numbers as the format stores them: 1 is C-0, 49 is C-4, 97 is key-off.
inline constexpr uint8_t NOTE_KEY_OFF = 97;

// Effect numbers used by the score.
inline constexpr uint8_t FX_ARPEGGIO = 0x0;
inline constexpr uint8_t FX_VIBRATO = 0x4;
inline constexpr uint8_t FX_POSITION_JUMP = 0xB;

// Volume column value that sets the volume (0..64).
inline constexpr uint8_t VolumeColumn(int volume) { return static_cast<uint8_t>(0x10 + volume); }

struct XmCell {
    uint8_t note = 0;
    uint8_t instrument = 0;
    uint8_t volume = 0;
    uint8_t effect = 0;
    uint8_t param = 0;
};

struct XmPattern {
    int rows = 64;
    int channels = 4;
    std::vector<XmCell> cells;  // rows * channels, row-major

    XmPattern(int rowCount, int channelCount)
        : rows(rowCount), channels(channelCount), cells(static_cast<size_t>(rowCount * channelCount)) {}
    XmCell& At(int row, int channel) { return cells[static_cast<size_t>(row * channels + channel)]; }
    const XmCell& At(int row, int channel) const {
        return cells[static_cast<size_t>(row * channels + channel)];
    }
};

enum class LoopType : uint8_t { None = 0, Forward = 1 };

// Sample data as signed values: -128..127 for 8-bit samples, full int16 range for 16-bit.
struct XmSample {
    std::string name;
    std::vector<int16_t> data;
    bool sixteenBit = false;
    LoopType loop = LoopType::None;
    uint32_t loopStart = 0;   // in samples
    uint32_t loopLength = 0;  // in samples
    uint8_t volume = 64;
    int8_t finetune = 0;
    uint8_t panning = 128;
    int8_t relativeNote = 0;
};

struct EnvelopePoint {
    uint16_t tick;
    uint16_t value;  // 0..64
};

struct XmEnvelope {
    std::vector<EnvelopePoint> points;  // at most 12; empty = off
    int sustainPoint = -1;              // -1 = none
};

struct XmInstrument {
    std::string name;
    XmSample sample;
    XmEnvelope volumeEnvelope;
    uint16_t fadeout = 0;
};

struct XmModule {
    std::string name;
    std::string trackerName;
    int channels = 4;
    int restartPosition = 0;
    int speed = 6;    // ticks per row
    int tempo = 125;  // beats per minute
    std::vector<uint8_t> orders;
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

}  // namespace song
