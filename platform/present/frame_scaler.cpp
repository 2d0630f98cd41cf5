// Why the stand-in scales with its own code: measured first
// (bench/platform/scaler_bench.cpp, 640 x 480 to 2880 x 2160, processor
// time), pixman takes its generic path from an r5g6b5 frame, 17 ms nearest
// and 78 ms bilinear; widened to x8r8g8b8 first it reaches its vector paths,
// 2.3 and 6.7 ms (with 7-bit weights). libswscale takes 18 and 29 ms and
// cannot write part of a picture. This code takes 1.0 and 1.7 ms, where a
// memset of the picture takes 0.7.
// - Each source row needed is widened to 32 bits once, as far as the region
//   reaches; picture columns map to source pixels through tables kept per
//   picture size.
// - Nearest: a picture row showing the same source row as the one above is
//   a memcpy of it, so scaling up costs little more than the stores.
// - Linear, separable: each source row is blended along once, into 8.6 fixed
//   point; with twice the difference to the next one, every picture row
//   between the two is a single multiply and add per channel, done in tiles
//   of columns that stay in the first-level cache.
// - The row kernels (frame_scaler_kernels.cpp) have SSE2 and AVX2 forms,
//   chosen when first used.
#include "platform/present/frame_scaler.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/present/frame_scaler_kernels.h"
#include "platform/present/testing.h"

namespace {

// ---- Sampling along one axis: n source pixels shown as m picture pixels.

int NearestIndex(int x, int n, int m) {
    return static_cast<int>((2 * static_cast<int64_t>(x) + 1) * n / (2 * static_cast<int64_t>(m)));
}

// Linear sampling at picture pixel x: source pixel `index` and the fraction
// remainder / (2m) of the way to the next one.
struct LinearTap {
    int index;
    int64_t remainder;
};

LinearTap LinearTapAt(int x, int n, int m) {
    const int64_t twiceM = 2 * static_cast<int64_t>(m);
    const int64_t position = (2 * static_cast<int64_t>(x) + 1) * n - m;  // (x + 0.5) * n / m - 0.5, times 2m
    if (position <= 0) {
        return {0, 0};
    }
    const int64_t index = position / twiceM;
    if (index >= n - 1) {
        return {n - 1, 0};
    }
    return {static_cast<int>(index), position - index * twiceM};
}

// The fraction of a tap rounded to a multiple of 1/one.
int RoundedWeight(int64_t remainder, int m, int one) {
    return static_cast<int>((remainder * one + m) / (2 * static_cast<int64_t>(m)));
}

// The source pixels a picture pixel reads: one for nearest, two for linear
// (the second counted even where its weight is 0).
int FirstRead(int x, int n, int m, ScaleFilter filter) {
    return filter == ScaleFilter::Nearest ? NearestIndex(x, n, m) : LinearTapAt(x, n, m).index;
}

int LastRead(int x, int n, int m, ScaleFilter filter) {
    return filter == ScaleFilter::Nearest ? NearestIndex(x, n, m)
                                          : std::min(LinearTapAt(x, n, m).index + 1, n - 1);
}

struct Span {
    int start;
    int end;
};

// The first picture pixel in [0, m] for which `holds` is true; it must be
// false and then true along the axis, as both reads only grow with x.
template <class Predicate>
int FirstPicturePixel(int m, Predicate holds) {
    int low = 0;
    int high = m;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (holds(middle)) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return low;
}

Span PictureSpan(Span source, int n, int m, ScaleFilter filter) {
    const int start = FirstPicturePixel(m, [&](int x) { return LastRead(x, n, m, filter) >= source.start; });
    const int end = FirstPicturePixel(m, [&](int x) { return FirstRead(x, n, m, filter) >= source.end; });
    return {start, end};
}

Span SourceSpan(Span picture, int n, int m, ScaleFilter filter) {
    return {FirstRead(picture.start, n, m, filter), LastRead(picture.end - 1, n, m, filter) + 1};
}

ScaleRect Clip(ScaleRect rect, int width, int height) {
    const int64_t left = std::max<int64_t>(rect.x, 0);
    const int64_t top = std::max<int64_t>(rect.y, 0);
    const int64_t right = std::min<int64_t>(static_cast<int64_t>(rect.x) + rect.width, width);
    const int64_t bottom = std::min<int64_t>(static_cast<int64_t>(rect.y) + rect.height, height);
    if (right <= left || bottom <= top) {
        return {0, 0, 0, 0};
    }
    return {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
            static_cast<int>(bottom - top)};
}

bool Empty(ScaleRect rect) { return rect.width <= 0 || rect.height <= 0; }

const RowKernels*& ActiveKernels() {
    static const RowKernels* active =
        &RowKernelsFor(RowKernelsSupported(ScalerCode::Avx2)   ? ScalerCode::Avx2
                       : RowKernelsSupported(ScalerCode::Sse2) ? ScalerCode::Sse2
                                                               : ScalerCode::Portable);
    return active;
}

// ---- Column tables and row buffers, per thread.

int GroupStart(int x) { return x & ~(GROUP - 1); }
int GroupEnd(int x) { return GroupStart(x + GROUP - 1); }

struct ColumnTable {
    int sourceWidth = 0;
    int pictureWidth = 0;
    ScaleFilter filter = ScaleFilter::Nearest;
    uint64_t lastUse = 0;
    // Per picture column and on to the end of the last group, repeating the
    // last column, so that kernels may finish a group.
    std::vector<int32_t> index;     // the source pixel; linear: the left neighbour
    std::vector<uint32_t> weights;  // linear: LinearColumns::weights
    std::vector<uint16_t> spread;   // linear: LinearColumns::spread
    bool narrow = false;            // the reach the narrow kernels need holds everywhere

