// A frame as a canvas takes it: RGBA bytes, opaque. Platform-internal.
#pragma once

#include <cstdint>

#include "platform/present/presenter.h"

// Writes frame.width x frame.height pixels of a 5-6-5 (or 5-5-5) frame to
// `out` as R, G, B, A bytes, each channel widened so that full intensity is 255.
void ConvertFrameToRgba(const FrameView& frame, uint32_t* out);
