// The dialog's window behaviour: layout on resize, full screen, the keyboard filter and
// painting.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/dialog_harness.h"
#include "platform/gdi/trace.h"

using namespace testing_support;

namespace {

RECT WindowRect(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

RECT ClientRect(HWND hwnd) {
    RECT r{};
    GetClientRect(hwnd, &r);
    return r;
}

// A child's rectangle in its parent's client coordinates.
RECT ChildRect(HWND parent, HWND child) {
    RECT r = WindowRect(child);
    POINT corners[2] = {{r.left, r.top}, {r.right, r.bottom}};
    ScreenToClient(parent, &corners[0]);
    ScreenToClient(parent, &corners[1]);
    return {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

constexpr LONG kFrameBits = WS_DLGFRAME | WS_THICKFRAME;

struct Viewer {
    std::shared_ptr<platform::SimulatedVideoProvider> sim = FreshPlatform();
    DialogRun run;
    HWND window() { return run.window(); }
    RECT video() { return ChildRect(run.window(), run.video()); }
    LONG style() { return GetWindowLongW(run.window(), GWL_STYLE); }
    void doubleClick() { run.post(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(100, 100)); }
    void key(UINT vk) { run.post(WM_KEYDOWN, vk, 1); }
    void system(UINT command) { run.post(WM_SYSCOMMAND, command, 0); }
};

// Minimised, the layout keeps its basis and the window paints its icon.
TEST(Layout, MaximiseMinimiseAndRestoreScaleTheVideoAreaToTheClientArea) {
    Viewer v;
    const RECT client = ClientRect(v.window());
    EXPECT_EQ(v.video(), client);
    v.system(SC_MAXIMIZE);
    EXPECT_TRUE(IsZoomed(v.window()));
    EXPECT_EQ(v.video(), ClientRect(v.window()));
    v.system(SC_RESTORE);
    EXPECT_EQ(v.video(), client);

    v.system(SC_MINIMIZE);
    EXPECT_TRUE(IsIconic(v.window()));
    EXPECT_EQ(v.run.dialog().m_clientRect, client);
    std::vector<platform::gdi::GdiCall> calls;
    v.run.onUi([&] {
        platform::gdi::SetGdiTrace(&calls);
        SendMessageW(v.window(), WM_PAINT, 0, 0);
        platform::gdi::SetGdiTrace(nullptr);
    });
    EXPECT_EQ(std::count_if(calls.begin(), calls.end(),
                            [](const auto& call) { return call.name == "DrawIcon"; }),
              1);
    v.system(SC_RESTORE);
    EXPECT_FALSE(IsIconic(v.window()));
    EXPECT_EQ(v.video(), client);
    EXPECT_EQ(v.run.dialog().m_clientRect, client);
}

TEST(Layout, EdgesScaleByThemselvesWithTruncation) {
    Viewer v;
    const RECT client = ClientRect(v.window());
    const RECT outer = WindowRect(v.window());
    const int frameWidth = (outer.right - outer.left) - client.right;
    const int frameHeight = (outer.bottom - outer.top) - client.bottom;
    v.run.onUi([&] { MoveWindow(v.run.video(), 3, 5, 98, 72, TRUE); });
    v.run.onUi([&] {
        SetWindowPos(v.window(), nullptr, 0, 0, 1001 + frameWidth, 601 + frameHeight,
                     SWP_NOMOVE | SWP_NOZORDER);
    });
    ASSERT_EQ(ClientRect(v.window()).right, 1001);
    ASSERT_EQ(ClientRect(v.window()).bottom, 601);
    const int w = client.right, h = client.bottom;
    const RECT expected{3 * 1001 / w, 5 * 601 / h, 101 * 1001 / w, 77 * 601 / h};
    EXPECT_EQ(v.video(), expected);
}

TEST(Layout, NoPreviousClientSizeFillsTheNewClientArea) {
    Viewer v;
    v.run.onUi([&] {
        v.run.dialog().m_clientRect = RECT{0, 0, 0, 0};
        SetWindowPos(v.window(), nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    });
    EXPECT_EQ(v.video(), ClientRect(v.window()));
    EXPECT_EQ(v.run.dialog().m_clientRect, ClientRect(v.window()));
}

// Windows cuts a window to its maximum tracking size, a little more than the screen; a size
// past 32767 once reached the layout as a negative width, and the video area stayed empty.
TEST(Layout, AHugeWindowIsCutToTheLargestSizeAndTheLivePictureComesBack) {
    auto sim = FreshPlatform();
    sim->setInput(0, Named("HDMI Capture", 320, 180, 60));
    DialogRun run;
    const RECT before = WindowRect(run.window());
    const int height = before.bottom - before.top;
    auto resize = [&](int width, int height) {
        run.onUi([&] {
            SetWindowPos(run.window(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
        });
    };
    auto live = [&] {
        const cv::Mat pixels = run.videoPixels();
        return !pixels.empty() &&
               !IsBlack(pixels, {pixels.cols / 2 - 8, pixels.rows / 2 - 8, 16, 16});
    };
    ASSERT_TRUE(WaitUntil(live));

    for (int width : {40000, 1000000}) {
        resize(width, height);
        const RECT r = WindowRect(run.window());
        EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXMAXTRACK)) << width;
        EXPECT_EQ(ChildRect(run.window(), run.video()), ClientRect(run.window())) << width;
        EXPECT_EQ(run.dialog().m_clientRect, ClientRect(run.window())) << width;
    }
    resize(before.right - before.left, height);
    EXPECT_EQ(WindowRect(run.window()).right - WindowRect(run.window()).left,
              before.right - before.left);
    EXPECT_EQ(ChildRect(run.window(), run.video()), ClientRect(run.window()));
    run.onUi([&] {
        InvalidateRect(run.window(), nullptr, TRUE);
        UpdateWindow(run.window());
    });
    EXPECT_TRUE(WaitUntil(live)) << "the live picture is back";
}

TEST(FullScreen, DoubleClickEntersAndLeaves) {
    Viewer v;
    const RECT windowed = WindowRect(v.window());
    const LONG style = v.style();
    ASSERT_EQ(style & WS_THICKFRAME, 0);

    v.doubleClick();
    CVelvoraDlg& dialog = v.run.dialog();
    EXPECT_EQ(dialog.m_fullScreen, 1);
    EXPECT_EQ(v.style() & kFrameBits, 0);
    EXPECT_NE(v.style() & WS_BORDER, 0) << "a thin border stays";
    // The maximised rectangle, one pixel larger on the left and top and two on the right and
    // bottom: for a thin border that is the screen enlarged by 2 and 3 pixels.
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(WindowRect(v.window()), (RECT{-2, -2, cx + 3, cy + 3}));
    EXPECT_EQ(v.video(), ClientRect(v.window()));

    v.doubleClick();
    EXPECT_EQ(dialog.m_fullScreen, 0);
    EXPECT_EQ(WindowRect(v.window()), windowed);
    EXPECT_EQ(v.style() & kFrameBits, kFrameBits) << "resizable from now on";
    EXPECT_EQ(v.video(), ClientRect(v.window()));
}

// Escape leaves full screen, Enter does nothing, and neither ever closes the dialog.
TEST(FullScreen, EscapeLeavesAndNeitherEscapeNorEnterCloses) {
    Viewer v;
    const RECT windowed = WindowRect(v.window());
    v.key(VK_ESCAPE);
    v.key(VK_RETURN);
    EXPECT_FALSE(v.run.closed());
    EXPECT_EQ(WindowRect(v.window()), windowed);

    v.doubleClick();
    const RECT full = WindowRect(v.window());
    v.key(VK_RETURN);
    EXPECT_EQ(v.run.dialog().m_fullScreen, 1);
    EXPECT_EQ(WindowRect(v.window()), full);
    v.key(VK_ESCAPE);
    EXPECT_EQ(v.run.dialog().m_fullScreen, 0);
    EXPECT_EQ(WindowRect(v.window()), windowed);
    EXPECT_TRUE(IsWindow(v.window()));
}

TEST(Painting, RepaintWhileCapturingIsBlackUntilTheNextFrame) {
    auto sim = FreshPlatform();
    sim->setInput(0, Named("HDMI Capture", 320, 180, 60));
    DialogRun run;
    // The window's first paint fills it black: let it happen, then let two more frames be
    // drawn before the device goes quiet. The read after them has started, so both are drawn
    // (the pump draws a frame before it reads the next).
    run.onUi([&] { UpdateWindow(run.window()); });
    const uint64_t delivered = sim->stats(0).framesDelivered;
    sim->setFault(0, platform::SimulatedFault::Blocks, static_cast<int>(delivered) + 2);
    ASSERT_TRUE(sim->waitFor(
        0,
        [&](auto& s) {
            return s.framesDelivered >= delivered + 2 && s.reads > s.framesDelivered &&
                   s.readsInProgress;
        },
        std::chrono::seconds(20)));
    ASSERT_FALSE(IsBlack(run.videoPixels(), {100, 100, 100, 100}));
    run.onUi([&] {
        InvalidateRect(run.window(), nullptr, TRUE);
        UpdateWindow(run.window());
    });
    const cv::Mat pixels = run.videoPixels();
    EXPECT_TRUE(IsBlack(pixels, {0, 0, pixels.cols, pixels.rows}));
}

} // namespace
