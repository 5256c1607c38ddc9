#include <atomic>
#include <memory>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "platform/video/video_capture.h"
#include "simulated_fixture.h"

namespace {

using platform::SimulatedFault;
using platform::SimulatedInputStats;
using platform::SimulatedPicture;
using platform::VideoCapture;

class VideoCaptureTest : public SimulatedInputsTest {
protected:
    // Starts a read on `capture` in another thread; `result` becomes 1 or 0 when it ends.
    std::thread readInBackground(VideoCapture& capture, std::atomic<int>& result) {
        result = -1;
        return std::thread([&capture, &result] {
            cv::Mat local;
            result = capture.read(local) ? 1 : 0;
        });
    }
    void expectNoSourceLeft(int index) {
        EXPECT_TRUE(waitUntil(index, &SimulatedInputStats::sourcesOpen, 0)) << index;
        EXPECT_EQ(sim->stats(index).destroyedDuringRead, 0) << index;
    }

    VideoCapture capture;
    cv::Mat frame;
};

// Reads fail when closed, after a release, and with the generation of an earlier open; a
// device's exception passes through and leaves the capture usable.
TEST_F(VideoCaptureTest, OpenReadReleaseAndDeviceErrors) {
    add(0);
    add(1);
    add(2, SimulatedFault::OpenFails);
    for (int bad : {2, 7, -1})
        EXPECT_FALSE(capture.open(bad)) << bad;
    EXPECT_FALSE(capture.read(frame, capture.generation()));
    ASSERT_TRUE(capture.open(0));
    const uint64_t first = capture.generation();
    ASSERT_TRUE(capture.open(1)); // closes 0 first
    EXPECT_EQ(sim->stats(0).sourcesOpen, 0);
    EXPECT_FALSE(capture.read(frame, first));
    ASSERT_TRUE(capture.read(frame, capture.generation()));
    capture.release();
    EXPECT_FALSE(capture.isOpened());
    EXPECT_EQ(sim->stats(1).sourcesOpen, 0);
    EXPECT_FALSE(capture.read(frame));
    EXPECT_TRUE(frame.empty());
    add(3, SimulatedFault::Throws);
    ASSERT_TRUE(capture.open(3));
    EXPECT_THROW(capture.read(frame), cv::Exception); // device errors pass through
    sim->setFault(3, SimulatedFault::None);
    EXPECT_TRUE(capture.read(frame));
}

TEST_F(VideoCaptureTest, ReleaseEndsABlockedReadAndClosesAfterIt) {
    add(0, SimulatedFault::Blocks);
    ASSERT_TRUE(capture.open(0));
    std::atomic<int> result;
    std::thread reader = readInBackground(capture, result);
    ASSERT_TRUE(waitUntil(0, &SimulatedInputStats::readsInProgress, 1));
    capture.release(); // ends the read and closes the device before it returns
    EXPECT_EQ(sim->stats(0).readsInProgress, 0);
    EXPECT_EQ(sim->stats(0).sourcesOpen, 0);
    EXPECT_EQ(sim->stats(0).destroyedDuringRead, 0);
    reader.join();
    EXPECT_EQ(result, 0);
}

// Release (or destruction) gives up on a read that ignores the interrupt after a bound, and
// leaves it the source, which is closed once the read ends.
TEST_F(VideoCaptureTest, ReleaseOrDestroyLeavesAStuckReadItsSource) {
    for (bool destroy : {false, true}) {
        add(0, SimulatedFault::BlocksUninterruptibly);
        auto owned = std::make_unique<VideoCapture>();
        ASSERT_TRUE(owned->open(0));
        std::atomic<int> result;
        std::thread reader = readInBackground(*owned, result);
        ASSERT_TRUE(waitUntil(0, &SimulatedInputStats::readsInProgress, 1));
        if (destroy)
            owned.reset();
        else
            owned->release();
        EXPECT_EQ(sim->stats(0).sourcesOpen, 1) << destroy;
        EXPECT_EQ(result, -1);
        sim->setFault(0, SimulatedFault::None);
        reader.join();
        EXPECT_EQ(result, 0);
        expectNoSourceLeft(0);
    }
}

// Readers and an opener hammer one capture; every device must see one read at a time and
// end with no source left open.
TEST_F(VideoCaptureTest, StressOpenReleaseAndReads) {
    add(0);
    add(1, SimulatedFault::None, SimulatedPicture::Pattern(16, 16, 500));
    add(2, SimulatedFault::Blocks, SimulatedPicture::Pattern(16, 16), 3);
    add(3, SimulatedFault::Throws);
    std::atomic<bool> stop{false};
    auto reader = [&](bool useGeneration) {
        cv::Mat local;
        while (!stop) {
            try {
                useGeneration ? capture.read(local, capture.generation()) : capture.read(local);
            } catch (const cv::Exception&) {
            }
        }
    };
    std::thread readers[] = {std::thread(reader, false), std::thread(reader, true),
                             std::thread(reader, false)};
    std::mt19937 random(1234);
    for (int i = 0; i < 200; ++i) {
        const int action = static_cast<int>(random() % 5);
        if (action < 4)
            capture.open(action);
        else
            capture.release();
    }
    capture.release();
    stop = true;
    for (std::thread& r : readers)
        r.join();
    for (int i = 0; i < 4; ++i) {
        EXPECT_LE(sim->stats(i).maxConcurrentReads, 1) << i;
        expectNoSourceLeft(i);
    }
}

} // namespace
