// Serialisation of an XmModule into Extended Module bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/song/xm_module.h"

namespace song {

// Packs one pattern the way trackers do: a cell with every field present is
// written as five plain bytes, any other cell as a flag byte (0x80 | which
// fields follow) and the fields present. Caller owns the result.
std::vector<uint8_t> PackPattern(const XmPattern& pattern);

// Delta-encodes sample data: each stored value is the difference to the
// previous one (8-bit wraps modulo 256, 16-bit modulo 65536, little-endian).
std::vector<uint8_t> DeltaEncode(const XmSample& sample);

// The whole file. Returns false (and leaves out untouched) when the module
// breaks a limit of the format: more than 256 orders, patterns or rows,
// an order naming a missing pattern, more than 12 envelope points, a loop
// outside the data, or an 8-bit value outside -128..127.
bool WriteXm(const XmModule& module, std::vector<uint8_t>& out);

}  // namespace song
