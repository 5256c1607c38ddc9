#include <atomic>
#include <memory>
#include <random>
#include <thread>

#include <gtest/gtest.h>

#include "platform/video/video_capture.h"
#include "simulated_fixture.h"

namespace {

using namespace std::chrono_literals;
using platform::SimulatedFault;
using platform::SimulatedInput;
using platform::SimulatedInputStats;
using platform::SimulatedPicture;
using platform::VideoCapture;

class VideoCaptureTest : public SimulatedInputsTest {
protected:
    void add(int index, SimulatedFault fault = SimulatedFault::None, double fps = 0) {
        SimulatedInput input;
        input.friendlyName = u"Sim";
        input.picture = SimulatedPicture::Pattern(32, 24, fps);
        input.fault = fault;
        sim->setInput(index, input);
    }
    bool readsInProgress(int index, int count) {
        return sim->waitFor(
            index, [&](const SimulatedInputStats& s) { return s.readsInProgress == count; }, 5s);
    }
    bool sourcesOpen(int index, int count) {
        return sim->waitFor(
            index, [&](const SimulatedInputStats& s) { return s.sourcesOpen == count; }, 5s);
    }
    // Starts a read on `capture` in another thread; its result lands in `result`.
    std::thread readInBackground(cv::VideoCapture& capture, std::atomic<int>& result) {
        result = -1;
        return std::thread([&capture, &result] {
            cv::Mat frame;
            result = capture.read(frame) ? 1 : 0;
        });
    }

