// Small modules in each format the intro's module library is set up to read
// (XM, MOD, S3M), as starting points for fuzzing the song reader: a few
// samples (looped and one-shot, 8- and 16-bit), two patterns with notes,
// volumes, slides, vibrato, arpeggio, speed and tempo changes and a jump.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/song/xm_module.h"

namespace song {

struct ModuleSeed {
    std::string fileName;  // e.g. "groove.s3m"
    std::vector<uint8_t> bytes;
};

// The model the seeds are written from: `channels` channels (at least 4),
// two patterns of 64 rows, three instruments; the third sample is 16-bit
// unless `eightBitOnly`.
XmModule MakeSeedModule(int channels, bool eightBitOnly);

// Every seed: a 4- and an 8-channel module in each of the three formats.
std::vector<ModuleSeed> MakeModuleSeeds();

}  // namespace song
