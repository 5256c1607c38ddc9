// Reads through the capture object and OpenCV's real V4L2 backend wait for a quiet device
// however long it stays quiet, and end at once when it is unplugged or released.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "dongle.h"
#include "platform/video/video_capture.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

double Since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

class ReadWait : public testing::Test {
protected:
    void SetUp() override {
        platform::SetVideoSourceProvider(platform::CreateV4l2VideoSourceProvider());
        dongle::Configure(kTable);
    }
    void openAndRead() {
        ASSERT_TRUE(capture.open(0));
        ASSERT_TRUE(capture.read(frame));
    }
    static constexpr const char* kTable = "MJPG 640x480 60; YUYV 640x480 30";
    void TearDown() override { platform::SetVideoSourceProvider(nullptr); }

    // Reads on another thread until a read fails; `ended` is when it failed.
    void readUntilFailure() {
        reader = std::thread([this] {
            cv::Mat local;
            while (capture.read(local))
                ++frames;
            ended = Clock::now();
            done = true;
        });
    }

    platform::VideoCapture capture;
    cv::Mat frame;
    std::thread reader;
    std::atomic<int> frames{0};
    std::atomic<bool> done{false};
    Clock::time_point ended;
};

TEST_F(ReadWait, AQuietPeriodIsWaitedOutAndFramesFollow) {
    openAndRead();
    dongle::GoQuiet(12); // longer than OpenCV's own 10-second select timeout
    const auto start = Clock::now();
    // The buffers filled before the quiet period come first.
    while (capture.read(frame) && Since(start) < 1)
        ;
    ASSERT_TRUE(capture.read(frame)) << "a quiet device is no failure";
    EXPECT_GT(Since(start), 11);
    EXPECT_EQ(frame.size(), cv::Size(640, 480));
    EXPECT_TRUE(capture.read(frame));
}

TEST_F(ReadWait, UnplugEndsAWaitingReadAtOnce) {
    openAndRead();
    dongle::GoQuiet(60);
    readUntilFailure();
    std::this_thread::sleep_for(300ms); // the reader now waits for a frame
    const int before = frames;
    const auto unplugged = Clock::now();
    dongle::Unplug();
    reader.join();
    EXPECT_LT(std::chrono::duration<double>(ended - unplugged).count(), 0.1);
    EXPECT_EQ(frames, before);

    capture.release();
    EXPECT_EQ(dongle::OpenHandles(), 0);
    EXPECT_FALSE(capture.open(0)) << "the node is gone";
    dongle::Replug();
    ASSERT_TRUE(capture.open(0));
    EXPECT_TRUE(capture.read(frame));
}

// Also the first read, on a device that is quiet from the start.
TEST_F(ReadWait, ReleaseEndsAWaitingReadAndClosesTheNode) {
    dongle::Configure(std::string(kTable) + "; quiet 0 60");
    ASSERT_TRUE(capture.open(0));
    readUntilFailure();
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(done) << "a device quiet from the start is waited for";
    const auto start = Clock::now();
    capture.release();
    reader.join();
    // The read returned inside release (which waits for it); the reader thread notices a moment
    // later, so the whole of it is what is timed.
    EXPECT_LT(Since(start), 0.1) << "release ends a waiting read within one wait slice";
    EXPECT_EQ(dongle::OpenHandles(), 0);
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(dongle::Calls().back(), "close capture node");
}

} // namespace
