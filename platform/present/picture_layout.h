// Where the 4:3 frame goes on a screen or window of any size: centred, its
// shape kept, black borders around it. Platform-internal; pure arithmetic.
#pragma once

#include "platform/core/stand_in_settings.h"

// How the picture fills its output (--scale, --filter), handed to a
// presenter when it is made.
struct PictureScaling {
    ScaleChoice scale = ScaleChoice::Fit;
    FilterChoice filter = FilterChoice::Auto;
};

struct PictureLayout {
    int x = 0;  // the picture's rectangle in the output, in pixels
    int y = 0;
    int width = 0;
    int height = 0;
    bool smooth = false;  // linear filtering rather than nearest
};

// fit: the largest rectangle of the frame's shape that the output holds;
// integer: the largest whole multiple of the frame that fits (fit when not
// even one does). FilterChoice::Auto is nearest at whole scales, where every
// frame pixel becomes a square of screen pixels, and linear otherwise, where
// nearest would make rows and columns of uneven width.
PictureLayout LayoutPicture(int frameWidth, int frameHeight, int outputWidth, int outputHeight,
                            ScaleChoice scale, FilterChoice filter);
