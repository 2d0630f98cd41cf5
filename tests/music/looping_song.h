// A song that plays, for the music tests and benchmarks, written by the song
// generator's own XM writer: instrument 1 a looped 8-bit square wave,
// instrument 2 a one-shot 16-bit ramp, one pattern of 16 rows that repeats.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/song/xm_module.h"
#include "tools/song/xm_writer.h"

constexpr int LOOPING_SONG_ROWS = 16;

// Every channel starts a note on row 0 (instruments 1 and 2 by turns) and
// instrument 2 on row 8.
inline song::XmModule LoopingSong(int channels) {
    song::XmModule module;
    module.channels = channels;
    module.orders = {0};
    song::XmInstrument square;
    for (int i = 0; i < 64; ++i) square.sample.data.push_back(i < 32 ? 64 : -64);
    square.sample.loop = song::LoopType::Forward;
    square.sample.loopLength = 64;
    song::XmInstrument ramp;
    ramp.sample.sixteenBit = true;
    for (int i = 0; i < 2000; ++i) ramp.sample.data.push_back(static_cast<int16_t>((i * 29) % 20000 - 10000));
    module.instruments = {square, ramp};
    song::XmPattern pattern(LOOPING_SONG_ROWS, channels);
    for (int c = 0; c < channels; ++c) {
        pattern.At(0, c) = {static_cast<uint8_t>(49 + c), static_cast<uint8_t>(c % 2 == 0 ? 1 : 2), 0, 0, 0};
        pattern.At(8, c) = {static_cast<uint8_t>(56 + c), 2, 0, 0, 0};
    }
    module.patterns = {pattern};
    return module;
}

// The module's file; empty when the writer refuses it.
inline std::vector<uint8_t> XmBytes(const song::XmModule& module) {
    std::vector<uint8_t> bytes;
    song::WriteXm(module, bytes);
    return bytes;
}
