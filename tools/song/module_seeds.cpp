#include "tools/song/module_seeds.h"

#include "tools/song/mod_writer.h"
#include "tools/song/s3m_writer.h"
#include "tools/song/xm_writer.h"

namespace song {
namespace {

constexpr int ROWS = 64;
constexpr uint8_t FX_TONE_PORTAMENTO = 0x3;
constexpr uint8_t FX_PORTAMENTO_UP = 0x1;
constexpr uint8_t FX_SAMPLE_OFFSET = 0x9;
constexpr uint8_t FX_VOLUME_SLIDE = 0xA;
constexpr uint8_t FX_SET_VOLUME = 0xC;
constexpr uint8_t FX_SPEED_TEMPO = 0xF;

XmInstrument Square() {
    XmInstrument instrument;
    instrument.sample.name = "square";
    for (int i = 0; i < 32; ++i) instrument.sample.data.push_back(i < 16 ? 96 : -96);
    instrument.sample.loop = LoopType::Forward;
    instrument.sample.loopLength = 32;
    instrument.sample.volume = 48;
    return instrument;
}

// A decaying burst from a fixed linear congruential sequence.
XmInstrument Noise() {
    XmInstrument instrument;
    instrument.sample.name = "noise";
    uint32_t state = 12345;
    for (int i = 0; i < 256; ++i) {
        state = state * 1103515245u + 12345u;
        const int value = static_cast<int>((state >> 16) % 255) - 127;
        instrument.sample.data.push_back(static_cast<int16_t>(value * (256 - i) / 256));
    }
    return instrument;
}

XmInstrument Triangle(bool sixteenBit) {
    XmInstrument instrument;
    instrument.sample.name = "triangle";
    instrument.sample.sixteenBit = sixteenBit;
    for (int i = 0; i < 64; ++i) {
        const int value = (i < 32 ? i : 64 - i) * 2048 - 32768;
        instrument.sample.data.push_back(static_cast<int16_t>(sixteenBit ? value : value / 256));
    }
    instrument.sample.loop = LoopType::Forward;
    instrument.sample.loopStart = 16;
    instrument.sample.loopLength = 48;
    instrument.sample.relativeNote = 12;
    instrument.sample.finetune = -16;
    return instrument;
}

void Put(XmPattern& pattern, int row, int channel, XmCell cell) { pattern.At(row, channel) = cell; }

XmPattern MakePattern(int channels, bool last) {
    XmPattern pattern(ROWS, channels);
    for (int row = 0; row < ROWS; row += 8) {
        Put(pattern, row, 0, {static_cast<uint8_t>(row % 16 == 0 ? 37 : 44), 1, 0, 0, 0});
    }
    for (int row = 2; row < ROWS; row += 4) Put(pattern, row, 1, {49, 2, VolumeColumn(40), 0, 0});
    Put(pattern, 0, 2, {58, 3, 0, FX_VIBRATO, 0x46});
    Put(pattern, 16, 2, {64, 3, 0, FX_ARPEGGIO, 0x37});
    Put(pattern, 32, 2, {61, 0, 0, FX_TONE_PORTAMENTO, 0x20});
    Put(pattern, 48, 2, {0, 0, 0, FX_VOLUME_SLIDE, 0x04});
    Put(pattern, 0, 3, {0, 0, 0, FX_SPEED_TEMPO, 0x05});
    Put(pattern, 8, 3, {0, 0, 0, FX_SPEED_TEMPO, 0x8C});
    Put(pattern, 24, 3, {61, 1, 0, FX_SAMPLE_OFFSET, 0x01});
    Put(pattern, 40, 3, {0, 0, 0, FX_SET_VOLUME, 0x20});
    Put(pattern, 56, 3, {0, 0, 0, FX_PORTAMENTO_UP, 0x04});
    for (int channel = 4; channel < channels; ++channel) {
        const int row = (channel * 4) % ROWS;
        Put(pattern, row, channel,
            {static_cast<uint8_t>(40 + channel), static_cast<uint8_t>(channel % 3 + 1), 0, 0, 0});
        Put(pattern, row + 8, channel, {NOTE_KEY_OFF, 0, 0, 0, 0});
    }
    if (last) Put(pattern, ROWS - 1, 3, {0, 0, 0, FX_POSITION_JUMP, 0});
    return pattern;
}

}  // namespace

XmModule MakeSeedModule(int channels, bool eightBitOnly) {
    XmModule module;
    module.name = "seed";
    module.trackerName = "trelk seeds";
    module.channels = channels;
    module.orders = {0, 1};
    module.patterns = {MakePattern(channels, false), MakePattern(channels, true)};
    module.instruments = {Square(), Noise(), Triangle(!eightBitOnly)};
    return module;
}

std::vector<ModuleSeed> MakeModuleSeeds() {
    std::vector<ModuleSeed> seeds;
    for (int channels : {4, 8}) {
        const std::string name = channels == 4 ? "groove" : "wide";
        const XmModule full = MakeSeedModule(channels, false);
        ModuleSeed xm{name + ".xm", {}};
        ModuleSeed mod{name + ".mod", {}};
        ModuleSeed s3m{name + ".s3m", {}};
        if (WriteXm(full, xm.bytes)) seeds.push_back(std::move(xm));
        if (WriteMod(MakeSeedModule(channels, true), mod.bytes)) seeds.push_back(std::move(mod));
        if (WriteS3m(full, s3m.bytes)) seeds.push_back(std::move(s3m));
    }
    return seeds;
}

}  // namespace song
