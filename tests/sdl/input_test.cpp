// Mouse, keyboard, close requests and wake-ups, from a real X server to the backend's events.
#include <SDL.h>
#include <atomic>
#include <chrono>
#include <thread>
#include "platform/gdi/surface.h"
#include "platform/win32/constants.h"

#include "desktop_fixture.h"

#include <X11/Xatom.h>

namespace sdltest {
namespace {

const LONG kInputDialogStyle = 0x10CB08C8 & ~WS_VISIBLE;

class Input : public DesktopTest {
protected:
    unsigned long open(uintptr_t id, const RECT& client, const std::string& title) {
        backend->createWindow(Hwnd(id), client, kInputDialogStyle,
                              std::u16string(title.begin(), title.end()));
        backend->show(Hwnd(id), SW_SHOW);
        settle();
        log.clear();
        return findWindow(title);
    }
};

TEST_F(Input, DoubleClickArrivesInClientCoordinates) {
    ASSERT_NE(open(1, Client(200, 150, 400, 300), "Vistrel v1.2.6"), 0u);
    ASSERT_TRUE(xdotool("mousemove 240 180 click --repeat 2 --delay 60 1"));
    EXPECT_TRUE(pumpUntil([&] { return count("up 40,30") == 2; }));
    // As on Windows: press, release, double-click instead of the second press, release.
    EXPECT_EQ(log,
              (std::vector<std::string>{"down 40,30", "up 40,30", "dblclk 40,30", "up 40,30"}));

    // The right button is not the one that toggles anything.
    log.clear();
    ASSERT_TRUE(xdotool("click --repeat 2 --delay 60 3"));
    settle();
    EXPECT_TRUE(log.empty());
}

TEST_F(Input, EscapeAndEnterArriveAsVirtualKeys) {
    ASSERT_NE(open(1, Client(100, 100, 300, 200), "keys"), 0u);
    // A bare X server sends keys to the window under the pointer.
    ASSERT_TRUE(xdotool("mousemove 250 200"));
    settle();
    ASSERT_TRUE(xdotool("key Escape"));
    EXPECT_TRUE(pumpUntil([&] { return logged("key 27 up"); }));
    ASSERT_TRUE(xdotool("key Return KP_Enter a F4 7"));
    EXPECT_TRUE(pumpUntil([&] { return logged("key 55 up"); }));
    EXPECT_EQ(log,
              (std::vector<std::string>{"key 27 down", "key 27 up", "key 13 down", "key 13 up",
                                        "key 13 down", "key 13 up", "key 65 down", "key 65 up",
                                        "key 115 down", "key 115 up", "key 55 down", "key 55 up"}));
}

TEST_F(Input, CloseBoxAsksToClose) {
    const unsigned long w = open(4, Client(100, 100, 300, 200), "close");
    ASSERT_NE(w, 0u);
    // What a window manager sends when the close box is clicked.
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(x, "WM_PROTOCOLS", 0);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(x, "WM_DELETE_WINDOW", 0));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(x, w, 0, NoEventMask, &e);
    XFlush(x);
    EXPECT_TRUE(pumpUntil([&] { return logged("close 4"); }));
    settle();
    // Only a request: the window is still there, and the last window's close is no quit.
    EXPECT_EQ(log, std::vector<std::string>{"close 4"});
    EXPECT_TRUE(mapped(w));
}

TEST_F(Input, QuitAsksEveryWindowToClose) {
    ASSERT_NE(open(1, Client(10, 10, 100, 100), "one"), 0u);
    ASSERT_NE(open(2, Client(200, 10, 100, 100), "two"), 0u);
    // A closed window is gone from the desktop and hears nothing more.
    ASSERT_NE(open(3, Client(400, 10, 100, 100), "three"), 0u);
    backend->destroyWindow(Hwnd(3));
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    EXPECT_TRUE(pumpUntil([&] { return log.size() >= 2; }));
    settle();
    EXPECT_EQ(log, (std::vector<std::string>{"close 1", "close 2"}));
    EXPECT_EQ(findWindow("three"), 0u);
}

TEST_F(Input, WakeEndsAWaitFromAnotherThread) {
    ASSERT_NE(open(1, Client(10, 10, 100, 100), "waiting"), 0u);
    // The watchdog only bounds the test: with a lost wake-up the wait below would end by its
    // own timeout long after the watchdog has fired.
    std::atomic<bool> watchdogFired{false};
    std::atomic<bool> stop{false};
    std::thread watchdog([&] {
        for (int i = 0; i < 200 && !stop; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        watchdogFired = !stop;
    });
    for (int round = 0; round < 3; ++round) {
        std::thread waker([&] { backend->wake(); });
        backend->pumpEvents(events, 60000);
        waker.join();
    }
    stop = true;
    watchdog.join();
    EXPECT_FALSE(watchdogFired);
}

TEST_F(Input, CallsFromOtherThreadsRunOnTheInterfaceThread) {
    const unsigned long w = open(1, Client(10, 10, 100, 100), "before");
    ASSERT_NE(w, 0u);
    std::thread other([&] {
        backend->setTitle(Hwnd(1), u"after");
        backend->setGeometry(Hwnd(1), Client(30, 40, 150, 120));
        backend->createWindow(Hwnd(2), Client(500, 40, 50, 50), kInputDialogStyle | WS_VISIBLE,
                              u"second");
    });
    other.join();
    EXPECT_TRUE(pumpUntil([&] { return findWindow("second") != 0; }));
    EXPECT_EQ(findWindow("after"), w);
    EXPECT_EQ(geometry(w), (ScreenRect{30, 40, 150, 120}));
    EXPECT_TRUE(mapped(findWindow("second")));
}

TEST_F(Input, IconIsSetFromArgbWords) {
    const unsigned long w = open(1, Client(10, 10, 100, 100), "icon");
    ASSERT_NE(w, 0u);
    platform::gdi::Surface icon(16, 8);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 16; ++x)
            icon.row(y)[x] = 0x80FF0000u;
    icon.row(0)[0] = 0xFF00FF00u;
    backend->setIcon(Hwnd(1), icon);
    settle();
    // _NET_WM_ICON: width, height, then 0xAARRGGBB words.
    const Atom netIcon = XInternAtom(x, "_NET_WM_ICON", 0);
    Atom type;
    int format;
    unsigned long n, after;
    unsigned char* data = nullptr;
    ASSERT_EQ(XGetWindowProperty(x, w, netIcon, 0, 1024, 0, XA_CARDINAL, &type, &format, &n, &after,
                                 &data),
              Success);
    ASSERT_NE(data, nullptr);
    const long* words = reinterpret_cast<long*>(data);
    ASSERT_EQ(n, 2u + 16 * 8);
    EXPECT_EQ(words[0], 16);
    EXPECT_EQ(words[1], 8);
    EXPECT_EQ(uint32_t(words[2]), 0xFF00FF00u);
    EXPECT_EQ(uint32_t(words[3]), 0x80FF0000u);
    XFree(data);
}

} // namespace
} // namespace sdltest
