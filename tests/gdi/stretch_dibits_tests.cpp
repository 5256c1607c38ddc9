// StretchDIBits: nearest-pixel modes, HALFTONE, mirroring, source rectangles, clipping.
#include <random>

#include "gdi_test_support.h"
#include "platform/gdi/resample.h"

using namespace gdi_test;

namespace {

int Channel(uint32_t word, int c) {
    return int(word >> (8 * c) & 0xFF);
}

// A row of one-channel-looking colours: pixel x of the single row is grey level values[x].
DibPixels GreyRow(const std::vector<int>& values, int bitCount = 24) {
    DibPixels pixels(int(values.size()), 1, bitCount);
    for (size_t x = 0; x < values.size(); ++x)
        pixels.set(int(x), 0, bitCount == 8 ? values[x] : Rgb(values[x], values[x], values[x]));
    return pixels;
}

DibPixels RandomPicture(int width, int height, int bitCount, unsigned seed) {
    DibPixels pixels(width, height, bitCount);
    std::mt19937 random(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.set(x, y, random() & 0xFFFFFF);
    return pixels;
}

std::vector<int> DrawRow(const DibPixels& row, int destWidth, int mode) {
    DibInfo info = DibInfo::Make(row.width, 1, row.bitCount);
    MemoryCanvas canvas(destWidth, 1);
    SetStretchBltMode(canvas.dc(), mode);
    StretchDIBits(canvas.dc(), 0, 0, destWidth, 1, 0, 0, row.width, 1, row.data(), info.get(),
                  DIB_RGB_COLORS, SRCCOPY);
    std::vector<int> out;
    for (int x = 0; x < destWidth; ++x)
        out.push_back(Channel(canvas.at(x, 0), 1));
    return out;
}

} // namespace

// COLORONCOLOR maps destination pixel i to source pixel floor((i + 1/2) * srcLen / destLen):
// the source pixel whose area holds the image of the destination pixel's centre.
TEST(StretchDIBitsNearest, PicksTheSourcePixelUnderEachDestinationCentre) {
    const DibPixels source = GreyRow({10, 20, 30, 40});
    EXPECT_EQ(DrawRow(source, 2, COLORONCOLOR), (std::vector<int>{20, 40}));
    EXPECT_EQ(DrawRow(GreyRow({10, 20, 30}), 2, COLORONCOLOR), (std::vector<int>{10, 30}));
    EXPECT_EQ(DrawRow(GreyRow({10, 20}), 5, COLORONCOLOR), (std::vector<int>{10, 10, 20, 20, 20}));
    EXPECT_EQ(DrawRow(source, 4, COLORONCOLOR), (std::vector<int>{10, 20, 30, 40}));
    // The other non-halftone modes draw the same way.
    EXPECT_EQ(DrawRow(source, 2, BLACKONWHITE), (std::vector<int>{20, 40}));
    EXPECT_EQ(DrawRow(source, 2, WHITEONBLACK), (std::vector<int>{20, 40}));
}

TEST(StretchDIBitsNearest, ShrinkingInBothAxesKeepsExactSourcePixels) {
    const DibPixels picture = RandomPicture(9, 7, 32, 1);
    DibInfo info = DibInfo::Make(9, -7, 32);
    MemoryCanvas canvas(4, 3);
    SetStretchBltMode(canvas.dc(), COLORONCOLOR);
    EXPECT_EQ(StretchDIBits(canvas.dc(), 0, 0, 4, 3, 0, 0, 9, 7, picture.data(), info.get(),
                            DIB_RGB_COLORS, SRCCOPY),
              7);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) {
            const int sx = (2 * x + 1) * 9 / 8, sy = (2 * y + 1) * 7 / 6;
            const uint8_t* p = picture.bytes.data() + sy * picture.stride + sx * 4;
            ASSERT_EQ(canvas.at(x, y), Rgb(p[2], p[1], p[0])) << x << "," << y;
        }
}

TEST(StretchDIBitsHalftone, ShrinkingAveragesTheCoveredArea) {
    // 2 x 2 to 1 x 1: the plain mean.
    DibPixels square(2, 2, 24);
    square.set(0, 0, Rgb(10, 0, 200));
    square.set(1, 0, Rgb(20, 0, 100));
    square.set(0, 1, Rgb(30, 0, 0));
    square.set(1, 1, Rgb(40, 0, 0));
    DibInfo info = DibInfo::Make(2, 2, 24);
    MemoryCanvas canvas(1, 1);
    SetStretchBltMode(canvas.dc(), HALFTONE);
    StretchDIBits(canvas.dc(), 0, 0, 1, 1, 0, 0, 2, 2, square.data(), info.get(), DIB_RGB_COLORS,
                  SRCCOPY);
    EXPECT_EQ(canvas.at(0, 0), Rgb(25, 0, 75));

    // 3 to 2: each destination pixel covers one and a half source pixels.
    EXPECT_EQ(DrawRow(GreyRow({0, 90, 180}), 2, HALFTONE), (std::vector<int>{30, 150}));
}

