#include "platform/present/picture_layout.h"

#include <algorithm>
#include <cstdint>

PictureLayout LayoutPicture(int frameWidth, int frameHeight, int outputWidth, int outputHeight,
                            ScaleChoice scale, FilterChoice filter) {
    PictureLayout layout;
    if (frameWidth <= 0 || frameHeight <= 0 || outputWidth <= 0 || outputHeight <= 0) {
        return layout;
    }
    const int whole = std::min(outputWidth / frameWidth, outputHeight / frameHeight);
    if (scale == ScaleChoice::Integer && whole >= 1) {
        layout.width = frameWidth * whole;
        layout.height = frameHeight * whole;
    } else if (int64_t{outputWidth} * frameHeight <= int64_t{outputHeight} * frameWidth) {
        layout.width = outputWidth;  // the width limits: borders above and below
        layout.height = static_cast<int>(int64_t{outputWidth} * frameHeight / frameWidth);
    } else {
        layout.height = outputHeight;
        layout.width = static_cast<int>(int64_t{outputHeight} * frameWidth / frameHeight);
    }
    layout.width = std::max(layout.width, 1);
    layout.height = std::max(layout.height, 1);
    layout.x = (outputWidth - layout.width) / 2;
    layout.y = (outputHeight - layout.height) / 2;
    const bool wholeScale = layout.width % frameWidth == 0 && layout.height % frameHeight == 0 &&
                            layout.width / frameWidth == layout.height / frameHeight;
    layout.smooth = filter == FilterChoice::Linear || (filter == FilterChoice::Auto && !wholeScale);
    return layout;
}
