// The scaler's row kernels: portable loops, SSE2 (every x86-64 has it) and
// AVX2, picked by the processor at run time. AVX2's variable permute gathers
// 8 neighbouring source pixels in one instruction. Its linear filter writes
// the picture with streaming stores, which skip reading each line before
// writing it: a fifth off the time at 2880 x 2160, the copy that presenting
// makes afterwards included. Nearest gains nothing from them: most of its
// rows are copies of the row above, which memcpy makes as fast.
#include "platform/present/frame_scaler_kernels.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

template <SourceLayout Layout, TargetLayout Target>
uint32_t Widen(uint32_t pixel) {
    const uint32_t red5 = Layout == SourceLayout::Rgb565 ? pixel >> 11 : (pixel >> 10) & 31;
    const uint32_t blue5 = pixel & 31;
    uint32_t green = 0;
    if constexpr (Layout == SourceLayout::Rgb565) {
        const uint32_t green6 = (pixel >> 5) & 63;
        green = (green6 * 255 + 31) / 63;
    } else {
        const uint32_t green5 = (pixel >> 5) & 31;
        green = (green5 * 255 + 15) / 31;
    }
    const uint32_t red = (red5 * 255 + 15) / 31;
    const uint32_t blue = (blue5 * 255 + 15) / 31;
    if constexpr (Target == TargetLayout::Xrgb8888) {
        return OPAQUE | red << 16 | green << 8 | blue;
    } else {
        return OPAQUE | blue << 16 | green << 8 | red;
    }
}

// A plain loop over plain arrays: GCC vectorises it at -O3.
template <SourceLayout Layout, TargetLayout Target>
void WidenRow(const uint16_t* __restrict in, uint32_t* __restrict out, int count) {
    for (int i = 0; i < count; ++i) {
        out[i] = Widen<Layout, Target>(in[i]);
    }
}

void Difference(const uint16_t* __restrict upper, const uint16_t* __restrict lower, int16_t* __restrict out,
                int lanes) {
    for (int i = 0; i < lanes; ++i) {
        out[i] = static_cast<int16_t>(2 * (lower[i] - upper[i]));
    }
}

void ExpandPortable(const uint32_t* row, const int32_t* index, uint32_t* out, int count) {
    for (int x = 0; x < count; ++x) {
        out[x] = row[index[x]];
    }
}

void BlendColumnsPortable(const uint32_t* row, const LinearColumns& columns, uint16_t* out, int count) {
    for (int x = 0; x < count; ++x) {
        const uint32_t left = row[columns.index[x]];
        const uint32_t right = row[columns.index[x] + 1];
        const uint32_t leftWeight = columns.weights[x] & 0xFFFF;
        const uint32_t rightWeight = columns.weights[x] >> 16;
        for (int channel = 0; channel < 4; ++channel) {
            const int shift = 8 * channel;
            const uint32_t sum =
                ((left >> shift) & 0xFF) * leftWeight + ((right >> shift) & 0xFF) * rightWeight;
            out[4 * x + channel] = static_cast<uint16_t>((sum >> 2) + BLENDED_ROUNDING);
        }
    }
}

void BlendRowsPortable(const uint16_t* upper, const int16_t* difference, int weight, uint32_t* out,
                       int count) {
    for (int x = 0; x < count; ++x) {
        uint32_t pixel = OPAQUE;
        for (int channel = 0; channel < 3; ++channel) {
            const int sum = upper[4 * x + channel] + (difference[4 * x + channel] * weight >> 16);
            pixel |= static_cast<uint32_t>(sum >> BLENDED_SHIFT) << (8 * channel);
        }
        out[x] = pixel;
    }
}

constexpr std::array<WidenRowFunction, 4> WIDEN_PORTABLE{
    WidenRow<SourceLayout::Rgb565, TargetLayout::Xrgb8888>,
    WidenRow<SourceLayout::Rgb565, TargetLayout::Xbgr8888>,
    WidenRow<SourceLayout::Rgb555, TargetLayout::Xrgb8888>,
    WidenRow<SourceLayout::Rgb555, TargetLayout::Xbgr8888>};

constexpr LinearKernels LINEAR_PORTABLE{BlendColumnsPortable, BlendRowsPortable};

void FinishNothing() {}

constexpr RowKernels PORTABLE_KERNELS{.finish = FinishNothing,
                                      .widen = WIDEN_PORTABLE,
                                      .expand = ExpandPortable,
                                      .expandNarrow = ExpandPortable,
                                      .difference = Difference,
                                      .linear = LINEAR_PORTABLE,
                                      .linearNarrow = LINEAR_PORTABLE};

#if defined(__x86_64__)

template <class T>
const __m128i* Vector128(const T* pointer) {
    return reinterpret_cast<const __m128i*>(pointer);
}

