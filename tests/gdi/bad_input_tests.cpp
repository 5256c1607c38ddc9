// Bad bitmaps, arguments and rectangles: 0 where Win32 fails, nothing drawn outside what exists,
// and no read outside the bitmap, whose rows sit against inaccessible pages.
#include <functional>

#include "gdi_test_support.h"

using namespace gdi_test;

namespace {

constexpr uint32_t kUntouched = 0x00ABCDEF;

int Stretch(HDC dc, int size, const void* bits, const BITMAPINFO* info, RECT src = {0, 0, 4, 4},
            UINT usage = DIB_RGB_COLORS, DWORD rop = SRCCOPY) {
    return StretchDIBits(dc, 0, 0, size, size, src.left, src.top, src.right, src.bottom, bits, info,
                         usage, rop);
}

int Blit(HDC dc, const void* bits, const BITMAPINFO* info, UINT usage = DIB_RGB_COLORS) {
    return SetDIBitsToDevice(dc, 0, 0, 4, 4, 0, 0, 0, 4, bits, info, usage);
}

} // namespace

TEST(BadInput, MalformedHeadersAndArgumentsDrawNothingAndReturnZero) {
    // 8 bits, so any header read as more bits per pixel would overrun the buffer.
    GuardedBuffer bits(16);
    const DibInfo good(4, 4, 8);
    std::vector<std::function<void(BITMAPINFOHEADER&)>> changes = {
        [](auto& h) { h.biSize = 39; }, [](auto& h) { h.biSize = 0; },
        [](auto& h) { h.biSize = 0x7FFFFFFF; }, [](auto& h) { h.biHeight = 0; },
        [](auto& h) { h.biHeight = INT32_MIN; },
        // Sizes whose width * height * bytes overflow 32 bits (and some 64).
        [](auto& h) { h.biWidth = 0x40000000, h.biBitCount = 32; },
        [](auto& h) { h.biWidth = 70000, h.biHeight = -70000, h.biBitCount = 32; },
        [](auto& h) { h.biWidth = INT32_MAX, h.biHeight = INT32_MAX, h.biBitCount = 32; },
        [](auto& h) { h.biWidth = INT32_MAX, h.biHeight = 1, h.biBitCount = 32; }};
    for (int bitCount : {0, 1, 4, 15, 16, 31, 48, 64})
        changes.push_back([bitCount](auto& h) { h.biBitCount = WORD(bitCount); });
    for (DWORD compression : {BI_RLE8, BI_RLE4, BI_BITFIELDS, 4L, 5L, 0xFFFFFFFFL})
        changes.push_back([compression](auto& h) { h.biCompression = compression; });
    for (LONG width : {0, -1, -4, INT32_MIN})
        changes.push_back([width](auto& h) { h.biWidth = width; });
    for (size_t i = 0; i < changes.size(); ++i) {
        DibInfo info = good;
        changes[i](info.header);
        for (int mode : {COLORONCOLOR, HALFTONE}) {
            MemoryCanvas canvas(4, 4);
            canvas.fill(kUntouched);
            SetStretchBltMode(canvas.dc(), mode);
            EXPECT_EQ(Stretch(canvas.dc(), 4, bits.data(), info.get()), 0) << i;
            EXPECT_EQ(Blit(canvas.dc(), bits.data(), info.get()), 0) << i;
            EXPECT_TRUE(canvas.all(kUntouched)) << i;
        }
    }

    MemoryCanvas canvas(4, 4);
    canvas.fill(kUntouched);
    HDC dc = canvas.dc(), bogus = reinterpret_cast<HDC>(0xDEAD0);
    EXPECT_EQ(Stretch(dc, 4, nullptr, good.get()), 0);
    EXPECT_EQ(Stretch(dc, 4, bits.data(), nullptr), 0);
    EXPECT_EQ(Stretch(dc, 4, bits.data(), good.get(), {0, 0, 4, 4}, DIB_PAL_COLORS), 0);
    EXPECT_EQ(Stretch(dc, 4, bits.data(), good.get(), {0, 0, 4, 4}, 0, 0x00EE0086), 0); // SRCPAINT
    EXPECT_EQ(Stretch(dc, 0, bits.data(), good.get()), 0) << "empty destination";
    EXPECT_EQ(Blit(dc, nullptr, good.get()), 0);
    EXPECT_EQ(Blit(dc, bits.data(), nullptr), 0);
    EXPECT_EQ(Blit(dc, bits.data(), good.get(), 7), 0);
    EXPECT_TRUE(canvas.all(kUntouched));
    EXPECT_EQ(Stretch(bogus, 4, bits.data(), good.get()), 0);
    EXPECT_EQ(Blit(nullptr, bits.data(), good.get()), 0);
    EXPECT_EQ(SetBkColor(bogus, 0), CLR_INVALID);
    EXPECT_FALSE(DrawIcon(bogus, 0, 0, nullptr));
    EXPECT_FALSE(ExtTextOutW(bogus, 0, 0, ETO_OPAQUE, nullptr, nullptr, 0, nullptr));
}

TEST(BadInput, SourceRectanglesOutsideTheBitmapNeverReadOutsideIt) {
    // Source {x, y, width, height} on a 4 x 4 bitmap; drawn: 1, 0, or 2 = only when enlarged.
    const int rects[][5] = {{2, 2, 4, 4, 1},
                            {-3, -3, 6, 6, 1},
                            {-3, 1, 4, 2, 1},
                            {3, 3, 2, 2, 1},
                            {0, 0, 4, 9, 1},
                            {0, 0, 9, 4, 1},
                            {4, 0, -9, 4, 1},
                            {0, 4, 4, -9, 1},
                            {2, 2, 10, 10, 2},
                            {4, 0, 4, 4, 0},
                            {0, 4, 4, 4, 0},
                            {-4, 0, 4, 4, 0},
                            {0, -8, 4, 4, 0},
                            {INT32_MAX - 2, 0, 2, 2, 0},
                            {0, INT32_MIN + 1, 4, 4, 0}};
    // Absurd destinations stay bounded; upside down counts negative.
    const int absurd[][4] = {{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
                             {INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN}};
    for (int bitCount : {8, 24, 32})
        for (int height : {4, -4})
            for (bool guardAfter : {true, false})
                for (int mode : {COLORONCOLOR, HALFTONE})
                    for (int size : {2, 7}) {
                        SCOPED_TRACE(testing::Message() << bitCount << " bits, height " << height
                                                        << ", mode " << mode << ", size " << size);
                        GuardedBuffer bits(DibPixels(4, 4, bitCount).bytes.size(), guardAfter);
                        const DibInfo info(4, height, bitCount);
                        MemoryCanvas canvas(size, size);
                        SetStretchBltMode(canvas.dc(), mode);
                        for (const auto& r : rects) {
                            canvas.fill(kUntouched);
                            const int lines = Stretch(canvas.dc(), size, bits.data(), info.get(),
                                                      {r[0], r[1], r[2], r[3]});
                            EXPECT_EQ(lines != 0, r[4] != 0) << "rect " << (&r - rects);
                            EXPECT_EQ(canvas.all(kUntouched), r[4] == 0 || (r[4] == 2 && size == 2))
                                << "rect " << (&r - rects);
                        }
                        for (const auto& d : absurd)
                            EXPECT_EQ(StretchDIBits(canvas.dc(), d[0], d[1], d[2], d[3], 0, 0, 4, 4,
                                                    bits.data(), info.get(), 0, SRCCOPY),
                                      d[3] < 0 ? -4 : 4);
                    }
}
