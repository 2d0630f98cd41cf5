// Extended Module reader for the song's tests.
#include "tests/assets/song/xm_reader.h"

namespace songtest {
namespace {

class Cursor {
  public:
    Cursor(const uint8_t* bytes, size_t count) : data(bytes), size(count) {}
    bool Has(size_t count) const { return count <= size && at <= size - count; }
    bool Seek(size_t offset) {
        if (offset > size) return false;
        at = offset;
        return true;
    }
    size_t At() const { return at; }
    bool U8(uint8_t& v) {
        if (!Has(1)) return false;
        v = data[at++];
        return true;
    }
    bool U16(uint16_t& v) {
        uint8_t lo = 0, hi = 0;
        if (!U8(lo) || !U8(hi)) return false;
        v = static_cast<uint16_t>(lo | (hi << 8));
        return true;
    }
    bool U32(uint32_t& v) {
        uint16_t lo = 0, hi = 0;
        if (!U16(lo) || !U16(hi)) return false;
        v = lo | (uint32_t{hi} << 16);
        return true;
    }
    bool Text(size_t count, std::string& text) {
        if (!Has(count)) return false;
        text.assign(reinterpret_cast<const char*>(data + at), count);
        at += count;
        return true;
    }

  private:
    const uint8_t* data;
    size_t size;
    size_t at = 0;
};

bool ReadHeader(Cursor& in, Module& m) {
    uint8_t marker = 0;
    uint32_t headerSize = 0;
    uint16_t patternCount = 0, instrumentCount = 0;
    if (!in.Text(17, m.idText) || !in.Text(20, m.name) || !in.U8(marker) || !in.Text(20, m.tracker) ||
        !in.U16(m.version) || !in.U32(headerSize)) {
        return false;
    }
    const size_t headerStart = 60;
    if (!in.U16(m.orderCount) || !in.U16(m.restart) || !in.U16(m.channels) || !in.U16(patternCount) ||
        !in.U16(instrumentCount) || !in.U16(m.flags) || !in.U16(m.speed) || !in.U16(m.tempo)) {
        return false;
    }
    if (m.orderCount > 256 || patternCount > 256 || instrumentCount > 128 || m.channels == 0 ||
        m.channels > 32) {
        return false;
    }
    for (int i = 0; i < 256; ++i) {
        uint8_t order = 0;
        if (!in.U8(order)) return false;
        if (i < m.orderCount) m.orders.push_back(order);
    }
    m.patterns.resize(patternCount);
    m.instruments.resize(instrumentCount);
    return headerSize >= 20 && in.Seek(headerStart + headerSize);
}

bool UnpackCell(Cursor& in, Cell& cell) {
    uint8_t first = 0;
    if (!in.U8(first)) return false;
    uint8_t mask = 0x1F;
    if ((first & 0x80) != 0) {
        mask = first & 0x1F;
    } else {
        cell.note = first;
        mask &= 0x1E;
    }
    uint8_t* fields[5] = {&cell.note, &cell.instrument, &cell.volume, &cell.effect, &cell.param};
    for (int i = 0; i < 5; ++i) {
        if ((mask & (1 << i)) != 0 && !in.U8(*fields[i])) return false;
    }
    return true;
}

bool ReadPattern(Cursor& in, int channels, Pattern& pattern) {
    const size_t start = in.At();
    uint32_t headerLength = 0;
    uint8_t packing = 0;
    uint16_t rows = 0, packedSize = 0;
    if (!in.U32(headerLength) || !in.U8(packing) || !in.U16(rows) || !in.U16(packedSize)) return false;
    if (headerLength < 9 || rows == 0 || rows > 256 || !in.Seek(start + headerLength)) return false;
    pattern.rows = rows;
    pattern.packedOffset = in.At();
    pattern.packedSize = packedSize;
    pattern.cells.assign(static_cast<size_t>(rows) * static_cast<size_t>(channels), Cell{});
    if (packedSize == 0) return true;
    for (Cell& cell : pattern.cells) {
        if (!UnpackCell(in, cell)) return false;
    }
    return in.At() == pattern.packedOffset + packedSize;
}

bool ReadSampleHeader(Cursor& in, Sample& s) {
    uint8_t finetune = 0, relative = 0, reserved = 0;
    std::string name;
    if (!in.U32(s.lengthBytes) || !in.U32(s.loopStartBytes) || !in.U32(s.loopLengthBytes) ||
        !in.U8(s.volume) || !in.U8(finetune) || !in.U8(s.type) || !in.U8(s.panning) || !in.U8(relative) ||
        !in.U8(reserved) || !in.Text(22, name)) {
        return false;
    }
    s.finetune = static_cast<int8_t>(finetune);
    s.relativeNote = static_cast<int8_t>(relative);
    return true;
}

bool ReadSampleData(Cursor& in, Sample& s) {
    if (!in.Has(s.lengthBytes) || s.lengthBytes % s.Width() != 0) return false;
    const uint32_t count = s.lengthBytes / s.Width();
    s.values.resize(count);
    int32_t previous = 0;
    for (uint32_t i = 0; i < count; ++i) {
        if (s.SixteenBit()) {
            uint16_t delta = 0;
            in.U16(delta);
            previous = static_cast<int16_t>(static_cast<uint16_t>(previous + delta));
        } else {
            uint8_t delta = 0;
            in.U8(delta);
            previous = static_cast<int8_t>(static_cast<uint8_t>(previous + delta));
        }
        s.values[i] = previous;
    }
    return true;
}

bool ReadInstrument(Cursor& in, Instrument& instrument) {
    const size_t start = in.At();
    uint32_t size = 0, sampleHeaderSize = 0;
    uint8_t type = 0;
    uint16_t sampleCount = 0;
    if (!in.U32(size) || !in.Text(22, instrument.name) || !in.U8(type) || !in.U16(sampleCount)) return false;
    if (sampleCount > 16) return false;
    if (sampleCount > 0) {
        if (!in.U32(sampleHeaderSize) || sampleHeaderSize < 40 || !in.Seek(start + 33 + 96)) return false;
        for (uint16_t& value : instrument.volumeValues) {
            uint16_t tick = 0;
            if (!in.U16(tick) || !in.U16(value)) return false;
        }
        uint8_t points = 0;
        if (!in.Seek(start + 225) || !in.U8(points) || !in.Seek(start + 233) ||
            !in.U8(instrument.volumeType)) {
            return false;
        }
        instrument.volumePoints = points;
    }
    if (size < 29 || !in.Seek(start + size)) return false;
    instrument.samples.resize(sampleCount);
    for (Sample& s : instrument.samples) {
        const size_t headerStart = in.At();
        if (!ReadSampleHeader(in, s) || !in.Seek(headerStart + sampleHeaderSize)) return false;
    }
    for (Sample& s : instrument.samples) {
        if (!ReadSampleData(in, s)) return false;
    }
    return true;
}

}  // namespace

bool ReadModule(const uint8_t* data, size_t size, Module& module) {
    module = Module{};
    Cursor in(data, size);
    if (!ReadHeader(in, module)) return false;
    for (Pattern& pattern : module.patterns) {
        if (!ReadPattern(in, module.channels, pattern)) return false;
    }
    for (Instrument& instrument : module.instruments) {
        if (!ReadInstrument(in, instrument)) return false;
    }
    module.endOffset = in.At();
    return true;
}

}  // namespace songtest
