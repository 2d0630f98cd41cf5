// Test seams of presenting. For tests only: the program never sees this
// header.
#pragma once

#include "platform/present/frame_scaler.h"

// The instruction sets the frame scaler may use. Every level gives the same
// pixels. Returns false, changing nothing, when the processor lacks one.
bool UseScalerCodeForTesting(ScalerCode code);
