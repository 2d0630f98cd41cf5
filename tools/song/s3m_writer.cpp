// Scream Tracker 3 module serialisation: the 96-byte header, orders,
// parapointers, sample headers, packed patterns and sample data, each
// block starting on a 16-byte boundary.
#include "tools/song/s3m_writer.h"

#include <cmath>

#include "tools/song/module_bytes.h"

namespace song {
namespace {

constexpr int MAX_CHANNELS = 16;
constexpr size_t MAX_INSTRUMENTS = 99;
constexpr size_t MAX_ORDERS = 255;
constexpr int ROWS = 64;
constexpr size_t MAX_FILE = 0xFFFF * 16;  // the farthest a parapointer reaches
constexpr uint8_t NO_NOTE = 255;
constexpr uint8_t NOTE_CUT = 254;
constexpr uint8_t ORDER_END = 255;
constexpr uint32_t TRACKER_VERSION = 0x1320;
constexpr uint32_t UNSIGNED_SAMPLES = 2;
constexpr uint32_t BASE_RATE = 8363;  // C-4 of a sample with no relative note

bool FitsTheFormat(const XmModule& module) {
    if (module.channels < 1 || module.channels > MAX_CHANNELS) return false;
    if (module.instruments.size() > MAX_INSTRUMENTS) return false;
    if (module.orders.empty() || module.orders.size() > MAX_ORDERS) return false;
    for (uint8_t order : module.orders) {
        if (order >= module.patterns.size()) return false;
    }
    for (const XmPattern& pattern : module.patterns) {
        if (pattern.rows < 1 || pattern.rows > ROWS || pattern.channels != module.channels) return false;
    }
    return true;
}

// The S3M command letter of each XM effect 0 to F; 0 where S3M has none
// (C, the volume, goes to the volume byte).
constexpr char COMMAND_LETTERS[16] = {'J', 'F', 'E', 'G', 'H', 'L', 'K', 'R',
                                      'X', 'O', 'D', 'B', 0,   'C', 0,   'A'};

// The XM effect as an S3M command (A is 1) and parameter; command 0 when there is none.
void TranslateEffect(const XmCell& cell, uint8_t& command, uint8_t& param) {
    command = 0;
    param = cell.param;
    if (cell.effect > 0xF || (cell.effect == 0 && cell.param == 0)) return;
    char letter = COMMAND_LETTERS[cell.effect];
    if (cell.effect == 0xF && cell.param >= 32) letter = 'T';  // a tempo, not a speed
    if (letter != 0) command = static_cast<uint8_t>(letter - 'A' + 1);
}

// The volume byte: the volume column, else effect C; 255 when neither.
uint8_t VolumeOf(const XmCell& cell) {
    if (cell.volume >= 0x10 && cell.volume <= 0x50) return static_cast<uint8_t>(cell.volume - 0x10);
    if (cell.effect == 0xC) return cell.param > 64 ? 64 : cell.param;
    return 255;
}

void PackRow(const XmPattern& pattern, int row, ModuleBytes& out) {
    for (int channel = 0; channel < pattern.channels; ++channel) {
        const XmCell& cell = pattern.At(row, channel);
        uint8_t command = 0;
        uint8_t param = 0;
        TranslateEffect(cell, command, param);
        const uint8_t volume = VolumeOf(cell);
        const bool hasNote = cell.note != 0 || cell.instrument != 0;
        uint32_t what = static_cast<uint32_t>(channel);
        what |= hasNote ? 0x20u : 0u;
        what |= volume != 255 ? 0x40u : 0u;
        what |= command != 0 ? 0x80u : 0u;
        if (what == static_cast<uint32_t>(channel)) continue;
        out.U8(what);
        if (hasNote) {
            if (cell.note == 0) {
                out.U8(NO_NOTE);
            } else if (cell.note == NOTE_KEY_OFF) {
                out.U8(NOTE_CUT);
            } else {
                const int index = cell.note - 1;  // XM note 1 is C-0
                out.U8(static_cast<uint32_t>(((index / 12) << 4) | (index % 12)));
            }
            out.U8(cell.instrument);
        }
        if (volume != 255) out.U8(volume);
        if (command != 0) {
            out.U8(command);
            out.U8(param);
        }
    }
    out.U8(0);  // end of row
}

// The C-4 rate of a sample with its relative note and finetune.
uint32_t RateOf(const XmSample& sample) {
    const double semitones = sample.relativeNote + sample.finetune / 128.0;
    return static_cast<uint32_t>(std::lround(BASE_RATE * std::pow(2.0, semitones / 12.0)));
}

// An 80-byte sample header; its data's parapointer is patched in later.
void WriteSampleHeader(const XmSample& sample, ModuleBytes& out) {
    const bool looped = sample.loop != LoopType::None && sample.loopLength > 0;
    out.U8(1);  // a sample
    out.Text("", 12);
    out.Zeros(3);
    out.U32(static_cast<uint32_t>(sample.data.size()));
    out.U32(looped ? sample.loopStart : 0);
    out.U32(looped ? sample.loopStart + sample.loopLength : 0);
    out.U8(sample.volume);
    out.U8(0);
    out.U8(0);  // not packed
    out.U8((looped ? 1u : 0u) | (sample.sixteenBit ? 4u : 0u));
    out.U32(RateOf(sample));
    out.Zeros(12);
    out.Text(sample.name, 28);
    out.Text("SCRS", 4);
}

void WriteSampleData(const XmSample& sample, ModuleBytes& out) {
    for (int16_t value : sample.data) {
        if (sample.sixteenBit) {
            out.U16(static_cast<uint16_t>(value) ^ 0x8000u);
        } else {
            out.U8(static_cast<uint32_t>(value + 128));
        }
    }
}

void WriteHeader(const XmModule& module, size_t orderCount, ModuleBytes& out) {
    out.Text(module.name, 28);
    out.U8(0x1A);
    out.U8(16);  // a module
    out.Zeros(2);
    out.U16(static_cast<uint32_t>(orderCount));
    out.U16(static_cast<uint32_t>(module.instruments.size()));
    out.U16(static_cast<uint32_t>(module.patterns.size()));
    out.U16(0);  // flags
    out.U16(TRACKER_VERSION);
    out.U16(UNSIGNED_SAMPLES);
    out.Text("SCRM", 4);
    out.U8(64);  // global volume
    out.U8(static_cast<uint32_t>(module.speed));
    out.U8(static_cast<uint32_t>(module.tempo));
    out.U8(0x80 | 48);  // stereo, master volume 48
    out.U8(0);
    out.U8(0);  // no panning table
    out.Zeros(8);
    out.U16(0);  // no message
    for (int channel = 0; channel < 32; ++channel) {
        const bool used = channel < module.channels;
        out.U8(used ? static_cast<uint32_t>((channel % 2 == 0 ? 0 : 8) + channel / 2) : 255u);
    }
}

}  // namespace

bool WriteS3m(const XmModule& module, std::vector<uint8_t>& out) {
    if (!FitsTheFormat(module)) return false;
    const size_t orderCount = module.orders.size() + module.orders.size() % 2;  // even, as trackers write it
    ModuleBytes bytes;
    WriteHeader(module, orderCount, bytes);
    for (size_t i = 0; i < orderCount; ++i) bytes.U8(i < module.orders.size() ? module.orders[i] : ORDER_END);
    const size_t instrumentPointers = bytes.Size();
    bytes.Zeros(2 * module.instruments.size());
    const size_t patternPointers = bytes.Size();
    bytes.Zeros(2 * module.patterns.size());

    std::vector<size_t> headers;
    for (size_t i = 0; i < module.instruments.size(); ++i) {
        bytes.AlignTo16();
        bytes.PatchU16(instrumentPointers + 2 * i, static_cast<uint32_t>(bytes.Size() / 16));
        headers.push_back(bytes.Size());
        WriteSampleHeader(module.instruments[i].sample, bytes);
    }
    for (size_t p = 0; p < module.patterns.size(); ++p) {
        bytes.AlignTo16();
        bytes.PatchU16(patternPointers + 2 * p, static_cast<uint32_t>(bytes.Size() / 16));
        const size_t start = bytes.Size();
        bytes.U16(0);  // packed length, patched below
        const XmPattern& pattern = module.patterns[p];
        for (int row = 0; row < ROWS; ++row) {
            if (row < pattern.rows) {
                PackRow(pattern, row, bytes);
            } else {
                bytes.U8(0);
            }
        }
        bytes.PatchU16(start, static_cast<uint32_t>(bytes.Size() - start));
    }
    for (size_t i = 0; i < module.instruments.size(); ++i) {
        bytes.AlignTo16();
        const auto segment = static_cast<uint32_t>(bytes.Size() / 16);
        bytes.bytes[headers[i] + 13] = static_cast<uint8_t>(segment >> 16);
        bytes.PatchU16(headers[i] + 14, segment & 0xFFFF);
        WriteSampleData(module.instruments[i].sample, bytes);
    }
    if (bytes.Size() > MAX_FILE) return false;
    out = std::move(bytes.bytes);
    return true;
}

}  // namespace song
