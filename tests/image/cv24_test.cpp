// The OpenCV 2.4 image calls as the holder relies on them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <opencv2/imgcodecs.hpp>

#include "memory_dc.h"
#include "platform/cvshim/cv24.h"

using image_test::Pattern;
using image_test::Uniform;

namespace {

// An image the test owns, freed on every exit.
struct Owned {
    IplImage* image;
    explicit Owned(IplImage* i) : image(i) {}
    ~Owned() { cvReleaseImage(&image); }
    cv::Mat mat() const { return cv::cvarrToMat(image); }
};

Owned Make(int width, int height, int channels) {
    return Owned(cvCreateImage(cvSize(width, height), IPL_DEPTH_8U, channels));
}

cv::Vec4b PixelAt(const IplImage* image, int x, int y) {
    const uchar* p = reinterpret_cast<const uchar*>(image->imageData) + y * image->widthStep +
                     x * image->nChannels;
    cv::Vec4b out(0, 0, 0, 0);
    for (int c = 0; c < image->nChannels; ++c)
        out[c] = p[c];
    return out;
}

TEST(ConvertImage, ConvertsBetweenGreyBgrAndBgra) {
    const cv::Mat bgr = Uniform(6, 4, 0x00FF0000); // red
    IplImage src3 = cvIplImage(bgr);

    Owned grey = Make(6, 4, 1);
    cvConvertImage(&src3, grey.image, 0);
    EXPECT_EQ(PixelAt(grey.image, 5, 3)[0], 76);

    Owned bgra = Make(6, 4, 4);
    cvConvertImage(&src3, bgra.image, 0);
    EXPECT_EQ(PixelAt(bgra.image, 2, 1), cv::Vec4b(0, 0, 255, 255));

    Owned back = Make(6, 4, 3);
    cvConvertImage(bgra.image, back.image, 0);
    EXPECT_EQ(PixelAt(back.image, 2, 1), cv::Vec4b(0, 0, 255, 0));

    cvConvertImage(grey.image, back.image, 0);
    EXPECT_EQ(PixelAt(back.image, 0, 0), cv::Vec4b(76, 76, 76, 0));
    cvConvertImage(grey.image, bgra.image, 0);
    EXPECT_EQ(PixelAt(bgra.image, 0, 0), cv::Vec4b(76, 76, 76, 255));
    cvConvertImage(bgra.image, grey.image, 0);
    EXPECT_EQ(PixelAt(grey.image, 0, 0)[0], 76);
}

TEST(ConvertImage, FlagsZeroNeitherFlipsNorSwaps) {
    const cv::Mat pattern = Pattern(9, 7);
    IplImage src = cvIplImage(pattern);
    Owned dst = Make(9, 7, 3);
    cvConvertImage(&src, dst.image, 0);
    EXPECT_EQ(cv::norm(dst.mat(), pattern, cv::NORM_INF), 0.0);
}

TEST(ConvertImage, FlipAndSwapAreHonoured) {
    const cv::Mat pattern = Pattern(9, 7);
    IplImage src = cvIplImage(pattern);
    Owned dst = Make(9, 7, 3);
    cvConvertImage(&src, dst.image, CV_CVTIMG_FLIP);
    EXPECT_EQ(PixelAt(dst.image, 4, 0), cv::Vec4b(4, 6, 10, 0));
    cvConvertImage(&src, dst.image, CV_CVTIMG_SWAP_RB);
    EXPECT_EQ(PixelAt(dst.image, 4, 2), cv::Vec4b(6, 2, 4, 0));
    cvConvertImage(&src, dst.image, CV_CVTIMG_FLIP | CV_CVTIMG_SWAP_RB);
    EXPECT_EQ(PixelAt(dst.image, 4, 0), cv::Vec4b(10, 6, 4, 0));

    Owned four = Make(9, 7, 4);
    cvConvertImage(&src, four.image, CV_CVTIMG_SWAP_RB);
    EXPECT_EQ(PixelAt(four.image, 4, 2), cv::Vec4b(6, 2, 4, 255));
}

TEST(ConvertImage, HonoursBothRegionsOfInterest) {
    const cv::Mat pattern = Pattern(40, 30);
    IplImage src = cvIplImage(pattern);
    cvSetImageROI(&src, cvRect(10, 5, 8, 6));
    Owned dst = Make(20, 20, 3);
    cvSet(dst.image, cvScalarAll(0), nullptr);
    cvSetImageROI(dst.image, cvRect(2, 3, 8, 6));
    cvConvertImage(&src, dst.image, 0);
    cvResetImageROI(&src);
    cvResetImageROI(dst.image);
    EXPECT_EQ(PixelAt(dst.image, 2, 3), cv::Vec4b(10, 5, 15, 0));
    EXPECT_EQ(PixelAt(dst.image, 9, 8), cv::Vec4b(17, 10, 27, 0));
    EXPECT_EQ(PixelAt(dst.image, 10, 8), cv::Vec4b(0, 0, 0, 0));
    EXPECT_EQ(PixelAt(dst.image, 1, 3), cv::Vec4b(0, 0, 0, 0));
}

TEST(ConvertImage, IntoItselfIsSafe) {
    Owned image = Make(8, 8, 3);
    cv::Mat pattern = Pattern(8, 8);
    pattern.copyTo(image.mat());
    cvConvertImage(image.image, image.image, 0);
    EXPECT_EQ(cv::norm(image.mat(), pattern, cv::NORM_INF), 0.0);
    cvConvertImage(image.image, image.image, CV_CVTIMG_SWAP_RB);
    EXPECT_EQ(PixelAt(image.image, 3, 2), cv::Vec4b(5, 2, 3, 0));
}

TEST(ConvertImage, ScalesOtherDepthsToEightBits) {
    cv::Mat wide(2, 2, CV_16UC1, cv::Scalar(0x1234));
    IplImage src = cvIplImage(wide);
    Owned dst = Make(2, 2, 3);
    cvConvertImage(&src, dst.image, 0);
    EXPECT_EQ(PixelAt(dst.image, 1, 1), cv::Vec4b(0x12, 0x12, 0x12, 0));
}

TEST(ConvertImage, RejectsWhatItCannotConvert) {
    Owned dst = Make(4, 4, 3);
    Owned other = Make(5, 4, 3);
    EXPECT_THROW(cvConvertImage(other.image, dst.image, 0), cv::Exception);
    cv::Mat two(4, 4, CV_8UC2, cv::Scalar(1, 2));
    IplImage src2 = cvIplImage(two);
    EXPECT_THROW(cvConvertImage(&src2, dst.image, 0), cv::Exception);
    Owned grey = Make(4, 4, 1);
    EXPECT_THROW(cvConvertImage(grey.image, &src2, 0), cv::Exception);
}

TEST(ConvertImage, EmptyImagesConvertNothing) {
    Owned a = Make(0, 5, 3);
    Owned b = Make(0, 5, 1);
    cvConvertImage(a.image, b.image, 0);
}

class ShimFiles : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "cv24-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string Path(const char* name) const { return (m_dir / name).string(); }
    std::filesystem::path m_dir;
};

