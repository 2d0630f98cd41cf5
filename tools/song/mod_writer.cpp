// ProTracker-style module serialisation: title, 31 sample headers, the order
// table, the signature, 64-row patterns of four-byte cells, sample data.
#include "tools/song/mod_writer.h"

#include <string>

#include "tools/song/module_bytes.h"

namespace song {
namespace {

constexpr size_t SAMPLE_SLOTS = 31;
constexpr size_t ORDER_SLOTS = 128;
constexpr int ROWS = 64;
constexpr uint32_t MAX_SAMPLE_LENGTH = 0xFFFF * 2;
// Three octaves of Amiga periods, C-1 to B-3 in the tracker's naming.
constexpr uint16_t PERIODS[36] = {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
                                  428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
                                  214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};
constexpr int XM_NOTE_OF_FIRST_PERIOD = 37;  // C-3 plays at the period 856
constexpr uint8_t FX_SET_VOLUME = 0xC;

bool FitsTheFormat(const XmModule& module) {
    if (module.channels < 2 || module.channels > 32 || module.channels % 2 != 0) return false;
    if (module.instruments.size() > SAMPLE_SLOTS) return false;
    if (module.orders.empty() || module.orders.size() > ORDER_SLOTS) return false;
    for (uint8_t order : module.orders) {
        if (order >= module.patterns.size()) return false;
    }
    for (const XmPattern& pattern : module.patterns) {
        if (pattern.rows != ROWS || pattern.channels != module.channels) return false;
    }
    for (const XmInstrument& instrument : module.instruments) {
        const XmSample& sample = instrument.sample;
        if (sample.sixteenBit || sample.data.size() > MAX_SAMPLE_LENGTH) return false;
    }
    return true;
}

std::string Signature(int channels) {
    if (channels == 4) return "M.K.";
    return std::to_string(channels) + (channels < 10 ? "CHN" : "CH");
}

// Notes outside the three octaves move by whole octaves into them.
uint16_t PeriodOf(uint8_t note) {
    int index = static_cast<int>(note) - XM_NOTE_OF_FIRST_PERIOD;
    while (index < 0) index += 12;
    while (index >= 36) index -= 12;
    return PERIODS[index];
}

void WriteSampleHeader(const XmSample& sample, ModuleBytes& out) {
    const uint32_t words = static_cast<uint32_t>(sample.data.size() + 1) / 2;
    out.Text(sample.name, 22);
    out.U16Big(words);
    out.U8(static_cast<uint32_t>(sample.finetune / 16) & 0x0F);
    out.U8(sample.volume);
    if (sample.loop == LoopType::None || sample.loopLength < 2) {
        out.U16Big(0);
        out.U16Big(1);  // the format's "no loop"
    } else {
        out.U16Big(sample.loopStart / 2);
        out.U16Big(sample.loopLength / 2);
    }
}

void WriteCell(const XmCell& cell, ModuleBytes& out) {
    const bool hasNote = cell.note != 0 && cell.note != NOTE_KEY_OFF;
    const uint16_t period = hasNote ? PeriodOf(cell.note) : 0;
    uint8_t effect = 0;
    uint8_t param = 0;
    if (cell.effect <= 0xF && (cell.effect != 0 || cell.param != 0)) {
        effect = cell.effect;
        param = cell.param;
    } else if (cell.volume >= 0x10 && cell.volume <= 0x50) {
        effect = FX_SET_VOLUME;
        param = static_cast<uint8_t>(cell.volume - 0x10);
    }
    out.U8((cell.instrument & 0xF0u) | ((period >> 8) & 0x0Fu));
    out.U8(period & 0xFFu);
    out.U8(((cell.instrument & 0x0Fu) << 4) | effect);
    out.U8(param);
}

}  // namespace

bool WriteMod(const XmModule& module, std::vector<uint8_t>& out) {
    if (!FitsTheFormat(module)) return false;
    ModuleBytes bytes;
    bytes.Text(module.name, 20);
    for (size_t i = 0; i < SAMPLE_SLOTS; ++i) {
        if (i < module.instruments.size()) {
            WriteSampleHeader(module.instruments[i].sample, bytes);
        } else {
            WriteSampleHeader(XmSample{}, bytes);
        }
    }
    bytes.U8(static_cast<uint32_t>(module.orders.size()));
    bytes.U8(static_cast<uint32_t>(module.restartPosition));
    for (size_t i = 0; i < ORDER_SLOTS; ++i) bytes.U8(i < module.orders.size() ? module.orders[i] : 0);
    bytes.Text(Signature(module.channels), 4);
    // Every pattern up to the highest one the orders name is stored.
    uint8_t highest = 0;
    for (uint8_t order : module.orders) highest = order > highest ? order : highest;
    for (size_t p = 0; p <= highest; ++p) {
        for (const XmCell& cell : module.patterns[p].cells) WriteCell(cell, bytes);
    }
    for (const XmInstrument& instrument : module.instruments) {
        const XmSample& sample = instrument.sample;
        for (int16_t value : sample.data) bytes.U8(static_cast<uint32_t>(static_cast<uint8_t>(value)));
        if (sample.data.size() % 2 != 0) bytes.U8(0);
    }
    out = std::move(bytes.bytes);
    return true;
}

}  // namespace song
