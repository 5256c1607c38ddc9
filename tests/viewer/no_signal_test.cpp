// The no-signal screen: the black frame, the green text and a small picture. The installed
// picture, reduced to fit, and the text without it: tests/package; bad picture files:
// tests/scenario and the holder's tests.
#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include "tests/support/dialog_harness.h"
#include "platform/cvshim/picture_codecs.h"

using namespace testing_support;

namespace {

const cv::Scalar kTextGreen(0, 255, 0);
const cv::Scalar kRed(0, 0, 255);

// The dialog with its video area resized to width x height and the given picture path.
struct NoSignal {
    NoSignal(int width, int height, const std::string& picture) {
        run.onUi([&] {
            run.dialog().m_noSignalPicturePath = picture;
            // A window whose client area (and so video area) is width x height.
            RECT outer, client;
            GetWindowRect(run.window(), &outer);
            GetClientRect(run.window(), &client);
            SetWindowPos(
                run.window(), nullptr, 0, 0, width + (outer.right - outer.left) - client.right,
                height + (outer.bottom - outer.top) - client.bottom, SWP_NOMOVE | SWP_NOZORDER);
            MoveWindow(run.video(), 0, 0, width, height, TRUE);
            // Start from a white area so that what the screen draws shows.
            HDC dc = GetDC(run.video());
            RECT all{0, 0, width, height};
            SetBkColor(dc, RGB(255, 255, 255));
            ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
            ReleaseDC(run.video(), dc);
            run.dialog().ShowNoSignal();
        });
        run.settle(); // the repaint the resize asked for draws the same screen again
    }
    std::shared_ptr<platform::SimulatedVideoProvider> sim = FreshPlatform();
    DialogRun run;
};

std::string SolidPicture(const char* name, int width, int height, const cv::Scalar& bgr) {
    const std::string path = TempPath(name);
    platform::WritePngFile(path, cv::Mat(height, width, CV_8UC3, bgr));
    return path;
}

// Where the text lands when drawn straight into a frame of the area's size.
cv::Rect ReferenceTextBounds(int width, int height) {
    cv::Mat frame = cv::Mat::zeros(height, width, CV_8UC3);
    IplImage header = cvIplImage(frame);
    CvFont font;
    cvInitFont(&font, CV_FONT_HERSHEY_COMPLEX, 0.5, 1.0, 0.0, 1, 8);
    cvPutText(&header, "No Input Signal", cvPoint(width / 2 - 100, height / 2), &font,
              CvScalar(0, 255, 0, 0));
    return BoundsOf(frame, kTextGreen);
}

TEST(NoSignalScreen, TextStartsLeftOfCentreOnTheMiddleLine) {
    for (cv::Size area : {cv::Size(880, 495), cv::Size(881, 496), cv::Size(150, 100)}) {
        NoSignal screen(area.width, area.height, TempPath("missing.jpg"));
        const cv::Mat pixels = screen.run.videoPixels();
        ASSERT_EQ(pixels.size(), area);
        const cv::Rect drawn = BoundsOf(pixels, kTextGreen);
        const cv::Rect expected = ReferenceTextBounds(area.width, area.height);
        ASSERT_FALSE(drawn.empty()) << area;
        EXPECT_NEAR(drawn.x, expected.x, 1) << area;
        EXPECT_NEAR(drawn.y, expected.y, 1) << area;
        EXPECT_NEAR(drawn.br().x, expected.br().x, 1) << area;
        EXPECT_NEAR(drawn.br().y, expected.br().y, 1) << area;
        // Black everywhere but the text (the fit may leave the bottom row untouched).
        cv::Mat rest = pixels(cv::Rect(0, 0, area.width, area.height - 1)).clone();
        cv::rectangle(rest, drawn, cv::Scalar::all(0), cv::FILLED);
        EXPECT_EQ(cv::countNonZero(rest.reshape(1) > 80), 0) << area;
    }
}

TEST(NoSignalScreen, SmallPictureIsCentredAtItsOwnSize) {
    NoSignal screen(880, 495, SolidPicture("small.png", 101, 81, kRed));
    const cv::Rect red = BoundsOf(screen.run.videoPixels(), kRed, 10);
    EXPECT_EQ(red, cv::Rect((880 - 101) / 2, (495 - 81) / 2, 101, 81));
}

TEST(NoSignalScreen, ZeroSizeAreaDrawsNothingAndSurvives) {
    NoSignal screen(0, 0, SolidPicture("any.png", 50, 50, kRed));
    const cv::Mat window = screen.run.windowPixels();
    EXPECT_EQ(CountPixels(window, kRed, 10), 0);
    EXPECT_TRUE(screen.run.close());
}

// A source that gives no good frame for 2 s (it sends nothing, or nothing that decodes): the
// no-signal screen says so, once on standard error too, while the capture stays open; its
// next good frame brings the picture back over the whole area, the bars black again.
TEST(NoSignalReason, ASilentSourceShowsNoSignalUntilItSendsAgain) {
    using Clock = std::chrono::steady_clock;
    for (auto fault : {platform::SimulatedFault::Blocks, platform::SimulatedFault::Undecodable}) {
        auto sim = FreshPlatform();
        sim->setInput(0, Named("HDMI Capture", 320, 240, 30)); // 4:3, so the area has bars
        DialogRun run([](CVelvoraDlg& dialog) {
            dialog.m_noSignalPicturePath = VISTREL_SOURCE_DIR "/res/dis.jpg";
        });
        const auto reason = [&] {
            std::string text;
            run.onUi([&] { text = run.dialog().m_trouble; });
            return text;
        };
        ASSERT_TRUE(sim->waitFor(
            0, [](auto& s) { return s.framesDelivered > 2; }, std::chrono::seconds(8)));
        testing::internal::CaptureStderr();
        const auto quiet = Clock::now();
        sim->setFault(0, fault);
        ASSERT_TRUE(WaitUntil([&] { return reason() == "No signal from the HDMI source"; },
                              std::chrono::seconds(8)));
        EXPECT_GE(Clock::now() - quiet, std::chrono::milliseconds(1900));
        EXPECT_TRUE(run.dialog().m_capture.isOpened());
        const cv::Mat screen = run.videoPixels();
        const cv::Rect foot(0, screen.rows * 3 / 4, screen.cols, screen.rows / 4);
        EXPECT_GT(CountPixels(screen(foot), kTextGreen), 100) << "the line under the picture";
        EXPECT_GT(CountPixels(screen, cv::Scalar(30, 30, 230)), 100) << "the no-signal picture";

        sim->setFault(0, platform::SimulatedFault::None);
        ASSERT_TRUE(
            WaitUntil([&] { return reason().empty() && cv::norm(run.videoPixels(), screen) > 1e4; },
                      std::chrono::seconds(8)));
        // What the line left in the bars beside the 4:3 picture is cleared with it.
        const cv::Mat live = run.videoPixels();
        const int bar = (live.cols - live.rows * 4 / 3) / 2 - 2;
        ASSERT_GT(bar, 20);
        EXPECT_TRUE(IsBlack(live, {0, 0, bar, live.rows - 1}));
        EXPECT_TRUE(IsBlack(live, {live.cols - bar, 0, bar, live.rows - 1}));
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "vistrel: no signal from the HDMI source\n");
    }
}

} // namespace
