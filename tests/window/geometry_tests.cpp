// Window geometry: the non-client model, show states with their WM_SIZE, SetWindowPos and
// coordinate conversions, and what the desktop backend is told.
#include <vector>

#include "window_test_support.h"

using namespace window_tests;

namespace {

struct SizeEvent {
    UINT type;
    int cx, cy;
    bool operator==(const SizeEvent&) const = default;
};

std::vector<SizeEvent>* g_sizes = nullptr;

LRESULT RecordSizes(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE && g_sizes)
        g_sizes->push_back({(UINT)wParam, (int)LOWORD(lParam), (int)HIWORD(lParam)});
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

class GeometryTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        g_sizes = &sizes;
    }
    void TearDown() override {
        WindowTest::TearDown();
        g_sizes = nullptr;
    }
    HWND Recorded(LONG style, RECT rect) {
        HWND hwnd = TopLevel(style, rect);
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, (LONG_PTR)RecordSizes);
        return hwnd;
    }
    std::vector<SizeEvent> sizes;
};

TEST_F(GeometryTest, MaximiseMinimiseRestoreSendTheirSizeTypes) {
    const LONG style = WS_CAPTION | WS_SYSMENU | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_VISIBLE;
    HWND hwnd = Recorded(style, {100, 100, 500, 400});
    const RECT normal = WindowRect(hwnd);

    ShowWindow(hwnd, SW_MAXIMIZE);
    EXPECT_TRUE(IsZoomed(hwnd));
    // The screen enlarged by the 3-pixel frame; the caption stays on screen.
    EXPECT_EQ(WindowRect(hwnd), (RECT{-3, -3, kScreenWidth + 3, kScreenHeight + 3}));
    EXPECT_EQ(ClientRect(hwnd), (RECT{0, 0, kScreenWidth, kScreenHeight - 23}));
    EXPECT_EQ(backend().state(hwnd).lastShowCommand, SW_MAXIMIZE);

    ShowWindow(hwnd, SW_MINIMIZE);
    EXPECT_TRUE(IsIconic(hwnd));
    EXPECT_FALSE(IsZoomed(hwnd));
    EXPECT_EQ(ClientRect(hwnd), (RECT{0, 0, 0, 0}));

    ShowWindow(hwnd, SW_RESTORE); // back to maximised, where it was minimised from
    EXPECT_TRUE(IsZoomed(hwnd));
    ShowWindow(hwnd, SW_RESTORE);
    EXPECT_FALSE(IsZoomed(hwnd));
    EXPECT_EQ(WindowRect(hwnd), normal);

    const int maxCy = kScreenHeight - 23;
    EXPECT_EQ(sizes, (std::vector<SizeEvent>{{SIZE_MAXIMIZED, kScreenWidth, maxCy},
                                             {SIZE_MINIMIZED, 0, 0},
                                             {SIZE_MAXIMIZED, kScreenWidth, maxCy},
                                             {SIZE_RESTORED, 394, 271}}));
}