    LinearColumns Linear(int x) const {
        return {index.data() + x, weights.data() + x, spread.data() + 4 * static_cast<size_t>(x)};
    }
};

void BuildColumns(ColumnTable& table) {
    const int n = table.sourceWidth;
    const int m = table.pictureWidth;
    const int columns = GroupEnd(m);
    table.index.resize(static_cast<size_t>(columns));
    table.narrow = true;
    if (table.filter == ScaleFilter::Nearest) {
        for (int x = 0; x < columns; ++x) {
            table.index[x] = NearestIndex(std::min(x, m - 1), n, m);
        }
        for (int x = 0; x + 7 < columns; ++x) {
            table.narrow = table.narrow && table.index[x + 7] - table.index[x] <= 7;
        }
        return;
    }
    table.weights.resize(static_cast<size_t>(columns));
    table.spread.resize(4 * static_cast<size_t>(columns));
    for (int x = 0; x < columns; ++x) {
        const LinearTap tap = LinearTapAt(std::min(x, m - 1), n, m);
        const int weight = RoundedWeight(tap.remainder, m, COLUMN_WEIGHT_ONE);
        table.index[x] = tap.index;
        table.weights[x] = static_cast<uint32_t>(COLUMN_WEIGHT_ONE - weight) | static_cast<uint32_t>(weight)
                                                                                   << 16;
        const int lane = GroupStart(x) + AVX2_GROUP_ORDER[x % GROUP];
        std::fill_n(table.spread.begin() + 4 * static_cast<ptrdiff_t>(lane), 4,
                    static_cast<uint16_t>(COLUMN_WEIGHT_ONE - weight));
    }
    for (int x = 0; x < columns; x += GROUP) {
        table.narrow = table.narrow && table.index[x + GROUP - 1] + 1 - table.index[x] <= 7;
    }
}

struct ScalerState {
    // A few sizes at once: the window's picture and a thumbnail, say.
    std::array<ColumnTable, 4> tables;
    uint64_t uses = 0;
    std::vector<uint32_t> sourceRow;
    std::array<std::vector<uint16_t>, 2> blendedRows;
    std::vector<int16_t> difference;
    std::vector<int> rowWeights;