TEST_F(ShimFiles, LoadImageChoosesChannelsLike24) {
    ASSERT_TRUE(cv::imwrite(Path("grey.png"), Pattern(13, 5, 1)));
    ASSERT_TRUE(cv::imwrite(Path("alpha.png"), Pattern(13, 5, 4)));
    struct Case {
        const char* file;
        int iscolor;
        int channels;
    };
    for (const Case& c :
         {Case{"grey.png", -1, 1}, Case{"grey.png", 0, 1}, Case{"grey.png", 1, 3},
          Case{"alpha.png", -1, 4}, Case{"alpha.png", 1, 3}, Case{"alpha.png", 0, 1},
          Case{"grey.png", 4, 1}, Case{"alpha.png", 4, 3}}) {
        Owned image(cvLoadImage(Path(c.file).c_str(), c.iscolor));
        ASSERT_NE(image.image, nullptr) << c.file << " " << c.iscolor;
        EXPECT_EQ(image.image->nChannels, c.channels) << c.file << " " << c.iscolor;
        EXPECT_EQ(image.image->nSize, int(sizeof(IplImage)));
        EXPECT_EQ(image.image->depth, IPL_DEPTH_8U);
        EXPECT_EQ(image.image->origin, IPL_ORIGIN_TL);
        EXPECT_EQ(image.image->widthStep % 4, 0);
        EXPECT_EQ(image.image->width, 13);
        EXPECT_EQ(image.image->height, 5);
    }
    Owned alpha(cvLoadImage(Path("alpha.png").c_str(), -1));
    EXPECT_EQ(PixelAt(alpha.image, 12, 4), cv::Vec4b(12, 4, 16, 243));
}

