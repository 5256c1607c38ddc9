// The simulated test pattern, drawn in place frame after frame, is the whole picture every
// time, whichever frames the reader still holds; frames held stay as they were.
#include <deque>

#include <gtest/gtest.h>

#include "platform/video/simulated/test_pattern.h"

namespace {

// Frame `index` drawn from nothing: eight bars, bar b over columns [b * W / 8, (b + 1) * W / 8),
// moved right 4 pixels a frame and wrapping; a white square of side min(W, H) / 8 that moves 3
// pixels a frame down the diagonal and back.
cv::Mat Expected(cv::Size size, uint64_t index) {
    const cv::Vec3b colours[] = {{255, 255, 255}, {0, 255, 255}, {255, 255, 0}, {0, 255, 0},
                                 {255, 0, 255},   {0, 0, 255},   {255, 0, 0},   {0, 0, 0}};
    cv::Mat frame(size, CV_8UC3);
    const int shift = int(index * 4 % size.width);
    for (int x = 0; x < size.width; ++x) {
        const int unshifted = (x - shift + size.width) % size.width;
        int bar = 0;
        while (int64_t(bar + 1) * size.width / 8 <= unshifted)
            ++bar;
        frame.col(x).setTo(colours[bar]);
    }
    const int side = std::max(1, std::min(size.width, size.height) / 8);
    const int travel = std::max(1, std::min(size.width, size.height) - side);
    const int pos = int(index * 3 % (2 * travel));
    const int offset = pos < travel ? pos : 2 * travel - pos;
    frame(cv::Rect(std::min(offset, size.width - side), std::min(offset, size.height - side), side,
                   side))
        .setTo(cv::Scalar(255, 255, 255));
    return frame;
}

bool Same(const cv::Mat& a, const cv::Mat& b) {
    return a.size() == b.size() && a.type() == b.type() && cv::norm(a, b, cv::NORM_INF) == 0;
}

TEST(TestPattern, EveryFrameIsWholeAndHeldFramesStayAsTheyWere) {
    for (cv::Size size : {cv::Size(1, 1), cv::Size(7, 500), cv::Size(100, 60), cv::Size(33, 17)}) {
        auto pattern = platform::MakeTestPattern(size);
        std::deque<std::pair<uint64_t, cv::Mat>> held;
        cv::Mat previous;
        for (uint64_t index = 0; index < 120; ++index) {
            // The reader keeps 0 to 5 frames, more than the buffers kept for it at times.
            const size_t keep = index / 12 % 6;
            cv::Mat frame;
            ASSERT_TRUE(pattern->next(frame));
            ASSERT_TRUE(Same(frame, Expected(size, index))) << size << " frame " << index;
            if (size.width > 8) {
                EXPECT_FALSE(Same(frame, previous)) << "frame " << index << " did not move";
            }
            previous = frame.clone();
            held.emplace_back(index, frame);
            while (held.size() > keep)
                held.pop_front();
            for (const auto& [at, kept] : held)
                ASSERT_TRUE(Same(kept, Expected(size, at))) << size << " held " << at;
        }
    }
}

// A frame still held when its pattern goes stays whole; releasing it afterwards frees its
// buffer and the pattern's free list with it (AddressSanitizer checks the order).
TEST(TestPattern, FramesOutliveTheirPattern) {
    const cv::Size size(64, 36);
    cv::Mat kept;
    {
        auto pattern = platform::MakeTestPattern(size);
        cv::Mat released;
        pattern->next(released);
        released.release(); // back on the free list, drawn again for the next frame
        pattern->next(kept);
    }
    EXPECT_TRUE(Same(kept, Expected(size, 1)));
    kept.release();
}

} // namespace
