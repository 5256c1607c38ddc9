// A real SDL backend on the test run's X display, and what the tests need to look at that
// display from the outside: window lookup, geometry and pixels.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <functional>

#include "platform/backend/sdl/sdl_backend.h"
#include "platform/win32/constants.h"

// Last: Xlib's macros (None, Bool, Status) would break the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace sdltest {

using ScreenRect = std::array<int, 4>; // x, y, width, height
using Log = std::vector<std::string>;

// The viewer's dialog: caption, system menu, minimise and maximise boxes.
const LONG kDialogStyle = 0x10CB08C8 & ~WS_VISIBLE;
const LONG kFrameBits = 0x00440000;

class DesktopTest : public ::testing::Test {
protected:
    static HWND Hwnd(uintptr_t n) { return reinterpret_cast<HWND>(n); }
    static RECT Client(int x, int y, int w, int h) { return {x, y, x + w, y + h}; }

    void SetUp() override {
        if (!std::getenv("DISPLAY") || !(x = XOpenDisplay(nullptr)))
            GTEST_SKIP() << "no X display (run under scripts/with-display)";
        if (!(backend = platform::CreateSdlBackend()))
            GTEST_SKIP() << "SDL cannot open the display";
        // Entries name the event, the window and the values: "close 4", "moved 7 0 0",
        // "key 1 27 1" (Escape pressed).
        auto put = [this](const char* what) {
            return [this, what](HWND h, auto... v) {
                std::string entry = what + (" " + std::to_string(uintptr_t(h)));
                ((entry += " " + std::to_string(v)), ...);
                log.push_back(entry);
            };
        };
        events = {put("close"),     put("resized"),  put("moved"), put("minimized"),
                  put("maximized"), put("restored"), [](HWND) {},  put("dblclk"),
                  put("down"),      put("up"),       put("key")};
    }
    void TearDown() override {
        backend.reset();
        if (x)
            XCloseDisplay(x);
    }

    // Creates and shows a window, lets it settle, clears the log; the X window or 0.
    unsigned long open(uintptr_t id, const RECT& client, const std::string& title) {
        const std::u16string wide(title.begin(), title.end());
        backend->createWindow(Hwnd(id), client, kDialogStyle, wide);
        backend->show(Hwnd(id), SW_SHOW);
        settle();
        log.clear();
        return findWindow(title);
    }
    // Gives up after a few seconds: a fault fails the test instead of hanging it.
    bool pumpUntil(const std::function<bool()>& done) {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done() && std::chrono::steady_clock::now() < giveUp)
            backend->pumpEvents(events, 20);
        return done();
    }
    void settle() {
        for (int i = 0; i < 10; ++i)
            backend->pumpEvents(events, 20);
    }
    int count(const std::string& entry) const {
        return int(std::count(log.begin(), log.end(), entry));
    }

    unsigned long findWindow(const std::string& title) { // 0 if none
        FILE* out = popen(("xdotool search --name '^" + title + "$' 2>/dev/null").c_str(), "r");
        unsigned long w = 0;
        if (std::fscanf(out, "%lu", &w) != 1)
            w = 0;
        pclose(out);
        return w;
    }
    ScreenRect geometry(unsigned long w) { // client area in root coordinates
        ::Window root, child;
        int gx, gy, rx = 0, ry = 0;
        unsigned int width = 0, height = 0, border, depth;
        XGetGeometry(x, w, &root, &gx, &gy, &width, &height, &border, &depth);
        XTranslateCoordinates(x, w, root, 0, 0, &rx, &ry, &child);
        return {rx, ry, int(width), int(height)};
    }
    bool mapped(unsigned long w) {
        XWindowAttributes a;
        return XGetWindowAttributes(x, w, &a) && a.map_state == IsViewable;
    }
    uint32_t screenPixel(int px, int py) { // 0x00RRGGBB
        XImage* image = XGetImage(x, DefaultRootWindow(x), px, py, 1, 1, AllPlanes, ZPixmap);
        const uint32_t pixel = image ? uint32_t(XGetPixel(image, 0, 0)) & 0xFFFFFF : 0xFFFFFFFF;
        if (image)
            XDestroyImage(image);
        return pixel;
    }

    std::unique_ptr<platform::Backend> backend;
    platform::BackendEvents events;
    Log log; // every event but exposed
    Display* x = nullptr;
};

} // namespace sdltest