TEST_F(ShimFiles, LoadImageGivesNullForMissingOrBrokenFiles) {
    EXPECT_EQ(cvLoadImage(Path("none.png").c_str(), 1), nullptr);
    EXPECT_EQ(cvLoadImage("", 1), nullptr);
    EXPECT_EQ(cvLoadImage(nullptr, 1), nullptr);
    FILE* f = std::fopen(Path("junk.jpg").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("\xFF\xD8\xFF junk", f);
    std::fclose(f);
    EXPECT_EQ(cvLoadImage(Path("junk.jpg").c_str(), 1), nullptr);
}

TEST_F(ShimFiles, SaveImageWritesTheRegionUpright) {
    const cv::Mat pattern = Pattern(20, 10);
    IplImage header = cvIplImage(pattern);
    cvSetImageROI(&header, cvRect(4, 2, 6, 5));
    EXPECT_NE(cvSaveImage(Path("part.png").c_str(), &header), 0);
    const cv::Mat part = cv::imread(Path("part.png"), cv::IMREAD_UNCHANGED);
    EXPECT_EQ(cv::norm(part, pattern(cv::Rect(4, 2, 6, 5)), cv::NORM_INF), 0.0);

    cvResetImageROI(&header);
    header.origin = IPL_ORIGIN_BL;
    EXPECT_NE(cvSaveImage(Path("up.png").c_str(), &header), 0);
    cv::Mat flipped;
    cv::flip(pattern, flipped, 0);
    EXPECT_EQ(cv::norm(cv::imread(Path("up.png"), cv::IMREAD_UNCHANGED), flipped, cv::NORM_INF),
              0.0);

    const int params[] = {cv::IMWRITE_JPEG_QUALITY, 50, 0};
    EXPECT_NE(cvSaveImage(Path("q.jpg").c_str(), &header, params), 0);
    EXPECT_TRUE(std::filesystem::exists(Path("q.jpg")));
}

// The rest of the C interface the system uses is OpenCV's own; these must link and work.
TEST(OpenCvCInterface, RemainingCallsExist) {
    cv::Mat frame = cv::Mat::zeros(cv::Size(200, 60), CV_8UC3);
    IplImage header = cvIplImage(frame);
    EXPECT_EQ(header.nSize, int(sizeof(IplImage)));
    EXPECT_EQ(header.imageData, reinterpret_cast<char*>(frame.data));
    EXPECT_EQ(cvGetSize(&header).width, 200);
    cvSetImageROI(&header, cvRect(1, 2, 3, 4));
    EXPECT_EQ(cvGetImageROI(&header).height, 4);
    EXPECT_EQ(cvGetSize(&header).width, 3);
    cvResetImageROI(&header);

    CvFont font;
    cvInitFont(&font, CV_FONT_HERSHEY_COMPLEX, 0.5, 1.0, 0.0, 1, 8);
    cvPutText(&header, "No Input Signal", cvPoint(10, 30), &font, cvScalar(0, 255, 0, 0));
    EXPECT_GT(cv::countNonZero(frame.reshape(1)), 0);
    cv::Mat blue, red;
    cv::extractChannel(frame, blue, 0);
    cv::extractChannel(frame, red, 2);
    EXPECT_EQ(cv::countNonZero(blue) + cv::countNonZero(red), 0); // green only

    Owned image = Make(3, 3, 3);
    cvSet(image.image, cvScalar(1, 2, 3, 4), nullptr);
    EXPECT_EQ(PixelAt(image.image, 2, 2), cv::Vec4b(1, 2, 3, 0));
    void (*show)(const char*, const CvArr*) = &cvShowImage;
    EXPECT_NE(show, nullptr);
}

} // namespace
