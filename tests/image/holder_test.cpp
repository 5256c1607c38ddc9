// The holder's buffer (limits, reuse, copies and their conversions), files and colour fills.

#include <climits>
#include <cstring>
#include <fstream>

#include "memory_dc.h"
#include "platform/cvshim/picture_codecs.h"

using namespace image_test;

namespace {

int BitsOf(const CCvvImage& holder) {
    return holder.Image() == nullptr ? 0 : holder.Image()->nChannels * 8;
}

TEST(CreateBuffer, LimitsAlignmentRefusalsAndReuse) {
    CCvvImage holder;
    EXPECT_TRUE(holder.CreateBuffer(9999, 1, 24, 0));
    EXPECT_TRUE(holder.CreateBuffer(1, 9999, 32, 1));
    ASSERT_TRUE(holder.CreateBuffer(5, 3, 24, 0));
    EXPECT_EQ(holder.Image()->widthStep, 16); // bitmap rows are 4-byte aligned
    ASSERT_TRUE(holder.CreateBuffer(5, 3, 8, 1));
    EXPECT_EQ(holder.Image()->widthStep, 8);

    IplImage* held = holder.Image();
    std::memset(held->imageData, 0x5A, held->imageSize);
    const int refused[][4] = {{10000, 4, 24, 0}, {4, 10000, 24, 0}, {-1, 4, 24, 0},
                              {4, -1, 24, 0},    {4, 4, 16, 0},     {4, 4, 0, 0},
                              {4, 4, 24, 2},     {4, 4, 24, -1},    {INT_MIN, 4, 24, 0}};
    for (const auto& r : refused)
        EXPECT_FALSE(holder.CreateBuffer(r[0], r[1], r[2], r[3])) << r[0] << " " << r[2];
    ASSERT_EQ(holder.Image(), held);
    EXPECT_EQ(held->origin, 1);
    EXPECT_EQ(held->imageData[held->imageSize - 1], 0x5A);

    // Same size and bits keep the image and its pixels; only the origin is rewritten.
    ASSERT_TRUE(holder.CreateBuffer(5, 3, 8, 0));
    EXPECT_EQ(holder.Image(), held);
    EXPECT_EQ(held->origin, 0);
    EXPECT_EQ(held->imageData[0], 0x5A);
    ASSERT_TRUE(holder.CreateBuffer(9, 6, 32, 0));
    EXPECT_EQ(BitsOf(holder), 32);
    EXPECT_EQ(Held(holder).size(), cv::Size(9, 6));
    holder.ReleaseBuffer();
    holder.ReleaseBuffer();
    EXPECT_EQ(holder.Image(), nullptr);
}

TEST(CopyFromImage, BitsPerPixelByDesiredColorAndChannels) {
    // {desiredColor, source channels, resulting bits; 0: refused, the held image untouched}
    const int table[][3] = {{-1, 1, 8}, {-1, 2, 0}, {-1, 3, 24}, {-1, 4, 32}, {0, 1, 8},
                            {0, 2, 8},  {0, 3, 8},  {0, 4, 8},   {1, 1, 24},  {1, 2, 0},
                            {1, 3, 24}, {1, 4, 32}, {-7, 3, 24}, {9, 1, 24}};
    for (const auto& c : table) {
        SCOPED_TRACE(testing::Message() << "desiredColor " << c[0] << ", " << c[1] << " channels");
        CCvvImage holder;
        ASSERT_TRUE(holder.CreateBuffer(3, 3, 8, 0));
        holder.Image()->imageData[0] = 42;
        if (c[1] == 2 && c[2] != 0) // made, but two channels have no conversion to grey
            EXPECT_THROW(Fill(holder, Pattern(20, 10, 2), c[0]), cv::Exception);
        else
            Fill(holder, Pattern(20, 10, c[1]), c[0]);
        EXPECT_EQ(BitsOf(holder), c[2] == 0 ? 8 : c[2]);
        EXPECT_EQ(Held(holder).size(), c[2] == 0 ? cv::Size(3, 3) : cv::Size(20, 10));
        EXPECT_TRUE(c[2] != 0 || holder.Image()->imageData[0] == 42);
    }
}

TEST(CopyFromImage, IgnoresInvalidSourcesAndTakesZeroSizes) {
    CCvvImage holder, empty;
    ASSERT_TRUE(holder.CreateBuffer(3, 3, 24, 0));
    IplImage* before = holder.Image();
    holder.CopyFromImage(nullptr, -1);
    holder.CopyFromHolder(empty, -1);
    const cv::Mat picture = Pattern(10, 10);
    IplImage header = cvIplImage(picture);
    header.nSize = 112; // a 32-bit build's header size, not ours
    holder.CopyFromImage(&header, -1);
    header = cvIplImage(picture);
    header.imageData = nullptr;
    holder.CopyFromImage(&header, -1);
    EXPECT_EQ(holder.Image(), before);
    EXPECT_EQ(Held(holder).size(), cv::Size(3, 3));

    CCvvImage zero; // a zero-size image can be held, filled and copied
    ASSERT_TRUE(zero.CreateBuffer(0, 10, 24, 0));
    zero.FillWithColor(0x123456);
    empty.FillWithColor(0x123456);
    zero.CopyFromImage(zero.Image(), 0);
    EXPECT_EQ(BitsOf(zero), 8);
    EXPECT_EQ(empty.Image(), nullptr);
}

TEST(CopyFromImage, FromItsOwnPixelsReadsNoFreedImage) {
    CCvvImage holder;
    const cv::Mat pattern = Pattern(16, 9);
    Fill(holder, pattern);
    IplImage* held = holder.Image();
    holder.CopyFromImage(held, -1);
    EXPECT_EQ(holder.Image(), held);
    EXPECT_TRUE(Same(Held(holder), pattern));

    Fill(holder, Uniform(16, 9, 0x00FF0000)); // red
    holder.CopyFromImage(holder.Image(), 0);
    EXPECT_TRUE(Same(Held(holder), Uniform(16, 9, 0x004C4C4C, 1))); // BT.601 luma of red
    holder.CopyFromHolder(holder, 1);
    EXPECT_TRUE(Same(Held(holder), Uniform(16, 9, 0x004C4C4C)));

    // A header of its own over part of the held pixels.
    Fill(holder, Pattern(8, 8));
    cv::Mat over = cv::cvarrToMat(holder.Image());
    IplImage header = cvIplImage(over);
    cvSetImageROI(&header, cvRect(2, 2, 4, 3));
    holder.CopyFromImage(&header, -1);
    EXPECT_TRUE(Same(Held(holder), Pattern(8, 8)(cv::Rect(2, 2, 4, 3))));
}

TEST(FillWithColor, TakesTheColourBytesLeastSignificantFirst) {
    const uchar expected[] = {10, 20, 30, 200}; // 200: the int is negative
    for (int channels : {1, 3, 4}) {
        CCvvImage holder;
        ASSERT_TRUE(holder.CreateBuffer(7, 5, channels * 8, 0));
        holder.FillWithColor(int(0xC81E140Au));
        EXPECT_EQ(std::memcmp(Held(holder).ptr(4, 6), expected, channels), 0) << channels;
    }
}

class PictureFiles : public testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(platform::WritePngFile(Path("picture.png"), m_picture)); }
    const cv::Mat m_picture = Pattern(100, 80);
};

