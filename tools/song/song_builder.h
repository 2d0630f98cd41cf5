// Assembly of the whole song: instruments, samples and score, sized exactly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/song/xm_module.h"

namespace song {

// The song file's size, fixed by the program that embeds it.
inline constexpr size_t SONG_FILE_BYTES = 140414;

// Builds the module with a crash cymbal of crashSamples samples.
// False when the score is malformed.
bool BuildModule(size_t crashSamples, XmModule& module);

// The song's bytes. The crash cymbal, the one sample whose length is free,
// is cut so that the file is exactly SONG_FILE_BYTES long; false when the
// rest of the song leaves too little room for it (under a quarter second).
bool BuildSongFile(std::vector<uint8_t>& out);

}  // namespace song