template <class T>
const __m256i* Vector256(const T* pointer) {
    return reinterpret_cast<const __m256i*>(pointer);
}

// One pixel's weights from a register whose 32-bit lanes all hold
// (256 - w) | w << 16: 256 - w in the four low 16-bit lanes, w in the high ones.
__m128i SpreadWeights(__m128i repeated) {
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(repeated, 0x00), 0x55);
}

// Blended rows in pixel order.
void BlendColumnsSse2(const uint32_t* row, const LinearColumns& columns, uint16_t* out, int count) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i rounding = _mm_set1_epi16(BLENDED_ROUNDING);
    for (int x = 0; x < count; x += 2) {
        // Each pixel's two neighbours side by side, widened to 16-bit lanes.
        const int32_t* index = columns.index + x;
        const __m128i first = _mm_unpacklo_epi8(_mm_loadl_epi64(Vector128(row + index[0])), zero);
        const __m128i second = _mm_unpacklo_epi8(_mm_loadl_epi64(Vector128(row + index[1])), zero);
        const __m128i pair = _mm_loadl_epi64(Vector128(columns.weights + x));
        const __m128i a = _mm_mullo_epi16(first, SpreadWeights(_mm_shuffle_epi32(pair, 0x00)));
        const __m128i b = _mm_mullo_epi16(second, SpreadWeights(_mm_shuffle_epi32(pair, 0x55)));
        const __m128i sum = _mm_add_epi16(_mm_unpacklo_epi64(a, b), _mm_unpackhi_epi64(a, b));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x),
                         _mm_add_epi16(_mm_srli_epi16(sum, 2), rounding));
    }
}

void BlendRowsSse2(const uint16_t* upper, const int16_t* difference, int weight, uint32_t* out, int count) {
    const __m128i factor = _mm_set1_epi16(static_cast<int16_t>(weight));
    for (int x = 0; x < count; x += 4) {
        const __m128i* base = Vector128(upper + 4 * x);
        const __m128i* change = Vector128(difference + 4 * x);
        const __m128i first =
            _mm_add_epi16(_mm_loadu_si128(base), _mm_mulhi_epi16(_mm_loadu_si128(change), factor));
        const __m128i second =
            _mm_add_epi16(_mm_loadu_si128(base + 1), _mm_mulhi_epi16(_mm_loadu_si128(change + 1), factor));
        const __m128i pixels =
            _mm_packus_epi16(_mm_srli_epi16(first, BLENDED_SHIFT), _mm_srli_epi16(second, BLENDED_SHIFT));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), pixels);
    }
}

void FinishStreaming() { _mm_sfence(); }

// Streams 8 pixels to 32-byte aligned memory, stores them elsewhere.
__attribute__((target("avx2"))) void Put(uint32_t* out, __m256i pixels, bool aligned) {
    if (aligned) {
        _mm256_stream_si256(reinterpret_cast<__m256i*>(out), pixels);
    } else {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), pixels);
    }
}

// The portable loop again, vectorised by GCC with AVX2's wider registers.
template <SourceLayout Layout, TargetLayout Target>
__attribute__((target("avx2"))) void WidenRowAvx2(const uint16_t* __restrict in, uint32_t* __restrict out,
                                                  int count) {
    for (int i = 0; i < count; ++i) {
        out[i] = Widen<Layout, Target>(in[i]);
    }
}

__attribute__((target("avx2"))) void DifferenceAvx2(const uint16_t* __restrict upper,
                                                    const uint16_t* __restrict lower, int16_t* __restrict out,
                                                    int lanes) {
    for (int i = 0; i < lanes; ++i) {
        out[i] = static_cast<int16_t>(2 * (lower[i] - upper[i]));
    }
}

// Eight picture pixels from the eight source pixels at index[x]: one permute.
__attribute__((target("avx2"))) void ExpandAvx2(const uint32_t* row, const int32_t* index, uint32_t* out,
                                                int count) {
    int x = 0;
    for (; x + 8 <= count; x += 8) {
        const int base = index[x];
        const __m256i offsets =
            _mm256_sub_epi32(_mm256_loadu_si256(Vector256(index + x)), _mm256_set1_epi32(base));
        const __m256i pixels = _mm256_loadu_si256(Vector256(row + base));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + x),
                            _mm256_permutevar8x32_epi32(pixels, offsets));
    }
    ExpandPortable(row, index + x, out + x, count - x);
}

