// Serialisation of an XmModule as a Scream Tracker 3 module (S3M): packed
// 64-row patterns, sample headers and data reached through parapointers
// (offsets in units of 16 bytes), unsigned 8- or 16-bit samples.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/song/xm_module.h"

namespace song {

// The whole file. Channels alternate left and right; notes keep their octave
// and semitone (XM C-4 is S3M C-4), a key-off becomes the note cut, the
// volume column and effect C become the volume byte, and the effects with an
// S3M counterpart (arpeggio, slides, portamentos, vibrato, tremolo, panning,
// sample offset, jumps, breaks, speed and tempo) are translated; the rest are
// left out. Returns false (out untouched) when the module does not fit the
// format: more than 16 channels, 99 instruments or 255 orders, a pattern of
// more than 64 rows (shorter ones are padded), or more than 1 MB of data.
bool WriteS3m(const XmModule& module, std::vector<uint8_t>& out);

}  // namespace song