    VideoCapture capture;
    cv::Mat frame;
};

TEST_F(VideoCaptureTest, ReadsFramesUntilReleased) {
    add(0);
    ASSERT_TRUE(capture.open(0));
    EXPECT_TRUE(capture.isOpened());
    ASSERT_TRUE(capture.read(frame));
    EXPECT_EQ(frame.type(), CV_8UC3);
    EXPECT_EQ(frame.size(), cv::Size(32, 24));
    cv::Mat viaOperator;
    capture >> viaOperator;
    EXPECT_FALSE(viaOperator.empty());

    capture.release();
    EXPECT_FALSE(capture.isOpened());
    EXPECT_EQ(sim->stats(0).sourcesOpen, 0);
    EXPECT_FALSE(capture.read(frame));
    EXPECT_TRUE(frame.empty());
    capture.release(); // releasing a closed capture does nothing
}

TEST_F(VideoCaptureTest, FailedOpenLeavesItClosed) {
    add(0, SimulatedFault::OpenFails);
    EXPECT_FALSE(capture.open(0));
    EXPECT_FALSE(capture.open(7));
    EXPECT_FALSE(capture.open(-1));
    EXPECT_FALSE(capture.isOpened());
    EXPECT_FALSE(capture.read(frame));
}

TEST_F(VideoCaptureTest, OpenClosesThePreviousSourceFirst) {
    add(0);
    add(1);
    ASSERT_TRUE(capture.open(0));
    ASSERT_TRUE(capture.open(1));
    EXPECT_EQ(sim->stats(0).sourcesOpen, 0);
    EXPECT_EQ(sim->stats(1).sourcesOpen, 1);
    ASSERT_TRUE(capture.open(1));
    EXPECT_EQ(sim->stats(1).sourcesOpen, 1);
    EXPECT_EQ(sim->stats(1).opens, 2);
}

TEST_F(VideoCaptureTest, DestructorClosesTheDevice) {
    add(0);
    {
        VideoCapture local;
        ASSERT_TRUE(local.open(0));
    }
    EXPECT_EQ(sim->stats(0).sourcesOpen, 0);
}

TEST_F(VideoCaptureTest, ReleaseEndsABlockedReadAndClosesAfterIt) {
    add(0, SimulatedFault::Blocks);
    ASSERT_TRUE(capture.open(0));
    std::atomic<int> result;
    std::thread reader = readInBackground(capture, result);
    ASSERT_TRUE(readsInProgress(0, 1));
    capture.release();
    // The read was over before the device was closed, and both before release returned.
    const SimulatedInputStats stats = sim->stats(0);
    EXPECT_EQ(stats.readsInProgress, 0);
    EXPECT_EQ(stats.sourcesOpen, 0);
    EXPECT_EQ(stats.destroyedDuringRead, 0);
    reader.join();
    EXPECT_EQ(result, 0);
}

TEST_F(VideoCaptureTest, ReleaseLeavesAStuckReadItsSource) {
    add(0, SimulatedFault::BlocksUninterruptibly);
    ASSERT_TRUE(capture.open(0));
    std::atomic<int> result;
    std::thread reader = readInBackground(capture, result);
    ASSERT_TRUE(readsInProgress(0, 1));
    capture.release();
    EXPECT_FALSE(capture.isOpened());
    EXPECT_EQ(sim->stats(0).sourcesOpen, 1); // still under the read
    EXPECT_EQ(result, -1);

    sim->setFault(0, SimulatedFault::None); // the device comes back to life
    reader.join();
    EXPECT_EQ(result, 0); // the read was interrupted by the release
    EXPECT_TRUE(sourcesOpen(0, 0));
    EXPECT_EQ(sim->stats(0).destroyedDuringRead, 0);
}

TEST_F(VideoCaptureTest, DestroyingTheCaptureUnderAStuckReadIsSafe) {
    add(0, SimulatedFault::BlocksUninterruptibly);
    auto owned = std::make_unique<VideoCapture>();
    ASSERT_TRUE(owned->open(0));
    std::atomic<int> result;
    std::thread reader = readInBackground(*owned, result);
    ASSERT_TRUE(readsInProgress(0, 1));
    owned.reset();
    sim->setFault(0, SimulatedFault::None);
    reader.join();
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(sourcesOpen(0, 0));
    EXPECT_EQ(sim->stats(0).destroyedDuringRead, 0);
}

TEST_F(VideoCaptureTest, OpenDuringAReadEndsItBeforeOpening) {
    add(0, SimulatedFault::Blocks);
    ASSERT_TRUE(capture.open(0));
    std::atomic<int> result;
    std::thread reader = readInBackground(capture, result);
    ASSERT_TRUE(readsInProgress(0, 1));
    sim->setFault(0, SimulatedFault::None);
    // The read may have delivered a frame by now or be stuck no more; either way the reopen
    // of the same device must not overlap it.
    sim->setFault(0, SimulatedFault::Blocks);
    ASSERT_TRUE(capture.open(0));
    reader.join();
    const SimulatedInputStats stats = sim->stats(0);
    EXPECT_EQ(stats.maxConcurrentReads, 1);
    EXPECT_EQ(stats.sourcesOpen, 1);
    EXPECT_EQ(stats.destroyedDuringRead, 0);
    EXPECT_NE(result, -1);
}

TEST_F(VideoCaptureTest, AStuckOldReadHoldsBackReadsOfTheNewOpen) {
    add(0, SimulatedFault::BlocksUninterruptibly);
    add(1);
    ASSERT_TRUE(capture.open(0));
    std::atomic<int> oldResult;
    std::thread oldReader = readInBackground(capture, oldResult);
    ASSERT_TRUE(readsInProgress(0, 1));
    ASSERT_TRUE(capture.open(1)); // gives up on the stuck read after the bound
    std::atomic<int> newResult;
    std::thread newReader = readInBackground(capture, newResult);
    sim->setFault(0, SimulatedFault::None);
    oldReader.join();
    newReader.join();
    EXPECT_EQ(oldResult, 0);
    EXPECT_EQ(newResult, 1);
    EXPECT_EQ(sim->stats(0).sourcesOpen, 0);
}

TEST_F(VideoCaptureTest, TwoReadersNeverReadAtOnce) {
    add(0);
    ASSERT_TRUE(capture.open(0));
    auto readMany = [this] {
        cv::Mat local;
        for (int i = 0; i < 300; ++i)
            ASSERT_TRUE(capture.read(local));
    };
    std::thread a(readMany), b(readMany);
    a.join();
    b.join();
    EXPECT_EQ(sim->stats(0).maxConcurrentReads, 1);
    EXPECT_EQ(sim->stats(0).framesDelivered, 600u);
}

TEST_F(VideoCaptureTest, DeviceErrorsPassThroughReadAndLeaveItUsable) {
    add(0, SimulatedFault::Throws);
    ASSERT_TRUE(capture.open(0));
    EXPECT_THROW(capture.read(frame), cv::Exception);
    sim->setFault(0, SimulatedFault::None);
    EXPECT_TRUE(capture.read(frame));
    capture.release();
    EXPECT_EQ(sim->stats(0).sourcesOpen, 0);
}

TEST_F(VideoCaptureTest, UnplugFailsReadsOfTheOpenDevice) {
    add(0);
    ASSERT_TRUE(capture.open(0));
    sim->setPlugged(0, false);
    EXPECT_FALSE(capture.read(frame));
    EXPECT_TRUE(capture.isOpened()); // as with a real device, until released
    capture.release();
    EXPECT_FALSE(capture.open(0));
    sim->setPlugged(0, true);
    ASSERT_TRUE(capture.open(0));
    EXPECT_TRUE(capture.read(frame));
}

TEST_F(VideoCaptureTest, StaleGenerationCannotRead) {
    add(0);
    const uint64_t closed = capture.generation();
    EXPECT_FALSE(capture.read(frame, closed));
    ASSERT_TRUE(capture.open(0));
    const uint64_t first = capture.generation();
    EXPECT_NE(first, closed);
    EXPECT_TRUE(capture.read(frame, first));
    ASSERT_TRUE(capture.open(0));
    EXPECT_FALSE(capture.read(frame, first));
    EXPECT_TRUE(capture.read(frame, capture.generation()));
    const uint64_t second = capture.generation();
    capture.release();
    EXPECT_FALSE(capture.read(frame, second));
    EXPECT_NE(capture.generation(), second);
}

// Readers and an opener hammer one capture; every device must see one read at a time and
// end with no source left open.
TEST_F(VideoCaptureTest, StressOpenReleaseAndReads) {
    add(0);
    add(1, SimulatedFault::None, 500);
    SimulatedInput flaky;
    flaky.friendlyName = u"Flaky";
    flaky.picture = SimulatedPicture::Pattern(16, 16);
    flaky.fault = SimulatedFault::Blocks;
    flaky.faultAfterFrames = 3;
    sim->setInput(2, flaky);
    add(3, SimulatedFault::Throws);

    std::atomic<bool> stop{false};
    auto reader = [&](bool useGeneration) {
        cv::Mat local;
        while (!stop) {
            try {
                if (useGeneration)
                    capture.read(local, capture.generation());
                else
                    capture.read(local);
            } catch (const cv::Exception&) {
            }
        }
    };
    std::thread r1(reader, false), r2(reader, true), r3(reader, false);
    std::mt19937 random(1234);
    for (int i = 0; i < 300; ++i) {
        const int action = static_cast<int>(random() % 6);
        if (action < 4)
            capture.open(action);
        else if (action == 4)
            capture.release();
        else
            (void)capture.isOpened();
    }
    capture.release();
    stop = true;
    r1.join();
    r2.join();
    r3.join();
    for (int i = 0; i < 4; ++i) {
        const SimulatedInputStats stats = sim->stats(i);
        EXPECT_LE(stats.maxConcurrentReads, 1) << i;
        EXPECT_EQ(stats.sourcesOpen, 0) << i;
        EXPECT_EQ(stats.destroyedDuringRead, 0) << i;
    }
}

} // namespace
