#include "tests/music/module_writer.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

class Bytes {
  public:
    void U8(uint32_t v) { out_.push_back(static_cast<uint8_t>(v)); }
    void U16(uint32_t v) {
        U8(v);
        U8(v >> 8);
    }
    void U32(uint32_t v) {
        U16(v);
        U16(v >> 16);
    }
    void U16Big(uint32_t v) {
        U8(v >> 8);
        U8(v);
    }
    void Text(const std::string& text, size_t width) {
        for (size_t i = 0; i < width; ++i) {
            U8(i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
        }
    }
    void Zeros(size_t count) { out_.insert(out_.end(), count, 0); }
    std::vector<uint8_t> Take() { return std::move(out_); }

  private:
    std::vector<uint8_t> out_;
};

constexpr uint16_t MOD_PERIODS[36] = {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
                                      428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
                                      214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};

void WriteXmPattern(Bytes& out, const std::vector<TestNote>& notes, int rows) {
    out.U32(9);
    out.U8(0);
    out.U16(static_cast<uint32_t>(rows));
    out.U16(static_cast<uint32_t>(notes.size() * 5));
    for (const TestNote& n : notes) {
        out.U8(n.note);
        out.U8(n.instrument);
        out.U8(n.volume);
        out.U8(n.effect);
        out.U8(n.param);
    }
}

void WriteXmInstrument(Bytes& out, const TestSample& s) {
    out.U32(263);
    out.Text("instrument", 22);
    out.U8(0);
    out.U16(1);
    out.U32(40);
    out.Zeros(96 + 48 + 48);   // keymap all to sample 0, no envelopes
    out.Zeros(2 + 6 + 2 + 4);  // point counts, sustain and loop points, types, vibrato
    out.U16(0);                // fadeout
    out.Zeros(22);
    const uint32_t width = s.sixteenBit ? 2 : 1;
    out.U32(static_cast<uint32_t>(s.data.size()) * width);
    out.U32(s.loopStart * width);
    out.U32(s.looped ? s.loopLength * width : 0);
    out.U8(s.volume);
    out.U8(0);
    out.U8((s.looped ? 1 : 0) | (s.sixteenBit ? 0x10 : 0));
    out.U8(128);
    out.U8(static_cast<uint8_t>(s.relativeNote));
    out.U8(0);
    out.Text("sample", 22);
}

void WriteXmSampleData(Bytes& out, const TestSample& s) {
    int previous = 0;
    for (int16_t value : s.data) {
        int current = s.sixteenBit ? value : (value >> 8);
        int delta = current - previous;
        previous = current;
        if (s.sixteenBit) {
            out.U16(static_cast<uint16_t>(delta));
        } else {
            out.U8(static_cast<uint8_t>(delta));
        }
    }
}

}  // namespace

std::vector<TestNote> EmptyPattern(int rows, int channels) {
    return std::vector<TestNote>(static_cast<size_t>(rows * channels));
}

std::vector<uint8_t> WriteXm(const TestSong& song) {
    Bytes out;
    out.Text("Extended Module: ", 17);
    out.Text("test song", 20);
    out.U8(0x1A);
    out.Text("module writer", 20);
    out.U16(0x0104);
    out.U32(276);
    out.U16(static_cast<uint32_t>(song.orders.size()));
    out.U16(song.restart);
    out.U16(static_cast<uint32_t>(song.channels));
    out.U16(static_cast<uint32_t>(song.patterns.size()));
    out.U16(static_cast<uint32_t>(song.samples.size()));
    out.U16(1);  // linear frequencies
    out.U16(song.ticksPerRow);
    out.U16(song.bpm);
    for (size_t i = 0; i < 256; ++i) {
        out.U8(i < song.orders.size() ? song.orders[i] : 0);
    }
    for (const auto& pattern : song.patterns) {
        WriteXmPattern(out, pattern, song.rows);
    }
    for (const TestSample& s : song.samples) {
        WriteXmInstrument(out, s);
        WriteXmSampleData(out, s);
    }
    return out.Take();
}

std::vector<uint8_t> WriteMod(const TestSong& song) {
    Bytes out;
    out.Text("test mod", 20);
    for (size_t i = 0; i < 31; ++i) {
        if (i < song.samples.size()) {
            const TestSample& s = song.samples[i];
            out.Text("sample", 22);
            out.U16Big(static_cast<uint32_t>(s.data.size() / 2));
            out.U8(0);
            out.U8(s.volume);
            out.U16Big(s.looped ? s.loopStart / 2 : 0);
            out.U16Big(s.looped ? s.loopLength / 2 : 1);
        } else {
            out.Zeros(22 + 2 + 1 + 1);
            out.U16Big(0);
            out.U16Big(1);
        }
    }
    out.U8(static_cast<uint32_t>(song.orders.size()));
    out.U8(127);
    for (size_t i = 0; i < 128; ++i) {
        out.U8(i < song.orders.size() ? song.orders[i] : 0);
    }
    out.Text("M.K.", 4);
    for (const auto& pattern : song.patterns) {
        for (const TestNote& n : pattern) {
            uint16_t period = n.note >= 1 && n.note <= 36 ? MOD_PERIODS[n.note - 1] : 0;
            out.U8((n.instrument & 0xF0) | (period >> 8));
            out.U8(period & 0xFF);
            out.U8(static_cast<uint32_t>((n.instrument & 0x0F) << 4) | (n.effect & 0x0F));
            out.U8(n.param);
        }
    }
    for (const TestSample& s : song.samples) {
        for (int16_t value : s.data) {
            out.U8(static_cast<uint8_t>(value >> 8));
        }
    }
    return out.Take();
}

TestSong MakeLoopingSong(int channels) {
    TestSong song;
    song.channels = channels;
    TestSample square;
    for (int i = 0; i < 64; ++i) {
        square.data.push_back(static_cast<int16_t>(i < 32 ? 0x4000 : -0x4000));
    }
    square.looped = true;
    square.loopStart = 0;
    square.loopLength = 64;
    TestSample ramp;
    ramp.sixteenBit = true;
    for (int i = 0; i < 2000; ++i) {
        ramp.data.push_back(static_cast<int16_t>((i * 29) % 20000 - 10000));
    }
    song.samples = {square, ramp};
    std::vector<TestNote> pattern = EmptyPattern(song.rows, channels);
    for (int c = 0; c < channels; ++c) {
        TestNote& first = pattern[static_cast<size_t>(c)];
        first.note = static_cast<uint8_t>(49 + c);
        first.instrument = static_cast<uint8_t>(c % 2 == 0 ? 1 : 2);
        TestNote& later = pattern[static_cast<size_t>(8 * channels + c)];
        later.note = static_cast<uint8_t>(56 + c);
        later.instrument = 2;
    }
    song.patterns = {pattern};
    return song;
}
