// The holder's buffer: size and format limits, reuse, copies and their conversions.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "image/CvvImage.h"
#include "memory_dc.h"

using image_test::Fill;
using image_test::Pattern;
using image_test::Uniform;

namespace {

int BitsOf(const CCvvImage& holder) {
    return holder.Image() == nullptr ? 0 : holder.Image()->nChannels * 8;
}

TEST(CreateBuffer, AcceptsSizesUpTo9999AndTheThreeBitCounts) {
    CCvvImage holder;
    EXPECT_TRUE(holder.CreateBuffer(9999, 1, 24, 0));
    EXPECT_TRUE(holder.CreateBuffer(1, 9999, 8, 1));
    EXPECT_TRUE(holder.CreateBuffer(3, 2, 32, 0));
    ASSERT_NE(holder.Image(), nullptr);
    EXPECT_EQ(holder.Image()->depth, IPL_DEPTH_8U);
    EXPECT_EQ(holder.Image()->nChannels, 4);
    EXPECT_EQ(holder.Image()->width, 3);
    EXPECT_EQ(holder.Image()->height, 2);
}

TEST(CreateBuffer, RowsAreAlignedAsABitmapNeedsThem) {
    CCvvImage holder;
    ASSERT_TRUE(holder.CreateBuffer(5, 3, 24, 0));
    EXPECT_EQ(holder.Image()->widthStep, 16);
    ASSERT_TRUE(holder.CreateBuffer(5, 3, 8, 0));
    EXPECT_EQ(holder.Image()->widthStep, 8);
}

TEST(CreateBuffer, RefusalsLeaveTheHeldImageUntouched) {
    CCvvImage holder;
    ASSERT_TRUE(holder.CreateBuffer(4, 4, 24, 1));
    IplImage* held = holder.Image();
    std::memset(held->imageData, 0x5A, held->imageSize);

    const int refused[][4] = {{10000, 4, 24, 0}, {4, 10000, 24, 0}, {-1, 4, 24, 0},
                              {4, -1, 24, 0},    {4, 4, 16, 0},     {4, 4, 0, 0},
                              {4, 4, 24, 2},     {4, 4, 24, -1},    {INT_MIN, 4, 24, 0}};
    for (const auto& r : refused) {
        EXPECT_FALSE(holder.CreateBuffer(r[0], r[1], r[2], r[3]))
            << r[0] << " " << r[1] << " " << r[2] << " " << r[3];
        ASSERT_EQ(holder.Image(), held);
        EXPECT_EQ(held->origin, 1);
        EXPECT_EQ(uchar(held->imageData[held->imageSize - 1]), 0x5A);
    }
}

TEST(CreateBuffer, RefusedOnAnEmptyHolderStaysEmpty) {
    CCvvImage holder;
    EXPECT_FALSE(holder.CreateBuffer(10, 10, 16, 0));
    EXPECT_EQ(holder.Image(), nullptr);
}

TEST(CreateBuffer, SameSizeAndBitsKeepsTheImageAndOnlyRewritesTheOrigin) {
    CCvvImage holder;
    ASSERT_TRUE(holder.CreateBuffer(8, 6, 24, 0));
    IplImage* held = holder.Image();
    held->imageData[0] = 77;
    ASSERT_TRUE(holder.CreateBuffer(8, 6, 24, 1));
    EXPECT_EQ(holder.Image(), held);
    EXPECT_EQ(held->origin, 1);
    EXPECT_EQ(held->imageData[0], 77);
    ASSERT_TRUE(holder.CreateBuffer(8, 6, 24, 0));
    EXPECT_EQ(held->origin, 0);
}

TEST(CreateBuffer, AnotherSizeOrFormatGivesAFreshImage) {
    CCvvImage holder;
    ASSERT_TRUE(holder.CreateBuffer(8, 6, 24, 0));
    ASSERT_TRUE(holder.CreateBuffer(8, 6, 32, 0));
    EXPECT_EQ(holder.Image()->nChannels, 4);
    ASSERT_TRUE(holder.CreateBuffer(9, 6, 32, 0));
    EXPECT_EQ(holder.Image()->width, 9);
    ASSERT_TRUE(holder.CreateBuffer(9, 7, 32, 0));
    EXPECT_EQ(holder.Image()->height, 7);
}

TEST(ReleaseBuffer, EmptiesAndIsHarmlessTwice) {
    CCvvImage holder;
    holder.ReleaseBuffer();
    ASSERT_TRUE(holder.CreateBuffer(2, 2, 8, 0));
    holder.ReleaseBuffer();
    EXPECT_EQ(holder.Image(), nullptr);
    holder.ReleaseBuffer();
    EXPECT_EQ(holder.Image(), nullptr);
}

// desiredColor x source channels -> resulting bits per pixel (0: refused, nothing copied).
struct CopyCase {
    int desiredColor;
    int channels;
    int bits;
};

void PrintTo(const CopyCase& c, std::ostream* os) {
    *os << "desiredColor " << c.desiredColor << ", " << c.channels << " channels";
}

class CopyFromImageTable : public testing::TestWithParam<CopyCase> {};

TEST_P(CopyFromImageTable, GivesTheListedBitsPerPixel) {
    const CopyCase c = GetParam();
    CCvvImage holder;
    ASSERT_TRUE(holder.CreateBuffer(3, 3, 8, 0));
    IplImage* before = holder.Image();
    before->imageData[0] = 42;

    if (c.channels == 2 && c.bits != 0) {
        // The buffer is made, but two channels have no conversion to grey: OpenCV's error
        // reaches the caller.
        EXPECT_THROW(Fill(holder, Pattern(20, 10, c.channels), c.desiredColor), cv::Exception);
    } else {
        Fill(holder, Pattern(20, 10, c.channels), c.desiredColor);
    }
    if (c.bits == 0) {
        EXPECT_EQ(holder.Image(), before);
        EXPECT_EQ(holder.Image()->width, 3);
        EXPECT_EQ(holder.Image()->imageData[0], 42);
        return;
    }
    EXPECT_EQ(BitsOf(holder), c.bits);
    EXPECT_EQ(holder.Image()->width, 20);
    EXPECT_EQ(holder.Image()->height, 10);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, CopyFromImageTable,
                         testing::Values(CopyCase{-1, 1, 8}, CopyCase{-1, 2, 0},
                                         CopyCase{-1, 3, 24}, CopyCase{-1, 4, 32},
                                         CopyCase{0, 1, 8}, CopyCase{0, 2, 8}, CopyCase{0, 3, 8},
                                         CopyCase{0, 4, 8}, CopyCase{1, 1, 24}, CopyCase{1, 2, 0},
                                         CopyCase{1, 3, 24}, CopyCase{1, 4, 32},
                                         CopyCase{-7, 3, 24}, CopyCase{9, 1, 24}));

TEST(CopyFromImage, ConvertsThePixels) {
    CCvvImage holder;
    const cv::Mat bgr = Uniform(4, 2, 0x00FF0000); // pure red
    Fill(holder, bgr, 0);
    ASSERT_EQ(BitsOf(holder), 8);
    EXPECT_EQ(uchar(holder.Image()->imageData[0]), 76); // BT.601 luma of red

    const cv::Mat grey = Uniform(4, 2, 0x00808080, 1);
    Fill(holder, grey, 1);
    ASSERT_EQ(BitsOf(holder), 24);
    const uchar* p = reinterpret_cast<const uchar*>(holder.Image()->imageData);
    EXPECT_EQ(p[0], 128);
    EXPECT_EQ(p[1], 128);
    EXPECT_EQ(p[2], 128);

    // Colour kept as it is: blue stays first, no swap, no flip.
    const cv::Mat pattern = Pattern(6, 5);
    Fill(holder, pattern, -1);
    ASSERT_EQ(BitsOf(holder), 24);
    for (int y = 0; y < 5; ++y)
        EXPECT_EQ(std::memcmp(holder.Image()->imageData + y * holder.Image()->widthStep,
                              pattern.ptr(y), 6 * 3),
                  0)
            << "row " << y;
}

TEST(CopyFromImage, CopiesJustTheRegionOfInterest) {
    const cv::Mat picture = Pattern(120, 90);
    IplImage header = cvIplImage(picture);
    cvSetImageROI(&header, cvRect(30, 20, 50, 40));
    CCvvImage holder;
    holder.CopyFromImage(&header, -1);
    ASSERT_NE(holder.Image(), nullptr);
    EXPECT_EQ(holder.Image()->width, 50);
    EXPECT_EQ(holder.Image()->height, 40);
    EXPECT_EQ(holder.Image()->roi, nullptr);
    for (int y = 0; y < 40; y += 13)
        EXPECT_EQ(std::memcmp(holder.Image()->imageData + y * holder.Image()->widthStep,
                              picture.ptr(20 + y) + 30 * 3, 50 * 3),
                  0);
    cvResetImageROI(&header);
}

TEST(CopyFromImage, TakesTheSourceOrigin) {
    const cv::Mat picture = Pattern(8, 8);
    IplImage header = cvIplImage(picture);
    header.origin = IPL_ORIGIN_BL;
    CCvvImage holder;
    holder.CopyFromImage(&header, -1);
    ASSERT_NE(holder.Image(), nullptr);
    EXPECT_EQ(holder.Image()->origin, 1);
    // The rows are not flipped: a bottom-up source stays bottom-up.
    EXPECT_EQ(std::memcmp(holder.Image()->imageData, picture.ptr(0), 8 * 3), 0);
}

TEST(CopyFromImage, IgnoresInvalidSources) {
    CCvvImage holder;
    ASSERT_TRUE(holder.CreateBuffer(3, 3, 24, 0));
    IplImage* before = holder.Image();
    holder.CopyFromImage(nullptr, -1);
    EXPECT_EQ(holder.Image(), before);

    const cv::Mat picture = Pattern(10, 10);
    IplImage header = cvIplImage(picture);
    header.nSize = 112; // a 32-bit build's header size, not ours
    holder.CopyFromImage(&header, -1);
    EXPECT_EQ(holder.Image(), before);
    EXPECT_EQ(holder.Image()->width, 3);

    IplImage noPixels = cvIplImage(picture);
    noPixels.imageData = nullptr;
    holder.CopyFromImage(&noPixels, -1);
    EXPECT_EQ(holder.Image()->width, 3);

    CCvvImage empty;
    empty.CopyFromImage(nullptr, -1);
    EXPECT_EQ(empty.Image(), nullptr);
}

TEST(CopyFromImage, RefusedSizesKeepTheHeldImage) {
    CCvvImage holder;
    Fill(holder, Pattern(4, 4));
    IplImage* before = holder.Image();
    Fill(holder, Uniform(10000, 1, 0));
    EXPECT_EQ(holder.Image(), before);
    EXPECT_EQ(holder.Image()->width, 4);
}

TEST(CopyFromImage, IntoItselfInAnotherFormatReadsNoFreedImage) {
    CCvvImage holder;
    Fill(holder, Uniform(16, 9, 0x00FF0000));
    holder.CopyFromImage(holder.Image(), 0);
    ASSERT_EQ(BitsOf(holder), 8);
    EXPECT_EQ(holder.Image()->width, 16);
    EXPECT_EQ(uchar(holder.Image()->imageData[0]), 76);

    holder.CopyFromHolder(holder, 1);
    ASSERT_EQ(BitsOf(holder), 24);
    EXPECT_EQ(uchar(holder.Image()->imageData[0]), 76);
}

TEST(CopyFromImage, IntoItselfInTheSameFormatKeepsThePixels) {
    CCvvImage holder;
    const cv::Mat pattern = Pattern(16, 9);
    Fill(holder, pattern);
    IplImage* held = holder.Image();
    holder.CopyFromImage(held, -1);
    EXPECT_EQ(holder.Image(), held);
    EXPECT_EQ(std::memcmp(holder.Image()->imageData + 8 * held->widthStep, pattern.ptr(8), 48), 0);
}

TEST(CopyFromImage, FromAHeaderOverTheHeldPixels) {
    CCvvImage holder;
    Fill(holder, Uniform(8, 8, 0x00FF0000));
    cv::Mat over = cv::cvarrToMat(holder.Image());
    IplImage header = cvIplImage(over);
    cvSetImageROI(&header, cvRect(2, 2, 4, 3));
    holder.CopyFromImage(&header, 0);
    ASSERT_EQ(BitsOf(holder), 8);
    EXPECT_EQ(holder.Image()->width, 4);
    EXPECT_EQ(holder.Image()->height, 3);
    EXPECT_EQ(uchar(holder.Image()->imageData[0]), 76);
    cvResetImageROI(&header);
}

TEST(CopyFromHolder, CopiesAnotherHoldersImage) {
    CCvvImage source, target;
    target.CopyFromHolder(source, -1);
    EXPECT_EQ(target.Image(), nullptr);
    Fill(source, Pattern(7, 3));
    target.CopyFromHolder(source, 0);
    ASSERT_NE(target.Image(), nullptr);
    EXPECT_NE(target.Image(), source.Image());
    EXPECT_EQ(BitsOf(target), 8);
    EXPECT_EQ(target.Image()->width, 7);
}

TEST(ZeroSizeImage, CanBeHeldCopiedAndFilled) {
    CCvvImage holder;
    ASSERT_TRUE(holder.CreateBuffer(0, 10, 24, 0));
    EXPECT_EQ(holder.Image()->width, 0);
    holder.FillWithColor(0x123456);
    holder.CopyFromImage(holder.Image(), 0);
    EXPECT_EQ(BitsOf(holder), 8);
    CCvvImage other;
    other.CopyFromHolder(holder, -1);
    ASSERT_NE(other.Image(), nullptr);
    EXPECT_EQ(other.Image()->width, 0);
    EXPECT_EQ(other.Image()->height, 10);
}

TEST(FillBitmapInfo, TopDownColourImageHasNoColourTable) {
    CvvBitmapInfo block;
    std::memset(&block, 0xAB, sizeof block);
    FillBitmapInfo(reinterpret_cast<BITMAPINFO*>(&block), 640, 480, 24, 0);
    const BITMAPINFOHEADER& h = block.bmiHeader;
    EXPECT_EQ(h.biSize, 40u);
    EXPECT_EQ(h.biWidth, 640);
    EXPECT_EQ(h.biHeight, -480);
    EXPECT_EQ(h.biPlanes, 1);
    EXPECT_EQ(h.biBitCount, 24);
    EXPECT_EQ(h.biCompression, 0u);
    EXPECT_EQ(h.biSizeImage, 0u);
    EXPECT_EQ(h.biXPelsPerMeter, 0);
    EXPECT_EQ(h.biYPelsPerMeter, 0);
    EXPECT_EQ(h.biClrUsed, 0u);
    EXPECT_EQ(h.biClrImportant, 0u);
    const uchar* table = reinterpret_cast<const uchar*>(block.bmiColors);
    for (size_t i = 0; i < sizeof block.bmiColors; ++i)
        ASSERT_EQ(table[i], 0xAB) << i;
}

TEST(FillBitmapInfo, BottomUpGreyImageGetsTheGreyRamp) {
    CvvBitmapInfo block;
    std::memset(&block, 0xAB, sizeof block);
    FillBitmapInfo(reinterpret_cast<BITMAPINFO*>(&block), 320, 480, 8, 1);
    EXPECT_EQ(block.bmiHeader.biHeight, 480);
    EXPECT_EQ(block.bmiHeader.biBitCount, 8);
    for (int i = 0; i < 256; ++i) {
        const RGBQUAD q = block.bmiColors[i];
        ASSERT_TRUE(q.rgbBlue == i && q.rgbGreen == i && q.rgbRed == i && q.rgbReserved == 0) << i;
    }
}

TEST(FillBitmapInfo, HeightSignFollowsTheOriginOnly) {
    CvvBitmapInfo block;
    FillBitmapInfo(reinterpret_cast<BITMAPINFO*>(&block), 10, -20, 32, 0);
    EXPECT_EQ(block.bmiHeader.biHeight, -20);
    FillBitmapInfo(reinterpret_cast<BITMAPINFO*>(&block), 10, -20, 32, 1);
    EXPECT_EQ(block.bmiHeader.biHeight, 20);
    FillBitmapInfo(reinterpret_cast<BITMAPINFO*>(&block), 10, 20, 32, 5);
    EXPECT_EQ(block.bmiHeader.biHeight, 20);
}

// Operations reach one another through the virtual table, so an override changes them.
class RecordingHolder : public CCvvImage {
public:
    std::vector<std::string> log;
    bool CreateBuffer(int w, int h, int bits, int origin) override {
        log.push_back("CreateBuffer " + std::to_string(w) + "x" + std::to_string(h) + " " +
                      std::to_string(bits));
        return CCvvImage::CreateBuffer(w, h, bits, origin);
    }
    void ReleaseBuffer() override {
        log.push_back("ReleaseBuffer");
        CCvvImage::ReleaseBuffer();
    }
    void CopyFromImage(const IplImage* source, int desiredColor) override {
        log.push_back("CopyFromImage " + std::to_string(desiredColor));
        CCvvImage::CopyFromImage(source, desiredColor);
    }
    void BlitAt(HDC, int x, int y, int w, int h, int fromX, int fromY) override {
        log.push_back("BlitAt " + std::to_string(x) + "," + std::to_string(y) + " " +
                      std::to_string(w) + "x" + std::to_string(h) + " from " +
                      std::to_string(fromX) + "," + std::to_string(fromY));
    }
};

TEST(VirtualCalls, CopyCreatesThroughTheOverridesAndCreateReleases) {
    RecordingHolder holder;
    Fill(holder, Pattern(4, 2));
    Fill(holder, Pattern(5, 2), 0);
    const std::vector<std::string> expected = {"CopyFromImage -1", "CreateBuffer 4x2 24",
                                               "CopyFromImage 0", "CreateBuffer 5x2 8",
                                               "ReleaseBuffer"};
    EXPECT_EQ(holder.log, expected);

    CCvvImage other;
    Fill(other, Pattern(3, 3));
    holder.log.clear();
    holder.CopyFromHolder(other, 1);
    EXPECT_EQ(holder.log.front(), "CopyFromImage 1");
}

TEST(VirtualCalls, DrawingsThatFitBlitThroughTheOverride) {
    RecordingHolder holder;
    Fill(holder, Pattern(940, 750));
    holder.log.clear();
    RECT area{0, 0, 1200, 900};
    holder.DrawFittedNoUpscale(nullptr, &area);
    RECT same{10, 20, 950, 770};
    holder.DrawStretched(nullptr, &same);
    const std::vector<std::string> expected = {"BlitAt 130,75 1200x900 from 0,0",
                                               "BlitAt 10,20 940x750 from 0,0"};
    EXPECT_EQ(holder.log, expected);
}

} // namespace
