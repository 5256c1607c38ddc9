// The OpenCV 2.4 image calls the holder relies on.

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

TEST(ConvertImage, ConvertsChannelsThroughBothRegionsOfInterest) {
    const cv::Mat pattern = Pattern(40, 30), red = Uniform(6, 4, 0x00FF0000, 4);
    IplImage src = cvIplImage(pattern), srcRed = cvIplImage(red);
    cvSetImageROI(&src, cvRect(10, 5, 8, 6));
    Owned dst(20, 20, 3), grey(6, 4, 1), bgr(6, 4, 3);
    cvSet(dst.image, cvScalarAll(0), nullptr);
    cvSetImageROI(dst.image, cvRect(2, 3, 8, 6));
    cvConvertImage(&src, dst.image, 0);
    cvResetImageROI(dst.image);
    const cv::Mat out = cv::cvarrToMat(dst.image), part = pattern(cv::Rect(10, 5, 8, 6));
    EXPECT_TRUE(Same(out(cv::Rect(2, 3, 8, 6)), part));
    EXPECT_EQ(cv::sum(out), cv::sum(part)); // nothing written outside
    cvConvertImage(&srcRed, grey.image, 0);
    cvConvertImage(grey.image, bgr.image, 0);
    EXPECT_TRUE(Same(cv::cvarrToMat(bgr.image), Uniform(6, 4, 0x004C4C4C))); // luma of red
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
    EXPECT_TRUE(Same(cv::cvarrToMat(alpha.image), Pattern(13, 5, 4)));

    std::ofstream(Path("junk.jpg")) << "\xFF\xD8\xFF junk";
    EXPECT_EQ(cvLoadImage(Path("junk.jpg").c_str(), 1), nullptr);
    EXPECT_EQ(cvLoadImage(Path("none.png").c_str(), 1), nullptr);
    EXPECT_EQ(cvLoadImage("", 1), nullptr);
    EXPECT_EQ(cvLoadImage(nullptr, 1), nullptr);
}

} // namespace
