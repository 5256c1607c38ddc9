// SetDIBitsToDevice: orientation, grey colour table, source rectangles, clipping, banding.
#include "gdi_test_support.h"

using namespace gdi_test;

namespace {

// The colour at image position (x, y), y from the top; 8 bits index the grey ramp.
uint32_t Colour(int x, int y, int bitCount) {
    const int grey = 40 * x + 8 * y;
    return bitCount == 8 ? Rgb(grey, grey, grey) : Rgb(x, y, 7);
}

DibPixels Picture(int width, int height, int bitCount, bool topDown) {
    DibPixels pixels(width, height, bitCount);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.set(x, topDown ? y : height - 1 - y, Colour(x, y, bitCount));
    return pixels;
}

} // namespace

TEST(SetDIBitsToDevice, BothOrientationsDrawTheSourceRectangleUprightAndClipped) {
    // 6 x 5 picture; source x 2..4 and DIB y 1..3 (from the bottom when bottom-up: image rows
    // 1..3 either way), drawn at (-1, 4) so that only its right and top parts are in the DC.
    for (int bpp : {8, 24, 32})
        for (bool topDown : {true, false}) {
            SCOPED_TRACE(testing::Message() << bpp << " bits, top-down " << topDown);
            const DibPixels pixels = Picture(6, 5, bpp, topDown);
            const DibInfo info(6, topDown ? -5 : 5, bpp);
            MemoryCanvas canvas(6, 6);
            EXPECT_EQ(SetDIBitsToDevice(canvas.dc(), -1, 4, 3, 3, 2, 1, 0, 5, pixels.data(),
                                        info.get(), 0),
                      3);
            for (int y = 0; y < 6; ++y)
                for (int x = 0; x < 6; ++x)
                    ASSERT_EQ(canvas.at(x, y), x < 2 && y >= 4 ? Colour(x + 3, y - 3, bpp) : 0u)
                        << x << "," << y;
        }
}

// A band holds the last three scan lines (5..7) of eight, and nothing around it may be read.
TEST(SetDIBitsToDevice, BandsDrawOnlyTheScanLinesTheyHoldAndReadNoOthers) {
    const int width = 3, height = 8, stride = width * 4;
    // {xDest, yDest, width, height, xSrc, ySrc, startScan, scanLines, result}
    const int64_t odd[][9] = {{0, 0, 3, 8, 0, 0, 5, 9, 3},
                              {0, 0, 3, 8, 0, 0, 8, 3, 0},
                              {0, 0, 3, 8, 0, 0, 0xFFFFFFFF, 3, 0},
                              {0, 0, 0xFFFFFFFF, 0xFFFFFFFF, -3, -3, 5, 3, 3},
                              {0, 0, 3, 8, 3, 0, 5, 3, 0},
                              {INT32_MAX, INT32_MIN, 3, 8, INT32_MIN, INT32_MAX, 5, 3, 0}};
    for (bool topDown : {true, false})
        for (bool guardAfter : {true, false}) {
            SCOPED_TRACE(testing::Message() << topDown << " top-down, " << guardAfter << " after");
            const DibPixels pixels = Picture(width, height, 32, topDown);
            const DibInfo info(width, topDown ? -height : height, 32);
            MemoryCanvas canvas(width, height);
            canvas.fill(0x00ABCDEF);
            GuardedBuffer band(3 * stride, guardAfter);
            std::memcpy(band.data(), pixels.bytes.data() + 5 * stride, 3 * stride);
            EXPECT_EQ(SetDIBitsToDevice(canvas.dc(), 0, 0, width, height, 0, 0, 5, 3, band.data(),
                                        info.get(), 0),
                      3);
            for (int y = 0; y < height; ++y) {
                const int scan = topDown ? y : height - 1 - y;
                ASSERT_EQ(canvas.at(1, y), scan >= 5 ? Rgb(1, y, 7) : 0x00ABCDEFu) << y;
            }
            for (const auto& c : odd)
                EXPECT_EQ(SetDIBitsToDevice(canvas.dc(), int(c[0]), int(c[1]), DWORD(c[2]),
                                            DWORD(c[3]), int(c[4]), int(c[5]), UINT(c[6]),
                                            UINT(c[7]), band.data(), info.get(), 0),
                          c[8])
                    << "case " << (&c - odd);
        }
}
