// The vistrel binary with the test dongle preloaded and no scenario, so it captures through
// V4L2: it streams the dongle's best mode, shows its picture, and closes at once while the
// source is quiet.
#include <gtest/gtest.h>

#include <fstream>
#include <thread>

#include "tests/support/dialog_harness.h"
#include "tests/support/viewer_process.h"

namespace {

using namespace std::chrono_literals;
using namespace testing_support;

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(ViewerWithDongle, ShowsTheBestModeAndClosesAtOnceWhileQuiet) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display";
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    // The preloaded dongle would answer calls inside the sanitizer runtime's own start-up and
    // allocator; the capture path itself runs under the sanitizers in the other tests here.
    GTEST_SKIP() << "a preloaded library does not mix with a sanitizer's runtime";
#endif
    const std::string log = TempPath("dongle-calls.log");
    std::remove(log.c_str());
    // Quiet from 3 s after the stream starts, for longer than the test runs.
    ViewerProcess viewer(VISTREL_BINARY_DIR "/app/vistrel",
                         {"LD_PRELOAD=" VISTREL_DONGLE_LIBRARY, "VISTREL_BACKEND=sdl",
                          "VISTREL_DONGLE=card USB3.0 HDMI Capture; MJPG 1920x1080 60 30;"
                          "MJPG 1280x720 60 30; YUYV 640x480 30; YUYV 1920x1080 5; quiet 3 60;"
                          "log " +
                              log});
    ASSERT_TRUE(viewer.started());
    const std::string window = viewer.window(20s);
    ASSERT_FALSE(window.empty());
    // The live picture: the dongle's pattern, green on the left and magenta on the right.
    const cv::Mat screen = ScreenshotWhen([](const cv::Mat& s) {
        return CountPixels(s, cv::Scalar(40, 160, 40), 30) > 10000 &&
               CountPixels(s, cv::Scalar(160, 40, 160), 30) > 10000;
    });
    ASSERT_GT(CountPixels(screen, cv::Scalar(160, 40, 160), 30), 10000) << "no live picture";
    const auto calls = Lines(log);
    for (const char* call : {"S_FMT MJPG 1920x1080", "S_PARM 60", "STREAMON"})
        EXPECT_NE(std::find(calls.begin(), calls.end(), call), calls.end()) << call;

    std::this_thread::sleep_for(4s); // the source is quiet now
    const auto closing = std::chrono::steady_clock::now();
    ViewerProcess::requestClose(window);
    EXPECT_EQ(viewer.wait(5s), 0);
    // At once: the close's own 100 ms pause and the window's end, well under half a second on
    // a quiet machine; the bound leaves room for a busy one under a sanitizer.
    EXPECT_LT(std::chrono::steady_clock::now() - closing, 2s);
    EXPECT_EQ(Lines(log).back(), "close capture node");
}

} // namespace
