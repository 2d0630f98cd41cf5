// Extended Module serialisation: header, packed patterns, instruments and
// delta-encoded samples, in the layout FastTracker 2 defined.
#include "tools/song/xm_writer.h"

#include <algorithm>
#include <string>

namespace song {
namespace {

constexpr uint32_t HEADER_SIZE = 276;  // from the size field to the end of the order table
constexpr uint32_t PATTERN_HEADER_SIZE = 9;
constexpr uint32_t INSTRUMENT_HEADER_SIZE = 263;
constexpr uint32_t SAMPLE_HEADER_SIZE = 40;
constexpr int MAX_ENVELOPE_POINTS = 12;
constexpr int NOTE_COUNT = 96;

class ByteSink {
  public:
    explicit ByteSink(std::vector<uint8_t>& target) : bytes(target) {}
    void U8(uint32_t v) { bytes.push_back(static_cast<uint8_t>(v & 0xFF)); }
    void U16(uint32_t v) {
        U8(v);
        U8(v >> 8);
    }
    void U32(uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    // Fixed-width text, cut or padded with the given filler.
    void Text(const std::string& text, size_t width, char filler) {
        for (size_t i = 0; i < width; ++i) U8(static_cast<uint8_t>(i < text.size() ? text[i] : filler));
    }
    void Zeros(size_t count) { bytes.insert(bytes.end(), count, 0); }
    void Append(const std::vector<uint8_t>& more) { bytes.insert(bytes.end(), more.begin(), more.end()); }

  private:
    std::vector<uint8_t>& bytes;
};

bool SampleIsValid(const XmSample& sample) {
    if (!sample.sixteenBit) {
        for (int16_t v : sample.data) {
            if (v < -128 || v > 127) return false;
        }
    }
    if (sample.loop == LoopType::None) return true;
    const uint64_t end = uint64_t{sample.loopStart} + sample.loopLength;
    return sample.loopLength > 0 && end <= sample.data.size();
}

bool ModuleIsValid(const XmModule& module) {
    if (module.orders.empty() || module.orders.size() > 256) return false;
    if (module.patterns.empty() || module.patterns.size() > 256) return false;
    if (module.instruments.size() > 128 || module.channels < 1 || module.channels > 32) return false;
    for (uint8_t order : module.orders) {
        if (order >= module.patterns.size()) return false;
    }
    for (const XmPattern& pattern : module.patterns) {
        if (pattern.rows < 1 || pattern.rows > 256 || pattern.channels != module.channels) return false;
    }
    for (const XmInstrument& instrument : module.instruments) {
        if (instrument.volumeEnvelope.points.size() > MAX_ENVELOPE_POINTS) return false;
        if (instrument.volumeEnvelope.sustainPoint >=
            static_cast<int>(instrument.volumeEnvelope.points.size())) {
            return false;
        }
        if (!SampleIsValid(instrument.sample)) return false;
    }
    return true;
}

void WriteHeader(const XmModule& module, ByteSink& sink) {
    sink.Text("Extended Module: ", 17, ' ');
    sink.Text(module.name, 20, ' ');
    sink.U8(0x1A);
    sink.Text(module.trackerName, 20, ' ');
    sink.U16(0x0104);
    sink.U32(HEADER_SIZE);
    sink.U16(static_cast<uint32_t>(module.orders.size()));
    sink.U16(static_cast<uint32_t>(module.restartPosition));
    sink.U16(static_cast<uint32_t>(module.channels));
    sink.U16(static_cast<uint32_t>(module.patterns.size()));
    sink.U16(static_cast<uint32_t>(module.instruments.size()));
    sink.U16(1);  // linear frequency table
    sink.U16(static_cast<uint32_t>(module.speed));
    sink.U16(static_cast<uint32_t>(module.tempo));
    for (size_t i = 0; i < 256; ++i) sink.U8(i < module.orders.size() ? module.orders[i] : 0);
}

void WriteEnvelopePoints(const XmEnvelope& envelope, ByteSink& sink) {
    for (int i = 0; i < MAX_ENVELOPE_POINTS; ++i) {
        if (i < static_cast<int>(envelope.points.size())) {
            sink.U16(envelope.points[static_cast<size_t>(i)].tick);
            sink.U16(envelope.points[static_cast<size_t>(i)].value);
        } else {
            sink.U32(0);
        }
    }
}

uint32_t EnvelopeFlags(const XmEnvelope& envelope) {
    if (envelope.points.empty()) return 0;
    return envelope.sustainPoint >= 0 ? 0x3 : 0x1;  // on, with sustain when set
}

void WriteSampleHeader(const XmSample& sample, ByteSink& sink) {
    const uint32_t width = sample.sixteenBit ? 2 : 1;
    const bool looped = sample.loop != LoopType::None;
    sink.U32(static_cast<uint32_t>(sample.data.size()) * width);
    sink.U32(looped ? sample.loopStart * width : 0);
    sink.U32(looped ? sample.loopLength * width : 0);
    sink.U8(sample.volume);
    sink.U8(static_cast<uint8_t>(sample.finetune));
    sink.U8(static_cast<uint32_t>(sample.loop) | (sample.sixteenBit ? 0x10u : 0u));
    sink.U8(sample.panning);
    sink.U8(static_cast<uint8_t>(sample.relativeNote));
    sink.U8(0);  // plain delta data
    sink.Text(sample.name, 22, ' ');
}

void WriteInstrument(const XmInstrument& instrument, ByteSink& sink) {
    const XmEnvelope& volume = instrument.volumeEnvelope;
    sink.U32(INSTRUMENT_HEADER_SIZE);
    sink.Text(instrument.name, 22, ' ');
    sink.U8(0);   // type
    sink.U16(1);  // one sample
    sink.U32(SAMPLE_HEADER_SIZE);
    sink.Zeros(NOTE_COUNT);  // every note plays sample 0
    WriteEnvelopePoints(volume, sink);
    WriteEnvelopePoints(XmEnvelope{}, sink);  // no panning envelope
    sink.U8(static_cast<uint32_t>(volume.points.size()));
    sink.U8(0);
    sink.U8(volume.sustainPoint >= 0 ? static_cast<uint32_t>(volume.sustainPoint) : 0);
    sink.Zeros(2);  // volume loop start, end
    sink.Zeros(3);  // panning sustain, loop start, end
    sink.U8(EnvelopeFlags(volume));
    sink.U8(0);
    sink.Zeros(4);  // auto-vibrato type, sweep, depth, rate
    sink.U16(instrument.fadeout);
    sink.Zeros(22);  // reserved
    WriteSampleHeader(instrument.sample, sink);
    sink.Append(DeltaEncode(instrument.sample));
}

}  // namespace

std::vector<uint8_t> PackPattern(const XmPattern& pattern) {
    std::vector<uint8_t> packed;
    for (const XmCell& cell : pattern.cells) {
        const uint8_t fields[5] = {cell.note, cell.instrument, cell.volume, cell.effect, cell.param};
        uint8_t mask = 0;
        for (int i = 0; i < 5; ++i) {
            if (fields[i] != 0) mask = static_cast<uint8_t>(mask | (1u << i));
        }
        if (mask == 0x1F) {
            packed.insert(packed.end(), fields, fields + 5);
            continue;
        }
        packed.push_back(static_cast<uint8_t>(0x80 | mask));
        for (int i = 0; i < 5; ++i) {
            if ((mask & (1u << i)) != 0) packed.push_back(fields[i]);
        }
    }
    return packed;
}

std::vector<uint8_t> DeltaEncode(const XmSample& sample) {
    std::vector<uint8_t> out;
    out.reserve(sample.data.size() * (sample.sixteenBit ? 2 : 1));
    uint32_t previous = 0;
    for (int16_t value : sample.data) {
        const auto current = static_cast<uint32_t>(static_cast<uint16_t>(value));
        const uint32_t delta = current - previous;
        out.push_back(static_cast<uint8_t>(delta & 0xFF));
        if (sample.sixteenBit) out.push_back(static_cast<uint8_t>((delta >> 8) & 0xFF));
        previous = current;
    }
    return out;
}

bool WriteXm(const XmModule& module, std::vector<uint8_t>& out) {
    if (!ModuleIsValid(module)) return false;
    std::vector<uint8_t> bytes;
    ByteSink sink(bytes);
    WriteHeader(module, sink);
    for (const XmPattern& pattern : module.patterns) {
        const std::vector<uint8_t> packed = PackPattern(pattern);
        if (packed.size() > 0xFFFF) return false;
        sink.U32(PATTERN_HEADER_SIZE);
        sink.U8(0);  // packing type
        sink.U16(static_cast<uint32_t>(pattern.rows));
        sink.U16(static_cast<uint32_t>(packed.size()));
        sink.Append(packed);
    }
    for (const XmInstrument& instrument : module.instruments) WriteInstrument(instrument, sink);
    out = std::move(bytes);
    return true;
}

}  // namespace song
