// A tiny writer of Extended Module (XM) and 4-channel ProTracker (MOD) files,
// so the music tests, fuzz seeds and benchmarks have songs of known content.
#pragma once

#include <cstdint>
#include <vector>

struct TestSample {
    std::vector<int16_t> data;  // 8-bit samples use the high byte
    bool sixteenBit = false;
    bool looped = false;
    uint32_t loopStart = 0;   // in samples
    uint32_t loopLength = 0;  // in samples
    uint8_t volume = 64;
    int8_t relativeNote = 0;
};

struct TestNote {
    uint8_t note = 0;        // XM: 1..96, 97 key off; MOD: period index via MOD_PERIODS
    uint8_t instrument = 0;  // 1-based, 0 none
    uint8_t volume = 0;      // XM volume column, 0 none
    uint8_t effect = 0;
    uint8_t param = 0;
};

struct TestSong {
    int channels = 4;
    int rows = 16;
    uint16_t ticksPerRow = 6;
    uint16_t bpm = 125;
    uint16_t restart = 0;
    std::vector<uint8_t> orders{0};
    std::vector<std::vector<TestNote>> patterns;  // rows x channels each
    std::vector<TestSample> samples;              // one per instrument
};

// A pattern of `rows` empty rows for `channels` channels.
std::vector<TestNote> EmptyPattern(int rows, int channels);

std::vector<uint8_t> WriteXm(const TestSong& song);
// MOD: 4 channels, 8-bit samples of even length, notes as Amiga periods taken
// from the note number (MOD_C3_NOTE is C-3).
std::vector<uint8_t> WriteMod(const TestSong& song);
constexpr uint8_t MOD_C3_NOTE = 25;

// A song that plays: instrument 1 (a looped square wave) and instrument 2 (a
// one-shot 16-bit ramp) over `channels` channels, one pattern that repeats.
TestSong MakeLoopingSong(int channels);
