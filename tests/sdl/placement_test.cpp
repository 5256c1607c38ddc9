// Styles, geometry and the maximise/minimise that the backend performs itself where no window
// manager runs (the private Xvfb of the test run has none).
#include "platform/win32/constants.h"

#include "desktop_fixture.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace sdltest {
namespace {

const LONG kPlacementDialogStyle = 0x10CB08C8 & ~WS_VISIBLE;
const LONG FrameBits = 0x00440000;

class Placement : public DesktopTest {
protected:
    unsigned long open(uintptr_t id, const RECT& client, LONG style, const std::string& title) {
        std::u16string wide(title.begin(), title.end());
        backend->createWindow(Hwnd(id), client, style, wide);
        backend->show(Hwnd(id), SW_SHOW);
        settle();
        log.clear();
        return findWindow(title);
    }

    // The Motif hints: flags, functions, decorations.
    std::vector<long> motifHints(unsigned long xwindow) {
        const Atom motif = XInternAtom(x, "_MOTIF_WM_HINTS", 0);
        Atom type;
        int format;
        unsigned long n, after;
        unsigned char* data = nullptr;
        std::vector<long> hints;
        if (XGetWindowProperty(x, xwindow, motif, 0, 5, 0, AnyPropertyType, &type, &format, &n,
                               &after, &data) == Success &&
            data) {
            hints.assign(reinterpret_cast<long*>(data), reinterpret_cast<long*>(data) + n);
            XFree(data);
        }
        return hints;
    }

