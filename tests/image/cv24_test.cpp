// The OpenCV 2.4 image calls the holder relies on.
#include <gtest/gtest.h>

#include <fstream>

#include <opencv2/imgcodecs.hpp>

#include "memory_dc.h"
#include "platform/cvshim/cv24.h"

using namespace image_test;

namespace {

// An image the test owns, freed on every exit.
struct Owned {
    IplImage* image;
    explicit Owned(IplImage* i) : image(i) {}
    Owned(int width, int height, int channels)
        : image(cvCreateImage(cvSize(width, height), IPL_DEPTH_8U, channels)) {}
    ~Owned() { cvReleaseImage(&image); }
};

cv::Vec4b PixelAt(const IplImage* image, int x, int y) {
    const uchar* p = reinterpret_cast<const uchar*>(image->imageData) + y * image->widthStep +
                     x * image->nChannels;
    cv::Vec4b out(0, 0, 0, 0);
    std::copy(p, p + image->nChannels, &out[0]);
    return out;
}

TEST(ConvertImage, ConvertsBetweenGreyBgrAndBgra) {
    const cv::Mat red = Uniform(6, 4, 0x00FF0000), redA = Uniform(6, 4, 0x00FF0000, 4);
    IplImage src = cvIplImage(red), srcA = cvIplImage(redA);
    Owned grey(6, 4, 1), greyA(6, 4, 1), bgr(6, 4, 3);
    cvConvertImage(&src, grey.image, 0);
    EXPECT_EQ(PixelAt(grey.image, 5, 3)[0], 76);
    cvConvertImage(&srcA, greyA.image, 0);
    EXPECT_EQ(PixelAt(greyA.image, 5, 3)[0], 76);
    cvConvertImage(grey.image, bgr.image, 0);
    EXPECT_EQ(PixelAt(bgr.image, 5, 3), cv::Vec4b(76, 76, 76, 0));
}

TEST(ConvertImage, HonoursBothRegionsOfInterest) {
    const cv::Mat pattern = Pattern(40, 30);
    IplImage src = cvIplImage(pattern);
    cvSetImageROI(&src, cvRect(10, 5, 8, 6));
    Owned dst(20, 20, 3);
    cvSet(dst.image, cvScalarAll(0), nullptr);
    cvSetImageROI(dst.image, cvRect(2, 3, 8, 6));
    cvConvertImage(&src, dst.image, 0);
    cvResetImageROI(dst.image);
    EXPECT_EQ(PixelAt(dst.image, 2, 3), cv::Vec4b(10, 5, 15, 0));
    EXPECT_EQ(PixelAt(dst.image, 9, 8), cv::Vec4b(17, 10, 27, 0));
    EXPECT_EQ(PixelAt(dst.image, 10, 8), cv::Vec4b(0, 0, 0, 0));
    EXPECT_EQ(PixelAt(dst.image, 1, 3), cv::Vec4b(0, 0, 0, 0));
}

TEST(ConvertImage, RejectsWhatItCannotConvert) {
    Owned dst(4, 4, 3), other(5, 4, 3), grey(4, 4, 1), none(0, 5, 3), noGrey(0, 5, 1);
    cvConvertImage(none.image, noGrey.image, 0); // empty: nothing to do
    EXPECT_THROW(cvConvertImage(other.image, dst.image, 0), cv::Exception);
    cv::Mat two(4, 4, CV_8UC2, cv::Scalar(1, 2));
    IplImage src2 = cvIplImage(two);
    EXPECT_THROW(cvConvertImage(&src2, dst.image, 0), cv::Exception);
    EXPECT_THROW(cvConvertImage(grey.image, &src2, 0), cv::Exception);
}

class ShimFiles : public TempFolder {};

TEST_F(ShimFiles, LoadImageChoosesChannelsOrGivesNull) {
    ASSERT_TRUE(cv::imwrite(Path("grey.png"), Pattern(13, 5, 1)));
    ASSERT_TRUE(cv::imwrite(Path("alpha.png"), Pattern(13, 5, 4)));
    const struct {
        const char* file;
        int iscolor, channels;
    } cases[] = {{"grey.png", -1, 1}, {"grey.png", 0, 1},  {"grey.png", 1, 3}, {"alpha.png", -1, 4},
                 {"alpha.png", 1, 3}, {"alpha.png", 0, 1}, {"grey.png", 4, 1}, {"alpha.png", 4, 3}};
    for (const auto& c : cases) {
        Owned image(cvLoadImage(Path(c.file).c_str(), c.iscolor));
        ASSERT_NE(image.image, nullptr) << c.file << " " << c.iscolor;
        EXPECT_EQ(image.image->nChannels, c.channels) << c.file << " " << c.iscolor;
        EXPECT_EQ(image.image->nSize, int(sizeof(IplImage)));
    }
    Owned alpha(cvLoadImage(Path("alpha.png").c_str(), -1));
    EXPECT_EQ(PixelAt(alpha.image, 12, 4), cv::Vec4b(12, 4, 16, 243));

    std::ofstream(Path("junk.jpg")) << "\xFF\xD8\xFF junk";
    EXPECT_EQ(cvLoadImage(Path("junk.jpg").c_str(), 1), nullptr);
    EXPECT_EQ(cvLoadImage(Path("none.png").c_str(), 1), nullptr);
    EXPECT_EQ(cvLoadImage("", 1), nullptr);
    EXPECT_EQ(cvLoadImage(nullptr, 1), nullptr);
}

TEST_F(ShimFiles, SaveImageWritesABottomUpImageUpright) {
    const cv::Mat pattern = Pattern(20, 10);
    IplImage header = cvIplImage(pattern);
    header.origin = IPL_ORIGIN_BL;
    EXPECT_NE(cvSaveImage(Path("up.png").c_str(), &header), 0);
    cv::Mat flipped, up = cv::imread(Path("up.png"), cv::IMREAD_UNCHANGED);
    cv::flip(pattern, flipped, 0);
    ASSERT_EQ(up.size(), flipped.size());
    EXPECT_EQ(cv::norm(up, flipped, cv::NORM_INF), 0.0);
}

} // namespace