    const ColumnTable& Columns(int sourceWidth, int pictureWidth, ScaleFilter filter) {
        ++uses;
        ColumnTable* oldest = &tables[0];
        for (ColumnTable& table : tables) {
            if (table.sourceWidth == sourceWidth && table.pictureWidth == pictureWidth &&
                table.filter == filter) {
                table.lastUse = uses;
                return table;
            }
            oldest = table.lastUse < oldest->lastUse ? &table : oldest;
        }
        oldest->sourceWidth = sourceWidth;
        oldest->pictureWidth = pictureWidth;
        oldest->filter = filter;
        oldest->lastUse = uses;
        BuildColumns(*oldest);
        return *oldest;
    }
};

thread_local ScalerState scalerState;

// ---- Scaling.

struct Job {
    const uint16_t* source;
    int sourceWidth;
    int sourceHeight;
    int sourcePitch;
    WidenRowFunction widen;
    uint8_t* picture;
    int picturePitch;
    int pictureHeight;
    ScaleRect region;  // clipped, not empty

    // Picture row y from column 0.
    uint32_t* PictureRow(int y) const {
        return reinterpret_cast<uint32_t*>(picture + static_cast<ptrdiff_t>(y) * picturePitch);
    }
    // Widens source pixels [first, last] of row y into `row` at the same places.
    void WidenSource(int y, int first, int last, uint32_t* row) const {
        widen(source + static_cast<ptrdiff_t>(y) * sourcePitch + first, row + first, last - first + 1);
    }
};

void ScaleNearest(const Job& job, const ColumnTable& columns, const RowKernels& kernels, ScalerState& state) {
    const ScaleRect& region = job.region;
    const int32_t* index = columns.index.data() + region.x;
    const int first = index[0];
    const int last = index[region.width - 1];
    state.sourceRow.resize(static_cast<size_t>(job.sourceWidth) + ROW_SLACK);
    uint32_t* row = state.sourceRow.data();
    const ExpandFunction expand = columns.narrow ? kernels.expandNarrow : kernels.expand;
    const size_t rowBytes = static_cast<size_t>(region.width) * sizeof(uint32_t);
    int shownRow = -1;
    const uint32_t* previous = nullptr;
    for (int y = region.y; y < region.y + region.height; ++y) {
        uint32_t* out = job.PictureRow(y) + region.x;
        const int sourceY = NearestIndex(y, job.sourceHeight, job.pictureHeight);
        if (sourceY == shownRow) {
            // Scaling up repeats rows: copying the one above is the cheapest way.
            std::memcpy(out, previous, rowBytes);
        } else {
            job.WidenSource(sourceY, first, last, row);
            expand(row, index, out, region.width);
            shownRow = sourceY;
        }
        previous = out;
    }
}

// Source rows blended along, over the whole groups of columns that cover the
// region. The two last made are kept: the picture rows below reuse them
// while they fall between the same source rows.
class BlendedRows {
  public:
    BlendedRows(const Job& job, const ColumnTable& table, const RowKernels& kernels, ScalerState& state)
        : job_(job),
          start_(GroupStart(job.region.x)),
          end_(GroupEnd(job.region.x + job.region.width)),
          columns_(table.Linear(start_)),
          blend_((table.narrow ? kernels.linearNarrow : kernels.linear).blendColumns),
          difference_(kernels.difference) {
        const size_t lanes = 4 * static_cast<size_t>(end_ - start_);
        first_ = columns_.index[0];
        last_ = std::min(columns_.index[end_ - start_ - 1] + 1, job.sourceWidth - 1);
        state.sourceRow.resize(static_cast<size_t>(job.sourceWidth) + ROW_SLACK);
        row_ = state.sourceRow.data();
        for (int slot = 0; slot < 2; ++slot) {
            state.blendedRows[slot].resize(lanes);
            rows_[slot] = state.blendedRows[slot].data();
        }
        state.difference.resize(lanes);
        differenceRow_ = state.difference.data();
    }

