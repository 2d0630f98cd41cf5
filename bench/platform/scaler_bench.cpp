// Scaling the 640 x 480 16-bit frame to the picture a window surface shows:
// ours, pixman and libswscale, whole pictures and the part of one that a
// 300 x 300 change of the frame touches. Times are per frame; filling the
// picture with memset is the floor that memory sets. On a shared machine,
// read the processor time.
#include <benchmark/benchmark.h>
#include <pixman.h>

extern "C" {
#include <libswscale/swscale.h>
}

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/present/frame_scaler.h"

namespace {

constexpr int FRAME_WIDTH = 640;
constexpr int FRAME_HEIGHT = 480;

struct PictureSize {
    int width;
    int height;
};
constexpr PictureSize SIZES[] = {{1280, 960}, {1440, 1080}, {1920, 1440}, {2880, 2160}};

// A frame of random pixels: no filter gets an easy ride from flat areas.
std::vector<uint16_t> MakeFrame() {
    std::vector<uint16_t> frame(FRAME_WIDTH * FRAME_HEIGHT);
    std::mt19937 random(7);
    for (uint16_t& pixel : frame) {
        pixel = static_cast<uint16_t>(random());
    }
    return frame;
}

const std::vector<uint16_t>& Frame() {
    static const std::vector<uint16_t> frame = MakeFrame();
    return frame;
}

// Arguments: picture size index, linear (0/1), partial (0/1).
void AllArguments(benchmark::internal::Benchmark* bench) {
    for (int partial = 0; partial < 2; ++partial) {
        for (int linear = 0; linear < 2; ++linear) {
            for (int size = 0; size < 4; ++size) {
                bench->Args({size, linear, partial});
            }
        }
    }
}

struct Case {
    explicit Case(const benchmark::State& state)
        : size(SIZES[state.range(0)]),
          linear(state.range(1) != 0),
          partial(state.range(2) != 0),
          picture(static_cast<uint32_t*>(
                      std::aligned_alloc(64, static_cast<size_t>(size.width) * size.height * 4)),
                  &std::free) {
        // The 300 x 300 source area from (170, 90) in picture pixels.
        x = partial ? 170 * size.width / FRAME_WIDTH : 0;
        y = partial ? 90 * size.height / FRAME_HEIGHT : 0;
        width = partial ? 300 * size.width / FRAME_WIDTH : size.width;
        height = partial ? 300 * size.height / FRAME_HEIGHT : size.height;
    }
    void Label(benchmark::State& state) const {
        state.SetLabel(std::to_string(size.width) + "x" + std::to_string(size.height) +
                       (linear ? " linear" : " nearest") + (partial ? " part" : " whole"));
    }

    PictureSize size;
    bool linear;
    bool partial;
    // Aligned as a window surface's pixels are.
    std::unique_ptr<uint32_t[], decltype(&std::free)> picture;
    int x, y, width, height;
};

void BM_Ours(benchmark::State& state) {
    Case c(state);
    const std::vector<uint16_t>& frame = Frame();
    const ScaleFilter filter = c.linear ? ScaleFilter::Linear : ScaleFilter::Nearest;
    for (auto _ : state) {
        ScaleFrame(frame.data(), FRAME_WIDTH, FRAME_HEIGHT, FRAME_WIDTH, SourceLayout::Rgb565,
                   c.picture.get(), c.size.width * 4, c.size.width, c.size.height, TargetLayout::Xrgb8888,
                   filter, {c.x, c.y, c.width, c.height});
        benchmark::ClobberMemory();
    }
    c.Label(state);
}
BENCHMARK(BM_Ours)->Apply(AllArguments)->Unit(benchmark::kMillisecond);

void BM_Memset(benchmark::State& state) {
    Case c(state);
    for (auto _ : state) {
        for (int y = c.y; y < c.y + c.height; ++y) {
            std::memset(c.picture.get() + static_cast<size_t>(y) * c.size.width + c.x, 0xFF,
                        static_cast<size_t>(c.width) * 4);
        }
        benchmark::ClobberMemory();
    }
    c.Label(state);
}
BENCHMARK(BM_Memset)->Apply(AllArguments)->Unit(benchmark::kMillisecond);

pixman_image_t* MakeScaledSource(pixman_format_code_t format, void* bits, int stride, const Case& c) {
    pixman_image_t* image =
        pixman_image_create_bits(format, FRAME_WIDTH, FRAME_HEIGHT, static_cast<uint32_t*>(bits), stride);
    pixman_transform_t transform;
    pixman_transform_init_scale(&transform, pixman_int_to_fixed(FRAME_WIDTH) / c.size.width,
                                pixman_int_to_fixed(FRAME_HEIGHT) / c.size.height);
    pixman_image_set_transform(image, &transform);
    pixman_image_set_filter(image, c.linear ? PIXMAN_FILTER_BILINEAR : PIXMAN_FILTER_NEAREST, nullptr, 0);
    pixman_image_set_repeat(image, PIXMAN_REPEAT_PAD);
    return image;
}

// pixman straight from the 16-bit frame.
void BM_Pixman565(benchmark::State& state) {
    Case c(state);
    std::vector<uint16_t> frame = Frame();
    pixman_image_t* source = MakeScaledSource(PIXMAN_r5g6b5, frame.data(), FRAME_WIDTH * 2, c);
    pixman_image_t* target = pixman_image_create_bits(PIXMAN_x8r8g8b8, c.size.width, c.size.height,
                                                      c.picture.get(), c.size.width * 4);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, target, c.x, c.y, 0, 0, c.x, c.y, c.width,
                                 c.height);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(target);
    pixman_image_unref(source);
    c.Label(state);
}
BENCHMARK(BM_Pixman565)->Apply(AllArguments)->Unit(benchmark::kMillisecond);

