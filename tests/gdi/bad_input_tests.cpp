// Bad bitmaps and rectangles: nothing drawn (or only the part inside), 0 where Win32 fails,
// and never a read outside the bitmap's rows. Sources sit against inaccessible pages, so an
// over-read faults even without a sanitizer.
#include "gdi_test_support.h"

using namespace gdi_test;

namespace {

constexpr uint32_t kUntouched = 0x00ABCDEF;

// A width x height source of the given format in a guarded buffer of exactly its size.
struct GuardedDib {
    DibInfo info;
    GuardedBuffer buffer;
    GuardedDib(int width, int height, int bitCount, bool guardAfter = true)
        : info(DibInfo::Make(width, height, bitCount)),
          buffer(Stride(width, bitCount) * size_t(std::abs(height)), guardAfter) {
        std::memset(buffer.data(), 0x40, buffer.size());
    }
};

bool Untouched(const MemoryCanvas& canvas) {
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (canvas.at(x, y) != kUntouched)
                return false;
    return true;
}

int Stretch(const MemoryCanvas& canvas, const void* bits, const BITMAPINFO* info, int xSrc = 0,
            int ySrc = 0, int srcWidth = 4, int srcHeight = 4) {
    return StretchDIBits(canvas.dc(), 0, 0, canvas.width(), canvas.height(), xSrc, ySrc, srcWidth,
                         srcHeight, bits, info, DIB_RGB_COLORS, SRCCOPY);
}

int Blit(const MemoryCanvas& canvas, const void* bits, const BITMAPINFO* info) {
    return SetDIBitsToDevice(canvas.dc(), 0, 0, 4, 4, 0, 0, 0, 4, bits, info, DIB_RGB_COLORS);
}

} // namespace

TEST(BadInput, MalformedHeadersDrawNothingAndReturnZero) {
    GuardedDib dib(4, 4, 32);
    std::vector<DibInfo> bad;
    auto with = [&](auto change) {
        DibInfo info = dib.info;
        change(info.header);
        bad.push_back(info);
    };
    with([](BITMAPINFOHEADER& h) { h.biSize = 39; });
    with([](BITMAPINFOHEADER& h) { h.biSize = 0; });
    with([](BITMAPINFOHEADER& h) { h.biSize = 0x7FFFFFFF; });
    for (int bitCount : {0, 1, 4, 15, 16, 31, 48, 64})
        with([bitCount](BITMAPINFOHEADER& h) { h.biBitCount = WORD(bitCount); });
    for (DWORD compression : {BI_RLE8, BI_RLE4, BI_BITFIELDS, 4L, 5L, 0xFFFFFFFFL})
        with([compression](BITMAPINFOHEADER& h) { h.biCompression = compression; });
    for (LONG width : {0, -1, -4, INT32_MIN})
        with([width](BITMAPINFOHEADER& h) { h.biWidth = width; });
    with([](BITMAPINFOHEADER& h) { h.biHeight = 0; });
    with([](BITMAPINFOHEADER& h) { h.biHeight = INT32_MIN; });
    // Sizes whose width * height * bytes overflow 32 bits (and some that overflow 64).
    with([](BITMAPINFOHEADER& h) { h.biWidth = 0x40000000; });
    with([](BITMAPINFOHEADER& h) { h.biWidth = 70000, h.biHeight = -70000; });
    with([](BITMAPINFOHEADER& h) { h.biWidth = INT32_MAX, h.biHeight = INT32_MAX; });
    with([](BITMAPINFOHEADER& h) { h.biWidth = INT32_MAX, h.biHeight = 1; });

    for (size_t i = 0; i < bad.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "case " << i);
        for (int mode : {COLORONCOLOR, HALFTONE}) {
            MemoryCanvas canvas(4, 4);
            canvas.fill(kUntouched);
            SetStretchBltMode(canvas.dc(), mode);
            EXPECT_EQ(Stretch(canvas, dib.buffer.data(), bad[i].get()), 0);
            EXPECT_EQ(Blit(canvas, dib.buffer.data(), bad[i].get()), 0);
            EXPECT_TRUE(Untouched(canvas));
        }
    }
}

