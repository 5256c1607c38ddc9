// A presented surface shows on the X screen pixel for pixel.
#include <mutex>

#include "platform/gdi/surface.h"

#include "desktop_fixture.h"

namespace sdltest {
namespace {

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

TEST_F(Presentation, PatternAppearsUprightAtTheClientPosition) {
    // Top-down, and bottom-up like a DIB section with a negative stride.
    const int w = 320, h = 200;
    std::vector<uint32_t> bits(w * h);
    Surface topDown(w, h), bottomUp(w, h, reinterpret_cast<uint8_t*>(&bits[(h - 1) * w]), -w * 4);
    for (Surface* s : {&topDown, &bottomUp}) {
        ASSERT_NE(open(1, Client(100, 80, w, h), "pattern"), 0u);
        Paint(*s);
        backend->present(Hwnd(1), *s);
        EXPECT_TRUE(shows(100 + 5, 80 + 7, 0xFFFF00));
        // The root window of a bare X server is black.
        EXPECT_EQ(corners(100, 80, w, h), (Pixels{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0, 0}));
        backend->destroyWindow(Hwnd(1));
        settle();
    }
}

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

} // namespace
} // namespace sdltest
