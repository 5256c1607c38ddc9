// Loading pictures whole or in part, saving, and filling with one colour.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <opencv2/imgcodecs.hpp>

#include "image/CvvImage.h"
#include "memory_dc.h"

using image_test::Fill;
using image_test::Pattern;
using image_test::Uniform;

namespace {

class PictureFiles : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "cvvimage-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_dir = pattern;
        m_picture = Pattern(100, 80);
        ASSERT_TRUE(cv::imwrite(Path("picture.png"), m_picture));
        ASSERT_TRUE(cv::imwrite(Path("grey.png"), Pattern(30, 20, 1)));
        ASSERT_TRUE(cv::imwrite(Path("alpha.png"), Pattern(30, 20, 4)));
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string Path(const char* name) const { return (m_dir / name).string(); }

    // The held image's pixel (x, y) equals the picture's (px, py).
    void ExpectPixel(const CCvvImage& holder, int x, int y, int px, int py) const {
        const IplImage* held = holder.Image();
        const uchar* p = reinterpret_cast<const uchar*>(held->imageData) + y * held->widthStep;
        const uchar* q = m_picture.ptr(py);
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(p[x * 3 + c], q[px * 3 + c]) << "at " << x << "," << y << " channel " << c;
    }

    std::filesystem::path m_dir;
    cv::Mat m_picture;
};

TEST_F(PictureFiles, LoadFromFileCopiesTheWholePicture) {
    CCvvImage holder;
    ASSERT_TRUE(holder.LoadFromFile(Path("picture.png").c_str(), -1));
    ASSERT_NE(holder.Image(), nullptr);
    EXPECT_EQ(holder.Image()->width, 100);
    EXPECT_EQ(holder.Image()->height, 80);
    EXPECT_EQ(holder.Image()->nChannels, 3);
    ExpectPixel(holder, 99, 79, 99, 79);
}

TEST_F(PictureFiles, LoadFromFileFollowsDesiredColor) {
    CCvvImage holder;
    ASSERT_TRUE(holder.LoadFromFile(Path("picture.png").c_str(), 0));
    EXPECT_EQ(holder.Image()->nChannels, 1);
    ASSERT_TRUE(holder.LoadFromFile(Path("grey.png").c_str(), 1));
    EXPECT_EQ(holder.Image()->nChannels, 3);
    ASSERT_TRUE(holder.LoadFromFile(Path("grey.png").c_str(), -1));
    EXPECT_EQ(holder.Image()->nChannels, 1);
    ASSERT_TRUE(holder.LoadFromFile(Path("alpha.png").c_str(), -1));
    EXPECT_EQ(holder.Image()->nChannels, 4);
}