TEST(BadInput, NullPointersInvalidDCsAndUnsupportedArguments) {
    GuardedDib dib(4, 4, 8);
    MemoryCanvas canvas(4, 4);
    canvas.fill(kUntouched);
    EXPECT_EQ(Stretch(canvas, nullptr, dib.info.get()), 0);
    EXPECT_EQ(Stretch(canvas, dib.buffer.data(), nullptr), 0);
    EXPECT_EQ(Blit(canvas, nullptr, dib.info.get()), 0);
    EXPECT_EQ(Blit(canvas, dib.buffer.data(), nullptr), 0);
    // Palette indices need a logical palette, which there is none of.
    EXPECT_EQ(StretchDIBits(canvas.dc(), 0, 0, 4, 4, 0, 0, 4, 4, dib.buffer.data(), dib.info.get(),
                            DIB_PAL_COLORS, SRCCOPY),
              0);
    EXPECT_EQ(SetDIBitsToDevice(canvas.dc(), 0, 0, 4, 4, 0, 0, 0, 4, dib.buffer.data(),
                                dib.info.get(), 7),
              0);
    EXPECT_EQ(StretchDIBits(canvas.dc(), 0, 0, 4, 4, 0, 0, 4, 4, dib.buffer.data(), dib.info.get(),
                            DIB_RGB_COLORS, 0x00EE0086 /* SRCPAINT */),
              0);
    EXPECT_TRUE(Untouched(canvas));

    HDC bogus = reinterpret_cast<HDC>(0xDEAD0);
    EXPECT_EQ(StretchDIBits(bogus, 0, 0, 4, 4, 0, 0, 4, 4, dib.buffer.data(), dib.info.get(),
                            DIB_RGB_COLORS, SRCCOPY),
              0);
    EXPECT_EQ(SetDIBitsToDevice(nullptr, 0, 0, 4, 4, 0, 0, 0, 4, dib.buffer.data(), dib.info.get(),
                                DIB_RGB_COLORS),
              0);
    EXPECT_EQ(SetBkColor(bogus, 0), CLR_INVALID);
    EXPECT_FALSE(ExtTextOutW(bogus, 0, 0, ETO_OPAQUE, nullptr, nullptr, 0, nullptr));
    EXPECT_FALSE(DrawIcon(bogus, 0, 0, nullptr));
}

TEST(BadInput, SourceRectanglesOutsideTheBitmapNeverReadOutsideIt) {
    // Every rectangle is tried against sources guarded after and before, in both
    // orientations, all formats and both modes, enlarged and shrunk.
    struct Rect {
        int x, y, w, h;
    };
    const Rect partly[] = {{2, 2, 4, 4}, {-3, -3, 6, 6}, {-3, 1, 4, 2}, {3, 3, 2, 2},
                           {0, 0, 4, 9}, {0, 0, 9, 4},   {4, 0, -9, 4}, {0, 4, 4, -9}};
    const Rect wholly[] = {{4, 0, 4, 4},
                           {0, 4, 4, 4},
                           {-4, 0, 4, 4},
                           {0, -8, 4, 4},
                           {INT32_MAX - 2, 0, 2, 2},
                           {0, INT32_MIN + 1, 4, 4}};
    for (int bitCount : {8, 24, 32})
        for (int height : {4, -4})
            for (bool guardAfter : {true, false})
                for (int mode : {COLORONCOLOR, HALFTONE})
                    for (int size : {2, 7}) {
                        SCOPED_TRACE(testing::Message() << bitCount << " bits, height " << height
                                                        << ", mode " << mode << ", size " << size);
                        GuardedDib dib(4, height, bitCount, guardAfter);
                        MemoryCanvas canvas(size, size);
                        SetStretchBltMode(canvas.dc(), mode);
                        for (const Rect& r : partly) {
                            canvas.fill(kUntouched);
                            EXPECT_NE(Stretch(canvas, dib.buffer.data(), dib.info.get(), r.x, r.y,
                                              r.w, r.h),
                                      0);
                            EXPECT_FALSE(Untouched(canvas));
                        }
                        // Inside only in part, but no destination pixel's centre maps inside
                        // when shrunk: read nothing, draw nothing.
                        canvas.fill(kUntouched);
                        Stretch(canvas, dib.buffer.data(), dib.info.get(), 2, 2, 10, 10);
                        EXPECT_EQ(Untouched(canvas), size == 2);
                        for (const Rect& r : wholly) {
                            canvas.fill(kUntouched);
                            EXPECT_EQ(Stretch(canvas, dib.buffer.data(), dib.info.get(), r.x, r.y,
                                              r.w, r.h),
                                      0);
                            EXPECT_TRUE(Untouched(canvas));
                        }
                    }
}