TEST(StretchDIBitsHalftone, EnlargingInterpolatesBetweenPixelCentres) {
    const std::vector<int> out = DrawRow(GreyRow({0, 200}), 4, HALFTONE);
    const std::vector<int> expected{0, 50, 150, 200};
    for (size_t i = 0; i < out.size(); ++i)
        EXPECT_NEAR(out[i], expected[i], 1) << i;
    // Smooth: a long ramp never jumps.
    const std::vector<int> ramp = DrawRow(GreyRow({0, 255}), 64, HALFTONE);
    for (size_t i = 1; i < ramp.size(); ++i)
        ASSERT_LE(std::abs(ramp[i] - ramp[i - 1]), 9) << i;
}

TEST(StretchDIBitsHalftone, EightBitPicturesAverageColoursNotIndices) {
    // Grey ramp.
    EXPECT_EQ(DrawRow(GreyRow({10, 30}, 8), 1, HALFTONE), (std::vector<int>{20}));
    // Two-entry table: indices 0 and 1 are black and green 200.
    DibPixels row = GreyRow({0, 1}, 8);
    DibInfo info = DibInfo::Make(2, 1, 8);
    info.header.biClrUsed = 2;
    info.colours[0] = RGBQUAD{0, 0, 0, 0};
    info.colours[1] = RGBQUAD{0, 200, 0, 0};
    MemoryCanvas canvas(1, 1);
    SetStretchBltMode(canvas.dc(), HALFTONE);
    StretchDIBits(canvas.dc(), 0, 0, 1, 1, 0, 0, 2, 1, row.data(), info.get(), DIB_RGB_COLORS,
                  SRCCOPY);
    EXPECT_EQ(canvas.at(0, 0), Rgb(0, 100, 0));
}

TEST(StretchDIBits, BottomUpAndTopDownGiveTheSamePicture) {
    for (int mode : {COLORONCOLOR, HALFTONE}) {
        const DibPixels topDown = RandomPicture(31, 17, 24, 2);
        DibPixels bottomUp(31, 17, 24);
        for (int y = 0; y < 17; ++y)
            std::memcpy(bottomUp.bytes.data() + (16 - y) * bottomUp.stride,
                        topDown.bytes.data() + y * topDown.stride, topDown.stride);
        DibInfo infoDown = DibInfo::Make(31, -17, 24);
        DibInfo infoUp = DibInfo::Make(31, 17, 24);
        MemoryCanvas a(12, 9), b(12, 9);
        SetStretchBltMode(a.dc(), mode);
        SetStretchBltMode(b.dc(), mode);
        // Source rectangle: image rows 3..14 (from the top) are DIB rows 2..13 from the bottom.
        StretchDIBits(a.dc(), 0, 0, 12, 9, 4, 3, 20, 12, topDown.data(), infoDown.get(),
                      DIB_RGB_COLORS, SRCCOPY);
        StretchDIBits(b.dc(), 0, 0, 12, 9, 4, 2, 20, 12, bottomUp.data(), infoUp.get(),
                      DIB_RGB_COLORS, SRCCOPY);
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 12; ++x)
                ASSERT_EQ(a.at(x, y), b.at(x, y)) << mode << ": " << x << "," << y;
    }
}

TEST(StretchDIBits, NegativeExtentsMirror) {
    DibPixels picture(3, 2, 32);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            picture.set(x, y, Rgb(x, y, 1)); // top-down: scan y is image row y
    DibInfo info = DibInfo::Make(3, -2, 32);
    struct Case {
        int xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth, srcHeight;
        bool mirrorX, mirrorY;
    };
    const Case cases[] = {
        {0, 0, 3, 2, 0, 0, 3, 2, false, false},
        {3, 0, -3, 2, 0, 0, 3, 2, true, false}, // destination [0, 3) mirrored
        {0, 0, 3, 2, 3, 0, -3, 2, true, false}, // source [0, 3) mirrored
        {3, 0, -3, 2, 3, 0, -3, 2, false, false},
        {0, 2, 3, -2, 0, 0, 3, 2, false, true},
        {3, 2, -3, -2, 0, 0, 3, 2, true, true},
    };
    for (int mode : {COLORONCOLOR, HALFTONE})
        for (const Case& c : cases) {
            MemoryCanvas canvas(3, 2);
            SetStretchBltMode(canvas.dc(), mode);
            const int lines = StretchDIBits(canvas.dc(), c.xDest, c.yDest, c.destWidth,
                                            c.destHeight, c.xSrc, c.ySrc, c.srcWidth, c.srcHeight,
                                            picture.data(), info.get(), DIB_RGB_COLORS, SRCCOPY);
            EXPECT_EQ(lines, c.mirrorY ? -2 : 2);
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 3; ++x)
                    ASSERT_EQ(canvas.at(x, y), Rgb(c.mirrorX ? 2 - x : x, c.mirrorY ? 1 - y : y, 1))
                        << mode << " case " << (&c - cases) << ": " << x << "," << y;
        }
}