TEST_F(PictureFiles, MissingOrBrokenFilesLeaveTheHolderAsItWas) {
    CCvvImage holder;
    Fill(holder, Pattern(5, 5));
    IplImage* before = holder.Image();
    EXPECT_FALSE(holder.LoadFromFile(Path("missing.png").c_str(), -1));
    EXPECT_EQ(holder.Image(), before);

    const std::string broken = Path("broken.png");
    FILE* f = std::fopen(broken.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fputs("\x89PNG not really", f);
    std::fclose(f);
    EXPECT_FALSE(holder.LoadFromFile(broken.c_str(), -1));
    EXPECT_FALSE(holder.LoadRegionFromFile(broken.c_str(), -1, cvRect(0, 0, 5, 5)));
    EXPECT_FALSE(holder.LoadFromFile("", -1));
    EXPECT_EQ(holder.Image(), before);
    EXPECT_EQ(holder.Image()->width, 5);
}

TEST_F(PictureFiles, LoadRegionClampsToThePicture) {
    struct Case {
        CvRect region;
        CvRect copied;
    };
    const Case cases[] = {
        {cvRect(0, 0, 0, 5), cvRect(0, 0, 100, 80)}, // a zero side means the whole picture
        {cvRect(7, 9, 5, 0), cvRect(0, 0, 100, 80)}, // both sides replaced, and x, y too
        {cvRect(-10, -10, 50, 50), cvRect(0, 0, 40, 40)},
        {cvRect(90, 70, 50, 50), cvRect(90, 70, 10, 10)},
        {cvRect(20, 30, 10, 5), cvRect(20, 30, 10, 5)},
        {cvRect(-5, 10, 200, 3), cvRect(0, 10, 100, 3)},
        {cvRect(99, 79, INT_MAX, INT_MAX), cvRect(99, 79, 1, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "region " << c.region.x << "," << c.region.y << " "
                                        << c.region.width << "x" << c.region.height);
        CCvvImage holder;
        ASSERT_TRUE(holder.LoadRegionFromFile(Path("picture.png").c_str(), -1, c.region));
        ASSERT_NE(holder.Image(), nullptr);
        EXPECT_EQ(holder.Image()->width, c.copied.width);
        EXPECT_EQ(holder.Image()->height, c.copied.height);
        ExpectPixel(holder, 0, 0, c.copied.x, c.copied.y);
        ExpectPixel(holder, c.copied.width - 1, c.copied.height - 1,
                    c.copied.x + c.copied.width - 1, c.copied.y + c.copied.height - 1);
    }
}

TEST_F(PictureFiles, LoadRegionRefusesRegionsOutsideThePicture) {
    const CvRect refused[] = {
        cvRect(101, 0, 5, 5),     cvRect(0, 81, 5, 5), cvRect(-20, 0, 10, 5),
        cvRect(0, -20, 5, 10),    cvRect(0, 0, -1, 5), cvRect(0, 0, 5, -1),
        cvRect(100, 0, 5, 5),     cvRect(0, 80, 5, 5), cvRect(-10, 0, 10, 5),
        cvRect(INT_MAX, 0, 5, 5),
    };
    for (const CvRect& r : refused) {
        CCvvImage holder;
        Fill(holder, Pattern(3, 3));
        IplImage* before = holder.Image();
        EXPECT_FALSE(holder.LoadRegionFromFile(Path("picture.png").c_str(), -1, r))
            << r.x << "," << r.y << " " << r.width << "x" << r.height;
        EXPECT_EQ(holder.Image(), before);
        EXPECT_EQ(holder.Image()->width, 3);
    }
    CCvvImage holder;
    EXPECT_FALSE(holder.LoadRegionFromFile(Path("missing.png").c_str(), -1, cvRect(0, 0, 1, 1)));
}

TEST_F(PictureFiles, LoadRegionTakesARectAsEdges) {
    CCvvImage holder;
    ASSERT_TRUE(holder.LoadRegionFromFile(Path("picture.png").c_str(), 1, RECT{10, 20, 30, 25}));
    EXPECT_EQ(holder.Image()->width, 20);
    EXPECT_EQ(holder.Image()->height, 5);
    ExpectPixel(holder, 0, 0, 10, 20);

    EXPECT_FALSE(holder.LoadRegionFromFile(Path("picture.png").c_str(), 1, RECT{30, 20, 10, 25}));
    EXPECT_FALSE(holder.LoadRegionFromFile(Path("picture.png").c_str(), 1, RECT{10, 25, 30, 20}));
    EXPECT_FALSE(
        holder.LoadRegionFromFile(Path("picture.png").c_str(), 1, RECT{INT_MAX, 0, INT_MIN, 5}));
    EXPECT_EQ(holder.Image()->width, 20);
}

TEST_F(PictureFiles, LoadRegionGoesThroughTheCvRectForm) {
    struct Recording : CCvvImage {
        using CCvvImage::LoadRegionFromFile;
        CvRect seen{};
        bool LoadRegionFromFile(const char*, int, CvRect region) override {
            seen = region;
            return true;
        }
    } holder;
    EXPECT_TRUE(holder.LoadRegionFromFile("any", 0, RECT{5, 6, 2, 10}));
    EXPECT_EQ(holder.seen.x, 5);
    EXPECT_EQ(holder.seen.y, 6);
    EXPECT_EQ(holder.seen.width, -3);
    EXPECT_EQ(holder.seen.height, 4);
}

TEST_F(PictureFiles, SaveToFileRoundTrips) {
    CCvvImage holder;
    Fill(holder, m_picture);
    ASSERT_TRUE(holder.SaveToFile(Path("saved.png").c_str()));
    const cv::Mat back = cv::imread(Path("saved.png"), cv::IMREAD_UNCHANGED);
    ASSERT_FALSE(back.empty());
    EXPECT_EQ(cv::norm(back, m_picture, cv::NORM_INF), 0.0);

    CCvvImage empty;
    EXPECT_FALSE(empty.SaveToFile(Path("empty.png").c_str()));
    EXPECT_FALSE(std::filesystem::exists(Path("empty.png")));
}

TEST(FillWithColor, TakesTheColourBytesLeastSignificantFirst) {
    const int colour = 10 | 20 << 8 | 30 << 16 | 40 << 24;
    for (int channels : {1, 3, 4}) {
        CCvvImage holder;
        ASSERT_TRUE(holder.CreateBuffer(7, 5, channels * 8, 0));
        holder.FillWithColor(colour);
        const IplImage* held = holder.Image();
        const uchar* last =
            reinterpret_cast<const uchar*>(held->imageData) + 4 * held->widthStep + 6 * channels;
        const uchar expected[] = {10, 20, 30, 40};
        for (int c = 0; c < channels; ++c)
            EXPECT_EQ(last[c], expected[c]) << channels << " channels, channel " << c;
    }
}

TEST(FillWithColor, HighBytesAreUnsigned) {
    CCvvImage holder;
    ASSERT_TRUE(holder.CreateBuffer(2, 2, 32, 0));
    holder.FillWithColor(-1);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(uchar(holder.Image()->imageData[i]), 255);
}

TEST(FillWithColor, OnAnEmptyHolderDoesNothing) {
    CCvvImage holder;
    holder.FillWithColor(0x123456);
    EXPECT_EQ(holder.Image(), nullptr);
    holder.ShowInWindow("unused");
}

} // namespace