TEST(BadInput, SetDIBitsToDeviceReadsOnlyTheScanLinesItWasGiven) {
    for (int height : {6, -6})
        for (bool guardAfter : {true, false}) {
            // Two scan lines exist at bits, whatever the call claims.
            GuardedBuffer band(Stride(5, 24) * 2, guardAfter);
            std::memset(band.data(), 0x40, band.size());
            DibInfo info = DibInfo::Make(5, height, 24);
            MemoryCanvas canvas(8, 8);
            canvas.fill(kUntouched);
            HDC dc = canvas.dc();
            EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 5, 6, 0, 0, 4, 2, band.data(), info.get(), 0), 2);
            EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 5, 6, 0, 0, 4, 9, band.data(), info.get(), 0), 2)
                << "scan lines past the bitmap's height do not exist";
            EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 5, 6, 0, 0, 6, 2, band.data(), info.get(), 0), 0);
            EXPECT_EQ(
                SetDIBitsToDevice(dc, 0, 0, 5, 6, 0, 0, 0xFFFFFFFF, 2, band.data(), info.get(), 0),
                0);
            EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 5, 6, 0, 0, 4, 0, band.data(), info.get(), 0), 0);
            EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 0xFFFFFFFF, 0xFFFFFFFF, -3, -3, 4, 2, band.data(),
                                        info.get(), 0),
                      2);
            EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 5, 6, 5, 0, 4, 2, band.data(), info.get(), 0), 0)
                << "no source column inside";
            EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 0, 6, 0, 0, 4, 2, band.data(), info.get(), 0), 0)
                << "zero width";
            EXPECT_EQ(SetDIBitsToDevice(dc, 0, 0, 5, 0, 0, 0, 4, 2, band.data(), info.get(), 0), 0)
                << "zero height";
            EXPECT_EQ(SetDIBitsToDevice(dc, INT32_MAX, INT32_MIN, 5, 6, INT32_MIN, INT32_MAX, 4, 2,
                                        band.data(), info.get(), 0),
                      0);
        }
}

TEST(BadInput, AbsurdDestinationsStayBounded) {
    GuardedDib dib(4, 4, 24);
    for (int mode : {COLORONCOLOR, HALFTONE}) {
        MemoryCanvas canvas(6, 6);
        SetStretchBltMode(canvas.dc(), mode);
        canvas.fill(kUntouched);
        EXPECT_EQ(StretchDIBits(canvas.dc(), INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, 0, 4, 4,
                                dib.buffer.data(), dib.info.get(), DIB_RGB_COLORS, SRCCOPY),
                  4);
        EXPECT_EQ(StretchDIBits(canvas.dc(), INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN, 0, 0, 4, 4,
                                dib.buffer.data(), dib.info.get(), DIB_RGB_COLORS, SRCCOPY),
                  -4)
            << "mirrored upside down";
        EXPECT_FALSE(Untouched(canvas));
        EXPECT_EQ(StretchDIBits(canvas.dc(), 0, 0, 6, 6, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX,
                                dib.buffer.data(), dib.info.get(), DIB_RGB_COLORS, SRCCOPY),
                  0)
            << "no source row inside";
    }
}
