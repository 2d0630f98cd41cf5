// Instruments of the song: which sample, how loud, where in the stereo field,
// and the volume envelopes that shape each note.
#include "tools/song/song_builder.h"

#include "tools/song/sample_synth.h"
#include "tools/song/song_score.h"
#include "tools/song/xm_writer.h"

namespace song {
namespace {

// A crash shorter than this (a quarter second at 33452 Hz) would sound cut off.
constexpr size_t MIN_CRASH_SAMPLES = 8363;

XmInstrument Plain(XmSample sample, uint8_t volume, uint8_t panning) {
    XmInstrument instrument;
    instrument.name = sample.name;
    sample.volume = volume;
    sample.panning = panning;
    instrument.sample = std::move(sample);
    return instrument;
}

XmInstrument Shaped(XmSample sample, uint8_t volume, uint8_t panning, XmEnvelope envelope, uint16_t fadeout) {
    XmInstrument instrument = Plain(std::move(sample), volume, panning);
    instrument.volumeEnvelope = std::move(envelope);
    instrument.fadeout = fadeout;
    return instrument;
}

std::vector<XmInstrument> Instruments(size_t crashSamples) {
    std::vector<XmInstrument> list;
    list.push_back(Plain(SynthKick(), 64, 128));
    list.push_back(Plain(SynthSnare(), 64, 136));
    list.push_back(Plain(SynthClosedHat(), 64, 160));
    list.push_back(Plain(SynthOpenHat(), 64, 160));
    // Bass: a quick drop after the attack, then it settles and holds.
    list.push_back(Shaped(SynthBass(), 52, 128, {{{0, 64}, {6, 52}, {30, 40}, {80, 32}}, -1}, 0));
    // Arpeggio: a pluck that has died away after a bar and a half.
    list.push_back(Shaped(SynthArp(), 40, 88, {{{0, 64}, {4, 44}, {16, 22}, {40, 10}, {80, 0}}, -1}, 0));
    // Lead: a small swell into a sustain; released over about half a second.
    list.push_back(Shaped(SynthLead(), 46, 168, {{{0, 40}, {2, 64}, {10, 52}}, 2}, 1536));
    // Pad: slow attack, held while the key is down, long release.
    list.push_back(Shaped(SynthPad(), 44, 112, {{{0, 0}, {20, 64}}, 1}, 768));
    list.push_back(Plain(SynthCrash(crashSamples), 48, 100));
    return list;
}

}  // namespace

bool BuildModule(size_t crashSamples, XmModule& module) {
    module = XmModule{};
    module.name = "Frost Relay";
    module.trackerName = "trelk gen_song";
    if (!WriteScore(module)) return false;
    module.instruments = Instruments(crashSamples);
    return module.instruments.size() == INSTRUMENT_COUNT;
}

bool BuildSongFile(std::vector<uint8_t>& out) {
    // Everything but the crash is fixed; the crash is 8-bit, one byte a sample.
    XmModule module;
    std::vector<uint8_t> bytes;
    if (!BuildModule(0, module) || !WriteXm(module, bytes)) return false;
    if (bytes.size() + MIN_CRASH_SAMPLES > SONG_FILE_BYTES) return false;
    const size_t crashSamples = SONG_FILE_BYTES - bytes.size();
    module.instruments[INSTRUMENT_CRASH - 1] = Plain(SynthCrash(crashSamples), 48, 100);
    if (!WriteXm(module, bytes) || bytes.size() != SONG_FILE_BYTES) return false;
    out = std::move(bytes);
    return true;
}

}  // namespace song