    // The picture columns held.
    int Start() const { return start_; }
    int End() const { return end_; }

    // Source row y blended along, keeping source row `keep` if it is held.
    const uint16_t* Row(int y, int keep) {
        for (int slot = 0; slot < 2; ++slot) {
            if (held_[slot] == y) {
                return rows_[slot];
            }
        }
        const int slot = held_[0] == keep ? 1 : 0;
        job_.WidenSource(y, first_, last_, row_);
        // The right neighbour of the last source pixel, read with weight 0.
        row_[last_ + 1] = row_[last_];
        blend_(row_, columns_, rows_[slot], end_ - start_);
        held_[slot] = y;
        return rows_[slot];
    }

    // Twice blended row y + 1 minus row y. Rows blended down with weight 0
    // need none; they get whatever the buffer holds.
    const int16_t* Difference(int y, bool needed) {
        if (needed) {
            const uint16_t* upper = Row(y, y + 1);
            difference_(upper, Row(y + 1, y), differenceRow_, 4 * (end_ - start_));
        }
        return differenceRow_;
    }

  private:
    const Job& job_;
    int start_;
    int end_;
    LinearColumns columns_;
    BlendColumnsFunction blend_;
    DifferenceFunction difference_;
    int first_ = 0;
    int last_ = 0;
    uint32_t* row_ = nullptr;
    std::array<uint16_t*, 2> rows_{};
    std::array<int, 2> held_{-1, -1};
    int16_t* differenceRow_ = nullptr;
};

// Writes picture columns [left, right) of row `out` from a blended row and
// its difference, whose columns start at `start`. The kernels work on whole
// groups: those inside go straight to the picture, the partly covered ones
// at the ends through a buffer.
void BlendPictureSpan(BlendRowsFunction blend, const uint16_t* upper, const int16_t* difference, int weight,
                      int start, int left, int right, uint32_t* out) {
    auto blendGroups = [&](int from, int to, uint32_t* target) {
        const size_t offset = 4 * static_cast<size_t>(from - start);
        blend(upper + offset, difference + offset, weight, target, to - from);
    };
    auto blendPart = [&](int group) {
        std::array<uint32_t, GROUP> buffer;
        blendGroups(group, group + GROUP, buffer.data());
        const int from = std::max(group, left);
        const int to = std::min(group + GROUP, right);
        std::memcpy(out + from, buffer.data() + (from - group),
                    static_cast<size_t>(to - from) * sizeof(uint32_t));
    };
    const int wholeStart = GroupEnd(left);
    const int wholeEnd = GroupStart(right);
    if (wholeStart < wholeEnd) {
        blendGroups(wholeStart, wholeEnd, out + wholeStart);
    }
    const bool partAtStart = left != wholeStart;
    if (partAtStart) {
        blendPart(GroupStart(left));
    }
    if (right != wholeEnd && !(partAtStart && wholeEnd == GroupStart(left))) {
        blendPart(wholeEnd);
    }
}

// Columns blended down at a time: a tile of a blended row and of its
// difference stays in the first-level cache while every picture row between
// the same two source rows is written from it.
constexpr int TILE = 1024;

void ScaleLinear(const Job& job, const ColumnTable& columns, const RowKernels& kernels, ScalerState& state) {
    const LinearKernels linear = columns.narrow ? kernels.linearNarrow : kernels.linear;
    BlendedRows blended(job, columns, kernels, state);
    const ScaleRect& region = job.region;
    const int bottom = region.y + region.height;
    std::vector<int>& weights = state.rowWeights;
    for (int y = region.y; y < bottom; y += static_cast<int>(weights.size())) {
        // The picture rows between the same two source rows, and their weights.
        const int sourceY = LinearTapAt(y, job.sourceHeight, job.pictureHeight).index;
        weights.clear();
        bool blends = false;
        for (int row = y; row < bottom; ++row) {
            const LinearTap tap = LinearTapAt(row, job.sourceHeight, job.pictureHeight);
            if (tap.index != sourceY) {
                break;
            }
            weights.push_back(std::min(RoundedWeight(tap.remainder, job.pictureHeight, ROW_WEIGHT_ONE),
                                       ROW_WEIGHT_ONE - 1));
            blends = blends || weights.back() > 0;
        }
        const int16_t* difference = blended.Difference(sourceY, blends);
        const uint16_t* upper = blended.Row(sourceY, sourceY + 1);
        for (int tile = blended.Start(); tile < blended.End(); tile += TILE) {
            const int left = std::max(tile, region.x);
            const int right = std::min(tile + TILE, region.x + region.width);
            for (size_t i = 0; i < weights.size(); ++i) {
                BlendPictureSpan(linear.blendRows, upper, difference, weights[i], blended.Start(), left,
                                 right, job.PictureRow(y + static_cast<int>(i)));
            }
        }
    }
}

}  // namespace