TEST(StretchDIBitsHalftone, ClippedDrawingMatchesTheUnclippedOne) {
    const DibPixels picture = RandomPicture(97, 61, 24, 3);
    DibInfo info = DibInfo::Make(97, -61, 24);
    for (bool enlarge : {false, true}) {
        const int w = enlarge ? 150 : 40, h = enlarge ? 90 : 25;
        MemoryCanvas whole(w, h), part(w - 10, h - 7);
        SetStretchBltMode(whole.dc(), HALFTONE);
        SetStretchBltMode(part.dc(), HALFTONE);
        StretchDIBits(whole.dc(), 0, 0, w, h, 0, 0, 97, 61, picture.data(), info.get(),
                      DIB_RGB_COLORS, SRCCOPY);
        StretchDIBits(part.dc(), -10, -7, w, h, 0, 0, 97, 61, picture.data(), info.get(),
                      DIB_RGB_COLORS, SRCCOPY);
        for (int y = 0; y < h - 7; ++y)
            for (int x = 0; x < w - 10; ++x)
                ASSERT_EQ(part.at(x, y), whole.at(x + 10, y + 7)) << x << "," << y;
    }
}

// The generic filter (used for mappings OpenCV's resize cannot express) and the resize path
// are one filter.
TEST(StretchDIBitsHalftone, GenericFilterAgreesWithTheResizePath) {
    using namespace platform::gdi;
    struct Size {
        int srcW, srcH, destW, destH;
    };
    for (Size s : {Size{97, 61, 40, 25}, Size{64, 48, 32, 24}, Size{23, 19, 71, 50},
                   Size{1920, 1080, 880, 495}}) {
        SCOPED_TRACE(testing::Message()
                     << s.srcW << "x" << s.srcH << " to " << s.destW << "x" << s.destH);
        const DibPixels picture = RandomPicture(s.srcW, s.srcH, 24, 4);
        DibInfo info = DibInfo::Make(s.srcW, -s.srcH, 24);
        MemoryCanvas canvas(s.destW, s.destH);
        SetStretchBltMode(canvas.dc(), HALFTONE);
        StretchDIBits(canvas.dc(), 0, 0, s.destW, s.destH, 0, 0, s.srcW, s.srcH, picture.data(),
                      info.get(), DIB_RGB_COLORS, SRCCOPY);

        DibSource source;
        ASSERT_TRUE(ReadDibHeader(info.get(), DIB_RGB_COLORS, picture.data(), source));
        const StretchAxis x = MakeStretchAxis(0, s.destW, 0, s.srcW);
        const StretchAxis y = MakeStretchAxis(0, s.destH, 0, s.srcH);
        std::vector<uint32_t> words(size_t(s.destW) * s.destH);
        std::vector<uint8_t> columns(s.destW), rows(s.destH);
        FilterHalftone(source, x, y,
                       HalftoneBlock{PixelBox{0, 0, s.destW, s.destH}, words.data(), columns.data(),
                                     rows.data()});
        int worst = 0;
        for (int py = 0; py < s.destH; ++py)
            for (int px = 0; px < s.destW; ++px)
                for (int c = 0; c < 3; ++c)
                    worst = std::max(worst, std::abs(Channel(words[py * s.destW + px], c) -
                                                     Channel(canvas.at(px, py), c)));
        EXPECT_LE(worst, 1);
    }
}

TEST(StretchDIBitsHalftone, SourceRectanglePartlyOutsideDrawsOnlyThePartInside) {
    // Source columns 2..5 of a 4-pixel row: only columns 2 and 3 exist.
    const DibPixels row = GreyRow({10, 20, 30, 40});
    DibInfo info = DibInfo::Make(4, 1, 24);
    for (int mode : {COLORONCOLOR, HALFTONE}) {
        MemoryCanvas canvas(4, 1);
        canvas.fill(0x00010101);
        SetStretchBltMode(canvas.dc(), mode);
        EXPECT_EQ(StretchDIBits(canvas.dc(), 0, 0, 4, 1, 2, 0, 4, 1, row.data(), info.get(),
                                DIB_RGB_COLORS, SRCCOPY),
                  1);
        EXPECT_EQ(canvas.at(0, 0), Rgb(30, 30, 30)) << mode;
        EXPECT_EQ(canvas.at(1, 0), Rgb(40, 40, 40)) << mode;
        EXPECT_EQ(canvas.at(2, 0), 0x00010101u) << mode;
        EXPECT_EQ(canvas.at(3, 0), 0x00010101u) << mode;
    }
}

TEST(StretchDIBits, ZeroDestinationDrawsNothing) {
    const DibPixels row = GreyRow({10, 20});
    DibInfo info = DibInfo::Make(2, 1, 24);
    MemoryCanvas canvas(2, 2);
    SetStretchBltMode(canvas.dc(), HALFTONE);
    EXPECT_EQ(StretchDIBits(canvas.dc(), 0, 0, 0, 0, 0, 0, 2, 1, row.data(), info.get(),
                            DIB_RGB_COLORS, SRCCOPY),
              0);
    EXPECT_EQ(canvas.at(0, 0), 0u);
}