// pixman converting the frame to x8r8g8b8 first, which its vector scaling
// paths are written for.
void BM_Pixman8888(benchmark::State& state) {
    Case c(state);
    std::vector<uint16_t> frame = Frame();
    std::vector<uint32_t> wide(FRAME_WIDTH * FRAME_HEIGHT);
    pixman_image_t* narrow = pixman_image_create_bits(
        PIXMAN_r5g6b5, FRAME_WIDTH, FRAME_HEIGHT, reinterpret_cast<uint32_t*>(frame.data()), FRAME_WIDTH * 2);
    pixman_image_t* widened =
        pixman_image_create_bits(PIXMAN_x8r8g8b8, FRAME_WIDTH, FRAME_HEIGHT, wide.data(), FRAME_WIDTH * 4);
    pixman_image_t* source = MakeScaledSource(PIXMAN_x8r8g8b8, wide.data(), FRAME_WIDTH * 4, c);
    pixman_image_t* target = pixman_image_create_bits(PIXMAN_x8r8g8b8, c.size.width, c.size.height,
                                                      c.picture.get(), c.size.width * 4);
    for (auto _ : state) {
        pixman_image_composite32(PIXMAN_OP_SRC, narrow, nullptr, widened, 0, 0, 0, 0, 0, 0, FRAME_WIDTH,
                                 FRAME_HEIGHT);
        pixman_image_composite32(PIXMAN_OP_SRC, source, nullptr, target, c.x, c.y, 0, 0, c.x, c.y, c.width,
                                 c.height);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(target);
    pixman_image_unref(source);
    pixman_image_unref(widened);
    pixman_image_unref(narrow);
    c.Label(state);
}
BENCHMARK(BM_Pixman8888)->Apply(AllArguments)->Unit(benchmark::kMillisecond);

// libswscale has no picture regions: the partial case scales the 300 x 300
// source area on its own to its share of the picture.
void BM_Swscale(benchmark::State& state) {
    Case c(state);
    std::vector<uint16_t> frame = Frame();
    const int sourceX = c.partial ? 170 : 0;
    const int sourceY = c.partial ? 90 : 0;
    const int sourceWidth = c.partial ? 300 : FRAME_WIDTH;
    const int sourceHeight = c.partial ? 300 : FRAME_HEIGHT;
    SwsContext* context =
        sws_getContext(sourceWidth, sourceHeight, AV_PIX_FMT_RGB565LE, c.width, c.height, AV_PIX_FMT_BGR0,
                       c.linear ? SWS_BILINEAR : SWS_POINT, nullptr, nullptr, nullptr);
    const uint8_t* in[4] = {reinterpret_cast<const uint8_t*>(frame.data() + sourceY * FRAME_WIDTH + sourceX)};
    const int inStride[4] = {FRAME_WIDTH * 2};
    uint8_t* out[4] = {reinterpret_cast<uint8_t*>(c.picture.get() + c.y * c.size.width + c.x)};
    const int outStride[4] = {c.size.width * 4};
    for (auto _ : state) {
        sws_scale(context, in, inStride, 0, sourceHeight, out, outStride);
        benchmark::ClobberMemory();
    }
    sws_freeContext(context);
    c.Label(state);
}
BENCHMARK(BM_Swscale)->Apply(AllArguments)->Unit(benchmark::kMillisecond);

}  // namespace
