// The no-signal picture file as the user may leave it: a FIFO, or a small file whose header
// announces a picture far larger than the holder draws. The viewer shows its no-signal screen
// at once, ends normally, and never decodes the large one.
#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

#include "tests/scenario/headless_viewer.h"
#include "platform/cvshim/picture_codecs.h"
#include "platform/cvshim/picture_file.h"

namespace {

using namespace std::chrono_literals;
using headless_viewer::Play;
using headless_viewer::ViewerRun;
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

} // namespace
