// SetDIBitsToDevice: orientation, colour table, source rectangles, banding, clipping.
#include "gdi_test_support.h"

using namespace gdi_test;

namespace {

// Pixel at image position (x, y), y from the top, is Rgb(x, y, 7).
DibPixels Picture(int width, int height, int bitCount, bool topDown) {
    DibPixels pixels(width, height, bitCount);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels.set(x, topDown ? y : height - 1 - y, Rgb(x, y, 7));
    return pixels;
}

} // namespace

TEST(SetDIBitsToDevice, BothOrientationsDrawTheSourceRectangleUprightAndClipped) {
    // 6 x 5 picture; source x 2..4 and DIB y 1..3 (from the bottom when bottom-up: image rows
    // 1..3 either way), drawn at (-1, 4) so that only its right and top parts are in the DC.
    for (int bitCount : {24, 32})
        for (bool topDown : {true, false}) {
            SCOPED_TRACE(testing::Message() << bitCount << " bits, top-down " << topDown);
            DibPixels pixels = Picture(6, 5, bitCount, topDown);
            DibInfo info(6, topDown ? -5 : 5, bitCount);
            MemoryCanvas canvas(6, 6);
            EXPECT_EQ(SetDIBitsToDevice(canvas.dc(), -1, 4, 3, 3, 2, 1, 0, 5, pixels.data(),
                                        info.get(), DIB_RGB_COLORS),
                      3);
            for (int y = 0; y < 6; ++y)
                for (int x = 0; x < 6; ++x)
                    ASSERT_EQ(canvas.at(x, y), x < 2 && y >= 4 ? Rgb(x + 3, y - 3, 7) : 0u)
                        << x << "," << y;
        }
}

TEST(SetDIBitsToDevice, EightBitsGoThroughTheColourTable) {
    DibPixels pixels(256, 1, 8);
    for (int x = 0; x < 256; ++x)
        pixels.set(x, 0, x);
    DibInfo info(256, 1, 8);
    MemoryCanvas canvas(256, 1);
    SetDIBitsToDevice(canvas.dc(), 0, 0, 256, 1, 0, 0, 0, 1, pixels.data(), info.get(), 0);
    for (int x = 0; x < 256; ++x)
        ASSERT_EQ(canvas.at(x, 0), Rgb(x, x, x));

    // A short table: biClrUsed entries, stored blue, green, red; indices past it are black.
    info.header.biClrUsed = 2;
    info.colours[0] = RGBQUAD{1, 2, 3, 0};
    info.colours[1] = RGBQUAD{200, 100, 50, 0};
    SetDIBitsToDevice(canvas.dc(), 0, 0, 3, 1, 0, 0, 0, 1, pixels.data(), info.get(), 0);
    EXPECT_EQ(canvas.at(0, 0), Rgb(3, 2, 1));
    EXPECT_EQ(canvas.at(1, 0), Rgb(50, 100, 200));
    EXPECT_EQ(canvas.at(2, 0), 0u);
}

TEST(SetDIBitsToDevice, BandsDrawOnlyTheScanLinesTheyHoldAndAssembleThePicture) {
    const int width = 3, height = 8;
    const size_t stride = Stride(width, 32);
    for (bool topDown : {true, false}) {
        SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
        DibPixels pixels = Picture(width, height, 32, topDown);
        DibInfo info(width, topDown ? -height : height, 32);
        MemoryCanvas canvas(width, height);
        canvas.fill(0x00ABCDEF);
        // Scan lines 2..4 only, in a buffer holding exactly those.
        GuardedBuffer band(3 * stride);
        std::memcpy(band.data(), pixels.bytes.data() + 2 * stride, 3 * stride);
        EXPECT_EQ(SetDIBitsToDevice(canvas.dc(), 0, 0, width, height, 0, 0, 2, 3, band.data(),
                                    info.get(), 0),
                  3);
        for (int y = 0; y < height; ++y) {
            const int scan = topDown ? y : height - 1 - y;
            ASSERT_EQ(canvas.at(1, y), scan >= 2 && scan < 5 ? Rgb(1, y, 7) : 0x00ABCDEFu) << y;
        }
        for (int from = 0; from < height; from += 2)
            SetDIBitsToDevice(canvas.dc(), 0, 0, width, height, 0, 0, from, 2,
                              pixels.bytes.data() + from * stride, info.get(), 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                ASSERT_EQ(canvas.at(x, y), Rgb(x, y, 7)) << x << "," << y;
    }
}
