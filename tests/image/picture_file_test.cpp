// Picture sizes read from file headers, before anything is decoded: every format the viewer
// accepts, and every cut of a header (no read past its end).
#include <gtest/gtest.h>

#include <opencv2/imgcodecs.hpp>

#include "platform/cvshim/picture_file.h"

namespace {

TEST(PictureHeader, GivesTheSizeOfEveryAcceptedFormatAndNothingForACutOne) {
    const cv::Mat picture(23, 37, CV_8UC3, cv::Scalar(10, 200, 30));
    for (const char* extension : {".jpg", ".png", ".bmp", ".webp", ".ppm"}) {
        std::vector<uchar> bytes;
        ASSERT_TRUE(cv::imencode(extension, picture, bytes)) << extension;
        const auto size = platform::PictureSizeFromHeader(bytes.data(), bytes.size());
        ASSERT_TRUE(size.has_value()) << extension;
        EXPECT_EQ(*size, cv::Size(37, 23)) << extension;
        // Every shorter prefix: a size only when the header is whole, and never another one.
        for (size_t cut = 0; cut < std::min<size_t>(bytes.size(), 700); ++cut) {
            std::vector<uchar> prefix(bytes.begin(), bytes.begin() + static_cast<long>(cut));
            const auto part = platform::PictureSizeFromHeader(prefix.data(), prefix.size());
            if (part) {
                EXPECT_EQ(*part, cv::Size(37, 23)) << extension << " cut at " << cut;
            }
        }
    }
}

TEST(PictureHeader, OtherContentHasNoSize) {
    for (const std::string text : {"", "GIF89a", "II*\0", "P7\n4 4\n", "BM", "\xFF\xD8\xFF\xD9"}) {
        EXPECT_FALSE(platform::PictureSizeFromHeader(reinterpret_cast<const uint8_t*>(text.data()),
                                                     text.size())
                         .has_value())
            << text;
    }
}

TEST(PictureFile, ReadsAPictureWithinTheBoundAndRefusesALargerOne) {
    const std::string path = ::testing::TempDir() + "picture-file.png";
    cv::imwrite(path, cv::Mat(5, 120, CV_8UC3, cv::Scalar(1, 2, 3)));
    EXPECT_EQ(platform::ReadPictureFile(path, 1, 120).size(), cv::Size(120, 5));
    EXPECT_TRUE(platform::ReadPictureFile(path, 1, 119).empty());
    EXPECT_TRUE(platform::ReadPictureFile(path + ".missing", 1, 120).empty());
    EXPECT_TRUE(platform::ReadPictureFile("/dev/zero", 1, 120).empty());
}

} // namespace