TEST_F(GeometryTest, FullScreenSequenceOfTheViewer) {
    // The steps the viewer takes to enter and leave its borderless mode.
    const LONG templateStyle = 0x10CB08C8 & ~DS_CENTER;
    HWND hwnd = Recorded(templateStyle, {511, 279, 511 + 897, 279 + 521});
    const LONG saved = GetWindowLongW(hwnd, GWL_STYLE);
    const RECT savedRect = WindowRect(hwnd);
    SetWindowLongW(hwnd, GWL_STYLE, saved & 0xFFBBFFFF);
    EXPECT_EQ(backend().state(hwnd).style, saved & 0xFFBBFFFF);
    EXPECT_EQ(ClientRect(hwnd), (RECT{0, 0, 891, 492})) << "the frame applies once resized";
    ShowWindow(hwnd, SW_MAXIMIZE);
    RECT r = WindowRect(hwnd);
    EXPECT_EQ(r, (RECT{-1, -1, kScreenWidth + 1, kScreenHeight + 1})) << "a 1-pixel border";
    SetWindowPos(hwnd, HWND_NOTOPMOST, r.left - 1, r.top - 1, r.right - r.left + 3,
                 r.bottom - r.top + 3, SWP_FRAMECHANGED);
    EXPECT_EQ(WindowRect(hwnd), (RECT{-2, -2, kScreenWidth + 3, kScreenHeight + 3}));
    EXPECT_EQ(ClientRect(hwnd), (RECT{0, 0, kScreenWidth + 3, kScreenHeight + 3}));
    RECT onScreen = backend().state(hwnd).clientScreen;
    EXPECT_EQ(onScreen, (RECT{-1, -1, kScreenWidth + 2, kScreenHeight + 2}));

    SetWindowLongW(hwnd, GWL_STYLE, (saved & 0xFFBBFFFF) | 0x00440000);
    EXPECT_FALSE(IsZoomed(hwnd));
    SetWindowPos(hwnd, HWND_TOP, savedRect.left, savedRect.top, savedRect.right - savedRect.left,
                 savedRect.bottom - savedRect.top, 0);
    EXPECT_EQ(WindowRect(hwnd), savedRect);
    EXPECT_EQ(ClientRect(hwnd), (RECT{0, 0, 889, 490})) << "now with a 4-pixel sizing border";
    EXPECT_EQ(sizes, (std::vector<SizeEvent>{{SIZE_MAXIMIZED, kScreenWidth, kScreenHeight},
                                             {SIZE_MAXIMIZED, kScreenWidth + 3, kScreenHeight + 3},
                                             {SIZE_RESTORED, 889, 490}}));
}

TEST_F(GeometryTest, SetWindowPosFlags) {
    HWND hwnd = Recorded(WS_POPUP | WS_VISIBLE, {10, 10, 110, 60});
    SetWindowPos(hwnd, nullptr, 50, 70, 1, 1, SWP_NOSIZE | SWP_NOZORDER);
    EXPECT_EQ(WindowRect(hwnd), (RECT{50, 70, 150, 120}));
    SetWindowPos(hwnd, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(WindowRect(hwnd), (RECT{50, 70, 350, 270}));
    SetWindowLongW(hwnd, GWL_STYLE, WS_POPUP | WS_VISIBLE | WS_BORDER);
    EXPECT_EQ(ClientRect(hwnd), (RECT{0, 0, 300, 200}));
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
    EXPECT_EQ(ClientRect(hwnd), (RECT{0, 0, 298, 198}));
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_TRUE(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(sizes,
              (std::vector<SizeEvent>{{SIZE_RESTORED, 300, 200}, {SIZE_RESTORED, 298, 198}}));
}

TEST_F(GeometryTest, ChildCoordinatesAndMoves) {
    HWND parent = TopLevel(WS_CAPTION | WS_VISIBLE, {100, 50, 500, 450}); // client at 103,76
    HWND child = Child(parent, u"ListBox", 5, WS_VISIBLE | WS_BORDER, {10, 20, 110, 70});
    EXPECT_EQ(WindowRect(child), (RECT{113, 96, 213, 146}));
    EXPECT_EQ(ClientRect(child), (RECT{0, 0, 98, 48}));
    POINT p{113, 96};
    ScreenToClient(parent, &p);
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 20);
    ClientToScreen(child, &p);
    EXPECT_EQ(p.x, 124);
    EXPECT_EQ(p.y, 117);
    RECT r = WindowRect(child);
    CWnd* wrapper = CWnd::FromHandle(parent);
    wrapper->ScreenToClient(&r);
    EXPECT_EQ(r, (RECT{10, 20, 110, 70}));
    MoveWindow(child, 0, 0, 50, 60, TRUE);
    EXPECT_EQ(WindowRect(child), (RECT{103, 76, 153, 136}));
    EXPECT_EQ(GetDlgItem(parent, 5), child);
    EXPECT_TRUE(IsChild(parent, child));
    EXPECT_FALSE(IsChild(child, parent));
}

TEST_F(GeometryTest, ResizesFromTheDesktopArriveAsWmSize) {
    HWND hwnd = Recorded(WS_CAPTION | WS_THICKFRAME | WS_VISIBLE, {0, 0, 400, 300});
    backend().injectResize(hwnd, 640, 480);
    ASSERT_TRUE(PumpUntil([&] { return !sizes.empty(); }));
    EXPECT_EQ(sizes.back(), (SizeEvent{SIZE_RESTORED, 640, 480}));
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
