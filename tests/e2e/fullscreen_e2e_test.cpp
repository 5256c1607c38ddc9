// The real vistrel binary in a real window (SDL on an X display, Xvfb in CI): a simulated
// capture device shows a solid blue picture; double-clicks and Escape toggle full screen;
// screenshots of the X screen are checked pixel by pixel.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <thread>

#include "tests/support/dialog_harness.h"
#include "platform/cvshim/picture_codecs.h"
#include "tests/support/viewer_process.h"

namespace {

using namespace std::chrono_literals;
using namespace testing_support;

bool IsBlue(const cv::Vec3b& p) {
    return p[0] > 200 && p[1] < 50 && p[2] < 50;
}
bool IsBlack(const cv::Vec3b& p) {
    return p[0] < 20 && p[1] < 20 && p[2] < 20;
}

void DoubleClick(const Geometry& g) {
    Shell("xdotool mousemove --sync " + std::to_string(g.x + g.width / 2) + " " +
          std::to_string(g.y + g.height / 2) + " click --repeat 2 --delay 80 1");
}

// Polls until the window's geometry differs from `from` (or matches `to`), bounded.
Geometry Settle(ViewerProcess& viewer, const std::string& id,
                std::function<bool(const Geometry&)> done) {
    Geometry g = viewer.geometry(id);
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!done(g) && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(100ms);
        g = viewer.geometry(id);
    }
    std::this_thread::sleep_for(400ms); // let a few frames land
    return g;
}

TEST(EndToEnd, DoubleClickAndEscapeToggleFullScreen) {
    if (!std::getenv("DISPLAY"))
        GTEST_SKIP() << "no X display";
    const std::string picture = TempPath("e2e-blue.png");
    platform::WritePngFile(picture, cv::Mat(720, 1280, CV_8UC3, cv::Scalar(255, 0, 0)));
    const std::string scenario = TempPath("e2e.scenario");
    std::ofstream(scenario) << "input 0 \"USB HDMI Capture\" image " << picture << " 30\n";
    ViewerProcess viewer(VISTREL_BINARY_DIR "/app/vistrel",
                         {"VISTREL_SCENARIO=" + scenario, "VISTREL_BACKEND=sdl"});
    ASSERT_TRUE(viewer.started());
    const std::string id = viewer.window();
    ASSERT_FALSE(id.empty()) << "the viewer's window did not appear";

    const Geometry windowed = Settle(viewer, id, [](const Geometry& g) { return g.width > 0; });
    auto blueAt = [](int x, int y) {
        return [x, y](const cv::Mat& m) {
            return y < m.rows && x < m.cols && IsBlue(m.at<cv::Vec3b>(y, x));
        };
    };
    auto blueInside = [&](const Geometry& g) {
        return blueAt(g.x + g.width / 2, g.y + g.height / 2);
    };
    cv::Mat screen = ScreenshotWhen(blueInside(windowed));
    ASSERT_FALSE(screen.empty());
    const int screenWidth = screen.cols, screenHeight = screen.rows;
    EXPECT_TRUE(blueInside(windowed)(screen));

    DoubleClick(windowed);
    const Geometry full = Settle(viewer, id, [&](const Geometry& g) {
        return g.width >= screenWidth && g.height >= screenHeight;
    });
    EXPECT_GE(full.width, screenWidth);
    EXPECT_GE(full.height, screenHeight);
    screen = ScreenshotWhen([&](const cv::Mat& m) {
        return blueAt(m.cols / 2, m.rows / 2)(m) && m.at<cv::Vec3b>(1, m.cols / 2)[0] < 20;
    });
    // A 16:9 picture on a taller screen: fitted by width, black bands above and below.
    const int drawnHeight = static_cast<int>(full.width / (1280.0f / 720.0f));
    const int band = (full.height - drawnHeight) / 2;
    EXPECT_TRUE(IsBlue(screen.at<cv::Vec3b>(screenHeight / 2, screenWidth / 2)));
    if (band > 4) {
        EXPECT_TRUE(IsBlack(screen.at<cv::Vec3b>(1, screenWidth / 2)));
        EXPECT_TRUE(IsBlack(screen.at<cv::Vec3b>(screenHeight - 2, screenWidth / 2)));
    }

    DoubleClick(full);
    const Geometry restored =
        Settle(viewer, id, [&](const Geometry& g) { return g.width < screenWidth; });
    EXPECT_NEAR(restored.width, windowed.width, 8) << "the sizing border may take a few pixels";
    EXPECT_NEAR(restored.height, windowed.height, 8);
    // A slow (sanitizer) build may draw the next frame a while after the window is restored.
    EXPECT_TRUE(blueInside(restored)(ScreenshotWhen(blueInside(restored))));

    DoubleClick(restored);
    Settle(viewer, id, [&](const Geometry& g) { return g.width >= screenWidth; });
    Shell("xdotool key Escape");
    const Geometry escaped =
        Settle(viewer, id, [&](const Geometry& g) { return g.width < screenWidth; });
    EXPECT_LT(escaped.width, screenWidth) << "Escape leaves full screen";
    Shell("xdotool key Escape");
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(viewer.window(1s).empty()) << "Escape in windowed mode never closes";

    ViewerProcess::requestClose(id);
    EXPECT_EQ(viewer.wait(20s), 0) << "the close box ends the viewer";
}

} // namespace
