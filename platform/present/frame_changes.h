// What changed between two frames, as bands of rows each with the span of
// columns that changed in it: the software presenter rescales and sends only
// those. Platform-internal; pure.
#pragma once

#include <cstdint>
#include <vector>

struct ChangedArea {
    int x = 0;  // frame pixels
    int y = 0;
    int width = 0;
    int height = 0;
};

// Rows are grouped in bands of bandRows; a band holds one area covering every
// changed pixel of its rows. `previous` takes the new frame's pixels.
std::vector<ChangedArea> TakeFrameChanges(const uint16_t* frame, std::vector<uint16_t>& previous, int width,
                                          int height, int bandRows);