// Blended rows with each group of 8 pixels as two halves, pixels 0 1 4 5 and
// 2 3 6 7: the order that unpacking within 128-bit lanes gives and that
// packing down to bytes within them undoes.
__attribute__((target("avx2"))) void BlendColumnsAvx2(const uint32_t* row, const LinearColumns& columns,
                                                      uint16_t* out, int count) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i one = _mm256_set1_epi32(1);
    const __m256i whole = _mm256_set1_epi16(COLUMN_WEIGHT_ONE);
    const __m256i rounding = _mm256_set1_epi16(BLENDED_ROUNDING);
    for (int x = 0; x < count; x += GROUP) {
        // The left and right neighbours of 8 pixels from the 8 source pixels at index[x].
        const int base = columns.index[x];
        const __m256i offsets =
            _mm256_sub_epi32(_mm256_loadu_si256(Vector256(columns.index + x)), _mm256_set1_epi32(base));
        const __m256i source = _mm256_loadu_si256(Vector256(row + base));
        const __m256i lefts = _mm256_permutevar8x32_epi32(source, offsets);
        const __m256i rights = _mm256_permutevar8x32_epi32(source, _mm256_add_epi32(offsets, one));
        for (int half = 0; half < 2; ++half) {
            const __m256i weights = _mm256_loadu_si256(Vector256(columns.spread + 4 * x + 16 * half));
            const __m256i left =
                half == 0 ? _mm256_unpacklo_epi8(lefts, zero) : _mm256_unpackhi_epi8(lefts, zero);
            const __m256i right =
                half == 0 ? _mm256_unpacklo_epi8(rights, zero) : _mm256_unpackhi_epi8(rights, zero);
            const __m256i sum = _mm256_add_epi16(_mm256_mullo_epi16(left, weights),
                                                 _mm256_mullo_epi16(right, _mm256_sub_epi16(whole, weights)));
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * x + 16 * half),
                                _mm256_add_epi16(_mm256_srli_epi16(sum, 2), rounding));
        }
    }
}

__attribute__((target("avx2"))) void BlendRowsAvx2(const uint16_t* upper, const int16_t* difference,
                                                   int weight, uint32_t* out, int count) {
    const __m256i factor = _mm256_set1_epi16(static_cast<int16_t>(weight));
    // If the first group is not aligned, none is: groups are 32 bytes long.
    const bool aligned = (reinterpret_cast<uintptr_t>(out) & 31) == 0;
    for (int x = 0; x < count; x += GROUP) {
        const __m256i* base = Vector256(upper + 4 * x);
        const __m256i* change = Vector256(difference + 4 * x);
        const __m256i halfA = _mm256_add_epi16(_mm256_loadu_si256(base),
                                               _mm256_mulhi_epi16(_mm256_loadu_si256(change), factor));
        const __m256i halfB = _mm256_add_epi16(_mm256_loadu_si256(base + 1),
                                               _mm256_mulhi_epi16(_mm256_loadu_si256(change + 1), factor));
        const __m256i pixels = _mm256_packus_epi16(_mm256_srli_epi16(halfA, BLENDED_SHIFT),
                                                   _mm256_srli_epi16(halfB, BLENDED_SHIFT));
        Put(out + x, pixels, aligned);
    }
}

constexpr RowKernels SSE2_KERNELS{.finish = FinishNothing,
                                  .widen = WIDEN_PORTABLE,
                                  .expand = ExpandPortable,
                                  .expandNarrow = ExpandPortable,
                                  .difference = Difference,
                                  .linear = {BlendColumnsSse2, BlendRowsSse2},
                                  .linearNarrow = {BlendColumnsSse2, BlendRowsSse2}};

constexpr RowKernels AVX2_KERNELS{.finish = FinishStreaming,
                                  .widen = {WidenRowAvx2<SourceLayout::Rgb565, TargetLayout::Xrgb8888>,
                                            WidenRowAvx2<SourceLayout::Rgb565, TargetLayout::Xbgr8888>,
                                            WidenRowAvx2<SourceLayout::Rgb555, TargetLayout::Xrgb8888>,
                                            WidenRowAvx2<SourceLayout::Rgb555, TargetLayout::Xbgr8888>},
                                  .expand = ExpandPortable,
                                  .expandNarrow = ExpandAvx2,
                                  .difference = DifferenceAvx2,
                                  .linear = {BlendColumnsSse2, BlendRowsSse2},
                                  .linearNarrow = {BlendColumnsAvx2, BlendRowsAvx2}};

#endif

}  // namespace

bool RowKernelsSupported(ScalerCode code) {
#if defined(__x86_64__)
    __builtin_cpu_init();
    return code != ScalerCode::Avx2 || __builtin_cpu_supports("avx2");
#else
    return code == ScalerCode::Portable;
#endif
}

const RowKernels& RowKernelsFor(ScalerCode code) {
#if defined(__x86_64__)
    if (code == ScalerCode::Avx2) {
        return AVX2_KERNELS;
    }
    if (code == ScalerCode::Sse2) {
        return SSE2_KERNELS;
    }
#endif
    (void)code;
    return PORTABLE_KERNELS;
}
