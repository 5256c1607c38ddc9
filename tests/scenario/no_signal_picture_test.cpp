// The no-signal picture file as the user may leave it: a FIFO, or a small file whose header
// announces a picture far larger than the holder draws. The viewer shows its no-signal screen
// at once, ends normally, and never decodes the large one. And the screen's line that says
// why a present device gives no picture.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include <opencv2/imgproc.hpp>

#include "tests/scenario/headless_viewer.h"
#include "platform/cvshim/picture_codecs.h"
#include "platform/cvshim/picture_file.h"

namespace {

using namespace std::chrono_literals;
using headless_viewer::Play;
using headless_viewer::ViewerRun;
using testing_support::TempPath;
namespace fs = std::filesystem;

// A copy of the viewer (a hard link where possible) in a folder of its own, with `make`
// putting the picture in place at res/dis.jpg.
std::string ViewerWithPicture(const std::string& name,
                              const std::function<void(const std::string&)>& make) {
    const fs::path folder = testing_support::TempPath(name);
    fs::remove_all(folder);
    fs::create_directories(folder / "res");
    const fs::path binary = folder / "vistrel";
    std::error_code linked;
    fs::create_hard_link(VISTREL_BINARY_DIR "/app/vistrel", binary, linked);
    if (linked)
        fs::copy_file(VISTREL_BINARY_DIR "/app/vistrel", binary);
    make((folder / "res" / "dis.jpg").string());
    return binary.string();
}

// A real baseline JPEG whose frame header says width x height: a decoder that trusts it
// makes an image of that size and fills it.
std::vector<uchar> JpegClaiming(int width, int height) {
    std::vector<uchar> bytes =
        platform::EncodeJpeg(cv::Mat(16, 16, CV_8UC3, cv::Scalar(0, 0, 255)), 95);
    for (size_t i = 2; i + 9 < bytes.size(); ++i) {
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) { // SOF0: length, precision, height, width
            bytes[i + 5] = static_cast<uchar>(height >> 8);
            bytes[i + 6] = static_cast<uchar>(height);
            bytes[i + 7] = static_cast<uchar>(width >> 8);
            bytes[i + 8] = static_cast<uchar>(width);
            break;
        }
    }
    return bytes;
}

constexpr const char* kScenario = "at 0.3 resize 700 400\nat 0.6 screenshot shot.png\n"
                                  "at 0.7 close\n";

cv::Mat Shot() {
    return platform::ReadPictureFile(testing_support::TempPath("shot.png"), 1, 9999).clone();
}

TEST(NoSignalPicture, AFifoInPlaceOfThePictureDoesNotHangTheWindow) {
    const std::string viewer = ViewerWithPicture(
        "fifo-picture", [](const std::string& path) { mkfifo(path.c_str(), 0600); });
    std::remove(testing_support::TempPath("shot.png").c_str());
    const ViewerRun run = Play(kScenario, "fifo-picture", 10s, viewer);
    EXPECT_TRUE(run.ended) << "the viewer hung on the FIFO";
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_GT(testing_support::CountPixels(Shot(), cv::Scalar(0, 255, 0)), 50)
        << "the no-signal text is drawn";
}

TEST(NoSignalPicture, APictureLargerThanTheHolderDrawsIsNeverDecoded) {
    const std::string viewer = ViewerWithPicture("huge-picture", [](const std::string& path) {
        const auto bytes = JpegClaiming(20000, 20000); // 1.2 GB once decoded
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    });
    std::remove(testing_support::TempPath("shot.png").c_str());
    const ViewerRun run = Play(kScenario, "huge-picture", 30s, viewer);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.status, 0) << run.errors;
    EXPECT_LT(run.peakKb, 400 * 1024) << "peak memory, KB";
    const cv::Mat shot = Shot();
    EXPECT_GT(testing_support::CountPixels(shot, cv::Scalar(0, 255, 0)), 50);
    EXPECT_EQ(testing_support::CountPixels(shot, cv::Scalar(0, 0, 255)), 0);
}

// A device the user may not open, or one another program holds, gets its reason under the
// no-signal screen and once on standard error, however often it is tried; the screen without
// a reason (the device unplugged) is the one the README shows, and a later plug-in that opens
// brings the picture.
TEST(NoSignalReason, ARefusedOpenIsExplainedOnScreenAndOnceOnStandardError) {
    const struct {
        const char* fault;
        const char* said;
    } cases[] = {
        {"open-denied", "vistrel: no permission to open /dev/video0: add your user to the video "
                        "group and log in again\n"},
        {"open-busy", "vistrel: the capture device is in use by another program\n"},
    };
    const cv::Mat readme =
        platform::ReadPictureFile(VISTREL_SOURCE_DIR "/docs/no-signal.png", 1, 9999);
    for (const auto& c : cases) {
        const std::string name = std::string("reason-") + c.fault;
        const auto shot = [&](const char* what) { return name + "-" + what + ".png"; };
        const ViewerRun run =
            Play("input 0 \"USB3.0 HDMI Capture\" pattern 640x360 30 usb 3188:1234 fault " +
                     std::string(c.fault) + "\nat 2.5 screenshot " + shot("refused") +
                     "\nat 2.7 unplug 0\nat 3.2 screenshot " + shot("unplugged") +
                     "\nat 3.3 fault 0 none\nat 3.4 plug 0\nat 4.8 screenshot " + shot("live") +
                     "\nat 4.9 close\n",
                 name, 30s);
        ASSERT_TRUE(run.ended) << c.fault;
        EXPECT_EQ(run.status, 0) << c.fault;
        EXPECT_EQ(run.errors, c.said) << c.fault;
        const cv::Mat refused = platform::ReadPictureFile(TempPath(shot("refused")), 1, 9999);
        const cv::Mat unplugged = platform::ReadPictureFile(TempPath(shot("unplugged")), 1, 9999);
        const cv::Mat live = platform::ReadPictureFile(TempPath(shot("live")), 1, 9999);
        ASSERT_FALSE(refused.empty() || unplugged.empty() || live.empty()) << c.fault;
        ASSERT_EQ(unplugged.size(), readme.size());
        // The README's screen, but for the resampler's rounding since it was made.
        EXPECT_LE(cv::norm(unplugged, readme, cv::NORM_INF), 1) << c.fault;
        // The reason's line, in the screen's green, is all that differs, at its foot.
        cv::Mat differs;
        cv::cvtColor(cv::abs(refused - unplugged) + cv::abs(unplugged - refused), differs,
                     cv::COLOR_BGR2GRAY);
        const cv::Rect changed = cv::boundingRect(differs);
        const cv::Rect foot(0, refused.rows * 3 / 4, refused.cols, refused.rows / 4);
        EXPECT_FALSE(changed.empty()) << c.fault;
        EXPECT_EQ(changed & foot, changed) << c.fault;
        EXPECT_GT(testing_support::CountPixels(refused(foot), cv::Scalar(0, 255, 0)), 100);
        EXPECT_GT(cv::norm(live, unplugged, cv::NORM_L1), 1e6) << c.fault << ": no picture";
    }
}

} // namespace
