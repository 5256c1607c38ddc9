// Styles, geometry and the maximise/minimise that the backend performs itself where no window
// manager runs (the private Xvfb of the test run has none).
#include "desktop_fixture.h"


namespace sdltest {
namespace {

class Placement : public DesktopTest {
protected:
    enum { kFunctions = 1, kDecorations = 2 }; // _MOTIF_WM_HINTS items
    enum { kResize = 2, kMinimize = 8, kMaximize = 16 };

    long motif(unsigned long xwindow, int item) {
        const std::vector<long> hints = property(xwindow, "_MOTIF_WM_HINTS");
        return hints.size() > 2 ? hints[item] : -1;
    }
    bool fixedSize(unsigned long xwindow) {
        XSizeHints h{};
        long supplied = 0;
        return XGetWMNormalHints(x, xwindow, &h, &supplied) && (h.flags & PMinSize) &&
               (h.flags & PMaxSize) && h.min_width == h.max_width && h.min_height == h.max_height;
    }
};

TEST_F(Placement, CreatedAtTheClientRectangleAndHidden) {
    const unsigned long w = open(1, Client(120, 90, 640, 360), "Vistrel v1.2.6");
    ASSERT_NE(w, 0u);
    EXPECT_EQ(geometry(w), (ScreenRect{120, 90, 640, 360}));
    EXPECT_TRUE(mapped(w));
    backend->show(Hwnd(1), SW_HIDE);
    settle();
    EXPECT_FALSE(mapped(w));
}

TEST_F(Placement, StylesDecideFrameAndResizing) {
    const unsigned long w = open(1, Client(10, 10, 300, 200), "styles");
    ASSERT_NE(w, 0u);
    // No sizing border but a maximise box: maximisable, not drag-resizable.
    EXPECT_EQ(motif(w, kDecorations), 1);
    EXPECT_EQ(motif(w, kFunctions) & (kResize | kMinimize | kMaximize), kMinimize | kMaximize);
    EXPECT_FALSE(fixedSize(w));

    backend->setStyle(Hwnd(1), kDialogStyle & ~kFrameBits);
    settle();
    EXPECT_EQ(motif(w, kDecorations), 0);
    backend->setStyle(Hwnd(1), kDialogStyle | kFrameBits);
    settle();
    EXPECT_EQ(motif(w, kDecorations), 1);
    EXPECT_TRUE(motif(w, kFunctions) & kResize);

    // Neither sizing border nor maximise box: the window keeps the size it is given.
    backend->setStyle(Hwnd(1), WS_CAPTION | WS_SYSMENU);
    backend->setGeometry(Hwnd(1), Client(10, 10, 200, 150));
    settle();
    EXPECT_TRUE(fixedSize(w));
    EXPECT_FALSE(motif(w, kFunctions) & kMaximize);
    EXPECT_EQ(geometry(w), (ScreenRect{10, 10, 200, 150}));
}

// What the viewer does to enter and leave full screen, step by step.
TEST_F(Placement, FullScreenReachesBeyondTheScreenAndBack) {
    const unsigned long w = open(9, Client(300, 200, 594, 303), "full screen");
    ASSERT_NE(w, 0u);
    backend->setStyle(Hwnd(9), kDialogStyle & ~kFrameBits);
    backend->show(Hwnd(9), SW_MAXIMIZE);
    settle();
    log.clear();
    backend->setGeometry(Hwnd(9), Client(-1, -1, 1280 + 3, 800 + 3));
    settle();
    EXPECT_EQ(geometry(w), (ScreenRect{-1, -1, 1283, 803}));
    EXPECT_EQ(motif(w, kDecorations), 0);
    // The program asked for it, so it hears nothing back.
    EXPECT_TRUE(log.empty());

    backend->setStyle(Hwnd(9), kDialogStyle | kFrameBits);
    backend->setGeometry(Hwnd(9), Client(300, 200, 594, 303));
    settle();
    EXPECT_EQ(geometry(w), (ScreenRect{300, 200, 594, 303}));
    EXPECT_EQ(motif(w, kDecorations), 1);
    EXPECT_TRUE(mapped(w));

    // Degenerate rectangles still leave a window of at least one pixel.
    backend->setGeometry(Hwnd(9), RECT{50, 60, 40, 60});
    settle();
    EXPECT_EQ(geometry(w), (ScreenRect{50, 60, 1, 1}));
}

TEST_F(Placement, MaximiseAndRestoreWithoutWindowManager) {
    const unsigned long w = open(7, Client(100, 100, 400, 300), "maximise");
    ASSERT_NE(w, 0u);
    backend->show(Hwnd(7), SW_MAXIMIZE);
    EXPECT_TRUE(pumpUntil([&] { return count("maximized 7"); }));
    EXPECT_EQ(log, (Log{"moved 0,0", "resized 1280,800", "maximized 7"}));
    EXPECT_EQ(geometry(w), (ScreenRect{0, 0, 1280, 800}));

    log.clear();
    backend->show(Hwnd(7), SW_RESTORE);
    EXPECT_TRUE(pumpUntil([&] { return count("restored 7"); }));
    EXPECT_EQ(log, (Log{"moved 100,100", "resized 400,300", "restored 7"}));
    EXPECT_EQ(geometry(w), (ScreenRect{100, 100, 400, 300}));

    // Restoring a window that is neither maximised nor minimised changes nothing.
    log.clear();
    backend->show(Hwnd(7), SW_SHOWNORMAL);
    settle();
    EXPECT_TRUE(log.empty());
}

TEST_F(Placement, MinimiseHidesAndRestoreBringsBackThePlacement) {
    const unsigned long w = open(8, Client(100, 100, 400, 300), "minimise");
    ASSERT_NE(w, 0u);
    backend->show(Hwnd(8), SW_MINIMIZE);
    EXPECT_TRUE(pumpUntil([&] { return count("minimized 8"); }));
    EXPECT_FALSE(mapped(w));
    // SW_SHOW keeps a minimised window minimised.
    backend->show(Hwnd(8), SW_SHOW);
    settle();
    EXPECT_FALSE(mapped(w));
    backend->show(Hwnd(8), SW_RESTORE);
    EXPECT_TRUE(pumpUntil([&] { return count("restored 8"); }));
    EXPECT_TRUE(mapped(w));
    EXPECT_EQ(geometry(w), (ScreenRect{100, 100, 400, 300}));

    // Minimised from maximised, a restore returns to maximised.
    backend->show(Hwnd(8), SW_MAXIMIZE);
    backend->show(Hwnd(8), SW_MINIMIZE);
    settle();
    log.clear();
    backend->show(Hwnd(8), SW_RESTORE);
    EXPECT_TRUE(pumpUntil([&] { return count("maximized 8"); }));
    EXPECT_EQ(geometry(w), (ScreenRect{0, 0, 1280, 800}));
    EXPECT_EQ(count("restored 8"), 0);
}

} // namespace
} // namespace sdltest
