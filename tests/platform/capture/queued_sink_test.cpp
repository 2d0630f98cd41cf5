// The capture's hand-over to its coding thread: everything arrives in order,
// a repeat shows the last new frame, and a failure reaches the capture.
#include "platform/capture/queued_sink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr size_t WORDS = 4;

// Writes down each call as text; fails from the `failAt`-th frame on.
struct RecordingSink final : CaptureSink {
    std::vector<std::string>* calls;
    int failAt;
    int written = 0;
    RecordingSink(std::vector<std::string>* record, int failFrom) : calls(record), failAt(failFrom) {}
    bool WriteFrame(const uint32_t* pixels, bool repeated) override {
        calls->push_back((repeated ? "again " : "frame ") + std::to_string(pixels[0]) + "," +
                         std::to_string(pixels[WORDS - 1]));
        return ++written != failAt;
    }
    bool WriteSound(const int16_t* stereo, size_t frames) override {
        calls->push_back("sound " + std::to_string(stereo[0]) + "x" + std::to_string(frames));
        return true;
    }
    bool Finish() override {
        calls->push_back("finish");
        return true;
    }
};

std::vector<uint32_t> Frame(uint32_t value) { return std::vector<uint32_t>(WORDS, value); }

TEST(QueuedSinkTest, EverythingArrivesInOrderAndARepeatShowsTheLastNewFrame) {
    std::vector<std::string> calls;
    QueuedSink sink(std::make_unique<RecordingSink>(&calls, 0), WORDS);
    const int16_t sound[4] = {7, 7, 7, 7};
    std::vector<uint32_t> frames[] = {Frame(1), Frame(2), Frame(3)};
    EXPECT_TRUE(sink.WriteFrame(frames[0].data(), true));  // the first frame is never a repeat
    EXPECT_TRUE(sink.WriteSound(sound, 2));
    for (int round = 0; round < 20; ++round) {  // buffers are used again: none may leak into another frame
        EXPECT_TRUE(sink.WriteFrame(frames[1 + round % 2].data(), false));
        EXPECT_TRUE(sink.WriteFrame(frames[0].data(), true));
    }
    EXPECT_TRUE(sink.Finish());

    std::vector<std::string> expected = {"frame 1,1", "sound 7x2"};
    for (int round = 0; round < 20; ++round) {
        const std::string shown = std::to_string(2 + round % 2) + "," + std::to_string(2 + round % 2);
        expected.push_back("frame " + shown);
        expected.push_back("again " + shown);
    }
    expected.push_back("finish");
    EXPECT_EQ(calls, expected);
}

TEST(QueuedSinkTest, AFailedWriteStopsTheCaptureAndIsNotFinished) {
    std::vector<std::string> calls;
    QueuedSink sink(std::make_unique<RecordingSink>(&calls, 2), WORDS);
    const std::vector<uint32_t> frame = Frame(5);
    bool accepted = true;
    for (int n = 0; n < 50 && accepted; ++n) {
        accepted = sink.WriteFrame(frame.data(), false);
    }
    EXPECT_FALSE(accepted);
    EXPECT_FALSE(sink.Finish());
    EXPECT_NE(calls.back(), "finish");
}

}  // namespace
