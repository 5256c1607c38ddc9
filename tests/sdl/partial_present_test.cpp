// A present uploads only the box drawn since the last one: it lands in its place, upright,
// and what was shown before stays around it.
#include <mutex>

#include "platform/gdi/surface.h"

#include "desktop_fixture.h"

namespace sdltest {
namespace {

using platform::gdi::PixelBox;
using platform::gdi::Surface;

constexpr uint32_t kBlue = 0x0000FF, kRed = 0xFF0000, kYellow = 0xFFFF00;

void Fill(Surface& s, const PixelBox& box, uint32_t word) {
    std::lock_guard lock(s.mutex());
    for (int64_t y = box.top; y < box.bottom; ++y)
        std::fill(s.row(int(y)) + box.left, s.row(int(y)) + box.right, word);
    s.addDrawn(box);
}

TEST_F(DesktopTest, PartialPresentLandsInPlaceAndKeepsTheRest) {
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
