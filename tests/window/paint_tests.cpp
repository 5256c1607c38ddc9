// Painting: WM_PAINT order and validation, and device contexts of child windows.
#include <vector>

#include "platform/gdi/target.h"
#include "window_test_support.h"

using namespace window_tests;

namespace {

std::vector<HWND>* g_painted = nullptr;

LRESULT RecordPaint(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT && g_painted)
        g_painted->push_back(hwnd);
    return CallWindowProcW(DefWindowProcW, hwnd, message, wParam, lParam);
}

uint32_t Pixel(HWND topLevel, int x, int y) {
    HDC dc = GetDC(topLevel);
    auto surface = platform::gdi::SurfaceOfDC(dc);
    uint32_t value = surface ? surface->row(y)[x] : 0xDEADBEEF;
    ReleaseDC(topLevel, dc);
    return value;
}

class PaintTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        g_painted = &painted;
    }
    void TearDown() override {
        WindowTest::TearDown();
        g_painted = nullptr;
    }
    std::vector<HWND> painted;
};

TEST_F(PaintTest, ParentsPaintBeforeChildrenAndPaintingValidates) {
    HWND parent = TopLevel(WS_POPUP | WS_VISIBLE, {0, 0, 200, 100});
    SetWindowLongPtrW(parent, GWLP_WNDPROC, (LONG_PTR)RecordPaint);
    HWND a = Child(parent, u"A", 1, WS_VISIBLE, {0, 0, 50, 50});
    HWND b = Child(parent, u"B", 2, WS_VISIBLE, {60, 0, 110, 50});
    HWND hidden = Child(parent, u"C", 3, 0, {120, 0, 170, 50});
    for (HWND h : {a, b, hidden})
        SetWindowLongPtrW(h, GWLP_WNDPROC, (LONG_PTR)RecordPaint);
    platform::PumpUiThread();
    EXPECT_EQ(painted, (std::vector<HWND>{parent, a, b}));

    painted.clear();
    platform::PumpUiThread();
    EXPECT_TRUE(painted.empty()) << "BeginPaint validated every window";

    RECT inB{70, 10, 80, 20};
    InvalidateRect(parent, &inB, TRUE);
    platform::PumpUiThread();
    EXPECT_EQ(painted, (std::vector<HWND>{parent, b})) << "children under the area repaint too";

    painted.clear();
    InvalidateRect(a, nullptr, FALSE);
    UpdateWindow(a);
    EXPECT_EQ(painted, (std::vector<HWND>{a})) << "UpdateWindow paints at once";
}

TEST_F(PaintTest, DeviceContextOfAChildIsClippedToIt) {
    HWND parent = TopLevel(WS_POPUP | WS_VISIBLE, {0, 0, 200, 100});
    HWND child = Child(parent, u"Static", 1, WS_VISIBLE, {150, 50, 250, 90}); // beyond the right
    HDC dc = GetDC(child);
    ASSERT_NE(dc, nullptr);
    RECT clip{};
    auto surface = platform::gdi::SurfaceOfDC(dc, &clip);
    EXPECT_EQ(surface->width(), 200);
    EXPECT_EQ(clip, (RECT{150, 50, 200, 90}));
    RECT all{-1000, -1000, 1000, 1000};
    SetBkColor(dc, RGB(255, 0, 0));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &all, nullptr, 0, nullptr);
    ReleaseDC(child, dc);
    EXPECT_EQ(Pixel(parent, 150, 50), 0xFF0000u);
    EXPECT_EQ(Pixel(parent, 199, 89), 0xFF0000u);
    EXPECT_EQ(Pixel(parent, 149, 50), 0u);
    EXPECT_EQ(Pixel(parent, 150, 49), 0u);
    EXPECT_EQ(Pixel(parent, 150, 90), 0u);
}

} // namespace
