// The box a drawing reports as drawn is what a presenter uploads, so it must hold every pixel
// the drawing changed, and for a plain drawing no more than those.
#include <functional>
#include <mutex>

#include "gdi_test_support.h"
#include "platform/gdi/surface.h"
#include "platform/gdi/target.h"

using namespace gdi_test;
using platform::gdi::PixelBox;

namespace {

constexpr uint32_t kBackground = 0x123456; // no drawing below produces it

TEST(DrawnRegion, EachDrawingReportsTheClippedBoxOfWhatItChanged) {
    const int w = 64, h = 48;
    MemoryCanvas canvas(w, h);
    auto surface = platform::gdi::SurfaceOfDC(canvas.dc());
    ASSERT_TRUE(surface);
    auto take = [&] {
        std::lock_guard lock(surface->mutex());
        return surface->takeDrawn();
    };
    EXPECT_EQ(take(), (PixelBox{0, 0, w, h})) << "a new surface has changed everywhere";
    EXPECT_TRUE(take().empty()) << "taking clears it";

    const DibInfo info(4, 4, 24);
    const DibPixels white(4, 4, 24, 0xFFFFFF);
    struct Drawing {
        const char* what;
        std::function<void()> draw;
    };
    const RECT opaque{50, 40, 90, 70};
    const Drawing drawings[] = {
        {"fill past the corner",
         [&] {
             SetBkColor(canvas.dc(), RGB(255, 0, 0));
             ExtTextOutW(canvas.dc(), 0, 0, ETO_OPAQUE, &opaque, nullptr, 0, nullptr);
         }},
        {"halftone past the left",
         [&] {
             SetStretchBltMode(canvas.dc(), HALFTONE);
             StretchDIBits(canvas.dc(), -10, 5, 30, 20, 0, 0, 4, 4, white.data(), info.get(),
                           DIB_RGB_COLORS, SRCCOPY);
         }},
        {"nearest, mirrored",
         [&] {
             SetStretchBltMode(canvas.dc(), COLORONCOLOR);
             StretchDIBits(canvas.dc(), 40, 10, -13, 7, 0, 0, 4, 4, white.data(), info.get(),
                           DIB_RGB_COLORS, SRCCOPY);
         }},
        {"1:1",
         [&] {
             SetDIBitsToDevice(canvas.dc(), 61, 45, 4, 4, 0, 0, 0, 4, white.data(), info.get(),
                               DIB_RGB_COLORS);
         }},
        {"one pixel", [&] { SetPixel(canvas.dc(), 3, 4, RGB(0, 255, 0)); }},
        {"outside", [&] { SetPixel(canvas.dc(), w, 4, RGB(0, 255, 0)); }},
        {"a read", [&] { GetPixel(canvas.dc(), 3, 4); }},
    };
    for (const Drawing& d : drawings) {
        canvas.fill(kBackground);
        take();
        d.draw();
        PixelBox changed;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (canvas.at(x, y) != kBackground)
                    changed = platform::gdi::Union(changed, PixelBox{x, y, x + 1, y + 1});
        EXPECT_EQ(take(), changed) << d.what;
    }
}

} // namespace