// The file's channels as desiredColor asks: as they are (-1), grey (0) or colour (1).
TEST_F(PictureFiles, LoadChoosesChannelsByDesiredColor) {
    ASSERT_TRUE(platform::WritePngFile(Path("grey.png"), Pattern(13, 5, 1)));
    ASSERT_TRUE(platform::WritePngFile(Path("alpha.png"), Pattern(13, 5, 4)));
    const struct {
        const char* file;
        int desiredColor, bits;
    } cases[] = {{"grey.png", -1, 8},   {"grey.png", 0, 8},  {"grey.png", 1, 24},
                 {"alpha.png", -1, 32}, {"alpha.png", 0, 8}, {"alpha.png", 1, 24}};
    CCvvImage holder;
    for (const auto& c : cases) {
        ASSERT_TRUE(holder.LoadFromFile(Path(c.file).c_str(), c.desiredColor)) << c.file;
        EXPECT_EQ(BitsOf(holder), c.bits) << c.file << " " << c.desiredColor;
    }
    ASSERT_TRUE(holder.LoadFromFile(Path("alpha.png").c_str(), -1));
    EXPECT_TRUE(Same(Held(holder), Pattern(13, 5, 4)));
}

TEST_F(PictureFiles, LoadRegionClampsToThePicture) {
    const CvRect cases[][2] = {
        {cvRect(0, 0, 0, 5), cvRect(0, 0, 100, 80)}, // a zero side means the whole picture
        {cvRect(7, 9, 5, 0), cvRect(0, 0, 100, 80)},
        {cvRect(-10, -10, 50, 50), cvRect(0, 0, 40, 40)},
        {cvRect(90, 70, 50, 50), cvRect(90, 70, 10, 10)},
        {cvRect(20, 30, 10, 5), cvRect(20, 30, 10, 5)},
        {cvRect(-5, 10, 200, 3), cvRect(0, 10, 100, 3)},
        {cvRect(99, 79, INT_MAX, INT_MAX), cvRect(99, 79, 1, 1)},
    };
    CCvvImage holder;
    for (const auto& c : cases) {
        ASSERT_TRUE(holder.LoadRegionFromFile(Path("picture.png").c_str(), -1, c[0]));
        EXPECT_TRUE(Same(Held(holder), m_picture(cv::Rect(c[1])))) << "case " << &c - cases;
    }
    // A RECT gives edges.
    ASSERT_TRUE(holder.LoadRegionFromFile(Path("picture.png").c_str(), 1, RECT{10, 20, 30, 25}));
    EXPECT_TRUE(Same(Held(holder), m_picture(cv::Rect(10, 20, 20, 5))));
}

