// Scaling the 16-bit frame into a 32-bit picture in software, for presenting
// it in a window surface: nearest-neighbour or bilinear, all of the picture
// or only the part of it that changed.
// Platform-internal. Callable from any thread: the column tables and row
// buffers are the calling thread's own. A thread keeps the tables of the
// last 4 (source width, picture width, filter) it scaled with, about 16
// bytes per picture column, and buffers of a few picture rows.
//
// Sampling, the same on both axes, for a source of n pixels shown as m
// picture pixels. Pixel centres line up: the centre of picture pixel x lies
// at source position (x + 0.5) * n / m.
// - Nearest: picture pixel x shows source pixel floor((2x + 1) * n / (2m)),
//   computed exactly in integers.
// - Linear: p = (x + 0.5) * n / m - 0.5, i = floor(p), f = p - i; where
//   p < 0, i = 0 and f = 0; where i >= n - 1, i = n - 1 and f = 0. The value
//   is (1 - f) * s[i] + f * s[i + 1], first along picture rows with f rounded
//   to a multiple of 1/256, then down the columns with f rounded to a
//   multiple of 1/32768, on 8-bit channels kept to 1/64 in between and
//   rounded at the end: within 1 of the exact bilinear value per channel.
//   Only the two nearest source pixels count on each axis, also when
//   scaling down.
// Channels are widened to the nearest 8-bit level, as SDL and the rest of
// the stand-in do: r8 = (r5 * 255 + 15) / 31, g8 = (g6 * 255 + 31) / 63
// (5-bit green like red).
#pragma once

#include <cstdint>

// The frame's 16-bit pixels.
enum class SourceLayout { Rgb565, Rgb555 };

// The picture's 32-bit words: Xrgb8888 is 0xFFRRGGBB, Xbgr8888 0xFFBBGGRR.
// The top byte is always written 0xFF, so surfaces with alpha come out opaque.
enum class TargetLayout { Xrgb8888, Xbgr8888 };

enum class ScaleFilter { Nearest, Linear };

struct ScaleRect {
    int x;
    int y;
    int width;
    int height;

    bool operator==(const ScaleRect&) const = default;
};

// Scales a sourceWidth x sourceHeight frame (rows sourcePitch pixels apart)
// to a pictureWidth x pictureHeight picture whose pixel (0, 0) is at `picture`
// (rows picturePitch bytes apart) and writes only the picture pixels inside
// `region` (picture coordinates, clipped to the picture). Any sizes from
// 1 x 1 up. Picture rows must start on 4-byte boundaries. Where they start on
// 32-byte ones the linear filter writes them with streaming stores, past the
// caches (all done when the call returns), which is faster: in a window
// surface, place the picture at a multiple of 8 pixels.
void ScaleFrame(const uint16_t* source, int sourceWidth, int sourceHeight, int sourcePitch,
                SourceLayout layout, void* picture, int picturePitch, int pictureWidth, int pictureHeight,
                TargetLayout target, ScaleFilter filter, ScaleRect region);

// The source rectangle whose pixels can change `region` of the picture.
ScaleRect SourceRectForPicture(ScaleRect region, int sourceWidth, int sourceHeight, int pictureWidth,
                               int pictureHeight, ScaleFilter filter);

// The picture region whose pixels a change of the source rectangle
// `sourceChange` can alter (for the linear filter, including the neighbours
// that blend with it); empty when the rectangle misses the source.
ScaleRect PictureRegionForSource(ScaleRect sourceChange, int sourceWidth, int sourceHeight, int pictureWidth,
                                 int pictureHeight, ScaleFilter filter);

// The instruction sets the scaler's kernels are written for.
enum class ScalerCode { Portable, Sse2, Avx2 };
