#include "tools/picture/palette_dither.h"

#include <algorithm>
#include <cstddef>

namespace trelk::tools {
namespace {

constexpr Rgb8 WHITE{255, 255, 255};

struct Bin {
    Rgb8 colour;
    std::uint32_t count;
};

std::uint32_t Pack(const Rgb8& c) { return static_cast<std::uint32_t>(c.r) << 16 | c.g << 8 | c.b; }

int Channel(const Rgb8& c, int axis) { return axis == 0 ? c.r : (axis == 1 ? c.g : c.b); }

struct Box {
    std::size_t begin, end;  // a range of bins
    std::uint64_t pixels;
    int axis;  // longest side
    int extent;
};

Box MakeBox(const std::vector<Bin>& bins, std::size_t begin, std::size_t end) {
    Box box{begin, end, 0, 0, 0};
    int low[3] = {255, 255, 255}, high[3] = {0, 0, 0};
    for (std::size_t i = begin; i < end; ++i) {
        box.pixels += bins[i].count;
        for (int a = 0; a < 3; ++a) {
            low[a] = std::min(low[a], Channel(bins[i].colour, a));
            high[a] = std::max(high[a], Channel(bins[i].colour, a));
        }
    }
    // Green counts most to the eye, blue least.
    const int weighted[3] = {(high[0] - low[0]) * 3, (high[1] - low[1]) * 4, (high[2] - low[2]) * 2};
    for (int a = 0; a < 3; ++a) {
        if (weighted[a] > box.extent) {
            box.extent = weighted[a];
            box.axis = a;
        }
    }
    return box;
}

// Splits at the pixel-weighted median of the longest side; false if the box
// holds one colour only.
bool SplitBox(std::vector<Bin>& bins, const Box& box, Box& first, Box& second) {
    if (box.end - box.begin < 2) return false;
    const int axis = box.axis;
    std::sort(bins.begin() + static_cast<std::ptrdiff_t>(box.begin),
              bins.begin() + static_cast<std::ptrdiff_t>(box.end), [axis](const Bin& a, const Bin& b) {
                  const int ca = Channel(a.colour, axis), cb = Channel(b.colour, axis);
                  return ca != cb ? ca < cb : Pack(a.colour) < Pack(b.colour);
              });
    std::uint64_t seen = 0;
    std::size_t cut = box.begin + 1;
    for (std::size_t i = box.begin; i < box.end - 1; ++i) {
        seen += bins[i].count;
        cut = i + 1;
        if (2 * seen >= box.pixels) break;
    }
    first = MakeBox(bins, box.begin, cut);
    second = MakeBox(bins, cut, box.end);
    return true;
}

Rgb8 Average(const std::vector<Bin>& bins, const Box& box) {
    std::uint64_t sum[3] = {0, 0, 0};
    for (std::size_t i = box.begin; i < box.end; ++i)
        for (int a = 0; a < 3; ++a)
            sum[a] += static_cast<std::uint64_t>(Channel(bins[i].colour, a)) * bins[i].count;
    auto mean = [&box](std::uint64_t s) {
        return static_cast<std::uint8_t>((s + box.pixels / 2) / box.pixels);
    };
    return {mean(sum[0]), mean(sum[1]), mean(sum[2])};
}

std::vector<Bin> Histogram(const std::vector<Rgb8>& pixels) {
    std::vector<std::uint32_t> packed;
    packed.reserve(pixels.size());
    for (const Rgb8& p : pixels) {
        if (!(p == WHITE)) packed.push_back(Pack(p));
    }
    std::sort(packed.begin(), packed.end());
    std::vector<Bin> bins;
    for (std::size_t i = 0; i < packed.size();) {
        std::size_t j = i;
        while (j < packed.size() && packed[j] == packed[i]) ++j;
        const std::uint32_t v = packed[i];
        bins.push_back({{static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
                         static_cast<std::uint8_t>(v)},
                        static_cast<std::uint32_t>(j - i)});
        i = j;
    }
    return bins;
}

int Luma(const Rgb8& c) { return 299 * c.r + 587 * c.g + 114 * c.b; }

}  // namespace

Palette MedianCutPalette(const std::vector<Rgb8>& pixels) {
    std::vector<Bin> bins = Histogram(pixels);
    std::vector<Box> boxes;
    if (!bins.empty()) boxes.push_back(MakeBox(bins, 0, bins.size()));
    while (boxes.size() < 255) {
        // Split the box whose colours spread furthest, weighted by its pixels.
        std::size_t pick = boxes.size();
        std::uint64_t worst = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            const std::uint64_t score = boxes[i].pixels * static_cast<std::uint64_t>(boxes[i].extent);
            if (boxes[i].end - boxes[i].begin > 1 && score > worst) {
                worst = score;
                pick = i;
            }
        }
        Box first{}, second{};
        if (pick == boxes.size() || !SplitBox(bins, boxes[pick], first, second)) break;
        boxes[pick] = first;
        boxes.push_back(second);
    }
    std::vector<Rgb8> entries;
    for (const Box& box : boxes) entries.push_back(Average(bins, box));
    std::sort(entries.begin(), entries.end(), [](const Rgb8& a, const Rgb8& b) {
        return Luma(a) != Luma(b) ? Luma(a) < Luma(b) : Pack(a) < Pack(b);
    });
    Palette palette{};
    const std::size_t start = 255 - entries.size();  // unused entries stay black, first
    for (std::size_t i = 0; i < entries.size(); ++i) palette[start + i] = entries[i];
    palette[255] = WHITE;
    return palette;
}

std::uint8_t NearestEntry(const Palette& palette, int r, int g, int b) {
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < 256; ++i) {
        const long dr = r - palette[i].r, dg = g - palette[i].g, db = b - palette[i].b;
        const long distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (bestDistance < 0 || distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return static_cast<std::uint8_t>(best);
}

std::vector<std::uint8_t> Dither(const std::vector<Rgb8>& pixels, int width, const Palette& palette) {
    const int height = static_cast<int>(pixels.size()) / width;
    std::vector<std::uint8_t> indices(pixels.size());
    // Errors in sixteenths, one row ahead; two spare columns at each side.
    std::vector<int> current(3 * (width + 2), 0), next(3 * (width + 2), 0);
    for (int y = 0; y < height; ++y) {
        const bool leftToRight = y % 2 == 0;
        for (int step = 0; step < width; ++step) {
            const int x = leftToRight ? step : width - 1 - step;
            const int dir = leftToRight ? 1 : -1;
            const Rgb8& source = pixels[static_cast<std::size_t>(y) * width + x];
            int want[3];
            for (int a = 0; a < 3; ++a) {
                const int value = Channel(source, a) * 16 + current[3 * (x + 1) + a];
                want[a] = (std::clamp(value, 0, 255 * 16) + 8) / 16;
            }
            const std::uint8_t index = NearestEntry(palette, want[0], want[1], want[2]);
            indices[static_cast<std::size_t>(y) * width + x] = index;
            for (int a = 0; a < 3; ++a) {
                const int error = want[a] - Channel(palette[index], a);
                current[3 * (x + 1 + dir) + a] += error * 7;
                next[3 * (x + 1 - dir) + a] += error * 3;
                next[3 * (x + 1) + a] += error * 5;
                next[3 * (x + 1 + dir) + a] += error * 1;
            }
        }
        current.swap(next);
        std::fill(next.begin(), next.end(), 0);
    }
    return indices;
}

}  // namespace trelk::tools
