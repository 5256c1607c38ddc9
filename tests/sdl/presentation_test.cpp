// Presented surfaces on the X screen: partial presents, and surfaces of another size than their
// window.
#include <mutex>

#include "platform/gdi/surface.h"

#include "desktop_fixture.h"

namespace sdltest {
namespace {

using platform::gdi::PixelBox;
using platform::gdi::Surface;
using Pixels = std::vector<uint32_t>;

class Presentation : public DesktopTest {
protected:
    // Quadrants red, green / blue, white, and one yellow pixel at (5, 7) that a flipped or
    // shifted copy would move.
    static void Paint(Surface& s) {
        std::lock_guard lock(s.mutex());
        for (int y = 0; y < s.height(); ++y)
            for (int x = 0; x < s.width(); ++x)
                s.row(y)[x] = y < s.height() / 2 ? (x < s.width() / 2 ? 0xFF0000 : 0x00FF00)
                                                 : (x < s.width() / 2 ? 0x0000FF : 0xFFFFFF);
        s.row(7)[5] = 0xFFFF00;
    }
    bool shows(int x, int y, uint32_t rgb) {
        return pumpUntil([&] { return screenPixel(x, y) == rgb; });
    }
    // The corners of a w×h rectangle at (x, y), and the pixels just right and left of it.
    Pixels corners(int x, int y, int w, int h) {
        const int r = x + w - 1, b = y + h - 1, m = y + h / 2;
        auto at = [this](int px, int py) { return screenPixel(px, py); };
        return {at(x, y), at(r, y), at(x, b), at(r, b), at(r + 1, m), at(x - 1, m)};
    }
};

TEST_F(Presentation, SurfaceOfAnotherSizeIsShownOneToOneAndBadCallsAreIgnored) {
    Surface small(100, 50), large(400, 300), empty(0, 0);
    backend->present(Hwnd(99), small);
    backend->destroyWindow(Hwnd(99));
    backend->show(Hwnd(99), SW_MAXIMIZE);
    ASSERT_NE(open(3, Client(50, 50, 200, 100), "resizing"), 0u);
    backend->present(Hwnd(3), empty);
    backend->setIcon(Hwnd(3), empty);
    // Smaller than the window (the window grew first): the rest is black.
    Paint(small);
    backend->present(Hwnd(3), small);
    EXPECT_TRUE(shows(50 + 5, 50 + 7, 0xFFFF00));
    EXPECT_EQ(corners(50, 50, 200, 100), (Pixels{0xFF0000, 0, 0, 0, 0, 0}));
    EXPECT_EQ(screenPixel(50 + 99, 50 + 49), 0xFFFFFFu);
    // Larger (the window shrank first): clipped, nothing outside the window.
    Paint(large);
    backend->present(Hwnd(3), large);
    EXPECT_TRUE(shows(50 + 150, 50 + 20, 0xFF0000));
    EXPECT_EQ(corners(50, 50, 200, 100), (Pixels{0xFF0000, 0xFF0000, 0xFF0000, 0xFF0000, 0, 0}));
    backend->destroyWindow(Hwnd(3));
    backend->present(Hwnd(3), large);
    settle();
    EXPECT_EQ(findWindow("resizing"), 0u);
}

constexpr uint32_t kBlue = 0x0000FF, kRed = 0xFF0000, kYellow = 0xFFFF00;

void Fill(Surface& s, const PixelBox& box, uint32_t word) {
    std::lock_guard lock(s.mutex());
    for (int64_t y = box.top; y < box.bottom; ++y)
        std::fill(s.row(int(y)) + box.left, s.row(int(y)) + box.right, word);
    s.addDrawn(box);
}

// A present uploads only the box drawn since the last one: it lands in its place, upright (top-
// down, and bottom-up like a DIB section with a negative stride), and what was shown before
// stays around it.
TEST_F(Presentation, PartialPresentLandsInPlaceAndKeepsTheRest) {
    const int w = 160, h = 120, x0 = 100, y0 = 80;
    std::vector<uint32_t> bits(w * h);
    Surface topDown(w, h), bottomUp(w, h, reinterpret_cast<uint8_t*>(&bits[(h - 1) * w]), -w * 4);
    for (Surface* s : {&topDown, &bottomUp}) {
        ASSERT_NE(open(1, Client(x0, y0, w, h), "partial"), 0u);
        Fill(*s, PixelBox{0, 0, w, h}, kBlue);
        backend->present(Hwnd(1), *s);
        ASSERT_TRUE(pumpUntil([&] { return screenPixel(x0 + w - 1, y0 + h - 1) == kBlue; }));
        // A red box with a yellow pixel at its top left, then a second box drawn elsewhere.
        Fill(*s, PixelBox{40, 30, 90, 70}, kRed);
        Fill(*s, PixelBox{40, 30, 41, 31}, kYellow);
        backend->present(Hwnd(1), *s);
        Fill(*s, PixelBox{150, 5, 151, 6}, kYellow);
        backend->present(Hwnd(1), *s);
        EXPECT_TRUE(pumpUntil([&] { return screenPixel(x0 + 150, y0 + 5) == kYellow; }));
        EXPECT_EQ(screenPixel(x0 + 40, y0 + 30), kYellow);
        EXPECT_EQ(screenPixel(x0 + 89, y0 + 69), kRed);
        for (auto [x, y] :
             {std::pair{39, 30}, {90, 69}, {40, 29}, {89, 70}, {0, 0}, {w - 1, h - 1}})
            EXPECT_EQ(screenPixel(x0 + x, y0 + y), kBlue) << x << "," << y;
        backend->destroyWindow(Hwnd(1));
        settle();
    }
}

} // namespace
} // namespace sdltest
