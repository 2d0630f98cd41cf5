#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/web/frame_rgba.h"
#include "platform/web/web_audio_ring.h"

namespace {

uint32_t Rgba(uint8_t r, uint8_t g, uint8_t b) { return 0xFF000000u | (b << 16) | (g << 8) | r; }

TEST(FrameRgba, WidensEveryChannelToItsFullRangeInBothLayouts) {
    const std::vector<uint16_t> rgb565 = {0xFFFF, 0x0000, 0xF800, 0x07E0, 0x001F, 0x8410};
    std::vector<uint32_t> out(rgb565.size());
    ConvertFrameToRgba(FrameView{rgb565.data(), 3, 2, false}, out.data());
    EXPECT_EQ(out, (std::vector<uint32_t>{Rgba(255, 255, 255), Rgba(0, 0, 0), Rgba(255, 0, 0),
                                          Rgba(0, 255, 0), Rgba(0, 0, 255), Rgba(132, 130, 132)}));

    const std::vector<uint16_t> rgb555 = {0x7FFF, 0x7C00, 0x03E0, 0x001F};
    out.assign(rgb555.size(), 0);
    ConvertFrameToRgba(FrameView{rgb555.data(), 2, 2, true}, out.data());
    EXPECT_EQ(
        out, (std::vector<uint32_t>{Rgba(255, 255, 255), Rgba(255, 0, 0), Rgba(0, 255, 0), Rgba(0, 0, 255)}));
}

// Frames numbered from `first`, left and right apart.
std::vector<int16_t> Numbered(int first, uint32_t count) {
    std::vector<int16_t> stereo;
    for (uint32_t i = 0; i < count; ++i) {
        stereo.push_back(static_cast<int16_t>(first + static_cast<int>(i)));
        stereo.push_back(static_cast<int16_t>(-first - static_cast<int>(i)));
    }
    return stereo;
}

TEST(AudioRing, HandsOutFramesInOrderAcrossTheEndOfItsMemory) {
    auto ring = std::make_unique<AudioRing>();
    ring->Open();
    const uint32_t chunk = AudioRing::FRAMES * 3 / 4;
    std::vector<int16_t> read(chunk * 2);
    for (int round = 0; round < 3; ++round) {  // the second and third rounds wrap
        const int first = round * static_cast<int>(chunk);
        ring->Write(Numbered(first, chunk).data(), chunk);
        EXPECT_EQ(ring->Filled(), chunk);
        ASSERT_EQ(ring->Read(read.data(), chunk), chunk);
        EXPECT_EQ(read, Numbered(first, chunk)) << "round " << round;
    }
    // A reader that asks for more than there is gets what there is.
    ring->Write(Numbered(7, 10).data(), 10);
    EXPECT_EQ(ring->Read(read.data(), 100), 10u);
    EXPECT_EQ(ring->Filled(), 0u);
}

TEST(AudioRing, EachOutputHasAGenerationOfItsOwnAndStartsEmpty) {
    auto ring = std::make_unique<AudioRing>();
    const uint32_t first = ring->Open();
    ring->Write(Numbered(0, 100).data(), 100);
    ring->Close();
    EXPECT_NE(ring->GenerationCounter()->load(), first) << "a closed output's worklet would go on reading";
    const uint32_t second = ring->Open();
    EXPECT_NE(second, first);
    EXPECT_EQ(ring->GenerationCounter()->load(), second);
    EXPECT_EQ(ring->Filled(), 0u);
}

}  // namespace
