// The per-row work of the frame scaler (frame_scaler.h) at each
// instruction-set level. Every level computes the same integers, so all give
// the same pixels; only their speed differs. Platform-internal.
#pragma once

#include <array>
#include <cstdint>

#include "platform/present/frame_scaler.h"

constexpr uint32_t OPAQUE = 0xFF000000u;
// Horizontal weights count in 1/256, vertical ones in 1/32768.
constexpr int COLUMN_WEIGHT_ONE = 256;
constexpr int ROW_WEIGHT_ONE = 32768;
// Blended rows hold channels in 8.6 fixed point, which leaves room for the
// sign of twice the difference of two of them, with half a step added so
// that the final shift rounds.
constexpr int BLENDED_SHIFT = 6;
constexpr uint16_t BLENDED_ROUNDING = 1 << (BLENDED_SHIFT - 1);
// Linear kernels work on whole groups of 8 picture pixels.
constexpr int GROUP = 8;
// Where each pixel of a group sits in the AVX2 kernels' blended rows.
constexpr std::array<int, GROUP> AVX2_GROUP_ORDER{0, 1, 4, 5, 2, 3, 6, 7};
// Vector loads read up to this many pixels past the last one a row uses.
constexpr int ROW_SLACK = 8;

// 16-bit pixels to the picture's 32-bit words.
using WidenRowFunction = void (*)(const uint16_t* in, uint32_t* out, int count);

// Nearest: out[x] = row[index[x]].
using ExpandFunction = void (*)(const uint32_t* row, const int32_t* index, uint32_t* out, int count);

// The columns of a linear table, from the first one a row needs on.
struct LinearColumns {
    const int32_t* index;     // the left neighbour
    const uint32_t* weights;  // (256 - w) | w << 16
    const uint16_t* spread;   // 256 - w four times over, in AVX2_GROUP_ORDER
};

// Linear along a row, into a blended row of four 16-bit channels per pixel
// in a layout of the kernels' own: per channel
// ((left * (256 - w) + right * w) >> 2) + BLENDED_ROUNDING. The alpha byte's
// 255s blend to 255 at the end, so no kernel sets it.
using BlendColumnsFunction = void (*)(const uint32_t* row, const LinearColumns& columns, uint16_t* out,
                                      int count);

// Linear down the columns, from a blended row and `difference`, twice the
// next blended row minus it: per channel
// (upper + (difference * weight >> 16)) >> BLENDED_SHIFT.
using BlendRowsFunction = void (*)(const uint16_t* upper, const int16_t* difference, int weight,
                                   uint32_t* out, int count);

// Twice lower - upper, lane by lane, whatever the layout.
using DifferenceFunction = void (*)(const uint16_t* upper, const uint16_t* lower, int16_t* out, int lanes);

// The two passes of the linear filter share their blended rows' layout.
struct LinearKernels {
    BlendColumnsFunction blendColumns;
    BlendRowsFunction blendRows;
};

struct RowKernels {
    // Orders streamed writes before whatever follows the scaling.
    void (*finish)();
    std::array<WidenRowFunction, 4> widen;  // by layout * 2 + target
    ExpandFunction expand;
    // For tables where any 8 neighbouring picture pixels read within 8 source pixels.
    ExpandFunction expandNarrow;
    DifferenceFunction difference;
    LinearKernels linear;
    // For tables where every group reads within 8 source pixels.
    LinearKernels linearNarrow;
};

bool RowKernelsSupported(ScalerCode code);
const RowKernels& RowKernelsFor(ScalerCode code);
