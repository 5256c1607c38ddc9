// Fitted, 1:1 and stretched drawing, checked on a memory DC's pixels and by the GDI calls made.

#include <climits>

#include "memory_dc.h"

using namespace image_test;

namespace {

constexpr uint32_t kBackground = 0x00FF00FF;

using Args = std::vector<long>;

TEST(Drawing, WorkedExamplesCoverExactlyTheirArea) {
    const auto F = &CCvvImage::DrawFitted, N = &CCvvImage::DrawFittedNoUpscale,
               S = &CCvvImage::DrawStretched;
    // A uniform picture drawn: the area it covers and the stretch mode set for it (0: drawn
    // 1:1 by SetDIBitsToDevice).
    const struct {
        void (CCvvImage::*draw)(HDC, RECT*);
        int imageW, imageH;
        RECT area, drawn;
        int mode;
    } cases[] = {
        {F, 1920, 1080, {0, 0, 800, 600}, {0, 75, 800, 525}, HALFTONE},
        {F, 1920, 1080, {100, 50, 900, 650}, {100, 125, 900, 575}, HALFTONE},
        {F, 1920, 1080, {0, 0, 1280, 720}, {0, 0, 1280, 720}, HALFTONE},   // a tie
        {F, 1280, 720, {0, 0, 1000, 563}, {0, 0, 1000, 562}, HALFTONE},    // truncated
        {F, 994, 1629, {0, 0, 1148, 1629}, {77, 0, 1070, 1629}, HALFTONE}, // in float: 993
        {F, 940, 750, {0, 0, 1200, 900}, {36, 0, 1164, 900}, HALFTONE},    // enlarged
        {F, 64, 48, {10, 10, 10, 10}, {0, 0, 0, 0}, HALFTONE},             // stretched to nothing
        {N, 940, 750, {0, 0, 1200, 900}, {130, 75, 1070, 825}, 0},
        {N, 940, 750, {1200, 900, 0, 0}, {130, 75, 1070, 825}, 0}, // reversed
        {N, 940, 750, {30, 40, 1230, 940}, {160, 115, 1100, 865}, 0},
        {N, 940, 750, {0, 0, 1200, 500}, {287, 0, 913, 500}, COLORONCOLOR}, // too tall
        {N, 940, 750, {0, 0, 900, 800}, {0, 41, 900, 759}, HALFTONE},       // too wide
        {S, 640, 480, {0, 0, 640, 480}, {0, 0, 640, 480}, 0},
        {S, 640, 480, {0, 0, 800, 480}, {0, 0, 800, 480}, COLORONCOLOR},
        {S, 1920, 1080, {50, 60, 850, 660}, {50, 60, 850, 660}, HALFTONE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "case " << &c - cases);
        CCvvImage holder;
        Fill(holder, Uniform(c.imageW, c.imageH, 0x00336699));
        MemoryCanvas target(std::max(c.area.left, c.area.right),
                            std::max(c.area.top, c.area.bottom), kBackground);
        RECT area = c.area;
        GdiRecorder trace;
        (holder.*c.draw)(target.dc(), &area);
        EXPECT_EQ(target.changed(kBackground), c.drawn);

        ASSERT_EQ(trace.calls.size(), c.mode == 0 ? 1u : 2u);
        EXPECT_EQ(trace.calls.back().bits, holder.Image()->imageData);
        EXPECT_EQ(trace.calls.back().name, c.mode == 0 ? "SetDIBitsToDevice" : "StretchDIBits");
        if (c.mode == 0)
            continue;
        EXPECT_EQ(trace.calls[0].args, Args({c.mode})) << trace.calls[0].name;
    }
}

TEST(BlitAt, ClipsToTheImageAndClampsTheStartIntoIt) {
    CCvvImage holder;
    Fill(holder, Pattern(640, 480));
    MemoryCanvas target(700, 1100, kBackground), small(50, 50, kBackground);
    GdiRecorder trace;
    holder.BlitAt(target.dc(), 5, 7, 640, 1000, 0, 10);
    holder.BlitAt(small.dc(), 0, 0, 40, 40, 700, -5);
    holder.BlitAt(small.dc(), 10, 10, -5, -1, 0, 0); // a negative size draws nothing
    ASSERT_EQ(trace.calls.size(), 3u);
    EXPECT_EQ(trace.calls[0].args, Args({5, 7, 640, 470, 0, 10, 10, 470, DIB_RGB_COLORS}));
    EXPECT_EQ(trace.calls[0].bits, holder.Image()->imageData + 10 * holder.Image()->widthStep);
    EXPECT_EQ(target.changed(kBackground), (RECT{5, 7, 645, 477}));
    EXPECT_EQ(target.at(5, 7), PatternRGB(0, 10));
    EXPECT_EQ(trace.calls[1].args, Args({0, 0, 1, 40, 639, 0, 0, 40, DIB_RGB_COLORS}));
    EXPECT_EQ(small.changed(kBackground), (RECT{0, 0, 1, 40}));
    EXPECT_EQ(small.at(0, 39), PatternRGB(639, 39));
}

TEST(BlitAt, GreyAndBottomUpImagesShowTheRightPixels) {
    CCvvImage holder;
    Fill(holder, Pattern(32, 8, 1));
    MemoryCanvas target(32, 8, kBackground);
    holder.BlitAt(target.dc(), 0, 0, 32, 8, 0, 0);
    EXPECT_EQ(target.at(20, 3), 0x141414u); // through the grey colour table

    // A bottom-up image keeps its first row in memory at the bottom of the picture.
    cv::Mat rows = Pattern(16, 8);
    IplImage header = cvIplImage(rows);
    header.origin = IPL_ORIGIN_BL;
    holder.CopyFromImage(&header, -1);
    holder.BlitAt(target.dc(), 0, 0, 16, 8, 0, 0);
    EXPECT_EQ(target.at(3, 7), PatternRGB(3, 0));
    EXPECT_EQ(target.at(3, 0), PatternRGB(3, 7));
}

TEST(Preconditions, FailingOnesMakeNoGdiCallAtAll) {
    MemoryCanvas target(100, 100, kBackground);
    RECT area{0, 0, 100, 100}, huge{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    const auto drawAll = [&](CCvvImage& holder, RECT* rect) {
        holder.DrawFitted(target.dc(), rect);
        holder.DrawFittedNoUpscale(target.dc(), rect);
        holder.DrawStretched(target.dc(), rect);
        if (rect == &area)
            holder.BlitAt(target.dc(), 0, 0, 100, 100, 5, 5);
    };
    GdiRecorder trace;
    const int sizes[][2] = {{0, 10}, {10, 0}, {0, 0}, {-1, 0}}; // -1: left empty
    for (const auto& size : sizes) {
        CCvvImage holder;
        holder.CreateBuffer(size[0], size[1], 24, 0);
        drawAll(holder, &area);
    }
    CCvvImage holder;
    Fill(holder, Uniform(50, 50, 0x00336699));
    drawAll(holder, nullptr);
    drawAll(holder, &huge);
    EXPECT_TRUE(trace.calls.empty()) << trace.calls.front().name;
    EXPECT_EQ(target.changed(kBackground), (RECT{0, 0, 0, 0}));
}

} // namespace
