// The composition: a piece in A minor at 128 beats per minute, speed 6, for
// four channels (drums, bass, arpeggio, lead).
#pragma once

#include <cstdint>

#include "tools/song/xm_module.h"

namespace song {

// Instrument numbers as the patterns use them (1-based, the format's way).
enum Instrument : uint8_t {
    INSTRUMENT_KICK = 1,
    INSTRUMENT_SNARE,
    INSTRUMENT_CLOSED_HAT,
    INSTRUMENT_OPEN_HAT,
    INSTRUMENT_BASS,
    INSTRUMENT_ARP,
    INSTRUMENT_LEAD,
    INSTRUMENT_PAD,
    INSTRUMENT_CRASH,
    INSTRUMENT_COUNT = INSTRUMENT_CRASH
};

inline constexpr int SONG_CHANNELS = 4;
inline constexpr int SONG_SPEED = 6;
inline constexpr int SONG_TEMPO = 128;
inline constexpr int SONG_ROWS = 64;
// Position 0 is the intro; the song returns to position 1 when it ends.
inline constexpr int SONG_RESTART_POSITION = 1;

// Fills the module's patterns, order table, restart position, speed and
// tempo. False when a line of the score is malformed.
bool WriteScore(XmModule& module);

}  // namespace song
