// HALFTONE against OpenCV's resize INTER_AREA on random pictures: every channel of every drawn
// pixel within 1, shrinking and enlarging, both orientations, 8 (grey), 24 and 32 bits, source
// rectangles and clipping.
#include <opencv2/imgproc.hpp>

#include "gdi_test_support.h"

using namespace gdi_test;

namespace {

struct Case {
    int width, height;         // the bitmap
    int destWidth, destHeight; // the destination rectangle
    int bitCount;
    bool topDown;
    cv::Rect source{};    // image rectangle, from the top; empty for the whole bitmap
    int canvasShrink = 0; // the canvas misses this many pixels on every side: clipped
};

// The bitmap's bytes as a DIB, rows in memory order.
std::vector<uint8_t> DibBytes(const cv::Mat& image, bool topDown, size_t stride) {
    std::vector<uint8_t> bytes(stride * image.rows);
    for (int y = 0; y < image.rows; ++y)
        std::memcpy(&bytes[stride * (topDown ? y : image.rows - 1 - y)], image.ptr(y),
                    image.cols * image.elemSize());
    return bytes;
}

} // namespace

TEST(Halftone, WithinOneOfOpenCvAreaResize) {
    const Case cases[] = {
        {1920, 1080, 880, 495, 24, true},
        {1920, 1080, 891, 492, 32, true},
        {940, 750, 616, 492, 8, false},
        {640, 480, 656, 492, 24, true},     // enlarging
        {1280, 720, 1920, 1080, 32, false}, // enlarging
        {97, 61, 300, 200, 8, false},
        {300, 100, 200, 150, 24, true},     // one axis shrinks, the other enlarges
        {3840, 2160, 1920, 1080, 24, true}, // exact half size
        {202, 100, 101, 50, 32, false},
        {66, 34, 33, 17, 8, true},
        {500, 400, 182, 156, 24, false, {37, 21, 364, 312}, 9}, // half size, offset and clipped
        {1, 1, 1, 1, 24, true},
        {1, 1, 7, 5, 32, false},
        {1, 11, 3, 37, 8, true},
        {3, 3, 2, 2, 24, false},
        {40, 2000, 40, 41, 32, false}, // many rows per row
        {2000, 300, 13, 2, 24, true},  // beyond the fast path's taps
        {500, 400, 123, 77, 24, false, {37, 21, 401, 333}},
        {500, 400, 620, 410, 32, true, {37, 21, 401, 333}},
        {800, 600, 333, 250, 24, true, {}, 40},
        {160, 120, 500, 333, 8, false, {5, 7, 150, 100}, 30},
    };
    cv::RNG random(13);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.width << "x" << c.height << " to " << c.destWidth << "x" << c.destHeight
                     << ", " << c.bitCount << " bits, top-down " << c.topDown);
        const int channels = c.bitCount / 8;
        cv::Mat image(c.height, c.width, CV_8UC(channels));
        random.fill(image, cv::RNG::UNIFORM, 0, 256);
        const cv::Rect rect = c.source.empty() ? cv::Rect(0, 0, c.width, c.height) : c.source;
        cv::Mat expected;
        cv::resize(image(rect), expected, cv::Size(c.destWidth, c.destHeight), 0, 0,
                   cv::INTER_AREA);

        const DibInfo info(c.width, c.topDown ? -c.height : c.height, c.bitCount);
        const std::vector<uint8_t> bits =
            DibBytes(image, c.topDown, size_t((c.width * c.bitCount + 31) / 32 * 4));
        const int inset = c.canvasShrink;
        MemoryCanvas canvas(c.destWidth - 2 * inset, c.destHeight - 2 * inset);
        canvas.fill(0x01000000);
        SetStretchBltMode(canvas.dc(), HALFTONE);
        // Source y counts from the DIB's origin: the bottom row of a bottom-up bitmap.
        const int ySrc = c.topDown ? rect.y : c.height - rect.y - rect.height;
        StretchDIBits(canvas.dc(), -inset, -inset, c.destWidth, c.destHeight, rect.x, ySrc,
                      rect.width, rect.height, bits.data(), info.get(), DIB_RGB_COLORS, SRCCOPY);

        int worst = 0;
        for (int y = inset; y < c.destHeight - inset; ++y)
            for (int x = inset; x < c.destWidth - inset; ++x) {
                const uint32_t word = canvas.at(x - inset, y - inset);
                ASSERT_EQ(word >> 24, 0u) << "undrawn or dirty at " << x << "," << y;
                const uint8_t* want = expected.ptr(y, x);
                for (int k = 0; k < 3; ++k)
                    worst = std::max(worst, std::abs(int(word >> (8 * k) & 0xFF) -
                                                     int(want[channels == 1 ? 0 : k])));
            }
        EXPECT_LE(worst, 1);
    }
}
