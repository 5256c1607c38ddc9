// The hold between input and output: the picture's delay, and drift correction by single
// frames, on counted frames (each frame carries its own number); the running median that
// smooths the picture's delay and the sound's own way before the hold follows them.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>

#include "platform/audio/buffer_hold.h"
#include "platform/system/running_median.h"

namespace {

using platform::audio::BufferHold;

constexpr size_t kFrame = 4;
constexpr unsigned kRate = 48000;
constexpr size_t kPiece = 240; // 5 ms

// Frames numbered from `first` (a frame's number in both 16-bit channels; 0 stays silence).
std::vector<uint8_t> Numbered(uint32_t first, size_t frames) {
    std::vector<uint8_t> bytes(frames * kFrame);
    for (size_t i = 0; i < frames; ++i) {
        const uint16_t n = uint16_t(first + i);
        std::memcpy(&bytes[i * kFrame], &n, 2);
        std::memcpy(&bytes[i * kFrame + 2], &n, 2);
    }
    return bytes;
}

uint16_t FrameAt(const std::vector<uint8_t>& bytes, size_t frame) {
    uint16_t n;
    std::memcpy(&n, &bytes[frame * kFrame], 2);
    return n;
}

TEST(BufferHold, DelaysForThePictureAndCorrectsDriftByOneFrame) {
    enum Correction { kNone, kDropped, kRepeated };
    struct Case {
        const char* what;
        size_t headStart;     // frames pushed before the run (sound in hand)
        size_t pushed, asked; // per piece
        Correction last;      // what the last piece shows
    };
    const Case cases[] = {
        {"in step (3 ms in hand): every frame, once", 144, kPiece, kPiece, kNone},
        {"input ahead (10 ms in hand): one frame dropped a piece", 480, kPiece, kPiece, kDropped},
        {"input behind: one frame repeated a piece", 0, kPiece - 8, kPiece, kRepeated},
    };
    for (const Case& c : cases) {
        BufferHold hold(kFrame, kRate);
        uint32_t next = 1;
        hold.push(Numbered(next, c.headStart).data(), c.headStart * kFrame);
        next += uint32_t(c.headStart);
        std::vector<uint8_t> out;
        uint16_t before = 0; // the last frame of the piece before
        for (int piece = 0; piece < 100; ++piece) {
            if (!out.empty())
                before = FrameAt(out, out.size() / kFrame - 1);
            hold.push(Numbered(next, c.pushed).data(), c.pushed * kFrame);
            next += uint32_t(c.pushed);
            out.clear();
            hold.pull(c.asked * kFrame, out);
        }
        const size_t frames = out.size() / kFrame;
        const long span = long(FrameAt(out, frames - 1)) - FrameAt(out, 0);
        switch (c.last) {
        case kNone:
            EXPECT_EQ(frames, c.asked) << c.what;
            EXPECT_EQ(span, long(frames) - 1) << c.what;
            EXPECT_EQ(FrameAt(out, 0), before + 1) << c.what;
            break;
        case kDropped: // the frame between the two pieces is skipped
            EXPECT_EQ(frames, c.asked) << c.what;
            EXPECT_EQ(span, long(frames) - 1) << c.what;
            EXPECT_EQ(FrameAt(out, 0), before + 2) << c.what;
            break;
        case kRepeated: // one more frame than came in: the last one twice
            EXPECT_EQ(frames, c.pushed + 1) << c.what;
            EXPECT_EQ(FrameAt(out, frames - 1), FrameAt(out, frames - 2)) << c.what;
            break;
        }
    }
}

TEST(BufferHold, HoldsTheNewestSoundBackForThePictureAndFlushesAStall) {
    BufferHold hold(kFrame, kRate);
    std::vector<uint8_t> out;
    hold.setDelayFrames(480);
    hold.push(Numbered(1, kPiece).data(), kPiece * kFrame);
    hold.pull(kPiece * kFrame, out);
    ASSERT_EQ(out.size(), kPiece * kFrame);
    EXPECT_EQ(FrameAt(out, 0), 0) << "silence first: the sound comes 10 ms later";
    EXPECT_EQ(hold.readyUs(), 0);
    // No delay any more: the 10 ms held are dropped at once, the next input plays at once.
    hold.setDelayFrames(0);
    hold.push(Numbered(241, kPiece).data(), kPiece * kFrame);
    out.clear();
    hold.pull(kPiece * kFrame, out);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(FrameAt(out, 0), 241);

    // A stall: 100 ms piled up. It is dropped down to the target, the newest kept.
    BufferHold stalled(kFrame, kRate);
    stalled.push(Numbered(1, 4800).data(), 4800 * kFrame);
    out.clear();
    stalled.pull(kPiece * kFrame, out);
    EXPECT_GT(FrameAt(out, 0), 4000);
    EXPECT_LT(stalled.readyUs(), BufferHold::kTargetUs + 1000);
}

TEST(RunningMedian, IgnoresFarOffValuesAndForgetsOldOnes) {
    struct Case {
        const char* what;
        std::vector<double> added;
        size_t atLeast;
        std::optional<double> median;
    };
    const Case cases[] = {
        {"nothing yet", {}, 1, std::nullopt},
        {"fewer than asked for", {20, 21}, 3, std::nullopt},
        {"one late frame among steady ones", {20, 21, 400, 19, 20}, 3, 20},
        {"a lasting change, past half the window", {20, 20, 20, 45, 45, 45}, 1, 45},
        {"the oldest forgotten", {900, 900, 900, 900, 900, 1, 2, 3, 4, 5}, 1, 3},
    };
    for (const Case& c : cases) {
        platform::RunningMedian<5> median;
        for (double value : c.added)
            median.add(value);
        EXPECT_EQ(median.median(c.atLeast), c.median) << c.what;
    }
}

} // namespace