void ScaleFrame(const uint16_t* source, int sourceWidth, int sourceHeight, int sourcePitch,
                SourceLayout layout, void* picture, int picturePitch, int pictureWidth, int pictureHeight,
                TargetLayout target, ScaleFilter filter, ScaleRect region) {
    const ScaleRect clipped = Clip(region, pictureWidth, pictureHeight);
    if (Empty(clipped) || sourceWidth <= 0 || sourceHeight <= 0) {
        return;
    }
    ScalerState& state = scalerState;
    const ColumnTable& columns = state.Columns(sourceWidth, pictureWidth, filter);
    const RowKernels& kernels = *ActiveKernels();
    const Job job{source,
                  sourceWidth,
                  sourceHeight,
                  sourcePitch,
                  kernels.widen[static_cast<int>(layout) * 2 + static_cast<int>(target)],
                  static_cast<uint8_t*>(picture),
                  picturePitch,
                  pictureHeight,
                  clipped};
    if (filter == ScaleFilter::Nearest) {
        ScaleNearest(job, columns, kernels, state);
    } else {
        ScaleLinear(job, columns, kernels, state);
    }
    kernels.finish();
}

ScaleRect SourceRectForPicture(ScaleRect region, int sourceWidth, int sourceHeight, int pictureWidth,
                               int pictureHeight, ScaleFilter filter) {
    const ScaleRect clipped = Clip(region, pictureWidth, pictureHeight);
    if (Empty(clipped) || sourceWidth <= 0 || sourceHeight <= 0) {
        return {0, 0, 0, 0};
    }
    const Span columns =
        SourceSpan({clipped.x, clipped.x + clipped.width}, sourceWidth, pictureWidth, filter);
    const Span rows =
        SourceSpan({clipped.y, clipped.y + clipped.height}, sourceHeight, pictureHeight, filter);
    return {columns.start, rows.start, columns.end - columns.start, rows.end - rows.start};
}

ScaleRect PictureRegionForSource(ScaleRect sourceChange, int sourceWidth, int sourceHeight, int pictureWidth,
                                 int pictureHeight, ScaleFilter filter) {
    const ScaleRect clipped = Clip(sourceChange, sourceWidth, sourceHeight);
    if (Empty(clipped) || pictureWidth <= 0 || pictureHeight <= 0) {
        return {0, 0, 0, 0};
    }
    const Span columns =
        PictureSpan({clipped.x, clipped.x + clipped.width}, sourceWidth, pictureWidth, filter);
    const Span rows =
        PictureSpan({clipped.y, clipped.y + clipped.height}, sourceHeight, pictureHeight, filter);
    return {columns.start, rows.start, columns.end - columns.start, rows.end - rows.start};
}

bool UseScalerCodeForTesting(ScalerCode code) {
    if (!RowKernelsSupported(code)) {
        return false;
    }
    ActiveKernels() = &RowKernelsFor(code);
    return true;
}
