// Serialisation of an XmModule as a ProTracker-style module (MOD): 31
// sample slots, 64-row patterns of Amiga periods, signed 8-bit samples.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/song/xm_module.h"

namespace song {

// The whole file, its signature "M.K." for 4 channels and "<n>CHN" or
// "<n>CH" for other even counts. Notes become periods (C-4 is the period
// 428), XM effects 0 to F keep their numbers, a volume in the volume column
// becomes effect C where the cell has no other effect; key-offs and the
// other effects are left out. Returns false (out untouched) when the module
// does not fit the format: an odd channel count or more than 32, more than
// 31 instruments or 128 orders, a pattern not of 64 rows, a 16-bit sample, or
// a sample longer than 131070 samples.
bool WriteMod(const XmModule& module, std::vector<uint8_t>& out);

}  // namespace song
