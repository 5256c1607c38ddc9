// Styles, geometry and the maximise/minimise that the backend performs itself where no window
// manager runs (the private Xvfb of the test run has none).
#include "desktop_fixture.h"

namespace sdltest {
namespace {

class Placement : public DesktopTest {
protected:
    enum { kFunctions = 1, kDecorations = 2, kResize = 2, kMinimize = 8, kMaximize = 16 };

    long motif(unsigned long w, int item) { // an item of _MOTIF_WM_HINTS, -1 if none
        Atom type;
        int format = 0;
        unsigned long n = 0, after;
        unsigned char* data = nullptr;
        XGetWindowProperty(x, w, XInternAtom(x, "_MOTIF_WM_HINTS", 0), 0, 5, 0, AnyPropertyType,
                           &type, &format, &n, &after, &data);
        const long value = format == 32 && n > 2 ? reinterpret_cast<long*>(data)[item] : -1;
        XFree(data);
        return value;
    }
    // Window managers do not maximise a window whose minimum and maximum sizes agree.
    bool fixedSize(unsigned long w) {
        XSizeHints h{};
        long supplied = 0;
        return XGetWMNormalHints(x, w, &h, &supplied) && (h.flags & PMaxSize) &&
               h.min_width == h.max_width && h.min_height == h.max_height;
    }
};

// Styles decide frame and resizing; the viewer enters and leaves full screen like this.
TEST_F(Placement, FramesAndFullScreenBeyondTheScreen) {
    const unsigned long w = open(9, Client(300, 200, 594, 303), "Vistrel v1.2.6");
    ASSERT_NE(w, 0u);
    EXPECT_EQ(geometry(w), (ScreenRect{300, 200, 594, 303}));
    // No sizing border but a maximise box: maximisable, not drag-resizable.
    EXPECT_EQ(motif(w, kDecorations), 1);
    EXPECT_EQ(motif(w, kFunctions) & (kResize | kMinimize | kMaximize), kMinimize | kMaximize);
    EXPECT_FALSE(fixedSize(w));

    backend->setStyle(Hwnd(9), kDialogStyle & ~kFrameBits);
    backend->show(Hwnd(9), SW_MAXIMIZE);
    settle();
    log.clear();
    backend->setGeometry(Hwnd(9), Client(-1, -1, 1280 + 3, 800 + 3));
    settle();
    EXPECT_EQ(geometry(w), (ScreenRect{-1, -1, 1283, 803}));
    EXPECT_EQ(motif(w, kDecorations), 0);
    EXPECT_TRUE(log.empty()); // the program asked for it, so it hears nothing back

    backend->setStyle(Hwnd(9), kDialogStyle | kFrameBits);
    backend->setGeometry(Hwnd(9), Client(300, 200, 594, 303));
    settle();
    EXPECT_EQ(geometry(w), (ScreenRect{300, 200, 594, 303}));
    EXPECT_EQ(motif(w, kDecorations), 1);
    EXPECT_TRUE(motif(w, kFunctions) & kResize);
    EXPECT_TRUE(mapped(w));
    // Degenerate rectangles still leave a window of at least one pixel.
    backend->setGeometry(Hwnd(9), RECT{50, 60, 40, 60});
    settle();
    EXPECT_EQ(geometry(w), (ScreenRect{50, 60, 1, 1}));
}

TEST_F(Placement, MaximiseMinimiseAndRestoreWithoutWindowManager) {
    const unsigned long w = open(7, Client(100, 100, 400, 300), "maximise");
    ASSERT_NE(w, 0u);
    backend->show(Hwnd(7), SW_MAXIMIZE);
    EXPECT_TRUE(pumpUntil([&] { return count("maximized 7"); }));
    EXPECT_EQ(log, (Log{"moved 7 0 0", "resized 7 1280 800", "maximized 7"}));
    EXPECT_EQ(geometry(w), (ScreenRect{0, 0, 1280, 800}));
    log.clear();
    backend->show(Hwnd(7), SW_RESTORE);
    EXPECT_TRUE(pumpUntil([&] { return count("restored 7"); }));
    EXPECT_EQ(log, (Log{"moved 7 100 100", "resized 7 400 300", "restored 7"}));
    EXPECT_EQ(geometry(w), (ScreenRect{100, 100, 400, 300}));
    // Restoring a window that is neither maximised nor minimised changes nothing.
    log.clear();
    backend->show(Hwnd(7), SW_SHOWNORMAL);
    settle();
    EXPECT_TRUE(log.empty());

    backend->show(Hwnd(7), SW_MINIMIZE);
    EXPECT_TRUE(pumpUntil([&] { return count("minimized 7"); }));
    backend->show(Hwnd(7), SW_SHOW); // keeps a minimised window minimised
    settle();
    EXPECT_FALSE(mapped(w));
    backend->show(Hwnd(7), SW_RESTORE);
    EXPECT_TRUE(pumpUntil([&] { return count("restored 7"); }));
    EXPECT_TRUE(mapped(w));
    EXPECT_EQ(geometry(w), (ScreenRect{100, 100, 400, 300}));

    // Minimised from maximised, a restore returns to maximised.
    backend->show(Hwnd(7), SW_MAXIMIZE);
    backend->show(Hwnd(7), SW_MINIMIZE);
    settle();
    log.clear();
    backend->show(Hwnd(7), SW_RESTORE);
    EXPECT_TRUE(pumpUntil([&] { return count("maximized 7"); }));
    EXPECT_EQ(geometry(w), (ScreenRect{0, 0, 1280, 800}));
    EXPECT_EQ(count("restored 7"), 0);
}

} // namespace
} // namespace sdltest
