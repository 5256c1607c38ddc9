// A presented surface shows on the X screen pixel for pixel.
#include <cstdlib>
#include <string>

#include "platform/gdi/surface.h"
#include "platform/win32/constants.h"

#include "desktop_fixture.h"

namespace sdltest {
namespace {

using platform::gdi::Surface;

// Four quadrants (red, green, blue, white) and one yellow pixel at (5, 7) that a flipped or
// shifted copy would move.
void Paint(Surface& s) {
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x) {
            const bool right = x >= s.width() / 2, bottom = y >= s.height() / 2;
            s.row(y)[x] = !bottom ? (right ? 0x00FF00 : 0xFF0000) : (right ? 0xFFFFFF : 0x0000FF);
        }
    s.row(7)[5] = 0xFFFF00;
}

class Presentation : public DesktopTest {
protected:
    const LONG style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

    bool shows(int x, int y, uint32_t rgb) {
        return pumpUntil([&] { return screenPixel(x, y) == rgb; });
    }
};

TEST_F(Presentation, PatternAppearsAtTheClientPosition) {
    backend->createWindow(Hwnd(1), Client(100, 80, 320, 200), style, u"Vistrel v1.2.6");
    backend->show(Hwnd(1), SW_SHOW);
    Surface surface(320, 200);
    Paint(surface);
    backend->present(Hwnd(1), surface);

    EXPECT_TRUE(shows(100 + 5, 80 + 7, 0xFFFF00));
    EXPECT_EQ(screenPixel(100, 80), 0xFF0000u);
    EXPECT_EQ(screenPixel(100 + 319, 80), 0x00FF00u);
    EXPECT_EQ(screenPixel(100, 80 + 199), 0x0000FFu);
    EXPECT_EQ(screenPixel(100 + 319, 80 + 199), 0xFFFFFFu);
    EXPECT_EQ(screenPixel(100 + 6, 80 + 7), 0xFF0000u);
    // Nothing beyond the client area: the root window of a bare X server is black.
    EXPECT_EQ(screenPixel(100 + 320, 80 + 100), 0u);
    EXPECT_EQ(screenPixel(99, 80 + 100), 0u);

    // For a look with one's own eyes: VISTREL_SCREENSHOT=out.png saves the screen.
    if (const char* out = std::getenv("VISTREL_SCREENSHOT")) {
        const std::string command = std::string(VISTREL_SOURCE_DIR "/scripts/screenshot ") + out;
        EXPECT_EQ(std::system(command.c_str()), 0);
    }
}

TEST_F(Presentation, BottomUpSurfaceShowsUpright) {
    // A DIB section with a negative stride: row 0 lies last in memory.
    const int w = 64, h = 48;
    std::vector<uint32_t> bits(w * h);
    Surface surface(w, h, reinterpret_cast<uint8_t*>(bits.data() + (h - 1) * w), -ptrdiff_t(w) * 4);
    Paint(surface);
    backend->createWindow(Hwnd(2), Client(300, 300, w, h), style, u"bottom-up");
    backend->show(Hwnd(2), SW_SHOW);
    backend->present(Hwnd(2), surface);
    EXPECT_TRUE(shows(300 + 5, 300 + 7, 0xFFFF00));
    EXPECT_EQ(screenPixel(300, 300), 0xFF0000u);
    EXPECT_EQ(screenPixel(300, 300 + h - 1), 0x0000FFu);
}

TEST_F(Presentation, SurfaceOfAnotherSizeIsShownOneToOne) {
    backend->createWindow(Hwnd(3), Client(50, 50, 200, 100), style, u"resizing");
    backend->show(Hwnd(3), SW_SHOW);

    // Smaller than the window (the window grew first): the rest is black.
    Surface small(100, 50);
    Paint(small);
    backend->present(Hwnd(3), small);
    EXPECT_TRUE(shows(50 + 5, 50 + 7, 0xFFFF00));
    EXPECT_EQ(screenPixel(50 + 99, 50 + 49), 0xFFFFFFu);
    EXPECT_EQ(screenPixel(50 + 150, 50 + 20), 0u);
    EXPECT_EQ(screenPixel(50 + 20, 50 + 80), 0u);

    // Larger (the window shrank first): clipped, nothing outside the window.
    Surface large(400, 300);
    Paint(large);
    backend->present(Hwnd(3), large);
    EXPECT_TRUE(shows(50 + 150, 50 + 20, 0xFF0000));
    EXPECT_EQ(screenPixel(50 + 199, 50 + 99), 0xFF0000u);
    EXPECT_EQ(screenPixel(50 + 200, 50 + 50), 0u);
    EXPECT_EQ(screenPixel(50 + 50, 50 + 100), 0u);
}

TEST_F(Presentation, NewPixelsReplaceOldOnes) {
    backend->createWindow(Hwnd(4), Client(600, 100, 80, 60), style, u"frames");
    backend->show(Hwnd(4), SW_SHOW);
    Surface surface(80, 60);
    for (uint32_t colour : {0x102030u, 0x405060u, 0x708090u}) {
        {
            std::lock_guard lock(surface.mutex());
            for (int y = 0; y < 60; ++y)
                for (int x = 0; x < 80; ++x)
                    surface.row(y)[x] = colour;
        }
        backend->present(Hwnd(4), surface);
        EXPECT_TRUE(shows(640, 130, colour)) << std::hex << colour;
    }
}

TEST_F(Presentation, UnknownWindowsAndEmptySurfacesAreIgnored) {
    Surface surface(10, 10);
    backend->present(Hwnd(99), surface);
    backend->destroyWindow(Hwnd(99));
    backend->setGeometry(Hwnd(99), Client(0, 0, 10, 10));
    backend->show(Hwnd(99), SW_MAXIMIZE);

    backend->createWindow(Hwnd(5), Client(10, 10, 40, 40), style, u"empty");
    backend->show(Hwnd(5), SW_SHOW);
    Surface empty(0, 0);
    backend->present(Hwnd(5), empty);
    backend->setIcon(Hwnd(5), empty);
    EXPECT_TRUE(shows(30, 30, 0));
    backend->destroyWindow(Hwnd(5));
    backend->present(Hwnd(5), surface);
    settle();
    EXPECT_EQ(findWindow("empty"), 0u);
}

} // namespace
} // namespace sdltest
