// The score. Each pattern is four bars of 16 rows; a row is a sixteenth note.
//
// Order: intro, groove, theme A (two halves), theme B (two halves), break,
// build-up, theme A again (second half higher), theme B again (rising into
// the end), outro. The outro jumps back to the groove.
#include "tools/song/song_score.h"

#include <array>

#include "tools/song/song_notation.h"

namespace song {
namespace {

constexpr int BAR_ROWS = 16;
constexpr int BARS = 4;

enum Channel { DRUMS = 0, LOW = 1, CHORDS = 2, HIGH = 3 };

// Drum bars.
constexpr const char* BEAT_A = "k.h.s.hkk.h.s.o.";
constexpr const char* BEAT_B = "k.h.s.h.k.khs.hH";
constexpr const char* BEAT_GHOST = "k.hgs.hkk.hgs.oh";
constexpr const char* BEAT_FILL = "k.h.s.h.k.s.rrrr";
constexpr const char* BEAT_ROLL_OUT = "k.h.s.h.rrrrrrrr";
constexpr const char* HATS = "h.h.h.h.h.h.h.h.";
constexpr const char* HATS_LIFT = "h.h.h.h.h.h.hHhH";
constexpr const char* HATS_OFFBEAT = "..h...h...h...h.";
constexpr const char* HATS_GHOSTS = "..h...h...h.g.gg";
constexpr const char* KICK_HATS = "k.h.k.h.k.h.k.h.";
constexpr const char* KICK_SNARES = "k.s.k.s.k.s.k.s.";
constexpr const char* KICK_THEN_ROLL = "k...k...rrrrrrrr";
constexpr const char* ROLL = "rrrrrrrrrrrrrrrr";

// Bass bars.
constexpr const char* DRIVE = "R.R.O.R.R.R.O.R.";
constexpr const char* SYNC = "R..R..O.R..R.O.F";
constexpr const char* WALK = "R.R.O.R.F.R.O.S.";
constexpr const char* PEDAL = "R.R.R.R.R.R.R.R.";
constexpr const char* PEDAL_UP = "R.R.R.R.O.O.O.O.";

// Arpeggio bars.
constexpr const char* EIGHTHS = "x-x-x-x-x-x-x-x-";
constexpr const char* TRESILLO = "x--x--x-x--x--x-";
constexpr const char* HALVES = "x-------x-------";
constexpr const char* WHOLE = "x---------------";

using Bars = std::array<const char*, BARS>;

// What one pattern plays. A channel is either written bar by bar over the
// chords or, when its melody is set, as one melody line.
struct PatternPlan {
    Bars chords;
    Bars drums;
    Bars bass;
    const char* lowMelody;  // pad line on the bass channel instead of the bass
    Bars arp;
    int arpVolume;
    const char* highMelody;
    uint8_t highInstrument;
    int highVolume;
    bool jumpsToRestart;
};

constexpr Bars NO_BARS = {nullptr, nullptr, nullptr, nullptr};
constexpr Bars Same(const char* bar) { return {bar, bar, bar, bar}; }

// Themes for the lead.
constexpr const char* THEME_A1 =
    "E-5:6 D-5:2 C-5:2 D-5:2 E-5:4 A-4:8 C-5:4 A-4:2 G-4:2 "
    "E-5:6 G-5:2 E-5:2 D-5:2 C-5:4 D-5:10 B-4:2 C-5:2 D-5:2";
constexpr const char* THEME_A2 =
    "E-5:6 D-5:2 C-5:2 D-5:2 E-5:4 A-5:6 G-5:2 F-5:4 E-5:4 "
    "D-5:4 B-4:4 G-4:4 D-5:4 E-5:6 D-5:2 B-4:4 G#4:4";
constexpr const char* THEME_A2_HIGH =
    "A-5:6 G-5:2 E-5:2 G-5:2 A-5:4 C-6:6 B-5:2 A-5:4 F-5:4 "
    "G-5:4 D-5:4 B-4:4 D-5:4 E-5:8 G#5:4 B-5:4";
constexpr const char* THEME_B1 =
    "F-5:4 E-5:4 D-5:4 A-4:4 B-4:4 D-5:4 G-5:8 "
    "E-5:4 G-5:4 C-6:4 B-5:2 G-5:2 A-5:12 off:4";
constexpr const char* THEME_B2 =
    "A-5:4 G-5:4 F-5:4 C-5:4 D-5:4 G-5:4 B-5:4 D-6:4 "
    "B-5:8 G#5:4 E-5:4 E-5:12 off:4";
constexpr const char* THEME_B2_RISING =
    "A-5:4 G-5:4 F-5:4 C-5:4 D-5:4 G-5:4 B-5:4 D-6:4 "
    "B-5:8 G#5:4 E-5:4 E-5:4 G#5:4 B-5:4 D-6:4";

const std::array<PatternPlan, 11>& Plans() {
    static const std::array<PatternPlan, 11> plans = {{
        // 0 intro: pad chords over hats, the beat creeping in.
        {{"Am", "F", "Dm", "E"},
         {HATS, HATS_LIFT, KICK_HATS, KICK_THEN_ROLL},
         NO_BARS,
         "A-3:16 F-3:16 D-3:16 E-3:12 off:4",
         Same(HALVES),
         26,
         "C-5:16 A-4:16 F-4:16 G#4:12 off:4",
         INSTRUMENT_PAD,
         34,
         false},
        // 1 groove: full band, the pad answering under a crash.
        {{"Am", "F", "C", "G"},
         {BEAT_A, BEAT_B, BEAT_A, BEAT_FILL},
         {DRIVE, DRIVE, SYNC, WALK},
         nullptr,
         Same(TRESILLO),
         34,
         "X:16 A-4:16 G-4:16 B-4:12 off:4",
         INSTRUMENT_PAD,
         40,
         false},
        // 2 theme A, first half.
        {{"Am", "F", "C", "G"},
         {BEAT_A, BEAT_GHOST, BEAT_A, BEAT_B},
         {DRIVE, SYNC, DRIVE, WALK},
         nullptr,
         Same(EIGHTHS),
         30,
         THEME_A1,
         INSTRUMENT_LEAD,
         0,
         false},
        // 3 theme A, second half, turning to the dominant.
        {{"Am", "F", "G", "E"},
         {BEAT_A, BEAT_GHOST, BEAT_A, BEAT_FILL},
         {DRIVE, SYNC, DRIVE, DRIVE},
         nullptr,
         Same(TRESILLO),
         32,
         THEME_A2,
         INSTRUMENT_LEAD,
         0,
         false},
        // 4 theme B, first half.
        {{"Dm", "G", "C", "Am"},
         {BEAT_B, BEAT_GHOST, BEAT_B, BEAT_GHOST},
         {SYNC, SYNC, SYNC, WALK},
         nullptr,
         Same(EIGHTHS),
         30,
         THEME_B1,
         INSTRUMENT_LEAD,
         0,
         false},
        // 5 theme B, second half.
        {{"F", "G", "E", "E"},
         {BEAT_B, BEAT_GHOST, BEAT_B, BEAT_ROLL_OUT},
         {SYNC, SYNC, DRIVE, DRIVE},
         nullptr,
         Same(EIGHTHS),
         32,
         THEME_B2,
         INSTRUMENT_LEAD,
         0,
         false},
        // 6 break: no kick, a pad line below and a slow lead above.
        {{"Am", "Dm", "F", "E"},
         {HATS_OFFBEAT, HATS_OFFBEAT, HATS_OFFBEAT, HATS_GHOSTS},
         NO_BARS,
         "A-3:16 D-3:16 F-3:16 E-3:12 off:4",
         Same(WHOLE),
         28,
         "E-5:16 F-5:8 D-5:8 C-5:16 B-4:12 off:4",
         INSTRUMENT_LEAD,
         40,
         false},
        // 7 build-up over a pedal, ending in a snare roll.
        {{"Am", "Am", "E", "E"},
         {KICK_HATS, KICK_HATS, KICK_SNARES, ROLL},
         {PEDAL, PEDAL, PEDAL_UP, PEDAL},
         nullptr,
         Same(EIGHTHS),
         30,
         "A-4:16 C-5:16 D-5:16 E-5:12 off:4",
         INSTRUMENT_PAD,
         44,
         false},
        // 8 theme A, second half an octave higher.
        {{"Am", "F", "G", "E"},
         {BEAT_A, BEAT_GHOST, BEAT_A, BEAT_FILL},
         {DRIVE, SYNC, DRIVE, DRIVE},
         nullptr,
         Same(TRESILLO),
         32,
         THEME_A2_HIGH,
         INSTRUMENT_LEAD,
         0,
         false},
        // 9 theme B, second half, rising into the outro.
        {{"F", "G", "E", "E"},
         {BEAT_B, BEAT_GHOST, BEAT_B, BEAT_ROLL_OUT},
         {SYNC, SYNC, DRIVE, DRIVE},
         nullptr,
         Same(EIGHTHS),
         32,
         THEME_B2_RISING,
         INSTRUMENT_LEAD,
         0,
         false},
        // 10 outro: the lead steps down, and the song turns back to the groove.
        {{"Am", "F", "G", "E"},
         {BEAT_A, BEAT_B, BEAT_A, BEAT_FILL},
         {DRIVE, SYNC, DRIVE, WALK},
         nullptr,
         Same(TRESILLO),
         34,
         "X:16 E-5:8 D-5:8 C-5:8 B-4:8 B-4:12 off:4",
         INSTRUMENT_LEAD,
         0,
         true},
    }};
    return plans;
}

constexpr std::array<uint8_t, 13> ORDER = {0, 1, 2, 3, 4, 5, 6, 7, 2, 8, 4, 9, 10};

bool WriteBars(XmPattern& pattern, const PatternPlan& plan) {
    const DrumKit kit{INSTRUMENT_KICK, INSTRUMENT_SNARE, INSTRUMENT_CLOSED_HAT, INSTRUMENT_OPEN_HAT};
    for (int bar = 0; bar < BARS; ++bar) {
        const auto index = static_cast<size_t>(bar);
        const int row = bar * BAR_ROWS;
        Chord chord;
        if (!ParseChord(plan.chords[index], chord)) return false;
        if (plan.drums[index] != nullptr && !WriteDrums(pattern, DRUMS, row, plan.drums[index], kit)) {
            return false;
        }
        if (plan.bass[index] != nullptr &&
            !WriteBass(pattern, LOW, row, plan.bass[index], chord, INSTRUMENT_BASS)) {
            return false;
        }
        if (plan.arp[index] != nullptr &&
            !WriteArp(pattern, CHORDS, row, plan.arp[index], chord, INSTRUMENT_ARP, plan.arpVolume)) {
            return false;
        }
    }
    return true;
}

bool WritePattern(XmPattern& pattern, const PatternPlan& plan) {
    if (!WriteBars(pattern, plan)) return false;
    if (plan.lowMelody != nullptr) {
        const MelodyStyle pad{INSTRUMENT_PAD, INSTRUMENT_CRASH, 46, false};
        if (!WriteMelody(pattern, LOW, 0, plan.lowMelody, pad)) return false;
    }
    const bool lead = plan.highInstrument == INSTRUMENT_LEAD;
    const MelodyStyle high{plan.highInstrument, INSTRUMENT_CRASH, plan.highVolume, lead};
    if (!WriteMelody(pattern, HIGH, 0, plan.highMelody, high)) return false;
    if (plan.jumpsToRestart) {
        XmCell& last = pattern.At(SONG_ROWS - 1, DRUMS);
        last.effect = FX_POSITION_JUMP;
        last.param = SONG_RESTART_POSITION;
    }
    return true;
}

}  // namespace

bool WriteScore(XmModule& module) {
    module.channels = SONG_CHANNELS;
    module.speed = SONG_SPEED;
    module.tempo = SONG_TEMPO;
    module.restartPosition = SONG_RESTART_POSITION;
    module.orders.assign(ORDER.begin(), ORDER.end());
    module.patterns.clear();
    for (const PatternPlan& plan : Plans()) {
        module.patterns.emplace_back(SONG_ROWS, SONG_CHANNELS);
        if (!WritePattern(module.patterns.back(), plan)) return false;
    }
    return true;
}

}  // namespace song
