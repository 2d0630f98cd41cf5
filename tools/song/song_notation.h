// A small text notation for writing the score into patterns.
//
// Melody: tokens "<note>:<rows>" separated by spaces, e.g. "E-5:6 D#5:2 r:4 off:4".
//   A note starts on the first of its rows; "r" leaves the rows empty; "off"
//   releases the voice (key-off) and leaves the rest empty; "X" strikes the
//   crash cymbal.
// Steps: one character per row, '.' for nothing (see WriteDrums, WriteBass, WriteArp).
// Every writer returns false, writing nothing more, when the text is malformed
// or runs past the pattern's last row.
#pragma once

#include <cstdint>
#include <string_view>

#include "tools/song/xm_module.h"

namespace song {

// "C-4" -> 49, "C#4" -> 50, "A-2" -> 34; 0 when the text is not a note C-0..B-7.
int ParseNote(std::string_view text);

struct Chord {
    int root = 0;  // semitone above C, 0..11
    bool minor = false;
};

// "Am" -> A minor, "F" -> F major, "C#m", "Bb"; false when not a chord name.
bool ParseChord(std::string_view text, Chord& chord);

struct MelodyStyle {
    uint8_t instrument = 0;
    uint8_t crashInstrument = 0;
    int volume = 0;        // 0 leaves the sample's own volume
    bool vibrato = false;  // long notes get a vibrato after their first rows
};

// Instruments of the drum kit and the volumes they are struck with.
struct DrumKit {
    uint8_t kick = 0;
    uint8_t snare = 0;
    uint8_t closedHat = 0;
    uint8_t openHat = 0;
};

// Vibrato effect parameter for long melody notes: speed 5, depth 3.
inline constexpr uint8_t VIBRATO_PARAM = 0x53;
// Notes at least this many rows long get the vibrato from their fourth row on.
inline constexpr int VIBRATO_MIN_ROWS = 6;

bool WriteMelody(XmPattern& pattern, int channel, int startRow, std::string_view melody,
                 const MelodyStyle& style);

// Drum steps: k kick, s snare, g ghost snare, h hat, H accented hat, o open
// hat, r roll snare (loudness rising across the roll of the text).
bool WriteDrums(XmPattern& pattern, int channel, int startRow, std::string_view steps, const DrumKit& kit);

// Bass steps over a chord: R root (E-2..D#3), O root an octave up, F fifth,
// S flat seventh, T the chord's third, ^ key-off.
bool WriteBass(XmPattern& pattern, int channel, int startRow, std::string_view steps, const Chord& chord,
               uint8_t instrument);

// Arpeggio steps over a chord: x strikes the root (F#4..F-5) with the chord's
// arpeggio, - keeps arpeggiating the sounding note, . plays it plain.
bool WriteArp(XmPattern& pattern, int channel, int startRow, std::string_view steps, const Chord& chord,
              uint8_t instrument, int volume);

}  // namespace song