    bool fixedSize(unsigned long xwindow) {
        XSizeHints hints{};
        long supplied = 0;
        if (!XGetWMNormalHints(x, xwindow, &hints, &supplied))
            return false;
        return (hints.flags & PMinSize) && (hints.flags & PMaxSize) &&
               hints.min_width == hints.max_width && hints.min_height == hints.max_height;
    }
};

TEST_F(Placement, CreatedAtTheClientRectangle) {
    const unsigned long w =
        open(1, Client(120, 90, 640, 360), kPlacementDialogStyle, "Vistrel v1.2.6");
    ASSERT_NE(w, 0u);
    EXPECT_EQ(geometry(w), (ScreenRect{120, 90, 640, 360}));
    EXPECT_TRUE(mapped(w));
}

TEST_F(Placement, StylesDecideFrameAndResizing) {
    const unsigned long w = open(1, Client(10, 10, 300, 200), kPlacementDialogStyle, "styles");
    ASSERT_NE(w, 0u);
    const long decorations = 2, functions = 1, resize = 2, maximize = 16, minimize = 8;
    std::vector<long> hints = motifHints(w);
    ASSERT_GE(hints.size(), 3u);
    EXPECT_EQ(hints[decorations], 1); // all decorations
    // The dialog has no sizing border but a maximise box: maximisable, not drag-resizable.
    EXPECT_TRUE(hints[functions] & maximize);
    EXPECT_TRUE(hints[functions] & minimize);
    EXPECT_FALSE(hints[functions] & resize);
    EXPECT_FALSE(fixedSize(w));

    backend->setStyle(Hwnd(1), kPlacementDialogStyle & ~FrameBits);
    settle();
    hints = motifHints(w);
    ASSERT_GE(hints.size(), 3u);
    EXPECT_EQ(hints[decorations], 0);

    backend->setStyle(Hwnd(1), kPlacementDialogStyle | FrameBits);
    settle();
    hints = motifHints(w);
    ASSERT_GE(hints.size(), 3u);
    EXPECT_EQ(hints[decorations], 1);
    EXPECT_TRUE(hints[functions] & resize);

    // Neither sizing border nor maximise box: the window keeps its size.
    backend->setStyle(Hwnd(1), WS_CAPTION | WS_SYSMENU);
    settle();
    EXPECT_TRUE(fixedSize(w));
    EXPECT_FALSE(motifHints(w)[functions] & maximize);
    backend->setGeometry(Hwnd(1), Client(10, 10, 200, 150));
    settle();
    EXPECT_EQ(geometry(w), (ScreenRect{10, 10, 200, 150}));
    EXPECT_TRUE(fixedSize(w));
}

TEST_F(Placement, GeometryMayReachBeyondTheScreen) {
    const unsigned long w =
        open(1, Client(200, 100, 400, 300), kPlacementDialogStyle & ~FrameBits, "beyond");
    ASSERT_NE(w, 0u);
    backend->setGeometry(Hwnd(1), Client(-1, -1, 1283, 803));
    settle();
    EXPECT_EQ(geometry(w), (ScreenRect{-1, -1, 1283, 803}));
    // The window manager asked for it, so it hears nothing back.
    EXPECT_EQ(count("resized 1283,803"), 0);
    EXPECT_EQ(count("moved -1,-1"), 0);
    // Degenerate rectangles still leave a window of at least one pixel.
    backend->setGeometry(Hwnd(1), RECT{50, 60, 40, 60});
    settle();
    EXPECT_EQ(geometry(w), (ScreenRect{50, 60, 1, 1}));
}

TEST_F(Placement, MaximiseAndRestoreWithoutWindowManager) {
    const unsigned long w = open(7, Client(100, 100, 400, 300), kPlacementDialogStyle, "maximise");
    ASSERT_NE(w, 0u);
    backend->show(Hwnd(7), SW_MAXIMIZE);
    EXPECT_TRUE(pumpUntil([&] { return logged("maximized 7"); }));
    EXPECT_EQ(log, (std::vector<std::string>{"moved 0,0", "resized 1280,800", "maximized 7"}));
    EXPECT_EQ(geometry(w), (ScreenRect{0, 0, 1280, 800}));

    log.clear();
    backend->show(Hwnd(7), SW_RESTORE);
    EXPECT_TRUE(pumpUntil([&] { return logged("restored 7"); }));
    EXPECT_EQ(log, (std::vector<std::string>{"moved 100,100", "resized 400,300", "restored 7"}));
    EXPECT_EQ(geometry(w), (ScreenRect{100, 100, 400, 300}));

    // Restoring a window that is neither maximised nor minimised changes nothing.
    log.clear();
    backend->show(Hwnd(7), SW_SHOWNORMAL);
    settle();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(geometry(w), (ScreenRect{100, 100, 400, 300}));
}

TEST_F(Placement, MinimiseHidesAndRestoreBringsBackThePlacement) {
    const unsigned long w = open(8, Client(100, 100, 400, 300), kPlacementDialogStyle, "minimise");
    ASSERT_NE(w, 0u);
    backend->show(Hwnd(8), SW_MINIMIZE);
    EXPECT_TRUE(pumpUntil([&] { return logged("minimized 8"); }));
    EXPECT_FALSE(mapped(w));
    // SW_SHOW keeps a minimised window minimised.
    backend->show(Hwnd(8), SW_SHOW);
    settle();
    EXPECT_FALSE(mapped(w));
    backend->show(Hwnd(8), SW_RESTORE);
    EXPECT_TRUE(pumpUntil([&] { return logged("restored 8"); }));
    EXPECT_TRUE(mapped(w));
    EXPECT_EQ(geometry(w), (ScreenRect{100, 100, 400, 300}));

    // Minimised from maximised, a restore returns to maximised.
    backend->show(Hwnd(8), SW_MAXIMIZE);
    backend->show(Hwnd(8), SW_MINIMIZE);
    settle();
    log.clear();
    backend->show(Hwnd(8), SW_RESTORE);
    EXPECT_TRUE(pumpUntil([&] { return logged("maximized 8"); }));
    EXPECT_EQ(geometry(w), (ScreenRect{0, 0, 1280, 800}));
    EXPECT_FALSE(logged("restored 8"));
}

// What the viewer does to enter and leave full screen, step by step.
TEST_F(Placement, FullScreenRoundTrip) {
    const unsigned long w =
        open(9, Client(300, 200, 594, 303), kPlacementDialogStyle, "full screen");
    ASSERT_NE(w, 0u);
    backend->setStyle(Hwnd(9), kPlacementDialogStyle & ~FrameBits);
    backend->show(Hwnd(9), SW_MAXIMIZE);
    backend->setGeometry(Hwnd(9), Client(-1, -1, 1280 + 3, 800 + 3));
    settle();
    EXPECT_EQ(geometry(w), (ScreenRect{-1, -1, 1283, 803}));
    EXPECT_EQ(motifHints(w).at(2), 0);

    backend->setStyle(Hwnd(9), kPlacementDialogStyle | FrameBits);
    backend->setGeometry(Hwnd(9), Client(300, 200, 594, 303));
    settle();
    EXPECT_EQ(geometry(w), (ScreenRect{300, 200, 594, 303}));
    EXPECT_EQ(motifHints(w).at(2), 1);
    EXPECT_TRUE(mapped(w));
}

TEST_F(Placement, HideShowAndTitle) {
    const unsigned long w = open(3, Client(10, 10, 100, 100), kPlacementDialogStyle, "first title");
    ASSERT_NE(w, 0u);
    backend->show(Hwnd(3), SW_HIDE);
    settle();
    EXPECT_FALSE(mapped(w));
    backend->show(Hwnd(3), SW_SHOW);
    settle();
    EXPECT_TRUE(mapped(w));
    backend->setTitle(Hwnd(3), u"Vistrel v1.2.6 \u5173\u4e8e");
    settle();
    // SDL writes the UTF-8 title to _NET_WM_NAME.
    const Atom name = XInternAtom(x, "_NET_WM_NAME", 0);
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char* data = nullptr;
    ASSERT_EQ(XGetWindowProperty(x, w, name, 0, 64, 0, AnyPropertyType, &type, &format, &n, &after,
                                 &data),
              Success);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(data), n),
              "Vistrel v1.2.6 \xe5\x85\xb3\xe4\xba\x8e");
    XFree(data);
}

} // namespace
} // namespace sdltest
