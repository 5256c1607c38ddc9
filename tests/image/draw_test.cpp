// Fitted, 1:1 and stretched drawing, checked on a memory DC's pixels and by the GDI calls made.
#include <gtest/gtest.h>

#include <vector>

#include "image/CvvImage.h"
#include "memory_dc.h"

using image_test::Fill;
using image_test::GdiRecorder;
using image_test::MemoryDC;
using image_test::Pattern;
using image_test::PatternRGB;
using image_test::Text;
using image_test::Uniform;
using platform::gdi::GdiCall;

namespace {

constexpr uint32_t kBackground = 0x00FF00FF;
constexpr uint32_t kPicture = 0x00336699;

std::vector<long> Args(std::initializer_list<long> values) {
    return values;
}

// Draws a uniform picture of the given size and returns the area it covered.
template <typename Draw>
RECT Covered(int imageW, int imageH, int surfaceW, int surfaceH, Draw draw) {
    CCvvImage holder;
    Fill(holder, Uniform(imageW, imageH, kPicture));
    MemoryDC target(surfaceW, surfaceH, kBackground);
    draw(holder, target.dc());
    return target.changed(kBackground);
}

struct FitCase {
    const char* name;
    bool noUpscale;
    int imageW, imageH;
    RECT area;
    int surfaceW, surfaceH;
    RECT drawn;
};

void PrintTo(const FitCase& c, std::ostream* os) {
    *os << c.name;
}

class FittedExamples : public testing::TestWithParam<FitCase> {};

TEST_P(FittedExamples, CoverExactlyTheFittedArea) {
    const FitCase c = GetParam();
    const RECT got =
        Covered(c.imageW, c.imageH, c.surfaceW, c.surfaceH, [&](CCvvImage& holder, HDC dc) {
            RECT area = c.area;
            if (c.noUpscale)
                holder.DrawFittedNoUpscale(dc, &area);
            else
                holder.DrawFitted(dc, &area);
        });
    EXPECT_EQ(Text(got), Text(c.drawn)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    WorkedExamples, FittedExamples,
    testing::Values(
        FitCase{"1920x1080 into 800x600",
                false,
                1920,
                1080,
                {0, 0, 800, 600},
                800,
                600,
                {0, 75, 800, 525}},
        FitCase{"offset rectangle",
                false,
                1920,
                1080,
                {100, 50, 900, 650},
                1000,
                700,
                {100, 125, 900, 575}},
        FitCase{"tie fits by width",
                false,
                1920,
                1080,
                {0, 0, 1280, 720},
                1280,
                720,
                {0, 0, 1280, 720}},
        FitCase{"sizes are truncated",
                false,
                1280,
                720,
                {0, 0, 1000, 563},
                1000,
                563,
                {0, 0, 1000, 562}},
        FitCase{"single precision: 993 wide",
                false,
                994,
                1629,
                {0, 0, 1148, 1629},
                1148,
                1629,
                {77, 0, 1070, 1629}},
        FitCase{"enlarged by height",
                false,
                940,
                750,
                {0, 0, 1200, 900},
                1200,
                900,
                {36, 0, 1164, 900}},
        FitCase{"640x600 leaves the bottom row",
                false,
                640,
                600,
                {0, 0, 640, 600},
                640,
                600,
                {0, 0, 640, 599}},
        FitCase{
            "800x600 at full size", false, 800, 600, {0, 0, 800, 600}, 800, 600, {0, 0, 800, 600}},
        FitCase{"no upscale: fits, centred",
                true,
                940,
                750,
                {0, 0, 1200, 900},
                1200,
                900,
                {130, 75, 1070, 825}},
        FitCase{"no upscale: reversed rectangle",
                true,
                940,
                750,
                {1200, 900, 0, 0},
                1200,
                900,
                {130, 75, 1070, 825}},
        FitCase{"no upscale: offset rectangle",
                true,
                940,
                750,
                {30, 40, 1230, 940},
                1300,
                1000,
                {160, 115, 1100, 865}},
        FitCase{"no upscale: too tall",
                true,
                940,
                750,
                {0, 0, 1200, 500},
                1200,
                500,
                {287, 0, 913, 500}},
        FitCase{"no upscale: too wide",
                true,
                1920,
                1080,
                {0, 0, 800, 600},
                800,
                600,
                {0, 75, 800, 525}}));

TEST(DrawFitted, CallsHalftoneThenStretchWithTheImagesOwnRows) {
    CCvvImage holder;
    Fill(holder, Uniform(1920, 1080, kPicture));
    MemoryDC target(800, 600, kBackground);
    RECT area{0, 0, 800, 600};
    GdiRecorder trace;
    holder.DrawFitted(target.dc(), &area);
    ASSERT_EQ(trace.calls().size(), 2u);
    const GdiCall& mode = trace.calls()[0];
    EXPECT_EQ(mode.name, "SetStretchBltMode");
    EXPECT_EQ(mode.args, Args({HALFTONE}));
    const GdiCall& stretch = trace.calls()[1];
    EXPECT_EQ(stretch.name, "StretchDIBits");
    EXPECT_EQ(stretch.dc, target.dc());
    EXPECT_EQ(stretch.args, Args({0, 75, 800, 450, 0, 0, 1920, 1080, DIB_RGB_COLORS, SRCCOPY}));
    EXPECT_EQ(stretch.bits, holder.Image()->imageData);
    const auto* info = static_cast<const BITMAPINFOHEADER*>(stretch.info);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(GetStretchBltMode(target.dc()), HALFTONE);
}

TEST(DrawFitted, SetsHalftoneAlsoWhenEnlarging) {
    CCvvImage holder;
    Fill(holder, Uniform(940, 750, kPicture));
    MemoryDC target(1200, 900, kBackground);
    SetStretchBltMode(target.dc(), COLORONCOLOR);
    RECT area{0, 0, 1200, 900};
    holder.DrawFitted(target.dc(), &area);
    EXPECT_EQ(GetStretchBltMode(target.dc()), HALFTONE);
}

TEST(DrawFitted, ZeroSizeRectangleStretchesToNothing) {
    CCvvImage holder;
    Fill(holder, Uniform(64, 48, kPicture));
    MemoryDC target(64, 48, kBackground);
    RECT area{10, 10, 10, 10};
    GdiRecorder trace;
    holder.DrawFitted(target.dc(), &area);
    ASSERT_EQ(trace.names(), (std::vector<std::string>{"SetStretchBltMode", "StretchDIBits"}));
    EXPECT_EQ(trace.calls()[1].args, Args({10, 10, 0, 0, 0, 0, 64, 48, 0, SRCCOPY}));
    EXPECT_EQ(Text(target.changed(kBackground)), Text(RECT{0, 0, 0, 0}));
}

TEST(DrawFitted, KeepsTheBandsBesideThePicture) {
    CCvvImage holder;
    Fill(holder, Uniform(1920, 1080, kPicture));
    MemoryDC target(800, 600, kBackground);
    RECT area{0, 0, 800, 600};
    holder.DrawFitted(target.dc(), &area);
    EXPECT_EQ(target.at(400, 74), kBackground);
    EXPECT_NE(target.at(400, 75), kBackground);
    EXPECT_EQ(target.at(400, 300), kPicture);
    EXPECT_NE(target.at(400, 524), kBackground);
    EXPECT_EQ(target.at(400, 525), kBackground);
}

TEST(DrawFittedNoUpscale, FittingPictureIsBlittedOneToOne) {
    CCvvImage holder;
    Fill(holder, Pattern(940, 750));
    MemoryDC target(1200, 900, kBackground);
    SetStretchBltMode(target.dc(), COLORONCOLOR);
    RECT area{0, 0, 1200, 900};
    GdiRecorder trace;
    holder.DrawFittedNoUpscale(target.dc(), &area);
    ASSERT_EQ(trace.names(), std::vector<std::string>{"SetDIBitsToDevice"});
    EXPECT_EQ(trace.calls()[0].args, Args({130, 75, 940, 750, 0, 0, 0, 750, DIB_RGB_COLORS}));
    EXPECT_EQ(trace.calls()[0].bits, holder.Image()->imageData);
    EXPECT_EQ(target.at(130, 75), PatternRGB(0, 0));
    EXPECT_EQ(target.at(130 + 939, 75 + 749), PatternRGB(939, 749));
    EXPECT_EQ(target.at(130 + 300, 75 + 200), PatternRGB(300, 200));
}

TEST(DrawFittedNoUpscale, StretchModeFollowsTheWidths) {
    CCvvImage holder;
    Fill(holder, Uniform(940, 750, kPicture));
    MemoryDC target(1200, 900, kBackground);
    RECT tooTall{0, 0, 1200, 500};
    GdiRecorder trace;
    holder.DrawFittedNoUpscale(target.dc(), &tooTall);
    RECT tooWide{0, 0, 900, 800};
    holder.DrawFittedNoUpscale(target.dc(), &tooWide);
    ASSERT_EQ(trace.calls().size(), 4u);
    EXPECT_EQ(trace.calls()[0].args, Args({COLORONCOLOR}));
    EXPECT_EQ(trace.calls()[1].args, Args({287, 0, 626, 500, 0, 0, 940, 750, 0, SRCCOPY}));
    EXPECT_EQ(trace.calls()[2].args, Args({HALFTONE}));
    EXPECT_EQ(trace.calls()[3].name, "StretchDIBits");
    EXPECT_EQ(GetStretchBltMode(target.dc()), HALFTONE);
}

TEST(BlitAt, ClipsToTheImageAndStartsAtTheSourceRow) {
    CCvvImage holder;
    Fill(holder, Pattern(640, 480));
    MemoryDC target(700, 1100, kBackground);
    GdiRecorder trace;
    holder.BlitAt(target.dc(), 5, 7, 640, 1000, 0, 10);
    ASSERT_EQ(trace.calls().size(), 1u);
    EXPECT_EQ(trace.calls()[0].args, Args({5, 7, 640, 470, 0, 10, 10, 470, DIB_RGB_COLORS}));
    EXPECT_EQ(trace.calls()[0].bits, holder.Image()->imageData + 10 * holder.Image()->widthStep);
    EXPECT_EQ(Text(target.changed(kBackground)), Text(RECT{5, 7, 645, 477}));
    EXPECT_EQ(target.at(5, 7), PatternRGB(0, 10));
    EXPECT_EQ(target.at(5 + 100, 7 + 469), PatternRGB(100, 479));
}

TEST(BlitAt, StartBeyondTheImageIsClampedToItsLastColumn) {
    CCvvImage holder;
    Fill(holder, Pattern(640, 480));
    MemoryDC target(50, 50, kBackground);
    GdiRecorder trace;
    holder.BlitAt(target.dc(), 0, 0, 40, 40, 700, -5);
    ASSERT_EQ(trace.calls().size(), 1u);
    EXPECT_EQ(trace.calls()[0].args, Args({0, 0, 1, 40, 639, 0, 0, 40, DIB_RGB_COLORS}));
    EXPECT_EQ(Text(target.changed(kBackground)), Text(RECT{0, 0, 1, 40}));
    EXPECT_EQ(target.at(0, 39), PatternRGB(639, 39));
}

TEST(BlitAt, NegativeSizeDrawsNothing) {
    CCvvImage holder;
    Fill(holder, Pattern(64, 48));
    MemoryDC target(64, 48, kBackground);
    GdiRecorder trace;
    holder.BlitAt(target.dc(), 0, 0, -5, -1, 0, 0);
    ASSERT_EQ(trace.calls().size(), 1u);
    EXPECT_EQ(trace.calls()[0].args[2], 0);
    EXPECT_EQ(trace.calls()[0].args[3], 0);
    EXPECT_EQ(Text(target.changed(kBackground)), Text(RECT{0, 0, 0, 0}));
}

TEST(BlitAt, GreyImageShowsItsGreyLevels) {
    CCvvImage holder;
    Fill(holder, Pattern(32, 8, 1));
    MemoryDC target(32, 8, kBackground);
    holder.BlitAt(target.dc(), 0, 0, 32, 8, 0, 0);
    EXPECT_EQ(target.at(0, 0), 0x000000u);
    EXPECT_EQ(target.at(20, 3), 0x141414u);
}

TEST(BlitAt, BottomUpImageIsShownTheRightWayUp) {
    // A bottom-up image keeps its first row in memory at the bottom of the picture.
    cv::Mat rows = Pattern(16, 8);
    IplImage header = cvIplImage(rows);
    header.origin = IPL_ORIGIN_BL;
    CCvvImage holder;
    holder.CopyFromImage(&header, -1);
    MemoryDC target(16, 8, kBackground);
    RECT area{0, 0, 16, 8};
    holder.DrawFittedNoUpscale(target.dc(), &area);
    EXPECT_EQ(target.at(3, 7), PatternRGB(3, 0));
    EXPECT_EQ(target.at(3, 0), PatternRGB(3, 7));
}

TEST(DrawStretched, SameSizeIsOneToOneWithoutAStretchMode) {
    CCvvImage holder;
    Fill(holder, Pattern(640, 480));
    MemoryDC target(640, 480, kBackground);
    RECT area{0, 0, 640, 480};
    GdiRecorder trace;
    holder.DrawStretched(target.dc(), &area);
    ASSERT_EQ(trace.names(), std::vector<std::string>{"SetDIBitsToDevice"});
    EXPECT_EQ(trace.calls()[0].args, Args({0, 0, 640, 480, 0, 0, 0, 480, DIB_RGB_COLORS}));
    EXPECT_EQ(target.at(639, 479), PatternRGB(639, 479));
}

TEST(DrawStretched, FillsTheRectangleWithTheModeByWidths) {
    CCvvImage holder;
    Fill(holder, Uniform(640, 480, kPicture));
    MemoryDC target(900, 700, kBackground);
    RECT wider{0, 0, 800, 480};
    GdiRecorder trace;
    holder.DrawStretched(target.dc(), &wider);
    ASSERT_EQ(trace.calls().size(), 2u);
    EXPECT_EQ(trace.calls()[0].args, Args({COLORONCOLOR}));
    EXPECT_EQ(trace.calls()[1].args, Args({0, 0, 800, 480, 0, 0, 640, 480, 0, SRCCOPY}));
    EXPECT_EQ(Text(target.changed(kBackground)), Text(RECT{0, 0, 800, 480}));

    CCvvImage big;
    Fill(big, Uniform(1920, 1080, kPicture));
    RECT smaller{50, 60, 850, 660};
    holder.ReleaseBuffer();
    GdiRecorder trace2;
    big.DrawStretched(target.dc(), &smaller);
    ASSERT_EQ(trace2.calls().size(), 2u);
    EXPECT_EQ(trace2.calls()[0].args, Args({HALFTONE}));
    EXPECT_EQ(trace2.calls()[1].args, Args({50, 60, 800, 600, 0, 0, 1920, 1080, 0, SRCCOPY}));
}

// A holder whose image can be bent into shapes GDI cannot take.
class BendableHolder : public CCvvImage {
public:
    IplImage*& image() { return m_image; }
};

TEST(Preconditions, FailingOnesMakeNoGdiCallAtAll) {
    MemoryDC target(100, 100, kBackground);
    RECT area{0, 0, 100, 100};
    const auto drawAll = [&](CCvvImage& holder, RECT* rect) {
        holder.DrawFitted(target.dc(), rect);
        holder.DrawFittedNoUpscale(target.dc(), rect);
        holder.DrawStretched(target.dc(), rect);
    };
    GdiRecorder trace;

    CCvvImage empty;
    drawAll(empty, &area);
    empty.BlitAt(target.dc(), 0, 0, 10, 10, 0, 0);

    CCvvImage holding;
    Fill(holding, Uniform(50, 50, kPicture));
    drawAll(holding, nullptr);

    BendableHolder deep;
    Fill(deep, Uniform(50, 50, kPicture));
    deep.image()->depth = IPL_DEPTH_16U;
    drawAll(deep, &area);
    deep.BlitAt(target.dc(), 0, 0, 10, 10, 0, 0);
    deep.image()->depth = IPL_DEPTH_8U;

    BendableHolder noPixels;
    Fill(noPixels, Uniform(50, 50, kPicture));
    char* pixels = noPixels.image()->imageData;
    noPixels.image()->imageData = nullptr;
    drawAll(noPixels, &area);
    noPixels.BlitAt(target.dc(), 0, 0, 10, 10, 0, 0);
    noPixels.image()->imageData = pixels;

    EXPECT_TRUE(trace.calls().empty()) << trace.calls().front().name;
    EXPECT_EQ(Text(target.changed(kBackground)), Text(RECT{0, 0, 0, 0}));
}

TEST(ZeroSizeImage, DrawsNothingAndReadsNothing) {
    MemoryDC target(100, 100, kBackground);
    RECT area{0, 0, 100, 100};
    GdiRecorder trace;
    for (const auto& size : {std::pair{0, 10}, std::pair{10, 0}, std::pair{0, 0}}) {
        CCvvImage holder;
        ASSERT_TRUE(holder.CreateBuffer(size.first, size.second, 24, 0));
        holder.DrawFitted(target.dc(), &area);
        holder.DrawFittedNoUpscale(target.dc(), &area);
        holder.DrawStretched(target.dc(), &area);
        holder.BlitAt(target.dc(), 0, 0, 100, 100, 0, 0);
        holder.BlitAt(target.dc(), 0, 0, 100, 100, 5, 5);
    }
    EXPECT_TRUE(trace.calls().empty());
    EXPECT_EQ(Text(target.changed(kBackground)), Text(RECT{0, 0, 0, 0}));
}

TEST(HugeRectangle, IsNotDrawn) {
    CCvvImage holder;
    Fill(holder, Uniform(10, 10, kPicture));
    RECT area{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    GdiRecorder trace;
    holder.DrawFitted(nullptr, &area);
    EXPECT_TRUE(trace.calls().empty());
}

} // namespace
