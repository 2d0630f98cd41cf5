// Speed of the image work: decoding the 520 x 406 picture, converting it to
// 16-bit pixels, and one blur step of a text line at its widest and sharp.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "image/gif_decoder.h"
#include "image/picture_surface.h"
#include "image/text_pages.h"
#include "tests/image/gif_writer.h"

namespace {

constexpr int PICTURE_WIDTH = 520;
constexpr int PICTURE_HEIGHT = 406;

// Smooth bands with a little noise, like a dithered picture; or pure noise,
// the worst case for LZW (the table fills and clears all the time).
std::vector<uint8_t> MakePicture(bool noise) {
    GifStreamSpec layout;
    layout.screenWidth = PICTURE_WIDTH;
    layout.screenHeight = PICTURE_HEIGHT;
    layout.globalColours = RandomColours(256, 1u);
    GifFrame frame;
    frame.width = PICTURE_WIDTH;
    frame.height = PICTURE_HEIGHT;
    if (noise) {
        frame.pixels = RandomPixels(PICTURE_WIDTH, PICTURE_HEIGHT, 256, 2u);
    } else {
        const std::vector<uint8_t> grain = RandomPixels(PICTURE_WIDTH, PICTURE_HEIGHT, 3, 3u);
        frame.pixels.resize(grain.size());
        for (int y = 0; y < PICTURE_HEIGHT; ++y) {
            for (int x = 0; x < PICTURE_WIDTH; ++x) {
                const size_t i = static_cast<size_t>(y) * PICTURE_WIDTH + x;
                const double wave = 100.0 + 60.0 * std::sin(x / 40.0) + 0.25 * y;
                frame.pixels[i] = static_cast<uint8_t>(static_cast<int>(wave) + grain[i]);
            }
        }
    }
    layout.frames = {frame};
    return WriteGifWithGiflib(layout);
}

void DecodePicture(benchmark::State& state) {
    const std::vector<uint8_t> stream = MakePicture(state.range(0) != 0);
    for (auto _ : state) {
        GifImage* image = DecodeGif(stream.data(), stream.size());
        benchmark::DoNotOptimize(image);
        FreeGifImage(image);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(stream.size()));
    state.SetLabel(state.range(0) != 0 ? "noise" : "smooth");
}
BENCHMARK(DecodePicture)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void ConvertPicture(benchmark::State& state) {
    const std::vector<uint8_t> stream = MakePicture(false);
    GifImage* image = DecodeGif(stream.data(), stream.size());
    const PixelFormatInfo format = DescribePixelFormat(0xF800, 0x07E0, 0x001F);
    std::vector<uint8_t> surface(static_cast<size_t>(PICTURE_WIDTH) * PICTURE_HEIGHT * 2);
    for (auto _ : state) {
        ConvertPicturePixels(*image, surface.data(), PICTURE_WIDTH * 2, format);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * PICTURE_WIDTH * PICTURE_HEIGHT);
    FreeGifImage(image);
}
BENCHMARK(ConvertPicture)->Unit(benchmark::kMicrosecond);

// One reveal step's conversion; the width must not change its cost much.
void ConvertLine(benchmark::State& state) {
    const std::vector<uint8_t> indices = RandomPixels(PANEL_WIDTH, FONT_CELL_HEIGHT, 256, 4u);
    std::copy(indices.begin(), indices.end(), LineImage);
    for (int i = 0; i < 768; ++i) fontStrip.palette[i] = static_cast<uint8_t>(i * 7);
    const PixelFormatInfo format = DescribePixelFormat(0xF800, 0x07E0, 0x001F);
    uint16_t out[LINE_IMAGE_SIZE];
    const int width = static_cast<int>(state.range(0));
    for (auto _ : state) {
        ConvertLineImage(width, out, format);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * LINE_IMAGE_SIZE);
}
BENCHMARK(ConvertLine)->Arg(38)->Arg(2)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