TEST_F(PictureFiles, RefusedLoadsLeaveTheHolderAsItWas) {
    CCvvImage holder;
    Fill(holder, Pattern(3, 3));
    IplImage* before = holder.Image();
    const std::string file = Path("picture.png"), broken = Path("broken.png");
    std::ofstream(broken) << "\x89PNG not really";
    const CvRect outside[] = {
        cvRect(101, 0, 5, 5),     cvRect(0, 81, 5, 5), cvRect(-20, 0, 10, 5),
        cvRect(0, -20, 5, 10),    cvRect(0, 0, -1, 5), cvRect(0, 0, 5, -1),
        cvRect(100, 0, 5, 5),     cvRect(0, 80, 5, 5), cvRect(-10, 0, 10, 5),
        cvRect(INT_MAX, 0, 5, 5),
    };
    for (const CvRect& r : outside)
        EXPECT_FALSE(holder.LoadRegionFromFile(file.c_str(), -1, r)) << &r - outside;
    EXPECT_FALSE(holder.LoadRegionFromFile(file.c_str(), 1, RECT{30, 20, 10, 25}));
    EXPECT_FALSE(holder.LoadRegionFromFile(file.c_str(), 1, RECT{10, 25, 30, 20}));
    EXPECT_FALSE(holder.LoadRegionFromFile(file.c_str(), 1, RECT{INT_MAX, 0, INT_MIN, 5}));
    EXPECT_FALSE(holder.LoadRegionFromFile(broken.c_str(), -1, cvRect(0, 0, 5, 5)));
    EXPECT_FALSE(holder.LoadRegionFromFile(Path("missing.png").c_str(), -1, cvRect(0, 0, 1, 1)));
    EXPECT_FALSE(holder.LoadFromFile(Path("missing.png").c_str(), -1));
    EXPECT_FALSE(holder.LoadFromFile(broken.c_str(), -1));
    EXPECT_FALSE(holder.LoadFromFile("", -1));
    EXPECT_FALSE(holder.LoadFromFile(nullptr, -1));
    EXPECT_FALSE(CCvvImage().SaveToFile(Path("empty.png").c_str())); // nothing to save
    EXPECT_EQ(holder.Image(), before);
    EXPECT_EQ(Held(holder).size(), cv::Size(3, 3));
}

} // namespace
