// Window geometry: resizes from the desktop, and refused handles.
#include "window_test_support.h"

using namespace window_tests;

namespace {

using GeometryTest = WindowTest;

TEST_F(GeometryTest, ResizesFromTheDesktopArriveAsWmSize) {
    HWND hwnd = TopLevel(WS_CAPTION | WS_THICKFRAME | WS_VISIBLE, {0, 0, 400, 300});
    static LPARAM size = 0;
    SetWindowLongPtrW(
        hwnd, GWLP_WNDPROC, (LONG_PTR) + [](HWND h, UINT m, WPARAM w, LPARAM l) {
            if (m == WM_SIZE)
                size = l;
            return DefWindowProcW(h, m, w, l);
        });
    backend().injectResize(hwnd, 640, 480);
    ASSERT_TRUE(PumpUntil([&] { return size == MAKELPARAM(640, 480); }));
    EXPECT_EQ(ClientRect(hwnd), (RECT{0, 0, 640, 480}));
    EXPECT_EQ(WindowRect(hwnd), (RECT{0, 0, 648, 511}));
}

TEST_F(GeometryTest, InvalidHandlesAreRefused) {
    HWND gone = TopLevel();
    DestroyWindow(gone);
    RECT r{1, 2, 3, 4};
    EXPECT_FALSE(IsWindow(gone));
    EXPECT_FALSE(GetWindowRect(gone, &r));
    EXPECT_FALSE(SetWindowPos(gone, nullptr, 0, 0, 1, 1, 0));
    EXPECT_FALSE(ShowWindow(gone, SW_SHOW));
    EXPECT_EQ(SendMessageW(gone, WM_SIZE, 0, 0), 0);
    EXPECT_FALSE(PostMessageW(gone, WM_SIZE, 0, 0));
    EXPECT_EQ(GetDlgItem(gone, 1), nullptr);
    EXPECT_EQ(GetSystemMenu(gone, FALSE), nullptr);
    EXPECT_FALSE(DestroyWindow(gone));
    EXPECT_EQ(CreateWindowExW(0, u"Static", u"", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                              nullptr),
              nullptr)
        << "a child needs a parent";
}

} // namespace
