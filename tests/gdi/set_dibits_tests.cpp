// SetDIBitsToDevice: orientation, formats, source rectangles, banding, clipping.
#include "gdi_test_support.h"

using namespace gdi_test;

namespace {

// A picture whose pixel at image position (x, y), y from the top, is Rgb(x, y, 7).
DibPixels Picture(int width, int height, int bitCount, bool topDown) {
    DibPixels pixels(width, height, bitCount);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.set(x, topDown ? y : height - 1 - y, Rgb(x, y, 7));
    return pixels;
}

} // namespace

TEST(SetDIBitsToDevice, BottomUpAndTopDownBothDrawUpright) {
    for (int bitCount : {24, 32})
        for (bool topDown : {true, false}) {
            SCOPED_TRACE(testing::Message() << bitCount << " bits, top-down " << topDown);
            DibPixels pixels = Picture(5, 4, bitCount, topDown);
            DibInfo info = DibInfo::Make(5, topDown ? -4 : 4, bitCount);
            MemoryCanvas canvas(8, 8);
            EXPECT_EQ(SetDIBitsToDevice(canvas.dc(), 1, 2, 5, 4, 0, 0, 0, 4, pixels.data(),
                                        info.get(), DIB_RGB_COLORS),
                      4);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 8; ++x) {
                    const bool inside = x >= 1 && x < 6 && y >= 2 && y < 6;
                    ASSERT_EQ(canvas.at(x, y), inside ? Rgb(x - 1, y - 2, 7) : 0u) << x << "," << y;
                }
        }
}

TEST(SetDIBitsToDevice, EightBitsGoThroughTheColourTable) {
    DibPixels pixels(256, 1, 8);
    for (int x = 0; x < 256; ++x)
        pixels.set(x, 0, x);
    DibInfo info = DibInfo::Make(256, 1, 8);
    MemoryCanvas canvas(256, 1);
    SetDIBitsToDevice(canvas.dc(), 0, 0, 256, 1, 0, 0, 0, 1, pixels.data(), info.get(),
                      DIB_RGB_COLORS);
    for (int x = 0; x < 256; ++x)
        ASSERT_EQ(canvas.at(x, 0), Rgb(x, x, x));

    // A short table: biClrUsed entries, colours as blue, green, red; indices past it are black.
    info.header.biClrUsed = 2;
    info.colours[0] = RGBQUAD{1, 2, 3, 0};
    info.colours[1] = RGBQUAD{200, 100, 50, 0};
    SetDIBitsToDevice(canvas.dc(), 0, 0, 3, 1, 0, 0, 0, 1, pixels.data(), info.get(),
                      DIB_RGB_COLORS);
    EXPECT_EQ(canvas.at(0, 0), Rgb(3, 2, 1));
    EXPECT_EQ(canvas.at(1, 0), Rgb(50, 100, 200));
    EXPECT_EQ(canvas.at(2, 0), 0u);
    EXPECT_EQ(canvas.at(3, 0), Rgb(3, 3, 3)) << "outside the drawn width";
}

TEST(SetDIBitsToDevice, SourceRectangleIsMeasuredFromTheBitmapsOrigin) {
    // 6 x 5 picture; source rectangle x 2..4, DIB y 1..3 (from the bottom for bottom-up).
    for (bool topDown : {true, false}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        DibPixels pixels = Picture(6, 5, 24, topDown);
        DibInfo info = DibInfo::Make(6, topDown ? -5 : 5, 24);
        MemoryCanvas canvas(4, 4);
        EXPECT_EQ(SetDIBitsToDevice(canvas.dc(), 0, 0, 3, 3, 2, 1, 0, 5, pixels.data(), info.get(),
                                    DIB_RGB_COLORS),
                  3);
        // Top-down: image rows 1..3. Bottom-up: DIB rows 1..3 from the bottom are image rows
        // 3..1, shown upright, so image row 1 is on top.
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 3; ++x)
                ASSERT_EQ(canvas.at(x, y), Rgb(x + 2, y + 1, 7)) << x << "," << y;
        EXPECT_EQ(canvas.at(3, 0), 0u);
        EXPECT_EQ(canvas.at(0, 3), 0u);
    }
}

TEST(SetDIBitsToDevice, BandsDrawOnlyTheScanLinesTheyHold) {
    for (bool topDown : {true, false}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        const int width = 3, height = 8;
        DibPixels pixels = Picture(width, height, 32, topDown);
        DibInfo info = DibInfo::Make(width, topDown ? -height : height, 32);
        MemoryCanvas canvas(width, height);
        canvas.fill(0x00ABCDEF);
        // Scan lines 2..4 only, in a buffer holding exactly those.
        const size_t stride = Stride(width, 32);
        GuardedBuffer band(3 * stride);
        std::memcpy(band.data(), pixels.bytes.data() + 2 * stride, 3 * stride);
        EXPECT_EQ(SetDIBitsToDevice(canvas.dc(), 0, 0, width, height, 0, 0, 2, 3, band.data(),
                                    info.get(), DIB_RGB_COLORS),
                  3);
        for (int y = 0; y < height; ++y) {
            const int scan = topDown ? y : height - 1 - y;
            const bool present = scan >= 2 && scan < 5;
            ASSERT_EQ(canvas.at(1, y), present ? Rgb(1, y, 7) : 0x00ABCDEFu) << y;
        }
    }
}

TEST(SetDIBitsToDevice, BandsAssembleThePicture) {
    // The banded form of a 1:1 copy, as a caller blitting from a start row makes it: source
    // y, first scan line and bits all advanced to the same row.
    const int width = 4, height = 6;
    DibPixels pixels = Picture(width, height, 24, true);
    DibInfo info = DibInfo::Make(width, -height, 24);
    MemoryCanvas canvas(width, height);
    const size_t stride = Stride(width, 24);
    for (int from = 0; from < height; from += 2)
        SetDIBitsToDevice(canvas.dc(), 0, from, width, 2, 0, from, from, 2,
                          pixels.bytes.data() + from * stride, info.get(), DIB_RGB_COLORS);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(canvas.at(x, y), Rgb(x, y, 7));
}

TEST(SetDIBitsToDevice, ClipsAtTheEdgesOfTheDC) {
    DibPixels pixels = Picture(4, 4, 32, true);
    DibInfo info = DibInfo::Make(4, -4, 32);
    MemoryCanvas canvas(4, 4);
    EXPECT_EQ(SetDIBitsToDevice(canvas.dc(), -2, 3, 4, 4, 0, 0, 0, 4, pixels.data(), info.get(),
                                DIB_RGB_COLORS),
              4);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            ASSERT_EQ(canvas.at(x, y), y == 3 && x < 2 ? Rgb(x + 2, 0, 7) : 0u) << x << "," << y;
}
