// Reads through the capture object and our V4L2 source wait for a quiet device however long
// it stays quiet, and end at once when it is unplugged or released; damaged frames are
// skipped, bursts lose nothing, a failing device ends the reads after a few tries.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <set>
#include <thread>

#include "dongle.h"
#include "platform/video/v4l2/v4l2_source.h"
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
    dongle::GoQuiet(3); // the read has no timeout of its own: any length is waited out
    const auto start = Clock::now();
    // The buffers filled before the quiet period come first.
    while (capture.read(frame) && Since(start) < 1)
        ;
    ASSERT_TRUE(capture.read(frame)) << "a quiet device is no failure";
    EXPECT_GT(Since(start), 2.5);
    EXPECT_EQ(frame.size(), cv::Size(640, 480));
    EXPECT_TRUE(capture.read(frame));
}

// Unplugged by the dongle's call, and by its plug file, as another process unplugs it.
class Unplug : public ReadWait, public testing::WithParamInterface<bool> {
protected:
    void plug(bool in) {
        if (!GetParam())
            return in ? dongle::Replug() : dongle::Unplug();
        if (in)
            std::fclose(std::fopen(m_plugFile.c_str(), "w"));
        else
            std::remove(m_plugFile.c_str());
    }
    const std::string m_plugFile = "/tmp/vistrel-plug-" + std::to_string(getpid());
};

TEST_P(Unplug, EndsAWaitingReadAtOnce) {
    if (GetParam()) {
        plug(true);
        dongle::Configure(std::string(kTable) + "; plugged-while " + m_plugFile);
    }
    openAndRead();
    dongle::GoQuiet(60);
    readUntilFailure();
    std::this_thread::sleep_for(300ms); // the reader now waits for a frame
    const int before = frames;
    const auto unplugged = Clock::now();
    plug(false);
    reader.join();
    // "At once" is within half a second of the unplug; a busy sanitizer run is allowed 4x.
    EXPECT_LT(std::chrono::duration<double>(ended - unplugged).count(), 2.0);
    EXPECT_EQ(frames, before);

    capture.release();
    EXPECT_EQ(dongle::OpenHandles(), 0);
    EXPECT_FALSE(capture.open(0)) << "the node is gone";
    plug(true);
    const auto replugged = Clock::now();
    while (!capture.open(0) && Since(replugged) < 0.4) // the file is looked at every 10 ms
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(capture.isOpened());
    EXPECT_TRUE(capture.read(frame));
    std::remove(m_plugFile.c_str());
}

INSTANTIATE_TEST_SUITE_P(ByCallAndByPlugFile, Unplug, testing::Bool());

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
    EXPECT_LT(Since(start), 0.4) << "release wakes a waiting read at once";
    EXPECT_EQ(dongle::OpenHandles(), 0);
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(dongle::Calls().back(), "close capture node");
}

// Every other frame damaged: only whole pictures come through, one of another size at its own
// size, and the damage is told once, when the device closes.
TEST_F(ReadWait, DamagedFramesAreSkipped) {
    const struct {
        const char* kind;
        bool halfSizeToo;
    } cases[] = {{"error", false}, {"empty", false}, {"truncated", false}, {"wrongsize", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        dongle::Configure(std::string("MJPG 640x480 60; damage ") + c.kind + " 2");
        testing::internal::CaptureStderr();
        ASSERT_TRUE(capture.open(0));
        std::set<int> widths;
        for (int i = 0; i < 12 && capture.read(frame); ++i) {
            widths.insert(frame.cols);
            EXPECT_TRUE(dongle::ShowsPattern(frame)) << i;
        }
        capture.release();
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(widths, (c.halfSizeToo ? std::set<int>{320, 640} : std::set<int>{640}));
        if (!c.halfSizeToo) {
            EXPECT_TRUE(said.rfind("vistrel: /dev/video0: ", 0) == 0 &&
                        said.find('\n') == said.size() - 1)
                << said;
        }
    }
}

// Six frames at once every 100 ms all find a buffer.
TEST_F(ReadWait, BurstsLoseNoFrame) {
    static_assert(platform::v4l2::kDriverBuffers >= 6);
    dongle::Configure("MJPG 640x480 60; burst 6 100");
    openAndRead();
    const uint64_t dropped = dongle::GetStats().framesDropped;
    const auto start = Clock::now();
    while (Since(start) < 1)
        ASSERT_TRUE(capture.read(frame));
    EXPECT_EQ(dongle::GetStats().framesDropped, dropped);
}

TEST_F(ReadWait, EioOnceIsRetriedEioAlwaysEndsTheReads) {
    dongle::Configure(std::string(kTable) + "; eio once");
    openAndRead();
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(capture.read(frame)) << i;

    dongle::Configure(std::string(kTable) + "; eio always");
    ASSERT_TRUE(capture.open(0));
    dongle::ClearCalls();
    EXPECT_FALSE(capture.read(frame));
    EXPECT_FALSE(capture.read(frame)) << "gone until opened again";
    capture.release();
    EXPECT_EQ(dongle::Calls(), (std::vector<std::string>{"STREAMOFF", "close capture node"}))
        << "no node opened to see whether it still answers";
}

} // namespace
