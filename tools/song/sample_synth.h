// Synthesis of the song's samples. Each function returns a complete sample:
// data already quantised to its width, loop points in samples, and the
// relative note that makes a C-4 in the score sound at the intended rate
// (16726 Hz for relative note 12, 33452 Hz for 24, 66904 Hz for 36).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/song/xm_module.h"

namespace song {

// Full-scale fraction, in thousandths, that each sample is normalised to.
// Kept moderate so that four voices at full volume, each 10 dB down, never clip.
inline constexpr int DRUM_PEAK_PERMILLE = 740;
inline constexpr int TONE_PEAK_PERMILLE = 680;

// Scales a Q30 signal so its largest magnitude is peakPermille of full
// scale, rounding to nearest: 16-bit when sixteenBit, else -128..127.
std::vector<int16_t> Quantise(const std::vector<int64_t>& signal, int peakPermille, bool sixteenBit);

// A linear fade to zero over the last fadeLength values.
void FadeTail(std::vector<int64_t>& signal, size_t fadeLength);

// Drums, one-shot.
XmSample SynthKick();                     // 16-bit, 16726 Hz, pitch-swept sine with a click
XmSample SynthSnare();                    // 8-bit, 33452 Hz, two tones and filtered noise
XmSample SynthClosedHat();                // 8-bit, 33452 Hz, short metallic noise
XmSample SynthOpenHat();                  // 8-bit, 33452 Hz, long metallic noise
XmSample SynthCrash(size_t sampleCount);  // 8-bit, 33452 Hz, decays over any length

// Pitched instruments, looped, tuned so that a C-4 sounds C-4 (261.6 Hz nominal).
XmSample SynthBass();  // 16-bit, filtered saw whose brightness closes over the attack
XmSample SynthArp();   // 8-bit, single-cycle soft pulse
XmSample SynthLead();  // 16-bit, pulse with slowly swept width
XmSample SynthPad();   // 16-bit, three detuned saws; a release tail lies behind the loop end

}  // namespace song
